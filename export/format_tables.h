// Column format tables of the three output files, one per text accessor:
//   "G_INFO"   asset data rows (151 columns)
//   "G_HEAD"   the column-name line of the asset data file (151 text columns)
//   "G_HEADER" one text column of 152 bytes: header lines and error log entries
//   "G_SSC"    asset type rows (16 columns)
// Each table's values lie back to back in its accessor's record; a text
// column has room for its width and a terminator.
#pragma once

#include <cstddef>

#include "textio/textaccessor.h"

constexpr long kAssetColumnCount = 151;
constexpr long kTypeColumnCount = 16;

constexpr size_t kAssetRowRecordSize = 1365;
constexpr size_t kColumnNameRecordSize = 3016;
constexpr size_t kHeaderLineRecordSize = 153;
constexpr size_t kTypeRowRecordSize = 150;
constexpr long kHeaderLineWidth = 152;

// The tables, constant data built at compile time.
StTAFORMAT* AssetRowFormat();
StTAFORMAT* ColumnNameFormat();
StTAFORMAT* HeaderLineFormat();
StTAFORMAT* TypeRowFormat();

// The name that the column-name line carries for asset column index i
// (0-based).
const char* AssetColumnLineName(long i);
