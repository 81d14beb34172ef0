// The examples of docs/USAGE.md, run as the guide runs them: the example
// company imported from its CSV files and made from its SQL file, exported
// through docs/example.script, read and verified. Each output that the guide
// quotes is checked twice: the programs still print it, and the guide still
// quotes it (as an indented code block).
#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tests/e2e.h"

namespace e2e {
namespace {

const std::string kDocs = std::string(ZEL_SOURCE_ROOT) + "/docs";

// Text as a code block of the guide: each line indented by four blanks,
// empty lines left empty.
std::string Indented(const std::string& text) {
  std::string out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out += (line.empty() ? "" : "    ") + line + "\n";
  return out;
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (size_t comma; (comma = line.find(',', start)) != std::string::npos; start = comma + 1)
    fields.push_back(line.substr(start, comma - start));
  fields.push_back(line.substr(start));
  return fields;
}

// The asset type file without its date line, the one line that changes
// from day to day.
std::string WithoutDateLine(const std::string& types) {
  std::string out;
  for (const std::string& line : Lines(FromCp932(types)))
    if (line.rfind(";日付", 0) != 0) out += line + "\n";
  return out;
}

class GuideTest : public E2eTest {
 protected:
  void SetUp() override {
    E2eTest::SetUp();
    // The guide's commands run from the top folder, where docs/ lies and
    // build/guide/ is the work folder.
    std::filesystem::create_directory_symlink(kDocs, dir_ + "/docs");
    std::filesystem::create_directories(dir_ + "/build/guide/e");
    guide_ = ReadFile(kDocs + "/USAGE.md");
    ASSERT_NE(guide_, "");
  }

  // Runs the export of docs/example.script on the store, with drive E: as
  // the guide maps it.
  RunResult Export(const std::string& store) {
    return Run(
        ReadFile(kDocs + "/example.script"), "ZelEna20ToMx13",
        {"ZEL_PACKAGE=" + dir_ + "/" + store, "ZEL_DRIVES=Z:fixed=/;E:fixed=" + dir_ + "/build/guide/e"});
  }

  // Step 2 of the guide: the example CSV files into build/guide/mine.db,
  // and step 3: its output and environment folders.
  void ImportExample() {
    std::string out, err;
    ASSERT_EQ(Zelpkg({"import", "build/guide/mine.db", "--assets", "docs/example-assets.csv", "--items",
                      "docs/example-items.csv", "--categories", "docs/example-categories.csv", "--data-set",
                      "SAKURA", "--company", "株式会社さくら工業", "--period", "2024-04-01", "2025-03-31"},
                     &out, &err),
              0)
        << err;
    EXPECT_EQ(
        out,
        "zelpkg: build/guide/mine.db: data set SAKURA (no. 1): 6 assets, 3 items, 6 categories imported; "
        "selected for the user user01\n");
    ExpectQuoted(out);
    Sql("UPDATE package SET output_folder = 'E:\\out\\', env_folder = 'E:\\env\\'", "build/guide/mine.db");
  }

  void ExpectQuoted(const std::string& text) {
    EXPECT_NE(guide_.find(Indented(text)), std::string::npos) << "docs/USAGE.md does not quote:\n" << text;
  }

  std::string Out(const std::string& file) { return ReadFile(dir_ + "/build/guide/e/out/" + file); }

