// Run control end to end: the export and its end report, the three
// programs, the start-up refusals and the compatibility check.
#include <filesystem>

#include "tests/e2e.h"

namespace e2e {
namespace {

const char* const kExportToOut =
    "set 1007 E:\\out\\a.csv\n"
    "key F12\n"
    "answer yes\n"  // create E:\out\ ?
    "answer ok\n";  // the end message

TEST_F(E2eTest, CleanExportReportsBothFilesAndDeletesTheEmptyLog) {
  MakeStore(0);  // no assets: nothing raises a remark
  RunResult r = Run(kExportToOut);
  EXPECT_EQ(r.status, 0) << r.errors;
  ASSERT_EQ(r.lines.size(), 4u) << r.errors;
  EXPECT_EQ(r.lines[0],
            R"({"event":"dialog","company":" 株式会社ゼルマー商事","period":" 2024/04/01～2025/03/31",)"
            R"("path":"E:\\out\\*.csv","focus":1007})");
  EXPECT_EQ(r.events[1]["text"], kFolderQuestion);
  EXPECT_EQ(r.lines[2], R"({"event":"dialog-end","code":1005})");
  EXPECT_EQ(r.events[3]["owner"], "none");
  EXPECT_EQ(r.events[3]["caption"], "減価償却");
  EXPECT_EQ(r.events[3]["style"], 64);
  EXPECT_EQ(r.events[3]["text"], SuccessMessage("E:\\out\\a.csv", "E:\\out\\syurui.SSC"));
  EXPECT_TRUE(Exists(e_ + "/out/a.csv"));
  EXPECT_TRUE(Exists(e_ + "/out/syurui.SSC"));
  EXPECT_FALSE(Exists(e_ + "/out/ZelEnaMx13SysErr.txt"));
  EXPECT_TRUE(r.Of("process").empty());
  EXPECT_EQ(ReadFile(e_ + "/env/ZelEna20ToMx13.env"), "user01/1/1:E:\\out\\a.csv\n");
}

TEST_F(E2eTest, RemarksOpenTheViewerAndTheMessageFollowsOnlyAfterItClosed) {
  MakeStore();  // the sample company has values that raise remarks
  // The viewer takes a second, then copies the log it was given.
  WriteFile(dir_ + "/viewer.sh", "sleep 1; cp \"$1\" '" + dir_ + "/viewed.txt'\n");
  RunResult r = Run(kExportToOut, "ZelEna20ToMx13", {"ZEL_VIEWER=sh " + dir_ + "/viewer.sh"});
  EXPECT_EQ(r.status, 0) << r.errors;
  ASSERT_EQ(r.lines.size(), 5u) << r.errors;
  EXPECT_EQ(r.lines[3],
            R"({"event":"process","command":"C:\\Program Files\\Windows NT\\Accessories\\Wordpad.exe )"
            R"(\"E:\\out\\ZelEnaMx13SysErr.txt\"","folder":"C:\\Program Files\\Windows NT\\Accessories",)"
            R"("started":true})");
  EXPECT_EQ(r.events[4]["text"], kFinishedWithRemarks);
  EXPECT_EQ(r.events[4]["owner"], "none");
  EXPECT_EQ(r.events[4]["style"], 64);
  // The program waited for the viewer: its copy is there when the program
  // has ended, and the log stays on disk.
  std::string log = ReadFile(e_ + "/out/ZelEnaMx13SysErr.txt");
  EXPECT_FALSE(log.empty());
  EXPECT_EQ(ReadFile(dir_ + "/viewed.txt"), log);
  EXPECT_GE(r.seconds, 1.0);
  EXPECT_NE(FromCp932(log).find("＜"), std::string::npos);

  // A viewer that cannot start: the box names the log, which stays.
  r = Run(kExportToOut, "ZelEna20ToMx13", {"ZEL_VIEWER=" + dir_ + "/no-such-viewer"});
  EXPECT_EQ(r.status, 0) << r.errors;
  ASSERT_EQ(r.Of("process").size(), 1u) << r.errors;
  EXPECT_EQ(r.Of("process")[0]["started"], false);
  EXPECT_EQ(r.Messages().back(),
            std::string(kFinishedWithRemarks) + "\n\nエラーログ ⇒ E:\\out\\ZelEnaMx13SysErr.txt");
  EXPECT_TRUE(Exists(e_ + "/out/ZelEnaMx13SysErr.txt"));
}

