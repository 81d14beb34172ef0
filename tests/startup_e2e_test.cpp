// Start-up as users meet it: the programs' options, runs that cannot work
// ending before the dialog with a line on standard error that says why, and
// data imported with zelpkg exporting as the same data made in SQL.
#include <filesystem>

#include "tests/e2e.h"

namespace e2e {
namespace {

const char kQuit[] = "key Esc\nanswer ok\n";

std::string Output(const RunResult& r) {
  std::string out;
  for (const std::string& line : r.lines) out += line + "\n";
  return out;
}

size_t LineCount(const std::string& text) { return std::count(text.begin(), text.end(), '\n'); }

TEST_F(E2eTest, HelpVersionAndOtherArgumentsOfTheThreePrograms) {
  // No store: the options need none.
  const std::pair<const char*, const char*> programs[] = {{"ZelEna20ToMx13", "ZelEnaMx13SysErr.txt"},
                                                          {"ZelDio20ToMx13", "ZelDioMx13SysErr.txt"},
                                                          {"ZelTre20ToMx13", "ZelTreMx13SysErr.txt"}};
  const std::string options = " [--batch OUTDIR] [--data-set ID] [--jobs N] [--resume]";
  for (const auto& [program, log] : programs) {
    for (const char* help : {"--help", "-h"}) {
      args_ = {help};
      RunResult r = Run("", program);
      EXPECT_EQ(r.status, 0) << program;
      std::string out = Output(r);
      EXPECT_EQ(out.rfind(std::string("usage: ") + program + options + "\n", 0), 0u) << out;
      for (const char* word : {"ZEL_PACKAGE", "ZEL_DRIVES", "ZEL_SHARES", "ZEL_UI ", "ZEL_UI_SCRIPT",
                               "ZEL_VIEWER", log, "Exit status", "64 a wrong command line"})
        EXPECT_NE(out.find(word), std::string::npos) << program << ": " << word;
      EXPECT_EQ(r.errors, "");
    }

    args_ = {"--version"};
    RunResult r = Run("", program);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(Output(r).rfind(std::string(program) + " ", 0), 0u) << Output(r);
    EXPECT_EQ(r.lines.size(), 1u);

    // Anything else is refused before the run: no dialog, no transcript.
    args_ = {"file.csv"};
    r = Run(kQuit, program);
    EXPECT_EQ(r.status, 64);
    EXPECT_TRUE(r.lines.empty());
    EXPECT_EQ(r.errors, std::string(program) + ": unexpected argument \"file.csv\"\nusage: " + program +
                            options + "\n(" + program + " --help says more)\n");
  }
}

// The conventions that the programs and both tools share: a mistake named
// with the nearest valid word, on standard error, with exit status 64 (no
// run's outcome); --help of each command on standard output.
TEST_F(E2eTest, CommandLineConventionsOfTheProgramsAndTools) {
  const struct {
    std::vector<std::string> argv;
    const char* error;  // the first line on standard error after "PROGRAM: "; "" when the run succeeds
    const char* out;    // what standard output starts with
  } cases[] = {
      {{"ZelEna20ToMx13", "--bogus"}, "unknown option --bogus", ""},
      {{"ZelDio20ToMx13", "--hepl"}, "unknown option --hepl; did you mean --help?", ""},
      {{"ZelTre20ToMx13", "--vers"}, "unknown option --vers; did you mean --version?", ""},
      {{"zelpkg"}, "no command given", ""},
      {{"zelpkg", "imprt", "s"}, "unknown command imprt; did you mean import?", ""},
      {{"zelpkg", "import", "s", "--asset", "a"}, "unknown option --asset; did you mean --assets?", ""},
      {{"zelpkg", "import", "s", "--items", "i"}, "--assets A.csv is missing", ""},
      {{"zelpkg", "import", "s", "--assets"}, "--assets needs A.csv", ""},
      {{"zelpkg", "sample", "s", "--seed", "1", "--seed", "2"}, "--seed is given twice", ""},
      {{"zelpkg", "sample", "s", "--assets=-1"},
       "--assets N: \"-1\" is not a whole number from 0 to 100000000",
       ""},
      {{"zelpkg", "init", "s", "--forse"}, "unknown option --forse; did you mean --force?", ""},
      {{"zelpkg", "check"}, "FILE is missing", ""},
      {{"zelpkg", "schema", "s"}, "unexpected argument \"s\"", ""},
      {{"zelpkg", "-h"}, "", "usage: zelpkg init FILE [--force]\n       zelpkg sample FILE"},
      {{"zelpkg", "sample", "--help"}, "", "usage: zelpkg sample FILE [--assets N] [--seed S] [--force]\n"},
      {{"zelpkg", "import", "-h", "--bogus"}, "", "usage: zelpkg import FILE [--assets A.csv]"},
      {{"zelpkg", "check", "--version"}, "", "zelpkg "},
      {{"zelverify", "--sumary", "a.csv"}, "unknown option --sumary; did you mean --summary?", ""},
      {{"zelverify", "--rep", "r.html", "a.csv"}, "unknown option --rep; did you mean --report?", ""},
      {{"zelverify", "-x", "a.csv"}, "unknown option -x", ""},
      {{"zelverify", "a.csv", "b.csv"}, "unexpected argument \"b.csv\"", ""},
      {{"zelverify", "--summary=yes", "a.csv"}, "--summary takes no value", ""},
      {{"zelverify", "-h"}, "", "usage: zelverify PATH.csv [--all] [--max-lines N] [--summary]"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> argv = c.argv;
    argv[0] = program_dir_ + "/" + argv[0];
    testenv::ProgramResult r = testenv::RunProgram(Tool(argv));
    std::string call = ::testing::PrintToString(c.argv);
    EXPECT_EQ(r.out.rfind(c.out, 0), 0u) << call << r.out;
    if (c.error[0] == '\0') {
      EXPECT_EQ(r.status, 0) << call << r.err;
      continue;
    }
    // A usage error: the mistake, then the command's usage; nothing else written.
    EXPECT_EQ(r.status, 64) << call << r.err;
    EXPECT_EQ(r.err.substr(0, r.err.find('\n')), c.argv[0] + ": " + c.error) << call;
    EXPECT_NE(r.err.find("\nusage: " + c.argv[0]), std::string::npos) << call << r.err;
    EXPECT_EQ(r.out, "") << call;
  }
  EXPECT_FALSE(Exists(dir_ + "/s"));
}

// What the drive map makes of the paths a user meets: a drive whose folder
// does not exist is named at start-up and the run goes on; a path of this
// computer typed into the dialog gets the system's refusal, and its Windows
// form on standard error.
TEST_F(E2eTest, TheDriveMapIsExplainedAtStartUpAndWhenAHostPathIsTyped) {
  MakeStore(0);
  drives_ = ";D:cdrom=" + dir_ + "/no-cd;N:noroot=";
  const struct {
    std::string typed;
    std::string hint;  // the line on standard error after the warning; "" for none
  } cases[] = {
      {"/tmp/x.csv",
       "/tmp/x.csv is a path of this computer; the program takes Windows paths on the drives of "
       "ZEL_DRIVES: type Z:\\tmp\\x.csv"},
      {e_ + "/out/a.csv", e_ +
                              "/out/a.csv is a path of this computer; the program takes Windows paths on the "
                              "drives of ZEL_DRIVES: type E:\\out\\a.csv"},
      {"E:\\out\\*.csv", ""},
  };
  const std::string warning = "ZelEna20ToMx13: warning: ZEL_DRIVES: drive D: stands for " + dir_ +
                              "/no-cd, which is no folder here: paths on it are refused until it exists\n";
  for (const auto& c : cases) {
    RunResult r = Run("set 1007 " + c.typed + "\nkey F12\nanswer ok\n" + kQuit);
    EXPECT_EQ(r.status, 1) << r.errors;
    EXPECT_EQ(r.errors, warning + (c.hint.empty() ? "" : c.hint + "\n")) << c.typed;
    ASSERT_EQ(r.Messages().size(), 2u) << c.typed;
    EXPECT_EQ(r.Messages()[0],
              "データの出力先に不正な文字が含まれています。\n\n出力先を再入力してください。");
  }
}

TEST_F(E2eTest, ARunWithoutAUserOrASelectedDataSetEndsBeforeTheDialog) {
  MakeStore(0);
  // An empty current user, as a store from `zelpkg init` has.
  Sql("UPDATE package SET current_user = '';");
  RunResult r = Run(kQuit);
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(r.lines.empty()) << Output(r);
  EXPECT_NE(r.errors.find("no current user: package.current_user is empty"), std::string::npos) << r.errors;
  EXPECT_EQ(LineCount(r.errors), 1u) << r.errors;

  Sql("UPDATE package SET current_user = 'nobody';");
  r = Run(kQuit);
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(r.lines.empty()) << Output(r);
  EXPECT_NE(r.errors.find("the current user \"nobody\" (package.current_user) is not in users"),
            std::string::npos)
      << r.errors;

  // A selection of no data set: formerly an empty company, a zero period
  // and an export reported as a success.
  Sql("UPDATE package SET current_user = 'user01'; UPDATE users SET selected_second = 42 WHERE user_id = "
      "'user01';");
  r = Run("set 1007 E:\\out\\a.csv\nkey F12\nanswer yes\nanswer ok\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(r.lines.empty()) << Output(r);
  EXPECT_NE(r.errors.find("has selected data set no. 42 (users.selected_second), which is not in datasets"),
            std::string::npos)
      << r.errors;
  EXPECT_FALSE(Exists(e_ + "/out"));

  // The package's own refusals are said too.
  Sql("UPDATE users SET selected_second = 1 WHERE user_id = 'user01'; UPDATE package SET initiate_result = "
      "5;");
  r = Run(kQuit);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.errors.find("initiate_result 5"), std::string::npos) << r.errors;
}

TEST_F(E2eTest, ADriveMapThatCannotServeTheProgramIsNamed) {
  MakeStore(0);
  RunResult r = Run(kQuit, "ZelEna20ToMx13", {"ZEL_DRIVES=garbage"});
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(r.lines.empty()) << Output(r);
  EXPECT_NE(r.errors.find("ZelEna20ToMx13: ZEL_DRIVES: the entry \"garbage\" is not L:TYPE=/host/dir\n"),
            std::string::npos)
      << r.errors;
  EXPECT_NE(r.errors.find("ZelEna20ToMx13: the program's folder " + program_dir_ + " is on no drive"),
            std::string::npos)
      << r.errors;
  EXPECT_EQ(LineCount(r.errors), 2u) << r.errors;

  // Well formed, but not where the program lies.
  r = Run(kQuit, "ZelEna20ToMx13", {"ZEL_DRIVES=E:fixed=/nonexistent"});
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(r.lines.empty());
  EXPECT_NE(r.errors.find("the program's folder"), std::string::npos) << r.errors;
  EXPECT_EQ(LineCount(r.errors), 1u) << r.errors;

  // One bad entry among good ones is enough to stop.
  drives_ = ";E:cdrom=/mnt";
  r = Run(kQuit);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.errors, "ZelEna20ToMx13: ZEL_DRIVES: the entry \"E:cdrom=/mnt\" maps drive E: a second time\n");
  drives_.clear();
  r = Run(kQuit, "ZelEna20ToMx13", {"ZEL_SHARES=srv/pub=/srv;printers"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.errors, "ZelEna20ToMx13: ZEL_SHARES: the entry \"printers\" is not server/share=/host/dir\n");

  // An empty map is the default one: the dialog comes up as before.
  r = Run(kQuit, "ZelEna20ToMx13", {"ZEL_DRIVES="});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.Of("dialog").size(), 1u) << r.errors;
  EXPECT_EQ(r.Messages(), std::vector<std::string>{kCancelNotice});
  EXPECT_EQ(r.errors, "");
}

// The same company twice: CSV files for zelpkg import, and SQL.
const char kAssetsCsv[] =
    "code,name,quantity_text,memo,type_code,method_code,useful_life,depreciation_rate,acquisition_date,"
    "acquisition_cost,opening_book_value,accumulated_depreciation,closing_book_value,computed_depreciation,"
    "business_ratio,sga_share,months_numerator,months_denominator,disposal_kind,disposal_date,disposal_price,"
    "revised_cost,residual_rate,limit_kind,depreciable_limit\n"
    "000001,本社ビル,1棟,\"駅前, "
    "3階建て\",1,6,30,34,2015-04-01,120000000,100000000,24000000,96000000,4000000,"
    "10000,100,12,12,0,,,,,,\n"
    "000002,\"パソコン "
    "\"\"一式\"\"\",3台,,10,4,3,,20230401,600000.5,400000.5,200000,200000.5,200000,10000,60,12,12,"
    ",,,,,,\n"
    "000003,営業車,1台,売却済み,7,1,6,319,2019-10-01,2500000.25,800000,1700000.25,0,0,8000,100,6,12,4,"
    "2024-09-30,500000,2400000.1234,100,1,125000\n"
    "0000000004X,旧定額法の機械,,,4,2,10,100,20100115,99999999999.9999,1,0,1,0,10000,100,12,12,5,20241231,,,"
    "100,0,5\n";
const char kItemsCsv[] =
    "asset_seq,acquisition_date,name,acquisition_cost,quantity\n"
    "2,2023-04-01,ノートPC,150000.25,100\n"
    "2,2023-04-01,\"モニター, 24型\",450000.25,250\n";
const char kCategoriesCsv[] =
    "code,name,method_code,residual_ratio\n"
    "1,建物,6,0\n"
    "4,機械及び装置,8,5\n"
    "7,車両運搬具,8,0\n"
    "10,一括償却資産,2,0\n";
const char kSameInSql[] =
    "UPDATE package SET current_user = 'user01', output_folder = 'E:\\out\\', env_folder = 'E:\\env\\';"
    "INSERT INTO users VALUES ('user01', 1, 1);"
    "INSERT INTO datasets VALUES (1, 'D0001', '株式会社テスト商事', 20240401, 20250331, 0, 0);"
    "INSERT INTO assets (data_id, seq, code, name, quantity_text, memo, type_code, method_code, useful_life, "
    "depreciation_rate, acquisition_date, acquisition_cost, opening_book_value, accumulated_depreciation, "
    "closing_book_value, computed_depreciation, business_ratio, sga_share, months_numerator, "
    "months_denominator, "
    "disposal_kind, disposal_date, disposal_price, revised_cost, residual_rate, limit_kind, "
    "depreciable_limit) VALUES "
    "('D0001', 1, '000001', '本社ビル', '1棟', '駅前, 3階建て', 1, 6, 30, 34, 20150401, 1200000000000, "
    "1000000000000, 240000000000, 960000000000, 40000000000, 10000, 100, 12, 12, 0, 0, 0, 0, 0, 0, 0),"
    "('D0001', 2, '000002', 'パソコン \"一式\"', '3台', '', 10, 4, 3, 0, 20230401, 6000005000, 4000005000, "
    "2000000000, 2000005000, 2000000000, 10000, 60, 12, 12, 0, 0, 0, 0, 0, 0, 0),"
    "('D0001', 3, '000003', '営業車', '1台', '売却済み', 7, 1, 6, 319, 20191001, 25000002500, 8000000000, "
    "17000002500, 0, 0, 8000, 100, 6, 12, 4, 20240930, 5000000000, 24000001234, 100, 1, 1250000000),"
    "('D0001', 4, '0000000004X', '旧定額法の機械', '', '', 4, 2, 10, 100, 20100115, 999999999999999, 10000, "
    "0, "
    "10000, 0, 10000, 100, 12, 12, 5, 20241231, 0, 0, 100, 0, 50000);"
    "INSERT INTO lump_items VALUES ('D0001', 2, 1, 'ノートPC', 20230401, 1500002500, 100),"
    "('D0001', 2, 2, 'モニター, 24型', 20230401, 4500002500, 250);"
    "INSERT INTO categories VALUES ('D0001', 1, 1, '建物', 6, 0), ('D0001', 2, 4, '機械及び装置', 8, 5),"
    "('D0001', 3, 7, '車両運搬具', 8, 0), ('D0001', 4, 10, '一括償却資産', 2, 0);";

TEST_F(E2eTest, ImportedDataExportsAsTheSameDataMadeInSql) {
  WriteFile(dir_ + "/a.csv", kAssetsCsv);
  WriteFile(dir_ + "/i.csv", kItemsCsv);
  WriteFile(dir_ + "/c.csv", kCategoriesCsv);
  std::string out, err;
  ASSERT_EQ(
      Zelpkg({"import", "package.db", "--assets", "a.csv", "--items", "i.csv", "--categories", "c.csv",
              "--data-set", "D0001", "--company", "株式会社テスト商事", "--period", "2024-04-01", "20250331"},
             &out, &err),
      0)
      << err;
  Sql("UPDATE package SET output_folder = 'E:\\out\\', env_folder = 'E:\\env\\';");
  ASSERT_EQ(Zelpkg({"check", "package.db"}, &out), 0) << out;
  ASSERT_EQ(Zelpkg({"init", "sql.db"}), 0);
  Sql(kSameInSql, "sql.db");
  std::filesystem::create_directories(e_ + "/imported");
  std::filesystem::create_directories(e_ + "/sql");
  RunResult imported = Run("set 1007 E:\\imported\\a.csv\nkey F12\nanswer ok\n");
  ASSERT_EQ(imported.status, 0) << imported.errors;
  RunResult made = Run("set 1007 E:\\sql\\a.csv\nkey F12\nanswer ok\n", "ZelEna20ToMx13",
                       {"ZEL_PACKAGE=" + dir_ + "/sql.db"});
  ASSERT_EQ(made.status, 0) << made.errors;
  EXPECT_EQ(imported.Of("dialog")[0]["company"], " 株式会社テスト商事");
  for (const char* file : {"/a.csv", "/syurui.SSC", "/ZelEnaMx13SysErr.txt"}) {
    std::string a = ReadFile(e_ + "/imported" + file), b = ReadFile(e_ + "/sql" + file);
    EXPECT_EQ(a, b) << file;
    if (std::string(file) != "/ZelEnaMx13SysErr.txt") {
      EXPECT_NE(a, "") << file;
    }
  }
}

}  // namespace
}  // namespace e2e
