// The asset rows read through the text accessor in parts of 100 fields.
#include "verify/record_reader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "export/format_tables.h"
#include "platform/test_env.h"
#include "verify/reading_ahead.h"

namespace verify {
namespace {

std::string RowOf(long fields, const std::string& first, const std::string& last) {
  std::string line = first;
  for (long i = 1; i < fields; ++i) line += "," + (i + 1 == fields ? last : std::string());
  return line;
}

TEST(RecordReaderTest, ReadsTheWholeRowIntoOneRecord) {
  RecordReader reader(AssetRowFormat(), kAssetColumnCount, false);
  EXPECT_EQ(reader.Read(RowOf(151, "000001", "MEMO")), 0);
  // Every field count but 151 is refused, also at the seams of the parts.
  for (long fields : {1L, 99L, 100L, 101L, 150L, 152L, 200L, 201L}) {
    EXPECT_EQ(reader.Read(RowOf(fields, "000001", "MEMO")), 2) << fields;
  }
  EXPECT_EQ(reader.Read(std::string(1024, 'A')), 2);

  // The required flags stay only when asked: an asset row leaves most of its
  // required columns empty, an asset type row fills them.
  RecordReader strict(AssetRowFormat(), kAssetColumnCount, true);
  EXPECT_EQ(strict.Read(RowOf(151, "000001", "MEMO")), 2);
  RecordReader types(TypeRowFormat(), kTypeColumnCount, true);
  EXPECT_EQ(types.Read("01,A,B,C,D,E,10,5,F,0.00,100.00,100.00,100.00,0.00,100.00,G"), 0);
  EXPECT_EQ(types.Read("01,A,B,C,D,E,,5,F,0.00,100.00,100.00,100.00,0.00,100.00,G"), 2);
}

TEST(RecordReaderTest, RefusesWhatTheReadingSideRefuses) {
  RecordReader reader(AssetRowFormat(), kAssetColumnCount, false);
  EXPECT_EQ(reader.Read(RowOf(151, "000001", "O'Brien")), 2);  // a quote in the last field
  EXPECT_EQ(reader.Read(RowOf(151, "123456789", "")), 2);      // 9 bytes in a column of 8
  EXPECT_EQ(reader.Read(RowOf(151, "000001", "A B")), 0);      // blanks inside a name
}

// Read ahead on its own thread, a file of more lines than it keeps ahead
// gives each line the result the reader gives it, also when lines are
// passed over.
TEST(RecordReaderTest, ReadingAheadGivesEachLineItsResult) {
  const std::vector<std::string> kinds = {RowOf(151, "000001", "MEMO"), RowOf(150, "000001", "MEMO"),
                                          RowOf(151, "123456789", ""), std::string(2000, 'A')};
  testenv::ScratchDir dir("zel_reading_ahead");
  std::vector<std::string> lines;
  std::ofstream file(dir.Host("rows.csv"), std::ios::binary);
  for (size_t i = 0; i < 40000; ++i) {
    lines.push_back(kinds[(i * 7 + i / 1000) % kinds.size()]);
    file << lines.back() << "\r\n";
  }
  file.close();
  RecordReader reader(AssetRowFormat(), kAssetColumnCount, false);
  ReadingAhead ahead(dir.Host("rows.csv"), AssetRowFormat(), kAssetColumnCount, false);
  for (size_t i = 0; i < lines.size(); i += i % 3 == 0 ? 1 : 2) {
    ASSERT_EQ(ahead.Result(static_cast<long>(i) + 1, lines[i]), reader.Read(lines[i])) << i;
  }
}

}  // namespace
}  // namespace verify
