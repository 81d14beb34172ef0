// zelpkg import: 100,000 assets with every column, and items, from CSV into
// a new store (journal off) and into an existing one (one journalled
// transaction); goal: a few seconds. And the check of such a store.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "package/columns.h"
#include "package/store.h"
#include "package/test_store_builder.h"
#include "platform/test_env.h"
#include "zelpkg/import.h"
#include "zelpkg/store_check.h"

namespace {

// Every asset column, in table order; every tenth asset a lump-sum asset
// with two items.
void WriteCsv(const std::string& dir, long assets) {
  std::ofstream a(dir + "/a.csv", std::ios::binary), i(dir + "/i.csv", std::ios::binary);
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
        default: a << (column == "method_code" ? (lump ? 4 : 6) : n % 100); break;
      }
    }
    a << "\n";
    if (lump)
      for (int k = 0; k < 2; ++k) i << n << ",item " << k << ",2023-04-01,150000.25,100\n";
  }
}

// Imports the CSV files in dir into a new store there (fresh) or into the
// one there, as zelpkg import does.
void Import(const std::string& dir, bool fresh) {
  package::ImportOptions options;
  options.assets = dir + "/a.csv";
  options.items = dir + "/i.csv";
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
  }
}

void BM_Import(benchmark::State& state) {
  testenv::ScratchDir dir("zel-import-bench");
  WriteCsv(dir.path(), state.range(0));
  bool fresh = state.range(1) != 0;
  if (!fresh) Import(dir.path(), true);  // the store to add to
  for (auto _ : state) Import(dir.path(), fresh);
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Import)->Args({100000, 1})->Args({100000, 0})->Iterations(1)->Unit(benchmark::kMillisecond);

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
