#include "zelpkg/store_check.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <set>
#include <span>
#include <string_view>
#include <vector>

#include "package/asset_rules.h"
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

// Whether a text of that many bytes in Shift_JIS overflows the field of rule;
// why, into *p.
bool TooLong(size_t bytes, const ColumnRule& rule, Problem* p) {
  if (bytes + 1 <= rule.size) return false;
  p->why = Bytes(bytes) + " in Shift_JIS; the field holds " + Bytes(rule.size - 1u);
  p->fix = "shorten it";
  return true;
}

// Why a text column does not come through whole, into *p, or false. A BLOB
// is CP932 up to its first NUL by design; a TEXT is UTF-8 and must convert
// entirely.
bool JudgeText(sqlite3_stmt* stmt, int col, const ColumnRule& rule, Problem* p) {
  int type = sqlite3_column_type(stmt, col);
  if (type != SQLITE_TEXT && type != SQLITE_BLOB) {
    p->why = Misfit(stmt, col, rule);
    p->fix = "store a text";
    return true;
  }
  if (type == SQLITE_TEXT) {
    const char* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, col));
    return JudgeUtf8(std::string_view(text ? text : "", static_cast<size_t>(sqlite3_column_bytes(stmt, col))),
                     rule, p);
  }
  const char* bytes = static_cast<const char*>(sqlite3_column_blob(stmt, col));
  std::string_view raw(bytes ? bytes : "", bytes ? static_cast<size_t>(sqlite3_column_bytes(stmt, col)) : 0);
  raw = raw.substr(0, cp932::FieldLength(raw.data(), raw.size()));
  std::string converted(raw);
  p->value = "'" + ShownText(cp932::ToUtf8(raw)) + "'";
  if (cp932::MakeValid(converted.data(), converted.size()) > 0) {
    p->why = "its bytes are not all Shift_JIS characters";
    p->fix = "store the text as UTF-8 text or valid Shift_JIS";
    return true;
  }
  return TooLong(converted.size(), rule, p);
}

// Why column col does not fit rule, into *p, or false.
bool Judge(sqlite3_stmt* stmt, int col, const ColumnRule& rule, Problem* p) {
  if (rule.kind == FieldKind::kText) return JudgeText(stmt, col, rule, p);
  if (sqlite3_column_type(stmt, col) == SQLITE_INTEGER)
    return JudgeInteger(sqlite3_column_int64(stmt, col), rule, p);
  p->why = Misfit(stmt, col, rule);
  p->fix = "give a whole number that fits";
  return true;
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
  for (auto rules : table.rules) sql += ", " + ColumnList(rules);
  sql += std::string(" FROM ") + table.name + " WHERE rowid >= ?1 ORDER BY rowid";
  std::string why;
  Stmt stmt = Prepare(db, sql, &why);
  if (!stmt) {
    report({table.name, "", "", why, 0});
    return 1;
  }
  sqlite3_bind_int64(stmt.get(), 1, first_rowid);
  size_t problems = 0;
  int rc;
  while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
    int col = 1 + static_cast<int>(table.keys.size());
    for (auto rules : table.rules) {
      for (const ColumnRule& rule : rules) {
        Problem p;
        if (!Judge(stmt.get(), col++, rule, &p)) continue;
        ++problems;
        p.table = table.name;
        p.key = KeyOf(stmt.get(), table.keys);
        p.column = rule.column;
        p.rowid = sqlite3_column_int64(stmt.get(), 0);
        report(p);
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
    Problem p{table.name, KeyOf(stmt.get(), table.keys), "asset_seq", "",
              sqlite3_column_int64(stmt.get(), 0)};
    p.value = KeyValue(stmt.get(), 2);
    bool missing = sqlite3_column_int(stmt.get(), 4);
    p.why = missing ? "no asset of the data set has this seq"
                    : "the asset has the method code " + KeyValue(stmt.get(), 5) +
                          ", not 4 (lump-sum): the item is never read";
    p.fix =
        missing ? "give the seq of a lump-sum asset" : "give the asset method_code 4, or leave the item out";
    report(p);
  }
  return problems;
}

// A rule's finding about a row, as a problem of the store.
Problem FromFinding(const char* table, std::string key, int64_t rowid, const rules::Finding& f) {
  Problem p{table, std::move(key), f.column, f.why, rowid};
  p.value = f.value;
  p.fix = f.fix;
  p.warning = f.severity == rules::Severity::kWarn;
  return p;
}

// Whether the columns from..to of the row are all integers: a value of
// another kind is the column check's problem, and no rule judges it.
bool Integers(sqlite3_stmt* stmt, int from, int to) {
  for (int col = from; col < to; ++col)
    if (sqlite3_column_type(stmt, col) != SQLITE_INTEGER) return false;
  return true;
}

// Runs sql (rowid, the table's keys, then the values judge reads) over the
// rows of table from first_rowid on; judge reports the findings of a row
// whose values from the first after the keys are integers up to `integers`.
size_t JudgeRows(sqlite3* db, RecordTable table, const std::string& sql, int64_t first_rowid, int integers,
                 const std::function<void(sqlite3_stmt*, int, const rules::FindingSink&)>& judge,
                 const ProblemSink& report) {
  const TableColumns& columns = ColumnsOf(table);
  std::string why;
  Stmt stmt = Prepare(db, sql, &why);
  if (!stmt) {
    report({columns.name, "", "", why, 0});
    return 1;
  }
  sqlite3_bind_int64(stmt.get(), 1, first_rowid);
  const int first = 1 + static_cast<int>(columns.keys.size());
  size_t refusals = 0;
  int rc;
  while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
    if (!Integers(stmt.get(), first, first + integers)) continue;
    judge(stmt.get(), first, [&](const rules::Finding& f) {
      refusals += f.severity == rules::Severity::kRefuse;
      report(
          FromFinding(columns.name, KeyOf(stmt.get(), columns.keys), sqlite3_column_int64(stmt.get(), 0), f));
    });
  }
  if (rc != SQLITE_DONE) {
    report({columns.name, "", "", std::string("cannot be read (") + sqlite3_errmsg(db) + ")", 0});
    ++refusals;
  }
  return refusals;
}

