// Reads that fail say so: a damaged store, a store changed by another
// process during a walk, and values that do not fit their record fields each
// give a nonzero result and one line on standard error, never a blank or
// coerced record.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "package/columns.h"
#include "package/test_store.h"
#include "platform/cp932.h"
#include "platform/win.h"

namespace {

// Counts the virtual machine steps of a connection: any read shows.
int CountStep(void* counter) {
  ++*static_cast<long*>(counter);
  return 0;
}

class RuleReadTest : public StoreTest {
 protected:
  void Initiate(const char* data_id) {
    ASSERT_EQ(ClZelConnect::Inst()->Initiate(), 0);
    rule_.AttachSetMgr(ClDataMgr::Inst()->GetSetMgr());
    rule_.SetCurDataID(data_id);
  }
  // Starts the walk of a data set and checks how many assets it counts.
  void StartWalk(const char* data_id, long expected_count) {
    Initiate(data_id);
    long count = 0;
    ASSERT_EQ(rule_.MoveReady(nullptr, 0, 0), 0);
    ASSERT_EQ(rule_.GetCount(&count), 0);
    ASSERT_EQ(count, expected_count);
  }
  long Move(long i) {
    std::memset(&master_, 0, sizeof(master_));
    std::memset(&year_, 0, sizeof(year_));
    return rule_.Move(i, &master_, &year_, &month_);
  }
  int64_t MasterSeq() {
    int64_t seq = -1;
    EXPECT_TRUE(package::ReadAssetKey(master_.assetKey, &seq));
    return seq;
  }
  // A second connection to the store, as another process would have.
  sqlite3* Other() {
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open(path_.c_str(), &db), SQLITE_OK);
    return db;
  }
  static std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t at = 0, nl;
    while ((nl = text.find('\n', at)) != std::string::npos) {
      lines.push_back(text.substr(at, nl - at));
      at = nl + 1;
    }
    if (at < text.size()) lines.push_back(text.substr(at));
    return lines;
  }

  ClRuleGenkashokyaku rule_;
  StKOTEISHISANINFO master_;
  StKOTEINENINFO year_;
  StKOTEITSUKIINFO month_;
};

