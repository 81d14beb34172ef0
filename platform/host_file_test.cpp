// Files put in place of others, and told apart by identity.
#include "platform/host_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/test_env.h"

namespace {

class HostFile : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return dir_.Host(name); }
  static std::string Read(const std::string& path) {
    std::stringstream content;
    content << std::ifstream(path).rdbuf();
    return content.str();
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

TEST_F(HostFile, ReplaceHandsThePermissionsOnAndNeverTakesAFolder) {
  std::ofstream(Path("env")) << "one\n";
  ASSERT_EQ(chmod(Path("env").c_str(), 0640), 0);
  std::ofstream(Path("t")) << "two\n";
  ASSERT_TRUE(hostfile::Replace(Path("t"), Path("env")));
  EXPECT_EQ(Read(Path("env")), "two\n");
  EXPECT_EQ(Mode(Path("env")), 0640u);
  EXPECT_EQ(OtherEntries("env"), 0);
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
}

}  // namespace
