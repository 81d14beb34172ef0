// zelpkg: makes, checks and fills package stores (see kCommands below).
// A store that a command makes is written beside FILE and moved over it when
// complete, so a failed run leaves no half-made store behind; import into an
// existing store is one transaction.
#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "package/schema.h"
#include "package/store.h"
#include "platform/command_line.h"
#include "platform/program_args.h"
#include "platform/host_file.h"
#include "platform/win.h"
#include "zelpkg/import.h"
#include "zelpkg/manifest.h"
#include "zelpkg/sample.h"
#include "zelpkg/store_check.h"
#include "zelpkg/store_lock.h"

namespace {

// How long a run waits for another that makes or fills the same store.
constexpr int kLockWaitSeconds = 120;

// Each command with its options; its --help, its parsing and the words
// offered for a mistyped option come from here.
const cmdline::Option kInitOptions[] = {
    {"--force", "", "replace an existing FILE"},
};
const cmdline::Option kSampleOptions[] = {
    {"--assets", "N", "the number of assets (default 200)"},
    {"--seed", "S", "the seed of the made-up values (the same seed, the same store)"},
    {"--force", "", "replace an existing FILE"},
};
const cmdline::Option kImportOptions[] = {
    {"--assets", "A.csv", "the assets (or --manifest)"},
    {"--items", "I.csv", "the items of lump-sum assets"},
    {"--categories", "C.csv", "the asset categories"},
    {"--data-set", "ID", "the data set imported into"},
    {"--company", "NAME", "with --data-set and --period: make the data set, for this company"},
    {"--period", "START END", "the accounting period of the data set made"},
    {"--replace", "",
     "with --company and --period: remake an existing data set; without: the files' rows replace the "
     "data set's assets and items (and categories, with --categories)"},
    {"--encoding", "auto|utf-8|cp932",
     "the files' text: auto (the default) reads UTF-8 (with or without a byte-order mark) and else "
     "Shift_JIS; a file with a UTF-16 byte-order mark is read as UTF-16"},
    {"--manifest", "CLIENTS.csv",
     "many clients at once: one line each after a header of the columns data_set, company, "
     "period_start, period_end, kind (corporation or individual), assets, items, categories (files "
     "relative to the manifest); all are imported in one transaction, or none"},
};

struct ZelpkgCommand {
  const char* name;
  const char* operands;
  std::span<const cmdline::Option> options;
  const char* summary;  // its line in zelpkg --help
  const char* about;    // what zelpkg COMMAND --help says besides the options; {user}: the default user
};

const ZelpkgCommand kCommands[] = {
    {"init", "FILE", kInitOptions, "an empty store: the schema and the one package row",
     "Makes FILE an empty store: the schema and the one package row. An\n"
     "existing FILE is replaced only with --force.\n"},
    {"sample", "FILE", kSampleOptions, "a sample company to try the programs on",
     "Makes FILE a store of a sample company: two users, three data sets, the\n"
     "eleven asset categories and N assets (default 200) of every kind the export\n"
     "meets; the same seed gives the same store. An existing FILE is replaced\n"
     "only with --force.\n"},
    {"schema",
     "",
     {},
     "prints the schema that every store follows",
     "Prints the schema (SQL) that every store follows.\n"},
    {"check",
     "FILE",
     {},
     "checks a store, one line per problem",
     "Checks a store: the schema, the current user and the data set it has\n"
     "selected, and that every value comes through whole into its record field\n"
     "(its type and range, calendar dates, texts that convert to Shift_JIS and\n"
     "fit uncut); one line per problem on standard output. Exit status 1 when\n"
     "there is any.\n"},
    {"import", "FILE", kImportOptions, "adds assets, items and categories from CSV files",
     "Adds assets, lump-sum items and categories from CSV files to a data set,\n"
     "which then becomes the current user's selection; a new FILE is made with\n"
     "the user {user}.\n"
     "\n"
     "The files are CSV, each starting with a header of the column names of its\n"
     "table (assets, lump_items, categories; see zelpkg schema) in any order. A\n"
     "file without a column the export needs is refused (assets: code, name,\n"
     "type_code, method_code, useful_life, acquisition_date, acquisition_cost;\n"
     "items: asset_seq, name, acquisition_date, acquisition_cost; categories:\n"
     "code, name, method_code); another missing column or an empty field takes\n"
     "the default (0 or the empty text). Amounts are yen with up to four\n"
     "decimals (\"1,200,000\" is read); dates are YYYY-MM-DD or YYYYMMDD (0 for\n"
     "none); other numbers are integers as stored.\n"
     "Rows without a seq are numbered on from the data set's last; an item needs\n"
     "its asset_seq, a category its code; a data_id column must name the data\n"
     "set imported into.\n"
     "  --data-set ID --company NAME --period START END\n"
     "            makes the data set; with --replace an existing one is remade\n"
     "            (its assets, items and categories deleted first)\n"
     "  --data-set ID\n"
     "            adds to an existing data set\n"
     "  (neither) adds to the data set the current user has selected\n"
     "Every row is checked as check checks a store, and against the rules of\n"
     "fixed-asset data (docs/USAGE.md). On any refusal nothing is written;\n"
     "each problem is given as FILE:LINE: column \"NAME\": VALUE: WHY; FIX, and\n"
     "a warning (odd but possible) as the same line after \"warning:\".\n"
     "A run that makes or fills FILE holds it locked; another run waits.\n"},
};

const char kExitStatus[] =
    "Exit status: 0 done (check: no problem), 1 failed (check: problems found),\n"
    "64 a wrong command line.\n";

cmdline::Command CommandLine(const ZelpkgCommand& command) {
  return {std::string("zelpkg ") + command.name, command.operands, command.options};
}

// zelpkg itself, before a command is named: "zelpkg init|sample|...".
cmdline::Command Tool() {
  std::string commands;
  for (const ZelpkgCommand& command : kCommands)
    commands += (commands.empty() ? "" : "|") + std::string(command.name);
  return {"zelpkg", commands, {}};
}

void Help() {
  // The synopses one under the other, "usage: " only before the first.
  bool first = true;
  for (const ZelpkgCommand& command : kCommands) {
    std::string synopsis = cmdline::Synopsis(CommandLine(command));
    if (!first) synopsis.replace(0, 6, "      ");
    std::fputs(synopsis.c_str(), stdout);
    first = false;
  }
  std::printf(
      "\n"
      "Makes, checks and fills the package stores (SQLite files) that the export\n"
      "programs read; a program finds its store in ZEL_PACKAGE.\n"
      "\n");
  for (const ZelpkgCommand& command : kCommands) std::printf("  %-8s  %s\n", command.name, command.summary);
  std::printf("\nzelpkg COMMAND --help says more of each.\n%s", kExitStatus);
}

void CommandHelp(const ZelpkgCommand& command) {
  cmdline::Command line = CommandLine(command);
  std::string about = command.about;
  if (size_t at = about.find("{user}"); at != std::string::npos) about.replace(at, 6, package::kDefaultUser);
  std::printf("%s\n%s\n%s\n%s", cmdline::Synopsis(line).c_str(), about.c_str(),
              cmdline::OptionHelp(line).c_str(), kExitStatus);
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

bool Exists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::exists(std::filesystem::symlink_status(win::HostFsPath(path), ec));
}

// The folders of a new store: on Windows the user's Documents for the
// output and a folder under %APPDATA% (made by the first save) for the
// remembered paths, which serve every user of the machine as they are (the
// package expands the variables); elsewhere none, as the schema has it.
#ifdef _WIN32
const char kNewStoreFolders[] =
    "UPDATE package SET output_folder = '%USERPROFILE%\\Documents\\', env_folder = '%APPDATA%\\Zelmar\\';";
#else
const char kNewStoreFolders[] = "";
#endif

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
  if (ok && kNewStoreFolders[0] &&
      sqlite3_exec(db, kNewStoreFolders, nullptr, nullptr, nullptr) != SQLITE_OK) {
    ok = false;
    error = sqlite3_errmsg(db);
  }
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

// Imports (with import, a call of Import or ImportManifest) and says the
// outcome; false when nothing was imported.
using Importer = std::function<bool(sqlite3* db, std::string* summary, std::vector<std::string>* errors,
                                    std::vector<std::string>* warnings)>;
bool RunImport(sqlite3* db, const std::string& file, const Importer& import) {
  std::string summary;
  std::vector<std::string> errors, warnings;
  const bool imported = import(db, &summary, &errors, &warnings);
  for (const std::string& line : warnings) std::fprintf(stderr, "zelpkg: warning: %s\n", line.c_str());
  if (!imported) {
    for (const std::string& line : errors) std::fprintf(stderr, "zelpkg: %s\n", line.c_str());
    std::fprintf(stderr, "zelpkg: nothing was imported into %s\n", file.c_str());
    return false;
  }
  std::printf("zelpkg: %s: %s\n", file.c_str(), summary.c_str());
  return true;
}

int Import(const std::string& file, const Importer& import) {
  if (!Exists(file))
    return Make(file, false, [&](sqlite3* db, std::string* error) {
      error->clear();
      return RunImport(db, file, import);
    });
  package::Store store;
  std::string error;
  if (!store.Open(file, &error)) {
    std::fprintf(stderr, "zelpkg: %s: %s\n", file.c_str(), error.c_str());
    return 1;
  }
  bool ok = RunImport(store.db(), file, import);
  store.Close();
  return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  package::StopSqliteMemoryCount();
  win::UseUtf8CommandLine(&argc, &argv);
  const std::vector<std::string> args(argv + std::min(argc, 1), argv + argc);
  const cmdline::Command tool = Tool();
  if (args.empty()) return cmdline::UsageError(tool, "no command given");
  if (args[0].starts_with("-")) {
    const cmdline::Parsed parsed = cmdline::Parse(tool, args);
    if (parsed.outcome == cmdline::Parsed::kUsageError) return cmdline::UsageError(tool, parsed.error);
    if (parsed.outcome == cmdline::Parsed::kRun) return cmdline::UsageError(tool, "the command comes first");
    if (parsed.outcome == cmdline::Parsed::kHelp) Help();
    if (parsed.outcome == cmdline::Parsed::kVersion) std::printf("zelpkg %s\n", ZEL_VERSION);
    return 0;
  }
  const ZelpkgCommand* found = nullptr;
  std::vector<std::string_view> names;
  for (const ZelpkgCommand& command : kCommands) {
    names.push_back(command.name);
    if (args[0] == command.name) found = &command;
  }
  if (found == nullptr)
    return cmdline::UsageError(tool, "unknown command " + args[0] + cmdline::DidYouMean(args[0], names));
  const std::string command = found->name;
  const cmdline::Command line = CommandLine(*found);
  const cmdline::Parsed parsed = cmdline::Parse(line, std::span(args).subspan(1));
  switch (parsed.outcome) {
    case cmdline::Parsed::kHelp: CommandHelp(*found); return 0;
    case cmdline::Parsed::kVersion: std::printf("zelpkg %s\n", ZEL_VERSION); return 0;
    case cmdline::Parsed::kUsageError: return cmdline::UsageError(line, parsed.error);
    case cmdline::Parsed::kRun: break;
  }
  auto given = [&](const char* name) { return parsed.Has(name); };
  auto value = [&](const char* name, size_t i = 0) { return parsed.Value(name, i); };
  if (command == "schema") {
    std::fputs(package::kSchemaSql + 1, stdout);  // without its leading line end
    return 0;
  }
  const std::string file = parsed.operands[0];
  // A store is made or filled by one run at a time; the others wait.
  package::StoreLock lock;
  if (command != "check") {
    std::string why;
    if (!lock.Acquire(file, kLockWaitSeconds, &why)) {
      std::fprintf(stderr, "zelpkg: %s: %s\n", file.c_str(), why.c_str());
      return 1;
    }
  }
  if (command == "init") return Make(file, given("--force"), [](sqlite3*, std::string*) { return true; });
  if (command == "sample") {
    package::SampleOptions sample;
    uint64_t n = 0;
    if (given("--assets") && !ParseNumber(value("--assets"), 100000000ULL, &n))
      return cmdline::UsageError(
          line, "--assets N: \"" + value("--assets") + "\" is not a whole number from 0 to 100000000");
    if (given("--assets")) sample.assets = static_cast<long>(n);
    if (given("--seed") && !ParseNumber(value("--seed"), ~0ULL, &sample.seed))
      return cmdline::UsageError(line, "--seed S: \"" + value("--seed") + "\" is not a whole number");
    return Make(file, given("--force"),
                [&](sqlite3* db, std::string* error) { return package::WriteSample(db, sample, error); });
  }
  if (command == "check") return Check(file);
  if (given("--manifest")) {
    if (parsed.values.size() != 1 + (given("--replace") ? 1 : 0))
      return cmdline::UsageError(line, "--manifest names every file and data set itself: give only --replace with it");
    return Import(file, [&](sqlite3* db, std::string* summary, std::vector<std::string>* errors,
                            std::vector<std::string>* warnings) {
      return package::ImportManifest(db, value("--manifest"), given("--replace"), summary, errors, warnings);
    });
  }
  if (!given("--assets")) return cmdline::UsageError(line, "--assets A.csv is missing");
  package::ImportOptions import;
  import.assets = value("--assets");
  import.items = value("--items");
  import.categories = value("--categories");
  import.data_set = value("--data-set");
  import.company = value("--company");
  import.period_start = value("--period");
  import.period_end = value("--period", 1);
  import.replace = given("--replace");
  if (given("--encoding") && !package::ParseEncoding(value("--encoding"), &import.encoding))
    return cmdline::UsageError(line, "--encoding takes auto, utf-8 or cp932, not " + value("--encoding"));
  // A data set is made with its company and period, and only then remade.
  import.make_data_set = given("--company") || given("--period");
  if (import.make_data_set && !(given("--data-set") && given("--company") && given("--period")))
    return cmdline::UsageError(line, "a data set is made with --data-set, --company and --period together");
  return Import(file, [&](sqlite3* db, std::string* summary, std::vector<std::string>* errors,
                          std::vector<std::string>* warnings) {
    return package::Import(db, import, summary, errors, warnings);
  });
}
