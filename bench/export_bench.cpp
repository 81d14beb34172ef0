// Asset export throughput: rows per second through the exporter into a real
// file, and the asset code register's cost per code as it grows (constant,
// not linear in the number of codes already registered).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "app/build_constants.h"
#include "bench/sample_store.h"
#include "component/component.h"
#include "export/asset_exporter.h"
#include "export/code_register.h"
#include "platform/test_env.h"

namespace {

StKOTEISHISANINFO TypicalAsset() {
  StKOTEISHISANINFO m{};
  m.sMethodCode = 5;
  m.lTypeCode = 3;
  std::strcpy(m.szName, "工作機械");
  std::strcpy(m.szQuantity, "2台");
  std::strcpy(m.szMemo, "第二工場");
  m.lMethodRefDate = 20140401;
  m.lAcquisitionDate = 20140501;
  m.lDepreciationRate = 200;
  m.sUsefulLife = 10;
  m.cyAcquisitionCost.int64 = 3000000LL * 10000;
  m.cyOpeningBookValue.int64 = 2400000LL * 10000;
  m.cyDepreciationBase.int64 = 2400000LL * 10000;
  m.cyClosingBookValue.int64 = 1920000LL * 10000;
  m.sBusinessRatio = 10000;
  m.sSgaShare = 60;
  return m;
}

// One row of m, y and item per iteration into a real file; number(i, &m,
// &item) gives the i-th row its code (and breakdown number).
template <class Number>
void WriteRows(benchmark::State& state, StKOTEISHISANINFO m, StKOTEINENINFO y, StIKKATSUINFO item,
               Number number) {
  testenv::ScratchDir dir("zel_export_bench");
  AssetExporter exporter(build::kErrorLogName);
  exporter.SetOutputPath(dir.Windows("assets.csv").c_str());
  StDATAINFO info{};
  exporter.OpenAssetFile(&info);
  StKOTEITSUKIINFO month{};
  long i = 0;
  for (auto _ : state) {
    number(i++, &m, &item);
    exporter.WriteRow(&m, &y, &month, &item);
  }
  exporter.CloseOutput(0);
  exporter.CloseOutput(2);
  state.SetItemsProcessed(state.iterations());
}

// One ordinary row per iteration, each with a new code.
void BM_WriteAssetRow(benchmark::State& state) {
  StKOTEINENINFO y{};
  y.cyComputedDepreciation.int64 = 480000LL * 10000;
  WriteRows(state, TypicalAsset(), y, StIKKATSUINFO{}, [](long i, StKOTEISHISANINFO* m, StIKKATSUINFO*) {
    std::snprintf(m->szCode, sizeof m->szCode, "%06ld", i % 1000000);
  });
}
BENCHMARK(BM_WriteAssetRow);

// One breakdown row per iteration.
void BM_WriteBreakdownRow(benchmark::State& state) {
  StKOTEISHISANINFO m = TypicalAsset();
  m.sMethodCode = 4;
  StIKKATSUINFO item{};
  std::strcpy(item.szName, "事務机");
  item.lQuantity = 300;
  item.cyAcquisitionCost.int64 = 120000LL * 10000;
  WriteRows(state, m, StKOTEINENINFO{}, item, [](long i, StKOTEISHISANINFO* m, StIKKATSUINFO* item) {
    std::snprintf(m->szCode, sizeof m->szCode, "%06ld", (i / 99) % 1000000);
    std::snprintf(item->szBreakdownNo, sizeof item->szBreakdownNo, "%ld", i % 99 + 1);
  });
}
BENCHMARK(BM_WriteBreakdownRow);

// Registering one more code into a register that already holds range(0)
// codes: the time per code stays flat as the register grows.
void BM_RegisterCode(benchmark::State& state) {
  const long held = state.range(0);
  CodeRegister r;
  char code[48];
  for (long i = 0; i < held; ++i) {
    std::snprintf(code, sizeof code, "%06ld", i);
    r.RegisterCode(code);
  }
  long i = 0;
  for (auto _ : state) {
    // Alternately a duplicate, a prefix duplicate and a code of 8 bytes.
    std::snprintf(code, sizeof code, "%06ld%02ld", (i * 7919) % held, i % 3);
    benchmark::DoNotOptimize(r.RegisterCode(i % 3 == 0 ? std::string_view(code, 6) : code));
    ++i;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RegisterCode)->Arg(1000)->Arg(10000)->Arg(100000)->Arg(500000);

// The whole export of a sample company of range(0) assets, as run control
// runs it: the time per asset stays flat as the company grows.
void BM_ExportCompany(benchmark::State& state) {
  testenv::ScratchDir dir("zel_export_bench");
  if (!bench::OpenSampleStore(state, dir)) return;
  StDATAINFO record = *ClDataMgr::Inst()->GetSetObject(5, 1)->GetSelectedInfo();
  for (auto _ : state) {
    AssetExporter exporter(build::kErrorLogName);
    exporter.SetOutputPath(dir.Windows("assets.csv").c_str());
    exporter.OpenAssetFile(&record);
    exporter.ExportAssets();
    exporter.ExportAssetTypes(&record);
  }
  ClZelConnect::Inst()->LogOut();
  ClZelConnect::Inst()->Terminate();
  ClZelConnect::Inst()->Release();
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ExportCompany)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
