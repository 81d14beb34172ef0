#include "verify/line_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#ifndef _WIN32
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/host_file.h"
#include "platform/win.h"

namespace verify {

namespace {
constexpr size_t kBufferSize = 1 << 20;
}  // namespace

namespace {

#ifndef _WIN32
std::string KindOf(mode_t mode) {
  if (S_ISREG(mode)) return {};
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  if (S_ISSOCK(mode)) return "a socket";
  return "something else";
}
#endif

}  // namespace

#ifdef _WIN32
// Windows has no FIFO to wait on: the path is looked at, then opened through
// the wide API.
std::string NotRegularFile(const std::string& path) {
  std::error_code ec;
  const std::filesystem::file_status st = std::filesystem::status(win::HostFsPath(path), ec);
  if (ec || std::filesystem::is_regular_file(st)) return {};
  return std::filesystem::is_directory(st) ? "a folder" : "something else";
}

std::FILE* OpenRegularFile(const std::string& path, std::string* why) {
  if (const std::string kind = NotRegularFile(path); !kind.empty()) {
    *why = "it is " + kind + ", not a regular file";
    return nullptr;
  }
  std::FILE* file = hostfile::OpenFile(path, "rb");
  if (file == nullptr) *why = std::strerror(errno);
  return file;
}
#else
std::string NotRegularFile(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 ? KindOf(st.st_mode) : std::string();
}

std::FILE* OpenRegularFile(const std::string& path, std::string* why) {
  // Without O_NONBLOCK, opening a FIFO waits for a writer; what was opened
  // is looked at, not the path, so nothing can be swapped in between.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    *why = std::strerror(errno);
    return nullptr;
  }
  struct stat st {};
  const bool stated = fstat(fd, &st) == 0;
  if (!stated || !S_ISREG(st.st_mode)) {
    *why = stated ? "it is " + KindOf(st.st_mode) + ", not a regular file" : std::strerror(errno);
    close(fd);
    return nullptr;
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  std::FILE* file = fdopen(fd, "rb");
  if (file == nullptr) {
    *why = std::strerror(errno);
    close(fd);
  }
  return file;
}
#endif

LineReader::~LineReader() {
  if (file_ != nullptr) std::fclose(file_);
}

bool LineReader::Open(const std::string& path, std::string* why) {
  file_ = OpenRegularFile(path, why);
  if (file_ == nullptr) return false;
  // No bigger than the file: a small file (the usual asset type file and
  // error log) is not worth clearing a whole buffer for.
  long size = -1;
  if (std::fseek(file_, 0, SEEK_END) == 0) size = std::ftell(file_);
  std::rewind(file_);
  buffer_.resize(size < 0 ? kBufferSize
                          : std::clamp<size_t>(static_cast<size_t>(size) + 1, 4096, kBufferSize));
  return true;
}

bool LineReader::Fill() {
  if (file_ == nullptr || eof_ || failed_) return false;
  begin_ = 0;
  end_ = std::fread(buffer_.data(), 1, buffer_.size(), file_);
  if (end_ == 0) {
    if (std::ferror(file_)) failed_ = true;
    eof_ = true;
    return false;
  }
  return true;
}

bool LineReader::Next(std::string_view* line, End* end, size_t* length) {
  line_.clear();
  std::string_view view;
  size_t total = 0;
  bool any = false;
  bool saw_lf = false;
  char last = 0;
  while (!saw_lf) {
    if (begin_ == end_ && !Fill()) break;
    const char* start = buffer_.data() + begin_;
    const size_t available = end_ - begin_;
    const void* lf = std::memchr(start, '\n', available);
    const size_t taken =
        lf != nullptr ? static_cast<size_t>(static_cast<const char*>(lf) - start) : available;
    any = true;
    if (taken > 0) last = start[taken - 1];
    if (total == 0 && lf != nullptr) {
      view = std::string_view(start, std::min(taken, kKept));  // the whole line lies in the buffer
    } else {
      if (line_.size() < kKept) line_.append(start, std::min(taken, kKept - line_.size()));
      view = line_;
    }
    total += taken;
    begin_ += taken;
    if (lf != nullptr) {
      saw_lf = true;
      ++begin_;
    }
  }
  if (!any) return false;
  if (saw_lf && total > 0 && last == '\r') {
    --total;
    *end = kCrLf;
  } else {
    *end = saw_lf ? kLf : kNone;
  }
  *line = view.substr(0, std::min(view.size(), total));
  *length = total;
  return true;
}

}  // namespace verify
