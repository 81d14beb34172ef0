// File handles of our Windows stand-in: files and folders opened, read,
// written, flushed and locked on the host, and new temporary files.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <string_view>

#include "platform/cp932.h"
#include "platform/host_map.h"
#include "platform/win.h"
#include "platform/win_handle.h"

namespace win {
namespace {

thread_local DWORD last_error = 0;

template <typename T>
T Fail(T result, DWORD error) {
  last_error = error;
  return result;
}

DWORD ErrorOf(int error) {
  switch (error) {
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EEXIST: return ERROR_FILE_EXISTS;
    case EWOULDBLOCK: return ERROR_LOCK_VIOLATION;
    default: return ERROR_ACCESS_DENIED;
  }
}

}  // namespace

HANDLE CreateFileA(const char* path, DWORD access, DWORD /*share_mode*/, void* /*security*/,
                   DWORD disposition, DWORD flags, HANDLE /*template_file*/) {
  std::string host;
  if (disposition != CREATE_NEW && disposition != OPEN_EXISTING)
    return Fail(INVALID_HANDLE_VALUE, ERROR_INVALID_PARAMETER);
  if (!ToHostPath(path, &host)) return Fail(INVALID_HANDLE_VALUE, ERROR_PATH_NOT_FOUND);
  bool write = (access & GENERIC_WRITE) != 0;
  if ((write || disposition == CREATE_NEW) && OnCdrom(path))
    return Fail(INVALID_HANDLE_VALUE, ERROR_ACCESS_DENIED);
  int mode = !write ? O_RDONLY : (access & GENERIC_READ) ? O_RDWR : O_WRONLY;
  int open_flags = mode | O_NONBLOCK | O_CLOEXEC | (disposition == CREATE_NEW ? O_CREAT | O_EXCL : 0);
  int fd = ::open(host.c_str(), open_flags, 0666);
  if (fd < 0) return Fail(INVALID_HANDLE_VALUE, ErrorOf(errno));
  struct ::stat st;
  if (::fstat(fd, &st) != 0 || (S_ISDIR(st.st_mode) && (flags & FILE_FLAG_BACKUP_SEMANTICS) == 0)) {
    ::close(fd);
    return Fail(INVALID_HANDLE_VALUE, ERROR_ACCESS_DENIED);
  }
  auto* h = new Handle(Handle::kFile);
  h->fd = fd;
  return h;
}

DWORD GetFileType(HANDLE file) {
  struct ::stat st;
  int fd = FdOf(file);
  if (fd < 0 || ::fstat(fd, &st) != 0) return FILE_TYPE_UNKNOWN;
  if (S_ISREG(st.st_mode) || S_ISDIR(st.st_mode)) return FILE_TYPE_DISK;
  if (S_ISCHR(st.st_mode)) return FILE_TYPE_CHAR;
  return S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode) ? FILE_TYPE_PIPE : FILE_TYPE_UNKNOWN;
}

DWORD GetFinalPathNameByHandleA(HANDLE file, char* buffer, DWORD size, DWORD /*flags*/) {
  int fd = FdOf(file);
  if (fd < 0 || !buffer) return Fail(0u, ERROR_INVALID_PARAMETER);
  char link[64], host[4096];
  std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  ssize_t n = ::readlink(link, host, sizeof host - 1);
  if (n <= 0) return Fail(0u, ERROR_FILE_NOT_FOUND);
  host[n] = '\0';
  std::string windows = FromHostPath(host);
  if (windows.empty()) return Fail(0u, ERROR_PATH_NOT_FOUND);
  if (windows.size() >= size) return static_cast<DWORD>(windows.size() + 1);
  std::memcpy(buffer, windows.c_str(), windows.size() + 1);
  return static_cast<DWORD>(windows.size());
}

