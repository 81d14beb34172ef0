#include "dialog/PathChecks.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/test_env.h"
#include "platform/win.h"

namespace {

namespace fs = std::filesystem;
using namespace outpath;

// "表" in CP932: its second byte has the value of "\".
#define HYO "\x95\x5C"
// "ポ" in CP932: its second byte has the value of "|".
#define PO "\x83\x7C"

// The drive map is our Linux stand-in's: the tests of drives and folders
// run on the Linux build.
#ifndef _WIN32
// Drives of every type over host folders under a temporary folder:
// C fixed, E removable, X remote, D CD-ROM, R RAM disk, U unknown, N no root,
// M fixed but its host folder is missing; share \\srv\pub.
class PathChecksTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string& root = root_.path();
    for (const char* d : {"c", "e", "x", "d", "r", "pub"}) fs::create_directory(root + "/" + d);
    std::string drives = "C:fixed=" + root + "/c;E:removable=" + root + "/e;X:remote=" + root +
                         "/x;D:cdrom=" + root + "/d;R:ramdisk=" + root + "/r;U:unknown=" + root +
                         "/c;N:noroot=;M:fixed=" + root + "/missing";
    setenv("ZEL_DRIVES", drives.c_str(), 1);
    setenv("ZEL_SHARES", ("srv/pub=" + root + "/pub").c_str(), 1);
    win::ReloadMappings();
  }
  void TearDown() override {
    unsetenv("ZEL_DRIVES");
    unsetenv("ZEL_SHARES");
    win::ReloadMappings();
  }
  // Host path of a name under drive C (UTF-8).
  fs::path C(const std::string& utf8) const { return fs::path(root_.Host("c/" + utf8)); }
  testenv::ScratchDir root_{"zel_paths"};
};

#endif

TEST(PathCharacters, RefusesForbiddenCharactersAndDoubledSeparators) {
  EXPECT_TRUE(HasValidCharacters("C:\\out\\data.csv"));
  EXPECT_TRUE(HasValidCharacters("\\\\srv\\pub\\data.csv"));
  EXPECT_TRUE(HasValidCharacters("data.csv"));
  // Trail bytes with the value of "\" and "|" are parts of characters.
  EXPECT_TRUE(HasValidCharacters("C:\\" HYO "\\" PO ".csv"));
  EXPECT_TRUE(HasValidCharacters("\\\\srv\\" HYO "\\" PO ".csv"));

  EXPECT_FALSE(HasValidCharacters("C:\\out\\*.csv"));  // the default path
  EXPECT_FALSE(HasValidCharacters("C:*.csv"));
  for (const char* bad : {"/", ":", ",", ";", "*", "?", "\"", ">", "<", "|"}) {
    EXPECT_FALSE(HasValidCharacters((std::string("C:\\a") + bad + "b.csv").c_str())) << bad;
    // At the first byte too; a first ":" ends the drive part instead.
    if (bad[0] != ':') {
      EXPECT_FALSE(HasValidCharacters((std::string(bad) + "b.csv").c_str())) << bad;
    }
  }
  // Control characters anywhere, in the drive part and a network path too.
  for (int c = 0x01; c < 0x20; ++c) {
    std::string bad(1, static_cast<char>(c));
    EXPECT_FALSE(HasValidCharacters(("C:\\out\\a" + bad + "b.csv").c_str())) << c;
    EXPECT_FALSE(HasValidCharacters((bad + ":\\a.csv").c_str())) << c;
    EXPECT_FALSE(HasValidCharacters(("\\\\srv\\pub\\a" + bad).c_str())) << c;
  }
  EXPECT_TRUE(HasValidCharacters("C:\\out\\a\x7F b.csv"));  // DEL and blank are allowed
  EXPECT_FALSE(HasValidCharacters("C:\\out\\\\data.csv"));
  EXPECT_FALSE(HasValidCharacters("\\\\srv\\\\pub\\data.csv"));
  EXPECT_FALSE(HasValidCharacters("\\\\srv\\pub:\\data.csv"));
}

