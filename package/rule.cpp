// The depreciation rule object: walks the assets, their lump-sum items and
// the categories of one data set. A walk is counted and then served from one
// open statement stepped forward, all in one read snapshot of the store.
// Every failed read and every value that does not fit its field is said on
// standard error (one line) and makes the call fail; a walk whose read
// failed stays failed until it is started again.
#include <cstring>
#include <map>
#include <string>

#include "component/component.h"
#include "package/columns.h"
#include "package/read_ahead.h"
#include "package/store.h"
#include "platform/cp932.h"
#include "platform/win.h"

namespace {

using package::ColumnRule;
using package::Locked;
using package::TheStore;

// Every use of the store's connection, by either thread, holds its lock.
#define REQUIRES_CONNECTION REQUIRES(TheStore().connection_lock())
#define GUARDED_BY_CONNECTION GUARDED_BY(TheStore().connection_lock())

// A data set's rows in seq order. The data ID is matched as TEXT (?1) and as
// a BLOB (?2); each half is one ordered range of the primary key, and SQLite
// merges the two without sorting, so the first row comes at once and no
// temporary b-tree is written. (With "data_id IN (?1, ?2)" SQLite sorts every
// row of the data set first.) Items and categories select their seq last,
// to name a row in a message.
std::string OrderedRows(const std::string& columns, const char* table, const char* where) {
  std::string half = "SELECT " + columns + " FROM " + table + " WHERE data_id = ?";
  return half + "1" + where + " UNION ALL " + half + "2" + where + " ORDER BY seq";
}
const std::string& AssetSql() {
  static const std::string sql = OrderedRows(package::ColumnList(package::kAssetMasterColumns) + ", " +
                                                 package::ColumnList(package::kAssetYearColumns),
                                             "assets", "");
  return sql;
}
const std::string& ItemSql() {
  static const std::string sql =
      OrderedRows(package::ColumnList(package::kItemColumns) + ", seq", "lump_items", " AND asset_seq = ?3");
  return sql;
}
const std::string& CategorySql() {
  static const std::string sql =
      OrderedRows(package::ColumnList(package::kCategoryColumns) + ", seq", "categories", "");
  return sql;
}
// Counts the same way: one count per half.
std::string Count(const char* table, const char* where) {
  std::string half = std::string("(SELECT count(*) FROM ") + table + " WHERE data_id = ?";
  return "SELECT " + half + "1" + where + ") + " + half + "2" + where + ")";
}
const std::string& AssetCountSql() {
  static const std::string sql = Count("assets", "");
  return sql;
}
const std::string& ItemCountSql() {
  static const std::string sql = Count("lump_items", " AND asset_seq = ?3");
  return sql;
}
const std::string& CategoryCountSql() {
  static const std::string sql = Count("categories", "");
  return sql;
}

// The tables a walk reads, each counted through its key (as the walks
// count; the assets by the open walk) and by reading the table itself, for
// CheckComplete.
struct CompletenessCount {
  const char* table;
  std::string keyed_sql;  // empty for the assets
};

// The rows of every data set in a table, from one pass over its rows, not
// its key (NOT INDEXED), kept while the store is unchanged: a batch proves
// hundreds of data sets with one read of each table, and a single export
// pays one pass as before. Keyed by the stored form of data_id ('t' and its
// UTF-8 text, or 'b' and its CP932 bytes).
struct StoredRows {
  uint64_t generation = 0;
  int64_t data_version = -1;
  std::map<std::string, int64_t> rows;
};

bool CountStoredRows(const char* table, StoredRows* counts) {
  const std::string sql = std::string("SELECT data_id FROM ") + table + " NOT INDEXED";
  sqlite3_stmt* stmt = TheStore().Prepare(sql.c_str());
  if (stmt == nullptr) return false;
  counts->rows.clear();
  // The rows of a data set mostly lie together: counted as a run, kept at
  // its end.
  std::string key, run_key;
  int64_t run = 0;
  int rc;
  while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    const int type = sqlite3_column_type(stmt, 0);
    const char* bytes = static_cast<const char*>(sqlite3_column_blob(stmt, 0));
    key.assign(1, type == SQLITE_BLOB ? 'b' : 't');
    key.append(bytes ? bytes : "", static_cast<size_t>(sqlite3_column_bytes(stmt, 0)));
    if (run > 0 && key != run_key) {
      counts->rows[run_key] += run;
      run = 0;
    }
    if (run == 0) run_key = key;
    ++run;
  }
  if (run > 0) counts->rows[run_key] += run;
  sqlite3_finalize(stmt);
  return rc == SQLITE_DONE;
}

