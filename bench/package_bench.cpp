// The stand-in package: making a sample store of a million assets (goal:
// well under a minute) and walking assets through the rule object (one
// statement stepped along, no query per asset).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "bench/sample_store.h"
#include "component/component.h"
#include "platform/test_env.h"

namespace {

void BM_SampleStore(benchmark::State& state) {
  testenv::ScratchDir dir("zel-bench");
  std::string path = dir.Host("package.db");
  std::string error;
  for (auto _ : state) {
    if (!teststore::MakeSample(path, state.range(0), &error)) {
      state.SkipWithError(error.c_str());
      break;
    }
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SampleStore)->Arg(1000000)->Iterations(1)->Unit(benchmark::kSecond);

void BM_WalkAssets(benchmark::State& state) {
  testenv::ScratchDir dir("zel-bench");
  if (!bench::OpenSampleStore(state, dir)) return;
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
}
BENCHMARK(BM_WalkAssets)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
