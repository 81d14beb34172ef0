// The verifier over files built here: a sound set of the three files, and
// the same with one fault planted at a time; each kind of fault is named
// with its line and column.
#include "verify/verifier.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "export/export_test_util.h"
#include "platform/test_env.h"
#include "verify/columns.h"

namespace verify {
namespace {

namespace fs = std::filesystem;

const char kLogName[] = "ZelEnaMx13SysErr.txt";

std::string Join(const std::vector<std::string>& lines, const std::string& end = "\r\n") {
  std::string text;
  for (const std::string& line : lines) text += line + end;
  return text;
}

// One data row: the 151 fields, empty but for the ones a test sets.
struct Row {
  std::vector<std::string> fields = std::vector<std::string>(151);
  explicit Row(const std::string& code, const std::string& method = "定額法") {
    Set(1, code).Set(3, "01").Set(5, method).Set(10, "事務机").Set(13, "20240401").Set(14, "1.00");
    Set(23, "120000").Set(70, "100.00").Set(71, "100.00").Set(84, "100.00").Set(85, "100.00");
    Set(87, "0.00").Set(88, "100.00");
  }
  Row& Set(int column, const std::string& value) {
    fields[static_cast<size_t>(column - 1)] = value;
    return *this;
  }
  std::string Line() const {
    std::string line;
    for (size_t i = 0; i < fields.size(); ++i) line += (i > 0 ? "," : "") + fields[i];
    return line;
  }
};

std::vector<std::string> AssetHeader() {
  std::string names;
  for (long i = 0; i < kAssetColumnCount; ++i) names += std::string(i > 0 ? "," : "") + AssetColumnName(i);
  std::vector<std::string> lines = export_test::AssetFileHeader();
  lines.push_back(names);
  return lines;
}

std::vector<std::string> TypeLines() {
  std::vector<std::string> lines = export_test::TypeFileHeader();
  lines.insert(
      lines.end(),
      {"01,建物,有形固定資産,償却資産,定額法,除却日まで償却,10,5,申告なし,0.00,100.00,100.00,100.00,0.00,"
       "100.00,"
       "該当しない",
       "10,一括償却資産,有形固定資産,償却資産,一括決算,除却日まで償却,10,10,申告なし,0.00,100.00,100.00,"
       "100.00,"
       "0.00,100.00,該当しない"});
  return lines;
}

std::string Remark(const std::string& tag, const std::string& message) {
  return "\n＜" + tag + "＞\n" + message + "\r\n";
}

class VerifierTest : public ::testing::Test {
 protected:
  void SetUp() override {
    header_ = AssetHeader();
    rows_ = {Row("000001").Line(), Row("000002").Line(), Row("00000301", "一括決算").Set(3, "").Line()};
    types_ = Join(TypeLines());
  }
  std::string Path(const std::string& name) const { return dir_.Host(name); }
  static void Write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
  }

  // Writes the files as the test has set them up and verifies them.
  ExitStatus Run() {
    std::vector<std::string> lines = header_;
    lines.insert(lines.end(), rows_.begin(), rows_.end());
    Write(Path("assets.csv"), asset_text_.empty() ? Join(lines) : asset_text_);
    if (!types_.empty()) Write(Path("syurui.SSC"), types_);
    if (!log_.empty()) Write(Path(kLogName), log_);
    report_ = Report(nullptr, true);
    summary_ = Summary();
    return Verify(Path("assets.csv"), &report_, &summary_, &why_);
  }

  // The one finding of this severity (line, column); fails when there is
  // not exactly one.
  const Finding* Only(Severity severity) {
    const Finding* found = nullptr;
    int count = 0;
    for (const Finding& f : report_.kept()) {
      if (f.severity == severity) {
        found = &f;
        ++count;
      }
    }
    EXPECT_EQ(count, 1) << Findings();
    return count == 1 ? found : nullptr;
  }
  void ExpectOneProblem(long line, long column, const std::string& part) {
    const Finding* f = Only(Severity::kProblem);
    if (f == nullptr) return;
    EXPECT_EQ(f->line, line) << Findings();
    EXPECT_EQ(f->column, column) << Findings();
    EXPECT_NE(f->why.find(part), std::string::npos) << Findings();
  }
  void ExpectOneWarning(long line, long column, const std::string& part) {
    const Finding* f = Only(Severity::kWarning);
    if (f == nullptr) return;
    EXPECT_EQ(f->line, line) << Findings();
    EXPECT_EQ(f->column, column) << Findings();
    EXPECT_NE(f->why.find(part), std::string::npos) << Findings();
  }
  std::string Findings() const {
    std::string text;
    for (const Finding& f : report_.kept()) text += Report::Format(f) + "\n";
    return text;
  }

