// Saved column orders of the text accessors, kept per data set and accessor
// name in saved_orders.
#include <cstring>
#include <string>

#include "component/component.h"
#include "package/store.h"
#include "platform/cp932.h"

ClSaveTextIO::ClSaveTextIO() = default;
ClSaveTextIO::~ClSaveTextIO() = default;

namespace {

std::string NameOf(const StTEXTIOSAVEINFO& info) {
  return std::string(cp932::FieldText(info.name, sizeof(info.name)));
}

}  // namespace

long ClSaveTextIO::GetData(StTEXTIOSAVEINFO* info) {
  if (!info) return 1;
  sqlite3_stmt* stmt = package::TheStore().Prepare(
      "SELECT columns FROM saved_orders WHERE data_id IN (?1, ?2) AND name IN (?3, ?4) LIMIT 1");
  if (!stmt) return 1;
  package::BindKey(stmt, 1, data_id_);
  package::BindKey(stmt, 3, NameOf(*info));
  long rc = 1;
  if (package::TheStore().Step(stmt)) {
    const void* bytes = sqlite3_column_blob(stmt, 0);
    size_t n = static_cast<size_t>(sqlite3_column_bytes(stmt, 0));
    if (n > sizeof(info->columns)) n = sizeof(info->columns);
    std::memset(info->columns, 0, sizeof(info->columns));
    if (bytes) std::memcpy(info->columns, bytes, n);
    info->count = static_cast<int16_t>(n);
    rc = 0;
  }
  sqlite3_finalize(stmt);
  return rc;
}

long ClSaveTextIO::SetData(StTEXTIOSAVEINFO* info) {
  if (!info) return 1;
  int count = info->count;
  if (count < 0 || count > static_cast<int>(sizeof(info->columns))) return 1;
  sqlite3_stmt* del =
      package::TheStore().Prepare("DELETE FROM saved_orders WHERE data_id IN (?1, ?2) AND name IN (?3, ?4)");
  sqlite3_stmt* ins =
      package::TheStore().Prepare("INSERT INTO saved_orders (data_id, name, columns) VALUES (?, ?, ?)");
  long rc = 1;
  if (del && ins) {
    std::string id = cp932::ToUtf8(data_id_), name = cp932::ToUtf8(NameOf(*info));
    package::BindKey(del, 1, data_id_);
    package::BindKey(del, 3, NameOf(*info));
    sqlite3_bind_text(ins, 1, id.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(ins, 2, name.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_blob(ins, 3, info->columns, count, SQLITE_TRANSIENT);
    if (sqlite3_step(del) == SQLITE_DONE && sqlite3_step(ins) == SQLITE_DONE) rc = 0;
  }
  sqlite3_finalize(del);
  sqlite3_finalize(ins);
  return rc;
}
