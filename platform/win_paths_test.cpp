// Windows paths: the host mapping and the path functions, against what
// Windows gives for the same input.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/host_map.h"
#include "platform/win.h"

namespace {

std::string U8(const char8_t* s) { return reinterpret_cast<const char*>(s); }

// "表" is 0x95 0x5C in CP932: its trail byte has the value of "\".
const char kHyo[] = "表";

class Mapped : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(std::strlen(kHyo), 2u);
    ASSERT_EQ(static_cast<unsigned char>(kHyo[1]), 0x5C);
    setenv("ZEL_DRIVES",
           "Z:fixed=/;C:fixed=/tmp/zc/;D:cdrom=/mnt/cd;N:noroot=;R:remote=/srv/r;"
           "M:removable=/media/m;A:ramdisk=/dev/shm;U:unknown=/u;bad;Q:nosuch=/q",
           1);
    setenv("ZEL_SHARES", U8(u8"srv/pub=/tmp/pub;srv/表=/tmp/hyo").c_str(), 1);
    win::ReloadMappings();
  }
  void TearDown() override {
    unsetenv("ZEL_DRIVES");
    unsetenv("ZEL_SHARES");
    win::ReloadMappings();
  }
  static std::string Host(const std::string& windows) {
    std::string host;
    return win::ToHostPath(windows.c_str(), &host) ? host : "<none>";
  }
};

TEST_F(Mapped, DrivePathsMapToTheirRoots) {
  EXPECT_EQ(Host("C:\\a\\b.txt"), "/tmp/zc/a/b.txt");
  EXPECT_EQ(Host("c:/a\\b"), "/tmp/zc/a/b");
  EXPECT_EQ(Host("C:\\"), "/tmp/zc");
  EXPECT_EQ(Host("C:\\..\\..\\x\\.\\y"), "/tmp/zc/x/y");  // never above the root
  EXPECT_EQ(Host("C:\\a\\\\b\\"), "/tmp/zc/a/b");
  EXPECT_EQ(Host(std::string("C:\\") + kHyo + "\\f"), U8(u8"/tmp/zc/表/f"));
  EXPECT_EQ(Host(std::string("C:\\") + kHyo), U8(u8"/tmp/zc/表"));
  EXPECT_EQ(Host("Z:\\etc"), "/etc");
  EXPECT_EQ(Host("N:\\x"), "<none>");  // no root folder
  EXPECT_EQ(Host("E:\\x"), "<none>");  // not mapped
  EXPECT_EQ(Host("Q:\\x"), "<none>");  // entry of an unknown type is ignored
  EXPECT_EQ(Host(""), "<none>");
}

TEST_F(Mapped, NetworkPathsNeedAListedShare) {
  EXPECT_EQ(Host("\\\\srv\\pub\\x\\y.csv"), "/tmp/pub/x/y.csv");
  EXPECT_EQ(Host("\\\\SRV\\Pub"), "/tmp/pub");
  EXPECT_EQ(Host(std::string("\\\\srv\\") + kHyo + "\\f"), "/tmp/hyo/f");
  EXPECT_EQ(Host("\\\\srv\\other\\x"), "<none>");
  EXPECT_EQ(Host("\\\\srv"), "<none>");
  EXPECT_EQ(Host("\\\\srv\\"), "<none>");
}

TEST_F(Mapped, ShareNamesFoldOnlySingleByteLetters) {
  // "ア" is 0x83 0x41 and "ヂ" 0x83 0x61: their trail bytes have the values
  // of "A" and "a", yet they are different names.
  ASSERT_EQ(std::string("ア") + "ヂ", "\x83\x41\x83\x61");
  setenv("ZEL_SHARES", U8(u8"srv/ア=/tmp/a;SRV/ヂ=/tmp/di;srv/xア=/tmp/xa").c_str(), 1);
  win::ReloadMappings();
  EXPECT_EQ(Host("\\\\srv\\ア\\f"), "/tmp/a/f");
  EXPECT_EQ(Host("\\\\srv\\ヂ\\f"), "/tmp/di/f");
  EXPECT_EQ(Host("\\\\Srv\\Xア"), "/tmp/xa");
  EXPECT_EQ(Host("\\\\srv\\xヂ"), "<none>");
  const win::ShareEntry* share = win::FindShare("SRV", "ヂ");
  ASSERT_NE(share, nullptr);
  EXPECT_EQ(share->host, "/tmp/di");
  for (const std::string& problem : win::HostMapProblems())  // neither is taken for a second listing
    EXPECT_EQ(problem.find("ZEL_SHARES"), std::string::npos) << problem;
}

