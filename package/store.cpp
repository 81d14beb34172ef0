#include "package/store.h"

#include <cstdio>
#include <cstring>
#include <filesystem>

#include "platform/cp932.h"
#include "platform/win.h"

namespace package {

namespace {

// Every column the component reads, by table: a store that lacks one of
// them is of another schema.
const char* const kSchemaProbes[][2] = {
    {"package", "product_name, initiate_result, syslink_result, output_folder, env_folder, current_user"},
    {"users", "user_id, selected_first, selected_second"},
    {"datasets", "data_no, data_id, company_name, period_start, period_end, data_kind, corp_kind"},
    {"assets",
     "data_id, seq, code, type_code, name, quantity_text, memo, disposal_kind, capex_link, "
     "method_ref_date, acquisition_date, acquisition_cost, compressed_amount, opening_book_value, "
     "method_code, useful_life, depreciation_rate, residual_rate, limit_kind, depreciable_limit, "
     "business_ratio, sga_share, months_numerator, months_denominator, residual_value, "
     "depreciation_base, sga_amount, mfg_amount, accumulated_depreciation, closing_book_value, "
     "disposal_date, disposal_price, months_entered, revised_cost, computed_depreciation, "
     "special_depreciation, increased_depreciation, entered_current_depreciation"},
    {"lump_items", "data_id, asset_seq, seq, name, acquisition_date, acquisition_cost, quantity"},
    {"categories", "data_id, seq, code, name, method_code, residual_ratio"},
    {"saved_orders", "data_id, name, columns"},
};

bool CheckSchema(sqlite3* db, std::string* error) {
  for (const auto& probe : kSchemaProbes) {
    std::string sql = std::string("SELECT ") + probe[1] + " FROM " + probe[0] + " LIMIT 0";
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr);
    sqlite3_finalize(stmt);
    if (rc == SQLITE_NOTADB) {
      *error = "not a SQLite database";
      return false;
    }
    if (rc == SQLITE_ERROR) {  // no such table or column
      *error = std::string("not a package store (table ") + probe[0] + ": " + sqlite3_errmsg(db) + ")";
      return false;
    }
    if (rc != SQLITE_OK) {  // damaged, locked, unreadable
      *error = std::string("cannot be read (") + sqlite3_errmsg(db) + ")";
      return false;
    }
  }
  sqlite3_stmt* stmt = nullptr;
  bool has_row = sqlite3_prepare_v2(db, "SELECT 1 FROM package LIMIT 1", -1, &stmt, nullptr) == SQLITE_OK &&
                 sqlite3_step(stmt) == SQLITE_ROW;
  sqlite3_finalize(stmt);
  if (!has_row) {
    *error = "not a package store (the package table has no row)";
    return false;
  }
  return true;
}

}  // namespace

void StopSqliteMemoryCount() { sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0); }

