// Fills a data set of a store from CSV files (UTF-8, Shift_JIS or UTF-16,
// csv.h), for `zelpkg import`. Each file starts with a header of its table's
// column names in any order; a file without a column the export needs
// (asset_rules.h) is refused, another missing column takes its default (0 or
// the empty text), and so does an empty field. Amounts are yen with up to four decimals
// (thousands separators read where they stand every three digits), dates
// YYYY-MM-DD or YYYYMMDD (0 or empty for none), other numbers integers as
// the store holds them. Without a seq column rows are numbered on from the
// data set's last (items per asset); a data_id column must name the data set
// imported into. Every row is then checked as `zelpkg check` checks a store
// (store_check.h), values and rules; one refusal anywhere and nothing is
// written. Only the files' rows are judged.
#pragma once

#include <sqlite3.h>

#include <string>
#include <vector>

#include "zelpkg/csv.h"

namespace package {

struct ImportOptions {
  std::string assets, items, categories;  // CSV files; empty for none
  // The data set, UTF-8. Empty: the current user's selected data set. With
  // make_data_set it is made with company and period (refused when it
  // exists, unless replace: then its assets, items and categories are
  // deleted and its name and period set); without, it must exist.
  std::string data_set;
  bool make_data_set = false;
  std::string company, period_start, period_end;
  // Without make_data_set: the data set's assets and items (and its
  // categories, when a categories file is given) are deleted first.
  bool replace = false;
  Encoding encoding = Encoding::kAuto;
};

// The current user of a store that has none, as `zelpkg sample` names it.
extern const char kDefaultUser[];

// Imports into db, a store with the schema, in one transaction, and makes
// the data set the current user's selection (a store without a current user
// gets kDefaultUser). True with a one-line *summary; false with each problem
// in *errors (UTF-8, as "FILE:LINE: column "NAME": VALUE: WHY; FIX", at
// most 100 and a last line that counts the rest), and the store as it was.
// What is odd but possible goes to *warnings in the same form, and does not
// stop the import.
bool Import(sqlite3* db, const ImportOptions& options, std::string* summary, std::vector<std::string>* errors,
            std::vector<std::string>* warnings);

}  // namespace package
