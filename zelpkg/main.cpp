// zelpkg: makes, checks and fills package stores (see Help below).
// A store that a command makes is written beside FILE and moved over it when
// complete, so a failed run leaves no half-made store behind; import into an
// existing store is one transaction.
#include <sqlite3.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "package/schema.h"
#include "package/store.h"
#include "platform/host_file.h"
#include "platform/win.h"
#include "zelpkg/import.h"
#include "zelpkg/sample.h"
#include "zelpkg/store_check.h"
#include "zelpkg/store_lock.h"

namespace {

constexpr int kUsageStatus = 2;
constexpr int kLockWaitSeconds = 120;

const char kUsage[] =
    "usage: zelpkg init FILE [--force]\n"
    "       zelpkg sample FILE [--assets N] [--seed S] [--force]\n"
    "       zelpkg schema\n"
    "       zelpkg check FILE\n"
    "       zelpkg import FILE --assets A.csv [--items I.csv] [--categories C.csv]\n"
    "                     [--data-set ID [--company NAME --period START END]] [--replace]\n"
    "                     [--encoding auto|utf-8|cp932]\n"
    "       zelpkg --help | --version\n";

void Help() {
  std::printf(
      "%s\n"
      "Makes, checks and fills the package stores (SQLite files) that the export\n"
      "programs read; a program finds its store in ZEL_PACKAGE.\n"
      "\n"
      "  init      an empty store: the schema and the one package row\n"
      "  sample    a sample company: two users, three data sets, the eleven asset\n"
      "            categories and N assets (default 200) of every kind the export\n"
      "            meets; the same seed gives the same store\n"
      "  schema    prints the schema that every store follows\n"
      "  check     checks a store: the schema, the current user and the data set\n"
      "            it has selected, and that every value comes through whole into\n"
      "            its record field (its type and range, calendar dates, texts that\n"
      "            convert to Shift_JIS and fit uncut); one line per problem on\n"
      "            standard output\n"
      "  import    adds assets, lump-sum items and categories from CSV files to a\n"
      "            data set, which then becomes the current user's selection; a new\n"
      "            FILE is made with the user %s\n"
      "\n"
      "init and sample refuse to replace an existing FILE unless --force is given.\n"
      "\n"
      "Import: the files are CSV, each starting with a header of the column\n"
      "names of its table (assets, lump_items, categories; see zelpkg schema) in\n"
      "any order. A file without a column the export needs is refused (assets:\n"
      "code, name, type_code, method_code, useful_life, acquisition_date,\n"
      "acquisition_cost; items: asset_seq, name, acquisition_date,\n"
      "acquisition_cost; categories: code, name, method_code); another missing\n"
      "column or an empty field takes the default (0 or the empty text). Amounts\n"
      "are yen with up to four decimals (\"1,200,000\" is read); dates are\n"
      "YYYY-MM-DD or YYYYMMDD (0 for none); other numbers are integers as stored.\n"
      "  --encoding auto|utf-8|cp932\n"
      "            the files' text: auto (the default) reads UTF-8 (with or\n"
      "            without a byte-order mark) and else Shift_JIS; a file with a\n"
      "            UTF-16 byte-order mark is read as UTF-16\n"
      "Rows without a seq are numbered on from the data set's last; an item needs\n"
      "its asset_seq, a category its code; a data_id column must name the data\n"
      "set imported into.\n"
      "  --data-set ID --company NAME --period START END\n"
      "            makes the data set; with --replace an existing one is remade\n"
      "            (its assets, items and categories deleted first)\n"
      "  --data-set ID\n"
      "            adds to an existing data set\n"
      "  (neither) adds to the data set the current user has selected\n"
      "  --replace without --company: the files' rows replace the data set's\n"
      "            assets and items (and categories, with --categories)\n"
      "Every row is checked as check checks a store, and against the rules of\n"
      "fixed-asset data (docs/USAGE.md). On any refusal nothing is written;\n"
      "each problem is given as FILE:LINE: column \"NAME\": VALUE: WHY; FIX, and\n"
      "a warning (odd but possible) as the same line after \"warning:\".\n"
      "A run that makes or fills FILE holds it locked; another run waits.\n"
      "\n"
      "Exit status: 0 done (check: no problem), 1 failed (check: problems found),\n"
      "2 wrong arguments.\n",
      kUsage, package::kDefaultUser);
}

int Usage() {
  std::fputs(kUsage, stderr);
  return kUsageStatus;
}

bool ParseNumber(const std::string& text, unsigned long long max, uint64_t* value) {
  if (text.empty() || text[0] < '0' || text[0] > '9') return false;
  char* end = nullptr;
  errno = 0;
  unsigned long long v = std::strtoull(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || v > max) return false;
  *value = v;
  return true;
}

// The options each command takes, with the number of values after each.
struct OptionRule {
  const char* command;
  const char* name;
  size_t values;
};
const OptionRule kOptions[] = {
    {"init", "--force", 0},        {"sample", "--force", 0},    {"sample", "--assets", 1},
    {"sample", "--seed", 1},       {"import", "--assets", 1},   {"import", "--items", 1},
    {"import", "--categories", 1}, {"import", "--data-set", 1}, {"import", "--company", 1},
    {"import", "--period", 2},     {"import", "--replace", 0},  {"import", "--encoding", 1},
};

// Reads the options after "COMMAND FILE" into *options (name to values).
// False for a command that is not known, an option that the command does
// not take or that is given twice, and a value that is missing or empty.
bool ReadOptions(const std::string& command, const std::vector<std::string>& args,
                 std::map<std::string, std::vector<std::string>>* options) {
  if (command != "init" && command != "sample" && command != "check" && command != "import") return false;
  for (size_t i = 2; i < args.size();) {
    const OptionRule* rule = nullptr;
    for (const OptionRule& o : kOptions)
      if (command == o.command && args[i] == o.name) rule = &o;
    if (!rule || options->count(rule->name) || i + rule->values >= args.size()) return false;
    std::vector<std::string>& values = (*options)[rule->name];
    for (size_t k = 1; k <= rule->values; ++k) {
      if (args[i + k].empty()) return false;
      values.push_back(args[i + k]);
    }
    i += 1 + rule->values;
  }
  return true;
}

bool Exists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::exists(std::filesystem::symlink_status(win::HostFsPath(path), ec));
}

