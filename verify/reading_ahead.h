// ReadingAhead: the reading side's result (RecordReader::Read) for every
// line of a file, worked out on a thread of its own that reads the file a
// second time, ahead of the check. The check takes the results in line order
// and so keeps its findings in order, while the reading side, about half of
// the work on an asset row, runs on the other core.
#pragma once

#include <atomic>
#include <climits>
#include <string>
#include <thread>
#include <vector>

#include "verify/record_reader.h"

namespace verify {

class ReadingAhead {
 public:
  // Starts reading the file at a host path with reader's table (as
  // RecordReader takes it).
  ReadingAhead(const std::string& path, const StTAFORMAT* table, long count, bool keep_required);
  ~ReadingAhead();
  ReadingAhead(const ReadingAhead&) = delete;
  ReadingAhead& operator=(const ReadingAhead&) = delete;

  // What RecordReader::Read gives for line number number (1-based), whose
  // text is line; waits until it is known. Lines are asked for in rising
  // order (some may be passed over). 0 for a line the second reading did not
  // find (the file changed meanwhile). Something other than a regular file
  // (a FIFO) cannot be read twice: its lines are read here, one by one.
  long Result(long number, std::string_view line);

  const std::vector<StTAFORMAT>& table() const { return reader_.table(); }

 private:
  // Results kept ahead of the check.
  static constexpr long kRing = 1 << 14;
  static constexpr long kEnd = LONG_MAX / 2;

  void Run(const std::string& path);

  RecordReader reader_;             // the reading thread's
  std::vector<long> results_;       // line i at i % kRing
  std::atomic<long> produced_{0};   // lines known; kEnd: the reading has ended
  std::atomic<long> last_line_{0};  // the last line read, once the reading has ended
  std::atomic<long> taken_{0};      // lines the check is done with
  std::thread thread_;
};

}  // namespace verify
