// Process start and wait: WordPad's part goes to the viewer, other programs
// start as Windows would start them.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/recording_viewer.h"
#include "platform/test_env.h"
#include "platform/win.h"

namespace {

class Processes : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("ZEL_DRIVES", ("Z:fixed=/;C:fixed=" + dir_.path()).c_str(), 1);
    unsetenv("ZEL_VIEWER");
    win::ReloadMappings();
    win::SetLogViewer(&viewer_);
    std::ofstream(dir_.Host("log.txt")) << "remarks";
  }
  void TearDown() override {
    win::SetLogViewer(nullptr);
    unsetenv("ZEL_DRIVES");
    unsetenv("ZEL_VIEWER");
    win::ReloadMappings();
  }
  // Starts as run control does: closes the thread, waits when asked, closes
  // the process.
  bool Exec(std::string command, const char* folder, bool wait) {
    win::STARTUPINFOA startup = {68, STARTF_USESHOWWINDOW, SW_SHOWNORMAL, nullptr, nullptr, nullptr};
    win::PROCESS_INFORMATION process;
    std::memset(&process, 0, sizeof(process));
    if (!win::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE, nullptr,
                             folder, &startup, &process))
      return false;
    win::CloseHandle(process.hThread);
    if (wait) {
      EXPECT_EQ(win::WaitForSingleObject(process.hProcess, INFINITE), WAIT_OBJECT_0);
    }
    win::CloseHandle(process.hProcess);
    return true;
  }
  // A shell script that can be run.
  static void WriteScript(const std::string& path, const std::string& body) {
    std::ofstream(path) << "#!/bin/sh\n" << body;
    ASSERT_EQ(chmod(path.c_str(), 0755), 0);
  }
  testenv::ScratchDir dir_{"zel-proc"};
  win::RecordingLogViewer viewer_;
};

const char kWordPad[] = "C:\\Program Files\\Windows NT\\Accessories\\Wordpad.exe \"C:\\log.txt\"";

TEST_F(Processes, WordPadGoesToTheViewerWhetherOrNotItsFolderExists) {
  ASSERT_TRUE(Exec(kWordPad, "C:\\Program Files\\Windows NT\\Accessories", true));
  ASSERT_EQ(viewer_.shown.size(), 1u);
  EXPECT_EQ(viewer_.shown[0].host_path, dir_.Host("log.txt"));
  EXPECT_TRUE(viewer_.shown[0].wait);
  ASSERT_EQ(viewer_.starts.size(), 1u);
  EXPECT_EQ(viewer_.starts[0].command, kWordPad);
  EXPECT_EQ(viewer_.starts[0].folder, "C:\\Program Files\\Windows NT\\Accessories");
  EXPECT_TRUE(viewer_.starts[0].started);
  // Without a wait, the viewer learns so when the handle is let go; any case
  // of the name counts, and a bare drive folder too.
  ASSERT_TRUE(Exec("C:\\WORDPAD.EXE \"C:\\log.txt\"", "C:", false));
  ASSERT_EQ(viewer_.shown.size(), 2u);
  EXPECT_FALSE(viewer_.shown[1].wait);
}

TEST_F(Processes, ZelViewerRunsTheHostCommandWithTheLogPathLast) {
  std::string out = dir_.Host("viewer-args");
  setenv("ZEL_VIEWER", ("printf '%s|' >" + out + " first").c_str(), 1);
  ASSERT_TRUE(Exec(kWordPad, "C:\\Program Files", true));
  std::ifstream in(out);
  std::stringstream s;
  s << in.rdbuf();
  EXPECT_EQ(s.str(), "first|" + dir_.Host("log.txt") + "|");
  EXPECT_TRUE(viewer_.shown.empty());
}

TEST_F(Processes, OtherProgramsNeedTheirFileAndFolder) {
  EXPECT_FALSE(Exec("C:\\missing.exe arg", nullptr, true));
  ASSERT_EQ(viewer_.starts.size(), 1u);
  EXPECT_FALSE(viewer_.starts[0].started);
  // A program with a blank in its unquoted path is found as Windows finds it.
  ASSERT_EQ(mkdir(dir_.Host("my tools").c_str(), 0755), 0);
  WriteScript(dir_.Host("my tools/where"), "pwd > \"$1\"\n");
  EXPECT_FALSE(Exec("C:\\my tools\\where C:\\out.txt", "C:\\no-such-folder", true));
  ASSERT_TRUE(Exec("C:\\my tools\\where " + dir_.Host("out.txt"), "C:\\my tools", true));
  std::ifstream in(dir_.Host("out.txt"));
  std::string cwd;
  std::getline(in, cwd);
  EXPECT_EQ(cwd, dir_.Host("my tools"));
  EXPECT_EQ(win::WaitForSingleObject(nullptr, 0), WAIT_FAILED);
  // "ジ" is 0x83 0x57: a name that ends in it and "ordpad.exe" is no WordPad.
  EXPECT_FALSE(Exec("C:\\\x83Wordpad.exe C:\\log.txt", nullptr, true));
  EXPECT_FALSE(Exec("\"C:\\\x83Wordpad.exe\" C:\\log.txt", nullptr, true));
  EXPECT_TRUE(viewer_.shown.empty());
}

