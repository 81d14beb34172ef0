// Path functions, file calls, folders, the program's path, time and memory
// of our Windows stand-in.
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

namespace win {
namespace {

// Copies text into a caller's buffer the way the Windows string getters do:
// the length without terminator when it fits, else the size needed with the
// terminator and the buffer left alone.
DWORD CopyOut(const std::string& text, char* buffer, DWORD size) {
  if (!buffer || text.size() + 1 > size) return static_cast<DWORD>(text.size() + 1);
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return static_cast<DWORD>(text.size());
}

bool HostStat(const char* path, struct ::stat* st) {
  std::string host;
  return ToHostPath(path, &host) && ::stat(host.c_str(), st) == 0;
}

bool OnCdrom(const char* path) {
  if (!path || !path[0] || path[1] != ':') return false;
  const DriveEntry* d = FindDrive(path[0]);
  return d && d->type == DRIVE_CDROM;
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

char* PathSkipRootA(const char* path) {
  if (!path || !path[0]) return nullptr;
  std::string_view p(path);
  if (p.size() >= 2 && p[0] == '\\' && p[1] == '\\') {
    // Network path: past "\\server\share\"; null without a share.
    size_t end_server = cp932::Find(p, '\\', 2);
    if (end_server == std::string_view::npos) return nullptr;
    size_t end_share = cp932::Find(p, '\\', end_server + 1);
    if (end_share == std::string_view::npos) return nullptr;
    return const_cast<char*>(path + end_share + 1);
  }
  if (cp932::IsLeadByte(static_cast<unsigned char>(p[0]))) return nullptr;
  if (p.size() >= 3 && p[1] == ':' && p[2] == '\\') return const_cast<char*>(path + 3);
  return nullptr;
}

namespace {

// "\", "\\server", "\\server\share" and "X:\" are roots.
bool IsRoot(std::string_view p) {
  if (p.empty()) return false;
  if (p[0] == '\\') {
    if (p.size() == 1) return true;
    if (p[1] != '\\') return false;
    std::string_view body = p.substr(2);
    size_t first = cp932::Find(body, '\\');
    return first == std::string_view::npos || cp932::Find(body, '\\', first + 1) == std::string_view::npos;
  }
  return p.size() == 3 && !cp932::IsLeadByte(static_cast<unsigned char>(p[0])) && p[1] == ':' &&
         p[2] == '\\';
}

// Drops the last name of a path ("C:\a\b" -> "C:\a", "C:\a" -> "C:\",
// "C:a" -> "C:", "a" -> ""); false when nothing could be dropped.
bool DropLastName(char* path) {
  std::string_view p(path);
  size_t start = 0;
  if (start < p.size() && p[start] == '\\') ++start;
  if (start < p.size() && p[start] == '\\') ++start;
  size_t cut = start;
  for (size_t i = start; i < p.size(); i += cp932::CharLength(p, i)) {
    if (cp932::CharLength(p, i) == 2) {
      continue;
    } else if (p[i] == '\\') {
      cut = i;
    } else if (p[i] == ':') {
      // The drive's own "\" belongs to the root.
      cut = i + 1;
      if (cut < p.size() && p[cut] == '\\') cut = ++i + 1;
    }
  }
  if (cut >= p.size()) return false;
  path[cut] = '\0';
  return true;
}

}  // namespace

BOOL PathStripToRootA(char* path) {
  if (!path) return FALSE;
  while (!IsRoot(path))
    if (!DropLastName(path)) return FALSE;
  return TRUE;
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

void _splitpath(const char* path, char* drive, char* dir, char* fname, char* ext) {
  // Part sizes of the C runtime (_MAX_DRIVE, _MAX_DIR, _MAX_FNAME, _MAX_EXT).
  constexpr size_t kDrive = 3, kDir = 256, kName = 256, kExt = 256;
  std::string_view p(path ? path : "");
  std::string_view d;
  if (p.size() >= 2 && p[1] == ':' && !cp932::IsLeadByte(static_cast<unsigned char>(p[0]))) {
    d = p.substr(0, 2);
    p.remove_prefix(2);
  }
  // The directory runs to the last "\" or "/" that is a character of its own.
  size_t last_sep = std::string_view::npos;
  size_t last_dot = std::string_view::npos;
  for (size_t i = 0; i < p.size(); i += cp932::CharLength(p, i)) {
    if (cp932::CharLength(p, i) == 2) {
      continue;
    } else if (p[i] == '\\' || p[i] == '/') {
      last_sep = i;
      last_dot = std::string_view::npos;
    } else if (p[i] == '.') {
      last_dot = i;
    }
  }
  size_t name_start = last_sep == std::string_view::npos ? 0 : last_sep + 1;
  size_t name_end = last_dot == std::string_view::npos ? p.size() : last_dot;
  if (drive) cp932::CopyCut(drive, kDrive, d);
  if (dir) cp932::CopyCut(dir, kDir, p.substr(0, name_start));
  if (fname) cp932::CopyCut(fname, kName, p.substr(name_start, name_end - name_start));
  if (ext) cp932::CopyCut(ext, kExt, p.substr(name_end));
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
  if (!ToHostPath(path, &host) || OnCdrom(path) || ::lstat(host.c_str(), &st) != 0 ||
      S_ISDIR(st.st_mode))
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