// The rows of data set data_id (CP932) in table; false when it cannot be
// read.
bool StoredRowsOf(const char* table, const std::string& data_id, int64_t* rows) {
  static std::map<std::string, StoredRows> tables;
  StoredRows& counts = tables[table];
  int64_t data_version = -1;
  sqlite3_stmt* version = TheStore().Prepare("PRAGMA data_version");
  if (version != nullptr && sqlite3_step(version) == SQLITE_ROW) data_version = sqlite3_column_int64(version, 0);
  sqlite3_finalize(version);
  if (data_version < 0 || counts.generation != TheStore().generation() || counts.data_version != data_version) {
    counts.data_version = -1;
    if (data_version < 0 || !CountStoredRows(table, &counts)) return false;
    counts.generation = TheStore().generation();
    counts.data_version = data_version;
  }
  auto of = [&](const std::string& key) {
    auto found = counts.rows.find(key);
    return found != counts.rows.end() ? found->second : 0;
  };
  *rows = of("t" + cp932::ToUtf8(data_id)) + of("b" + data_id);
  return true;
}

// Whether every value of the data set's own row fits its record field. One
// that does not (a period end of 20250231) was said when the data sets were
// read, and its field left empty, so that the run could still report; an
// export of that data set is a failed read, not a success.
bool DataSetFits(const std::string& data_id) {
  static const std::string sql = "SELECT " + package::ColumnList(package::kDataSetColumns) +
                                 " FROM datasets WHERE data_id = ?1 OR data_id = ?2";
  sqlite3_stmt* stmt = TheStore().Prepare(sql.c_str());
  if (stmt == nullptr) return false;
  package::BindKey(stmt, 1, data_id);
  bool fits = true;
  int rc = SQLITE_DONE;
  while (fits && (rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    StDATAINFO record{};
    for (size_t i = 0; fits && i < package::kDataSetColumns.size(); ++i) {
      const package::ColumnRule& rule = package::kDataSetColumns[i];
      if (package::FillField(stmt, static_cast<int>(i), rule, &record)) continue;
      package::SayFailure(data_id, std::string("its data set, column ") + rule.column,
                          package::Misfit(stmt, static_cast<int>(i), rule));
      fits = false;
    }
  }
  if (fits && rc != SQLITE_DONE) {
    package::SayFailure(data_id, "its data set",
                        std::string("cannot be read: ") + sqlite3_errmsg(TheStore().db()));
    fits = false;
  }
  sqlite3_finalize(stmt);
  return fits;
}

// Columns of the asset query that name an asset.
const int kAssetSeqColumn = 0;
const int kAssetCodeColumn = 1;

// "asset A0001" from the current row's code, or "asset with seq 7" when the
// code is no text.
std::string AssetName(sqlite3_stmt* s) {
  int type = sqlite3_column_type(s, kAssetCodeColumn);
  if (type == SQLITE_TEXT || type == SQLITE_BLOB) {
    const char* bytes = static_cast<const char*>(sqlite3_column_blob(s, kAssetCodeColumn));
    size_t size = static_cast<size_t>(sqlite3_column_bytes(s, kAssetCodeColumn));
    std::string_view code(bytes ? bytes : "", bytes ? cp932::FieldLength(bytes, size) : 0);
    return std::string("asset ") + (type == SQLITE_BLOB ? cp932::ToUtf8(code) : std::string(code));
  }
  const unsigned char* seq = sqlite3_column_text(s, kAssetSeqColumn);
  return std::string("asset with seq ") + (seq ? reinterpret_cast<const char*>(seq) : "NULL");
}

// "category seq 3" from column col of the current row.
std::string SeqName(const char* row, sqlite3_stmt* s, int col) {
  const unsigned char* seq = sqlite3_column_text(s, col);
  return std::string(row) + " seq " + (seq ? reinterpret_cast<const char*>(seq) : "NULL");
}

// The asset that a Move delivered last: its seq and code (CP932), so that a
// failure among its items can name it.
struct DeliveredAsset {
  int64_t seq = -1;
  char code[sizeof(StKOTEISHISANINFO::szCode)] = {};
  void From(const StKOTEISHISANINFO& master) {
    if (!package::ReadAssetKey(master.assetKey, &seq)) seq = -1;
    std::memcpy(code, master.szCode, sizeof code);
  }
};

// A walk's rows as messages name them.
struct WalkKind {
  const char* rows;  // "assets"
  const char* row;   // "asset"
};
const WalkKind kAssets = {"assets", "asset"};
const WalkKind kItems = {"lump-sum items", "lump-sum item"};
const WalkKind kCategories = {"categories", "category"};

// The rows of one walk in the read snapshot: counted when started, then
// delivered from one statement stepped forward (a lower index restarts it
// within the same snapshot). A failed read ends the walk for good: later
// seeks fail at once without touching the store. Its two statements are
// kept from walk to walk (the items of every lump-sum asset reuse them) and
// only rebound.
class Walk {
 public:
  Walk(const WalkKind& kind, const char* count_sql, const char* rows_sql)
      : kind_(kind), count_sql_(count_sql), rows_sql_(rows_sql) {}
  ~Walk() {
    Finish();
    sqlite3_finalize(count_);
    sqlite3_finalize(stmt_);
  }
  Walk(const Walk&) = delete;
  Walk& operator=(const Walk&) = delete;

  // Joins the read snapshot, counts the rows and readies the statement;
  // false when any of it failed (said on standard error). The items of an
  // asset get its seq, and the asset delivered last, to name it.
  bool Start(const char* data_id, int64_t asset_seq = -1,
             const DeliveredAsset* owner = nullptr) REQUIRES_CONNECTION {
    Finish();
    asset_seq_ = asset_seq;
    owner_ = owner;
    if (std::strncmp(data_id_, data_id, sizeof(data_id_)) != 0) {
      cp932::CopyCut(data_id_, sizeof(data_id_), cp932::FieldText(data_id, sizeof(data_id_)));
      bound_ = false;
    }
    std::string why;
    if (!TheStore().BeginRead(&why)) return Say(kind_.rows, "cannot be read: " + why);
    in_snapshot_ = true;
    snapshot_generation_ = TheStore().generation();
    if (!Prepare()) return Say(kind_.rows, std::string("cannot be read: ") + sqlite3_errmsg(TheStore().db()));
    if (asset_seq_ >= 0) {
      sqlite3_bind_int64(count_, 3, asset_seq_);
      sqlite3_bind_int64(stmt_, 3, asset_seq_);
    }
    int rc = sqlite3_step(count_);
    if (rc == SQLITE_ROW) rows_ = static_cast<long>(sqlite3_column_int64(count_, 0));
    sqlite3_reset(count_);
    if (rc != SQLITE_ROW)
      return Say(kind_.rows, std::string("cannot be counted: ") + sqlite3_errmsg(TheStore().db()));
    failed_ = false;
    return true;
  }

  // Steps to row index; true when the statement holds it. False for an index
  // outside the count, for a walk that failed before (not said again), and
  // for a read that fails now (said; the walk stays failed).
  bool Seek(long index) REQUIRES_CONNECTION {
    if (failed_) return false;
    if (generation_ != TheStore().generation()) {
      failed_ = true;
      return Say(kind_.rows, "cannot be read: the store was closed");
    }
    if (index < 0 || index >= rows_)
      return Say(kind_.rows,
                 "no row " + std::to_string(index) + " among the " + std::to_string(rows_) + " counted");
    if (index < next_) {
      sqlite3_reset(stmt_);
      next_ = 0;
    }
    while (next_ <= index) {
      int rc = sqlite3_step(stmt_);
      if (rc != SQLITE_ROW) {
        failed_ = true;
        std::string at =
            std::string(kind_.row) + " no. " + std::to_string(next_ + 1) + " of " + std::to_string(rows_);
        if (rc == SQLITE_DONE) return Say(at, "not there any more");
        return Say(at, std::string("cannot be read: ") + sqlite3_errmsg(TheStore().db()));
      }
      ++next_;
    }
    return true;
  }

  // Fills record from the current row, column first onwards in rule order.
  // False at the first value that does not fit, said with the row's name
  // (made by name_of from the statement only then: a sound row costs no
  // text).
  template <class NameOf>
  bool Fill(std::span<const ColumnRule> rules, int first, void* record, NameOf name_of) REQUIRES_CONNECTION {
    for (size_t i = 0; i < rules.size(); ++i) {
      int col = first + static_cast<int>(i);
      if (!package::FillField(stmt_, col, rules[i], record)) {
        Say(name_of(stmt_) + ", column " + rules[i].column, package::Misfit(stmt_, col, rules[i]));
        return false;
      }
    }
    return true;
  }

  void Finish() REQUIRES_CONNECTION {
    if (stmt_) sqlite3_reset(stmt_);
    next_ = 0;
    rows_ = 0;
    failed_ = true;
    if (in_snapshot_) TheStore().EndRead(snapshot_generation_);
    in_snapshot_ = false;
  }

  // True while the statement holds a row.
  bool HasRow() const REQUIRES_CONNECTION { return !failed_ && next_ > 0; }
  // The count; false when the walk is not sound.
  bool Count(long* count) const REQUIRES_CONNECTION {
    *count = failed_ ? 0 : rows_;
    return !failed_;
  }

 private:
  // Prepares the statements once per opening of the store and binds the
  // data ID when it changed.
  bool Prepare() REQUIRES_CONNECTION {
    if (generation_ != TheStore().generation() || !count_ || !stmt_) {
      sqlite3_finalize(count_);
      sqlite3_finalize(stmt_);
      count_ = stmt_ = nullptr;
      bound_ = false;
      generation_ = TheStore().generation();
      if (sqlite3_prepare_v2(TheStore().db(), count_sql_, -1, &count_, nullptr) != SQLITE_OK ||
          sqlite3_prepare_v2(TheStore().db(), rows_sql_, -1, &stmt_, nullptr) != SQLITE_OK)
        return false;
    }
    if (!bound_) {
      package::BindKey(count_, 1, data_id_);
      package::BindKey(stmt_, 1, data_id_);
      bound_ = true;
    }
    return true;
  }
  // The asset whose items these are, as messages name it.
  std::string Owner() const REQUIRES_CONNECTION {
    if (asset_seq_ < 0) return "";
    if (owner_ && owner_->seq == asset_seq_)
      return "asset " + cp932::ToUtf8(cp932::FieldText(owner_->code, sizeof owner_->code)) + ", ";
    return "asset with seq " + std::to_string(asset_seq_) + ", ";
  }
  bool Say(const std::string& what, const std::string& why) const REQUIRES_CONNECTION {
    package::SayFailure(data_id_, Owner() + what, why);
    return false;
  }

  const WalkKind& kind_;
  const char* count_sql_;
  const char* rows_sql_;
  // The asset walk is stepped on the reading thread while it reads ahead,
  // on the program's thread else: all it holds is the connection's.
  char data_id_[16] GUARDED_BY_CONNECTION = {};
  bool bound_ GUARDED_BY_CONNECTION = false;
  int64_t asset_seq_ GUARDED_BY_CONNECTION = -1;
  const DeliveredAsset* owner_ GUARDED_BY_CONNECTION = nullptr;
  sqlite3_stmt* count_ GUARDED_BY_CONNECTION = nullptr;
  sqlite3_stmt* stmt_ GUARDED_BY_CONNECTION = nullptr;
  uint64_t generation_ GUARDED_BY_CONNECTION = 0;  // of the statements
  uint64_t snapshot_generation_ GUARDED_BY_CONNECTION = 0;
  bool in_snapshot_ GUARDED_BY_CONNECTION = false;
  bool failed_ GUARDED_BY_CONNECTION = true;
  long next_ GUARDED_BY_CONNECTION = 0;
  long rows_ GUARDED_BY_CONNECTION = 0;
};

// Fills an asset's master and year records from the walk's current row.
bool FillAsset(Walk& walk, StKOTEISHISANINFO* master, StKOTEINENINFO* year) REQUIRES_CONNECTION {
  const int year_first = static_cast<int>(package::kAssetMasterColumns.size());
  if (master && !walk.Fill(package::kAssetMasterColumns, 0, master, AssetName)) return false;
  if (year && !walk.Fill(package::kAssetYearColumns, year_first, year, AssetName)) return false;
  return true;
}

// The asset walk as the reading thread reads it: a row at a time under the
// connection lock, which it takes only once the program's thread does not
// wait for it.
class AheadRows : public package::AssetRows {
 public:
  explicit AheadRows(Walk& walk) : walk_(walk) {}
  bool Read(long index, StKOTEISHISANINFO* master, StKOTEINENINFO* year) override {
    Locked lock(TheStore().connection_lock(), &package::ConnectionLock::LockAfterWaiters);
    return walk_.Seek(index) && FillAsset(walk_, master, year);
  }

 private:
  Walk& walk_;
};

}  // namespace

