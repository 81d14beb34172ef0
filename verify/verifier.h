// Verify: checks an asset data file, and the asset type file syurui.SSC and
// the error log that the export leaves beside it, for what the depreciation
// application relies on. Paths are host paths.
#pragma once

#include <iosfwd>
#include <map>
#include <string>
#include <vector>

#include "verify/asset_file.h"
#include "verify/error_log.h"
#include "verify/report.h"

namespace verify {

struct Summary {
  std::string asset_file;  // as shown in the findings
  AssetSummary assets;
  std::string type_file;
  bool types_read = false;
  long types = 0;        // rows of syurui.SSC
  std::string log_file;  // empty: no error log beside the file
  long remarks = 0, errors = 0, warnings = 0;
};

enum ExitStatus { kClean = 0, kProblems = 1, kUnreadable = 2 };

// What the control sheet takes from a check besides the findings.
struct CheckDetail {
  RowObserver* rows = nullptr;                    // given: sees every row of the asset data file
  std::vector<LogEntry> remarks;                  // filled: the error log's remarks, before the first row
  std::map<std::string, std::string> type_names;  // filled: syurui.SSC's types (code -> name)
};

// Checks the asset data file at path and the files beside it; every finding
// goes to report. kUnreadable (why says why) when the asset data file itself
// cannot be opened (nothing is reported then) or read to its end.
ExitStatus Verify(const std::string& path, Report* report, Summary* summary, std::string* why,
                  CheckDetail* detail = nullptr);

// The closing summary: what was read and how many problems and warnings.
void PrintSummary(const Summary& summary, const Report& report, std::ostream& out);

}  // namespace verify
