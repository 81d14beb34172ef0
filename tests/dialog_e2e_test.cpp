// The export conditions dialog end to end: quitting, the refusals of the
// export command, folder creation, the overwrite question, keys, browsing,
// the remembered path, network paths and drive types.
#include <sys/stat.h>

#include <filesystem>

#include "tests/e2e.h"

namespace e2e {
namespace {

namespace fs = std::filesystem;

class DialogE2eTest : public E2eTest {
 protected:
  void SetUp() override {
    E2eTest::SetUp();
    MakeStore(0);
    fs::create_directories(dir_ + "/share");
    fs::create_directories(dir_ + "/cd");
    fs::create_directories(dir_ + "/ram");
    drives_ = ";D:cdrom=" + dir_ + "/cd;R:ramdisk=" + dir_ + "/ram;Q:unknown=" + dir_ + "/cd";
  }
  RunResult RunWithShare(const std::string& script) {
    return Run(script, "ZelEna20ToMx13", {"ZEL_SHARES=srv/share=" + dir_ + "/share"});
  }
};

TEST_F(DialogE2eTest, EscCloseAndCancelShowTheNoticeAndQuit) {
  for (const char* quit : {"key Esc", "close", "click 1006", "focus 1006\nkey Enter", "focus 1006\nkey Space",
                           "focus 1008\nkey Esc"}) {
    RunResult r = Run(std::string(quit) + "\nanswer ok\n");
    EXPECT_EQ(r.status, 1) << quit;
    ASSERT_EQ(r.lines.size(), 3u) << quit << r.errors;
    EXPECT_EQ(r.events[1]["text"], kCancelNotice) << quit;
    EXPECT_EQ(r.events[1]["owner"], "dialog");
    EXPECT_EQ(r.events[1]["style"], 64);
    EXPECT_EQ(r.lines[2], R"({"event":"dialog-end","code":1006})") << quit;
  }
  EXPECT_FALSE(Exists(e_ + "/out"));
  EXPECT_FALSE(Exists(e_ + "/env"));
}

TEST_F(DialogE2eTest, EveryRefusalKeepsTheDialogOpenWithThePathEdit) {
  fs::create_directories(e_ + "/dir");
  fs::create_directories(e_ + "/pipes");
  ASSERT_EQ(mkfifo((e_ + "/pipes/fifo.csv").c_str(), 0644), 0);
  fs::create_symlink(e_ + "/pipes/fifo.csv", e_ + "/pipes/link.csv");
  ASSERT_EQ(mkfifo((e_ + "/pipes/syurui.SSC").c_str(), 0644), 0);
  fs::create_directories(e_ + "/dev");
  fs::create_symlink("/dev/null", e_ + "/dev/null.csv");
  auto not_regular = [](const std::string& file) {
    return "次のファイルは通常のファイルではないため、出力先にできません。\n\n" + file +
           "\n\n出力先を再入力してください。";
  };
  std::string long_folder(250, 'a');
  struct {
    std::string path;
    std::string message;
  } cases[] = {
      {"", kNoPath},
      {"E:\\out\\*.csv", kInvalidChars},  // the default
      {"E:*.csv", kInvalidChars},
      {"E:\\out\\\\a.csv", kInvalidChars},  // doubled backslash
      {"E:\\out\\a;b.csv", kInvalidChars},
      {"\\\\srv\\share\\\\a.csv", kInvalidChars},
      {"Q:\\a.csv", kInvalidDrive},                // unknown drive type
      {"D:\\a.csv", kInvalidDrive},                // CD-ROM
      {"R:\\a.csv", kInvalidDrive},                // RAM disk
      {"5:\\a.csv", kInvalidDrive},                // no drive letter
      {"\\\\other\\share\\a.csv", kInvalidDrive},  // a share that is not listed
      {"\\\\srv\\share", kInvalidDrive},           // ends with the share name
      {"E:\\out\\", kNoFileName},
      {"E:\\dir", kNoFileName},  // an existing folder
      // A bare name on a drive without a root: no folder to put the other
      // files in; a derived file beyond 260 bytes.
      {"a.csv", "出力先のフォルダを指定してください。"},
      {"E:\\" + long_folder + "\\b", "出力先のパスが長すぎます。\n\n出力先を再入力してください。"},
      // Anything but a regular file, also through a link, and also as the
      // asset type file beside it.
      {"E:\\pipes\\fifo.csv", not_regular("E:\\pipes\\fifo.csv")},
      {"E:\\pipes\\link.csv", not_regular("E:\\pipes\\link.csv")},
      {"E:\\pipes\\new.csv", not_regular("E:\\pipes\\syurui.SSC")},
      {"E:\\dev\\null.csv", not_regular("E:\\dev\\null.csv")},
  };
  for (const auto& c : cases) {
    RunResult r =
        RunWithShare("set 1007 " + c.path + "\nkey F12\nanswer ok\nexpect focus 1007\nexpect text 1007 " +
                     c.path + "\nkey Esc\nanswer ok\n");
    EXPECT_EQ(r.status, 1) << c.path << r.errors;
    ASSERT_EQ(r.Messages().size(), 2u) << c.path << r.errors;
    EXPECT_EQ(r.Messages()[0], c.message) << c.path;
    EXPECT_EQ(r.Of("message")[0]["style"], 48) << c.path;
    EXPECT_EQ(r.Of("message")[0]["owner"], "dialog") << c.path;
    EXPECT_EQ(r.Messages()[1], kCancelNotice) << c.path;
  }
  EXPECT_TRUE(fs::is_empty(dir_ + "/cd"));
  EXPECT_TRUE(fs::is_empty(dir_ + "/share"));
  EXPECT_FALSE(Exists(e_ + "/out"));
  EXPECT_FALSE(Exists(e_ + "/env"));
}

TEST_F(DialogE2eTest, MissingFoldersAreCreatedOnYesAndRolledBackWhenTheDeeperFails) {
  RunResult r = Run("set 1007 E:\\new1\\new2\\a.csv\nkey F12\nanswer yes\nanswer ok\n");
  EXPECT_EQ(r.status, 0) << r.errors;
  EXPECT_EQ(r.Messages()[0], kFolderQuestion);
  EXPECT_EQ(r.Of("message")[0]["style"], 36);  // question icon, Yes and No
  EXPECT_TRUE(Exists(e_ + "/new1/new2/a.csv"));

  // The deeper level cannot be made on the host (its name is longer than a
  // host file name may be): the upper level that was made goes again.
  std::string deep;
  for (int i = 0; i < 90; ++i) deep += "漢";
  std::string path = "E:\\up\\" + deep + "\\a.csv";
  r = Run("set 1007 " + path + "\nkey F12\nanswer yes\nanswer ok\nexpect focus 1007\nkey Esc\nanswer ok\n");
  EXPECT_EQ(r.status, 1) << r.errors;
  ASSERT_EQ(r.Messages().size(), 3u) << r.errors;
  EXPECT_EQ(r.Messages()[1], kFolderFailed);
  EXPECT_FALSE(Exists(e_ + "/up"));

  // No: nothing is made and nothing more is said.
  r =
      Run("set 1007 E:\\no1\\no2\\a.csv\nkey F12\nanswer no\nexpect focus 1007\nexpect text 1007 "
          "E:\\no1\\no2\\a.csv\nkey Esc\nanswer ok\n");
  EXPECT_EQ(r.status, 1) << r.errors;
  ASSERT_EQ(r.Messages().size(), 2u);
  EXPECT_EQ(r.Messages()[1], kCancelNotice);
  EXPECT_FALSE(Exists(e_ + "/no1"));
}

TEST_F(DialogE2eTest, AnExistingFileIsOverwrittenOnlyAfterYes) {
  fs::create_directories(e_ + "/out");
  WriteFile(e_ + "/out/a.csv", "old");
  RunResult r =
      Run("set 1007 E:\\out\\a.csv\n"
          "key F12\n"
          "answer no\n"
          "expect focus 1007\n"
          "key F12\n"
          "answer yes\n"
          "answer ok\n");
  EXPECT_EQ(r.status, 0) << r.errors;
  ASSERT_EQ(r.Messages().size(), 3u);
  EXPECT_EQ(r.Messages()[0], kOverwriteQuestion);
  EXPECT_EQ(r.Messages()[1], kOverwriteQuestion);
  EXPECT_EQ(r.Messages()[2], SuccessMessage("E:\\out\\a.csv", "E:\\out\\syurui.SSC"));
  EXPECT_NE(ReadFile(e_ + "/out/a.csv"), "old");

  // No and then quit: the file is left as it was.
  WriteFile(e_ + "/out/a.csv", "old");
  r = Run("key F12\nanswer no\nkey Esc\nanswer ok\n");  // the remembered path
  EXPECT_EQ(r.Of("dialog")[0]["path"], "E:\\out\\a.csv");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(ReadFile(e_ + "/out/a.csv"), "old");
}

TEST_F(DialogE2eTest, F12GivesTheExportCommandFromEveryControl) {
  std::string script = "set 1007\n";
  for (const char* control : {"1007", "1008", "1005", "1006"}) {
    script += std::string("focus ") + control + "\nkey F12\nanswer ok\nexpect focus 1007\n";
  }
  // With a modifier held F12 does nothing.
  script += "focus 1005\nkey Shift+F12\nkey Ctrl+F12\nexpect focus 1005\nkey Esc\nanswer ok\n";
  RunResult r = Run(script);
  EXPECT_EQ(r.status, 1) << r.errors;
  std::vector<std::string> want = {kNoPath, kNoPath, kNoPath, kNoPath, kCancelNotice};
  EXPECT_EQ(r.Messages(), want);
}

TEST_F(DialogE2eTest, EnterMovesFromTheEditToBrowseAndBrowsingFillsThePath) {
  RunResult r =
      Run("key Enter\n"
          "expect focus 1008\n"
          "key Tab\n"
          "expect focus 1005\n"
          "key Shift+Tab\n"
          "key Enter\n"  // browse
          "save E:\\picked\\b.csv\n"
          "expect text 1007 E:\\picked\\b.csv\n"
          "expect focus 1005\n"
          "click 1008\n"
          "cancel\n"  // the path stays
          "expect text 1007 E:\\picked\\b.csv\n"
          "key Enter\n"  // execute
          "answer yes\n"
          "answer ok\n");
  EXPECT_EQ(r.status, 0) << r.errors;
  auto dialogs = r.Of("file-dialog");
  ASSERT_EQ(dialogs.size(), 2u) << r.errors;
  std::string first_line;
  for (const auto& line : r.lines)
    if (first_line.empty() && line.find("file-dialog") != std::string::npos) first_line = line;
  EXPECT_EQ(
      first_line,
      R"({"event":"file-dialog","title":"保存ファイルを指定","folder":"E:\\out\\","file":"*.csv","ext":"CSV",)"
      R"("filter":"CSV Files (*.csv)|*.csv||","flags":6156,"result":"E:\\picked\\b.csv"})");
  EXPECT_EQ(dialogs[1]["folder"], "E:\\picked\\");
  EXPECT_EQ(dialogs[1]["file"], "b.csv");
  EXPECT_TRUE(dialogs[1]["result"].is_null());
  EXPECT_TRUE(Exists(e_ + "/picked/b.csv"));
}

TEST_F(DialogE2eTest, ThePathIsRememberedPerUserAndDataSet) {
  const std::string quit = "key Esc\nanswer ok\n";
  RunResult r = Run("set 1007 E:\\out\\first.csv\nkey F12\nanswer yes\nanswer ok\n");
  ASSERT_EQ(r.status, 0) << r.errors;

  r = Run(quit);
  EXPECT_EQ(r.Of("dialog")[0]["path"], "E:\\out\\first.csv");

  // Another user, then the same user on another data set: the default.
  Sql("UPDATE package SET current_user = 'user02';");
  r = Run(quit);
  EXPECT_EQ(r.Of("dialog")[0]["path"], "E:\\out\\*.csv");
  Sql("UPDATE package SET current_user = 'user01'; UPDATE users SET selected_second = 2 WHERE user_id = "
      "'user01';");
  r = Run("set 1007 E:\\out\\second.csv\nkey F12\nanswer ok\n");
  ASSERT_EQ(r.status, 0) << r.errors;
  EXPECT_EQ(r.Of("dialog")[0]["path"], "E:\\out\\*.csv");

  // Back on the first data set, its own path; the file holds one line each.
  Sql("UPDATE users SET selected_second = 1 WHERE user_id = 'user01';");
  r = Run(quit);
  EXPECT_EQ(r.Of("dialog")[0]["path"], "E:\\out\\first.csv");
  EXPECT_EQ(ReadFile(e_ + "/env/ZelEna20ToMx13.env"),
            "user01/1/1:E:\\out\\first.csv\nuser01/1/2:E:\\out\\second.csv\n");

  // Stored again, an entry moves to the end.
  r = Run("set 1007 E:\\out\\third.csv\nkey F12\nanswer ok\n");
  ASSERT_EQ(r.status, 0) << r.errors;
  EXPECT_EQ(ReadFile(e_ + "/env/ZelEna20ToMx13.env"),
            "user01/1/2:E:\\out\\second.csv\nuser01/1/1:E:\\out\\third.csv\n");
}

TEST_F(DialogE2eTest, ANetworkPathThroughAShare) {
  RunResult r = RunWithShare("set 1007 \\\\srv\\share\\net.csv\nkey F12\nanswer ok\n");
  EXPECT_EQ(r.status, 0) << r.errors;
  ASSERT_EQ(r.Messages().size(), 1u) << r.errors;
  EXPECT_EQ(r.Messages()[0], SuccessMessage("\\\\srv\\share\\net.csv", "\\\\srv\\share\\syurui.SSC"));
  EXPECT_TRUE(Exists(dir_ + "/share/net.csv"));
  EXPECT_TRUE(Exists(dir_ + "/share/syurui.SSC"));
  EXPECT_FALSE(Exists(dir_ + "/share/ZelEnaMx13SysErr.txt"));
}

// The Windows form of a host path through drive Z:, the host's root.
std::string OnZ(const std::string& host) {
  std::string windows = "Z:" + host;
  for (char& c : windows)
    if (c == '/') c = '\\';
  return windows;
}

std::string UsedFileMessage(const std::string& file) {
  return "次のファイルは会計データまたはプログラムが使用しているため、出力先にできません。\n\n" + file +
         "\n\n出力先を再入力してください。";
}

TEST_F(DialogE2eTest, TheStoreTheEnvironmentFileAndTheProgramAreNeverOutput) {
  ASSERT_EQ(Run("set 1007 E:\\out\\a.csv\nkey F12\nanswer yes\nanswer ok\n").status, 0);
  const std::string env = ReadFile(e_ + "/env/ZelEna20ToMx13.env");
  UseProgramCopy("ZelEna20ToMx13", "[ProgramLevel]\r\nMX13=2\r\n");
  const std::string program = ReadFile(program_dir_ + "/ZelEna20ToMx13");
  // Each named as the user might: through another drive, with "..".
  for (const std::string& path :
       {OnZ(dir_ + "/package.db"), OnZ(e_ + "/../package.db"), std::string("E:\\env\\ZelEna20ToMx13.env"),
        OnZ(e_ + "/env/ZelEna20ToMx13.env"), OnZ(program_dir_ + "/ZelEna20ToMx13")}) {
    RunResult r = Run("set 1007 " + path + "\nkey F12\nanswer ok\nexpect focus 1007\nexpect text 1007 " +
                      path + "\nkey Esc\nanswer ok\n");
    EXPECT_EQ(r.status, 1) << path << r.errors;
    ASSERT_EQ(r.Messages().size(), 2u) << path << r.errors;
    EXPECT_EQ(r.Messages()[0], UsedFileMessage(path));
    EXPECT_EQ(r.Of("message")[0]["style"], 48);
  }
  Sql("SELECT count(*) FROM assets;");  // the store is still a store
  EXPECT_EQ(ReadFile(e_ + "/env/ZelEna20ToMx13.env"), env);
  EXPECT_EQ(ReadFile(program_dir_ + "/ZelEna20ToMx13"), program);
}

TEST_F(DialogE2eTest, APathOver260BytesIsRefusedFromTheEditAndFromBrowsing) {
  const std::string longer = "E:\\out\\" + std::string(250, 'a') + ".csv";  // 261 bytes
  RunResult r = Run("set 1007 " + longer + "\nkey F12\nanswer ok\nexpect focus 1007\nexpect text 1007 " +
                    longer + "\nclick 1008\nsave " + longer + "\nexpect text 1007 " + longer +
                    "\nkey F12\nanswer ok\nkey Esc\nanswer ok\n");
  EXPECT_EQ(r.status, 1) << r.errors;
  const std::string too_long = "出力先のパスが長すぎます。\n\n出力先を再入力してください。";
  EXPECT_EQ(r.Messages(), (std::vector<std::string>{too_long, too_long, kCancelNotice}));
  // A control character in the name.
  r = Run("set 1007 E:\\out\\a\tb.csv\nkey F12\nanswer ok\nkey Esc\nanswer ok\n");
  EXPECT_EQ(r.status, 1) << r.errors;
  EXPECT_EQ(r.Messages()[0], kInvalidChars);
  EXPECT_FALSE(Exists(e_ + "/out"));
}

TEST_F(DialogE2eTest, ASavedPathIsTheOneLoadedEvenWithDuplicateLines) {
  fs::create_directories(e_ + "/env");
  WriteFile(e_ + "/env/ZelEna20ToMx13.env", "user01/1/1:E:\\out\\one.csv\nuser01/1/1:E:\\out\\two.csv\n");
  RunResult r = Run("set 1007 E:\\out\\three.csv\nkey F12\nanswer yes\nanswer ok\n");
  ASSERT_EQ(r.status, 0) << r.errors;
  EXPECT_EQ(r.Of("dialog")[0]["path"], "E:\\out\\one.csv");
  r = Run("key Esc\nanswer ok\n");
  EXPECT_EQ(r.Of("dialog")[0]["path"], "E:\\out\\three.csv");
  EXPECT_EQ(ReadFile(e_ + "/env/ZelEna20ToMx13.env"), "user01/1/1:E:\\out\\three.csv\n");
}

}  // namespace
}  // namespace e2e
