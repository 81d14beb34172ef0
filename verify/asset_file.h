// The check of the asset data file: its header block of six lines, the
// column-name line, and its rows of 151 fields, each value checked against
// zelverify's own column table (verify/columns.h). The codes of column 1
// are kept to find duplicates (the only memory that grows with the file).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "verify/checked_file.h"
#include "verify/error_log.h"
#include "verify/type_file.h"

namespace verify {

// Columns the checks look into (0-based); the tests hold them to the names
// of the column-name line.
constexpr long kCodeColumn = 0;       // ";資産コード"
constexpr long kTypeColumn = 2;       // "資産種類コード"
constexpr long kMethodColumn = 4;     // "償却方法"
constexpr long kQuantityColumn = 13;  // "数量"
constexpr long kCostColumn = 22;      // "取得価額"

struct AssetSummary {
  long rows = 0;            // lines after the column-name line
  long breakdown_rows = 0;  // rows of lump-sum items (method "一括決算")
};

// Is handed every row of 151 fields as the check reads it.
class RowObserver {
 public:
  virtual ~RowObserver() = default;
  virtual void Row(long line, const std::vector<std::string_view>& fields) = 0;
};

// Reads file (opened) to its end, reporting what is wrong. types: the asset
// types syurui.SSC lists, null when it could not be read (no type is then
// warned about). log: the error log beside the file (empty when none);
// log_name names it in the findings. rows, when given, sees every row.
AssetSummary CheckAssetFile(CheckedFile* file, const TypeList* types, ErrorLog* log,
                            const std::string& log_name, RowObserver* rows = nullptr);

}  // namespace verify
