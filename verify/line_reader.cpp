#include "verify/line_reader.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/host_file.h"
#include "platform/win.h"

namespace verify {

namespace {
constexpr size_t kBufferSize = 1 << 20;
}  // namespace

LineReader::~LineReader() {
  if (file_ != nullptr) std::fclose(file_);
}

bool LineReader::Open(const std::string& path, std::string* why) {
  std::error_code ec;
  if (std::filesystem::is_directory(win::HostFsPath(path), ec)) {
    *why = "it is a folder";
    return false;
  }
  file_ = hostfile::OpenFile(path, "rb");
  if (file_ == nullptr) {
    *why = std::strerror(errno);
    return false;
  }
  buffer_.resize(kBufferSize);
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