bool Store::Open(const std::string& host_path, std::string* error) {
  Close();
  std::error_code ec;
  auto status = host_path.empty() ? std::filesystem::file_status()
                                  : std::filesystem::status(win::HostFsPath(host_path), ec);
  if (!std::filesystem::exists(status)) {
    *error = "no such file";
    return false;
  }
  if (!std::filesystem::is_regular_file(status)) {
    *error = "not a file";
    return false;
  }
  sqlite3* db = nullptr;
  // Its users hold our connection lock, on whichever thread: no SQLite connection mutex.
  int rc = sqlite3_open_v2(host_path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    sqlite3_close_v2(db);
    db = nullptr;
    rc = sqlite3_open_v2(host_path.c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
  }
  if (rc != SQLITE_OK) {
    *error = std::string("cannot be opened (") + (db ? sqlite3_errmsg(db) : sqlite3_errstr(rc)) + ")";
    sqlite3_close_v2(db);
    return false;
  }
  sqlite3_busy_timeout(db, 2000);
  if (!CheckSchema(db, error)) {
    sqlite3_close_v2(db);
    return false;
  }
  {
    Locked lock(lock_);
    db_ = db;
    ++generation_;
    readers_ = 0;
  }
  complained_ = false;
  return true;
}

void Store::Close() {
  Locked lock(lock_);
  if (!db_) return;
  // Statements still held by component objects keep the connection until
  // they are finalized.
  sqlite3_close_v2(db_);
  db_ = nullptr;
  ++generation_;
  readers_ = 0;
}

bool Store::BeginRead(std::string* why) {
  if (!db_) {
    *why = "the store is not open";
    return false;
  }
  if (readers_ == 0 && sqlite3_exec(db_, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK) {
    *why = sqlite3_errmsg(db_);
    return false;
  }
  ++readers_;
  return true;
}

void Store::EndRead(uint64_t generation) {
  if (!db_ || generation != generation_ || readers_ == 0) return;
  // SQLite rolls a transaction back by itself after some failures (I/O,
  // busy); then there is nothing left to end.
  if (--readers_ == 0 && !sqlite3_get_autocommit(db_) &&
      sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

sqlite3_stmt* Store::Prepare(const char* sql) const {
  if (!db()) return nullptr;
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db(), sql, -1, &stmt, nullptr) != SQLITE_OK) {
    std::fprintf(stderr, "package store: %s\n", sqlite3_errmsg(db()));
    sqlite3_finalize(stmt);
    return nullptr;
  }
  return stmt;
}

bool Store::Step(sqlite3_stmt* stmt) {
  if (!stmt) return false;
  int rc = sqlite3_step(stmt);
  if (rc == SQLITE_ROW) return true;
  if (rc != SQLITE_DONE && !complained_ && db()) {
    complained_ = true;
    std::fprintf(stderr, "package store: %s; the data read may be incomplete\n", sqlite3_errmsg(db()));
  }
  return false;
}

Store& TheStore() {
  static Store store;
  return store;
}

std::string ColumnText(sqlite3_stmt* stmt, int col) {
  int type = sqlite3_column_type(stmt, col);
  if (type == SQLITE_NULL) return std::string();
  const char* bytes = type == SQLITE_BLOB ? static_cast<const char*>(sqlite3_column_blob(stmt, col))
                                          : reinterpret_cast<const char*>(sqlite3_column_text(stmt, col));
  size_t size = static_cast<size_t>(sqlite3_column_bytes(stmt, col));
  if (!bytes) return std::string();
  std::string_view raw(bytes, cp932::FieldLength(bytes, size));
  if (type == SQLITE_BLOB) return std::string(raw);
  bool lossy = false;
  std::string text = cp932::FromUtf8(raw, &lossy);
  if (lossy)
    std::fprintf(stderr, "package store: \"%.*s\" has characters without a Shift_JIS form; shown as \"?\"\n",
                 static_cast<int>(raw.size()), raw.data());
  return text;
}

namespace {

thread_local std::string* t_capture = nullptr;

// One line of ours on standard error, or into the thread's capture.
void Say(const std::string& line) {
  if (t_capture != nullptr) {
    *t_capture += line;
  } else {
    std::fputs(line.c_str(), stderr);
  }
}

void SayLossy(std::string_view utf8) {
  Say("package store: \"" + std::string(utf8) +
      "\" has characters without a Shift_JIS form; shown as \"?\"\n");
}

}  // namespace

void FillText(sqlite3_stmt* stmt, int col, char* field, size_t size) {
  int type = sqlite3_column_type(stmt, col);
  const char* bytes = type == SQLITE_BLOB ? static_cast<const char*>(sqlite3_column_blob(stmt, col))
                                          : reinterpret_cast<const char*>(sqlite3_column_text(stmt, col));
  if (size == 0) return;
  if (!bytes || type == SQLITE_NULL) {
    field[0] = '\0';
    return;
  }
  std::string_view raw(bytes,
                       cp932::FieldLength(bytes, static_cast<size_t>(sqlite3_column_bytes(stmt, col))));
  bool ascii = true;
  for (char c : raw) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (type == SQLITE_BLOB || ascii)
    cp932::CopyCut(field, size, raw);  // CP932 as it stands; ASCII is the same in both
  else if (cp932::FromUtf8Into(raw, field, size))
    SayLossy(raw);
}

void SayFailure(std::string_view cp932_data_id, const std::string& what, const std::string& why) {
  Say("package store: data set " + cp932::ToUtf8(cp932_data_id) + ", " + what + ": " + why + "\n");
}

void CaptureLines(std::string* into) { t_capture = into; }

void BindKey(sqlite3_stmt* stmt, int n, const std::string& cp932_key) {
  std::string utf8 = cp932::ToUtf8(cp932_key);
  sqlite3_bind_text(stmt, n, utf8.c_str(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
  sqlite3_bind_blob(stmt, n + 1, cp932_key.data(), static_cast<int>(cp932_key.size()), SQLITE_TRANSIENT);
}

}  // namespace package
