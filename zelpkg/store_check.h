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
#include <set>
#include <string>
#include <string_view>
#include <utility>

#include "package/columns.h"

namespace package {

// One thing the component cannot deliver as stored. Texts are UTF-8.
struct Problem {
  Problem() = default;
  Problem(std::string table, std::string key, std::string column, std::string why, int64_t rowid = 0)
      : table(std::move(table)),
        key(std::move(key)),
        column(std::move(column)),
        why(std::move(why)),
        rowid(rowid) {}
  std::string table;   // empty for the selection
  std::string key;     // the row's key, e.g. "data_id D0001, seq 12"; empty for a table
  std::string column;  // empty for a whole row or table
  std::string why;
  int64_t rowid = 0;     // of the row, for a caller that knows where it came from
  std::string value;     // the value judged, when why does not show it
  std::string fix;       // what to do, or empty
  bool warning = false;  // odd but possible: the export carries it
};
using ProblemSink = std::function<void(const Problem&)>;

// One line: "assets (data_id D0001, seq 12), column "name": VALUE: WHY; FIX",
// "warning: " first for a warning.
std::string Describe(const Problem& problem);
// What follows the column in a line: "VALUE: WHY; FIX".
std::string Explain(const Problem& problem);

// The tables whose rows fill records.
enum class RecordTable { kDataSets, kAssets, kItems, kCategories };

// Checks the rows of table from first_rowid on: every column with a rule
// against it, and each lump-sum item against its asset (which must exist
// and have the lump-sum method code 4, or the item is never read). Returns
// the problems reported; a table that cannot be read is one problem.
size_t CheckTable(sqlite3* db, RecordTable table, int64_t first_rowid, const ProblemSink& report);

// The rules of fixed-asset data (package/asset_rules.h) for the rows of
// table from first_rowid on, each row judged with what the store holds
// beside it (its data set's period, categories and items). For data sets,
// also one problem for each data set of first_rowid on that has assets but
// no category. Returns the refusals; warnings are reported too.
size_t CheckRules(sqlite3* db, RecordTable table, int64_t first_rowid, const ProblemSink& report);

// CheckTable and then CheckRules, where a value that CheckTable refused is
// not judged again by a rule. Returns the refusals.
size_t CheckTableAndRules(sqlite3* db, RecordTable table, int64_t first_rowid, const ProblemSink& report);

// What CheckTable says of a value of a column with rule, for a caller that
// has the value before it is stored (an import judges each value as it
// binds it): an integer as stored in an integer column, or a UTF-8 text as
// stored in a text column. False when the value fits; else the problem's
// value, why and fix in *p.
bool JudgeInteger(int64_t value, const ColumnRule& rule, Problem* p);
bool JudgeUtf8(std::string_view text, const ColumnRule& rule, Problem* p);

// The values refused already, as rowid and column: no rule judges them again.
using RefusedValues = std::set<std::pair<int64_t, std::string>>;

// The rest of CheckTableAndRules for rows whose values were judged with
// JudgeInteger and JudgeUtf8 (their refusals in refused): each lump-sum item
// against its asset, then the rules. Returns the refusals.
size_t CheckLinksAndRules(sqlite3* db, RecordTable table, int64_t first_rowid, RefusedValues refused,
                          const ProblemSink& report);

// The whole of a store that has the schema: one package row, the selection
// and every record table, values and rules. Returns the problems reported,
// warnings not counted.
size_t CheckStore(sqlite3* db, const ProblemSink& report);

}  // namespace package
