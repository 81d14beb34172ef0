// The stand-in package: making a sample store of a million assets (goal:
// well under a minute) and walking assets through the rule object (one
// statement stepped along, no query per asset).
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "component/component.h"
#include "package/sample.h"
#include "package/store.h"

namespace {

std::string TempStore() {
  char dir[] = "/tmp/zel-bench-XXXXXX";
  if (!mkdtemp(dir)) return "/tmp/zel-bench.db";
  return std::string(dir) + "/package.db";
}

void MakeSample(const std::string& path, long assets) {
  std::remove(path.c_str());
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  sqlite3_exec(db, "PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF;", nullptr, nullptr, nullptr);
  std::string error;
  package::CreateSchema(db, &error);
  package::SampleOptions options;
  options.assets = assets;
  package::WriteSample(db, options, &error);
  sqlite3_close(db);
}

void BM_SampleStore(benchmark::State& state) {
  std::string path = TempStore();
  for (auto _ : state) MakeSample(path, state.range(0));
  state.SetItemsProcessed(state.iterations() * state.range(0));
  std::remove(path.c_str());
}
BENCHMARK(BM_SampleStore)->Arg(1000000)->Iterations(1)->Unit(benchmark::kSecond);

void BM_WalkAssets(benchmark::State& state) {
  std::string path = TempStore();
  MakeSample(path, state.range(0));
  setenv("ZEL_PACKAGE", path.c_str(), 1);
  ClZelConnect::Inst()->Initiate();
  StKOTEISHISANINFO master;
  StKOTEINENINFO year;
  StKOTEITSUKIINFO month;
  for (auto _ : state) {
    ClRuleGenkashokyaku rule;
    rule.SetCurDataID("D0001");
    long count = 0;
    rule.MoveReady(nullptr, 0, 0);
    rule.GetCount(&count);
    for (long i = 0; i < count; ++i) {
      std::memset(&master, 0, sizeof(master));
      rule.Move(i, &master, &year, &month);
      benchmark::DoNotOptimize(master.sMethodCode);
    }
    rule.MoveFinish();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  ClZelConnect::Inst()->Release();
  std::remove(path.c_str());
}
BENCHMARK(BM_WalkAssets)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
