// A new store with zelpkg's sample company, for the tests and benchmarks
// that walk or export many assets of every kind.
#pragma once

#include <string>

#include "package/test_store_builder.h"
#include "zelpkg/sample.h"

namespace teststore {

// A new store at path with the sample company of `assets` assets.
inline bool MakeSample(const std::string& path, long assets, std::string* error) {
  package::SampleOptions options;
  options.assets = assets;
  return MakeWith(path, error, [&](sqlite3* db) { return package::WriteSample(db, options, error); });
}

}  // namespace teststore
