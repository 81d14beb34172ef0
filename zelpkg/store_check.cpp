#include "zelpkg/store_check.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "package/columns.h"
#include "package/selection.h"
#include "package/statement.h"
#include "platform/cp932.h"

namespace package {
namespace {

// A table whose rows fill records: its key columns and its rules.
struct TableColumns {
  const char* name;
  std::vector<const char*> keys;
  std::vector<std::span<const ColumnRule>> rules;
};

const TableColumns& ColumnsOf(RecordTable table) {
  static const TableColumns kTables[] = {
      {"datasets", {"data_no"}, {kDataSetColumns}},
      {"assets", {"data_id", "seq"}, {kAssetMasterColumns, kAssetYearColumns}},
      {"lump_items", {"data_id", "asset_seq", "seq"}, {kItemColumns}},
      {"categories", {"data_id", "seq"}, {kCategoryColumns}},
  };
  return kTables[static_cast<int>(table)];
}

std::string Bytes(size_t n) { return std::to_string(n) + (n == 1 ? " byte" : " bytes"); }

// Why a text column does not come through whole, or empty. A BLOB is CP932
// up to its first NUL by design; a TEXT is UTF-8 and must convert entirely.
std::string JudgeText(sqlite3_stmt* stmt, int col, const ColumnRule& rule) {
  int type = sqlite3_column_type(stmt, col);
  if (type != SQLITE_TEXT && type != SQLITE_BLOB) return Misfit(stmt, col, rule);
  const char* bytes = type == SQLITE_BLOB ? static_cast<const char*>(sqlite3_column_blob(stmt, col))
                                          : reinterpret_cast<const char*>(sqlite3_column_text(stmt, col));
  std::string_view raw(bytes ? bytes : "", bytes ? static_cast<size_t>(sqlite3_column_bytes(stmt, col)) : 0);
  std::string converted;
  std::string shown;
  if (type == SQLITE_BLOB) {
    raw = raw.substr(0, cp932::FieldLength(raw.data(), raw.size()));
    converted.assign(raw);
    shown = ShownText(cp932::ToUtf8(raw));
    if (cp932::MakeValid(converted.data(), converted.size()) > 0)
      return "the bytes of '" + shown + "' are not all Shift_JIS characters";
  } else {
    shown = ShownText(raw);
    if (raw.find('\0') != std::string_view::npos)
      return "the text '" + shown + "' holds a NUL byte, where it would end";
    bool ascii =
        std::all_of(raw.begin(), raw.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    bool lossy = false;
    converted = ascii ? std::string(raw) : cp932::FromUtf8(raw, &lossy);
    if (lossy) return "the text '" + shown + "' has characters without a Shift_JIS form";
  }
  if (converted.size() + 1 > rule.size)
    return "'" + shown + "' is " + Bytes(converted.size()) + " in Shift_JIS; the field holds " +
           Bytes(rule.size - 1u);
  return std::string();
}

// Why column col does not fit rule, or empty; scratch is a record buffer.
std::string Judge(sqlite3_stmt* stmt, int col, const ColumnRule& rule, uint8_t* scratch) {
  if (rule.kind == FieldKind::kText) return JudgeText(stmt, col, rule);
  if (!FillField(stmt, col, rule, scratch)) return Misfit(stmt, col, rule);
  return std::string();
}

// A key column's value as it reads in a message.
std::string KeyValue(sqlite3_stmt* stmt, int col) {
  switch (sqlite3_column_type(stmt, col)) {
    case SQLITE_NULL: return "NULL";
    case SQLITE_INTEGER: return std::to_string(sqlite3_column_int64(stmt, col));
    case SQLITE_FLOAT: {
      char number[40];
      std::snprintf(number, sizeof number, "%.17g", sqlite3_column_double(stmt, col));
      return number;
    }
    case SQLITE_BLOB: {
      const char* bytes = static_cast<const char*>(sqlite3_column_blob(stmt, col));
      size_t size = static_cast<size_t>(sqlite3_column_bytes(stmt, col));
      return ShownText(cp932::ToUtf8(std::string_view(bytes ? bytes : "", bytes ? size : 0)));
    }
    default: {
      const char* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, col));
      return ShownText(
          std::string_view(text ? text : "", static_cast<size_t>(sqlite3_column_bytes(stmt, col))));
    }
  }
}

// "data_id D0001, seq 12" from the key columns that follow the rowid.
std::string KeyOf(sqlite3_stmt* stmt, const std::vector<const char*>& keys) {
  std::string key;
  for (size_t i = 0; i < keys.size(); ++i)
    key += (i ? ", " : "") + std::string(keys[i]) + " " + KeyValue(stmt, static_cast<int>(i) + 1);
  return key;
}

size_t CheckValues(sqlite3* db, const TableColumns& table, int64_t first_rowid, const ProblemSink& report) {
  std::string sql = "SELECT rowid";
  for (const char* key : table.keys) sql += std::string(", ") + key;
  size_t record_size = 0;
  for (auto rules : table.rules) {
    sql += ", " + ColumnList(rules);
    for (const ColumnRule& rule : rules) record_size = std::max<size_t>(record_size, rule.offset + rule.size);
  }
  sql += std::string(" FROM ") + table.name + " WHERE rowid >= ?1 ORDER BY rowid";
  std::string why;
  Stmt stmt = Prepare(db, sql, &why);
  if (!stmt) {
    report({table.name, "", "", why, 0});
    return 1;
  }
  sqlite3_bind_int64(stmt.get(), 1, first_rowid);
  std::vector<uint8_t> scratch(record_size);
  size_t problems = 0;
  int rc;
  while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
    int col = 1 + static_cast<int>(table.keys.size());
    for (auto rules : table.rules) {
      for (const ColumnRule& rule : rules) {
        std::string misfit = Judge(stmt.get(), col++, rule, scratch.data());
        if (misfit.empty()) continue;
        ++problems;
        report({table.name, KeyOf(stmt.get(), table.keys), rule.column, misfit,
                sqlite3_column_int64(stmt.get(), 0)});
      }
    }
  }
  if (rc != SQLITE_DONE) {
    report({table.name, "", "", std::string("cannot be read (") + sqlite3_errmsg(db) + ")", 0});
    ++problems;
  }
  return problems;
}

