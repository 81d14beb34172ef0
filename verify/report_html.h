// The control sheet as one self-contained HTML page (UTF-8, no script, and
// nothing loaded from outside it: no file, font or address), made to be
// printed on A4 landscape and signed. Elements a reader or a test looks
// for carry ids: "verdict", "figures", "total-file-COLUMN" (and -store-,
// -difference-; COLUMN is assets, breakdown-rows, or the amount's column
// number 23, 42, 67, 81), "differences" with one "difference" item each,
// "chart", "remarks", "findings".
#pragma once

#include <string>

#include "verify/control_sheet.h"

namespace verify {

std::string ReportHtml(const ControlSheet& sheet);

}  // namespace verify
