// The benchmarks' store: the sample company in a scratch folder, opened
// through the component as the programs open it.
#pragma once

#include <benchmark/benchmark.h>

#include <string>

#include "component/component.h"
#include "zelpkg/test_sample_store.h"
#include "platform/test_env.h"

namespace bench {

// Makes dir's package.db with the sample company of state.range(0) assets,
// names it in ZEL_PACKAGE and connects to it. False, with the benchmark
// skipped, when it cannot be made.
inline bool OpenSampleStore(benchmark::State& state, const testenv::ScratchDir& dir) {
  const std::string store = dir.Host("package.db");
  std::string error;
  if (!teststore::MakeSample(store, state.range(0), &error)) {
    state.SkipWithError(error.c_str());
    return false;
  }
  testenv::SetEnv("ZEL_PACKAGE", store);
  ClZelConnect::Inst()->Initiate();
  return true;
}

}  // namespace bench