#ifndef _WIN32
TEST_F(PathChecksTest, DrivesAreJudgedByTheirType) {
  EXPECT_TRUE(IsUsableDrive('C', 6));
  EXPECT_TRUE(IsUsableDrive('c', 6));
  EXPECT_TRUE(IsUsableDrive('E', 6));
  EXPECT_TRUE(IsUsableDrive('X', 6));
  EXPECT_TRUE(IsUsableDrive('N', 6));   // no root folder passes
  EXPECT_TRUE(IsUsableDrive('Q', 6));   // an unmapped letter has no root folder
  EXPECT_FALSE(IsUsableDrive('D', 6));  // CD-ROM
  EXPECT_FALSE(IsUsableDrive('R', 6));  // RAM disk
  EXPECT_FALSE(IsUsableDrive('U', 6));  // unknown
  EXPECT_FALSE(IsUsableDrive('M', 6));  // root cannot be accessed
  EXPECT_FALSE(IsUsableDrive('1', 6));
  EXPECT_FALSE(IsUsableDrive('\\', 6));

  EXPECT_TRUE(IsValidDrive("C:\\a\\b.csv"));
  EXPECT_TRUE(IsValidDrive("Cdata.csv"));  // a bare name is judged by its first letter
  EXPECT_FALSE(IsValidDrive("D:\\b.csv"));
  EXPECT_FALSE(IsValidDrive("r:\\b.csv"));
  EXPECT_FALSE(IsValidDrive("C:\\a\\\\b.csv"));
  EXPECT_FALSE(IsValidDrive(""));

  EXPECT_TRUE(IsValidDrive("\\\\srv\\pub\\b.csv"));
  EXPECT_TRUE(IsValidDrive("\\\\SRV\\PUB\\sub\\b.csv"));
  EXPECT_FALSE(IsValidDrive("\\\\srv\\pub"));  // no "\" after the share
  EXPECT_FALSE(IsValidDrive("\\\\srv\\other\\b.csv"));
  EXPECT_FALSE(IsValidDrive("\\\\srv"));
}
#endif

TEST(PathText, BackslashFolderAndDoubleBytePositions) {
  char buf[16] = "";
  EXPECT_EQ(AddBackslash(buf, sizeof buf), 0);
  strcpy(buf, "C:\\a");
  EXPECT_EQ(AddBackslash(buf, sizeof buf), 1);
  EXPECT_STREQ(buf, "C:\\a\\");
  EXPECT_EQ(AddBackslash(buf, sizeof buf), 1);
  EXPECT_STREQ(buf, "C:\\a\\");
  strcpy(buf, "C:\\" HYO);  // ends with a trail byte of the value "\"
  EXPECT_EQ(AddBackslash(buf, sizeof buf), 1);
  EXPECT_STREQ(buf, "C:\\" HYO "\\");
  strcpy(buf, "C:\\abc");
  EXPECT_EQ(AddBackslash(buf, 7), 0);  // no room for the "\"
  EXPECT_STREQ(buf, "C:\\abc");
  EXPECT_EQ(AddBackslash(buf, 8), 1);

  auto folder = [](const char* in, const char* want) {
    char b[kPathBufferSize];
    strcpy(b, in);
    EXPECT_EQ(ToFolderPath(b), want[0] ? 1 : 0) << in;
    if (want[0]) {
      EXPECT_STREQ(b, want) << in;
    }
  };
  folder("C:\\a\\b.csv", "C:\\a\\");
  folder("C:\\a\\b", "C:\\a\\");  // a last level without "\" is dropped
  folder("C:\\a\\b\\", "C:\\a\\b\\");
  folder("C:\\" HYO "\\x.csv", "C:\\" HYO "\\");
  folder("C:\\" HYO, "C:\\");  // one level, not two
  folder("C:x.csv", "C:\\");
  folder("C:", "C:");             // nothing shorter to close
  folder("sub\\x.csv", "sub\\");  // relative names keep their folder
  folder("\\\\srv\\pub\\x.csv", "\\\\srv\\pub\\");
  folder("x.csv", "");
  folder("", "");
  // A folder part longer than the split can carry has no sound reduction.
  std::string deep = "C:\\" + std::string(254, 'a') + "\\x";
  folder(deep.c_str(), "");

  EXPECT_EQ(IsDoubleByteAt("a" HYO "b", 0), 0);
  EXPECT_EQ(IsDoubleByteAt("a" HYO "b", 1), 1);
  EXPECT_EQ(IsDoubleByteAt("a" HYO "b", 2), 1);
  EXPECT_EQ(IsDoubleByteAt("a" HYO "b", 3), 0);
  EXPECT_EQ(IsDoubleByteAt("a" HYO "b", 9), 0);

  EXPECT_EQ(FolderPartLength("C:\\a\\b.csv"), 5u);
  EXPECT_STREQ(FilePart("C:\\a\\b.csv"), "b.csv");
  EXPECT_STREQ(FilePart("C:\\a\\"), "");
  EXPECT_STREQ(FilePart("b.csv"), "b.csv");
  EXPECT_STREQ(FilePart("C:\\" HYO "x.csv"), HYO "x.csv");
}

