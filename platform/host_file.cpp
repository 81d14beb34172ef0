#include "platform/host_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace hostfile {
namespace {

bool WriteFull(int fd, std::string_view data) {
  while (!data.empty()) {
    ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

// The folder of a host path ("." for a bare name).
std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Flushes what the folder knows about its entries; a rename is durable only
// once its folder is.
void SyncFolder(const std::string& path) {
  int fd = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// Where a path leads on the host: the file's device and inode, or for a
// name that does not exist yet its folder's and the name.
struct Identity {
  dev_t device = 0;
  ino_t inode = 0;
  std::string name;  // empty for a file that exists
  bool operator==(const Identity&) const = default;
};

bool Identify(const std::string& path, Identity* id) {
  struct stat st;
  if (::stat(path.c_str(), &st) == 0) {
    *id = {st.st_dev, st.st_ino, ""};
    return true;
  }
  if (errno != ENOENT) return false;
  size_t slash = path.rfind('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.empty() || name == "." || name == "..") return false;
  if (::stat(FolderOf(path).c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  *id = {st.st_dev, st.st_ino, name};
  return true;
}

}  // namespace

bool SameFile(const std::string& a, const std::string& b) {
  Identity ia, ib;
  return Identify(a, &ia) && Identify(b, &ib) && ia == ib;
}

bool Replace(const std::string& temp, const std::string& path) {
  int fd = ::open(temp.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = ::fsync(fd) == 0;
  struct stat old;
  if (ok && ::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode))
    ok = ::fchmod(fd, old.st_mode & 07777) == 0;
  ok = ::close(fd) == 0 && ok;
  if (!ok || ::rename(temp.c_str(), path.c_str()) != 0) return false;
  SyncFolder(path);
  return true;
}

bool WriteWhole(const std::string& path, std::string_view content) {
  std::string temp = path + ".XXXXXX";
  int fd = ::mkstemp(temp.data());
  if (fd < 0) return false;
  // mkstemp makes the file private; a new file gets what creating it
  // directly would give (an existing one's permissions are kept by Replace).
  mode_t mask = ::umask(0);
  ::umask(mask);
  bool ok = ::fchmod(fd, 0666 & ~mask) == 0 && WriteFull(fd, content);
  ok = ::close(fd) == 0 && ok;
  if (ok) ok = Replace(temp, path);
  if (!ok) ::unlink(temp.c_str());
  return ok;
}

std::FILE* OpenFile(const std::string& path, const char* mode) { return std::fopen(path.c_str(), mode); }

}  // namespace hostfile
