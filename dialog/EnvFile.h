// The environment file: one remembered output path per user and data set.
// Each line is a key ("user/first/second:") directly followed by the path and
// a single LF; nothing else is in the file. A key counts only at the start of
// a line, so "ab/1/2:" is never found inside "xab/1/2:...".
//
// The file is addressed by its Windows path.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace envfile {

// The key of a user and data set: "%s/%d/%d:".
std::string MakeKey(std::string_view user_id, int32_t first, int32_t second);

// Where the entry of key lies in content.
struct EntrySpan {
  size_t line_start;   // first byte of the key
  size_t value_start;  // first byte after the key
  size_t value_end;    // the LF that ends the entry, or the end of content
  size_t next_line;    // first byte after that LF (content size without one)
};
// The first entry of key at the start of a line; false when there is none.
// A file edited by hand may hold more than one; the first counts.
bool FindEntry(std::string_view content, std::string_view key, EntrySpan* span);

// The content after storing key + path: every old entry of key taken out,
// the others in their order, the new entry last.
std::string ReplaceEntry(std::string_view content, std::string_view key, std::string_view path);

// Reads the remembered path of key into buffer (capacity bytes). 1 when
// found; 0 when the file or entry is missing, when the path does not fit
// (it is never cut into another path), or when the file is not a regular
// file (a FIFO is never opened).
int LoadEntry(const std::string& path, std::string_view key, char* buffer, size_t capacity);

// Stores key + value (a path). The read, the change and the replacement of
// the file (written whole beside it, then renamed over it) run under the
// folder's lock, so saves of two programs at once keep both entries and a
// failure leaves the old file whole. 1 when stored; 0, with nothing changed,
// when the file cannot be read or is not a regular file, or when another
// program holds the lock for longer than lock_wait_ms (said on standard
// error; tests shorten the wait).
constexpr int kLockWaitMs = 10000;
int SaveEntry(const std::string& path, std::string_view key, std::string_view value,
              int lock_wait_ms = kLockWaitMs);

}  // namespace envfile
