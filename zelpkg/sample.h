// The sample company that `zelpkg sample` writes into a new store.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string>

namespace package {

struct SampleOptions {
  long assets = 200;  // assets of the selected data set
  uint64_t seed = 1;  // the same seed gives the same store
};

// Fills a store that has the schema and its package row (CreateSchema):
// users with a selected data set, three data sets (one past-results), the
// eleven categories, and the assets. The first eighteen assets are the
// cases a user of the export meets (every method code, lump-sum assets with
// items, one with 150 items, both disposal kinds, texts longer than their
// fields, double-byte texts, and values that raise remarks: a long code, a
// duplicate code, an amount beyond 11 digits, a code with a symbol); the
// rest are drawn from the seed. One transaction.
bool WriteSample(sqlite3* db, const SampleOptions& options, std::string* error);

}  // namespace package
