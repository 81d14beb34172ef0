#include "verify/reading_ahead.h"

#include <filesystem>
#include <system_error>

#include "platform/win.h"
#include "verify/line_reader.h"

namespace verify {

namespace {
// The threads wake each other only every so many lines, not for each.
constexpr long kBatch = 256;
}  // namespace

ReadingAhead::ReadingAhead(const std::string& path, const StTAFORMAT* table, long count, bool keep_required)
    : reader_(table, count, keep_required) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(win::HostFsPath(path), ec)) return;
  results_.resize(kRing);
  thread_ = std::thread([this, path] { Run(path); });
}

ReadingAhead::~ReadingAhead() {
  if (!thread_.joinable()) return;
  taken_.store(kEnd);  // room without end: the reading thread goes on to its end or stops
  taken_.notify_all();
  thread_.join();
}

void ReadingAhead::Run(const std::string& path) {
  LineReader in;
  std::string why;
  std::string_view line;
  LineReader::End end;
  size_t length = 0;
  long number = 0;
  if (in.Open(path, &why)) {
    while (taken_.load() < kEnd && in.Next(&line, &end, &length)) {
      ++number;
      // Room: the line's slot must have been passed by the check.
      for (long taken = taken_.load(); number - taken > kRing; taken = taken_.load()) taken_.wait(taken);
      if (taken_.load() >= kEnd) break;
      results_[static_cast<size_t>(number % kRing)] = reader_.Read(line);
      produced_.store(number);
      if (number % kBatch == 0) produced_.notify_all();
    }
  }
  last_line_.store(number);
  produced_.store(kEnd);
  produced_.notify_all();
}

long ReadingAhead::Result(long line, std::string_view text) {
  if (!thread_.joinable()) return reader_.Read(text);
  // Everything before line is done with: its slots are free again.
  if (line - 1 > taken_.load()) {
    taken_.store(line - 1);
    if ((line - 1) % kBatch == 0) taken_.notify_all();
  }
  for (long produced = produced_.load(); produced < line; produced = produced_.load()) {
    taken_.notify_all();  // the reading thread may wait for room
    produced_.wait(produced);
  }
  if (produced_.load() == kEnd && line > last_line_.load()) return 0;
  return results_[static_cast<size_t>(line % kRing)];
}

}  // namespace verify