TEST_F(Processes, AWaitWithATimeoutReturnsWhenTheProcessEnds) {
  WriteScript(dir_.Host("slow"), "sleep 0.3\n");
  win::PROCESS_INFORMATION process;
  char command[] = "C:\\slow";
  ASSERT_TRUE(
      win::CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, &process));
  EXPECT_EQ(win::WaitForSingleObject(process.hProcess, 10), WAIT_TIMEOUT);
  EXPECT_EQ(win::WaitForSingleObject(process.hProcess, 5000), WAIT_OBJECT_0);
  win::CloseHandle(process.hThread);
  win::CloseHandle(process.hProcess);
}

// With STARTF_USESTDHANDLES the child writes to the file handles given and
// reads nothing; without, it keeps this process's streams.
TEST_F(Processes, AChildWritesToTheStandardHandlesGiven) {
  WriteScript(dir_.Host("talk"), "read -r line; echo \"out:$line\"; echo err >&2\n");
  HANDLE out = win::CreateFileA("C:\\talk.txt", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(out, INVALID_HANDLE_VALUE);
  win::STARTUPINFOA startup = {68, STARTF_USESTDHANDLES, 0, nullptr, out, out};
  win::PROCESS_INFORMATION process;
  char command[] = "C:\\talk";
  ASSERT_TRUE(
      win::CreateProcessA(nullptr, command, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process));
  win::CloseHandle(out);
  EXPECT_EQ(win::WaitForSingleObject(process.hProcess, 5000), WAIT_OBJECT_0);
  win::CloseHandle(process.hThread);
  win::CloseHandle(process.hProcess);
  std::ifstream in(dir_.Host("talk.txt"));
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_EQ(text.str(), "out:\nerr\n");
}

}  // namespace

namespace {

TEST_F(Processes, AViewerOnAUtf8TerminalGetsAUtf8CopyThatGoesWhenItEnds) {
  // "注意" and a half-width "ｱ" in Shift_JIS; the log on disk keeps them so.
  const std::string log = "\x92\x8D\x88\xD3 \xB1\r\n";
  std::ofstream(dir_.Host("log.txt"), std::ios::binary) << log;
  std::string seen = dir_.Host("seen"), where = dir_.Host("where");
  setenv("ZEL_VIEWER", ("v() { printf '%s' \"$1\" >" + where + "; cat \"$1\" >" + seen + "; }; v").c_str(),
         1);
  win::SetViewerTextUtf8(true);
  bool started = Exec(kWordPad, "C:\\Program Files", true);
  win::SetViewerTextUtf8(false);
  ASSERT_TRUE(started);
  auto read = [](const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  };
  const char8_t utf8[] = u8"注意 ｱ\r\n";
  EXPECT_EQ(read(seen), std::string(reinterpret_cast<const char*>(utf8)));
  std::string copy = read(where);
  EXPECT_NE(copy.find("/log.txt"), std::string::npos) << copy;  // under the log's own name
  EXPECT_NE(copy, dir_.Host("log.txt"));
  struct stat st;
  EXPECT_NE(stat(copy.c_str(), &st), 0) << copy;  // removed, with its folder
  EXPECT_NE(stat(copy.substr(0, copy.rfind('/')).c_str(), &st), 0);
  EXPECT_EQ(read(dir_.Host("log.txt")), log);

  // Off again: the log itself, as the automation's viewers expect.
  ASSERT_TRUE(Exec(kWordPad, "C:\\Program Files", true));
  EXPECT_EQ(read(where), dir_.Host("log.txt"));
  EXPECT_EQ(read(seen), log);
}

}  // namespace

namespace {

// Notes, when told of a start, whether the viewer command has already run.
class PeekingViewer : public win::RecordingLogViewer {
 public:
  std::string marker;
  bool ran_before_told = false;
  void ProcessStarted(const std::string& command, const std::string& folder, bool started) override {
    usleep(300 * 1000);  // time enough for a command that did not wait
    struct stat st;
    ran_before_told = stat(marker.c_str(), &st) == 0;
    RecordingLogViewer::ProcessStarted(command, folder, started);
  }
};

TEST_F(Processes, AViewerCommandStartsOnlyOnceTheProgramWasToldOfIt) {
  // The terminal back end hands the terminal over when it is told; the
  // viewer must not set the terminal's modes before that.
  PeekingViewer peeking;
  peeking.marker = dir_.Host("ran");
  win::SetLogViewer(&peeking);
  setenv("ZEL_VIEWER", ("touch " + peeking.marker + "; true").c_str(), 1);
  ASSERT_TRUE(Exec(kWordPad, "C:\\Program Files", true));
  win::SetLogViewer(&viewer_);
  ASSERT_EQ(peeking.starts.size(), 1u);
  EXPECT_FALSE(peeking.ran_before_told);
  struct stat st;
  EXPECT_EQ(stat(peeking.marker.c_str(), &st), 0);  // and it did run
}

}  // namespace
