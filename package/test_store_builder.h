// How the tests and benchmarks make package stores, outside the component's
// connection: a new store file as zelpkg makes one (the schema, then SQL),
// and SQL run in a store file. Host paths (UTF-8); each gives false with
// SQLite's reason in *error. zelpkg/test_sample_store.h adds the sample
// company.
#pragma once

#include <sqlite3.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "package/schema.h"
#include "platform/win.h"

namespace teststore {

// Runs sql (UTF-8) on an open database.
inline bool Exec(sqlite3* db, const std::string& sql, std::string* error) {
  char* message = nullptr;
  bool ok = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) == SQLITE_OK;
  if (!ok) *error = message ? message : sqlite3_errmsg(db);
  sqlite3_free(message);
  return ok;
}

// Opens the database file at path (made when missing), hands it to work and
// closes it.
template <class Work>
bool WithDatabase(const std::string& path, std::string* error, Work work) {
  sqlite3* db = nullptr;
  // One thread uses it: no mutex around each call, as zelpkg opens a store.
  bool ok = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                            nullptr) == SQLITE_OK;
  if (!ok) *error = db ? sqlite3_errmsg(db) : "out of memory";
  ok = ok && work(db);
  sqlite3_close(db);
  return ok;
}

// Runs sql in the store file at path.
inline bool Exec(const std::string& path, const std::string& sql, std::string* error) {
  return WithDatabase(path, error, [&](sqlite3* db) { return Exec(db, sql, error); });
}

// A new store at path, replacing any file there: the schema, then fill.
// Without a journal, as zelpkg makes stores: the store is the same, made
// faster.
template <class Fill>
bool MakeWith(const std::string& path, std::string* error, Fill fill) {
  std::error_code ignored;
  std::filesystem::remove(win::HostFsPath(path), ignored);
  return WithDatabase(path, error, [&](sqlite3* db) {
    return Exec(db, "PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF;", error) &&
           package::CreateSchema(db, error) && fill(db);
  });
}

// A new store with the schema and sql run in it.
inline bool Make(const std::string& path, const std::string& sql, std::string* error) {
  return MakeWith(path, error, [&](sqlite3* db) { return Exec(db, sql, error); });
}

}  // namespace teststore