BOOL ReadFile(HANDLE file, void* buffer, DWORD size, DWORD* read, OVERLAPPED* overlapped) {
  if (read) *read = 0;
  int fd = FdOf(file);
  if (fd < 0 || !read || overlapped) return Fail(FALSE, ERROR_INVALID_PARAMETER);
  ssize_t n;
  do {
    n = ::read(fd, buffer, size);
  } while (n < 0 && errno == EINTR);
  if (n < 0) return Fail(FALSE, ErrorOf(errno));
  *read = static_cast<DWORD>(n);
  return TRUE;
}

BOOL WriteFile(HANDLE file, const void* data, DWORD size, DWORD* written, OVERLAPPED* overlapped) {
  if (written) *written = 0;
  int fd = FdOf(file);
  if (fd < 0 || !written || overlapped) return Fail(FALSE, ERROR_INVALID_PARAMETER);
  // Like a Windows file, the call returns when all of it is written.
  const char* rest = static_cast<const char*>(data);
  while (*written < size) {
    ssize_t n = ::write(fd, rest + *written, size - *written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return Fail(FALSE, ErrorOf(errno));
    *written += static_cast<DWORD>(n);
  }
  return TRUE;
}

BOOL FlushFileBuffers(HANDLE file) {
  int fd = FdOf(file);
  if (fd < 0) return Fail(FALSE, ERROR_INVALID_PARAMETER);
  return ::fsync(fd) == 0 ? TRUE : Fail(FALSE, ErrorOf(errno));
}

BOOL LockFileEx(HANDLE file, DWORD flags, DWORD /*reserved*/, DWORD /*bytes_low*/, DWORD /*bytes_high*/,
                OVERLAPPED* overlapped) {
  int fd = FdOf(file);
  if (fd < 0 || !overlapped) return Fail(FALSE, ERROR_INVALID_PARAMETER);
  int operation = (flags & LOCKFILE_EXCLUSIVE_LOCK ? LOCK_EX : LOCK_SH) |
                  (flags & LOCKFILE_FAIL_IMMEDIATELY ? LOCK_NB : 0);
  int rc;
  do {
    rc = ::flock(fd, operation);
  } while (rc != 0 && errno == EINTR);
  return rc == 0 ? TRUE : Fail(FALSE, ErrorOf(errno));
}

BOOL UnlockFileEx(HANDLE file, DWORD /*reserved*/, DWORD /*bytes_low*/, DWORD /*bytes_high*/,
                  OVERLAPPED* overlapped) {
  int fd = FdOf(file);
  if (fd < 0 || !overlapped) return Fail(FALSE, ERROR_INVALID_PARAMETER);
  return ::flock(fd, LOCK_UN) == 0 ? TRUE : Fail(FALSE, ErrorOf(errno));
}

UINT GetTempFileNameA(const char* folder, const char* prefix, UINT unique, char* buffer) {
  if (!folder || !buffer) return Fail(0u, ERROR_INVALID_PARAMETER);
  std::string base(folder);
  if (!base.empty() && (base.back() != '\\' || cp932::EndsWithDoubleByte(base))) base += '\\';
  base += std::string_view(prefix ? prefix : "").substr(0, 3);
  // From a number of the moment on, the first that names no file yet.
  UINT start = unique != 0 ? unique : static_cast<UINT>(::time(nullptr)) ^ static_cast<UINT>(::getpid());
  for (UINT step = 0; step <= 0xFFFF; ++step) {
    UINT number = (start + step) & 0xFFFF;
    if (number == 0) continue;
    char name[16];
    std::snprintf(name, sizeof name, "%04X.TMP", number);
    std::string path = base + name;
    if (path.size() >= MAX_PATH) return Fail(0u, ERROR_INVALID_PARAMETER);
    if (unique == 0) {
      HANDLE file =
          CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
      if (file == INVALID_HANDLE_VALUE && last_error == ERROR_FILE_EXISTS) continue;
      if (file == INVALID_HANDLE_VALUE) return 0;
      CloseHandle(file);
    }
    std::memcpy(buffer, path.c_str(), path.size() + 1);
    return number;
  }
  return Fail(0u, ERROR_FILE_EXISTS);
}

DWORD GetLastError() { return last_error; }

}  // namespace win