size_t CheckAssetRules(sqlite3* db, int64_t first_rowid, const ProblemSink& report) {
  std::string sql = "SELECT a.rowid, a.data_id, a.seq";
  for (const char* column : rules::kAssetValueColumns) sql += std::string(", a.") + column;
  sql +=
      ", coalesce(d.period_end, 0),"
      " EXISTS (SELECT 1 FROM categories c WHERE c.data_id = a.data_id),"
      " EXISTS (SELECT 1 FROM categories c WHERE c.data_id = a.data_id AND c.code = a.type_code),"
      " CASE WHEN a.method_code = 4 THEN (SELECT count(*) FROM lump_items i"
      "   WHERE i.data_id = a.data_id AND i.asset_seq = a.seq) ELSE 0 END"
      " FROM assets a LEFT JOIN datasets d ON d.data_id = a.data_id WHERE a.rowid >= ?1 ORDER BY a.rowid";
  return JudgeRows(
      db, RecordTable::kAssets, sql, first_rowid, rules::kAssetValueCount,
      [](sqlite3_stmt* stmt, int col, const rules::FindingSink& sink) {
        rules::AssetFacts facts;
        for (int64_t& value : facts.values) value = sqlite3_column_int64(stmt, col++);
        facts.period_end = sqlite3_column_int64(stmt, col++);
        facts.data_set_has_categories = sqlite3_column_int(stmt, col++);
        facts.type_in_categories = sqlite3_column_int(stmt, col++);
        facts.items = sqlite3_column_int64(stmt, col);
        rules::CheckAsset(facts, sink);
      },
      report);
}

// A text column as UTF-8 (a BLOB is CP932).
std::string Utf8Column(sqlite3_stmt* stmt, int col) {
  const char* bytes = static_cast<const char*>(sqlite3_column_blob(stmt, col));
  std::string_view raw(bytes ? bytes : "", bytes ? static_cast<size_t>(sqlite3_column_bytes(stmt, col)) : 0);
  return sqlite3_column_type(stmt, col) == SQLITE_BLOB ? cp932::ToUtf8(raw) : std::string(raw);
}

// Data sets from first_rowid on: the period, and assets without categories.
size_t CheckDataSetRules(sqlite3* db, int64_t first_rowid, const ProblemSink& report) {
  return JudgeRows(
      db, RecordTable::kDataSets,
      "SELECT d.rowid, d.data_no, d.period_start, d.period_end,"
      " EXISTS (SELECT 1 FROM assets a WHERE a.data_id = d.data_id)"
      " AND NOT EXISTS (SELECT 1 FROM categories c WHERE c.data_id = d.data_id)"
      " FROM datasets d WHERE d.rowid >= ?1 ORDER BY d.rowid",
      first_rowid, 2,
      [](sqlite3_stmt* stmt, int col, const rules::FindingSink& sink) {
        rules::CheckPeriod(sqlite3_column_int64(stmt, col), sqlite3_column_int64(stmt, col + 1), sink);
        if (sqlite3_column_int(stmt, col + 2)) sink(rules::NoCategories());
      },
      report);
}

}  // namespace

