// zelverify's column tables beside the export's: a wrong entry in either
// shows here as a difference.
#include "verify/columns.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

#include "export/format_tables.h"

namespace verify {
namespace {

// The export's format records against ours, field by field.
void ExpectSameColumns(const StTAFORMAT* exported, const ColumnSpec* ours, long count, const char* table) {
  const std::vector<StTAFORMAT> expected = FormatTable(ours, count, true);
  for (long i = 0; i < count; ++i) {
    const StTAFORMAT& e = exported[i];
    const StTAFORMAT& o = expected[static_cast<size_t>(i)];
    SCOPED_TRACE(std::string(table) + " column " + std::to_string(i + 1) + " " + o.name);
    EXPECT_STREQ(e.name, o.name);
    EXPECT_EQ(e.type, o.type);
    EXPECT_EQ(e.size, o.size);
    EXPECT_EQ(e.width, o.width);
    EXPECT_EQ(e.decimals, o.decimals);
    EXPECT_EQ(e.required, o.required);
  }
}

TEST(ColumnsTest, TheExportWritesTheColumnsZelverifyExpects) {
  ExpectSameColumns(AssetRowFormat(), kAssetColumns, kAssetColumnCount, "asset row");
  ExpectSameColumns(TypeRowFormat(), kTypeColumns, kTypeColumnCount, "asset type row");
  // The column-name line carries our names; its table's item names are the
  // asset row table's but in four columns, and each column holds its name.
  const std::map<long, std::string> own_items = {{13, "取得年月日"},
                                                 {18, "耐用年数短縮(圧縮記帳の場合)"},
                                                 {96, "償却資産資産コード(入力)"},
                                                 {97, "償却資産資産コード"}};
  for (long i = 0; i < kAssetColumnCount; ++i) {
    SCOPED_TRACE("column-name column " + std::to_string(i + 1));
    EXPECT_STREQ(AssetColumnLineName(i), AssetColumnName(i));
    const auto own = own_items.find(i + 1);
    EXPECT_STREQ(ColumnNameFormat()[i].name,
                 own != own_items.end() ? own->second.c_str() : kAssetColumns[i].item);
    const int length = static_cast<int>(std::strlen(kAssetColumns[i].line_name));
    EXPECT_GE(ColumnNameFormat()[i].width, length);
    EXPECT_LE(ColumnNameFormat()[i].width, length + 6);
  }
}

}  // namespace
}  // namespace verify
