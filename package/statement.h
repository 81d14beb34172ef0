// A prepared statement that is finalized when it goes out of scope.
#pragma once

#include <sqlite3.h>

#include <memory>
#include <string>

namespace package {

struct StatementFinalizer {
  void operator()(sqlite3_stmt* stmt) const { sqlite3_finalize(stmt); }
};
using Stmt = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

// Prepares sql on db; null with "cannot be read (REASON)" in *why.
inline Stmt Prepare(sqlite3* db, const std::string& sql, std::string* why) {
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
    *why = std::string("cannot be read (") + sqlite3_errmsg(db) + ")";
    sqlite3_finalize(stmt);
    return nullptr;
  }
  return Stmt(stmt);
}

}  // namespace package
