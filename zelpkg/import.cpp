#include "zelpkg/import.h"

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <span>
#include <string_view>
#include <thread>
#include <unordered_set>
#include <utility>

#include "package/asset_rules.h"
#include "package/columns.h"
#include "package/read_ahead.h"
#include "package/selection.h"
#include "package/statement.h"
#include "package/store.h"
#include "platform/cp932.h"
#include "zelpkg/csv.h"
#include "zelpkg/store_check.h"

namespace package {

const char kDefaultUser[] = "user01";

namespace {

constexpr size_t kMostErrors = 100;

struct ValueFreer {
  void operator()(sqlite3_value* value) const { sqlite3_value_free(value); }
};
using Value = std::unique_ptr<sqlite3_value, ValueFreer>;

// The problems of an import, the first kMostErrors of them kept.
class Errors {
 public:
  explicit Errors(std::vector<std::string>* lines) : lines_(lines) {}
  void Add(const std::string& line) {
    if (count_++ < kMostErrors) lines_->push_back(line);
  }
  size_t count() const { return count_; }
  // Whether a problem added now is only counted: its line need not be made.
  bool full() const { return count_ >= kMostErrors; }
  void Count(size_t problems) { count_ += problems; }
  void Close() {
    if (count_ > kMostErrors) lines_->push_back("... and " + std::to_string(count_ - kMostErrors) + " more");
  }

