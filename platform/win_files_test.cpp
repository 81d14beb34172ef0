// Files, folders, access modes, INI reading and the program's own paths,
// on a temporary folder mapped as drive C:.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "platform/test_env.h"
#include "platform/win.h"

namespace {

class Files : public ::testing::Test {
 protected:
  void SetUp() override {
    mkdir(dir_.Host("cd").c_str(), 0755);
    setenv("ZEL_DRIVES",
           ("Z:fixed=/;C:fixed=" + dir_.path() + ";D:cdrom=" + dir_.path() + "/cd;N:noroot=").c_str(), 1);
    win::ReloadMappings();
  }
  void TearDown() override {
    unsetenv("ZEL_DRIVES");
    win::ReloadMappings();
  }
  void Write(const std::string& name, const std::string& text) {
    std::ofstream(dir_.Host(name), std::ios::binary) << text;
  }
  std::string Ini(const char* section, const char* key, const char* fallback, DWORD size = 16,
                  const char* file = "C:\\t.ini", DWORD* length = nullptr) {
    char buffer[64];
    std::memset(buffer, 'z', sizeof(buffer));
    DWORD n = win::GetPrivateProfileStringA(section, key, fallback, buffer, size, file);
    if (length) *length = n;
    EXPECT_EQ(n, std::strlen(buffer));
    return buffer;
  }
  testenv::ScratchDir dir_{"zel-win"};
};

TEST_F(Files, AccessModesFollowTheHostFile) {
  Write("rw.txt", "x");
  Write("ro.txt", "x");
  chmod(dir_.Host("ro.txt").c_str(), 0444);
  EXPECT_EQ(win::_access("C:\\rw.txt", 0), 0);
  EXPECT_EQ(win::_access("C:\\rw.txt", 6), 0);
  EXPECT_EQ(win::_access("C:\\ro.txt", 4), 0);
  if (geteuid() != 0) {  // root may write anything
    EXPECT_EQ(win::_access("C:\\ro.txt", 2), -1);
    EXPECT_EQ(win::_access("C:\\ro.txt", 6), -1);
  }
  EXPECT_EQ(win::_access("C:\\missing.txt", 0), -1);
  EXPECT_EQ(win::_access("C:\\", 6), 0);
  EXPECT_EQ(win::_access("C:\\rw.txt", 1), -1);  // not a mode of ours
  EXPECT_EQ(win::_access("N:\\", 0), -1);
  EXPECT_EQ(win::_access("D:\\", 4), 0);
  EXPECT_EQ(win::_access("D:\\", 6), -1);  // a CD-ROM is read-only
  EXPECT_EQ(win::_access("E:\\", 0), -1);
}

TEST_F(Files, FoldersAndFiles) {
  EXPECT_TRUE(win::CreateDirectoryA("C:\\表", nullptr));
  EXPECT_FALSE(win::CreateDirectoryA("C:\\表", nullptr));  // exists
  EXPECT_FALSE(win::CreateDirectoryA("C:\\no\\deeper", nullptr));
  EXPECT_FALSE(win::CreateDirectoryA("D:\\x", nullptr));
  EXPECT_FALSE(win::CreateDirectoryA("N:\\x", nullptr));
  EXPECT_TRUE(win::PathIsDirectoryA("C:\\表"));
  EXPECT_TRUE(win::PathIsDirectoryA("C:\\表\\"));
  EXPECT_FALSE(win::PathFileExistsA("C:\\表\\f.txt"));
  std::ofstream(dir_.path() + "/" + reinterpret_cast<const char*>(u8"表") + "/f.txt") << "12345";
  EXPECT_TRUE(win::PathFileExistsA("C:\\表\\f.txt"));
  EXPECT_FALSE(win::PathIsDirectoryA("C:\\表\\f.txt"));
  struct win::_stat st;
  ASSERT_EQ(win::_stat("C:\\表\\f.txt", &st), 0);
  EXPECT_EQ(st.st_size, 5);
  EXPECT_EQ(st.st_mode & _S_IFREG, _S_IFREG);
  EXPECT_GT(st.st_mtime, 0);
  ASSERT_EQ(win::_stat("C:\\表", &st), 0);
  EXPECT_EQ(st.st_mode & _S_IFDIR, _S_IFDIR);
  EXPECT_EQ(win::_stat("C:\\none", &st), -1);
  EXPECT_FALSE(win::RemoveDirectoryA("C:\\表"));  // not empty
  EXPECT_FALSE(win::DeleteFileA("C:\\表"));       // a folder is no file
  EXPECT_EQ(win::GetFileAttributesA("C:\\表\\f.txt"), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(win::GetFileAttributesA("C:\\表"), FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(win::GetFileAttributesA("C:\\none"), INVALID_FILE_ATTRIBUTES);
  ASSERT_EQ(symlink("/dev/null", dir_.Host("link").c_str()), 0);
  EXPECT_EQ(win::GetFileAttributesA("C:\\link"), FILE_ATTRIBUTE_REPARSE_POINT);
  EXPECT_EQ(win::GetFileAttributesA("Z:\\dev\\null"), FILE_ATTRIBUTE_DEVICE);
  // A move onto an existing name needs the replace flag; the file replaced
  // hands on its permissions. Nothing moves onto a CD-ROM.
  std::ofstream(dir_.Host("new.txt")) << "new";
  chmod((dir_.path() + "/" + reinterpret_cast<const char*>(u8"表") + "/f.txt").c_str(), 0604);
  EXPECT_FALSE(win::MoveFileExA("C:\\new.txt", "C:\\表\\f.txt", 0));
  EXPECT_FALSE(win::MoveFileExA("C:\\new.txt", "D:\\f.txt", MOVEFILE_REPLACE_EXISTING));
  EXPECT_TRUE(win::MoveFileExA("C:\\new.txt", "C:\\表\\f.txt", MOVEFILE_REPLACE_EXISTING));
  EXPECT_FALSE(win::PathFileExistsA("C:\\new.txt"));
  ASSERT_EQ(win::_stat("C:\\表\\f.txt", &st), 0);
  EXPECT_EQ(st.st_size, 3);
  struct stat host_st;
  ASSERT_EQ(stat((dir_.path() + "/" + reinterpret_cast<const char*>(u8"表") + "/f.txt").c_str(), &host_st),
            0);
  EXPECT_EQ(host_st.st_mode & 0777, 0604u);
  EXPECT_TRUE(win::DeleteFileA("C:\\表\\f.txt"));
  EXPECT_FALSE(win::DeleteFileA("C:\\表\\f.txt"));
  EXPECT_TRUE(win::RemoveDirectoryA("C:\\表"));
  EXPECT_FALSE(win::PathFileExistsA("C:\\表"));
}

// The root folder of a drive or share is never removed, as on Windows,
// however the path reaches it: empty names, "..", or another drive whose
// folder holds it.
TEST_F(Files, ARootFolderIsNeverRemoved) {
  mkdir(dir_.Host("e").c_str(), 0755);
  setenv("ZEL_DRIVES", ("C:fixed=" + dir_.path() + ";E:fixed=" + dir_.Host("e")).c_str(), 1);
  setenv("ZEL_SHARES", ("srv/e=" + dir_.Host("e")).c_str(), 1);
  win::ReloadMappings();
  for (const char* root : {"E:\\", "E:\\\\\\", "E:\\a\\..", "C:\\e", "\\\\srv\\e\\", "\\\\srv\\e\\x\\..\\"}) {
    EXPECT_FALSE(win::RemoveDirectoryA(root)) << root;
    EXPECT_TRUE(win::PathIsDirectoryA("E:\\")) << root;
  }
  ASSERT_TRUE(win::CreateDirectoryA("E:\\sub", nullptr));
  EXPECT_TRUE(win::RemoveDirectoryA("E:\\sub\\\\"));
  EXPECT_FALSE(win::PathIsDirectoryA("E:\\sub"));
  unsetenv("ZEL_SHARES");
}

// Handles: what opens, and what nothing ever waits for.
TEST_F(Files, FileHandlesOpenReadWriteAndNeverWaitForAFifo) {
  HANDLE h = win::CreateFileA("C:\\none", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(win::GetLastError(), ERROR_FILE_NOT_FOUND);
  h = win::CreateFileA("C:\\t.txt", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD n = 0;
  EXPECT_TRUE(win::WriteFile(h, "a\0b\n", 4, &n, nullptr));
  EXPECT_EQ(n, 4u);
  EXPECT_TRUE(win::FlushFileBuffers(h));
  EXPECT_TRUE(win::CloseHandle(h));
  EXPECT_EQ(win::CreateFileA("C:\\t.txt", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(win::GetLastError(), ERROR_FILE_EXISTS);
  h = win::CreateFileA("C:\\t.txt", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  char buffer[8] = {};
  EXPECT_EQ(win::GetFileType(h), FILE_TYPE_DISK);
  EXPECT_TRUE(win::ReadFile(h, buffer, sizeof buffer, &n, nullptr));
  EXPECT_EQ(std::string(buffer, n), std::string("a\0b\n", 4));
  EXPECT_TRUE(win::ReadFile(h, buffer, sizeof buffer, &n, nullptr));
  EXPECT_EQ(n, 0u);
  win::CloseHandle(h);
  // A folder opens only for its handle's own uses; nothing is made on a
  // CD-ROM.
  EXPECT_EQ(win::CreateFileA("C:\\cd", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(win::GetLastError(), ERROR_ACCESS_DENIED);
  h = win::CreateFileA("C:\\cd", GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                       nullptr);
  EXPECT_NE(h, INVALID_HANDLE_VALUE);
  win::CloseHandle(h);
  EXPECT_EQ(win::CreateFileA("D:\\t.txt", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr),
            INVALID_HANDLE_VALUE);
  // A FIFO without a writer opens at once, is told apart, and a read of it
  // comes back at once, empty (alarm ends a test that waits).
  alarm(10);
  ASSERT_EQ(mkfifo(dir_.Host("fifo").c_str(), 0600), 0);
  h = win::CreateFileA("C:\\fifo", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(win::GetFileType(h), FILE_TYPE_PIPE);
  n = 1;
  win::ReadFile(h, buffer, sizeof buffer, &n, nullptr);
  EXPECT_EQ(n, 0u);
  win::CloseHandle(h);
  alarm(0);
}

TEST_F(Files, TempFileNamesAreNewFilesOfTheirOwn) {
  char first[MAX_PATH], second[MAX_PATH];
  UINT a = win::GetTempFileNameA("C:\\", "zelpkg", 0, first);
  UINT b = win::GetTempFileNameA("C:\\", "zel", 0, second);
  ASSERT_NE(a, 0u);
  ASSERT_NE(b, 0u);
  EXPECT_NE(std::string(first), second);
  char expected[32];
  std::snprintf(expected, sizeof expected, "C:\\zel%04X.TMP", a);
  EXPECT_STREQ(first, expected);
  EXPECT_EQ(win::GetFileAttributesA(first), FILE_ATTRIBUTE_NORMAL);
  mode_t mask = umask(0);
  umask(mask);
  struct stat st;
  ASSERT_EQ(stat(dir_.Host(first + 3).c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask);
  EXPECT_EQ(win::GetTempFileNameA("D:\\", "zel", 0, first), 0u);
  EXPECT_EQ(win::GetTempFileNameA("C:\\none", "zel", 0, first), 0u);
}

// Four processes (this test run again) each add 1 to a counter 25 times,
// each holding the lock of the counter's folder from the read to the
// replace: no addition is lost.
TEST_F(Files, AFolderLockSerializesReadModifyReplace) {
  constexpr int kProcesses = 4, kRounds = 25;
  if (const char* folder_path = std::getenv("ZEL_TEST_COUNTER_DIR")) {
    setenv("ZEL_DRIVES", ("C:fixed=" + std::string(folder_path)).c_str(), 1);
    win::ReloadMappings();
    for (int r = 0; r < kRounds; ++r) {
      HANDLE folder = win::CreateFileA("C:\\", GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_BACKUP_SEMANTICS, nullptr);
      win::OVERLAPPED range = {};
      ASSERT_TRUE(win::LockFileEx(folder, LOCKFILE_EXCLUSIVE_LOCK, 0, 0xFFFFFFFFu, 0xFFFFFFFFu, &range));
      std::ifstream in(std::string(folder_path) + "/count");
      int count = 0;
      in >> count;
      usleep(200);
      std::ofstream(std::string(folder_path) + "/count.new") << count + 1;
      ASSERT_TRUE(win::MoveFileExA("C:\\count.new", "C:\\count", MOVEFILE_REPLACE_EXISTING));
      ASSERT_TRUE(win::UnlockFileEx(folder, 0, 0xFFFFFFFFu, 0xFFFFFFFFu, &range));
      win::CloseHandle(folder);
    }
    return;
  }
  Write("count", "0");
  for (const testenv::ProgramResult& r : testenv::RunWorkers(
           "Files.AFolderLockSerializesReadModifyReplace", kProcesses, {"ZEL_TEST_COUNTER_DIR=" + dir_.path()}))
    EXPECT_EQ(r.status, 0) << r.out;
  std::ifstream in(dir_.Host("count"));
  int count = 0;
  in >> count;
  EXPECT_EQ(count, kProcesses * kRounds);
}

TEST_F(Files, CurrentDirectoryAndProgramPathInWindowsForm) {
  char saved[4096];
  ASSERT_TRUE(getcwd(saved, sizeof(saved)));
  ASSERT_TRUE(win::CreateDirectoryA("C:\\work", nullptr));
  ASSERT_TRUE(win::SetCurrentDirectoryA("C:\\work"));
  char buffer[MAX_PATH + 1];
  EXPECT_EQ(win::GetCurrentDirectoryA(sizeof(buffer), buffer), 7u);
  EXPECT_STREQ(buffer, "C:\\work");
  EXPECT_EQ(win::GetCurrentDirectoryA(3, buffer), 8u);  // too small: the size needed
  EXPECT_FALSE(win::SetCurrentDirectoryA("C:\\missing"));
  // Drive-relative names follow the current directory on its own drive.
  std::string host;
  ASSERT_TRUE(win::ToHostPath("C:x.txt", &host));
  EXPECT_EQ(host, dir_.Host("work/x.txt"));
  ASSERT_TRUE(win::ToHostPath("..\\..\\y", &host));  // never above the root
  EXPECT_EQ(host, dir_.Host("y"));
  ASSERT_TRUE(win::ToHostPath("\\z", &host));
  EXPECT_EQ(host, dir_.Host("z"));
  EXPECT_EQ(win::GetDriveTypeA(nullptr), 3u);
  // A current directory deeper than MAX_PATH is still on its drive.
  std::string deep = dir_.Host("work");
  for (int i = 0; i < 3; ++i) {
    deep += "/" + std::string(100, 'd');
    ASSERT_EQ(mkdir(deep.c_str(), 0755), 0);
  }
  ASSERT_EQ(chdir(deep.c_str()), 0);
  EXPECT_GT(win::GetCurrentDirectoryA(sizeof(buffer), buffer), sizeof(buffer));
  EXPECT_EQ(win::GetDriveTypeA(nullptr), 3u);
  ASSERT_EQ(chdir(saved), 0);
  DWORD n = win::GetModuleFileNameA(nullptr, buffer, sizeof(buffer));
  ASSERT_GT(n, 3u);
  EXPECT_EQ(std::string(buffer, 3), "Z:\\");
  EXPECT_NE(std::string(buffer).find("platform_test"), std::string::npos);
  char small[8];
  EXPECT_EQ(win::GetModuleFileNameA(nullptr, small, sizeof(small)), 8u);
  EXPECT_EQ(std::strlen(small), 7u);
  n = win::GetTempPathA(sizeof(buffer), buffer);
  EXPECT_EQ(n, std::strlen(buffer));
  EXPECT_EQ(buffer[std::strlen(buffer) - 1], '\\');
}

TEST_F(Files, WindowsDirectoryAndVersion) {
  char buffer[MAX_PATH + 1];
  unsetenv("ZEL_WINDIR");
  EXPECT_EQ(win::GetWindowsDirectoryA(buffer, sizeof(buffer)), 10u);
  EXPECT_STREQ(buffer, "C:\\WINDOWS");
  setenv("ZEL_WINDIR", "D:\\Win", 1);
  win::GetWindowsDirectoryA(buffer, sizeof(buffer));
  EXPECT_STREQ(buffer, "D:\\Win");
  unsetenv("ZEL_WINDIR");
  win::OSVERSIONINFOA info;
  std::memset(&info, 0, sizeof(info));
  EXPECT_FALSE(win::GetVersionExA(&info));  // the size member is required
  info.dwOSVersionInfoSize = sizeof(info);
  ASSERT_TRUE(win::GetVersionExA(&info));
  EXPECT_EQ(info.dwPlatformId, 2u);
}

TEST_F(Files, ProfileStringsAsWindowsReadsThem) {
  Write("t.ini",
        "; comment\r\n"
        "[Other]\r\nMX13=9\r\n"
        "  [programlevel]  \r\n"
        "  mx13  =  2  \r\n"
        "Quoted=\"  spaced  \"\r\n"
        "Single='x'\r\n"
        "Half=\"open\r\n"
        "Empty=\r\n"
        "NoEquals\r\n"
        "Long=0123456789abcdefghij\r\n"
        "Kanji=表表表表表表表表\r\n"
        "[ProgramLevel]\r\nLater=1\r\n");
  EXPECT_EQ(Ini("ProgramLevel", "MX13", "1"), "2");
  EXPECT_EQ(Ini("PROGRAMLEVEL", "Mx13", "1"), "2");
  EXPECT_EQ(Ini("ProgramLevel", "Quoted", "1", 32), "  spaced  ");
  EXPECT_EQ(Ini("ProgramLevel", "Single", ""), "x");
  EXPECT_EQ(Ini("ProgramLevel", "Half", ""), "\"open");
  EXPECT_EQ(Ini("ProgramLevel", "Empty", "1"), "");
  EXPECT_EQ(Ini("ProgramLevel", "NoEquals", "1"), "");
  EXPECT_EQ(Ini("ProgramLevel", "Missing", " 1 "), "1");  // blanks around the default go too
  EXPECT_EQ(Ini("Nowhere", "MX13", "1"), "1");
  EXPECT_EQ(Ini("ProgramLevel", "MX13", nullptr, 16, "C:\\missing.ini"), "");
  EXPECT_EQ(Ini("ProgramLevel", "MX13", "1", 16, "C:\\missing.ini"), "1");
  EXPECT_EQ(Ini("ProgramLevel", "MX13", "1", 16, "N:\\t.ini"), "1");
  DWORD n = 0;
  EXPECT_EQ(Ini("ProgramLevel", "Long", "", 16, "C:\\t.ini", &n), "0123456789abcde");
  EXPECT_EQ(n, 15u);
  EXPECT_EQ(Ini("ProgramLevel", "Kanji", "", 16), "表表表表表表表");  // 14 bytes: no half character
  EXPECT_EQ(Ini("programlevel", "Later", "0"), "0");  // a second section of the name is not read
  char keys[64];
  DWORD len = win::GetPrivateProfileStringA("Other", nullptr, "", keys, sizeof(keys), "C:\\t.ini");
  EXPECT_EQ(len, 5u);
  EXPECT_EQ(std::string(keys, 6), std::string("MX13\0", 6));
}

// A NUL byte in the file ends a value or a name as it ends any text; the
// result counts only what comes before it.
TEST_F(Files, ProfileTextsEndAtANul) {
  Write("t.ini", std::string("[S]\r\nk=ab\0cd\r\nx\0y=1\r\n[T\0U]\r\n", 28));
  DWORD n = 99;
  EXPECT_EQ(Ini("S", "k", "", 16, "C:\\t.ini", &n), "ab");
  EXPECT_EQ(n, 2u);
  char list[16];
  std::memset(list, 'z', sizeof(list));
  EXPECT_EQ(win::GetPrivateProfileStringA(nullptr, nullptr, "", list, sizeof(list), "C:\\t.ini"), 4u);
  EXPECT_EQ(std::string(list, 5), std::string("S\0T\0\0", 5));
  std::memset(list, 'z', sizeof(list));
  EXPECT_EQ(win::GetPrivateProfileStringA("S", nullptr, "", list, sizeof(list), "C:\\t.ini"), 4u);
  EXPECT_EQ(std::string(list, 5), std::string("k\0x\0\0", 5));
}

// Section names (null section) and key names (null key) as a list of
// terminated names ended by a second NUL. A buffer too small cuts the list,
// ends it in two NULs and gives size - 2; nothing past size is written.
TEST_F(Files, ProfileNameListsAreCutToTheBuffer) {
  Write("t.ini", "[A]\r\nk=1\r\nl=2\r\n[B]\r\n[表表]\r\n");
  struct Case {
    const char* section;
    DWORD size;
    DWORD result;
    std::string bytes;  // the first size bytes of the buffer
  };
  const Case cases[] = {
      {nullptr, 0, 0, ""},
      {nullptr, 1, 0, std::string("\0", 1)},
      {nullptr, 2, 0, std::string("\0\0", 2)},
      {nullptr, 3, 1, std::string("A\0\0", 3)},  // the next name would start where the end must be
      {nullptr, 4, 2, std::string("A\0\0\0", 4)},
      {nullptr, 5, 3, std::string("A\0B\0\0", 5)},
      {nullptr, 7, 5, std::string("A\0B\0\0\0", 6)},  // no half of a double-byte character
      {nullptr, 9, 7, std::string("A\0B\0表\0\0", 8)},
      {nullptr, 10, 9, std::string("A\0B\0表表\0\0", 10)},  // exactly fits: the whole list
      {"A", 3, 1, std::string("k\0\0", 3)},
      {"A", 4, 2, std::string("k\0\0\0", 4)},
      {"A", 5, 4, std::string("k\0l\0\0", 5)},
      {"B", 3, 0, std::string("\0", 1)},  // a section without keys: an empty list
  };
  for (const Case& c : cases) {
    char buffer[16];
    std::memset(buffer, 'z', sizeof(buffer));
    DWORD n =
        win::GetPrivateProfileStringA(c.section, nullptr, "", c.size ? buffer : nullptr, c.size, "C:\\t.ini");
    SCOPED_TRACE(std::string(c.section ? c.section : "(sections)") + " size " + std::to_string(c.size));
    EXPECT_EQ(n, c.result);
    EXPECT_EQ(std::string(buffer, c.bytes.size()), c.bytes);
    EXPECT_EQ(buffer[c.size], 'z');
  }
}

}  // namespace