struct ClRuleGenkashokyaku::Impl {
  Walk assets{kAssets, AssetCountSql().c_str(), AssetSql().c_str()};
  Walk items{kItems, ItemCountSql().c_str(), ItemSql().c_str()};
  Walk categories{kCategories, CategoryCountSql().c_str(), CategorySql().c_str()};
  AheadRows ahead_rows{assets};
  package::ReadAhead ahead{ahead_rows};
  uint64_t ahead_generation = 0;      // of the store when the reading ahead began
  StKOTEISHISANINFO unwanted_master;  // taken for a Move that wants no master, to name its items
  DeliveredAsset delivered;
};

ClRuleGenkashokyaku::ClRuleGenkashokyaku() : impl_(new Impl) {}
ClRuleGenkashokyaku::~ClRuleGenkashokyaku() { delete impl_; }

long ClRuleGenkashokyaku::AttachOptLink(ClOptLink* link) {
  opt_link_ = link;
  return link ? 0 : 1;
}

long ClRuleGenkashokyaku::MoveReady(void* /*filter*/, long /*a*/, long /*b*/) {
  impl_->ahead.Stop();
  Locked lock(TheStore().connection_lock());
  impl_->items.Finish();
  impl_->delivered = DeliveredAsset();
  if (!impl_->assets.Start(data_id_)) return 1;
  long rows = 0;
  impl_->assets.Count(&rows);
  impl_->ahead_generation = TheStore().generation();
  impl_->ahead.Start(rows);
  return 0;
}

