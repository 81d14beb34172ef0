// zelpkg import: 100,000 and 1,000,000 assets with every column, and items,
// from CSV into a new store (journal off) and into an existing one (one
// journalled transaction), beside `sqlite3 .import --csv` of the same asset
// file into a table of the same columns; goal: the import no slower than
// sqlite3's (zelpkg reads and parses the file on a second thread while it
// stores rows; sqlite3's shell uses one). And the check of such a store.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "package/columns.h"
#include "package/schema.h"
#include "package/store.h"
#include "package/test_store_builder.h"
#include "platform/test_env.h"
#include "zelpkg/import.h"
#include "zelpkg/store_check.h"

namespace {

// As zelpkg's main does, before any store opens.
const bool kMemoryCountStopped = (package::StopSqliteMemoryCount(), true);

// Every asset column, in table order, with values the import accepts: most
// rows draw a warning or two (a disposal date without a disposal, a limit
// rate above 100 %), so that counting them is measured too. Every tenth
// asset is a lump-sum asset with two items.
void WriteCsv(const std::string& dir, long assets) {
  std::ofstream a(dir + "/a.csv", std::ios::binary), i(dir + "/i.csv", std::ios::binary);
  std::ofstream(dir + "/c.csv", std::ios::binary) << "code,name,method_code\n1,Building,2\n";
  std::vector<package::ColumnRule> columns;
  for (auto rules : {package::kAssetMasterColumns, package::kAssetYearColumns})
    columns.insert(columns.end(), rules.begin(), rules.end());
  for (size_t c = 0; c < columns.size(); ++c) a << (c ? "," : "") << columns[c].column;
  a << "\n";
  i << "asset_seq,name,acquisition_date,acquisition_cost,quantity\n";
  for (long n = 1; n <= assets; ++n) {
    bool lump = n % 10 == 0;
    for (size_t c = 0; c < columns.size(); ++c) {
      const std::string column = columns[c].column;
      if (c) a << ",";
      switch (columns[c].kind) {
        case package::FieldKind::kText:
          if (column == "name")
            a << "\"\xE6\x9C\xAC\xE7\xA4\xBE\xE3\x83\x93\xE3\x83\xAB, " << n << "\"";  // 本社ビル
          else if (column == "code")
            a << "A" << n;
          else if (column == "quantity_text")
            a << "1\xE5\x8F\xB0";  // 1台
          break;
        case package::FieldKind::kDate: a << (n % 2 ? "2019-10-01" : "20200401"); break;
        case package::FieldKind::kAmount:
        case package::FieldKind::kAmount7: a << n % 100000 << "." << n % 10000; break;
        case package::FieldKind::kAssetKey: a << n; break;
        default:
          if (column == "method_code")
            a << (lump ? 4 : 6);
          else if (column == "type_code")
            a << 1;
          else if (column == "useful_life")
            a << 1 + n % 50;
          else if (column == "limit_kind")
            a << n % 2;
          else if (column != "disposal_kind" && column != "months_entered")
            a << n % 100;
          break;
      }
    }
    a << "\n";
    if (lump)
      for (int k = 0; k < 2; ++k) i << n << ",item " << k << ",2023-04-01,150000.25,100\n";
  }
}

// Imports the CSV files in dir into a new store there (fresh) or into the
// one there, as zelpkg import does.
bool Import(const std::string& dir, bool fresh) {
  package::ImportOptions options;
  options.assets = dir + "/a.csv";
  options.items = dir + "/i.csv";
  options.categories = dir + "/c.csv";
  options.data_set = fresh ? "D1" : "D2";
  options.make_data_set = true;
  options.replace = true;
  options.company = "Co";
  options.period_start = "2024-04-01";
  options.period_end = "2025-03-31";
  std::string path = dir + "/package.db", summary, error;
  std::vector<std::string> errors;
  auto import = [&](sqlite3* db) { return package::Import(db, options, &summary, &errors, &errors); };
  if (!(fresh ? teststore::MakeWith(path, &error, import) : teststore::WithDatabase(path, &error, import))) {
    for (const std::string& line : errors) std::fprintf(stderr, "%s\n", line.c_str());
    if (!error.empty()) std::fprintf(stderr, "%s\n", error.c_str());
    return false;
  }
  return true;
}

void BM_Import(benchmark::State& state) {
  testenv::ScratchDir dir("zel-import-bench");
  WriteCsv(dir.path(), state.range(0));
  bool fresh = state.range(1) != 0;
  if (!fresh) Import(dir.path(), true);  // the store to add to
  for (auto _ : state)
    if (!Import(dir.path(), fresh)) state.SkipWithError("the import failed");
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Import)
    ->Args({100000, 1})
    ->Args({100000, 0})
    ->Args({1000000, 1})
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// sqlite3's own CSV import of the same asset file, into a new store's table
// of the same columns, types and key (the assets table without data_id,
// which the file does not carry: its key is then the seq alone), journal off
// as zelpkg makes a new store.
void BM_SqliteImport(benchmark::State& state) {
  testenv::ScratchDir dir("zel-import-bench");
  WriteCsv(dir.path(), state.range(0));
  std::string columns;
  for (auto rules : {package::kAssetMasterColumns, package::kAssetYearColumns})
    for (const package::ColumnRule& rule : rules)
      columns += (columns.empty() ? "" : ", ") + std::string(rule.column);
  const std::string script = std::string(package::kSchemaSql) +
                             "PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF;\n"
                             "CREATE TABLE imported AS SELECT " +
                             columns +
                             " FROM assets WHERE 0;\n"
                             "CREATE UNIQUE INDEX imported_key ON imported (seq);\n"
                             ".import --csv --skip 1 a.csv imported\n";
  std::ofstream(dir.Host("import.sql"), std::ios::binary) << script;
  for (auto _ : state) {
    std::remove(dir.Host("sqlite.db").c_str());
    testenv::ProgramResult r =
        testenv::RunProgram({.argv = {"sqlite3", "sqlite.db", ".read import.sql"}, .folder = dir.path()});
    if (r.status != 0) state.SkipWithError(("sqlite3: " + r.err).c_str());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SqliteImport)
    ->Arg(100000)
    ->Arg(1000000)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

void BM_CheckStore(benchmark::State& state) {
  testenv::ScratchDir dir("zel-import-bench");
  WriteCsv(dir.path(), state.range(0));
  Import(dir.path(), true);
  // Opened as zelpkg check opens it.
  package::Store store;
  std::string error;
  if (!store.Open(dir.Host("package.db"), &error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  for (auto _ : state) {
    size_t problems = package::CheckStore(store.db(), [](const package::Problem&) {});
    benchmark::DoNotOptimize(problems);
  }
  store.Close();
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_CheckStore)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
