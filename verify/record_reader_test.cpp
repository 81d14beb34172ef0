// The asset rows read through the text accessor in parts of 100 fields.
#include "verify/record_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "verify/columns.h"
#include "verify/field_check.h"

namespace verify {
namespace {

const std::vector<StTAFORMAT> kAssets = FormatTable(kAssetColumns, kAssetColumnCount, false);
const std::vector<StTAFORMAT> kTypes = FormatTable(kTypeColumns, kTypeColumnCount, true);

std::string RowOf(long fields, const std::string& first, const std::string& last) {
  std::string line = first;
  for (long i = 1; i < fields; ++i) line += "," + (i + 1 == fields ? last : std::string());
  return line;
}

TEST(RecordReaderTest, ReadsTheWholeRowIntoOneRecord) {
  RecordReader reader(kAssets.data(), kAssetColumnCount, false);
  EXPECT_EQ(reader.Read(RowOf(151, "000001", "MEMO")), 0);
  // Every field count but 151 is refused, also at the seams of the parts.
  for (long fields : {1L, 99L, 100L, 101L, 150L, 152L, 200L, 201L}) {
    EXPECT_EQ(reader.Read(RowOf(fields, "000001", "MEMO")), 2) << fields;
  }
  EXPECT_EQ(reader.Read(std::string(1024, 'A')), 2);

  // The required flags stay only when asked: an asset row leaves most of its
  // required columns empty, an asset type row fills them.
  const std::vector<StTAFORMAT> required = FormatTable(kAssetColumns, kAssetColumnCount, true);
  RecordReader strict(required.data(), kAssetColumnCount, true);
  EXPECT_EQ(strict.Read(RowOf(151, "000001", "MEMO")), 2);
  RecordReader types(kTypes.data(), kTypeColumnCount, true);
  EXPECT_EQ(types.Read("01,A,B,C,D,E,10,5,F,0.00,100.00,100.00,100.00,0.00,100.00,G"), 0);
  EXPECT_EQ(types.Read("01,A,B,C,D,E,,5,F,0.00,100.00,100.00,100.00,0.00,100.00,G"), 2);
}

TEST(RecordReaderTest, RefusesWhatTheReadingSideRefuses) {
  RecordReader reader(kAssets.data(), kAssetColumnCount, false);
  EXPECT_EQ(reader.Read(RowOf(151, "000001", "O'Brien")), 2);  // a quote in the last field
  EXPECT_EQ(reader.Read(RowOf(151, "123456789", "")), 2);      // 9 bytes in a column of 8
  EXPECT_EQ(reader.Read(RowOf(151, "000001", "A B")), 0);      // blanks inside a name
}

// zelverify checks each value rather than reading each row through the
// accessor: every value the reading side refuses in any column must be a
// problem of the value checks.
TEST(RecordReaderTest, EveryRefusalOfTheReadingSideIsAProblemOfTheChecks) {
  std::vector<std::string> values = {
      "",      " ",   "A",    " A",  "A ",   "A B", "\"A\"", "'A'",      "A\"B",         "-",
      "+",     "+1",  "-1",   " 1",  "1 ",   "1.5", "1.",    ".5",       "1.2.3",        "0.00",
      "-0.50", "1e5", "0x10", "***", "機械", "=A1", "@SUM",  "20240229", "************", "1.000"};
  for (size_t n : {1, 2, 3, 4, 8, 9, 12, 13, 20, 21, 32, 33}) {
    values.push_back(std::string(n, '9'));
    values.push_back(std::string(n, 'A'));
  }
  const std::string type_row = "01,A,B,C,D,E,10,5,F,0.00,100.00,100.00,100.00,0.00,100.00,G";
  struct Table {
    const std::vector<StTAFORMAT>* formats;
    bool amounts;
  };
  long refused = 0;
  for (const Table& t : {Table{&kAssets, true}, Table{&kTypes, false}}) {
    const std::vector<StTAFORMAT>& formats = *t.formats;
    const long count = static_cast<long>(formats.size());
    RecordReader reader(formats.data(), count, true);
    std::vector<std::string> fields(formats.size());
    if (!t.amounts) {
      for (size_t at = 0, i = 0; i < fields.size(); ++i) {
        const size_t comma = std::min(type_row.find(',', at), type_row.size());
        fields[i] = type_row.substr(at, comma - at);
        at = comma + 1;
      }
    }
    for (long column = 0; column < count; ++column) {
      const StTAFORMAT& f = formats[static_cast<size_t>(column)];
      for (const std::string& value : values) {
        std::vector<std::string> row = fields;
        row[static_cast<size_t>(column)] = value;
        std::string line;
        for (size_t i = 0; i < row.size(); ++i) line += (i > 0 ? "," : "") + row[i];
        if (reader.Read(line) == 0) continue;
        ++refused;
        EXPECT_EQ(CheckField(f, RoleOf(f, t.amounts), value).kind, Verdict::kProblem)
            << "column " << column + 1 << " (" << f.name << "): \"" << value << "\"";
      }
    }
  }
  EXPECT_GT(refused, 1000);
}

}  // namespace
}  // namespace verify