long ClRuleGenkashokyaku::GetCount(long* count) {
  long n = 0;
  bool sound = true;
  // While the rows are read ahead, the count is the one the walk began
  // with: the reading thread may have met a failure that no Move has
  // delivered yet, and it is not the caller's before that Move.
  if (!impl_->ahead.Counted(&n)) {
    Locked lock(TheStore().connection_lock());
    sound = impl_->assets.Count(&n);
  }
  if (count) *count = n;
  return sound && count ? 0 : 1;
}

long ClRuleGenkashokyaku::Move(long index, StKOTEISHISANINFO* master, StKOTEINENINFO* year,
                               StKOTEITSUKIINFO* /*month*/) {
  if (impl_->ahead.Serves(index)) {
    // Rows read before the store was closed are not delivered after it.
    if (impl_->ahead_generation != TheStore().generation()) {
      impl_->ahead.Stop();
      package::SayFailure(data_id_, "assets", "cannot be read: the store was closed");
      return 1;
    }
    StKOTEISHISANINFO* taken = master ? master : &impl_->unwanted_master;
    if (!impl_->ahead.Take(taken, year)) return 1;
    impl_->delivered.From(*taken);
    return 0;
  }
  // Any other order: a plain walk from here on.
  impl_->ahead.Stop();
  Locked lock(TheStore().connection_lock());
  Walk& walk = impl_->assets;
  if (!walk.Seek(index) || !FillAsset(walk, master, year)) return 1;
  if (master) {
    impl_->delivered.From(*master);
  } else {
    impl_->delivered = DeliveredAsset();
  }
  return 0;
}

