// The control sheet's figures straight from a package store, with SQL of
// the sheet's own: not through the component or the exporter, so that a
// fault of either shows as a difference. Each figure is derived from the
// store as the asset data file's columns are (whole yen cut toward zero,
// the digit limit, which columns a method leaves empty, lump-sum items as
// breakdown rows, at most 99 of them), so that the two sides compare like
// with like.
#pragma once

#include <cstdint>
#include <string>

#include "verify/figures.h"

namespace verify {

struct StoreFigures {
  std::string data_id;  // CP932
  std::string company;  // CP932, as the header line carries it (uncut)
  int64_t period_start = 0, period_end = 0;
  Side side;
};

// Reads the store at a host path, opened read-only. The data set is the one
// whose data ID is folder_name, when there is one (exports of several data
// sets lie in folders named by data ID), else the one the store's user has
// selected, which a dialog run exports. False (with why) when the store
// cannot be read or names no such data set.
bool ReadStoreFigures(const std::string& path, const std::string& folder_name, StoreFigures* out,
                      std::string* why);

}  // namespace verify
