// The check of the asset type file syurui.SSC: its header block of 17 lines
// and its rows of 16 fields, checked against zelverify's own table of its columns.
#pragma once

#include <map>
#include <string>

#include "verify/checked_file.h"

namespace verify {

struct TypeList {
  long rows = 0;
  // The type codes of the rows as the first field holds them, each with its
  // name (the second field) where it is first listed. CP932.
  std::map<std::string, std::string> codes;
};

// Reads file (opened) to its end, reporting what is wrong, and returns the
// asset types it lists.
TypeList CheckTypeFile(CheckedFile* file);

}  // namespace verify