  std::string guide_;
};

TEST_F(GuideTest, CsvFilesImportExportReadAndVerifyAsTheGuideShows) {
  ImportExample();
  RunResult r = Export("build/guide/mine.db");
  ASSERT_EQ(r.status, 0) << r.errors;
  std::string transcript;
  for (const std::string& line : r.lines) transcript += line + "\n";
  EXPECT_EQ(
      transcript,
      R"({"event":"dialog","company":" 株式会社さくら工業","period":" 2024/04/01～2025/03/31","path":"E:\\out\\*.csv","focus":1007}
{"event":"message","owner":"dialog","caption":"減価償却","text":"指定されたフォルダは存在しません。\n\n作成してもよろしいですか？","style":36,"answer":"yes"}
{"event":"dialog-end","code":1005}
{"event":"process","command":"C:\\Program Files\\Windows NT\\Accessories\\Wordpad.exe \"E:\\out\\ZelEnaMx13SysErr.txt\"","folder":"C:\\Program Files\\Windows NT\\Accessories","started":true}
{"event":"message","owner":"none","caption":"減価償却","text":"減価償却情報の出力が一応終了しました。\n\nアプリケーションを終了します。","style":64,"answer":"ok"}
)");
  ExpectQuoted(transcript);

  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(dir_ + "/build/guide/e/out"))
    files.push_back(entry.path().filename().string());
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::string>{"ZelEnaMx13SysErr.txt", "sakura.csv", "syurui.SSC"}));
  EXPECT_TRUE(Exists(dir_ + "/build/guide/e/env/ZelEna20ToMx13.env"));

  const std::string log = FromCp932(Out("ZelEnaMx13SysErr.txt"));
  EXPECT_EQ(log,
            "\n＜WARNING＞\nメモ欄｢下取りで売却。後継車はリース契約(2025年度)｣は、\n"
            "連携可能最大文字数をオーバーしています。\n超過した文字は、自動的に切り捨てられます。\r\n");
  ExpectQuoted("$ iconv -f CP932 -t UTF-8 build/guide/e/out/ZelEnaMx13SysErr.txt\n" +
               log.substr(0, log.size() - 2) + "\n");

  // Its output as the terminal shows it, standard error included.
  testenv::ProgramResult run =
      testenv::RunProgram({.argv = {program_dir_ + "/zelverify", "build/guide/e/out/sakura.csv"},
                           .folder = dir_,
                           .merge_error = true});
  const std::string verified = run.out;
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(verified,
            "build/guide/e/out/sakura.csv: 8 rows, 3 of them breakdown rows\n"
            "build/guide/e/out/syurui.SSC: 6 asset types\n"
            "build/guide/e/out/ZelEnaMx13SysErr.txt: 1 remarks (0 errors, 1 warnings)\n"
            "0 problems, 0 warnings\n");
  ExpectQuoted("$ build/bin/zelverify build/guide/e/out/sakura.csv\n" + verified);

  // Section 9.1: the control sheet against a store changed after the export.
  std::filesystem::copy_file(dir_ + "/build/guide/mine.db", dir_ + "/build/guide/later.db");
  Sql("DELETE FROM assets WHERE code = '701'; "
      "UPDATE assets SET closing_book_value = closing_book_value - 100000000 WHERE code = '201'",
      "build/guide/later.db");
  run = testenv::RunProgram({.argv = {program_dir_ + "/zelverify", "--report", "build/guide/sheet.html",
                                      "--store", "build/guide/later.db", "build/guide/e/out/sakura.csv"},
                             .folder = dir_,
                             .merge_error = true});
  EXPECT_EQ(run.status, 1);
  ExpectQuoted(
      "$ build/bin/zelverify --report build/guide/sheet.html --store build/guide/later.db "
      "build/guide/e/out/sakura.csv\n" +
      run.out);

  // A CSV file with a value that does not fit: reported, and nothing is
  // imported.
  WriteFile(dir_ + "/build/guide/bad.csv",
            "code,name,type_code,method_code,useful_life,acquisition_date,acquisition_cost\n"
            "X1,テスト,1,13,5,2024-13-01,\"-3,500,000\"\n");
  std::string out, err;
  EXPECT_EQ(Zelpkg({"import", "build/guide/mine.db", "--assets", "build/guide/bad.csv"}, &out, &err), 1);
  EXPECT_EQ(out, "");
  ExpectQuoted("$ build/bin/zelpkg import build/guide/mine.db --assets build/guide/bad.csv\n" + err);

  // A mistyped option, named with the one meant.
  EXPECT_EQ(Zelpkg({"import", "build/guide/mine.db", "--asset", "docs/example-assets.csv"}, &out, &err), 64);
  ExpectQuoted("$ build/bin/zelpkg import build/guide/mine.db --asset docs/example-assets.csv\n" +
               err.substr(0, err.find('\n') + 1));
}