#ifndef _WIN32
TEST_F(PathChecksTest, CreatesMissingLevelsAndRollsBackAFailedTree) {
  EXPECT_EQ(FolderExists("C:\\x.csv"), 1);
  EXPECT_EQ(FolderExists("C:\\new\\x.csv"), 0);

  // Two levels below the root.
  ASSERT_TRUE(CreateFolderTree("C:\\new\\sub\\"));
  EXPECT_TRUE(fs::is_directory(C("new/sub")));
  EXPECT_EQ(FolderExists("C:\\new\\sub\\x.csv"), 1);
  // A name ending with a double-byte character whose second byte is "\".
  ASSERT_TRUE(CreateFolderTree("C:\\a" HYO "\\b"));  // the last level without "\" is a file name
  EXPECT_TRUE(fs::is_directory(C("a\xe8\xa1\xa8")));
  EXPECT_FALSE(fs::exists(C("a")));
  // A network share.
  ASSERT_TRUE(CreateFolderTree("\\\\srv\\pub\\n1\\n2\\"));
  EXPECT_TRUE(fs::is_directory(root_.Host("pub/n1/n2")));

  // The deeper level cannot be made: 86 double-byte characters are 258 bytes
  // on the host, past its name limit. The upper level goes again.
  std::string too_long;
  for (int i = 0; i < 86; ++i) too_long += HYO;
  EXPECT_FALSE(CreateFolderTree(("C:\\up\\" + too_long + "\\").c_str()));
  EXPECT_FALSE(fs::exists(C("up")));
  // Levels that existed before stay, also an empty one.
  fs::create_directory(C("keep"));
  EXPECT_FALSE(CreateFolderTree(("C:\\keep\\up\\" + too_long + "\\").c_str()));
  EXPECT_TRUE(fs::is_directory(C("keep")));
  EXPECT_FALSE(fs::exists(C("keep/up")));

  // Without a root there is nothing to create against.
  EXPECT_FALSE(CreateFolderTree("rel\\dir\\"));
  EXPECT_FALSE(CreateFolderTree(""));
  EXPECT_FALSE(CreateFolderTree("C:\\"));
  EXPECT_FALSE(CreateFolderTree("N:\\a\\"));  // drive without a root folder
  EXPECT_FALSE(CreateFolderTree("D:\\a\\"));  // CD-ROM
  EXPECT_TRUE(fs::is_empty(root_.Host("d")));
}
#endif

#ifndef _WIN32
TEST_F(PathChecksTest, RemovesCreatedFoldersDeepestFirst) {
  fs::create_directories(C("a/b/c"));
  // Without a kept folder only the deepest existing level goes.
  EXPECT_EQ(RemoveCreatedFolders("C:\\a\\b\\c\\"), 1);
  EXPECT_FALSE(fs::exists(C("a/b/c")));
  EXPECT_TRUE(fs::exists(C("a/b")));

  // Down to the kept folder, compared without regard to case.
  fs::create_directories(C("a/b/c"));
  EXPECT_EQ(RemoveCreatedFolders("C:\\a\\b\\c\\x.csv", "c:\\A\\"), 1);
  EXPECT_TRUE(fs::is_directory(C("a")));
  EXPECT_FALSE(fs::exists(C("a/b")));

  // A kept folder that is not above the path: nothing is removed.
  fs::create_directories(C("a/b"));
  EXPECT_EQ(RemoveCreatedFolders("C:\\a\\b\\", "C:\\z\\"), 0);
  EXPECT_EQ(RemoveCreatedFolders("C:\\a\\b\\", "E:\\a\\"), 0);
  EXPECT_TRUE(fs::exists(C("a/b")));

  // A level that is not empty cannot be removed.
  std::ofstream(C("a/b/file")) << "x";
  EXPECT_EQ(RemoveCreatedFolders("C:\\a\\b\\", "C:\\"), 0);
  EXPECT_TRUE(fs::exists(C("a/b/file")));

  EXPECT_EQ(RemoveCreatedFolders("x.csv"), 0);
}
#endif

}  // namespace