 private:
  std::vector<std::string>* lines_;
  size_t count_ = 0;
};

// How a CSV field becomes a store value.
enum class ValueKind { kDataId, kInteger, kAmount, kDate, kText };

struct ImportColumn {
  const char* name;
  ValueKind kind;
  const ColumnRule* rule = nullptr;  // what a check asks of the stored value; null for the keys
};

// A table that a CSV file fills: its columns in INSERT order, and the
// columns a file must have (asset_rules.h).
struct CsvTable {
  RecordTable table;
  const char* name;
  std::span<const char* const> required;
  std::vector<ImportColumn> columns;
};

ValueKind KindOf(FieldKind kind) {
  switch (kind) {
    case FieldKind::kText: return ValueKind::kText;
    case FieldKind::kDate: return ValueKind::kDate;
    case FieldKind::kAmount:
    case FieldKind::kAmount7: return ValueKind::kAmount;
    default: return ValueKind::kInteger;
  }
}

CsvTable MakeTable(RecordTable table, const char* name, std::span<const char* const> required,
                   std::vector<ImportColumn> keys,
                   std::initializer_list<std::span<const ColumnRule>> rule_sets) {
  CsvTable csv_table{table, name, required, {{"data_id", ValueKind::kDataId}}};
  csv_table.columns.insert(csv_table.columns.end(), keys.begin(), keys.end());
  for (auto rules : rule_sets)
    for (const ColumnRule& rule : rules) csv_table.columns.push_back({rule.column, KindOf(rule.kind), &rule});
  return csv_table;
}

const CsvTable& AssetTable() {
  static const CsvTable csv_table = MakeTable(RecordTable::kAssets, "assets", rules::kRequiredAssetColumns,
                                              {}, {kAssetMasterColumns, kAssetYearColumns});
  return csv_table;
}
const CsvTable& ItemTable() {
  static const CsvTable csv_table =
      MakeTable(RecordTable::kItems, "lump_items", rules::kRequiredItemColumns,
                {{"asset_seq", ValueKind::kInteger}, {"seq", ValueKind::kInteger}}, {kItemColumns});
  return csv_table;
}
const CsvTable& CategoryTable() {
  static const CsvTable csv_table =
      MakeTable(RecordTable::kCategories, "categories", rules::kRequiredCategoryColumns,
                {{"seq", ValueKind::kInteger}}, {kCategoryColumns});
  return csv_table;
}

std::string Quoted(std::string_view text) { return "'" + ShownText(text) + "'"; }

// A text column's bytes as they are stored (TEXT or BLOB).
std::string ColumnText(sqlite3_stmt* stmt, int col) {
  const char* bytes = static_cast<const char*>(sqlite3_column_blob(stmt, col));
  return std::string(bytes ? bytes : "", bytes ? static_cast<size_t>(sqlite3_column_bytes(stmt, col)) : 0);
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

bool AllDigits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The parsers: the empty text is 0. Each gives why a text of another form
// does not parse and what to do ("WHY; FIX"), or the empty text.
std::string ParseInteger(std::string_view text, int64_t* value) {
  std::string_view trimmed = Trim(text);
  *value = 0;
  if (trimmed.empty()) return std::string();
  const bool negative = trimmed[0] == '-';
  std::string_view digits = trimmed.substr(trimmed[0] == '-' || trimmed[0] == '+' ? 1 : 0);
  if (!AllDigits(digits)) return "not a whole number; give digits only";
  // The magnitude, which may reach 2^63 for the least number.
  uint64_t magnitude = 0;
  bool overflow = false;
  for (char c : digits)
    overflow = overflow || __builtin_mul_overflow(magnitude, 10, &magnitude) ||
               __builtin_add_overflow(magnitude, static_cast<uint64_t>(c - '0'), &magnitude);
  if (overflow || magnitude > static_cast<uint64_t>(INT64_MAX) + (negative ? 1 : 0))
    return "beyond the numbers a store holds (64 bits); give a smaller number";
  *value = static_cast<int64_t>(negative ? 0 - magnitude : magnitude);
  return std::string();
}

// The digits of a whole number of yen written with thousands separators
// ("1,200,000", as a spreadsheet saves a formatted cell) into *digits;
// false when a separator is out of place.
bool Ungroup(std::string_view whole, std::string* digits) {
  digits->clear();
  size_t group = 0;
  bool first = true;
  for (size_t i = 0; i <= whole.size(); ++i) {
    if (i == whole.size() || whole[i] == ',') {
      if (group == 0 || group > 3 || (!first && group != 3)) return false;
      first = false;
      group = 0;
      continue;
    }
    digits->push_back(whole[i]);
    ++group;
  }
  return true;
}

// Yen with up to four decimals, in ten-thousandths; thousands separators
// are read where they stand every three digits.
std::string ParseAmount(std::string_view text, int64_t* value) {
  std::string_view number = Trim(text);
  *value = 0;
  if (number.empty()) return std::string();
  bool negative = number[0] == '-';
  if (number[0] == '-' || number[0] == '+') number.remove_prefix(1);
  size_t point = number.find('.');
  std::string_view whole = number.substr(0, point);
  std::string ungrouped;
  if (whole.find(',') != std::string_view::npos) {
    if (!Ungroup(whole, &ungrouped) || !AllDigits(ungrouped))
      return "thousands separators out of place; remove the separators";
    whole = ungrouped;
  }
  std::string_view decimals = point == std::string_view::npos ? std::string_view() : number.substr(point + 1);
  if (!AllDigits(whole) || (point != std::string_view::npos && (!AllDigits(decimals) || decimals.size() > 4)))
    return "not an amount in yen; give digits with up to four decimals, e.g. 1200000 or 1200000.5";
  int64_t v = 0;
  bool overflow = false;
  for (char c : whole)
    overflow = overflow || __builtin_mul_overflow(v, 10, &v) || __builtin_add_overflow(v, c - '0', &v);
  int64_t fraction = 0;
  for (size_t i = 0; i < 4; ++i) fraction = fraction * 10 + (i < decimals.size() ? decimals[i] - '0' : 0);
  if (overflow || __builtin_mul_overflow(v, 10000, &v) || __builtin_add_overflow(v, fraction, &v))
    return "beyond the amounts a store holds; give a smaller amount";
  *value = negative ? -v : v;
  return std::string();
}

// YYYY-MM-DD or YYYYMMDD as the integer yyyymmdd; "0" for none. Whether it
// is a calendar day is the check's to say.
std::string ParseDate(std::string_view text, int64_t* value) {
  std::string_view trimmed = Trim(text);
  *value = 0;
  if (trimmed.empty() || trimmed == "0") return std::string();
  const bool dashed = trimmed.size() == 10 && trimmed[4] == '-' && trimmed[7] == '-';
  if (!dashed && (trimmed.size() != 8 || !AllDigits(trimmed)))
    return "not a date; give YYYY-MM-DD or YYYYMMDD";
  int64_t date = 0;
  for (size_t i = 0; i < trimmed.size(); ++i) {
    if (dashed && (i == 4 || i == 7)) continue;
    if (trimmed[i] < '0' || trimmed[i] > '9') return "not a date; give YYYY-MM-DD or YYYYMMDD";
    date = date * 10 + (trimmed[i] - '0');
  }
  *value = date;
  return std::string();
}

// "FILE:LINE: column "NAME": " before what is said of a value.
std::string At(const std::string& file, long line, std::string_view column) {
  return file + ":" + std::to_string(line) + ": column \"" + std::string(column) + "\": ";
}

bool Exec(sqlite3* db, const char* sql) {
  return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

Stmt Prepare(sqlite3* db, const std::string& sql, Errors* errors) {
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
    errors->Add(std::string("the store: ") + sqlite3_errmsg(db));
    sqlite3_finalize(stmt);
    return nullptr;
  }
  return Stmt(stmt);
}

int64_t QueryNumber(sqlite3_stmt* stmt) {
  int64_t value = sqlite3_step(stmt) == SQLITE_ROW ? sqlite3_column_int64(stmt, 0) : 0;
  sqlite3_reset(stmt);
  return value;
}

// The data set imported into: its number and its data_id as the store
// holds it (TEXT or BLOB), which every imported row takes.
struct Target {
  int64_t data_no = 0;
  Value data_id;
  std::string shown;       // UTF-8, for messages
  int64_t period_end = 0;  // of the data set, for the rules of its assets
};

// The rows one file added: rowid and line, rising, so that a problem the
// check finds in a row can name where the row came from.
struct Imported {
  std::string file;
  RecordTable table;
  int64_t first_rowid = 0;
  std::vector<std::pair<int64_t, long>> lines;
  bool read = false;  // its text and header were read
  // The values a check of the stored rows would refuse, judged as they were
  // bound: the first kMostErrors of them, how many in all, and where.
  std::vector<Problem> refusals;
  size_t refusal_count = 0;
  RefusedValues refused;
  // Assets: the rules judged as each row was bound, with what the other
  // files bring (categories, items) left out: whether they refused a value,
  // the warnings (the first kMostErrors of them, how many in all), and what
  // the categories and items must hold for the rest to pass.
  bool rules_refused = false;
  std::vector<Problem> warnings;
  size_t warning_count = 0;
  std::set<int64_t> type_codes;
  std::vector<int64_t> lump_seqs;
};

// The column of each value the asset rules read, in csv_table.
std::vector<int> AssetValuePositions(const CsvTable& csv_table) {
  std::vector<int> at;
  for (const char* name : rules::kAssetValueColumns)
    for (size_t c = 0; c < csv_table.columns.size(); ++c)
      if (std::string_view(csv_table.columns[c].name) == name) at.push_back(static_cast<int>(c));
  return at;
}

// The seq a row without one takes: on from the data set's last (per asset
// for items).
class SeqCounter {
 public:
  SeqCounter(sqlite3* db, const CsvTable& csv_table, const Target& target, Errors* errors) {
    bool items = csv_table.table == RecordTable::kItems;
    last_ = Prepare(db,
                    std::string("SELECT coalesce(max(seq), 0) FROM ") + csv_table.name +
                        " WHERE data_id = ?1" + (items ? " AND asset_seq = ?2" : ""),
                    errors);
    if (last_) sqlite3_bind_value(last_.get(), 1, target.data_id.get());
  }
  bool ok() const { return last_ != nullptr; }
  // The next seq into *seq; false when the last seq is the greatest a store
  // holds, and none is left to number on with.
  bool Next(int64_t parent, int64_t* seq) {
    auto it = next_.find(parent);
    if (it == next_.end()) {
      sqlite3_bind_int64(last_.get(), 2, parent);
      it = next_.emplace(parent, QueryNumber(last_.get())).first;
    }
    if (it->second == INT64_MAX) return false;
    *seq = ++it->second;
    return true;
  }

 private:
  Stmt last_;
  std::map<int64_t, int64_t> next_;  // the last seq given, per parent
};

// Where each column of csv_table stands in a record of the file (-1 for a
// missing column), from its header; false after saying what is wrong.
bool MapHeader(const std::vector<std::string>& header, const CsvTable& csv_table, const std::string& file,
               long line, Errors* errors, std::vector<int>* at) {
  size_t before = errors->count();
  at->assign(csv_table.columns.size(), -1);
  for (size_t i = 0; i < header.size(); ++i) {
    auto column = std::find_if(csv_table.columns.begin(), csv_table.columns.end(),
                               [&](const ImportColumn& c) { return header[i] == c.name; });
    size_t c = static_cast<size_t>(column - csv_table.columns.begin());
    if (column == csv_table.columns.end())
      errors->Add(At(file, line, ShownText(header[i])) + "not a column of " + csv_table.name +
                  "; rename it to a column of zelpkg schema, or remove it");
    else if ((*at)[c] >= 0)
      errors->Add(At(file, line, column->name) + "named twice; keep one");
    else
      (*at)[c] = static_cast<int>(i);
  }
  for (size_t c = 0; c < csv_table.columns.size(); ++c)
    for (const char* required : csv_table.required)
      if ((*at)[c] < 0 && std::string_view(csv_table.columns[c].name) == required)
        errors->Add(At(file, line, required) + "missing: every row of " + csv_table.name +
                    " needs it for the export; add the column to the header");
  return errors->count() == before;
}

// Parses field as a value of kind into *number (the data_id and texts are
// bound as they stand); why it does not parse, or empty. A value that does
// not parse is stored as its default, so that the check still sees the rest
// of the row.
std::string ParseField(ValueKind kind, const std::string& field, const Target& target, int64_t* number) {
  *number = 0;
  switch (kind) {
    case ValueKind::kDataId:
      if (!field.empty() && field != target.shown)
        return "not the data set imported into (" + target.shown + "); leave the column empty or out";
      return std::string();
    case ValueKind::kText: return std::string();
    case ValueKind::kInteger: return ParseInteger(field, number);
    case ValueKind::kAmount: return ParseAmount(field, number);
    case ValueKind::kDate: return ParseDate(field, number);
  }
  return std::string();
}

// A record of a file, read and its values parsed and judged: all that
// needs no store, done on the reading thread.
struct ParsedRow {
  long line = 0;
  std::vector<std::string> fields;
  std::string unread;                // why the record cannot be stored, or empty
  std::vector<int64_t> numbers;      // per column of the table, as it will be stored
  std::vector<std::string> misfits;  // the values that did not parse, said in column order
  bool renumber = false;             // the seq is missing or did not parse
  std::vector<Problem> refusals;     // values a check of the stored row would refuse
  // An asset's rules (but for what categories and items will say),
  // counted: whether they refuse a value, and how many warnings they give.
  bool rules_refused = false;
  size_t warnings = 0;
};

// Reads the records of a file (after its header) and parses them ahead, on
// a thread of its own, while the calling thread stores the rows before
// them: the two cores share a long import. Rows pass in batches through a
// ring; a batch goes back to the reading thread once the caller is done
// with it, and keeps its storage.
class RowReader {
 public:
  using Parse = std::function<void(ParsedRow*)>;
  RowReader(CsvReader* csv, Parse parse) : csv_(csv), parse_(std::move(parse)) {
    thread_ = std::thread([this] { Run(); });
  }
  ~RowReader() {
    {
      Locked<Mutex> hold(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }
  RowReader(const RowReader&) = delete;
  RowReader& operator=(const RowReader&) = delete;

  // The next row, null at the end of the file. The row stays the caller's
  // until the next call.
  ParsedRow* Next() {
    if (taken_ > 0 && taken_ % kRows == 0) Give(taken_ / kRows - 1);
    const long batch = taken_ / kRows;
    Batch& b = batches_[batch % kBatches];
    if (taken_ % kRows == 0) {
      Locked<Mutex> hold(mutex_);
      while (read_ <= batch) mutex_.Wait(changed_);
    }
    if (static_cast<size_t>(taken_ % kRows) >= b.count) return nullptr;
    return &b.rows[static_cast<size_t>(taken_++ % kRows)];
  }

 private:
  static constexpr long kRows = 512, kBatches = 4;
  struct Batch {
    std::vector<ParsedRow> rows = std::vector<ParsedRow>(kRows);
    size_t count = 0;  // rows in use; fewer than kRows at the end of the file
  };

  // Hands batch back to the reading thread.
  void Give(long batch) {
    {
      Locked<Mutex> hold(mutex_);
      given_ = batch + 1;
    }
    changed_.notify_all();
  }

  void Run() {
    for (long batch = 0;; ++batch) {
      {
        Locked<Mutex> hold(mutex_);
        while (!stop_ && batch - given_ >= kBatches) mutex_.Wait(changed_);
        if (stop_) return;
      }
      // Batches [given_, read_) are the caller's; this one is the reader's.
      Batch& b = batches_[batch % kBatches];
      b.count = 0;
      std::string why;
      while (b.count < kRows) {
        ParsedRow& row = b.rows[b.count];
        if (!csv_->Next(&row.fields, &row.line, &why)) break;
        row.unread = why;
        if (row.unread.empty() && row.fields.size() == 1 && row.fields[0].empty()) continue;  // a blank line
        if (row.unread.empty()) parse_(&row);
        ++b.count;
      }
      const bool end = b.count < kRows;
      {
        Locked<Mutex> hold(mutex_);
        read_ = batch + 1;
      }
      changed_.notify_all();
      if (end) return;
    }
  }

  CsvReader* csv_;
  Parse parse_;
  Batch batches_[kBatches];
  long taken_ = 0;  // the caller's: rows taken
  Mutex mutex_;
  std::condition_variable changed_;
  long read_ GUARDED_BY(mutex_) = 0;   // batches [0, read_) are read
  long given_ GUARDED_BY(mutex_) = 0;  // batches [0, given_) are given back
  bool stop_ GUARDED_BY(mutex_) = false;
  std::thread thread_;
};

// Reads one file into its table. False only when the store fails; problems
// of the file go to errors.
bool ImportFile(sqlite3* db, const std::string& file, Encoding encoding, const CsvTable& csv_table,
                const Target& target, Errors* errors, Imported* imported) {
  imported->file = file;
  imported->table = csv_table.table;
  CsvReader csv;
  std::string why;
  long line = 0;
  if (!csv.Open(file, encoding, &why, &line)) {
    errors->Add(file + (line > 0 ? ":" + std::to_string(line) : std::string()) + ": " + why);
    return true;
  }
  std::vector<std::string> fields;
  if (!csv.Next(&fields, &line, &why) || !why.empty()) {
    errors->Add(file + ": " + (why.empty() ? "empty; a header of column names comes first" : why));
    return true;
  }
  std::vector<int> at;
  if (!MapHeader(fields, csv_table, file, line, errors, &at)) return true;
  imported->read = true;
  const size_t header_size = fields.size();

  std::string sql = std::string("SELECT coalesce(max(rowid), 0) + 1 FROM ") + csv_table.name;
  Stmt first = Prepare(db, sql, errors);
  if (!first) return false;
  imported->first_rowid = QueryNumber(first.get());
  sql = std::string("INSERT INTO ") + csv_table.name + " (";
  std::string values;
  for (size_t c = 0; c < csv_table.columns.size(); ++c) {
    sql += (c ? ", " : "") + std::string(csv_table.columns[c].name);
    values += (c ? ", ?" : "?") + std::to_string(c + 1);
  }
  Stmt insert = Prepare(db, sql + ") VALUES (" + values + ")", errors);
  SeqCounter seqs(db, csv_table, target, errors);
  if (!insert || !seqs.ok()) return false;
  sqlite3_stmt* s = insert.get();
  // The seq and asset_seq columns, for numbering and messages.
  auto position = [&](const char* name) {
    for (size_t c = 0; c < csv_table.columns.size(); ++c)
      if (std::string_view(csv_table.columns[c].name) == name) return static_cast<int>(c);
    return -1;
  };
  const int seq_column = position("seq"), parent_column = position("asset_seq");
  const size_t columns = csv_table.columns.size();
  static const std::string kMissing;
  auto field_of = [&](const ParsedRow& row, size_t c) -> const std::string& {
    return at[c] >= 0 ? row.fields[static_cast<size_t>(at[c])] : kMissing;
  };

  const bool assets = csv_table.table == RecordTable::kAssets;
  const std::vector<int> value_at = assets ? AssetValuePositions(csv_table) : std::vector<int>();
  // What the asset rules read of a row, but for what the categories and
  // items will say.
  auto facts_of = [&](const ParsedRow& row) {
    rules::AssetFacts facts;
    for (int v = 0; v < rules::kAssetValueCount; ++v)
      facts.values[v] = row.numbers[static_cast<size_t>(value_at[v])];
    facts.period_end = target.period_end;
    facts.items = 1;
    return facts;
  };

  // On the reading thread: each value parsed and judged as the check of a
  // store judges the value stored, here rather than in another pass over
  // the table, and the asset rules counted.
  RowReader rows(&csv, [&](ParsedRow* row) {
    row->misfits.clear();
    row->refusals.clear();
    row->renumber = false;
    if (row->fields.size() != header_size) {
      row->unread = std::to_string(row->fields.size()) + " fields; the header has " +
                    std::to_string(header_size) + "; quote a text that holds a comma";
      return;
    }
    row->numbers.resize(columns);
    Problem refusal;
    for (size_t c = 0; c < columns; ++c) {
      const std::string& field = field_of(*row, c);
      int64_t& number = row->numbers[c];
      std::string misfit = ParseField(csv_table.columns[c].kind, field, target, &number);
      // A row without its seq (or with one that did not parse) is numbered
      // on as it is stored.
      if (static_cast<int>(c) == seq_column) row->renumber = !misfit.empty() || Trim(field).empty();
      if (!misfit.empty())
        row->misfits.push_back(At(file, row->line, csv_table.columns[c].name) + Quoted(field) + ": " +
                               misfit);
      const ColumnRule* rule = csv_table.columns[c].rule;
      if (rule && (rule->kind == FieldKind::kText ? JudgeUtf8(field, *rule, &refusal)
                                                  : JudgeInteger(number, *rule, &refusal))) {
        refusal.column = rule->column;
        row->refusals.push_back(std::exchange(refusal, Problem()));
      }
    }
    row->rules_refused = false;
    row->warnings = 0;
    if (assets)
      rules::CheckAsset(
          facts_of(*row),
          [&](const rules::Finding& f) {
            if (f.severity == rules::Severity::kRefuse)
              row->rules_refused = true;
            else
              ++row->warnings;
          },
          /*texts=*/false);
  });
  // Rows whose seq the data set holds already: said once, with the hint.
  long taken = 0, first_taken_line = 0;
  int64_t first_taken_seq = 0;
  while (ParsedRow* row = rows.Next()) {
    line = row->line;
    if (!row->unread.empty()) {
      errors->Add(file + ":" + std::to_string(line) + ": " + row->unread);
      continue;
    }
    for (const std::string& misfit : row->misfits) errors->Add(misfit);
    std::vector<int64_t>& numbers = row->numbers;
    const int64_t parent = parent_column >= 0 ? numbers[static_cast<size_t>(parent_column)] : 0;
    int64_t& seq = numbers[static_cast<size_t>(seq_column)];
    if (row->renumber && !seqs.Next(parent, &seq)) {
      errors->Add(At(file, line, "seq") + "(none): the last seq is " + std::to_string(INT64_MAX) +
                  ", and no seq is left to number on with; give each row its seq");
      continue;
    }
    for (size_t c = 0; c < columns; ++c) {
      const int n = static_cast<int>(c) + 1;
      switch (csv_table.columns[c].kind) {
        case ValueKind::kDataId: sqlite3_bind_value(s, n, target.data_id.get()); break;
        case ValueKind::kText: {
          // The reader made the whole file UTF-8.
          const std::string& field = field_of(*row, c);
          sqlite3_bind_text(s, n, field.data(), static_cast<int>(field.size()), SQLITE_STATIC);
          break;
        }
        default: sqlite3_bind_int64(s, n, numbers[c]);
      }
    }
    // A row with a value that did not parse is written still (that value
    // left at its default), so that the check finds the row's other
    // problems too; the import is rolled back in the end.
    int rc = sqlite3_step(s);
    sqlite3_reset(s);
    if (rc == SQLITE_CONSTRAINT) {
      if (taken++ == 0) {
        first_taken_line = line;
        first_taken_seq = seq;
      }
      continue;
    }
    if (rc != SQLITE_DONE) {
      errors->Add(file + ":" + std::to_string(line) + ": the store: " + sqlite3_errmsg(db));
      return false;
    }
    const int64_t rowid = sqlite3_last_insert_rowid(db);
    imported->lines.emplace_back(rowid, line);
    // The row's key as the check of a store names it.
    auto key = [&] {
      return "data_id " + ShownText(target.shown) +
             (parent_column >= 0 ? ", asset_seq " + std::to_string(parent) : "") + ", seq " +
             std::to_string(seq);
    };
    for (Problem& p : row->refusals) {
      p.table = csv_table.name;
      p.key = key();
      p.rowid = rowid;
      imported->refused.emplace(rowid, p.column);
      if (imported->refusal_count++ < kMostErrors) imported->refusals.push_back(std::move(p));
    }
    if (!assets) continue;
    // The asset rules as counted, or, while warnings are kept, with the
    // texts of their findings.
    const rules::AssetFacts facts = facts_of(*row);
    if (imported->warning_count >= kMostErrors) {
      imported->rules_refused = imported->rules_refused || row->rules_refused;
      imported->warning_count += row->warnings;
    } else {
      rules::CheckAsset(facts, [&](const rules::Finding& f) {
        if (f.severity == rules::Severity::kRefuse) {
          imported->rules_refused = true;
        } else if (imported->warning_count++ < kMostErrors) {
          Problem p{csv_table.name, key(), f.column, f.why, rowid};
          p.value = f.value;
          p.fix = f.fix;
          p.warning = true;
          imported->warnings.push_back(std::move(p));
        }
      });
    }
    imported->type_codes.insert(facts.values[rules::kTypeCode]);
    if (facts.values[rules::kMethodCode] == 4) imported->lump_seqs.push_back(seq);
  }
  if (taken > 0)
    errors->Add(At(file, first_taken_line, "seq") + std::to_string(first_taken_seq) + ": the data set " +
                target.shown + " has this seq already" +
                (taken > 1 ? ", and " + std::to_string(taken - 1) + " more rows of the file theirs" : "") +
                "; to import the file in place of what the data set holds, add --replace");
  return true;
}

// Assets of the file whose codes the data set held before: a register
// imported again. Said once, with the hint (and *again set); false when the
// store fails. The codes held before are gathered first, so that the file's
// rows are each looked up once.
bool CheckReimport(sqlite3* db, const Imported& imported, const Target& target, Errors* errors, bool* again) {
  Stmt held = Prepare(db, "SELECT code FROM assets WHERE data_id = ?1 AND rowid < ?2", errors);
  Stmt added = Prepare(db, "SELECT rowid, code FROM assets WHERE rowid >= ?1 ORDER BY rowid", errors);
  if (!held || !added) return false;
  sqlite3_bind_value(held.get(), 1, target.data_id.get());
  sqlite3_bind_int64(held.get(), 2, imported.first_rowid);
  std::unordered_set<std::string> codes;
  while (sqlite3_step(held.get()) == SQLITE_ROW) codes.insert(ColumnText(held.get(), 0));
  if (codes.empty()) return true;
  sqlite3_bind_int64(added.get(), 1, imported.first_rowid);
  int64_t first_rowid = 0, count = 0;
  std::string first_code;
  while (sqlite3_step(added.get()) == SQLITE_ROW) {
    std::string code = ColumnText(added.get(), 1);
    if (!codes.count(code) || count++ > 0) continue;
    first_rowid = sqlite3_column_int64(added.get(), 0);
    first_code = code;
  }
  if (count == 0) return true;
  *again = true;
  auto it = std::lower_bound(imported.lines.begin(), imported.lines.end(), std::make_pair(first_rowid, 0L));
  errors->Add(At(imported.file, it == imported.lines.end() ? 0 : it->second, "code") + Quoted(first_code) +
              ": the data set " + target.shown + " holds an asset of this code already" +
              (count > 1 ? ", and " + std::to_string(count - 1) + " more of the file's codes" : "") +
              "; to import the register again in place of what the data set holds, add --replace");
  return true;
}

// Whether the rows of an asset file pass the rules with what the data set
// holds after the import: nothing refused as the rows were bound, every type
// code a category's (when the data set has categories), every lump-sum asset
// with an item. Then the warnings found as the rows were bound are all the
// rules say of them; else the rules are run over the stored rows.
bool RulesPassed(sqlite3* db, const Imported& imported, const Target& target) {
  if (imported.table != RecordTable::kAssets || imported.rules_refused || !imported.refused.empty())
    return false;
  std::string why;
  Stmt any = package::Prepare(db, "SELECT EXISTS (SELECT 1 FROM categories WHERE data_id = ?1)", &why);
  Stmt code =
      package::Prepare(db, "SELECT EXISTS (SELECT 1 FROM categories WHERE data_id = ?1 AND code = ?2)", &why);
  Stmt items = package::Prepare(db, "SELECT asset_seq FROM lump_items WHERE data_id = ?1", &why);
  if (!any || !code || !items) return false;
  sqlite3_bind_value(any.get(), 1, target.data_id.get());
  sqlite3_bind_value(code.get(), 1, target.data_id.get());
  sqlite3_bind_value(items.get(), 1, target.data_id.get());
  if (QueryNumber(any.get()) != 0)
    for (int64_t type : imported.type_codes) {
      sqlite3_bind_int64(code.get(), 2, type);
      if (QueryNumber(code.get()) == 0) return false;
    }
  if (imported.lump_seqs.empty()) return true;
  std::vector<int64_t> with_items;
  while (sqlite3_step(items.get()) == SQLITE_ROW)
    if (sqlite3_column_type(items.get(), 0) == SQLITE_INTEGER)
      with_items.push_back(sqlite3_column_int64(items.get(), 0));
  std::sort(with_items.begin(), with_items.end());
  return std::all_of(imported.lump_seqs.begin(), imported.lump_seqs.end(), [&](int64_t seq) {
    return std::binary_search(with_items.begin(), with_items.end(), seq);
  });
}

// The line a problem's row came from, as "FILE:LINE: column "NAME": VALUE:
// WHY; FIX".
std::string Locate(const Imported& imported, const Problem& problem) {
  auto it = std::lower_bound(imported.lines.begin(), imported.lines.end(), std::make_pair(problem.rowid, 0L));
  if (it == imported.lines.end() || it->first != problem.rowid)
    return imported.file + ": " + Describe(problem);
  return At(imported.file, it->second, problem.column) + Explain(problem);
}

// Finds, makes or remakes the data set. False with the problem in errors.
bool FindTarget(sqlite3* db, const ImportOptions& options, Errors* errors, Target* target) {
  if (options.data_set.empty()) {
    std::string why;
    if (!CheckSelection(db, &target->data_no, &why)) {
      errors->Add("no data set to import into: " + why +
                  "; name one with --data-set ID --company NAME --period START END");
      return false;
    }
  } else {
    bool lossy = false;
    std::string id = cp932::FromUtf8(options.data_set, &lossy);
    if (lossy || id.size() >= 16) {
      errors->Add("--data-set: " + Quoted(options.data_set) +
                  " is not a data ID of at most 15 Shift_JIS bytes");
      return false;
    }
    Stmt find = Prepare(db, "SELECT data_no FROM datasets WHERE data_id IN (?1, ?2)", errors);
    if (!find) return false;
    BindKey(find.get(), 1, id);
    bool exists = sqlite3_step(find.get()) == SQLITE_ROW;
    if (exists) target->data_no = sqlite3_column_int64(find.get(), 0);
    if (!options.make_data_set && !exists) {
      errors->Add("data set " + options.data_set +
                  " is not in the store; --company NAME --period START END make it");
      return false;
    }
    if (options.make_data_set && exists && !options.replace) {
      errors->Add(
          "data set " + options.data_set +
          " is in the store already; --replace remakes it (its assets, items and categories are deleted), "
          "or leave out --company and --period to add to it");
      return false;
    }
    if (options.make_data_set) {
      int64_t start = 0, end = 0;
      std::string misfit = ParseDate(options.period_start, &start);
      if (misfit.empty()) misfit = ParseDate(options.period_end, &end);
      if (!misfit.empty()) {
        errors->Add("--period: " + misfit);
        return false;
      }
      rules::CheckPeriod(start, end, [&](const rules::Finding& f) {
        if (f.severity == rules::Severity::kRefuse)
          errors->Add("--period: " + f.value + ": " + f.why + "; " + f.fix);
      });
      if (errors->count() > 0) return false;
      const char* sql =
          exists
              ? "UPDATE datasets SET company_name = ?3, period_start = ?4, period_end = ?5 WHERE data_no = ?6"
              : "INSERT INTO datasets (data_no, data_id, company_name, period_start, period_end) "
                "VALUES ((SELECT coalesce(max(data_no), 0) + 1 FROM datasets), ?1, ?3, ?4, ?5)";
      Stmt write = Prepare(db, sql, errors);
      if (!write) return false;
      sqlite3_bind_text(write.get(), 1, options.data_set.c_str(), -1, SQLITE_STATIC);
      sqlite3_bind_text(write.get(), 3, options.company.c_str(), -1, SQLITE_STATIC);
      sqlite3_bind_int64(write.get(), 4, start);
      sqlite3_bind_int64(write.get(), 5, end);
      sqlite3_bind_int64(write.get(), 6, target->data_no);
      if (sqlite3_step(write.get()) != SQLITE_DONE) {
        errors->Add(std::string("the store: ") + sqlite3_errmsg(db));
        return false;
      }
      if (!exists) target->data_no = sqlite3_last_insert_rowid(db);
    }
  }
  Stmt id = Prepare(db, "SELECT data_id, coalesce(period_end, 0) FROM datasets WHERE data_no = ?1", errors);
  if (!id) return false;
  sqlite3_bind_int64(id.get(), 1, target->data_no);
  if (sqlite3_step(id.get()) != SQLITE_ROW) return false;
  target->data_id.reset(sqlite3_value_dup(sqlite3_column_value(id.get(), 0)));
  target->period_end = sqlite3_column_int64(id.get(), 1);
  bool blob = sqlite3_column_type(id.get(), 0) == SQLITE_BLOB;
  const char* bytes = static_cast<const char*>(sqlite3_column_blob(id.get(), 0));
  std::string raw(bytes ? bytes : "", bytes ? static_cast<size_t>(sqlite3_column_bytes(id.get(), 0)) : 0);
  target->shown = blob ? cp932::ToUtf8(raw) : raw;
  if (!target->data_id) return false;
  // --replace: the rows the files bring in place of the data set's (a data
  // set made again loses all three; items belong to their assets).
  if (!options.replace) return true;
  for (const char* table : {"assets", "lump_items", "categories"}) {
    bool replaced =
        options.make_data_set || std::string_view(table) != "categories" || !options.categories.empty();
    if (!replaced) continue;
    Stmt clear = Prepare(db, std::string("DELETE FROM ") + table + " WHERE data_id = ?1", errors);
    if (!clear) return false;
    sqlite3_bind_value(clear.get(), 1, target->data_id.get());
    if (sqlite3_step(clear.get()) != SQLITE_DONE) {
      errors->Add(std::string("the store: ") + sqlite3_errmsg(db));
      return false;
    }
  }
  return true;
}

// Makes the data set the current user's selection; a store without a
// current user gets the default one.
bool Select(sqlite3* db, const Target& target, Errors* errors, std::string* user) {
  Stmt name = Prepare(db,
                      "UPDATE package SET current_user = ?1 WHERE rowid = (SELECT min(rowid) FROM package) "
                      "AND length(current_user) = 0",
                      errors);
  Stmt pick = Prepare(db,
                      "INSERT INTO users (user_id, selected_first, selected_second) "
                      "SELECT current_user, 1, ?1 FROM package WHERE true ORDER BY rowid LIMIT 1 "
                      "ON CONFLICT (user_id) DO UPDATE SET selected_second = excluded.selected_second",
                      errors);
  if (!name || !pick) return false;
  sqlite3_bind_text(name.get(), 1, kDefaultUser, -1, SQLITE_STATIC);
  sqlite3_bind_int64(pick.get(), 1, target.data_no);
  if (sqlite3_step(name.get()) != SQLITE_DONE || sqlite3_step(pick.get()) != SQLITE_DONE) {
    errors->Add(std::string("the store: ") + sqlite3_errmsg(db));
    return false;
  }
  int64_t selected = 0;
  std::string why;
  if (!CheckSelection(db, &selected, &why) || selected != target.data_no) {
    errors->Add("the data set cannot be made the selection: " +
                (why.empty() ? "another user row matches" : why));
    return false;
  }
  Stmt current = Prepare(db, "SELECT current_user FROM package ORDER BY rowid LIMIT 1", errors);
  const unsigned char* text =
      current && sqlite3_step(current.get()) == SQLITE_ROW ? sqlite3_column_text(current.get(), 0) : nullptr;
  *user = text ? reinterpret_cast<const char*>(text) : "";
  return true;
}

}  // namespace

bool Import(sqlite3* db, const ImportOptions& options, std::string* summary, std::vector<std::string>* lines,
            std::vector<std::string>* warnings) {
  Errors errors(lines);
  // Inside a caller's transaction (a manifest imports many data sets as
  // one), a savepoint of its own.
  const bool nested = sqlite3_get_autocommit(db) == 0;
  if (!Exec(db, nested ? "SAVEPOINT import" : "BEGIN IMMEDIATE")) {
    errors.Add(std::string("the store: ") + sqlite3_errmsg(db));
    errors.Close();
    return false;
  }
  Target target;
  std::vector<Imported> files;
  bool ok = FindTarget(db, options, &errors, &target);
  const std::pair<const std::string*, const CsvTable*> inputs[] = {{&options.assets, &AssetTable()},
                                                                   {&options.items, &ItemTable()},
                                                                   {&options.categories, &CategoryTable()}};
  for (const auto& [file, csv_table] : inputs) {
    if (!ok || file->empty()) continue;
    files.emplace_back();
    ok = ImportFile(db, *file, options.encoding, *csv_table, target, &errors, &files.back());
  }
  // A register imported again is said once, and its rows are not judged;
  // nor are the rows of the other files when one could not be read.
  bool unjudged = std::any_of(files.begin(), files.end(), [](const Imported& f) { return !f.read; });
  if (ok && !files.empty() && !files[0].lines.empty())
    ok = CheckReimport(db, files[0], target, &errors, &unjudged);
  // Every row the files added, checked as a store is: the values, then the
  // rules with what the data set holds beside them. Only the files' own
  // rows are judged, never rows the store held before. The values and the
  // asset rules were judged as the rows were bound; the stored rows are read
  // again only for what needs the other files (items against their assets,
  // an asset file the rules may refuse) and for the smaller tables.
  Errors warned(warnings);
  auto route = [&](const Imported& imported) {
    return [&](const Problem& p) {
      Errors& sink = p.warning ? warned : errors;
      sink.Add(sink.full() ? std::string() : Locate(imported, p));
    };
  };
  for (Imported& imported : files) {
    if (!ok || unjudged || errors.count() >= kMostErrors || imported.lines.empty()) continue;
    for (const Problem& p : imported.refusals) route(imported)(p);
    errors.Count(imported.refusal_count - imported.refusals.size());
    if (RulesPassed(db, imported, target)) {
      for (const Problem& p : imported.warnings) route(imported)(p);
      warned.Count(imported.warning_count - imported.warnings.size());
    } else {
      CheckLinksAndRules(db, imported.table, imported.first_rowid, std::move(imported.refused),
                         route(imported));
    }
  }
  if (ok && options.make_data_set) {
    static const std::map<std::string, std::string> kOptions = {{"data_id", "--data-set"},
                                                                {"company_name", "--company"},
                                                                {"period_start", "--period"},
                                                                {"period_end", "--period"}};
    CheckTable(db, RecordTable::kDataSets, target.data_no, [&](const Problem& p) {
      if (p.rowid != target.data_no) return;
      auto option = kOptions.find(p.column);
      errors.Add((option == kOptions.end() ? Describe(p) : option->second + ": " + Explain(p)));
    });
  }
  // A data set left with assets and no category, said once.
  if (ok && !unjudged && !files.empty() && !files[0].lines.empty())
    CheckRules(db, RecordTable::kDataSets, target.data_no, [&](const Problem& p) {
      if (p.rowid == target.data_no && p.column == "type_code") errors.Add(files[0].file + ": " + Explain(p));
    });
  warned.Close();
  std::string user;
  ok = ok && errors.count() == 0 && Select(db, target, &errors, &user);
  if (ok && !Exec(db, nested ? "RELEASE import" : "COMMIT")) {
    errors.Add(std::string("the store: ") + sqlite3_errmsg(db));
    ok = false;
  }
  if (!ok || errors.count() > 0) {
    if (errors.count() == 0) errors.Add(std::string("the store: ") + sqlite3_errmsg(db));
    Exec(db, nested ? "ROLLBACK TO import; RELEASE import" : "ROLLBACK");
    errors.Close();
    return false;
  }
  const char* kNames[] = {"assets", "items", "categories"};
  *summary = "data set " + target.shown + " (no. " + std::to_string(target.data_no) + "):";
  for (size_t i = 0, f = 0; i < 3; ++i) {
    if (inputs[i].first->empty()) continue;
    *summary += std::string(f ? ", " : " ") + std::to_string(files[f].lines.size()) + " " + kNames[i];
    ++f;
  }
  *summary += " imported; selected for the user " + user;
  return true;
}

}  // namespace package