TEST_F(E2eTest, EachProgramHasItsOwnEnvironmentFileAndErrorLog) {
  MakeStore();
  struct {
    const char* program;
    const char* env;
    const char* log;
  } programs[] = {
      {"ZelEna20ToMx13", "ZelEna20ToMx13.env", "ZelEnaMx13SysErr.txt"},
      {"ZelDio20ToMx13", "ZelDio20ToMx13.env", "ZelDioMx13SysErr.txt"},
      {"ZelTre20ToMx13", "ZelTre20ToMx13.env", "ZelTreMx13SysErr.txt"},
  };
  for (const auto& p : programs) {
    std::string folder = std::string("E:\\") + p.program + "\\";
    // A viewer that writes to standard output does not spoil the transcript.
    RunResult r = Run("set 1007 " + folder + "a.csv\nkey F12\nanswer yes\nanswer ok\n", p.program,
                      {"ZEL_WINDIR=D:\\WINNT", "ZEL_VIEWER=echo viewer got"});
    for (const auto& e : r.events) EXPECT_FALSE(e.is_discarded()) << p.program;
    EXPECT_NE(r.errors.find("viewer got"), std::string::npos) << p.program;
    EXPECT_EQ(r.status, 0) << p.program << r.errors;
    EXPECT_EQ(r.Messages().back(), kFinishedWithRemarks) << p.program;
    ASSERT_EQ(r.Of("process").size(), 1u) << p.program;
    EXPECT_EQ(r.Of("process")[0]["command"],
              "D:\\Program Files\\Windows NT\\Accessories\\Wordpad.exe \"" + folder + p.log + "\"");
    EXPECT_TRUE(Exists(e_ + "/" + p.program + "/" + p.log)) << p.program;
    EXPECT_EQ(ReadFile(e_ + "/env/" + p.env), "user01/1/1:" + folder + "a.csv\n") << p.program;
  }
}

TEST_F(E2eTest, AFailedExportIsNeverReportedAsSuccess) {
  MakeStore(0);
  // The asset type file cannot be opened: a folder has its name.
  std::filesystem::create_directories(e_ + "/out/syurui.SSC");
  RunResult r = Run("set 1007 E:\\out\\a.csv\nkey F12\nanswer ok\n");
  EXPECT_EQ(r.status, 2) << r.errors;
  ASSERT_EQ(r.Messages().size(), 1u) << r.errors;
  nlohmann::json box = r.Of("message")[0];
  std::string text = box["text"];
  EXPECT_EQ(text.rfind(kExportFailedStart, 0), 0u) << text;
  EXPECT_NE(text.find("E:\\out\\syurui.SSC"), std::string::npos) << text;
  EXPECT_EQ(box["caption"], "減価償却");
  EXPECT_EQ(box["style"], 16);  // stop icon, OK button
  EXPECT_EQ(box["owner"], "none");
  EXPECT_TRUE(r.Of("process").empty());

  // The asset data file cannot be written: the disk is full. (A device
  // such as /dev/full is refused by the dialog before.)
  file_size_limit_ = 512;
  r = Run("set 1007 E:\\out\\full.csv\nkey F12\nanswer ok\n");
  file_size_limit_ = 0;
  EXPECT_EQ(r.status, 2) << r.errors;
  ASSERT_EQ(r.Messages().size(), 1u) << r.errors;
  EXPECT_EQ(r.Messages()[0].rfind(kExportFailedStart, 0), 0u) << r.Messages()[0];
  EXPECT_NE(r.Messages()[0].find("E:\\out\\full.csv"), std::string::npos) << r.Messages()[0];

  // Two files fail: both are named.
  std::filesystem::create_directories(e_ + "/out/ZelEnaMx13SysErr.txt");
  r = Run("set 1007 E:\\out\\b.csv\nkey F12\nanswer ok\n");
  EXPECT_EQ(r.status, 2) << r.errors;
  ASSERT_EQ(r.Messages().size(), 1u) << r.errors;
  EXPECT_NE(r.Messages()[0].find("⇒ E:\\out\\syurui.SSC\n"), std::string::npos) << r.Messages()[0];
  EXPECT_NE(r.Messages()[0].find("⇒ E:\\out\\ZelEnaMx13SysErr.txt\n"), std::string::npos) << r.Messages()[0];
  EXPECT_EQ(r.Messages()[0].find("b.csv"), std::string::npos) << r.Messages()[0];
  EXPECT_FALSE(Exists(e_ + "/out/b.csv"));
}