// Items whose asset is missing or is no lump-sum asset: the component never
// reads them.
size_t CheckItemAssets(sqlite3* db, int64_t first_rowid, const ProblemSink& report) {
  std::string why;
  Stmt stmt = Prepare(db,
                      "SELECT i.rowid, i.data_id, i.asset_seq, i.seq, a.rowid IS NULL, a.method_code "
                      "FROM lump_items i LEFT JOIN assets a ON a.data_id = i.data_id AND a.seq = i.asset_seq "
                      "WHERE i.rowid >= ?1 AND (a.rowid IS NULL OR a.method_code IS NOT 4) ORDER BY i.rowid",
                      &why);
  if (!stmt) {
    report({"lump_items", "", "", why, 0});
    return 1;
  }
  sqlite3_bind_int64(stmt.get(), 1, first_rowid);
  const TableColumns& table = ColumnsOf(RecordTable::kItems);
  size_t problems = 0;
  while (sqlite3_step(stmt.get()) == SQLITE_ROW) {
    ++problems;
    std::string seq = KeyValue(stmt.get(), 2);
    std::string misfit = sqlite3_column_int(stmt.get(), 4)
                             ? "no asset of the data set has seq " + seq
                             : "asset " + seq + " has the method code " + KeyValue(stmt.get(), 5) +
                                   ", not 4 (lump-sum): the item is never read";
    report({table.name, KeyOf(stmt.get(), table.keys), "asset_seq", misfit,
            sqlite3_column_int64(stmt.get(), 0)});
  }
  return problems;
}

}  // namespace

std::string Describe(const Problem& problem) {
  std::string line = problem.table;
  if (!problem.key.empty()) line += " (" + problem.key + ")";
  if (!problem.column.empty()) line += ", column " + problem.column;
  return line + (line.empty() ? "" : ": ") + problem.why;
}

size_t CheckTable(sqlite3* db, RecordTable table, int64_t first_rowid, const ProblemSink& report) {
  size_t problems = CheckValues(db, ColumnsOf(table), first_rowid, report);
  if (table == RecordTable::kItems) problems += CheckItemAssets(db, first_rowid, report);
  return problems;
}

size_t CheckStore(sqlite3* db, const ProblemSink& report) {
  size_t problems = 0;
  std::string why;
  Stmt stmt = Prepare(db, "SELECT count(*) FROM package", &why);
  int64_t rows = stmt && sqlite3_step(stmt.get()) == SQLITE_ROW ? sqlite3_column_int64(stmt.get(), 0) : -1;
  if (rows != 1) {
    ++problems;
    report({"package", "", "",
            rows < 0 ? why : "holds " + std::to_string(rows) + " rows; the package has exactly one", 0});
  }
  if (!CheckSelection(db, nullptr, &why)) {
    ++problems;
    report({"", "", "", why, 0});
  }
  for (RecordTable table :
       {RecordTable::kDataSets, RecordTable::kAssets, RecordTable::kItems, RecordTable::kCategories})
    problems += CheckTable(db, table, INT64_MIN, report);
  return problems;
}

}  // namespace package
