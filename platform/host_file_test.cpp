// Files read only when regular, replaced whole, and changed under a lock.
#include "platform/host_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/test_env.h"

namespace {

class HostFile : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return dir_.Host(name); }
  static std::string Read(const std::string& path) {
    std::string content;
    EXPECT_EQ(hostfile::ReadRegular(path, &content), hostfile::ReadStatus::kOk);
    return content;
  }
  static mode_t Mode(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(stat(path.c_str(), &st), 0);
    return st.st_mode & 07777;
  }
  // Names in the folder other than the given one.
  int OtherEntries(const std::string& name) const {
    int n = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir_.path()))
      n += entry.path().filename() != name;
    return n;
  }
  testenv::ScratchDir dir_{"zel-hostfile"};
};

TEST_F(HostFile, OnlyRegularFilesAreRead) {
  std::string content = "stale";
  EXPECT_EQ(hostfile::ReadRegular(Path("missing"), &content), hostfile::ReadStatus::kMissing);
  EXPECT_EQ(content, "");
  EXPECT_EQ(hostfile::ReadRegular(Path("missing/below"), &content), hostfile::ReadStatus::kMissing);
  // A FIFO without a writer would block an ordinary open forever.
  ASSERT_EQ(mkfifo(Path("fifo").c_str(), 0600), 0);
  EXPECT_EQ(hostfile::ReadRegular(Path("fifo"), &content), hostfile::ReadStatus::kNotRegular);
  EXPECT_EQ(hostfile::ReadRegular(dir_.path(), &content), hostfile::ReadStatus::kNotRegular);
  std::ofstream(Path("f"), std::ios::binary) << std::string("a\0b\n", 4);
  EXPECT_EQ(Read(Path("f")), std::string("a\0b\n", 4));
}

TEST_F(HostFile, WriteWholeReplacesAndKeepsPermissions) {
  ASSERT_TRUE(hostfile::WriteWhole(Path("env"), "one\n"));
  EXPECT_EQ(Read(Path("env")), "one\n");
  mode_t mask = umask(0);
  umask(mask);
  EXPECT_EQ(Mode(Path("env")), 0666 & ~mask);
  ASSERT_EQ(chmod(Path("env").c_str(), 0640), 0);
  ASSERT_TRUE(hostfile::WriteWhole(Path("env"), "two\n"));
  EXPECT_EQ(Read(Path("env")), "two\n");
  EXPECT_EQ(Mode(Path("env")), 0640u);
  EXPECT_EQ(OtherEntries("env"), 0);
  // A folder that cannot be written keeps the old file and no temporary one.
  if (geteuid() != 0) {
    ASSERT_EQ(chmod(dir_.path().c_str(), 0500), 0);
    EXPECT_FALSE(hostfile::WriteWhole(Path("env"), "three\n"));
    ASSERT_EQ(chmod(dir_.path().c_str(), 0700), 0);
    EXPECT_EQ(Read(Path("env")), "two\n");
    EXPECT_EQ(OtherEntries("env"), 0);
  }
  // A replaced name that is a folder is not taken over.
  ASSERT_EQ(mkdir(Path("d").c_str(), 0700), 0);
  std::ofstream(Path("t")) << "x";
  EXPECT_FALSE(hostfile::Replace(Path("t"), Path("d")));
  EXPECT_EQ(Read(Path("t")), "x");
}

TEST_F(HostFile, SameFileGoesByIdentityNotBySpelling) {
  ASSERT_EQ(mkdir(Path("d").c_str(), 0700), 0);
  std::ofstream(Path("d/f")) << "x";
  std::ofstream(Path("g")) << "x";
  ASSERT_EQ(symlink(Path("d/f").c_str(), Path("link").c_str()), 0);
  ASSERT_EQ(link(Path("d/f").c_str(), Path("hard").c_str()), 0);
  EXPECT_TRUE(hostfile::SameFile(Path("d/f"), Path("d/../d/./f")));
  EXPECT_TRUE(hostfile::SameFile(Path("link"), Path("d/f")));
  EXPECT_TRUE(hostfile::SameFile(Path("hard"), Path("d/f")));
  EXPECT_FALSE(hostfile::SameFile(Path("g"), Path("d/f")));  // same content, another file
  // Names not made yet: the same name in the same folder, however reached.
  EXPECT_TRUE(hostfile::SameFile(Path("d/new"), Path("d/../d/new")));
  EXPECT_FALSE(hostfile::SameFile(Path("d/new"), Path("d/other")));
  EXPECT_FALSE(hostfile::SameFile(Path("new"), Path("d/new")));
  EXPECT_FALSE(hostfile::SameFile(Path("d/f"), Path("d/new")));
  EXPECT_FALSE(hostfile::SameFile(Path("none/new"), Path("none/new")));  // no folder to make it in
  EXPECT_FALSE(hostfile::SameFile("", ""));

  // The program's own file, and a relative path kept across a change of the
  // current directory.
  EXPECT_TRUE(hostfile::SameFile(hostfile::ProgramFile(), "/proc/self/exe"));
  char cwd[4096];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  ASSERT_EQ(chdir(dir_.path().c_str()), 0);
  std::string absolute = hostfile::AbsolutePath("d/f");
  ASSERT_EQ(chdir("/"), 0);
  EXPECT_EQ(absolute[0], '/');
  EXPECT_TRUE(hostfile::SameFile(absolute, Path("d/f")));
  EXPECT_EQ(hostfile::AbsolutePath("/x/y"), "/x/y");
  ASSERT_EQ(chdir(cwd), 0);
}

TEST_F(HostFile, TheFolderLockSerializesReadModifyReplace) {
  // Four processes (this test run again) each add 1 to a counter 25 times;
  // without the lock some additions are lost between the read and the
  // replace.
  constexpr int kProcesses = 4, kRounds = 25;
  if (const char* count = std::getenv("ZEL_TEST_COUNTER")) {
    for (int r = 0; r < kRounds; ++r) {
      hostfile::FolderLock lock(count);
      ASSERT_TRUE(lock.held());
      std::string content;
      ASSERT_EQ(hostfile::ReadRegular(count, &content), hostfile::ReadStatus::kOk);
      usleep(200);
      ASSERT_TRUE(hostfile::WriteWhole(count, std::to_string(std::atoi(content.c_str()) + 1)));
    }
    return;
  }
  ASSERT_TRUE(hostfile::WriteWhole(Path("count"), "0"));
  for (const testenv::ProgramResult& r :
       testenv::RunWorkers("HostFile.TheFolderLockSerializesReadModifyReplace", kProcesses,
                           {"ZEL_TEST_COUNTER=" + Path("count")}))
    EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(Read(Path("count")), std::to_string(kProcesses * kRounds));
}

}  // namespace