TEST_F(E2eTest, ARefusedConnectionEndsWithoutAMessageOfItsOwn) {
  MakeStore(0);
  Sql("UPDATE package SET initiate_result = 7;");
  RunResult r = Run(kExportToOut);
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(r.lines.empty());

  Sql("UPDATE package SET initiate_result = 0, syslink_result = 3;");
  r = Run(kExportToOut);
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(r.lines.empty());

  // No store at all: the component says why on standard error.
  std::filesystem::remove(dir_ + "/package.db");
  r = Run(kExportToOut);
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(r.lines.empty());
  EXPECT_FALSE(r.errors.empty());
  EXPECT_FALSE(Exists(e_ + "/out"));
}

TEST_F(E2eTest, CompatibilityCheckOutcomes) {
  MakeStore(0);
  const std::string need_package =
      "ご利用の連動コンポーネントは、インストールされているZelmarでは使用できません。\n"
      "Zelmarの最新版を入手してインストールしてからご利用ください。";
  const std::string need_component =
      "ご利用の連動コンポーネントは、インストールされているZelmarでは使用できません。\n"
      "連動コンポーネントの最新版を入手してインストールしてからご利用ください。";
  const std::string bad_setup =
      "動作環境が不正です。\nZelmarが正しくインストールされているか確認してください。";
  struct {
    const char* ini;      // nullptr: no OrvikDef.ini
    std::string message;  // empty: the check passes
  } cases[] = {
      {nullptr, bad_setup},
      {"[Other]\r\nMX13=2\r\n", need_package},         // no section: read as 1
      {"[ProgramLevel]\r\nMX12=2\r\n", need_package},  // no key: read as 1
      {"[ProgramLevel]\r\nMX13=2\r\n", ""},
      {"[ProgramLevel]\r\nMX13=3\r\n", need_component},
      {"[ProgramLevel]\r\nMX13=\r\n", bad_setup},
      {"[ProgramLevel]\r\nMX13=abc\r\n", need_package},  // no number: read as 0
      {"[ProgramLevel]\r\nMX13=99999999999999\r\n", need_component},
  };
  for (const auto& c : cases) {
    UseProgramCopy("ZelEna20ToMx13", c.ini);
    RunResult r = Run(c.message.empty() ? "key Esc\nanswer ok\n" : "answer ok\n");
    const char* ini = c.ini ? c.ini : "(none)";
    EXPECT_EQ(r.status, 1) << ini;
    if (c.message.empty()) {
      EXPECT_EQ(r.Of("dialog").size(), 1u) << ini;
      continue;
    }
    ASSERT_EQ(r.lines.size(), 1u) << ini << r.errors;
    EXPECT_EQ(r.events[0]["text"], c.message) << ini;
    EXPECT_EQ(r.events[0]["caption"], "減価償却");
    EXPECT_EQ(r.events[0]["style"], 48);
    EXPECT_EQ(r.events[0]["owner"], "none");
  }

  // A program folder whose name ends with a double-byte character whose
  // second byte has the value of "\" ("表"): OrvikDef.ini is still found.
  UseProgramCopy("ZelEna20ToMx13", "[ProgramLevel]\r\nMX13=2\r\n", "表");
  RunResult r = Run("key Esc\nanswer ok\n");
  EXPECT_EQ(r.Of("dialog").size(), 1u) << r.errors;
  EXPECT_EQ(r.Messages(), std::vector<std::string>{kCancelNotice});
}

