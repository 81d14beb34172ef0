#include "dialog/EnvFile.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

class EnvFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/zel_envfile_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    file_ = dir_ + "/ZelEna20ToMx13.env";
  }
  void TearDown() override {
    fs::remove_all(dir_);
  }
  std::string Read() const {
    std::ifstream in(file_, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  void Write(const std::string& content) const {
    std::ofstream(file_, std::ios::binary) << content;
  }
  std::string dir_, file_;
};

TEST_F(EnvFileTest, FirstSaveCreatesOneLineAndReSaveMovesTheEntryToTheEnd) {
  ASSERT_EQ(envfile::SaveEntry(file_, "a/1/2:", "C:\\out\\x.csv"), 1);
  EXPECT_EQ(Read(), "a/1/2:C:\\out\\x.csv\n");

  ASSERT_EQ(envfile::SaveEntry(file_, "b/1/2:", "D:\\b.csv"), 1);
  ASSERT_EQ(envfile::SaveEntry(file_, "c/1/3:", "E:\\c.csv"), 1);
  ASSERT_EQ(envfile::SaveEntry(file_, "a/1/2:", "C:\\new.csv"), 1);
  EXPECT_EQ(Read(), "b/1/2:D:\\b.csv\nc/1/3:E:\\c.csv\na/1/2:C:\\new.csv\n");

  char buf[261];
  ASSERT_EQ(envfile::LoadEntry(file_, "a/1/2:", buf, sizeof buf), 1);
  EXPECT_STREQ(buf, "C:\\new.csv");
  ASSERT_EQ(envfile::LoadEntry(file_, "c/1/3:", buf, sizeof buf), 1);
  EXPECT_STREQ(buf, "E:\\c.csv");
  // Another data set of the same user has no entry.
  EXPECT_EQ(envfile::LoadEntry(file_, "a/1/3:", buf, sizeof buf), 0);
  EXPECT_STREQ(buf, "");
  // No temporary file is left beside the environment file.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(EnvFileTest, KeyMatchesOnlyAtTheStartOfALine) {
  // "ab/1/2:" ends with "b/1/2:"; the shorter key must not find it.
  Write("ab/1/2:C:\\ab.csv\n");
  char buf[261];
  EXPECT_EQ(envfile::LoadEntry(file_, "b/1/2:", buf, sizeof buf), 0);

  ASSERT_EQ(envfile::SaveEntry(file_, "b/1/2:", "C:\\b.csv"), 1);
  EXPECT_EQ(Read(), "ab/1/2:C:\\ab.csv\nb/1/2:C:\\b.csv\n");
  ASSERT_EQ(envfile::SaveEntry(file_, "b/1/2:", "C:\\b2.csv"), 1);
  EXPECT_EQ(Read(), "ab/1/2:C:\\ab.csv\nb/1/2:C:\\b2.csv\n");
  ASSERT_EQ(envfile::LoadEntry(file_, "ab/1/2:", buf, sizeof buf), 1);
  EXPECT_STREQ(buf, "C:\\ab.csv");
  ASSERT_EQ(envfile::LoadEntry(file_, "b/1/2:", buf, sizeof buf), 1);
  EXPECT_STREQ(buf, "C:\\b2.csv");

  // A key text inside a path is not an entry either.
  Write("x/1/1:C:\\y/1/1:z\n");
  EXPECT_EQ(envfile::LoadEntry(file_, "y/1/1:", buf, sizeof buf), 0);
}

TEST_F(EnvFileTest, EmptyPathAndEdgesOfTheContent) {
  Write("u/0/0:\nv/0/0:C:\\last.csv");  // last line without its LF
  char buf[261] = "junk";
  ASSERT_EQ(envfile::LoadEntry(file_, "u/0/0:", buf, sizeof buf), 1);
  EXPECT_STREQ(buf, "");
  ASSERT_EQ(envfile::LoadEntry(file_, "v/0/0:", buf, sizeof buf), 1);
  EXPECT_STREQ(buf, "C:\\last.csv");
  // A new entry after an unterminated line starts a line of its own.
  ASSERT_EQ(envfile::SaveEntry(file_, "w/0/0:", "C:\\w.csv"), 1);
  EXPECT_EQ(Read(), "u/0/0:\nv/0/0:C:\\last.csv\nw/0/0:C:\\w.csv\n");
  ASSERT_EQ(envfile::SaveEntry(file_, "w/0/0:", "C:\\w.csv"), 1);
  EXPECT_EQ(Read(), "u/0/0:\nv/0/0:C:\\last.csv\nw/0/0:C:\\w.csv\n");

  // An over-long path is cut at the buffer without splitting a character:
  // 259 bytes of "a" and one double-byte character would need 261 bytes.
  Write("k/0/0:" + std::string(259, 'a') + "\x95\x5c" + "\n");
  ASSERT_EQ(envfile::LoadEntry(file_, "k/0/0:", buf, sizeof buf), 1);
  EXPECT_EQ(std::string(buf), std::string(259, 'a'));

  EXPECT_EQ(envfile::LoadEntry(dir_ + "/missing.env", "k/0/0:", buf, sizeof buf), 0);
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
  int stored = envfile::SaveEntry(file_, "c/1/1:", "C:\\c.csv");
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, previous);

  EXPECT_EQ(stored, 0);
  EXPECT_EQ(Read(), old);
  // The half-written temporary file is gone.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

}  // namespace
