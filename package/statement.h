// A prepared statement that is finalized when it goes out of scope.
#pragma once

#include <sqlite3.h>

#include <memory>

namespace package {

struct StatementFinalizer {
  void operator()(sqlite3_stmt* stmt) const { sqlite3_finalize(stmt); }
};
using Stmt = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

}  // namespace package
