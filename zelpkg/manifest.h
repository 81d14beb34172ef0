// Many clients into one store at once, for `zelpkg import --manifest`: a
// CSV file (UTF-8) with one line per client after a header that names its
// columns in any order: data_set, company, period_start, period_end (as
// --data-set, --company and --period take them), kind ("corporation", the
// default, or "individual"), and assets, items and categories, the CSV
// files of that client (relative to the manifest's folder; empty for none).
// Every client is imported as `zelpkg import` imports one, all in one
// transaction: one problem anywhere and nothing is written.
#pragma once

#include <sqlite3.h>

#include <string>
#include <vector>

namespace package {

// Imports the clients of manifest into db. True with a one-line *summary;
// false with each problem in *errors (as "MANIFEST:LINE: ..."), and the
// store as it was. replace makes data sets that exist again. What is odd but
// possible goes to *warnings, and does not stop the import.
bool ImportManifest(sqlite3* db, const std::string& manifest, bool replace, std::string* summary,
                    std::vector<std::string>* errors, std::vector<std::string>* warnings);

}  // namespace package
