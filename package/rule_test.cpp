// The rule object fills every record field at its offset, keeps every text
// inside its field, and serves a walk from one statement.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "package/columns.h"
#include "package/test_store.h"
#include "platform/win.h"

namespace {

std::string TextAt(const void* record, size_t offset, size_t size) {
  const char* field = static_cast<const char*>(record) + offset;
  EXPECT_LT(::strnlen(field, size), size) << "text at " << offset << " not terminated inside its field";
  return std::string(field, ::strnlen(field, size));
}

// Every column of the asset holds a value of its own, made from the record
// offset it belongs to, so a value in the wrong place cannot pass.
const char kDistinctAsset[] =
    "INSERT INTO assets VALUES ('D1', 7, 'CODE32', 4800001, 'NAME52', 'Q245', 'MEMO254', 3361,"
    " 'CAPEX338', 35600101, 36000101, 368000000012345, 376000000012345, 384000000012345,"
    " 3921, 3941, 39600001, 40000001, 41, 408000000012345, 4261, 4281, 4301, 4321,"
    " 440000000012345, 448000000012345, 456000000012345, 464000000012345, 472000000012345,"
    " 480000000012345, 48800101, 496000000012345, 53, -537000000012345,"
    " 40000000012345, 48000000012345, 56000000012345, 64000000012345);";

class RuleTest : public StoreTest {
 protected:
  void Open(const std::string& sql) {
    MakeStore("INSERT INTO datasets (data_no, data_id) VALUES (1, 'D1');" + sql);
    ASSERT_EQ(ClZelConnect::Inst()->Initiate(), 0);
    rule_.AttachSetMgr(ClDataMgr::Inst()->GetSetMgr());
    rule_.SetCurDataID("D1");
    rule_.AttachOptLink(ClLinkMgr::Inst()->GetOptLink());
  }
  long Ready() { return WalkCount(rule_); }
  ClRuleGenkashokyaku rule_;
  StKOTEISHISANINFO master_;
  StKOTEINENINFO year_;
  StKOTEITSUKIINFO month_;
};

TEST_F(RuleTest, AssetColumnsFillTheirOffsets) {
  Open(kDistinctAsset);
  ASSERT_EQ(Ready(), 1);
  std::memset(&master_, 0, sizeof(master_));
  std::memset(&year_, 0, sizeof(year_));
  ASSERT_EQ(rule_.Move(0, &master_, &year_, &month_), 0);
  const void* m = &master_;
  EXPECT_EQ(TextAt(m, 32, 16), "CODE32");
  EXPECT_EQ(At<int32_t>(m, 48), 4800001);
  EXPECT_EQ(TextAt(m, 52, 193), "NAME52");
  EXPECT_EQ(TextAt(m, 245, 9), "Q245");
  EXPECT_EQ(TextAt(m, 254, 82), "MEMO254");
  EXPECT_EQ(At<int16_t>(m, 336), 3361);
  EXPECT_EQ(TextAt(m, 338, 18), "CAPEX338");
  EXPECT_EQ(At<int32_t>(m, 356), 35600101);
  EXPECT_EQ(At<int32_t>(m, 360), 36000101);
  EXPECT_EQ(At<int64_t>(m, 368), 368000000012345);
  EXPECT_EQ(At<int64_t>(m, 376), 376000000012345);
  EXPECT_EQ(At<int64_t>(m, 384), 384000000012345);
  EXPECT_EQ(At<int16_t>(m, 392), 3921);
  EXPECT_EQ(At<int16_t>(m, 394), 3941);
  EXPECT_EQ(At<int32_t>(m, 396), 39600001);
  EXPECT_EQ(At<int32_t>(m, 400), 40000001);
  EXPECT_EQ(At<uint8_t>(m, 404), 41);
  EXPECT_EQ(At<int64_t>(m, 408), 408000000012345);
  EXPECT_EQ(At<int16_t>(m, 426), 4261);
  EXPECT_EQ(At<int16_t>(m, 428), 4281);
  EXPECT_EQ(At<int16_t>(m, 430), 4301);
  EXPECT_EQ(At<int16_t>(m, 432), 4321);
  for (size_t off = 440; off <= 480; off += 8)
    EXPECT_EQ(At<int64_t>(m, off), int64_t(off) * 1000000000000 + 12345);
  EXPECT_EQ(At<int32_t>(m, 488), 48800101);
  EXPECT_EQ(At<int64_t>(m, 496), 496000000012345);
  EXPECT_EQ(At<uint8_t>(m, 533), 53);
  EXPECT_EQ(RevisedCost(master_), -537000000012345);  // negative survives the seven bytes
  for (size_t off = 40; off <= 64; off += 8)
    EXPECT_EQ(At<int64_t>(&year_, off), int64_t(off) * 1000000000000 + 12345);
  // The reserved bytes stay as the caller cleared them.
  for (size_t off : {0, 15, 364, 367, 405, 407, 416, 425, 434, 439, 492, 495, 504, 532, 534, 536})
    EXPECT_EQ(At<uint8_t>(m, off), 0) << off;
  // Nothing beyond the data set: another data ID walks nothing.
  rule_.SetCurDataID("D2");
  EXPECT_EQ(Ready(), 0);
  EXPECT_NE(rule_.Move(0, &master_, &year_, &month_), 0);
}

TEST_F(RuleTest, ItemsOfTheKeyedAssetFillTheirOffsets) {
  Open(std::string(kDistinctAsset) +
       "INSERT INTO assets (data_id, seq, method_code) VALUES ('D1', 9, 4);"
       "INSERT INTO lump_items VALUES ('D1', 7, 2, 'ITEM61-B', 14400102, 152000000000002, 16002);"
       "INSERT INTO lump_items VALUES ('D1', 7, 1, 'ITEM61-A', 14400101, 152000000000001, 16001);"
       "INSERT INTO lump_items VALUES ('D1', 9, 1, 'OTHER', 1, 1, 1);");
  ASSERT_EQ(Ready(), 2);
  std::memset(&master_, 0, sizeof(master_));
  ASSERT_EQ(rule_.Move(0, &master_, &year_, &month_), 0);
  uint8_t key[16];
  std::memcpy(key, master_.assetKey, sizeof(key));
  ASSERT_EQ(rule_.MoveReadyIkkatsu(key), 0);
  long n = 0;
  rule_.GetIkkatsuCount(&n);
  ASSERT_EQ(n, 2);
  StIKKATSUINFO item;
  for (long j = 0; j < 2; ++j) {
    std::memset(&item, 0, sizeof(item));
    ASSERT_EQ(rule_.MoveIkkatsu(j, &item), 0);
    EXPECT_EQ(TextAt(&item, 61, 83), j == 0 ? "ITEM61-A" : "ITEM61-B");  // in seq order
    EXPECT_EQ(At<int32_t>(&item, 144), 14400101 + j);
    EXPECT_EQ(At<int64_t>(&item, 152), 152000000000001 + j);
    EXPECT_EQ(At<int32_t>(&item, 160), 16001 + j);
    for (size_t off : {0, 47, 48, 60, 148, 151, 164, 255}) EXPECT_EQ(At<uint8_t>(&item, off), 0) << off;
  }
  EXPECT_NE(rule_.MoveIkkatsu(2, &item), 0);
  rule_.MoveFinishIkkatsu();
  // A cleared key selects nothing.
  uint8_t cleared[16] = {};
  rule_.MoveReadyIkkatsu(cleared);
  n = -1;
  rule_.GetIkkatsuCount(&n);
  EXPECT_EQ(n, 0);
  rule_.MoveFinish();
}

TEST_F(RuleTest, CategoriesFillTheirOffsetsInSeqOrder) {
  Open(
      U8(u8"INSERT INTO categories VALUES ('D1', 2, 1602, '構築物', 1022, 10402);"
         "INSERT INTO categories VALUES ('D1', 1, 1601, '建物', 1021, 10401);"
         "INSERT INTO categories VALUES ('D9', 1, 9, 'other', 9, 9);"));
  StSHISANKUBUNINFO* array = nullptr;
  long count = 0;
  ASSERT_EQ(rule_.LoadShisanKubunInfo(&array, &count), 0);
  ASSERT_EQ(count, 2);
  ASSERT_NE(array, nullptr);
  EXPECT_EQ(At<int32_t>(&array[0], 16), 1601);
  EXPECT_EQ(TextAt(&array[0], 20, 82), "建物");  // CP932 in the record
  EXPECT_EQ(At<int16_t>(&array[0], 102), 1021);
  EXPECT_EQ(At<int32_t>(&array[0], 104), 10401);
  EXPECT_EQ(At<int32_t>(&array[1], 16), 1602);
  EXPECT_EQ(TextAt(&array[1], 20, 82), "構築物");
  for (size_t off : {0, 15, 108, 127}) EXPECT_EQ(At<uint8_t>(&array[1], off), 0) << off;
  win::CoTaskMemFree(array);
}

TEST_F(RuleTest, TextsStayInsideTheirFieldsWhateverTheStoreHolds) {
  // 16 bytes of code with no NUL, ending in a double-byte character that
  // would straddle the terminator; a name of 97 double-byte characters; a
  // BLOB with a NUL inside; a character without a Shift_JIS form.
  std::string hyo97;
  for (int i = 0; i < 97; ++i) hyo97 += U8(u8"表");
  Open(
      "INSERT INTO assets (data_id, seq, code, name, quantity_text, memo, capex_link) VALUES ('D1', 1,"
      " X'4142434445464748494A4B4C4D4E955C', '" +
      hyo97 +
      "', X'31323334353637383930', X'41004243',"
      " '" +
      U8(u8"機😀") + "');");
  ASSERT_EQ(Ready(), 1);
  std::memset(&master_, 0xAB, sizeof(master_));
  testing::internal::CaptureStderr();
  ASSERT_EQ(rule_.Move(0, &master_, &year_, &month_), 0);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(TextAt(&master_, 32, 16), "ABCDEFGHIJKLMN");  // the pair is not split
  std::string name = TextAt(&master_, 52, 193);
  EXPECT_EQ(name.size(), 192u);
  EXPECT_EQ(name.substr(190), "表");
  EXPECT_EQ(TextAt(&master_, 245, 9), "12345678");
  EXPECT_EQ(TextAt(&master_, 254, 82), "A");
  EXPECT_EQ(TextAt(&master_, 338, 18), "機?");
  EXPECT_NE(err.find("Shift_JIS"), std::string::npos) << err;
}

// Counts the statements the store starts.
int CountStatement(unsigned, void* counter, void*, void*) {
  ++*static_cast<int*>(counter);
  return 0;
}

TEST_F(RuleTest, AWalkIsServedFromOneStatementAndAnyOrderStillFits) {
  std::string sql = "BEGIN;";
  for (int i = 1; i <= 300; ++i)
    sql += "INSERT INTO assets (data_id, seq, type_code) VALUES ('D1', " + std::to_string(i * 10) + ", " +
           std::to_string(i) + ");";
  Open(sql + "COMMIT;");
  ASSERT_EQ(Ready(), 300);
  int statements = 0;
  sqlite3_trace_v2(package::TheStore().db(), SQLITE_TRACE_STMT, CountStatement, &statements);
  for (long i = 0; i < 300; ++i) {
    std::memset(&master_, 0, sizeof(master_));
    ASSERT_EQ(rule_.Move(i, &master_, &year_, &month_), 0);
    ASSERT_EQ(master_.lTypeCode, i + 1);
  }
  EXPECT_LE(statements, 1);
  // Out of order: back, skip ahead, past the end.
  ASSERT_EQ(rule_.Move(5, &master_, &year_, &month_), 0);
  EXPECT_EQ(master_.lTypeCode, 6);
  ASSERT_EQ(rule_.Move(250, &master_, &year_, &month_), 0);
  EXPECT_EQ(master_.lTypeCode, 251);
  EXPECT_NE(rule_.Move(300, &master_, &year_, &month_), 0);
  EXPECT_NE(rule_.Move(-1, &master_, &year_, &month_), 0);
  ASSERT_EQ(rule_.Move(0, &master_, &year_, &month_), 0);
  EXPECT_EQ(master_.lTypeCode, 1);
  sqlite3_trace_v2(package::TheStore().db(), 0, nullptr, nullptr);
  rule_.MoveFinish();
  // A walk on a closed store is empty, not a crash.
  rule_.MoveReady(nullptr, 0, 0);
  ClZelConnect::Inst()->LogOut();
  EXPECT_NE(rule_.Move(0, &master_, &year_, &month_), 0);
  long n = -1;
  rule_.MoveReady(nullptr, 0, 0);
  rule_.GetCount(&n);
  EXPECT_EQ(n, 0);
  StSHISANKUBUNINFO* array = reinterpret_cast<StSHISANKUBUNINFO*>(1);
  EXPECT_NE(rule_.LoadShisanKubunInfo(&array, &n), 0);
  EXPECT_EQ(array, nullptr);
}

// Collects the SQL of every statement the store starts.
int CollectStatement(unsigned, void* statements, void* stmt, void*) {
  static_cast<std::set<std::string>*>(statements)->insert(sqlite3_sql(static_cast<sqlite3_stmt*>(stmt)));
  return 0;
}

TEST_F(RuleTest, NoWalkSortsItsRowsInATemporaryTree) {
  Open(std::string(kDistinctAsset) +
       "INSERT INTO assets (data_id, seq, method_code) VALUES ('D1', 9, 4), (X'4431', 8, 6);"
       "INSERT INTO lump_items VALUES ('D1', 9, 2, 'b', 0, 0, 0), ('D1', 9, 1, 'a', 0, 0, 0);"
       "INSERT INTO categories VALUES ('D1', 2, 2, 'b', 0, 0), ('D1', 1, 1, 'a', 0, 0);");
  std::set<std::string> statements;
  sqlite3_trace_v2(package::TheStore().db(), SQLITE_TRACE_STMT, CollectStatement, &statements);
  ASSERT_EQ(Ready(), 3);
  long seqs[3];
  for (long i = 0; i < 3; ++i) {
    ASSERT_EQ(rule_.Move(i, &master_, &year_, &month_), 0);
    int64_t seq = 0;
    ASSERT_TRUE(package::ReadAssetKey(master_.assetKey, &seq));
    seqs[i] = static_cast<long>(seq);
  }
  // Rows stored under the data ID as TEXT and as a BLOB, merged in seq order.
  EXPECT_EQ(seqs[0], 7);
  EXPECT_EQ(seqs[1], 8);
  EXPECT_EQ(seqs[2], 9);
  ASSERT_EQ(rule_.MoveReadyIkkatsu(master_.assetKey), 0);
  StIKKATSUINFO item;
  ASSERT_EQ(rule_.MoveIkkatsu(0, &item), 0);
  EXPECT_STREQ(item.szName, "a");
  rule_.MoveFinishIkkatsu();
  std::vector<StSHISANKUBUNINFO> categories = Categories(rule_);
  ASSERT_EQ(categories.size(), 2u);
  EXPECT_EQ(categories[0].lCode, 1);
  rule_.MoveFinish();
  sqlite3_trace_v2(package::TheStore().db(), 0, nullptr, nullptr);

  // Every query of the walks, planned: none sorts through a temporary tree.
  int ordered = 0;
  for (const std::string& sql : statements) {
    if (sql.rfind("SELECT", 0) != 0) continue;
    ordered += sql.find("ORDER BY") != std::string::npos;
    sqlite3_stmt* plan = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(package::TheStore().db(), ("EXPLAIN QUERY PLAN " + sql).c_str(), -1, &plan,
                                 nullptr),
              SQLITE_OK)
        << sql;
    while (sqlite3_step(plan) == SQLITE_ROW) {
      std::string detail = reinterpret_cast<const char*>(sqlite3_column_text(plan, 3));
      EXPECT_EQ(detail.find("TEMP B-TREE"), std::string::npos) << detail << " in " << sql;
    }
    sqlite3_finalize(plan);
  }
  EXPECT_EQ(ordered, 3);  // assets, items, categories
}

}  // namespace