// Fills a new database; false with the reason in *error, or with an empty
// *error when it has said its problems itself.
using Filler = std::function<bool(sqlite3* db, std::string* error)>;

// Writes a new store at file through fill: beside it first, then moved over
// it. An existing file is replaced only with force.
int Make(const std::string& file, bool force, const Filler& fill) {
  if (!force && Exists(file)) {
    std::fprintf(stderr, "zelpkg: %s exists already; --force replaces it\n", file.c_str());
    return 1;
  }
  std::string temp = package::RunTempName(file);
  std::error_code ignored;
  std::filesystem::remove(win::HostFsPath(temp), ignored);
  sqlite3* db = nullptr;
  std::string error;
  // One thread uses the connection: no mutex around each call.
  bool ok =
      sqlite3_open_v2(temp.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                      nullptr) == SQLITE_OK;
  if (!ok) error = db ? sqlite3_errmsg(db) : "out of memory";
  ok = ok && sqlite3_exec(db, "PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF;", nullptr, nullptr,
                          nullptr) == SQLITE_OK;
  ok = ok && package::CreateSchema(db, &error);
  ok = ok && fill(db, &error);
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
    if (!error.empty()) std::fprintf(stderr, "zelpkg: %s: %s\n", file.c_str(), error.c_str());
    return 1;
  }
  return 0;
}

int Check(const std::string& file) {
  package::Store store;
  std::string error;
  if (!store.Open(file, &error)) {
    std::fprintf(stderr, "zelpkg: %s: %s\n", file.c_str(), error.c_str());
    return 1;
  }
  size_t problems = package::CheckStore(
      store.db(), [](const package::Problem& p) { std::printf("%s\n", package::Describe(p).c_str()); });
  store.Close();
  return problems == 0 ? 0 : 1;
}

