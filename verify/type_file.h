// The check of the asset type file syurui.SSC: its header block of 17 lines
// and its rows of 16 fields, read with the export's asset type table.
#pragma once

#include <set>
#include <string>

#include "verify/checked_file.h"

namespace verify {

struct TypeList {
  long rows = 0;
  std::set<std::string> codes;  // the type codes of the rows (CP932), as the first field holds them
};

// Reads file (opened) to its end, reporting what is wrong, and returns the
// asset types it lists.
TypeList CheckTypeFile(CheckedFile* file);

}  // namespace verify