  testenv::ScratchDir dir_{"zel_verify"};
  std::vector<std::string> header_;
  std::vector<std::string> rows_;
  std::string asset_text_;  // when set, the asset file instead of header_ and rows_
  std::string types_;
  std::string log_;
  Report report_{nullptr, true};
  Summary summary_;
  std::string why_;
};

TEST_F(VerifierTest, SoundFilesAreClean) {
  EXPECT_EQ(Run(), kClean) << Findings();
  EXPECT_EQ(report_.problems() + report_.warnings(), 0);
  EXPECT_EQ(summary_.assets.rows, 3);
  EXPECT_EQ(summary_.assets.breakdown_rows, 1);
  EXPECT_TRUE(summary_.types_read);
  EXPECT_EQ(summary_.types, 2);
  EXPECT_EQ(summary_.log_file, "");
  std::ostringstream out;
  PrintSummary(summary_, report_, out);
  EXPECT_NE(out.str().find("3 rows, 1 of them breakdown rows"), std::string::npos) << out.str();
  EXPECT_NE(out.str().find("0 problems, 0 warnings"), std::string::npos) << out.str();

  // An export without assets: the header and the column-name line alone.
  rows_.clear();
  EXPECT_EQ(Run(), kClean) << Findings();
}

TEST_F(VerifierTest, HeaderLinesAreChecked) {
  header_[0] = "バージョン=20. 0. 1. 0(FILEVERSION=1.7)";
  EXPECT_EQ(Run(), kProblems);
  ExpectOneProblem(1, 0, "FILEVERSION=1.7");

  header_ = AssetHeader();
  header_[5] = "事業年度終了日=20250332";
  Run();
  ExpectOneProblem(6, 0, "事業年度終了日");

  header_ = AssetHeader();
  header_[2] = "顧問先名称=" + std::string(150, 'A');
  Run();
  ExpectOneProblem(3, 0, "more than the 152");

  // Neither corporation nor individual: written empty, taken with a warning.
  header_ = AssetHeader();
  header_[3] = "";
  EXPECT_EQ(Run(), kClean);
  ExpectOneWarning(4, 0, "neither a corporation nor an individual");

  header_ = AssetHeader();
  header_[6].replace(header_[6].find("資産名称"), std::string("資産名称").size(), "資産の名前");
  Run();
  ExpectOneProblem(7, 10, "資産の名前");

  header_ = AssetHeader();
  header_[6].pop_back();  // the comma that ends the last name
  Run();
  ExpectOneProblem(7, 0, "151 names in the column-name line, 152 expected");

  asset_text_ = Join({header_[0], header_[1]});
  Run();
  ExpectOneProblem(0, 0, "ends after 2 lines");
}

TEST_F(VerifierTest, RowsOfAnotherShapeAreNamedByLine) {
  rows_[1] = Row("000002").Line() + ",";
  rows_.push_back(Row("000009").Line().substr(1 + Row("000009").Line().find(',')));
  rows_.push_back(std::string(1100, 'A'));
  EXPECT_EQ(Run(), kProblems);
  ASSERT_EQ(report_.problems(), 3) << Findings();
  EXPECT_EQ(report_.kept()[0].line, 9);
  EXPECT_NE(report_.kept()[0].why.find("152 fields, 151 expected"), std::string::npos);
  EXPECT_EQ(report_.kept()[1].line, 11);
  EXPECT_NE(report_.kept()[1].why.find("150 fields"), std::string::npos);
  EXPECT_EQ(report_.kept()[2].line, 12);
  EXPECT_NE(report_.kept()[2].why.find("1100 bytes"), std::string::npos);
}

TEST_F(VerifierTest, EachColumnIsCheckedByItsKind) {
  struct Case {
    int column;
    std::string value;
    std::string why;
  };
  const Case cases[] = {
      {10, std::string(33, 'X'), "33 bytes, more than the 32"},
      {10, "O'Brien", "quote"},
      {10, "机\x81", "not part of a Shift_JIS character"},
      {10, "A\x01", "control character"},
      {13, "20241301", "not a date"},
      {16, "12a", "not a whole number"},
      {14, "1.5", "not a number with 2 decimals"},
      {23, "12,000", "151 expected"},  // a comma in a field makes another field
      {67, "123456789012", "at most 11"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    rows_[0] = Row("000001").Set(c.column, c.value).Line();
    EXPECT_EQ(Run(), kProblems);
    ExpectOneProblem(8, c.why == "151 expected" ? 0 : c.column, c.why);
  }
}

TEST_F(VerifierTest, LineEndsAreCrLf) {
  std::vector<std::string> lines = header_;
  lines.insert(lines.end(), rows_.begin(), rows_.end());
  asset_text_ = Join(lines);
  asset_text_.erase(asset_text_.find("\r\n" + rows_[1]), 1);  // line 8 ends with LF alone
  asset_text_.resize(asset_text_.size() - 2);                 // the last line has no end
  EXPECT_EQ(Run(), kProblems);
  ASSERT_EQ(report_.problems(), 2) << Findings();
  EXPECT_EQ(report_.kept()[0].line, 8);
  EXPECT_NE(report_.kept()[0].why.find("LF alone"), std::string::npos);
  EXPECT_EQ(report_.kept()[1].line, 10);
  EXPECT_NE(report_.kept()[1].why.find("no line end"), std::string::npos);
}

TEST_F(VerifierTest, CodesAreLettersAndDigitsOfTheirLength) {
  struct Case {
    Row row;
    std::string why;
  };
  const Case cases[] = {
      {Row("0012-4"), "other than half-width letters and digits"},
      {Row("0001機"), "other than half-width letters and digits"},
      {Row("00000101"), "the code of an asset has 6"},
      {Row("000001", "一括決算"), "the code of a breakdown row (一括決算) has 8"},
      {Row("00000400", "一括決算"), "breakdown number \"00\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    rows_[0] = c.row.Line();
    EXPECT_EQ(Run(), kProblems);
    ExpectOneProblem(8, 1, c.why);
    EXPECT_NE(report_.kept()[0].why.find("no remark"), std::string::npos);
  }
  // The error log's remark on a code is mentioned.
  rows_[0] = Row("0012-4").Line();
  log_ = Remark("ERROR", "資産コード｢0012-4｣には、半角英数以外の文字が使用されています。");
  Run();
  ExpectOneProblem(8, 1, "the error log has the matching remark");
}

TEST_F(VerifierTest, DuplicateCodesAreProblemsWithTheWritersRemark) {
  // The third row repeats the first; the package held the code as "1".
  rows_.push_back(Row("000001").Line());
  EXPECT_EQ(Run(), kProblems);
  ExpectOneProblem(11, 1, "is the code of line 8 too; the error log has no remark for it");

  log_ = Remark("ERROR", "資産コード｢1｣は、他の資産コードと重複してしまいます。");
  Run();
  ExpectOneProblem(11, 1, "the error log has the matching remark");
  EXPECT_EQ(summary_.remarks, 1);
  EXPECT_EQ(summary_.errors, 1);

  // A breakdown row whose asset part is an asset's code, after the asset ...
  log_.clear();
  fs::remove(Path(kLogName));
  rows_ = {Row("000001").Line(), Row("00000101", "一括決算").Set(3, "").Line()};
  Run();
  ExpectOneProblem(9, 1, "its asset code part \"000001\" is the code of the asset on line 8");
  log_ = Remark("ERROR",
                "資産コード+内訳付番｢00000101｣は、\n資産コード｢1｣が他の資産コードと重複してしまいます。");
  Run();
  ExpectOneProblem(9, 1, "the error log has the matching remark");

  // ... and before it, which the writer does not see.
  std::swap(rows_[0], rows_[1]);
  Run();
  ExpectOneProblem(9, 1,
                   "is the asset code part of the breakdown row on line 8; the error log has no remark");

  // Two breakdown rows with one code.
  log_ = Remark("ERROR",
                "資産コード｢X1｣と内訳付番｢1｣から構成される\n資産・内訳コード｢00000101｣は、\n他の資産･内訳コー"
                "ドと重複しています。");
  rows_ = {Row("00000101", "一括決算").Set(3, "").Line(), Row("00000101", "一括決算").Set(3, "").Line()};
  Run();
  ExpectOneProblem(9, 1, "the error log has the matching remark");
}

TEST_F(VerifierTest, AmountsOverTheLimitPointAtTheirRemarks) {
  rows_[0] = Row("000001").Set(23, "************").Line();
  rows_[1] = Row("000002").Set(23, "************").Set(86, "************").Line();
  log_ = Remark("ERROR", "金額｢100000000000｣は、連携可能最大桁数をオーバーしています。") +
         Remark("WARNING", "資産名称｢長い名前｣は、\n連携可能最大文字数をオーバーしています。") +
         Remark("ERROR", "金額｢123456789012｣は、連携可能最大桁数をオーバーしています。");
  EXPECT_EQ(Run(), kClean) << Findings();
  ASSERT_EQ(report_.warnings(), 3) << Findings();
  EXPECT_EQ(report_.kept()[0].line, 8);
  EXPECT_EQ(report_.kept()[0].column, 23);
  EXPECT_NE(report_.kept()[0].why.find("see remark 1 of ZelEnaMx13SysErr.txt (\"100000000000\")"),
            std::string::npos)
      << Findings();
  EXPECT_NE(report_.kept()[1].why.find("see remark 3 of"), std::string::npos) << Findings();
  EXPECT_EQ(report_.kept()[2].column, 86);
  EXPECT_NE(report_.kept()[2].why.find("no remark for it"), std::string::npos) << Findings();
  EXPECT_EQ(summary_.remarks, 3);
  EXPECT_EQ(summary_.errors, 2);
  EXPECT_EQ(summary_.warnings, 1);
}

TEST_F(VerifierTest, NumbersOverTheirWidthAreWarnings) {
  rows_[0] = Row("000001").Set(14, "1000000.00").Line();
  rows_[1] = Row("000002").Set(34, "913300").Line();
  log_ = Remark("WARNING",
                "数量｢1000000."
                "00｣は、連携可能最大桁数をオーバーしています。\n減価償却データが、正しく連携されない可能性が"
                "あります。");
  EXPECT_EQ(Run(), kClean);
  ASSERT_EQ(report_.warnings(), 2) << Findings();
  EXPECT_EQ(report_.kept()[0].column, 14);
  EXPECT_NE(report_.kept()[0].why.find("7 digits, more than the 6 the column takes; see remark 1"),
            std::string::npos)
      << Findings();
  EXPECT_EQ(report_.kept()[1].column, 34);
  EXPECT_NE(report_.kept()[1].why.find("may not take it"), std::string::npos) << Findings();
}

// What a register's rules refuse, as far as a row shows it: an asset row
// without a method, a negative acquisition cost; never a breakdown row.
TEST_F(VerifierTest, WhatTheRegisterRulesRefuseIsWarnedOfWhereARowShowsIt) {
  rows_[0] = Row("000001", "").Line();
  rows_[1] = Row("000002").Set(23, "-35000000").Line();
  rows_.push_back(Row("00000302", "一括決算").Set(3, "").Set(23, "-1").Line());
  EXPECT_EQ(Run(), kClean);
  ASSERT_EQ(report_.warnings(), 2) << Findings();
  EXPECT_EQ(report_.kept()[0].column, 5);
  EXPECT_NE(report_.kept()[0].why.find("method code is none the export knows"), std::string::npos);
  EXPECT_EQ(report_.kept()[1].column, 23);
  EXPECT_NE(report_.kept()[1].why.find("never negative"), std::string::npos) << Findings();
}

TEST_F(VerifierTest, AssetTypesThatSyuruiDoesNotListAreWarnedOfOnce) {
  rows_[0] = Row("000001").Set(3, "07").Line();
  rows_[1] = Row("000002").Set(3, "07").Line();
  rows_.push_back(Row("000004").Set(3, "04").Line());
  EXPECT_EQ(Run(), kClean);
  ASSERT_EQ(report_.warnings(), 2) << Findings();
  EXPECT_EQ(report_.kept()[0].line, 8);
  EXPECT_EQ(report_.kept()[0].column, 3);
  EXPECT_NE(report_.kept()[0].why.find("\"07\" is not listed in syurui.SSC (2 rows"), std::string::npos)
      << Findings();
  EXPECT_EQ(report_.kept()[1].line, 11);
}

TEST_F(VerifierTest, SyuruiIsCheckedToo) {
  types_.clear();
  EXPECT_EQ(Run(), kProblems);
  ExpectOneProblem(0, 0, "missing");
  EXPECT_FALSE(summary_.types_read);

  std::vector<std::string> lines = TypeLines();
  lines[8] = "[CommonInf]";  // a capital I where the file has a lower-case l
  types_ = Join(lines);
  Run();
  ExpectOneProblem(9, 0, "[Commonlnf]");

  lines = TypeLines();
  lines[3] = ";日付\t\t：2026/02/30";
  types_ = Join(lines);
  Run();
  ExpectOneProblem(4, 0, "a date");

  lines = TypeLines();
  lines.back() = "1#,土地,有形固定資産,非償却資産,,,0,0,申告なし,0.00,0.00,0.00,0.00,0.00,0.00,該当しない";
  types_ = Join(lines);
  Run();
  ExpectOneProblem(19, 1, "half-width letters and digits");

  lines = TypeLines();
  lines.back() =
      "10,一括償却資産,有形固定資産,償却資産,一括決算,除却日まで償却,,10,申告なし,0.00,100.00,100.00,100.00,"
      "0.00,100.00,該当しない";
  types_ = Join(lines);
  Run();
  ExpectOneProblem(19, 7, "must hold a value");

  lines = TypeLines();
  lines.back() = "10,一括償却資産,有形固定資産";
  types_ = Join(lines);
  Run();
  ExpectOneProblem(19, 0, "3 fields, 16 expected");

  // The two lines of the data set's kind: empty, a warning that names the
  // line; anything else but the two texts, a problem.
  for (size_t at : {2u, 10u}) {
    lines = TypeLines();
    lines[at] = "";
    types_ = Join(lines);
    EXPECT_EQ(Run(), kClean);
    ExpectOneWarning(static_cast<long>(at) + 1, 0,
                     at == 2 ? "the client kind line is empty" : "the corporation/individual line is empty");
    lines[at] = "HoujinKojinKubun=3";
    types_ = Join(lines);
    Run();
    ExpectOneProblem(static_cast<long>(at) + 1, 0, "\"HoujinKojinKubun=3\" in place of");
  }
}

TEST_F(VerifierTest, TheNewestErrorLogIsRead) {
  Write(Path("ZelDioMx13SysErr.txt"), Remark("WARNING", "古い") + Remark("WARNING", "古い"));
  fs::last_write_time(Path("ZelDioMx13SysErr.txt"), fs::file_time_type::clock::now() - std::chrono::hours(1));
  log_ = Remark("ERROR", "金額｢100000000000｣は、連携可能最大桁数をオーバーしています。");
  EXPECT_EQ(Run(), kClean);
  EXPECT_EQ(fs::path(summary_.log_file), fs::path(Path(kLogName)));  // either separator on Windows
  EXPECT_EQ(summary_.remarks, 1);
  ExpectOneWarning(0, 0, "an older error log");
}

TEST_F(VerifierTest, RemarksAreCountedEvenWhenCutShort) {
  // Entries are cut at 152 bytes, possibly inside a character; a long name
  // fills a remark; line feeds inside an entry are not entries.
  std::string cut = Remark("WARNING", "資産名称｢" + std::string(140, 'A') + "｣は、\n連携可能");
  cut = cut.substr(0, 1 + 12 + 140) + "\r\n";
  log_ = Remark("ERROR", "金額｢1｣は、連携可能最大桁数をオーバーしています。") + cut +
         Remark("WARNING", "連携可能な最大内訳件数は99件です。\n100件目から後の内訳は出力されません。");
  Run();
  EXPECT_EQ(summary_.remarks, 3);
  EXPECT_EQ(summary_.errors, 1);
  EXPECT_EQ(summary_.warnings, 2);
}

TEST_F(VerifierTest, WhatCannotBeReadEndsWithTwo) {
  EXPECT_EQ(Verify(Path("none.csv"), &report_, &summary_, &why_), kUnreadable);
  EXPECT_FALSE(why_.empty());
  fs::create_directory(Path("folder.csv"));
  EXPECT_EQ(Verify(Path("folder.csv"), &report_, &summary_, &why_), kUnreadable);
  EXPECT_EQ(report_.problems(), 0);
#ifndef _WIN32
  // A FIFO without a writer, as the asset data file, through a link, or
  // beside it, is refused at once rather than waited on.
  ASSERT_EQ(Run(), kClean);
  ASSERT_EQ(mkfifo(Path("fifo").c_str(), 0600), 0);
  fs::create_symlink(Path("fifo"), Path("link.csv"));
  for (const std::string& beside : {std::string(), std::string("syurui.SSC"), std::string(kLogName)}) {
    SCOPED_TRACE(beside);
    if (!beside.empty()) fs::rename(Path("fifo"), Path(beside));
    const std::string asset = beside.empty() ? Path("link.csv") : Path("assets.csv");
    why_.clear();
    EXPECT_EQ(Verify(asset, &report_, &summary_, &why_), kUnreadable);
    EXPECT_NE(why_.find("a FIFO, not a regular file"), std::string::npos) << why_;
    if (!beside.empty()) fs::rename(Path(beside), Path("fifo"));
  }
#endif
}

// The default print of many repeated findings: one line per kind and
// column with its count and first lines, the problems first; --all and
// --max-lines.
TEST_F(VerifierTest, RepeatedFindingsAreGroupedAndProblemsComeFirst) {
  rows_.clear();
  for (int i = 1; i <= 60; ++i) {
    char code[7];
    std::snprintf(code, sizeof code, "%06d", i);
    rows_.push_back(Row(code).Set(16, "1000").Set(10, i % 2 ? "=HYPERLINK(1)" : "-").Line());
  }
  rows_.push_back(Row("000001").Line());  // a duplicate code: a problem after all the warnings
  ASSERT_EQ(Run(), kProblems);
  EXPECT_EQ(report_.warnings(), 120);
  auto print = [&](PrintOptions options) {
    std::ostringstream out;
    Report report(&out, false, options);
    Verify(Path("assets.csv"), &report, &summary_, &why_);
    report.Flush();
    std::vector<std::string> lines;
    std::istringstream in(out.str());
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  };
  const std::vector<std::string> grouped = print({});
  ASSERT_EQ(grouped.size(), 3u) << ::testing::PrintToString(grouped);
  EXPECT_NE(grouped[0].find(":68: problem: column 1"), std::string::npos) << grouped[0];
  EXPECT_NE(grouped[1].find(":8: warning: column 10"), std::string::npos) << grouped[1];
  EXPECT_NE(grouped[1].find("(60 like this, on lines 8, 9, 10, 11, 12 and 55 more)"), std::string::npos)
      << grouped[1];
  EXPECT_NE(grouped[2].find("column 16"), std::string::npos) << grouped[2];
  EXPECT_EQ(print({.all = true}).size(), 121u);
  const std::vector<std::string> cut = print({.all = true, .max_lines = 2});
  ASSERT_EQ(cut.size(), 3u);
  EXPECT_EQ(cut[2], "119 more lines of findings not shown (--max-lines N shows N, 0 every one)");
  EXPECT_EQ(print({.max_lines = 1})[0], grouped[0]);
}

// The warning of a lump-sum asset with more than 99 items stands at the
// row of its 99th item; one with no such row is named at the log.
TEST_F(VerifierTest, TheMoreThanNinetyNineItemsRemarkFindsItsAsset) {
  rows_ = {Row("000001").Line()};
  for (int item = 1; item <= 99; ++item) {
    char code[9];
    std::snprintf(code, sizeof code, "000002%02d", item);
    rows_.push_back(Row(code, "一括決算").Set(3, "").Line());
  }
  rows_.push_back(Row("000003").Line());
  const std::string limit =
      Remark("WARNING", "連携可能な最大内訳件数は99件です。\n100件目から後の内訳は出力されません。");
  log_ = limit;
  ASSERT_EQ(Run(), kClean);
  ExpectOneWarning(107, 1, "\"000002\" has more than 99 items");
  log_ = limit + limit;
  ASSERT_EQ(Run(), kClean);
  EXPECT_EQ(report_.warnings(), 2);
  EXPECT_NE(Findings().find(
                "remark 2 of ZelEnaMx13SysErr.txt: a lump-sum asset has more than 99 items, but no row"),
            std::string::npos)
      << Findings();
}

TEST_F(VerifierTest, GarbageIsReportedNotTrusted) {
  // Bytes of every value, without a line end, and an empty file.
  std::string garbage;
  for (int i = 0; i < 200000; ++i)
    garbage += static_cast<char>((i * 7919) % 256 == '\n' ? 'x' : (i * 7919) % 256);
  asset_text_ = garbage;
  types_ = garbage;
  log_ = garbage;
  EXPECT_EQ(Run(), kProblems);
  EXPECT_GT(report_.problems(), 0);

  Write(Path("empty.csv"), "");
  EXPECT_EQ(Verify(Path("empty.csv"), &report_, &summary_, &why_), kProblems);
}

}  // namespace
}  // namespace verify
