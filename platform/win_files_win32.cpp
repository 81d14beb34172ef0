// The file calls, folders, the program's path, version, time and memory of
// the win:: layer on Windows: each forwards to the W function of the real
// API, with the program's CP932 texts converted to UTF-16 and back, so that
// a Windows whose ANSI code page is not 932 gives the same results.
#include <io.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/cp932.h"
#include "platform/wide.h"
#include "platform/win.h"
#include "platform/win_buffers.h"

#include "platform/shell_win32.h"

#include <windows.h>

namespace win {
namespace {

std::wstring W(const char* path) { return Wide(path ? path : ""); }

// A text that a W getter fills: called with a buffer and its size in
// characters, it returns the length as the W getters do (the size needed
// with the terminator when the buffer is too small; 0 on failure).
template <typename Getter>
bool GetWide(Getter get, std::string* out) {
  std::wstring buffer(MAX_PATH + 1, L'\0');
  for (int tries = 0; tries < 4; ++tries) {
    DWORD n = get(buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return false;
    if (n < buffer.size()) {
      buffer.resize(n);
      *out = Narrow(buffer);
      return true;
    }
    buffer.assign(n + 1, L'\0');
  }
  return false;
}

}  // namespace

BOOL IsDBCSLeadByte(BYTE c) { return ::IsDBCSLeadByteEx(932, c) ? TRUE : FALSE; }

UINT GetDriveTypeA(const char* root) {
  if (!root) return ::GetDriveTypeW(nullptr);
  return ::GetDriveTypeW(W(root).c_str());
}

BOOL PathIsDirectoryA(const char* path) { return shell::IsDirectory(W(path).c_str()) ? TRUE : FALSE; }

BOOL PathFileExistsA(const char* path) { return shell::FileExists(W(path).c_str()) ? TRUE : FALSE; }

int _access(const char* path, int mode) {
  // The C runtime ends the program on a mode it does not know.
  if (mode != 0 && mode != 2 && mode != 4 && mode != 6) {
    errno = EINVAL;
    return -1;
  }
  return ::_waccess(W(path).c_str(), mode) == 0 ? 0 : -1;
}

BOOL CreateDirectoryA(const char* path, void* security) {
  return ::CreateDirectoryW(W(path).c_str(), static_cast<LPSECURITY_ATTRIBUTES>(security));
}

BOOL RemoveDirectoryA(const char* path) { return ::RemoveDirectoryW(W(path).c_str()); }

BOOL DeleteFileA(const char* path) { return ::DeleteFileW(W(path).c_str()); }

DWORD GetFileAttributesA(const char* path) { return ::GetFileAttributesW(W(path).c_str()); }

BOOL MoveFileExA(const char* existing, const char* new_name, DWORD flags) {
  return ::MoveFileExW(W(existing).c_str(), W(new_name).c_str(), flags);
}

DWORD GetTempPathA(DWORD size, char* buffer) {
  std::string path;
  if (!GetWide([](wchar_t* b, DWORD n) { return ::GetTempPathW(n, b); }, &path)) return 0;
  return CopyOut(path, buffer, size);
}

DWORD GetCurrentDirectoryA(DWORD size, char* buffer) {
  std::string path;
  if (!GetWide([](wchar_t* b, DWORD n) { return ::GetCurrentDirectoryW(n, b); }, &path)) return 0;
  return CopyOut(path, buffer, size);
}

BOOL SetCurrentDirectoryA(const char* path) { return ::SetCurrentDirectoryW(W(path).c_str()); }

DWORD GetModuleFileNameA(HANDLE module, char* buffer, DWORD size) {
  std::string path;
  auto get = [module](wchar_t* b, DWORD n) {
    // GetModuleFileNameW returns the size itself when the path was cut.
    DWORD r = ::GetModuleFileNameW(static_cast<HMODULE>(module), b, n);
    return r >= n ? n * 2 : r;
  };
  if (!buffer || size == 0 || !GetWide(get, &path)) return 0;
  // As Windows does: a path that does not fit is cut and the size returned.
  size_t copied = cp932::CopyCut(buffer, size, path);
  return copied < path.size() ? size : static_cast<DWORD>(copied);
}

UINT GetWindowsDirectoryA(char* buffer, UINT size) {
  std::string path;
  if (!GetWide([](wchar_t* b, DWORD n) { return static_cast<DWORD>(::GetWindowsDirectoryW(b, n)); }, &path))
    return 0;
  return CopyOut(path, buffer, size);
}

int _stat(const char* path, struct _stat* status) {
  struct ::_stat64 st;
  if (!status || !path || ::_wstat64(W(path).c_str(), &st) != 0) return -1;
  status->st_mode = (st.st_mode & _S_IFDIR) ? _S_IFDIR : ((st.st_mode & _S_IFREG) ? _S_IFREG : 0);
  status->st_size = st.st_size;
  status->st_mtime = st.st_mtime;
  return 0;
}

BOOL GetVersionExA(OSVERSIONINFOA* info) {
  if (!info || info->dwOSVersionInfoSize < sizeof(OSVERSIONINFOA)) return FALSE;
  ::OSVERSIONINFOW version = {};
  version.dwOSVersionInfoSize = sizeof version;
  if (!::GetVersionExW(&version)) return FALSE;
  info->dwMajorVersion = version.dwMajorVersion;
  info->dwMinorVersion = version.dwMinorVersion;
  info->dwBuildNumber = version.dwBuildNumber;
  info->dwPlatformId = version.dwPlatformId;
  cp932::CopyCut(info->szCSDVersion, sizeof info->szCSDVersion, Narrow(version.szCSDVersion));
  return TRUE;
}

void GetLocalTime(SYSTEMTIME* now) {
  ::SYSTEMTIME t;
  ::GetLocalTime(&t);
  *now = {t.wYear, t.wMonth, t.wDayOfWeek, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

void* CoTaskMemAlloc(size_t size) { return shell::TaskAlloc(size ? size : 1); }
void CoTaskMemFree(void* block) { shell::TaskFree(block); }

}  // namespace win

namespace win {

// The W listing with each name made CP932; "." and ".." and names that do
// not fit are passed over, as the Linux stand-in does.
namespace {
bool FillFound(const WIN32_FIND_DATAW& wide, WIN32_FIND_DATAA* data) {
  std::wstring_view name(wide.cFileName);
  if (name == L"." || name == L"..") return false;
  std::string narrow = Narrow(name);
  if (narrow.empty() || narrow.size() >= sizeof data->cFileName) return false;
  data->dwFileAttributes = wide.dwFileAttributes;
  std::memcpy(data->cFileName, narrow.c_str(), narrow.size() + 1);
  return true;
}
}  // namespace

HANDLE FindFirstFileA(const char* pattern, WIN32_FIND_DATAA* data) {
  if (!pattern || !data) return INVALID_HANDLE_VALUE;
  WIN32_FIND_DATAW wide;
  HANDLE find = ::FindFirstFileW(W(pattern).c_str(), &wide);
  if (find == INVALID_HANDLE_VALUE) return find;
  while (!FillFound(wide, data)) {
    if (!::FindNextFileW(find, &wide)) {
      ::FindClose(find);
      return INVALID_HANDLE_VALUE;
    }
  }
  return find;
}

BOOL FindNextFileA(HANDLE find, WIN32_FIND_DATAA* data) {
  WIN32_FIND_DATAW wide;
  while (::FindNextFileW(find, &wide)) {
    if (FillFound(wide, data)) return TRUE;
  }
  return FALSE;
}

BOOL FindClose(HANDLE find) { return ::FindClose(find); }

}  // namespace win
