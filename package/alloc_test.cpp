// A walk of the assets, their items and the categories makes no heap
// allocation of ours once the rule object's statements are prepared: the
// records are filled in place, texts converted straight into their fields.
// This binary counts every allocation through the global operator new.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "package/test_store.h"
#include "platform/test_alloc_counter.h"
#include "platform/win.h"

namespace {

class WalkAllocationTest : public StoreTest {};

// Walks everything as the exporter does; returns the rows delivered.
long WalkAll(ClRuleGenkashokyaku& rule) {
  StKOTEISHISANINFO master;
  StKOTEINENINFO year;
  StKOTEITSUKIINFO month;
  StIKKATSUINFO item;
  long count = 0, rows = 0;
  EXPECT_EQ(rule.MoveReady(nullptr, 0, 0), 0);
  EXPECT_EQ(rule.GetCount(&count), 0);
  for (long i = 0; i < count; ++i) {
    std::memset(&master, 0, sizeof(master));
    if (rule.Move(i, &master, &year, &month) != 0) return -1;
    ++rows;
    if (master.sMethodCode != 4) continue;
    long items = 0;
    if (rule.MoveReadyIkkatsu(master.assetKey) != 0 || rule.GetIkkatsuCount(&items) != 0) return -1;
    for (long j = 0; j < items; ++j, ++rows)
      if (rule.MoveIkkatsu(j, &item) != 0) return -1;
    rule.MoveFinishIkkatsu();
  }
  StSHISANKUBUNINFO* categories = nullptr;
  long n = 0;
  EXPECT_EQ(rule.LoadShisanKubunInfo(&categories, &n), 0);
  EXPECT_EQ(n, 11);
  win::CoTaskMemFree(categories);
  rule.MoveFinish();
  return rows;
}

TEST_F(WalkAllocationTest, AWalkOfManyAssetsAllocatesNothing) {
  MakeSample(5000);
  ASSERT_EQ(ClZelConnect::Inst()->Initiate(), 0);
  ClRuleGenkashokyaku rule;
  rule.SetCurDataID("D0001");
  long first = WalkAll(rule);  // prepares the statements
  ASSERT_GT(first, 5000);
  long before = test_alloc::Count();
  long second = WalkAll(rule);
  long allocations = test_alloc::Count() - before;
  EXPECT_EQ(second, first);
  std::printf("allocations over a walk of %ld rows: %ld\n", second, allocations);
  EXPECT_EQ(allocations, 0);
}

}  // namespace