long ClRuleGenkashokyaku::MoveFinish() {
  impl_->ahead.Stop();
  Locked lock(TheStore().connection_lock());
  impl_->assets.Finish();
  return 0;
}

long ClRuleGenkashokyaku::MoveReadyIkkatsu(const uint8_t* key) {
  Locked lock(TheStore().connection_lock());
  int64_t seq = 0;
  impl_->items.Finish();
  if (!package::ReadAssetKey(key, &seq)) {
    package::SayFailure(data_id_, "lump-sum items", "the asset key names no asset");
    return 1;
  }
  return impl_->items.Start(data_id_, seq, &impl_->delivered) ? 0 : 1;
}

long ClRuleGenkashokyaku::GetIkkatsuCount(long* count) {
  Locked lock(TheStore().connection_lock());
  long n = 0;
  bool sound = impl_->items.Count(&n);
  if (count) *count = n;
  return sound && count ? 0 : 1;
}

long ClRuleGenkashokyaku::MoveIkkatsu(long index, StIKKATSUINFO* item) {
  Locked lock(TheStore().connection_lock());
  Walk& walk = impl_->items;
  if (!walk.Seek(index)) return 1;
  auto name = [](sqlite3_stmt* s) {
    return SeqName("lump-sum item", s, static_cast<int>(package::kItemColumns.size()));
  };
  return item && !walk.Fill(package::kItemColumns, 0, item, name) ? 1 : 0;
}

