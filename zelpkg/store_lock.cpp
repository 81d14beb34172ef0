#include "zelpkg/store_lock.h"

#include <cstdio>
#include <ctime>

#ifdef _WIN32
#include <windows.h>
#include <process.h>

#include "platform/wide.h"
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

namespace package {
namespace {

#ifdef _WIN32
// Opened without sharing, so that the open itself is the lock; the file
// goes when the handle is closed.
intptr_t TryLock(const std::string& lock_path, bool* busy, std::string* why) {
  // The tools carry paths as UTF-8: opened through the wide API.
  HANDLE file = ::CreateFileW(win::WideFromUtf8(lock_path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file != INVALID_HANDLE_VALUE) return reinterpret_cast<intptr_t>(file);
  DWORD error = ::GetLastError();
  *busy = error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED;
  *why = "cannot make the lock file " + lock_path + " (error " + std::to_string(error) + ")";
  return -1;
}
void Unlock(const std::string&, intptr_t handle) { ::CloseHandle(reinterpret_cast<HANDLE>(handle)); }
int ProcessId() { return _getpid(); }
void Pause() { ::Sleep(50); }
#else
// flock on the lock file. The holder removes the file before it lets go,
// so a run that got the lock of a file no longer at the path tries again.
intptr_t TryLock(const std::string& lock_path, bool* busy, std::string* why) {
  int fd = ::open(lock_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) {
    *busy = false;
    *why = "cannot make the lock file " + lock_path + ": " + std::strerror(errno);
    return -1;
  }
  struct stat held, named;
  int rc;
  while ((rc = ::flock(fd, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
  }
  *busy = true;
  if (rc == 0 && ::fstat(fd, &held) == 0 && ::stat(lock_path.c_str(), &named) == 0 &&
      held.st_ino == named.st_ino && held.st_dev == named.st_dev)
    return fd;
  ::close(fd);
  return -1;
}
void Unlock(const std::string& lock_path, intptr_t fd) {
  ::unlink(lock_path.c_str());
  ::close(static_cast<int>(fd));
}
int ProcessId() { return static_cast<int>(::getpid()); }
void Pause() { ::usleep(50000); }
#endif

}  // namespace

StoreLock::~StoreLock() {
  if (handle_ != -1) Unlock(lock_path_, handle_);
}

bool StoreLock::Acquire(const std::string& path, int wait_seconds, std::string* why) {
  lock_path_ = path + ".zelpkg-lock";
  // The standard <chrono> does not compile under the project's execution
  // character set; a second's precision is enough here.
  const std::time_t deadline = std::time(nullptr) + wait_seconds;
  bool said = false;
  for (;;) {
    bool busy = false;
    handle_ = TryLock(lock_path_, &busy, why);
    if (handle_ != -1) return true;
    if (!busy) return false;
    if (std::time(nullptr) >= deadline) {
      *why = "another zelpkg run still holds it after " + std::to_string(wait_seconds) +
             " s; try again when that run has ended";
      return false;
    }
    if (!said) {
      std::fprintf(stderr, "zelpkg: %s: another zelpkg run is making or filling it; waiting\n", path.c_str());
      said = true;
    }
    Pause();
  }
}

std::string RunTempName(const std::string& path) {
  return path + "." + std::to_string(ProcessId()) + ".zelpkg-tmp";
}

}  // namespace package
