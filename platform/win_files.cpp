// File calls, folders, the program's path, time and memory of our Windows
// stand-in (the path text functions are in win_pathtext.cpp).
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/cp932.h"
#include "platform/host_file.h"
#include "platform/host_map.h"
#include "platform/win.h"
#include "platform/win_buffers.h"

namespace win {
namespace {

bool HostStat(const char* path, struct ::stat* st) {
  std::string host;
  return ToHostPath(path, &host) && ::stat(host.c_str(), st) == 0;
}

}  // namespace

BOOL IsDBCSLeadByte(BYTE c) { return cp932::IsLeadByte(c) ? TRUE : FALSE; }

UINT GetDriveTypeA(const char* root) {
  std::string current;
  if (!root) {
    // The root of the current directory, however long its path is.
    DWORD needed = GetCurrentDirectoryA(0, nullptr);
    if (needed == 0) return DRIVE_NO_ROOT_DIR;
    current.assign(needed, '\0');
    if (GetCurrentDirectoryA(needed, current.data()) + 1 != needed || !win::PathStripToRootA(current.data()))
      return DRIVE_NO_ROOT_DIR;
    current.resize(std::strlen(current.c_str()));
    if (current.back() != '\\') current += '\\';
    root = current.c_str();
  }
  std::string_view r(root);
  std::string_view server, share, rest;
  if (ParseUnc(r, &server, &share, &rest)) {
    if (server.empty() || share.empty() || rest.size() > 1) return DRIVE_NO_ROOT_DIR;
    return FindShare(server, share) ? DRIVE_REMOTE : DRIVE_NO_ROOT_DIR;
  }
  // "C:\" (or "C:"): the drive's type by the map.
  if (r.size() < 2 || r[1] != ':' || r.size() > 3 || (r.size() == 3 && r[2] != '\\'))
    return DRIVE_NO_ROOT_DIR;
  const DriveEntry* d = FindDrive(r[0]);
  return d ? static_cast<UINT>(d->type) : DRIVE_NO_ROOT_DIR;
}

BOOL PathIsDirectoryA(const char* path) {
  struct ::stat st;
  return HostStat(path, &st) && S_ISDIR(st.st_mode) ? TRUE : FALSE;
}

BOOL PathFileExistsA(const char* path) {
  struct ::stat st;
  return HostStat(path, &st) ? TRUE : FALSE;
}

int _access(const char* path, int mode) {
  if (mode != 0 && mode != 2 && mode != 4 && mode != 6) {
    errno = EINVAL;
    return -1;
  }
  std::string host;
  if (!ToHostPath(path, &host)) {
    errno = ENOENT;
    return -1;
  }
  // A CD-ROM is read-only whatever the host folder allows.
  if ((mode & 2) && OnCdrom(path)) {
    if (::access(host.c_str(), F_OK) == 0) errno = EACCES;
    return -1;
  }
  int host_mode = (mode == 0) ? F_OK : ((mode & 2) ? W_OK : 0) | ((mode & 4) ? R_OK : 0);
  return ::access(host.c_str(), host_mode) == 0 ? 0 : -1;
}

BOOL CreateDirectoryA(const char* path, void* /*security*/) {
  std::string host;
  if (!ToHostPath(path, &host) || OnCdrom(path)) return FALSE;
  return ::mkdir(host.c_str(), 0777) == 0 ? TRUE : FALSE;
}

BOOL RemoveDirectoryA(const char* path) {
  std::string host;
  if (!ToHostPath(path, &host) || OnCdrom(path)) return FALSE;
  // The root folder of a drive or share is never removed, as on Windows,
  // however the path reaches it: through empty names, "..", or the folder
  // of another drive that holds it.
  std::string windows = FromHostPath(host);
  const char* below_root = windows.empty() ? nullptr : PathSkipRootA(windows.c_str());
  if (below_root && *below_root == '\0') return FALSE;
  return ::rmdir(host.c_str()) == 0 ? TRUE : FALSE;
}

BOOL DeleteFileA(const char* path) {
  std::string host;
  struct ::stat st;
  if (!ToHostPath(path, &host) || OnCdrom(path) || ::lstat(host.c_str(), &st) != 0 || S_ISDIR(st.st_mode))
    return FALSE;
  return ::unlink(host.c_str()) == 0 ? TRUE : FALSE;
}

DWORD GetFileAttributesA(const char* path) {
  std::string host;
  struct ::stat st;
  if (!ToHostPath(path, &host) || ::lstat(host.c_str(), &st) != 0) return INVALID_FILE_ATTRIBUTES;
  if (S_ISLNK(st.st_mode)) return FILE_ATTRIBUTE_REPARSE_POINT;
  if (S_ISDIR(st.st_mode)) return FILE_ATTRIBUTE_DIRECTORY;
  if (!S_ISREG(st.st_mode)) return FILE_ATTRIBUTE_DEVICE;
  return ::access(host.c_str(), W_OK) == 0 ? FILE_ATTRIBUTE_NORMAL : FILE_ATTRIBUTE_READONLY;
}

BOOL MoveFileExA(const char* existing, const char* new_name, DWORD flags) {
  std::string from, to;
  if (!ToHostPath(existing, &from) || !ToHostPath(new_name, &to) || OnCdrom(new_name)) return FALSE;
  struct ::stat st;
  if (::lstat(to.c_str(), &st) == 0 && (flags & MOVEFILE_REPLACE_EXISTING) == 0) return FALSE;
  // Replace always makes the data durable before the rename; the write
  // through flag asks for no less.
  return hostfile::Replace(from, to) ? TRUE : FALSE;
}

DWORD GetTempPathA(DWORD size, char* buffer) {
  const char* tmp = std::getenv("TMPDIR");
  std::string windows = FromHostPath(tmp && tmp[0] == '/' ? tmp : "/tmp");
  if (windows.empty()) windows = FromHostPath(std::getenv("HOME") ? std::getenv("HOME") : "/");
  if (windows.empty()) return 0;
  if (windows.back() != '\\' || cp932::EndsWithDoubleByte(windows)) windows += '\\';
  return CopyOut(windows, buffer, size);
}

DWORD GetCurrentDirectoryA(DWORD size, char* buffer) {
  char host[4096];
  if (!getcwd(host, sizeof(host))) return 0;
  std::string windows = FromHostPath(host);
  if (windows.empty()) return 0;
  return CopyOut(windows, buffer, size);
}

BOOL SetCurrentDirectoryA(const char* path) {
  std::string host;
  if (!ToHostPath(path, &host)) return FALSE;
  return ::chdir(host.c_str()) == 0 ? TRUE : FALSE;
}

DWORD GetModuleFileNameA(HANDLE /*module*/, char* buffer, DWORD size) {
  char host[4096];
  ssize_t n = ::readlink("/proc/self/exe", host, sizeof(host) - 1);
  if (n <= 0 || !buffer || size == 0) return 0;
  host[n] = '\0';
  std::string windows = FromHostPath(host);
  if (windows.empty()) return 0;
  // Like Windows: a path that does not fit is cut and the size returned.
  size_t copied = cp932::CopyCut(buffer, size, windows);
  return copied < windows.size() ? size : static_cast<DWORD>(copied);
}

UINT GetWindowsDirectoryA(char* buffer, UINT size) {
  const char* env = std::getenv("ZEL_WINDIR");
  std::string dir = env && env[0] ? cp932::FromUtf8(env) : std::string("C:\\WINDOWS");
  return CopyOut(dir, buffer, size);
}

int _stat(const char* path, struct _stat* status) {
  struct ::stat st;
  if (!status || !HostStat(path, &st)) return -1;
  status->st_mode = S_ISDIR(st.st_mode) ? _S_IFDIR : (S_ISREG(st.st_mode) ? _S_IFREG : 0);
  status->st_size = st.st_size;
  status->st_mtime = st.st_mtim.tv_sec;
  return 0;
}

BOOL GetVersionExA(OSVERSIONINFOA* info) {
  // Windows checks the size member; a caller that forgot it gets a failure.
  if (!info || info->dwOSVersionInfoSize < sizeof(OSVERSIONINFOA)) return FALSE;
  info->dwMajorVersion = 10;
  info->dwMinorVersion = 0;
  info->dwBuildNumber = 19045;
  info->dwPlatformId = VER_PLATFORM_WIN32_NT;
  info->szCSDVersion[0] = '\0';
  return TRUE;
}

void GetLocalTime(SYSTEMTIME* now) {
  struct timespec ts;
  clock_gettime(CLOCK_REALTIME, &ts);
  struct tm tm;
  localtime_r(&ts.tv_sec, &tm);
  now->wYear = static_cast<uint16_t>(tm.tm_year + 1900);
  now->wMonth = static_cast<uint16_t>(tm.tm_mon + 1);
  now->wDayOfWeek = static_cast<uint16_t>(tm.tm_wday);
  now->wDay = static_cast<uint16_t>(tm.tm_mday);
  now->wHour = static_cast<uint16_t>(tm.tm_hour);
  now->wMinute = static_cast<uint16_t>(tm.tm_min);
  now->wSecond = static_cast<uint16_t>(tm.tm_sec);
  now->wMilliseconds = static_cast<uint16_t>(ts.tv_nsec / 1000000);
}

void* CoTaskMemAlloc(size_t size) { return std::malloc(size ? size : 1); }
void CoTaskMemFree(void* block) { std::free(block); }

}  // namespace win