TEST_F(Mapped, RelativeNamesFollowTheCurrentDirectory) {
  char cwd[4096];
  ASSERT_TRUE(getcwd(cwd, sizeof(cwd)));
  std::string base = std::string(cwd) == "/" ? "" : cwd;
  EXPECT_EQ(Host("a\\b.txt"), base + "/a/b.txt");
  // "\x" is the root of the current drive (Z: here, mapped to /).
  EXPECT_EQ(Host("\\etc\\x"), "/etc/x");
  // "Z:name" is relative to the current directory, on its drive.
  EXPECT_EQ(Host("Z:name"), base + "/name");
  // "C:name" on another drive: relative to that drive's root.
  EXPECT_EQ(Host("C:name"), "/tmp/zc/name");
}

TEST_F(Mapped, HostPathsShowInWindowsFormThroughTheLongestRoot) {
  EXPECT_EQ(win::FromHostPath("/tmp/zc/a/b"), "C:\\a\\b");
  EXPECT_EQ(win::FromHostPath("/tmp/zc"), "C:\\");
  EXPECT_EQ(win::FromHostPath("/tmp/zcx"), "Z:\\tmp\\zcx");
  EXPECT_EQ(win::FromHostPath("/tmp/pub/q"), "\\\\srv\\pub\\q");
  EXPECT_EQ(win::FromHostPath(U8(u8"/tmp/zc/表")), std::string("C:\\") + kHyo);
  EXPECT_EQ(win::FromHostPath("relative"), "");
  setenv("ZEL_DRIVES", "C:fixed=/tmp/zc", 1);
  win::ReloadMappings();
  EXPECT_EQ(win::FromHostPath("/etc"), "");
  unsetenv("ZEL_DRIVES");
  win::ReloadMappings();
  EXPECT_EQ(win::FromHostPath("/etc/x"), "Z:\\etc\\x");  // the default map
}

TEST_F(Mapped, DriveTypesFollowTheMap) {
  EXPECT_EQ(win::GetDriveTypeA("C:\\"), 3u);
  EXPECT_EQ(win::GetDriveTypeA("c:\\"), 3u);
  EXPECT_EQ(win::GetDriveTypeA("D:\\"), 5u);
  EXPECT_EQ(win::GetDriveTypeA("N:\\"), 1u);
  EXPECT_EQ(win::GetDriveTypeA("E:\\"), 1u);
  EXPECT_EQ(win::GetDriveTypeA("R:\\"), 4u);
  EXPECT_EQ(win::GetDriveTypeA("M:\\"), 2u);
  EXPECT_EQ(win::GetDriveTypeA("A:\\"), 6u);
  EXPECT_EQ(win::GetDriveTypeA("U:\\"), 0u);
  EXPECT_EQ(win::GetDriveTypeA("\\\\srv\\pub\\"), 4u);
  EXPECT_EQ(win::GetDriveTypeA("\\\\srv\\nope\\"), 1u);
  EXPECT_EQ(win::GetDriveTypeA("C:\\dir\\"), 1u);  // not a root
  EXPECT_EQ(win::GetDriveTypeA(nullptr), 3u);      // the current directory's (Z:)
}

// Problems of the map, each naming its variable and entry.
std::vector<std::string> Problems(const char* drives, const char* shares) {
  setenv("ZEL_DRIVES", drives, 1);
  setenv("ZEL_SHARES", shares, 1);
  win::ReloadMappings();
  return win::HostMapProblems();
}

