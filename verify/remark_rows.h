// RemarkRows: finds the row of the asset data file that each remark of the
// error log is about. The writer logs its remarks row by row, in the order
// of the rows, so the remarks are matched in one pass over the rows: a
// remark belongs to the first row, from the row of the remark before it on,
// whose code, name, memo, quantity or amounts it names.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "verify/error_log.h"

namespace verify {

struct RemarkRow {
  long line = 0;     // the row's line in the asset data file; 0: matched to no row
  std::string code;  // its column 1 (CP932)
};

class RemarkRows {
 public:
  // remarks: the error log's, filled before the first row is handed in.
  explicit RemarkRows(const std::vector<LogEntry>* remarks) : remarks_(remarks) {}

  void Row(long line, const std::vector<std::string_view>& fields);
  // After the last row: the row of each remark, in the log's order.
  const std::vector<RemarkRow>& Finish();

 private:
  bool Matches(const LogEntry& remark, const std::vector<std::string_view>& fields);
  void TakeLimitWarnings();

  const std::vector<LogEntry>* remarks_;
  std::vector<RemarkRow> rows_;  // one for each remark matched so far, or passed over
  long stars_ = 0;               // amounts over the digit limit in the row not yet matched
  RemarkRow last_;               // the row before
};

}  // namespace verify