TEST_F(E2eTest, PastResultsDataIsRefusedBeforeAnyInput) {
  MakeStore(0);
  Sql("UPDATE users SET selected_second = 3 WHERE user_id = 'user01';");
  std::filesystem::create_directories(e_ + "/env");
  const std::string env = "user01/1/3:E:\\old\\x.csv\nuser02/1/2:E:\\y.csv\n";
  WriteFile(e_ + "/env/ZelEna20ToMx13.env", env);
  RunResult r = Run("answer ok\n");
  EXPECT_EQ(r.status, 1);
  ASSERT_EQ(r.lines.size(), 2u) << r.errors;
  EXPECT_EQ(r.events[0]["text"], kPastResults);
  EXPECT_EQ(r.events[0]["owner"], "dialog");
  EXPECT_EQ(r.events[0]["style"], 48);
  EXPECT_EQ(r.lines[1], R"({"event":"dialog-end","code":1006})");
  EXPECT_EQ(ReadFile(e_ + "/env/ZelEna20ToMx13.env"), env);
  EXPECT_FALSE(Exists(e_ + "/out"));
  EXPECT_FALSE(Exists(e_ + "/old"));
}

TEST_F(E2eTest, CompanyAndPeriodLines) {
  MakeStore(0);
  // A name of 259 bytes: the line holds a blank and whole characters only,
  // 255 bytes at most.
  std::string kanji;
  for (int i = 0; i < 129; ++i) kanji += "漢";
  Sql("UPDATE datasets SET company_name = 'x" + kanji + "' WHERE data_no = 1;");
  RunResult r = Run("key Esc\nanswer ok\n");
  ASSERT_EQ(r.Of("dialog").size(), 1u) << r.errors;
  std::string want = " x";
  for (int i = 0; i < 126; ++i) want += "漢";
  EXPECT_EQ(r.Of("dialog")[0]["company"], want);
  // A selection of no data set never reaches the dialog: the package
  // refuses the link to its data first (startup_e2e_test.cpp).
}

TEST_F(E2eTest, BackEndSelectionAndScriptErrors) {
  MakeStore(0);
  // Neither a terminal nor a script: said on standard error, ended as quit.
  RunResult r = Run("", "ZelEna20ToMx13", {"ZEL_UI", "ZEL_UI_SCRIPT"});
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(r.lines.empty());
  EXPECT_NE(r.errors.find("ZEL_UI_SCRIPT"), std::string::npos) << r.errors;
  // ZEL_UI_SCRIPT alone picks the script back end.
  r = Run("key Esc\nanswer ok\n", "ZelEna20ToMx13", {"ZEL_UI"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.Messages(), std::vector<std::string>{kCancelNotice});
  // A script that cannot be read.
  r = Run("", "ZelEna20ToMx13", {"ZEL_UI_SCRIPT=" + dir_ + "/missing.txt"});
  EXPECT_EQ(r.status, 3);
  ASSERT_EQ(r.lines.size(), 1u);
  EXPECT_EQ(r.events[0]["event"], "script-error");

  // A script error ends the run with status 3 and writes nothing more: here
  // an answer that the box does not offer, after the export.
  r = Run("set 1007 E:\\out\\a.csv\nkey F12\nanswer yes\nanswer yes\n");
  EXPECT_EQ(r.status, 3);
  ASSERT_EQ(r.lines.size(), 5u);
  EXPECT_TRUE(r.events[3]["answer"].is_null());
  EXPECT_EQ(r.lines[4], R"({"event":"script-error","line":4,"reason":"the message box offers no \"yes\""})");
  EXPECT_NE(r.errors.find("line 4"), std::string::npos) << r.errors;
  // The script ends while the dialog waits for input.
  r = Run("set 1007 E:\\out\\b.csv\n");
  EXPECT_EQ(r.status, 3);
  ASSERT_EQ(r.lines.size(), 2u);
  EXPECT_EQ(r.events[1]["event"], "script-error");
  EXPECT_EQ(r.events[1]["line"], 2);
  EXPECT_FALSE(Exists(e_ + "/out/b.csv"));
}

}  // namespace
}  // namespace e2e
