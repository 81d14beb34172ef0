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

// 5000 assets, every tenth a lump-sum asset of three items, and the eleven
// categories; double-byte names to convert into their fields, memos longer
// than theirs to cut.
const char8_t kCompany[] =
    u8"INSERT INTO datasets (data_no, data_id) VALUES (1, 'D0001');"
    u8"WITH RECURSIVE n(i) AS (VALUES (1) UNION ALL SELECT i + 1 FROM n WHERE i < 5000)"
    u8" INSERT INTO assets (data_id, seq, code, name, memo, method_code)"
    u8" SELECT 'D0001', i, 'A' || i, '建物附属設備' || i, replace(hex(zeroblob(50)), '00', '備考'),"
    u8" CASE WHEN i % 10 = 0 THEN 4 ELSE 1 END FROM n;"
    u8"INSERT INTO lump_items (data_id, asset_seq, seq, name) SELECT 'D0001', a.seq, k.column1,"
    u8" '器具' || k.column1 FROM assets a, (VALUES (1), (2), (3)) k WHERE a.method_code = 4;"
    u8"WITH RECURSIVE n(i) AS (VALUES (1) UNION ALL SELECT i + 1 FROM n WHERE i < 11)"
    u8" INSERT INTO categories (data_id, seq, code, name) SELECT 'D0001', i, i, '区分' || i FROM n;";

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
  MakeStore(U8(kCompany));
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