size_t CheckRules(sqlite3* db, RecordTable table, int64_t first_rowid, const ProblemSink& report) {
  switch (table) {
    case RecordTable::kDataSets: return CheckDataSetRules(db, first_rowid, report);
    case RecordTable::kAssets: return CheckAssetRules(db, first_rowid, report);
    case RecordTable::kItems:
      return JudgeRows(
          db, table,
          "SELECT rowid, data_id, asset_seq, seq, acquisition_date, acquisition_cost, quantity "
          "FROM lump_items WHERE rowid >= ?1 ORDER BY rowid",
          first_rowid, 3,
          [](sqlite3_stmt* stmt, int col, const rules::FindingSink& sink) {
            rules::CheckItem({sqlite3_column_int64(stmt, col), sqlite3_column_int64(stmt, col + 1),
                              sqlite3_column_int64(stmt, col + 2)},
                             sink);
          },
          report);
    case RecordTable::kCategories:
      return JudgeRows(
          db, table,
          "SELECT rowid, data_id, seq, code, name FROM categories WHERE rowid >= ?1 ORDER BY rowid",
          first_rowid, 1,
          [](sqlite3_stmt* stmt, int col, const rules::FindingSink& sink) {
            rules::CheckCategory({sqlite3_column_int64(stmt, col), Utf8Column(stmt, col + 1)}, sink);
          },
          report);
  }
  return 0;
}

bool JudgeUtf8(std::string_view text, const ColumnRule& rule, Problem* p) {
  bool ascii =
      std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  bool lossy = false;
  std::string converted = ascii ? std::string() : cp932::FromUtf8(text, &lossy);
  if (text.find('\0') != std::string_view::npos) {
    p->why = "the text holds a NUL byte, where it would end";
    p->fix = "remove it";
  } else if (lossy) {
    p->why = "the text has characters without a Shift_JIS form";
    p->fix = "replace them";
  } else if (!TooLong(ascii ? text.size() : converted.size(), rule, p)) {
    return false;
  }
  p->value = "'" + ShownText(text) + "'";
  return true;
}

bool JudgeInteger(int64_t value, const ColumnRule& rule, Problem* p) {
  // A whole number that is no day is said as such (the record's field
  // refuses it too, but "does not fit" would not say why).
  if (rule.kind == FieldKind::kDate && value != 0 && !rules::IsCalendarDay(value)) {
    p->value = std::to_string(value);
    p->why = "not a calendar day";
    p->fix = "give a real date (YYYY-MM-DD), or 0 for none";
    return true;
  }
  if (IntegerFits(value, rule)) return false;
  p->why = IntegerMisfit(value, rule);
  p->fix = "give a whole number that fits";
  return true;
}

size_t CheckLinksAndRules(sqlite3* db, RecordTable table, int64_t first_rowid, RefusedValues refused,
                          const ProblemSink& report) {
  size_t problems =
      table != RecordTable::kItems ? 0 : CheckItemAssets(db, first_rowid, [&](const Problem& p) {
        refused.emplace(p.rowid, p.column);
        report(p);
      });
  return problems + CheckRules(db, table, first_rowid, [&](const Problem& p) {
           if (!refused.count({p.rowid, p.column})) report(p);
         });
}

size_t CheckTableAndRules(sqlite3* db, RecordTable table, int64_t first_rowid, const ProblemSink& report) {
  RefusedValues refused;
  size_t problems = CheckValues(db, ColumnsOf(table), first_rowid, [&](const Problem& p) {
    refused.emplace(p.rowid, p.column);
    report(p);
  });
  return problems + CheckLinksAndRules(db, table, first_rowid, std::move(refused), report);
}

std::string Explain(const Problem& problem) {
  return (problem.value.empty() ? "" : problem.value + ": ") + problem.why +
         (problem.fix.empty() ? "" : "; " + problem.fix);
}

std::string Describe(const Problem& problem) {
  std::string line = problem.warning ? "warning: " + problem.table : problem.table;
  if (!problem.key.empty()) line += " (" + problem.key + ")";
  if (!problem.column.empty()) line += ", column \"" + problem.column + "\"";
  return line + (line.empty() ? "" : ": ") + Explain(problem);
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
    problems += CheckTableAndRules(db, table, INT64_MIN, report);
  return problems;
}

}  // namespace package