TEST_F(RuleReadTest, ADamagedAssetPageFailsTheWalkAtItsFirstAssetAndStaysFailed) {
  MakeStore(
      "INSERT INTO datasets (data_no, data_id) VALUES (1, 'D0001');"
      "WITH RECURSIVE n(seq) AS (VALUES (1) UNION ALL SELECT seq + 1 FROM n WHERE seq < 3000)"
      " INSERT INTO assets (data_id, seq, code, name)"
      " SELECT 'D0001', seq, 'A' || seq, 'asset ' || seq FROM n;");
  // The assets table's leaves in key order, each with its cell count: the
  // rows of a leaf are the next ncell rows in rowid order.
  sqlite3* db = Other();
  struct Leaf {
    int64_t page, cells;
  };
  std::vector<Leaf> leaves;
  sqlite3_stmt* s = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db,
                               "SELECT pageno, ncell FROM dbstat WHERE name = 'assets' AND pagetype = 'leaf' "
                               "ORDER BY path",
                               -1, &s, nullptr),
            SQLITE_OK);
  while (sqlite3_step(s) == SQLITE_ROW)
    leaves.push_back({sqlite3_column_int64(s, 0), sqlite3_column_int64(s, 1)});
  sqlite3_finalize(s);
  ASSERT_GT(leaves.size(), 10u);
  std::vector<std::pair<std::string, int64_t>> rows;  // (data_id, seq) in rowid order
  ASSERT_EQ(sqlite3_prepare_v2(db, "SELECT data_id, seq FROM assets ORDER BY rowid", -1, &s, nullptr),
            SQLITE_OK);
  while (sqlite3_step(s) == SQLITE_ROW)
    rows.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)), sqlite3_column_int64(s, 1));
  sqlite3_finalize(s);
  int64_t page_size = 0;
  ASSERT_EQ(sqlite3_prepare_v2(db, "PRAGMA page_size", -1, &s, nullptr), SQLITE_OK);
  ASSERT_EQ(sqlite3_step(s), SQLITE_ROW);
  page_size = sqlite3_column_int64(s, 0);
  sqlite3_finalize(s);
  sqlite3_close(db);
  // Damage the middle leaf; the walk in seq order meets it at its first
  // asset of data set D0001.
  size_t middle = leaves.size() / 2;
  int64_t first_row = 0;
  for (size_t k = 0; k < middle; ++k) first_row += leaves[k].cells;
  int64_t first_bad_seq = INT64_MAX;
  for (int64_t r = first_row; r < first_row + leaves[middle].cells; ++r)
    if (rows[r].first == "D0001") first_bad_seq = std::min(first_bad_seq, rows[r].second);
  ASSERT_NE(first_bad_seq, INT64_MAX);
  long first_bad = 0;
  for (const auto& row : rows) first_bad += row.first == "D0001" && row.second < first_bad_seq;
  {
    std::fstream f(path_, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp((leaves[middle].page - 1) * page_size);
    for (int64_t i = 0; i < page_size; ++i) f.put(static_cast<char>((i * 37 + 11) & 0xFF));
  }

  ASSERT_NO_FATAL_FAILURE(StartWalk("D0001", 3000));
  testing::internal::CaptureStderr();
  long failed_at = -1;
  for (long i = 0; i < 3000 && failed_at < 0; ++i) {
    if (Move(i) != 0)
      failed_at = i;
    else
      ASSERT_EQ(MasterSeq(), i + 1) << i;  // the seqs run from 1
  }
  // Later calls fail at once: no statement runs again.
  long steps = 0;
  sqlite3_progress_handler(package::TheStore().db(), 1, CountStep, &steps);
  for (long i = failed_at; i < failed_at + 50; ++i) EXPECT_NE(Move(i), 0);
  EXPECT_NE(Move(0), 0);
  sqlite3_progress_handler(package::TheStore().db(), 0, nullptr, nullptr);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(failed_at, first_bad);
  EXPECT_GE(failed_at, 0);
  EXPECT_EQ(steps, 0);
  long n = -1;
  EXPECT_NE(rule_.GetCount(&n), 0);
  EXPECT_EQ(n, 0);
  std::vector<std::string> lines = Lines(err);
  ASSERT_EQ(lines.size(), 1u) << err;
  EXPECT_EQ(lines[0].rfind("package store: data set D0001, asset no. ", 0), 0u) << err;
  EXPECT_NE(lines[0].find("cannot be read: database disk image is malformed"), std::string::npos) << err;
  // A new walk starts afresh (and meets the damage again).
  ASSERT_EQ(rule_.MoveReady(nullptr, 0, 0), 0);
  testing::internal::CaptureStderr();
  EXPECT_EQ(Move(0), failed_at == 0 ? 1 : 0);
  testing::internal::GetCapturedStderr();
  rule_.MoveFinish();
}

const char kThreeAssets[] =
    "INSERT INTO datasets (data_no, data_id) VALUES (1, 'D1');"
    "INSERT INTO assets (data_id, seq, code, method_code, type_code) VALUES"
    " ('D1', 1, 'A1', 6, 11), ('D1', 2, 'A2', 4, 12), ('D1', 3, 'A3', 6, 13);"
    "INSERT INTO lump_items (data_id, asset_seq, seq, name) VALUES ('D1', 2, 1, 'i1'), ('D1', 2, 2, 'i2');"
    "INSERT INTO categories (data_id, seq, code) VALUES ('D1', 1, 1), ('D1', 2, 2);";