// Imports and says the outcome; false when nothing was imported.
bool RunImport(sqlite3* db, const std::string& file, const package::ImportOptions& options) {
  std::string summary;
  std::vector<std::string> errors, warnings;
  bool imported = package::Import(db, options, &summary, &errors, &warnings);
  for (const std::string& line : warnings) std::fprintf(stderr, "zelpkg: warning: %s\n", line.c_str());
  if (!imported) {
    for (const std::string& line : errors) std::fprintf(stderr, "zelpkg: %s\n", line.c_str());
    std::fprintf(stderr, "zelpkg: nothing was imported into %s\n", file.c_str());
    return false;
  }
  std::printf("zelpkg: %s: %s\n", file.c_str(), summary.c_str());
  return true;
}

int Import(const std::string& file, const package::ImportOptions& options) {
  if (!Exists(file))
    return Make(file, false, [&](sqlite3* db, std::string* error) {
      error->clear();
      return RunImport(db, file, options);
    });
  package::Store store;
  std::string error;
  if (!store.Open(file, &error)) {
    std::fprintf(stderr, "zelpkg: %s: %s\n", file.c_str(), error.c_str());
    return 1;
  }
  bool ok = RunImport(store.db(), file, options);
  store.Close();
  return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 1 && args[0] == "--help") {
    Help();
    return 0;
  }
  if (args.size() == 1 && args[0] == "--version") {
    std::printf("zelpkg %s\n", ZEL_VERSION);
    return 0;
  }
  if (args.empty()) return Usage();
  const std::string command = args[0];
  if (command == "schema") {
    if (args.size() != 1) return Usage();
    std::fputs(package::kSchemaSql + 1, stdout);  // without its leading line end
    return 0;
  }
  if (args.size() < 2 || args[1].empty() || args[1][0] == '-') return Usage();
  const std::string file = args[1];

  std::map<std::string, std::vector<std::string>> options;
  if (!ReadOptions(command, args, &options)) return Usage();
  // A store is made or filled by one run at a time; the others wait.
  package::StoreLock lock;
  std::string why;
  if (command != "check" && !lock.Acquire(file, kLockWaitSeconds, &why)) {
    std::fprintf(stderr, "zelpkg: %s: %s\n", file.c_str(), why.c_str());
    return 1;
  }
  auto given = [&](const char* name) { return options.count(name) > 0; };
  auto value = [&](const char* name, size_t i = 0) { return given(name) ? options[name][i] : std::string(); };

  if (command == "init") return Make(file, given("--force"), [](sqlite3*, std::string*) { return true; });
  if (command == "sample") {
    package::SampleOptions sample;
    uint64_t n = 0;
    if (given("--assets") && !ParseNumber(value("--assets"), 100000000ULL, &n)) return Usage();
    if (given("--assets")) sample.assets = static_cast<long>(n);
    if (given("--seed") && !ParseNumber(value("--seed"), ~0ULL, &sample.seed)) return Usage();
    return Make(file, given("--force"),
                [&](sqlite3* db, std::string* error) { return package::WriteSample(db, sample, error); });
  }
  if (command == "check") return Check(file);
  package::ImportOptions import;
  import.assets = value("--assets");
  import.items = value("--items");
  import.categories = value("--categories");
  import.data_set = value("--data-set");
  import.company = value("--company");
  import.period_start = value("--period");
  import.period_end = value("--period", 1);
  import.replace = given("--replace");
  if (given("--encoding") && !package::ParseEncoding(value("--encoding"), &import.encoding)) return Usage();
  // A data set is made with its company and period, and only then remade.
  import.make_data_set = given("--company") || given("--period");
  if (!given("--assets") ||
      (import.make_data_set && !(given("--data-set") && given("--company") && given("--period"))))
    return Usage();
  return Import(file, import);
}
