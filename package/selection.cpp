#include "package/selection.h"

#include <string_view>

#include "package/columns.h"
#include "package/statement.h"
#include "package/store.h"
#include "platform/cp932.h"

namespace package {

bool CheckSelection(sqlite3* db, int64_t* data_no, std::string* why) {
  Stmt stmt = Prepare(db, "SELECT current_user FROM package ORDER BY rowid LIMIT 1", why);
  if (!stmt) return false;
  // The user ID as GetCurUserID hands it on: CP932, at most 64 bytes.
  char user[65] = {};
  if (sqlite3_step(stmt.get()) == SQLITE_ROW) {
    bool blob = sqlite3_column_type(stmt.get(), 0) == SQLITE_BLOB;
    const char* bytes = static_cast<const char*>(sqlite3_column_blob(stmt.get(), 0));
    std::string_view raw(bytes ? bytes : "",
                         bytes ? static_cast<size_t>(sqlite3_column_bytes(stmt.get(), 0)) : 0);
    raw = raw.substr(0, cp932::FieldLength(raw.data(), raw.size()));
    cp932::CopyCut(user, sizeof user, blob ? std::string(raw) : cp932::FromUtf8(raw));
  }
  if (!user[0]) {
    *why = "no current user: package.current_user is empty";
    return false;
  }
  std::string shown = "\"" + ShownText(cp932::ToUtf8(user)) + "\"";
  stmt = Prepare(db, "SELECT selected_second FROM users WHERE user_id IN (?1, ?2) LIMIT 1", why);
  if (!stmt) return false;
  BindKey(stmt.get(), 1, user);
  if (sqlite3_step(stmt.get()) != SQLITE_ROW) {
    *why = "the current user " + shown + " (package.current_user) is not in users";
    return false;
  }
  // The selection number as GetSelectedNo hands it on.
  int32_t selected = static_cast<int32_t>(sqlite3_column_int64(stmt.get(), 0));
  stmt = Prepare(db, "SELECT 1 FROM datasets WHERE data_no = ?1", why);
  if (!stmt) return false;
  sqlite3_bind_int64(stmt.get(), 1, selected);
  if (sqlite3_step(stmt.get()) != SQLITE_ROW) {
    *why = "the current user " + shown + " has selected data set no. " + std::to_string(selected) +
           " (users.selected_second), which is not in datasets";
    return false;
  }
  if (data_no) *data_no = selected;
  return true;
}

}  // namespace package
