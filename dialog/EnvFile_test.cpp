#include "dialog/EnvFile.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>  // the clock (<chrono> has a literal without a CP932 form)

#include "platform/test_env.h"
#include "platform/win.h"
#include "platform/wintypes.h"

namespace {

namespace fs = std::filesystem;

class EnvFileTest : public ::testing::Test {
 protected:
  std::string Read() const {
    std::ifstream in(file_, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  void Write(const std::string& content) const { std::ofstream(file_, std::ios::binary) << content; }
  testenv::ScratchDir dir_{"zel_envfile"};
  std::string file_ = dir_.Host("ZelEna20ToMx13.env");
  std::string path_ = dir_.Windows("ZelEna20ToMx13.env");  // as the dialog names it
};

TEST_F(EnvFileTest, FirstSaveCreatesOneLineAndReSaveMovesTheEntryToTheEnd) {
  ASSERT_EQ(envfile::SaveEntry(path_, "a/1/2:", "C:\\out\\x.csv"), 1);
  EXPECT_EQ(Read(), "a/1/2:C:\\out\\x.csv\n");

  ASSERT_EQ(envfile::SaveEntry(path_, "b/1/2:", "D:\\b.csv"), 1);
  ASSERT_EQ(envfile::SaveEntry(path_, "c/1/3:", "E:\\c.csv"), 1);
  ASSERT_EQ(envfile::SaveEntry(path_, "a/1/2:", "C:\\new.csv"), 1);
  EXPECT_EQ(Read(), "b/1/2:D:\\b.csv\nc/1/3:E:\\c.csv\na/1/2:C:\\new.csv\n");

  char buf[kPathBufferSize];
  ASSERT_EQ(envfile::LoadEntry(path_, "a/1/2:", buf, sizeof buf), 1);
  EXPECT_STREQ(buf, "C:\\new.csv");
  ASSERT_EQ(envfile::LoadEntry(path_, "c/1/3:", buf, sizeof buf), 1);
  EXPECT_STREQ(buf, "E:\\c.csv");
  // Another data set of the same user has no entry.
  EXPECT_EQ(envfile::LoadEntry(path_, "a/1/3:", buf, sizeof buf), 0);
  EXPECT_STREQ(buf, "");
  // No temporary file is left beside the environment file.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_.path()), fs::directory_iterator()), 1);
}

TEST_F(EnvFileTest, KeyMatchesOnlyAtTheStartOfALine) {
  // "ab/1/2:" ends with "b/1/2:"; the shorter key must not find it.
  Write("ab/1/2:C:\\ab.csv\n");
  char buf[kPathBufferSize];
  EXPECT_EQ(envfile::LoadEntry(path_, "b/1/2:", buf, sizeof buf), 0);

  ASSERT_EQ(envfile::SaveEntry(path_, "b/1/2:", "C:\\b.csv"), 1);
  EXPECT_EQ(Read(), "ab/1/2:C:\\ab.csv\nb/1/2:C:\\b.csv\n");
  ASSERT_EQ(envfile::SaveEntry(path_, "b/1/2:", "C:\\b2.csv"), 1);
  EXPECT_EQ(Read(), "ab/1/2:C:\\ab.csv\nb/1/2:C:\\b2.csv\n");
  ASSERT_EQ(envfile::LoadEntry(path_, "ab/1/2:", buf, sizeof buf), 1);
  EXPECT_STREQ(buf, "C:\\ab.csv");
  ASSERT_EQ(envfile::LoadEntry(path_, "b/1/2:", buf, sizeof buf), 1);
  EXPECT_STREQ(buf, "C:\\b2.csv");

  // A key text inside a path is not an entry either.
  Write("x/1/1:C:\\y/1/1:z\n");
  EXPECT_EQ(envfile::LoadEntry(path_, "y/1/1:", buf, sizeof buf), 0);
}

TEST_F(EnvFileTest, EmptyPathAndEdgesOfTheContent) {
  Write("u/0/0:\nv/0/0:C:\\last.csv");  // last line without its LF
  char buf[kPathBufferSize] = "junk";
  ASSERT_EQ(envfile::LoadEntry(path_, "u/0/0:", buf, sizeof buf), 1);
  EXPECT_STREQ(buf, "");
  ASSERT_EQ(envfile::LoadEntry(path_, "v/0/0:", buf, sizeof buf), 1);
  EXPECT_STREQ(buf, "C:\\last.csv");
  // A new entry after an unterminated line starts a line of its own.
  ASSERT_EQ(envfile::SaveEntry(path_, "w/0/0:", "C:\\w.csv"), 1);
  EXPECT_EQ(Read(), "u/0/0:\nv/0/0:C:\\last.csv\nw/0/0:C:\\w.csv\n");
  ASSERT_EQ(envfile::SaveEntry(path_, "w/0/0:", "C:\\w.csv"), 1);
  EXPECT_EQ(Read(), "u/0/0:\nv/0/0:C:\\last.csv\nw/0/0:C:\\w.csv\n");

  // A path that does not fit the buffer is no entry: cut short it would
  // name another file. 259 bytes of "a" and one double-byte character need
  // 261 bytes; 258 and one fit.
  Write("k/0/0:" + std::string(259, 'a') + "\x95\x5c" + "\n");
  EXPECT_EQ(envfile::LoadEntry(path_, "k/0/0:", buf, sizeof buf), 0);
  EXPECT_STREQ(buf, "");
  Write("k/0/0:" + std::string(258, 'a') + "\x95\x5c" + "\n");
  ASSERT_EQ(envfile::LoadEntry(path_, "k/0/0:", buf, sizeof buf), 1);
  EXPECT_EQ(std::string(buf), std::string(258, 'a') + "\x95\x5c");

  EXPECT_EQ(envfile::LoadEntry(dir_.Windows("missing.env"), "k/0/0:", buf, sizeof buf), 0);
}

TEST_F(EnvFileTest, EveryLineOfTheKeyGoesSoTheSavedPathIsTheOneLoaded) {
  Write("a/1/2:C:\\first.csv\nb/1/2:C:\\b.csv\na/1/2:C:\\second.csv\n");
  ASSERT_EQ(envfile::SaveEntry(path_, "a/1/2:", "C:\\new.csv"), 1);
  EXPECT_EQ(Read(), "b/1/2:C:\\b.csv\na/1/2:C:\\new.csv\n");
  char buf[kPathBufferSize];
  ASSERT_EQ(envfile::LoadEntry(path_, "a/1/2:", buf, sizeof buf), 1);
  EXPECT_STREQ(buf, "C:\\new.csv");
  // Adjacent duplicates, the last without its LF.
  Write("a/1/2:x\na/1/2:y\na/1/2:z");
  ASSERT_EQ(envfile::SaveEntry(path_, "a/1/2:", "w"), 1);
  EXPECT_EQ(Read(), "a/1/2:w\n");
}

// FIFOs, processes at once and a file size limit: the Linux build's.
#ifndef _WIN32
TEST_F(EnvFileTest, AFifoInPlaceOfTheFileIsNeverOpened) {
  ASSERT_EQ(mkfifo(file_.c_str(), 0600), 0);
  // Opening a FIFO without a writer blocks; let a hang fail the test.
  alarm(10);
  char buf[kPathBufferSize] = "junk";
  EXPECT_EQ(envfile::LoadEntry(path_, "a/1/2:", buf, sizeof buf), 0);
  EXPECT_STREQ(buf, "");
  EXPECT_EQ(envfile::SaveEntry(path_, "a/1/2:", "C:\\a.csv"), 0);
  alarm(0);
  struct stat st;
  ASSERT_EQ(lstat(file_.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_.path()), fs::directory_iterator()), 1);
}

TEST_F(EnvFileTest, SavesOfProgramsAtOnceKeepEveryEntry) {
  // Each process (this test run again) stores entries of its own keys, all
  // at the same time; an entry read and rewritten by one process must not
  // be lost by another.
  constexpr int kProcesses = 6, kKeys = 15;
  const char* worker = std::getenv("ZEL_TEST_WORKER");
  if (const char* file = std::getenv("ZEL_TEST_ENV_FILE"); file && worker) {
    for (int k = 0; k < kKeys; ++k) {
      std::string key = "u" + std::string(worker) + "/1/" + std::to_string(k) + ":";
      ASSERT_EQ(envfile::SaveEntry(file, key, "C:\\out\\" + std::to_string(k) + ".csv"), 1);
    }
    return;
  }
  for (const testenv::ProgramResult& r : testenv::RunWorkers(
           "EnvFileTest.SavesOfProgramsAtOnceKeepEveryEntry", kProcesses, {"ZEL_TEST_ENV_FILE=" + path_}))
    EXPECT_EQ(r.status, 0) << r.out;
  char buf[kPathBufferSize];
  int found = 0;
  for (int p = 0; p < kProcesses; ++p) {
    for (int k = 0; k < kKeys; ++k) {
      std::string key = "u" + std::to_string(p) + "/1/" + std::to_string(k) + ":";
      found += envfile::LoadEntry(path_, key, buf, sizeof buf);
    }
  }
  EXPECT_EQ(found, kProcesses * kKeys);
  std::string content = Read();
  EXPECT_EQ(std::count(content.begin(), content.end(), '\n'), kProcesses * kKeys);
}

// A lock that another program keeps is waited for only as long as asked;
// the entry is then not stored, and standard error says so.
TEST_F(EnvFileTest, ALockHeldTooLongIsGivenUpWithAMessage) {
  Write("a/1/1:C:\\a.csv\n");
  HANDLE folder = win::CreateFileA(dir_.Windows("").c_str(), GENERIC_READ,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  ASSERT_NE(folder, INVALID_HANDLE_VALUE);
  win::OVERLAPPED range = {};
  ASSERT_TRUE(win::LockFileEx(folder, LOCKFILE_EXCLUSIVE_LOCK, 0, 0xFFFFFFFFu, 0xFFFFFFFFu, &range));
  testing::internal::CaptureStderr();
  auto start = std::chrono::steady_clock::now();
  int stored = envfile::SaveEntry(path_, "b/1/1:", "C:\\b.csv", 300);
  auto waited = std::chrono::steady_clock::now() - start;
  std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(stored, 0);
  EXPECT_GE(waited, std::chrono::milliseconds(300));
  EXPECT_LT(waited, std::chrono::seconds(5));
  EXPECT_NE(said.find("The output path was not remembered: the environment file "), std::string::npos)
      << said;
  EXPECT_NE(said.find("locked by another program for 0.3 s"), std::string::npos) << said;
  EXPECT_EQ(Read(), "a/1/1:C:\\a.csv\n");
  // Once let go, the next save stores its entry.
  win::UnlockFileEx(folder, 0, 0xFFFFFFFFu, 0xFFFFFFFFu, &range);
  win::CloseHandle(folder);
  EXPECT_EQ(envfile::SaveEntry(path_, "b/1/1:", "C:\\b.csv", 300), 1);
}

TEST_F(EnvFileTest, FailedRewriteLeavesTheOldFileWhole) {
  const std::string old = "a/1/1:C:\\a.csv\nb/1/1:C:\\b.csv\n";
  Write(old);
  // Let no file grow past 8 bytes: writing the new content fails half-way,
  // for root too.
  struct rlimit saved;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto previous = signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 8;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  int stored = envfile::SaveEntry(path_, "c/1/1:", "C:\\c.csv");
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, previous);

  EXPECT_EQ(stored, 0);
  EXPECT_EQ(Read(), old);
  // The half-written temporary file is gone.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_.path()), fs::directory_iterator()), 1);
}
#endif

}  // namespace
