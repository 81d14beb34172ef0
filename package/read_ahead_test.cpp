// The read-ahead hands over every row once and in order, whatever its ring's
// size against the count, and a row that cannot be read fails the Take that
// asks for it, its lines said then and not before.
#include "package/read_ahead.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "package/store.h"

namespace {

// Row i carries i in its type code and year record; the row at fail_at
// cannot be read. Every third row says a line, as a lost character would.
class MadeRows : public package::AssetRows {
 public:
  bool Read(long index, StKOTEISHISANINFO* master, StKOTEINENINFO* year) override {
    static const StKOTEISHISANINFO kClearMaster = {};
    static const StKOTEINENINFO kClearYear = {};
    if (std::memcmp(master, &kClearMaster, sizeof *master) != 0 ||
        std::memcmp(year, &kClearYear, sizeof *year))
      ++uncleared;
    if (index % 5 == 0) std::this_thread::yield();  // other interleavings of the two threads
    if (index % 3 == 0) package::SayFailure("D1", "row " + std::to_string(index), "said");
    if (index == fail_at) {
      package::SayFailure("D1", "row " + std::to_string(index), "cannot be read");
      return false;
    }
    master->lTypeCode = static_cast<int32_t>(index);
    std::memcpy(year->reserved1, &index, sizeof index);
    return true;
  }
  static std::string Lines(long index, long fail_at) {
    std::string lines;
    if (index % 3 == 0) lines += "package store: data set D1, row " + std::to_string(index) + ": said\n";
    if (index == fail_at)
      lines += "package store: data set D1, row " + std::to_string(index) + ": cannot be read\n";
    return lines;
  }

  // Set by the test while a walk left half taken may still read ahead.
  std::atomic<long> fail_at{-1};
  std::atomic<int> uncleared{0};
};

TEST(ReadAhead, EveryRowOnceInOrderAndAFailureAtItsOwnTake) {
  for (long slots : {1L, 2L, 3L, 7L, 33L, 256L}) {
    MadeRows source;
    package::ReadAhead ahead(source, slots);
    for (long rows : {1L, slots - 1, slots, slots + 1, 3 * slots + 2, 70L}) {
      for (long fail_at : {-1L, 0L, slots - 1, slots, rows - 1}) {
        if (rows <= 0 || fail_at >= rows) continue;
        SCOPED_TRACE(testing::Message() << slots << " slots, " << rows << " rows, failing at " << fail_at);
        source.fail_at = fail_at;
        ahead.Start(rows);
        long counted = 0;
        ASSERT_TRUE(ahead.Counted(&counted));
        ASSERT_EQ(counted, rows);
        const long last = fail_at >= 0 ? fail_at : rows - 1;
        for (long i = 0; i <= last; ++i) {
          ASSERT_TRUE(ahead.Serves(i)) << "row " << i;
          StKOTEISHISANINFO master;
          StKOTEINENINFO year;
          long year_index = -1;
          testing::internal::CaptureStderr();
          bool ok = ahead.Take(&master, &year);
          EXPECT_EQ(testing::internal::GetCapturedStderr(), MadeRows::Lines(i, fail_at)) << "row " << i;
          ASSERT_EQ(ok, i != fail_at) << "row " << i;
          if (!ok) break;
          std::memcpy(&year_index, year.reserved1, sizeof year_index);
          ASSERT_EQ(master.lTypeCode, i);
          ASSERT_EQ(year_index, i);
        }
        // After the last row or a failure nothing more is served: the
        // caller goes on without the reading ahead.
        EXPECT_FALSE(ahead.Serves(last + 1));
        EXPECT_EQ(ahead.Counted(&counted), fail_at < 0);
        // A walk left half taken is ended by the next Start, even with the
        // reading thread waiting for room.
        source.fail_at = -1;
        ahead.Start(rows);
        std::string said;
        testing::internal::CaptureStderr();
        for (long i = 0; i < rows / 2; ++i) {
          EXPECT_TRUE(ahead.Take(nullptr, nullptr));
          said += MadeRows::Lines(i, -1);
        }
        EXPECT_EQ(testing::internal::GetCapturedStderr(), said);
      }
    }
    EXPECT_EQ(source.uncleared.load(), 0) << slots << " slots";
  }
}

}  // namespace
