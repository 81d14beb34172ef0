// Checks of what a store holds against what the component can deliver from
// it: the current user and the selected data set, and every value of the
// tables that fill records against its column rule (package/columns.h). A check is
// stricter than a read, which cuts and replaces to deliver what it can: here
// a value must come through whole, so a text must convert to Shift_JIS
// without loss and fit its field uncut, and a date must be a calendar day
// (yyyymmdd) or 0 for none. Run by `zelpkg check` and `zelpkg import`; a run
// checks only the selection at its start (package/selection.h).
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <functional>
#include <string>

namespace package {

// One thing the component cannot deliver as stored. Texts are UTF-8.
struct Problem {
  std::string table;   // empty for the selection
  std::string key;     // the row's key, e.g. "data_id D0001, seq 12"; empty for a table
  std::string column;  // empty for a whole row or table
  std::string why;
  int64_t rowid = 0;  // of the row, for a caller that knows where it came from
};
using ProblemSink = std::function<void(const Problem&)>;

// One line: "assets (data_id D0001, seq 12), column name: WHY".
std::string Describe(const Problem& problem);

// The tables whose rows fill records.
enum class RecordTable { kDataSets, kAssets, kItems, kCategories };

// Checks the rows of table from first_rowid on: every column with a rule
// against it, and each lump-sum item against its asset (which must exist
// and have the lump-sum method code 4, or the item is never read). Returns
// the problems reported; a table that cannot be read is one problem.
size_t CheckTable(sqlite3* db, RecordTable table, int64_t first_rowid, const ProblemSink& report);

// The whole of a store that has the schema: one package row, the selection
// and every record table. Returns the problems reported.
size_t CheckStore(sqlite3* db, const ProblemSink& report);

}  // namespace package