// Walks the three assets and the second one's items, as the exporter does.
void ExpectAllThree(ClRuleGenkashokyaku& rule) {
  StKOTEISHISANINFO m;
  StKOTEINENINFO y;
  StKOTEITSUKIINFO t;
  for (long i = 0; i < 3; ++i) {
    std::memset(&m, 0, sizeof(m));
    ASSERT_EQ(rule.Move(i, &m, &y, &t), 0) << i;
    EXPECT_EQ(m.lTypeCode, 11 + i);
    if (i == 1) {
      long items = 0;
      ASSERT_EQ(rule.MoveReadyIkkatsu(m.assetKey), 0);
      ASSERT_EQ(rule.GetIkkatsuCount(&items), 0);
      EXPECT_EQ(items, 2);
      StIKKATSUINFO item;
      EXPECT_EQ(rule.MoveIkkatsu(1, &item), 0);
      EXPECT_STREQ(item.szName, "i2");
      rule.MoveFinishIkkatsu();
    }
  }
}

TEST_F(RuleReadTest, AWalkReadsOneSnapshotWhileAnotherProcessDeletes) {
  // WAL: the other connection commits at once; the walk keeps its snapshot.
  MakeStore(kThreeAssets);
  Run("PRAGMA journal_mode = WAL;");
  ASSERT_NO_FATAL_FAILURE(StartWalk("D1", 3));
  sqlite3* other = Other();
  Exec(other,
       "DELETE FROM assets WHERE seq >= 2; DELETE FROM lump_items; DELETE FROM categories WHERE seq = 1;");
  ExpectAllThree(rule_);
  EXPECT_EQ(Categories(rule_).size(), 2u);  // read in the walk's snapshot
  rule_.MoveFinish();
  EXPECT_EQ(Categories(rule_).size(), 1u);  // alone: the store as it is now
  long count = 0;
  ASSERT_EQ(rule_.MoveReady(nullptr, 0, 0), 0);
  ASSERT_EQ(rule_.GetCount(&count), 0);
  EXPECT_EQ(count, 1);
  rule_.MoveFinish();
  sqlite3_close(other);
}

