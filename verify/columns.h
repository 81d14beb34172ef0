// The columns of the asset data file and of syurui.SSC as the depreciation
// application receives them: name, kind, width, decimals and required flag
// of each. zelverify keeps this table of its own, apart from the tables the
// export writes with, so that a fault in either is not taken for the rule:
// a test holds the two side by side.
#pragma once

#include <vector>

#include "textio/textaccessor.h"

namespace verify {

enum class ColumnKind { kText, kInt16, kInt32, kCurrency };

struct ColumnSpec {
  const char* line_name;  // on the column-name line (asset data file only)
  const char* item;       // the column's item name
  ColumnKind kind;
  int width;     // text: most bytes; number: most digits
  int decimals;  // currency: digits after the point
  bool required;
};

constexpr long kAssetColumnCount = 151;
constexpr long kTypeColumnCount = 16;

extern const ColumnSpec kAssetColumns[kAssetColumnCount];
extern const ColumnSpec kTypeColumns[kTypeColumnCount];

// Format records of a table, the values back to back in one record, as the
// reading side takes them; required flags cleared unless keep_required.
std::vector<StTAFORMAT> FormatTable(const ColumnSpec* columns, long count, bool keep_required);

// The column-name line's name of asset column i (0-based); "" beyond.
const char* AssetColumnName(long i);

}  // namespace verify
