// Writing rows allocates no memory: only the asset code register grows. It
// stores codes in 64 KiB blocks and doubles each of its 256 small tables on
// its own, so it allocates about once per fifty new codes at first and ever
// less often after. This binary counts every allocation through the global
// operator new.
#include <gtest/gtest.h>

#include <cstdio>

#include "export/export_test_util.h"
#include "platform/test_alloc_counter.h"

namespace {

using namespace export_test;

// A row that takes every branch that formats something, with remarks.
StKOTEISHISANINFO BusyAsset(const char* code) {
  StKOTEISHISANINFO m = Asset(code, 5);
  m.lTypeCode = 123;
  std::strcpy(m.szName, "名前が三十二バイトを超える長い資産の名称です");
  std::strcpy(m.szQuantity, "1,234台");
  std::strcpy(m.szMemo, "メモ欄に書かれた四十バイトを超える長いメモの本文です");
  m.lMethodRefDate = 20130401;
  m.lDepreciationRate = 250;
  m.cyAcquisitionCost = Yen(100000000000LL);
  m.cyOpeningBookValue = Yen(12345);
  m.sBusinessRatio = 8000;
  m.sDisposalKind = 4;
  m.ucMonthsEntered = 1;
  m.sMonthsDenominator = 12;
  m.sMonthsNumerator = 3;
  return m;
}

TEST(AllocationTest, RowsAllocateNothing) {
  RowRun run;
  StKOTEINENINFO y{};
  y.cyComputedDepreciation = Yen(1000);
  y.cySpecialDepreciation = Yen(10);
  StKOTEITSUKIINFO month{};
  StKOTEISHISANINFO lump = Asset("LUMP", 4);
  StIKKATSUINFO item = Item(3, "内訳の名称がとても長くて三十二バイトを超えています");
  item.lQuantity = 100000000;
  // Warm up: the first lines fill the file buffers.
  StKOTEISHISANINFO m = BusyAsset("12-4");
  for (int i = 0; i < 10; ++i) run.exporter().WriteRow(&m, &y, &month, &item);
  run.exporter().WriteRow(&lump, &y, &month, &item);  // the register's first block

  // Codes that are not registered (symbols) and duplicates: nothing grows.
  long before = test_alloc::Count();
  for (int i = 0; i < 5000; ++i) {
    run.exporter().WriteRow(&m, &y, &month, &item);
    run.exporter().WriteRow(&lump, &y, &month, &item);
  }
  EXPECT_EQ(test_alloc::Count() - before, 0);

  // New codes: only the register's doublings allocate.
  before = test_alloc::Count();
  const int kRows = 50000;
  char code[16];
  for (int i = 0; i < kRows; ++i) {
    std::snprintf(code, sizeof code, "%06d", i);
    StKOTEISHISANINFO fresh = BusyAsset(code);
    run.exporter().WriteRow(&fresh, &y, &month, &item);
  }
  long allocations = test_alloc::Count() - before;
  double per_row = static_cast<double>(allocations) / kRows;
  std::printf("allocations for %d new codes: %ld (%.5f per row)\n", kRows, allocations, per_row);
  EXPECT_LT(per_row, 0.025);
  EXPECT_EQ(run.rows().size(), 11u + 10000u + kRows);
}

}  // namespace
