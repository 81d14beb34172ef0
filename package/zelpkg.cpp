// zelpkg: makes package stores.
//   zelpkg init FILE                              the schema and one package row
//   zelpkg sample FILE [--assets N] [--seed S]   a sample company
// The store is written beside FILE and moved over it when complete, so a
// failed run leaves no half-made store behind.
#include <sqlite3.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "package/sample.h"
#include "package/store.h"
#include "platform/host_file.h"
#include "platform/win.h"

namespace {

int Usage() {
  std::fprintf(stderr, "usage: zelpkg init FILE | zelpkg sample FILE [--assets N] [--seed S]\n");
  return 2;
}

bool ParseNumber(const char* text, unsigned long long max, unsigned long long* value) {
  if (!text || !*text || *text < '0' || *text > '9') return false;
  char* end = nullptr;
  errno = 0;
  unsigned long long v = std::strtoull(text, &end, 10);
  if (errno != 0 || *end != '\0' || v > max) return false;
  *value = v;
  return true;
}

int Make(const std::string& file, const package::SampleOptions* sample) {
  std::string temp = file + ".zelpkg-tmp";
  std::error_code ignored;
  std::filesystem::remove(win::HostFsPath(temp), ignored);
  sqlite3* db = nullptr;
  std::string error;
  bool ok = sqlite3_open_v2(temp.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) == SQLITE_OK;
  if (!ok) error = db ? sqlite3_errmsg(db) : "out of memory";
  ok = ok && sqlite3_exec(db, "PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF;", nullptr, nullptr, nullptr) == SQLITE_OK;
  ok = ok && package::CreateSchema(db, &error);
  ok = ok && (!sample || package::WriteSample(db, *sample, &error));
  if (sqlite3_close(db) != SQLITE_OK && ok) {
    ok = false;
    error = "cannot close the store";
  }
  // Replaced in one step, also where a rename does not replace (Windows).
  if (ok && !hostfile::Replace(temp, file)) {
    ok = false;
    error = "cannot replace the file";
  }
  if (!ok) {
    std::filesystem::remove(win::HostFsPath(temp), ignored);
    std::fprintf(stderr, "zelpkg: %s: %s\n", file.c_str(), error.c_str());
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  std::string command = argv[1];
  std::string file = argv[2];
  if (file.empty()) return Usage();
  if (command == "init") return argc == 3 ? Make(file, nullptr) : Usage();
  if (command != "sample") return Usage();
  package::SampleOptions options;
  for (int i = 3; i < argc; i += 2) {
    unsigned long long value = 0;
    std::string option = argv[i];
    const char* arg = i + 1 < argc ? argv[i + 1] : nullptr;
    if (option == "--assets" && ParseNumber(arg, 100000000ULL, &value))
      options.assets = static_cast<long>(value);
    else if (option == "--seed" && ParseNumber(arg, ~0ULL, &value))
      options.seed = value;
    else
      return Usage();
  }
  return Make(file, &options);
}
