// LineReader: reads a file one line at a time in a fixed amount of memory,
// telling how each line ended, so that a file of any size (or of garbage
// without a single line end) is read without growing.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace verify {

// Opens a host path for reading when it is a regular file (or a link to
// one); anything else (a FIFO, a device, a folder) is refused at once,
// without waiting for a writer. Null, with why, when refused or not opened.
std::FILE* OpenRegularFile(const std::string& path, std::string* why);

// What a path is when it is there but no regular file ("a FIFO", "a
// folder", ...); empty for a regular file or nothing at all.
std::string NotRegularFile(const std::string& path);

class LineReader {
 public:
  enum End { kCrLf, kLf, kNone };  // kNone: the last line of a file without line end

  // At most this many bytes of a line are kept; the rest is read past.
  static constexpr size_t kKept = 64 * 1024;

  LineReader() = default;
  ~LineReader();
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  // Opens a host path for reading (OpenRegularFile); false (with why) when
  // it is no readable regular file.
  bool Open(const std::string& path, std::string* why);

  // The next line without its line end (a CR right before the LF belongs to
  // the line end). length is the line's full length; the view holds at most
  // kKept bytes of it and lives until the next call. False at the end of the
  // file and on a read error (failed() tells them apart).
  bool Next(std::string_view* line, End* end, size_t* length);

  bool failed() const { return failed_; }

 private:
  bool Fill();

  std::FILE* file_ = nullptr;
  std::vector<char> buffer_;
  size_t begin_ = 0;  // unread bytes of buffer_ are [begin_, end_)
  size_t end_ = 0;
  bool eof_ = false;
  bool failed_ = false;
  std::string line_;  // a line that crosses the end of the buffer
};

}  // namespace verify