TEST_F(RuleReadTest, InRollbackJournalModeAWriterWaitsForTheWalkToFinish) {
  MakeStore(kThreeAssets);
  ASSERT_NO_FATAL_FAILURE(StartWalk("D1", 3));
  // Between the count and the first row, a deletion cannot commit.
  sqlite3* other = Other();
  EXPECT_EQ(sqlite3_exec(other, "DELETE FROM assets WHERE seq = 3", nullptr, nullptr, nullptr), SQLITE_BUSY);
  ExpectAllThree(rule_);
  EXPECT_EQ(Categories(rule_).size(), 2u);
  rule_.MoveFinish();
  EXPECT_EQ(sqlite3_exec(other, "DELETE FROM assets WHERE seq = 3", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(other);
}

// An asset for each value that the old reads coerced, one bad value each,
// and a sound asset with the extreme values that do fit.
const char kMisfits[] =
    "INSERT INTO datasets (data_no, data_id, data_kind) VALUES (1, 'D1', 0), (2, 'D9', 65635);"
    "INSERT INTO assets (data_id, seq, code, method_code) VALUES ('D1', 1, 'A0001', 65537);"
    "INSERT INTO assets (data_id, seq, code, type_code) VALUES ('D1', 2, 'A0002', 'abc');"
    "INSERT INTO assets (data_id, seq, code, acquisition_date) VALUES ('D1', 3, 'A0003', '2024-04-01');"
    "INSERT INTO assets (data_id, seq, code, months_entered) VALUES ('D1', 4, 'A0004', 257);"
    "INSERT INTO assets (data_id, seq, code, revised_cost) VALUES ('D1', 5, 'A0005', 36028797018963968);"
    "INSERT INTO assets (data_id, seq, code, acquisition_cost) VALUES ('D1', 6, 'A0006', 2.5);"
    "INSERT INTO assets (data_id, seq, code, entered_current_depreciation) VALUES ('D1', 7, X'41955C', 'x');"
    "INSERT INTO assets (data_id, seq, code, method_code, months_entered, revised_cost, limit_kind)"
    " VALUES ('D1', 8, 'A0008', 4, 255, -36028797018963968, 0);"
    "INSERT INTO lump_items (data_id, asset_seq, seq, quantity) VALUES ('D1', 8, 1, 'many');"
    "INSERT INTO lump_items (data_id, asset_seq, seq, acquisition_date) VALUES ('D1', 8, 2, 99999999999);"
    "INSERT INTO lump_items (data_id, asset_seq, seq, quantity) VALUES ('D1', 8, 3, -2147483648);"
    "INSERT INTO categories (data_id, seq, code, method_code) VALUES ('D1', 1, 1, -32768), ('D1', 3, 3, "
    "40000);";

TEST_F(RuleReadTest, AValueThatDoesNotFitItsFieldFailsTheCallWithOneLine) {
  MakeStore(kMisfits);
  ASSERT_NO_FATAL_FAILURE(StartWalk("D1", 8));
  const char* expected[] = {
      "data set D1, asset A0001, column method_code: 65537 does not fit a 16-bit field",
      "data set D1, asset A0002, column type_code: the text 'abc' is not an integer",
      "data set D1, asset A0003, column acquisition_date: the text '2024-04-01' is not an integer",
      "data set D1, asset A0004, column months_entered: 257 does not fit an unsigned 8-bit field",
      "data set D1, asset A0005, column revised_cost: 36028797018963968 does not fit its 7-byte field",
      "data set D1, asset A0006, column acquisition_cost: the real number 2.5 is not an integer",
      "data set D1, asset A表, column entered_current_depreciation: the text 'x' is not an integer",
  };
  for (long i = 0; i < 7; ++i) {
    testing::internal::CaptureStderr();
    EXPECT_NE(Move(i), 0) << i;
    std::string err = testing::internal::GetCapturedStderr();
    // Texts on standard error are UTF-8: the source's literal is CP932.
    EXPECT_EQ(err, "package store: " + cp932::ToUtf8(expected[i]) + "\n") << i;
  }
  // A misfit fails its own call only: the walk goes on.
  testing::internal::CaptureStderr();
  ASSERT_EQ(Move(7), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(master_.ucMonthsEntered, 255);
  EXPECT_EQ(RevisedCost(master_), -36028797018963968);

  long items = 0;
  ASSERT_EQ(rule_.MoveReadyIkkatsu(master_.assetKey), 0);
  ASSERT_EQ(rule_.GetIkkatsuCount(&items), 0);
  ASSERT_EQ(items, 3);
  StIKKATSUINFO item;
  testing::internal::CaptureStderr();
  EXPECT_NE(rule_.MoveIkkatsu(0, &item), 0);
  EXPECT_NE(rule_.MoveIkkatsu(1, &item), 0);
  std::memset(&item, 0, sizeof(item));
  EXPECT_EQ(rule_.MoveIkkatsu(2, &item), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "package store: data set D1, asset A0008, lump-sum item seq 1, column quantity: "
            "the text 'many' is not an integer\n"
            "package store: data set D1, asset A0008, lump-sum item seq 2, column acquisition_date: "
            "99999999999 does not fit a 32-bit field\n");
  EXPECT_EQ(item.lQuantity, INT32_MIN);
  rule_.MoveFinishIkkatsu();

  StSHISANKUBUNINFO* array = reinterpret_cast<StSHISANKUBUNINFO*>(1);
  long n = -1;
  testing::internal::CaptureStderr();
  EXPECT_NE(rule_.LoadShisanKubunInfo(&array, &n), 0);
  EXPECT_EQ(
      testing::internal::GetCapturedStderr(),
      "package store: data set D1, category seq 3, column method_code: 40000 does not fit a 16-bit field\n");
  EXPECT_EQ(array, nullptr);
  EXPECT_EQ(n, 0);
  rule_.MoveFinish();

  // A data set's value that does not fit is said and left cleared; the data
  // sets are still all delivered.
  ClSetData* sets = ClDataMgr::Inst()->GetSetObject(5, 1);
  long cursor = 0;
  sets->GetDatCursor(&cursor);
  sets->ReadyDat(cursor, 0);
  StDATAINFO d[2];
  std::memset(d, 0x55, sizeof(d));
  std::memset(&d[1], 0, sizeof(d[1]));
  testing::internal::CaptureStderr();
  EXPECT_EQ(sets->WalkDat(&d[0], cursor), 0);
  EXPECT_EQ(sets->WalkDat(&d[1], cursor), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "package store: data set D9, column data_kind: 65635 does not fit a 16-bit field\n");
  EXPECT_NE(sets->WalkDat(&d[0], cursor), 0);
  sets->ReleaseDatCursor(cursor);
  EXPECT_STREQ(d[1].szDataID, "D9");
  // Copies: d[1] starts at an odd address, and EXPECT_EQ binds references.
  EXPECT_EQ(static_cast<int32_t>(d[1].lDataNo), 2);
  EXPECT_EQ(static_cast<int16_t>(d[1].sDataKind), 0);  // not the past-results kind 99 that 65635 wraps to
}

TEST_F(RuleReadTest, FailedCountsAndStatementsAreNonzeroWithOneLine) {
  MakeStore(kThreeAssets);
  Initiate("D1");
  // Another process holds the store: the count cannot be read.
  sqlite3* other = Other();
  Exec(other, "BEGIN EXCLUSIVE;");
  sqlite3_busy_timeout(package::TheStore().db(), 10);
  testing::internal::CaptureStderr();
  EXPECT_NE(rule_.MoveReady(nullptr, 0, 0), 0);
  long count = -1;
  EXPECT_NE(rule_.GetCount(&count), 0);
  EXPECT_EQ(count, 0);
  EXPECT_NE(Move(0), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "package store: data set D1, assets: cannot be counted: database is locked\n");
  Exec(other, "ROLLBACK;");
  // Another process drops the items' table between two walks.
  ASSERT_EQ(rule_.MoveReady(nullptr, 0, 0), 0);
  ASSERT_EQ(Move(1), 0);
  ASSERT_EQ(rule_.MoveReadyIkkatsu(master_.assetKey), 0);
  rule_.MoveFinishIkkatsu();
  rule_.MoveFinish();
  Exec(other, "DROP TABLE lump_items;");
  ASSERT_EQ(rule_.MoveReady(nullptr, 0, 0), 0);
  ASSERT_EQ(Move(1), 0);
  testing::internal::CaptureStderr();
  EXPECT_NE(rule_.MoveReadyIkkatsu(master_.assetKey), 0);
  EXPECT_NE(rule_.GetIkkatsuCount(&count), 0);
  StIKKATSUINFO item;
  EXPECT_NE(rule_.MoveIkkatsu(0, &item), 0);
  uint8_t cleared[16] = {};
  EXPECT_NE(rule_.MoveReadyIkkatsu(cleared), 0);
  EXPECT_EQ(
      testing::internal::GetCapturedStderr(),
      "package store: data set D1, asset A2, lump-sum items: cannot be counted: no such table: lump_items\n"
      "package store: data set D1, lump-sum items: the asset key names no asset\n");
  rule_.MoveFinish();
  sqlite3_close(other);
}

// Every kind of field, at the edges of its range, through one statement.
TEST(ColumnRules, EachFieldTakesWhatFitsAndRefusesTheRest) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
  sqlite3_stmt* s = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db, "SELECT ?1", -1, &s, nullptr), SQLITE_OK);
  using package::FieldKind;
  struct Case {
    FieldKind kind;
    int64_t fits, beyond;
  } cases[] = {
      {FieldKind::kUint8, 255, 256},
      {FieldKind::kUint8, 0, -1},
      {FieldKind::kInt16, 32767, 32768},
      {FieldKind::kInt16, -32768, -32769},
      {FieldKind::kInt32, INT32_MAX, int64_t{INT32_MAX} + 1},
      {FieldKind::kInt32, INT32_MIN, int64_t{INT32_MIN} - 1},
      {FieldKind::kAmount7, (int64_t{1} << 55) - 1, int64_t{1} << 55},
      {FieldKind::kAmount7, -(int64_t{1} << 55), -(int64_t{1} << 55) - 1},
  };
  StKOTEISHISANINFO m;
  for (const Case& c : cases) {
    package::ColumnRule rule{"x", c.kind, 537, 7};
    for (int64_t v : {c.fits, c.beyond}) {
      std::memset(&m, 0, sizeof(m));
      sqlite3_reset(s);
      sqlite3_bind_int64(s, 1, v);
      ASSERT_EQ(sqlite3_step(s), SQLITE_ROW);
      EXPECT_EQ(package::FillField(s, 0, rule, &m), v == c.fits) << v;
      if (v == c.beyond) {
        EXPECT_EQ(package::Misfit(s, 0, rule).find(std::to_string(v) + " does not fit"), 0u) << v;
      } else if (c.kind == FieldKind::kAmount7) {
        EXPECT_EQ(RevisedCost(m), v);
      }
    }
  }
  // Integers take INTEGER only, texts TEXT or BLOB only.
  package::ColumnRule amount{"a", FieldKind::kAmount, 368, 8}, text{"t", FieldKind::kText, 32, 16};
  struct Typed {
    const char* sql;
    bool amount_fits, text_fits;
    const char* amount_why;
  } typed[] = {
      {"SELECT NULL", false, false, "NULL is not an integer"},
      {"SELECT 1.0", false, false, "the real number 1 is not an integer"},
      {"SELECT X'0102'", false, true, "a BLOB of 2 bytes is not an integer"},
      {"SELECT 'a\nb'", false, true, "the text 'a?b' is not an integer"},
      {"SELECT -9223372036854775808", true, false, ""},
  };
  for (const Typed& t : typed) {
    sqlite3_finalize(s);
    ASSERT_EQ(sqlite3_prepare_v2(db, t.sql, -1, &s, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(s), SQLITE_ROW);
    std::memset(&m, 0, sizeof(m));
    EXPECT_EQ(package::FillField(s, 0, amount, &m), t.amount_fits) << t.sql;
    EXPECT_EQ(package::FillField(s, 0, text, &m), t.text_fits) << t.sql;
    if (!t.amount_fits) {
      EXPECT_EQ(package::Misfit(s, 0, amount), t.amount_why);
    }
  }
  EXPECT_EQ(m.cyAcquisitionCost.int64, INT64_MIN);
  EXPECT_EQ(package::Misfit(s, 0, text), "the integer -9223372036854775808 is not a text");
  sqlite3_finalize(s);
  sqlite3_close(db);
}

// A date field takes 0 (no date) or a calendar day of a four-digit year;
// anything else is refused and said as such.
TEST(ColumnRules, DatesAreZeroOrCalendarDays) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
  sqlite3_stmt* s = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db, "SELECT ?1", -1, &s, nullptr), SQLITE_OK);
  const struct {
    int64_t date;
    bool fits;
  } kCases[] = {
      {0, true},         {20240401, true},   {20240229, true},  {20000229, true},          {19000228, true},
      {10000101, true},  {99991231, true},   {20241399, false}, {99999999, false},         {20230229, false},
      {19000229, false}, {21000229, false},  {20240431, false}, {20240400, false},         {20240001, false},
      {9991231, false},  {-20240401, false}, {1, false},        {int64_t{1} << 33, false},
  };
  package::ColumnRule rule{"acquisition_date", package::FieldKind::kDate, 360, 4};
  for (const auto& c : kCases) {
    StKOTEISHISANINFO m;
    std::memset(&m, 0, sizeof m);
    sqlite3_reset(s);
    sqlite3_bind_int64(s, 1, c.date);
    ASSERT_EQ(sqlite3_step(s), SQLITE_ROW);
    EXPECT_EQ(IsRecordDate(c.date), c.fits) << c.date;
    EXPECT_EQ(package::FillField(s, 0, rule, &m), c.fits) << c.date;
    EXPECT_EQ(m.lAcquisitionDate, c.fits ? c.date : 0) << c.date;
    if (!c.fits && c.date == static_cast<int32_t>(c.date)) {
      EXPECT_EQ(package::Misfit(s, 0, rule),
                std::to_string(c.date) + " is not a calendar day (yyyymmdd, or 0 for none)");
    }
  }
  sqlite3_finalize(s);
  sqlite3_close(db);
}

}  // namespace