TEST_F(Mapped, MalformedEntriesAndAnUnmappedProgramFolderAreNamed) {
  // The fixture's map: two malformed drive entries, the program on Z:.
  std::vector<std::string> problems = win::HostMapProblems();
  ASSERT_EQ(problems.size(), 2u);
  EXPECT_EQ(problems[0], "ZEL_DRIVES: the entry \"bad\" is not L:TYPE=/host/dir");
  EXPECT_EQ(problems[1].rfind("ZEL_DRIVES: the entry \"Q:nosuch=/q\" has no drive type", 0), 0u)
      << problems[1];

  problems = Problems("Z:fixed=/;E:fixed=tmp/e;z:cdrom=/mnt;:fixed=/;7:fixed=/",
                      "srv=/x;srv/pub=;a/b=/x;A/B=/y;/s=/z");
  EXPECT_EQ(problems,
            (std::vector<std::string>{
                "ZEL_DRIVES: the entry \"E:fixed=tmp/e\" has a host folder that does not start with /",
                "ZEL_DRIVES: the entry \"z:cdrom=/mnt\" maps drive Z: a second time",
                "ZEL_DRIVES: the entry \":fixed=/\" is not L:TYPE=/host/dir",
                "ZEL_DRIVES: the entry \"7:fixed=/\" is not L:TYPE=/host/dir",
                "ZEL_SHARES: the entry \"srv=/x\" is not server/share=/host/dir",
                "ZEL_SHARES: the entry \"srv/pub=\" has a host folder that does not start with /",
                "ZEL_SHARES: the entry \"A/B=/y\" lists its share a second time",
                "ZEL_SHARES: the entry \"/s=/z\" is not server/share=/host/dir",
            }));
  // The first entry of a letter or share stays in the map.
  EXPECT_EQ(win::GetDriveTypeA("Z:\\"), 3u);
  EXPECT_EQ(Host("\\\\a\\b\\f"), "/x/f");

  // A sound map whose drives leave out the program's folder.
  problems = Problems("E:fixed=/nonexistent;N:noroot=", "");
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_NE(problems[0].find("the program's folder /"), std::string::npos) << problems[0];
  EXPECT_NE(problems[0].find("is on no drive of ZEL_DRIVES"), std::string::npos) << problems[0];
  // ... or a share that holds it.
  EXPECT_TRUE(Problems("E:fixed=/nonexistent", "srv/root=/").empty());

  // An empty ZEL_DRIVES is the default map, Z: at the host's root.
  EXPECT_TRUE(Problems("", "").empty());
  EXPECT_EQ(Host("Z:\\etc"), "/etc");
  EXPECT_EQ(Problems(";", "").size(), 1u);  // no drive at all

  // A share whose root leaves no room in a Windows path is said as such,
  // the entry cut to a line, and the program's folder stays on Z:.
  std::string huge = "srv/" + std::string(70000, 'b') + "=/";
  EXPECT_EQ(Problems("Z:fixed=/", huge.c_str()),
            std::vector<std::string>{"ZEL_SHARES: the entry \"srv/" + std::string(56, 'b') +
                                     "...(70006 bytes)\" names a share too long for a Windows path "
                                     "(\\\\server\\share\\ is 70007 bytes; a path holds 259)"});
}

TEST(PathSkipRoot, AsWindowsFindsTheRoot) {
  const char* p = "C:\\x";
  EXPECT_EQ(win::PathSkipRootA(p), p + 3);
  EXPECT_EQ(win::PathSkipRootA("C:x"), nullptr);
  p = "\\\\server\\share\\x";
  EXPECT_EQ(win::PathSkipRootA(p), p + 15);
  EXPECT_EQ(win::PathSkipRootA("\\\\server"), nullptr);
  EXPECT_EQ(win::PathSkipRootA("\\\\server\\share"), nullptr);
  EXPECT_EQ(win::PathSkipRootA("name"), nullptr);
  EXPECT_EQ(win::PathSkipRootA("\\name"), nullptr);
  EXPECT_EQ(win::PathSkipRootA(""), nullptr);
  EXPECT_EQ(win::PathSkipRootA(nullptr), nullptr);
  // A share name ending with 0x5C as a trail byte is one name.
  std::string unc = std::string("\\\\server\\") + kHyo + "\\x";
  EXPECT_STREQ(win::PathSkipRootA(unc.c_str()), "x");
  unc = std::string("\\\\") + kHyo + "\\s";
  EXPECT_EQ(win::PathSkipRootA(unc.c_str()), nullptr);
}