TEST_F(GuideTest, ExampleSqlMakesTheCompanyThatTheGuideShows) {
  ASSERT_EQ(Zelpkg({"init", "build/guide/sakura.db"}), 0);
  Sql(ReadFile(kDocs + "/example-company.sql"), "build/guide/sakura.db");
  std::string out, err;
  EXPECT_EQ(Zelpkg({"check", "build/guide/sakura.db"}, &out, &err), 0) << out << err;
  EXPECT_EQ(out, "");
  RunResult r = Export("build/guide/sakura.db");
  ASSERT_EQ(r.status, 0) << r.errors;
  EXPECT_EQ(r.Messages().back(), kFinishedWithRemarks);

  const std::vector<std::string> data = Lines(FromCp932(Out("sakura.csv")));
  ASSERT_EQ(data.size(), 15u);
  const std::string header =
      "バージョン=20. 0. 1. "
      "0(FILEVERSION=1.8)\n顧問先コード=\n顧問先名称=株式会社さくら工業\n法人個人区分=法人\n"
      "事業年度開始日=20240401\n事業年度終了日=20250331\n";
  std::string first_lines;
  for (size_t i = 0; i < 6; ++i) first_lines += data[i] + "\n";
  EXPECT_EQ(first_lines, header);
  ExpectQuoted(header);
  EXPECT_EQ(data[6].rfind(";資産コード,分割コード,資産種類コード,資産種類名,償却方法,資本的支出区分,", 0),
            0u);
  EXPECT_EQ(Fields(data[6]).size(), 152u);
  EXPECT_EQ(data[6].substr(data[6].size() - std::string(",メモ欄上段,メモ欄下段,").size()),
            ",メモ欄上段,メモ欄下段,");

  // Columns 1, 5, 10, 13, 14, 15, 23 and 81 of every row, as section 7.1
  // cuts them out.
  std::string columns;
  for (size_t i = 7; i < data.size(); ++i) {
    std::vector<std::string> f = Fields(data[i]);
    ASSERT_EQ(f.size(), 151u) << data[i];
    columns += f[0] + "," + f[4] + "," + f[9] + "," + f[12] + "," + f[13] + "," + f[14] + "," + f[22] + "," +
               f[80] + "\n";
  }
  EXPECT_EQ(columns,
            "000101,定額法,本社工場 建屋,20150401,1.00,棟,50000000,36500000\n"
            "000201,定率法,NC旋盤,20200701,1.00,台,3000000,1044480\n"
            "000301,少額資産,ノートパソコン,20240510,2.00,台,180000,\n"
            "00040101,一括決算,事務机,20240601,3.00,,150000,\n"
            "00040102,一括決算,複合機,20240801,1.00,,180000,\n"
            "00040103,一括決算,タブレット端末,20241015,2.00,,120000,\n"
            "000501,非償却資産,本社工場 敷地,20150401,1200.00,㎡,80000000,80000000\n"
            "000701,定額法,営業車,20190401,1.00,台,2400000,\n");
  ExpectQuoted(
      "$ iconv -f CP932 -t UTF-8 build/guide/e/out/sakura.csv | tail -n +8 | cut -d, "
      "-f1,5,10,13,14,15,23,81\n" +
      columns);
  // The company car: its months, business share, sale and memo.
  std::vector<std::string> car = Fields(data.back());
  const std::pair<size_t, const char*> car_fields[] = {{39, "8"},
                                                       {69, "80.00"},
                                                       {71, "20241130"},
                                                       {73, "売却"},
                                                       {74, "500000"},
                                                       {149, "下取りで売却。後継車"},
                                                       {150, "はリース契約(2025年"}};
  for (const auto& [i, value] : car_fields) EXPECT_EQ(car.at(i), value) << i;

  const std::vector<std::string> types = Lines(FromCp932(Out("syurui.SSC")));
  ASSERT_EQ(types.size(), 23u);
  std::string tail;
  for (size_t i = types.size() - 7; i < types.size(); ++i) tail += types[i] + "\n";
  EXPECT_EQ(
      tail,
      "[SisanSyurui]\n"
      "01,建物,有形固定資産,償却資産,定額法,除却日まで償却,10,5,申告なし,0.00,100.00,100.00,100.00,0.00,100."
      "00,"
      "該当しない\n"
      "03,機械及び装置,有形固定資産,償却資産,定率法,除却日まで償却,10,5,機械及び装置,0.00,100.00,100.00,100."
      "00,"
      "0.00,100.00,該当しない\n"
      "05,工具器具及び,有形固定資産,償却資産,定率法,除却日まで償却,10,5,工具器具及び備品,0.00,100.00,100.00,"
      "100.00,0.00,100.00,該当しない\n"
      "07,車両運搬具,有形固定資産,償却資産,定率法,除却日まで償却,10,5,申告なし,0.00,100.00,100.00,100.00,0."
      "00,"
      "100.00,該当しない\n"
      "10,一括償却資産,有形固定資産,償却資産,一括決算,除却日まで償却,10,10,申告なし,0.00,100.00,100.00,100."
      "00,"
      "0.00,100.00,該当しない\n"
      "11,土地,有形固定資産,非償却資産,,,0,0,申告なし,0.00,0.00,0.00,0.00,0.00,0.00,該当しない\n");
  ExpectQuoted("$ iconv -f CP932 -t UTF-8 build/guide/e/out/syurui.SSC | tail -n 7\n" + tail);
  EXPECT_EQ(ReadFile(dir_ + "/build/guide/e/env/ZelEna20ToMx13.env"), "tanaka/1/1:E:\\out\\sakura.csv\n");
  EXPECT_NE(guide_.find("`tanaka/1/1:E:\\out\\sakura.csv`"), std::string::npos);

  // The same company from the CSV files: the same three files. The script
  // now answers the question to overwrite them.
  const std::string sql_data = Out("sakura.csv"), sql_types = Out("syurui.SSC"),
                    sql_log = Out("ZelEnaMx13SysErr.txt");
  ImportExample();
  RunResult imported = Export("build/guide/mine.db");
  ASSERT_EQ(imported.status, 0) << imported.errors;
  EXPECT_EQ(imported.Messages().front(), kOverwriteQuestion);
  EXPECT_EQ(Out("sakura.csv"), sql_data);
  EXPECT_EQ(WithoutDateLine(Out("syurui.SSC")), WithoutDateLine(sql_types));
  EXPECT_EQ(Out("ZelEnaMx13SysErr.txt"), sql_log);
}

}  // namespace
}  // namespace e2e
