#include "dialog/EnvFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/cp932.h"

namespace envfile {

namespace {

// Reads the whole file; false when it cannot be opened or read.
bool ReadAll(const std::string& host_path, std::string* content) {
  int fd = ::open(host_path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  content->clear();
  char chunk[4096];
  bool ok = true;
  for (;;) {
    ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      ok = false;
      break;
    }
    content->append(chunk, static_cast<size_t>(n));
  }
  ::close(fd);
  return ok;
}

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

// Writes content to a new file beside host_path and renames it over
// host_path. The old file stays as it was until the rename, which replaces
// it in one step. mode is the permission of the result.
bool ReplaceFile(const std::string& host_path, std::string_view content, mode_t mode) {
  std::string temp = host_path + ".XXXXXX";
  int fd = ::mkstemp(temp.data());
  if (fd < 0) return false;
  bool ok = ::fchmod(fd, mode) == 0 && WriteFull(fd, content) && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (ok) ok = ::rename(temp.c_str(), host_path.c_str()) == 0;
  if (!ok) ::unlink(temp.c_str());
  return ok;
}

}  // namespace

std::string MakeKey(std::string_view user_id, int32_t first, int32_t second) {
  char numbers[32];
  std::snprintf(numbers, sizeof numbers, "/%d/%d:", static_cast<int>(first), static_cast<int>(second));
  return std::string(user_id) + numbers;
}

bool FindEntry(std::string_view content, std::string_view key, EntrySpan* span) {
  if (key.empty()) return false;
  // LF is never a trail byte, so every line starts right after one.
  for (size_t line = 0; line < content.size();) {
    size_t lf = content.find('\n', line);
    size_t end = lf == std::string_view::npos ? content.size() : lf;
    if (content.compare(line, key.size(), key) == 0 && line + key.size() <= end) {
      span->line_start = line;
      span->value_start = line + key.size();
      span->value_end = end;
      span->next_line = lf == std::string_view::npos ? content.size() : lf + 1;
      return true;
    }
    if (lf == std::string_view::npos) break;
    line = lf + 1;
  }
  return false;
}

std::string ReplaceEntry(std::string_view content, std::string_view key, std::string_view path) {
  std::string out;
  EntrySpan span;
  if (FindEntry(content, key, &span)) {
    out.append(content.substr(0, span.line_start));
    out.append(content.substr(span.next_line));
  } else {
    out.append(content);
  }
  // A file whose last line lost its LF would otherwise swallow the new key.
  if (!out.empty() && out.back() != '\n') out += '\n';
  out.append(key);
  out.append(path);
  out += '\n';
  return out;
}

int LoadEntry(const std::string& host_path, std::string_view key, char* buffer, size_t capacity) {
  if (capacity > 0) buffer[0] = '\0';
  std::string content;
  if (capacity == 0 || !ReadAll(host_path, &content)) return 0;
  EntrySpan span;
  if (!FindEntry(content, key, &span)) return 0;
  std::string_view value(content.data() + span.value_start, span.value_end - span.value_start);
  cp932::CopyCut(buffer, capacity, value);
  return 1;
}

int SaveEntry(const std::string& host_path, std::string_view key, std::string_view path) {
  struct stat st;
  std::string content;
  mode_t mode;
  if (::stat(host_path.c_str(), &st) != 0) {
    // A new file gets the permissions that creating it directly would give.
    mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  } else {
    if (::access(host_path.c_str(), R_OK | W_OK) != 0 || !ReadAll(host_path, &content)) return 0;
    mode = st.st_mode & 07777;
  }
  return ReplaceFile(host_path, ReplaceEntry(content, key, path), mode) ? 1 : 0;
}

}  // namespace envfile