std::string Strip(const std::string& path, BOOL* result) {
  char buffer[300];
  std::strcpy(buffer, path.c_str());
  *result = win::PathStripToRootA(buffer);
  return buffer;
}

TEST(PathStripToRoot, AsWindowsKeepsTheRoot) {
  const std::string hyo = kHyo;
  // Each path, what is left of it, and whether that is a root.
  struct Case {
    std::string path, root;
    bool is_root;
  };
  const Case cases[] = {{"C:\\x\\y.txt", "C:\\", true},
                        {"C:\\", "C:\\", true},
                        {"C:x", "C:", false},
                        {"\\\\server\\share\\x\\y", "\\\\server\\share", true},
                        {"\\\\server", "\\\\server", true},
                        {"name", "", false},
                        {"\\a\\b", "\\", true},
                        {"C:\\" + hyo + "\\" + hyo, "C:\\", true},
                        {"\\\\server\\" + hyo + "\\x", "\\\\server\\" + hyo, true}};
  for (const Case& c : cases) {
    BOOL ok;
    EXPECT_EQ(Strip(c.path, &ok), c.root) << c.path;
    EXPECT_EQ(ok != FALSE, c.is_root) << c.path;
  }
  EXPECT_FALSE(win::PathStripToRootA(nullptr));
}

struct Split {
  std::string drive, dir, fname, ext;
};
Split SplitPath(const std::string& path) {
  char drive[3], dir[256], fname[256], ext[256];
  std::memset(dir, 'x', sizeof(dir));
  win::_splitpath(path.c_str(), drive, dir, fname, ext);
  return {drive, dir, fname, ext};
}

TEST(SplitPath, DriveDirectoryNameAndExtension) {
  const std::string hyo = kHyo;
  struct Case {
    std::string path, drive, dir, fname, ext;
  };
  const Case cases[] = {
      {"C:\\dir\\sub\\name.tar.gz", "C:", "\\dir\\sub\\", "name.tar", ".gz"},
      {"\\\\server\\share\\f.csv", "", "\\\\server\\share\\", "f", ".csv"},
      {"C:name", "C:", "", "name", ""},
      {"C:\\a.b\\c", "C:", "\\a.b\\", "c", ""},
      {"dir/.profile", "", "dir/", "", ".profile"},
      // A last name ending with a trail byte 0x5C is a name, not a folder.
      {"C:\\dir\\" + hyo, "C:", "\\dir\\", hyo, ""},
      {"C:\\" + hyo + "\\" + hyo + ".txt", "C:", "\\" + hyo + "\\", hyo, ".txt"},
  };
  for (const Case& c : cases) {
    Split s = SplitPath(c.path);
    EXPECT_EQ(s.drive, c.drive) << c.path;
    EXPECT_EQ(s.dir, c.dir) << c.path;
    EXPECT_EQ(s.fname, c.fname) << c.path;
    EXPECT_EQ(s.ext, c.ext) << c.path;
  }
  // Pieces too long for their buffers are cut and terminated.
  std::string deep = "C:\\" + std::string(280, 'd') + "\\f";
  Split s = SplitPath(deep);
  EXPECT_EQ(s.dir.size(), 255u);
  EXPECT_EQ(s.fname, "f");
  std::string deep_dbcs = "C:\\a";
  for (int i = 0; i < 140; ++i) deep_dbcs += kHyo;
  s = SplitPath(deep_dbcs + "\\f");
  EXPECT_EQ(s.dir.size(), 254u);  // "\a" and 126 whole characters: never half of one
  // Null buffers are skipped.
  win::_splitpath("C:\\x\\y.z", nullptr, nullptr, nullptr, nullptr);
}

}  // namespace