long ClRuleGenkashokyaku::MoveFinishIkkatsu() {
  Locked lock(TheStore().connection_lock());
  impl_->items.Finish();
  return 0;
}

long ClRuleGenkashokyaku::LoadShisanKubunInfo(StSHISANKUBUNINFO** array, long* count) {
  if (array) *array = nullptr;
  if (count) *count = 0;
  if (!array || !count) return 1;
  Locked lock(TheStore().connection_lock());
  // Inside an open asset walk this joins its snapshot; alone, it is its own.
  Walk& walk = impl_->categories;
  struct Finisher {
    Walk& walk;
    ~Finisher() { walk.Finish(); }
  } finisher{walk};
  long n = 0;
  if (!walk.Start(data_id_) || !walk.Count(&n)) return 1;
  size_t bytes = sizeof(StSHISANKUBUNINFO) * static_cast<size_t>(n > 0 ? n : 1);
  auto* out = static_cast<StSHISANKUBUNINFO*>(win::CoTaskMemAlloc(bytes));
  if (!out) {
    package::SayFailure(data_id_, "categories", "no memory for " + std::to_string(n) + " categories");
    return 1;
  }
  std::memset(out, 0, bytes);
  auto name = [](sqlite3_stmt* s) {
    return SeqName("category", s, static_cast<int>(package::kCategoryColumns.size()));
  };
  for (long i = 0; i < n; ++i) {
    if (!walk.Seek(i) || !walk.Fill(package::kCategoryColumns, 0, &out[i], name)) {
      win::CoTaskMemFree(out);
      return 1;
    }
  }
  *array = out;
  *count = n;
  return 0;
}

long ClRuleGenkashokyaku::CheckComplete() {
  static const CompletenessCount kTables[] = {
      {"assets", ""}, {"lump_items", Count("lump_items", "")}, {"categories", CategoryCountSql()}};
  impl_->ahead.Stop();
  Locked lock(TheStore().connection_lock());
  std::string why;
  if (!TheStore().BeginRead(&why)) {
    package::SayFailure(data_id_, "completeness check", "cannot be read: " + why);
    return 1;
  }
  const uint64_t generation = TheStore().generation();
  long result = DataSetFits(data_id_) ? 0 : 1;
  for (const CompletenessCount& t : kTables) {
    if (result != 0) break;
    // The assets are those the open walk counted, not a count made again.
    long walked = 0;
    int64_t keyed = 0, stored = 0;
    bool read = true;
    if (t.keyed_sql.empty()) {
      if (!impl_->assets.Count(&walked)) {
        package::SayFailure(data_id_, t.table, "cannot be checked: no asset walk is open");
        result = 1;
        break;
      }
      keyed = walked;
    } else {
      sqlite3_stmt* stmt = TheStore().Prepare(t.keyed_sql.c_str());
      read = stmt != nullptr;
      if (read) {
        package::BindKey(stmt, 1, data_id_);
        read = sqlite3_step(stmt) == SQLITE_ROW;
        keyed = sqlite3_column_int64(stmt, 0);
      }
      sqlite3_finalize(stmt);
    }
    read = read && StoredRowsOf(t.table, data_id_, &stored);
    if (!read) {
      package::SayFailure(data_id_, t.table,
                          std::string("cannot be read: ") + sqlite3_errmsg(TheStore().db()));
      result = 1;
    } else if (keyed != stored) {
      package::SayFailure(data_id_, t.table,
                          "the store is damaged: its key delivers " + std::to_string(keyed) + " rows of " +
                              std::to_string(stored) + " (sqlite3 'PRAGMA integrity_check' tells more)");
      result = 1;
    }
    if (result != 0) break;
  }
  TheStore().EndRead(generation);
  return result;
}
