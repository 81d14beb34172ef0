// The win:: layer on Windows forwards to the real API through the W
// functions: CP932 names reach the file system as the right characters
// whatever the ANSI code page is (Wine's is 1252), and the results come back
// in CP932 with the buffer rules of the A functions.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/cp932.h"
#include "platform/recording_viewer.h"
#include "platform/test_env.h"
#include "platform/wide.h"
#include "platform/win.h"

#include <windows.h>

namespace {

// "表" is 0x95 0x5C: its trail byte has the value of "\".
const std::string kHyo = "表";

// The test's folder, named "表" and made through the layer, in a scratch
// folder.
class Win32Layer : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(win::CreateDirectoryA(dir_.c_str(), nullptr)); }
  std::string Path(const std::string& name) const { return dir_ + "\\" + name; }
  void Write(const std::string& windows_path, const std::string& content) const {
    std::string host;
    ASSERT_TRUE(win::ToHostPath(windows_path.c_str(), &host));
    std::ofstream(win::HostFsPath(host), std::ios::binary) << content;
  }
  testenv::ScratchDir scratch_{"zel-win32"};
  const std::string dir_ = scratch_.Windows(cp932::ToUtf8(kHyo));
};

TEST_F(Win32Layer, NamesReachTheFileSystemAsTheirCharacters) {
  // The folder's wide name holds the character itself, not its bytes in
  // the ANSI code page.
  std::wstring wide = win::Wide(dir_);
  ASSERT_EQ(wide.substr(wide.size() - 1), L"\u8868");
  EXPECT_NE(GetFileAttributesW(wide.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(win::Narrow(wide), dir_);

  std::string file = Path(kHyo + ".txt");
  Write(file, "abc");
  EXPECT_TRUE(win::PathFileExistsA(file.c_str()));
  EXPECT_FALSE(win::PathIsDirectoryA(file.c_str()));
  EXPECT_TRUE(win::PathIsDirectoryA(dir_.c_str()));
  struct win::_stat st = {};
  ASSERT_EQ(win::_stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode, _S_IFREG);
  EXPECT_EQ(st.st_size, 3);
  ASSERT_EQ(win::_stat(dir_.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode, _S_IFDIR);
  EXPECT_EQ(win::_stat(Path("none").c_str(), &st), -1);
  EXPECT_EQ(win::_access(file.c_str(), 6), 0);
  EXPECT_EQ(win::_access(Path("none").c_str(), 0), -1);
  EXPECT_EQ(win::_access(file.c_str(), 1), -1);  // a mode the C runtime does not know

  // A move onto an existing name needs the replace flag.
  std::string other = Path("other.txt");
  Write(other, "12345");
  EXPECT_FALSE(win::MoveFileExA(other.c_str(), file.c_str(), 0));
  EXPECT_TRUE(win::MoveFileExA(other.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING));
  ASSERT_EQ(win::_stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_size, 5);
  EXPECT_FALSE(win::PathFileExistsA(other.c_str()));

  std::string sub = Path(kHyo);
  EXPECT_TRUE(win::CreateDirectoryA(sub.c_str(), nullptr));
  EXPECT_FALSE(win::CreateDirectoryA(sub.c_str(), nullptr));
  EXPECT_FALSE(win::RemoveDirectoryA(dir_.c_str()));  // not empty
  EXPECT_FALSE(win::DeleteFileA(sub.c_str()));        // a folder is no file
  EXPECT_TRUE(win::RemoveDirectoryA(sub.c_str()));
  EXPECT_TRUE(win::DeleteFileA(file.c_str()));
  EXPECT_FALSE(win::DeleteFileA(file.c_str()));

  std::string root = dir_.substr(0, 3);
  EXPECT_EQ(win::GetDriveTypeA(root.c_str()), static_cast<UINT>(DRIVE_FIXED));
}

TEST_F(Win32Layer, GettersFollowTheBufferRulesOfTheAFunctions) {
  char buffer[MAX_PATH + 1];
  DWORD n = win::GetTempPathA(sizeof buffer, buffer);
  ASSERT_GT(n, 0u);
  EXPECT_EQ(buffer[n - 1], '\\');
  // Too small: the size needed with the terminator, the buffer untouched.
  char small[4] = "abc";
  EXPECT_EQ(win::GetTempPathA(sizeof small, small), n + 1);
  EXPECT_STREQ(small, "abc");

  char saved[MAX_PATH + 1];
  ASSERT_GT(win::GetCurrentDirectoryA(sizeof saved, saved), 0u);
  ASSERT_TRUE(win::SetCurrentDirectoryA(dir_.c_str()));
  n = win::GetCurrentDirectoryA(sizeof buffer, buffer);
  EXPECT_EQ(std::string(buffer, n), dir_);
  EXPECT_EQ(win::GetCurrentDirectoryA(4, small), dir_.size() + 1);
  // A relative name is found below the current folder.
  Write("rel.txt", "x");
  EXPECT_TRUE(win::PathFileExistsA(Path("rel.txt").c_str()));
  ASSERT_TRUE(win::SetCurrentDirectoryA(saved));

  n = win::GetModuleFileNameA(nullptr, buffer, sizeof buffer);
  ASSERT_GT(n, 0u);
  EXPECT_EQ(std::string(buffer, n).substr(n - 17), "platform_test.exe");
  EXPECT_EQ(win::GetModuleFileNameA(nullptr, small, sizeof small), sizeof small);  // cut
  EXPECT_EQ(small[3], '\0');

  n = win::GetWindowsDirectoryA(buffer, sizeof buffer);
  ASSERT_GT(n, 2u);
  EXPECT_EQ(buffer[1], ':');

  win::OSVERSIONINFOA version = {};
  EXPECT_FALSE(win::GetVersionExA(&version));  // the size member is checked
  version.dwOSVersionInfoSize = sizeof version;
  ASSERT_TRUE(win::GetVersionExA(&version));
  EXPECT_EQ(version.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));

  win::SYSTEMTIME now = {};
  win::GetLocalTime(&now);
  EXPECT_GE(now.wYear, 2024);
  EXPECT_TRUE(win::IsDBCSLeadByte(0x95));
  EXPECT_FALSE(win::IsDBCSLeadByte('\\'));
}

TEST_F(Win32Layer, ProfileValuesComeBackInCp932) {
  std::string ini = Path("Orvik" + kHyo + ".ini");
  Write(ini, "[ProgramLevel]\r\nMX13=2\r\nName=abcdef\r\n");
  char value[16] = {};
  EXPECT_EQ(win::GetPrivateProfileStringA("ProgramLevel", "MX13", "1", value, sizeof value, ini.c_str()), 1u);
  EXPECT_STREQ(value, "2");
  EXPECT_EQ(win::GetPrivateProfileStringA("ProgramLevel", "none", "1", value, sizeof value, ini.c_str()), 1u);
  EXPECT_STREQ(value, "1");
  EXPECT_EQ(win::GetPrivateProfileStringA("ProgramLevel", "Name", "", value, 4, ini.c_str()), 3u);
  EXPECT_STREQ(value, "abc");
  EXPECT_EQ(win::GetPrivateProfileStringA("ProgramLevel", "MX13", "1", value, sizeof value,
                                          Path("none.ini").c_str()),
            1u);
  EXPECT_STREQ(value, "1");
}

TEST_F(Win32Layer, ProcessesStartAndWordpadGoesToAViewerThatTakesIt) {
  win::RecordingLogViewer viewer;
  win::SetLogViewer(&viewer);
  char windows[MAX_PATH + 1] = {};
  win::GetWindowsDirectoryA(windows, sizeof windows);
  std::string command = std::string(windows) + "\\system32\\cmd.exe /c exit 0";
  win::STARTUPINFOA startup = {68, STARTF_USESHOWWINDOW, SW_SHOWNORMAL, nullptr, nullptr, nullptr};
  win::PROCESS_INFORMATION process = {};
  ASSERT_TRUE(win::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, dir_.c_str(),
                                  &startup, &process));
  EXPECT_EQ(win::WaitForSingleObject(process.hProcess, 60000), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_TRUE(win::CloseHandle(process.hThread));
  EXPECT_TRUE(win::CloseHandle(process.hProcess));

  std::string missing = "C:\\no such folder\\none.exe";
  EXPECT_FALSE(win::CreateProcessA(nullptr, missing.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                   &startup, &process));

  // The viewer takes WordPad's part: the log's host path, relative to the
  // folder; the wait shows it once.
  std::string wordpad = "C:\\Program Files\\Windows NT\\Accessories\\Wordpad.exe \"log " + kHyo + ".txt\"";
  ASSERT_TRUE(win::CreateProcessA(nullptr, wordpad.data(), nullptr, nullptr, FALSE, 16, nullptr, dir_.c_str(),
                                  &startup, &process));
  win::CloseHandle(process.hThread);
  EXPECT_EQ(win::WaitForSingleObject(process.hProcess, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_TRUE(win::CloseHandle(process.hProcess));
  win::SetLogViewer(nullptr);

  ASSERT_EQ(viewer.starts.size(), 3u);
  EXPECT_TRUE(viewer.starts[0].started);
  EXPECT_EQ(viewer.starts[0].folder, dir_);
  EXPECT_FALSE(viewer.starts[1].started);
  EXPECT_EQ(viewer.starts[2].command, wordpad);
  EXPECT_TRUE(viewer.starts[2].started);
  ASSERT_EQ(viewer.shown.size(), 1u);
  EXPECT_EQ(viewer.shown[0].host_path, cp932::ToUtf8(Path("log " + kHyo + ".txt")));
  EXPECT_TRUE(viewer.shown[0].wait);
}

TEST_F(Win32Layer, HostPathsAreTheWindowsPathsInUtf8) {
  std::string host;
  ASSERT_TRUE(win::ToHostPath(Path("a.csv").c_str(), &host));
  EXPECT_EQ(host, cp932::ToUtf8(Path("a.csv")));
  EXPECT_FALSE(win::ToHostPath("", &host));
  EXPECT_EQ(win::FromHostPath(cp932::ToUtf8("C:/x/" + kHyo + "/y")), "C:\\x\\" + kHyo + "\\y");
  EXPECT_TRUE(win::CreateNewHostFile(cp932::ToUtf8(Path("new.txt"))));
  EXPECT_FALSE(win::CreateNewHostFile(cp932::ToUtf8(Path("new.txt"))));
}

// Four threads each add 1 to a counter 25 times, each holding the lock of
// the counter's folder from the read to the replace: no addition is lost.
TEST_F(Win32Layer, AFolderLockKeepsReadModifyReplaceCyclesApart) {
  const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  EXPECT_EQ(win::CreateFileA(Path("none").c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(win::GetLastError(), ERROR_FILE_NOT_FOUND);
  const std::string counter = Path("count");
  Write(counter, "0");
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int r = 0; r < 25; ++r) {
        HANDLE folder = win::CreateFileA(dir_.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                                         FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        win::OVERLAPPED range = {};
        ASSERT_TRUE(win::LockFileEx(folder, LOCKFILE_EXCLUSIVE_LOCK, 0, 0xFFFFFFFFu, 0xFFFFFFFFu, &range));
        HANDLE in =
            win::CreateFileA(counter.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
        char digits[16] = {};
        DWORD n = 0;
        ASSERT_EQ(win::GetFileType(in), FILE_TYPE_DISK);
        ASSERT_TRUE(win::ReadFile(in, digits, sizeof digits - 1, &n, nullptr));
        win::CloseHandle(in);
        Sleep(0);
        char temp[MAX_PATH];
        ASSERT_NE(win::GetTempFileNameA(dir_.c_str(), "zel", 0, temp), 0u);
        std::string next = std::to_string(std::stoi(digits) + 1);
        HANDLE out = win::CreateFileA(temp, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_TRUE(win::WriteFile(out, next.data(), static_cast<DWORD>(next.size()), &n, nullptr));
        win::CloseHandle(out);
        ASSERT_TRUE(win::MoveFileExA(temp, counter.c_str(), MOVEFILE_REPLACE_EXISTING));
        ASSERT_TRUE(win::UnlockFileEx(folder, 0, 0xFFFFFFFFu, 0xFFFFFFFFu, &range));
        win::CloseHandle(folder);
      }
    });
  }
  for (std::thread& t : threads) t.join();
  std::string host;
  ASSERT_TRUE(win::ToHostPath(counter.c_str(), &host));
  std::ifstream in(win::HostFsPath(host));
  int count = 0;
  in >> count;
  EXPECT_EQ(count, 100);
}

}  // namespace
