// The current user's selection in a store: what the component needs to
// link to the data of a run, checked at its start and by `zelpkg check`.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string>

namespace package {

// The current user as GetCurUserID gives it, that user's row in users, and
// the data set of its second selection number in datasets. False with one
// line in *why when one of them is missing; else *data_no (when given) is
// the selected data set's number.
bool CheckSelection(sqlite3* db, int64_t* data_no, std::string* why);

}  // namespace package
