// zelpkg makes stores that sqlite3 reads and the component walks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "package/schema.h"
#include "package/store.h"
#include "package/test_store.h"
#include "platform/cp932.h"
#include "platform/test_env.h"
#include "platform/win.h"
#include "zelpkg/csv.h"

namespace {

std::string Zelpkg() {
  const char* bin = std::getenv("ZEL_BIN_DIR");
  return std::string(bin ? bin : ".") + "/zelpkg";
}

// Whether sqlite3 is there to read stores with.
bool HaveSqlite3() { return testenv::RunProgram({.argv = {"sqlite3", "-version"}}).status == 0; }

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

class ZelpkgTest : public StoreTest {
 protected:
  using Output = testenv::ProgramResult;
  // Runs zelpkg with args (UTF-8, split at blanks) in the test's folder.
  Output Tool(const std::string& args) {
    testenv::Program zelpkg = {.argv = {Zelpkg()}, .folder = dir_.path()};
    std::istringstream words(args);
    for (std::string word; words >> word;) zelpkg.argv.push_back(word);
    return testenv::RunProgram(zelpkg);
  }
  void Write(const std::string& name, const std::string& text) {
    std::ofstream(dir_.Host(name), std::ios::binary) << text;
    made_.push_back(dir_.Host(name));
  }
  void TearDown() override {
    for (const std::string& file : made_) std::remove(file.c_str());
    StoreTest::TearDown();
  }
  std::vector<std::string> made_;
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST_F(ZelpkgTest, WrongArgumentsGiveTheUsageAndStatus64) {
  EXPECT_EQ(Tool("").status, 64);
  EXPECT_EQ(Tool("init").status, 64);
  EXPECT_EQ(Tool("init " + path_ + " extra").status, 64);
  EXPECT_EQ(Tool("sample " + path_ + " --assets").status, 64);
  EXPECT_EQ(Tool("sample " + path_ + " --assets -1").status, 64);
  EXPECT_EQ(Tool("sample " + path_ + " --assets 12x").status, 64);
  EXPECT_EQ(Tool("sample " + path_ + " --colour red").status, 64);
  EXPECT_EQ(Tool("make " + path_).status, 64);
  EXPECT_EQ(Contents(path_), "");  // nothing made
  EXPECT_EQ(Tool("init /nonexistent-folder/x.db").status, 1);
}

TEST_F(ZelpkgTest, InitMakesAnEmptyStoreTheComponentAccepts) {
  ASSERT_EQ(Tool("init " + path_).status, 0);
  EXPECT_EQ(ClZelConnect::Inst()->Initiate(), 0);
  ClRuleGenkashokyaku rule;
  rule.SetCurDataID("D0001");
  EXPECT_EQ(WalkCount(rule), 0);
}

TEST_F(ZelpkgTest, SampleIsDeterministicReadableAndCoversTheCases) {
  ASSERT_EQ(Tool("sample " + path_ + " --assets 60 --seed 5").status, 0);
  std::string again = dir_.Host("again.db"), other = dir_.Host("other.db");
  ASSERT_EQ(Tool("sample " + again + " --assets 60 --seed 5").status, 0);
  ASSERT_EQ(Tool("sample " + other + " --assets 60 --seed 6").status, 0);
  EXPECT_EQ(Contents(path_), Contents(again));
  EXPECT_NE(Contents(path_), Contents(other));
  std::remove(again.c_str());
  std::remove(other.c_str());
  // sqlite3 itself reads it.
  if (HaveSqlite3()) {
    Output count = testenv::RunProgram(
        {.argv = {"sqlite3", path_, "SELECT count(*) FROM assets WHERE data_id = 'D0001'"}});
    ASSERT_EQ(count.status, 0) << count.err;
    EXPECT_EQ(count.out, "60\n");
  }
  // The component walks it.
  ASSERT_EQ(ClZelConnect::Inst()->Initiate(), 0);
  StDATAINFO* selected = ClDataMgr::Inst()->GetSetObject(5, 1)->GetSelectedInfo();
  ASSERT_STREQ(selected->szDataID, "D0001");
  EXPECT_STRNE(selected->szCompanyName, "");
  ClRuleGenkashokyaku rule;
  rule.SetCurDataID(selected->szDataID);
  long count = 0;
  rule.MoveReady(nullptr, 0, 0);
  rule.GetCount(&count);
  ASSERT_EQ(count, 60);
  std::set<int> methods, disposals;
  std::set<std::string> codes;
  long most_items = 0, lump_assets = 0;
  bool duplicate = false, long_code = false, symbol_code = false, huge = false, cut_name = false;
  for (long i = 0; i < count; ++i) {
    StKOTEISHISANINFO m;
    StKOTEINENINFO y;
    StKOTEITSUKIINFO t;
    std::memset(&m, 0, sizeof(m));
    ASSERT_EQ(rule.Move(i, &m, &y, &t), 0);
    methods.insert(m.sMethodCode);
    disposals.insert(m.sDisposalKind);
    std::string code(m.szCode);
    duplicate |= !codes.insert(code).second;
    long_code |= code.size() > 6;
    symbol_code |= code.find('#') != std::string::npos;
    huge |= m.cyAcquisitionCost.int64 / 10000 > 99999999999LL;
    cut_name |= std::strlen(m.szName) >= 191;
    if (m.sMethodCode == 4) {
      ++lump_assets;
      rule.MoveReadyIkkatsu(m.assetKey);
      long items = 0;
      rule.GetIkkatsuCount(&items);
      StIKKATSUINFO item;
      std::memset(&item, 0, sizeof(item));
      EXPECT_EQ(rule.MoveIkkatsu(items - 1, &item), 0);
      EXPECT_STRNE(item.szName, "");
      most_items = std::max(most_items, items);
      rule.MoveFinishIkkatsu();
    }
  }
  rule.MoveFinish();
  for (int method = 1; method <= 8; ++method) EXPECT_TRUE(methods.count(method)) << method;
  EXPECT_TRUE(disposals.count(4));
  EXPECT_TRUE(disposals.count(5));
  EXPECT_GE(lump_assets, 2);
  EXPECT_GT(most_items, 100);
  EXPECT_TRUE(duplicate && long_code && symbol_code && huge && cut_name);
  std::vector<StSHISANKUBUNINFO> categories = Categories(rule);
  ASSERT_EQ(categories.size(), 11u);
  for (int i = 0; i < 11; ++i) EXPECT_EQ(categories[i].lCode, i + 1);
  EXPECT_STREQ(categories[0].szName, "建物");
  EXPECT_STREQ(categories[8].szName, "繰延資産");
  EXPECT_STREQ(categories[9].szName, "一括償却資産");
  EXPECT_STREQ(categories[10].szName, "土地");
}

TEST_F(ZelpkgTest, HelpVersionAndSchemaGoToStandardOutput) {
  Output o = Tool("--help");
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out.rfind("usage: zelpkg init FILE", 0), 0u) << o.out;
  for (const char* word : {"sample", "schema", "check", "import", "--force", "--replace"})
    EXPECT_NE(o.out.find(word), std::string::npos) << word;
  EXPECT_EQ(o.err, "");
  o = Tool("import --help");
  EXPECT_EQ(o.status, 0);
  for (const char* word : {"YYYY-MM-DD", "--data-set ID", "user01"})
    EXPECT_NE(o.out.find(word), std::string::npos) << word;
  o = Tool("--version");
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out.rfind("zelpkg ", 0), 0u);
  EXPECT_EQ(Lines(o.out).size(), 1u);
  o = Tool("");
  EXPECT_EQ(o.status, 64);
  EXPECT_EQ(o.out, "");
  EXPECT_EQ(o.err.rfind("zelpkg: no command given\nusage: ", 0), 0u) << o.err;

  // The schema as printed makes a store the component opens.
  o = Tool("schema");
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out, package::kSchemaSql + 1);
  if (HaveSqlite3()) {
    ASSERT_EQ(testenv::RunProgram(
                  {.argv = {"sqlite3", path_}, .input = o.out + "INSERT INTO package DEFAULT VALUES;"})
                  .status,
              0);
    EXPECT_EQ(ClZelConnect::Inst()->Initiate(), 0);
  }
  EXPECT_EQ(Tool("schema extra").status, 64);
}

TEST_F(ZelpkgTest, AnExistingFileIsReplacedOnlyWithForce) {
  Write("package.db", "keep me");
  for (const char* command : {"init package.db", "sample package.db --assets 3"}) {
    Output o = Tool(command);
    EXPECT_EQ(o.status, 1) << command;
    EXPECT_NE(o.err.find("package.db exists already; --force replaces it"), std::string::npos) << o.err;
    EXPECT_EQ(Contents(path_), "keep me");
  }
  EXPECT_EQ(Tool("init package.db --force").status, 0);
  EXPECT_EQ(ClZelConnect::Inst()->Initiate(), 0);
  ClZelConnect::Inst()->Release();
  EXPECT_EQ(Tool("sample package.db --force --assets 3").status, 0);
  ASSERT_EQ(ClZelConnect::Inst()->Initiate(), 0);
  ClRuleGenkashokyaku rule;
  rule.SetCurDataID("D0001");
  long n = WalkCount(rule);
  rule.MoveFinish();
  EXPECT_EQ(n, 3);
  EXPECT_EQ(Tool("init package.db --force --force").status, 64);
  EXPECT_EQ(Tool("check package.db --force").status, 64);
}

// A store that the component delivers whole: nothing to say.
const char kCleanStore[] =
    "UPDATE package SET current_user = 'u1'; INSERT INTO users VALUES ('u1', 1, 1);"
    "INSERT INTO datasets (data_no, data_id, company_name, period_start, period_end) "
    "  VALUES (1, 'D1', 'Co', 20240401, 20250331);"
    "INSERT INTO assets (data_id, seq, code, name, type_code, method_code, useful_life, acquisition_date, "
    "  revised_cost) VALUES ('D1', 1, 'A1', 'one', 1, 6, 30, 20200229, 36028797018963967), "
    "  ('D1', 2, 'A2', 'PC', 1, 4, 3, 0, 0);"
    "INSERT INTO lump_items (data_id, asset_seq, seq, name, acquisition_date) VALUES ('D1', 2, 1, 'x', "
    "20240401);"
    "INSERT INTO categories (data_id, seq, code, name) VALUES ('D1', 1, 1, 'c');";

TEST_F(ZelpkgTest, CheckNamesEachProblemWithTableKeyAndColumn) {
  MakeStore(kCleanStore);
  // Texts that fill their fields to the last byte.
  Run("INSERT INTO assets (data_id, seq, name, memo, type_code, method_code, acquisition_date) VALUES ('D1', "
      "4, '" +
      std::string(192, 'n') + "', '" + U8(u8"全") + std::string(79, 'm') + "', 1, 7, 20200401);");
  Output o = Tool("check package.db");
  EXPECT_EQ(o.status, 0) << o.out;
  EXPECT_EQ(o.out, "");

  Run(U8(u8"UPDATE assets SET useful_life = 32768, acquisition_date = 20230229, revised_cost = "
         u8"36028797018963968, "
         u8"name = '表😀', memo = X'8140FF' WHERE seq = 1;") +
      "INSERT INTO assets (data_id, seq, name, business_ratio, disposal_date) VALUES ('D1', 3, '" +
      std::string(193, 'x') +
      "', 1.5, 20241301);"
      "INSERT INTO lump_items (data_id, asset_seq, seq, name) VALUES ('D1', 9, 1, 'lost'), ('D1', 1, 1, "
      "'unread');"
      "UPDATE datasets SET period_end = 20250229;"
      "UPDATE categories SET code = 'x';"
      "UPDATE package SET current_user = 'nobody'; INSERT INTO package DEFAULT VALUES;");
  o = Tool("check package.db");
  EXPECT_EQ(o.status, 1);
  std::vector<std::string> want = {
      "package: holds 2 rows; the package has exactly one",
      "the current user \"nobody\" (package.current_user) is not in users",
      "datasets (data_no 1), column \"period_end\": 20250229: not a calendar day; give a real date "
      "(YYYY-MM-DD), or 0 for none",
      U8(u8"assets (data_id D1, seq 1), column \"name\": '表😀': the text has characters without a Shift_JIS "
         u8"form; replace them"),
      U8(u8"assets (data_id D1, seq 1), column \"memo\": '　?': its bytes are not all Shift_JIS characters; "
         u8"store the text as UTF-8 text or valid Shift_JIS"),
      "assets (data_id D1, seq 1), column \"acquisition_date\": 20230229: not a calendar day; give a real "
      "date (YYYY-MM-DD), or 0 for none",
      "assets (data_id D1, seq 1), column \"useful_life\": 32768 does not fit a 16-bit field; give a whole "
      "number that fits",
      "assets (data_id D1, seq 1), column \"revised_cost\": 36028797018963968 does not fit its 7-byte field; "
      "give a whole number that fits",
      "assets (data_id D1, seq 3), column \"name\": 'xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx...': 193 bytes "
      "in Shift_JIS; the field holds 192 bytes; shorten it",
      "assets (data_id D1, seq 3), column \"business_ratio\": the real number 1.5 is not an integer; give a "
      "whole number that fits",
      "assets (data_id D1, seq 3), column \"disposal_date\": 20241301: not a calendar day; give a real date "
      "(YYYY-MM-DD), or 0 for none",
      "assets (data_id D1, seq 1), column \"type_code\": 1: no category of the data set has this code, so "
      "the asset type file has no row for it; give the code of one of the data set's categories, or import "
      "the category with --categories",
      "assets (data_id D1, seq 2), column \"type_code\": 1: no category of the data set has this code, so "
      "the asset type file has no row for it; give the code of one of the data set's categories, or import "
      "the category with --categories",
      "assets (data_id D1, seq 4), column \"type_code\": 1: no category of the data set has this code, so "
      "the asset type file has no row for it; give the code of one of the data set's categories, or import "
      "the category with --categories",
      "lump_items (data_id D1, asset_seq 9, seq 1), column \"asset_seq\": 9: no asset of the data set has "
      "this seq; give the seq of a lump-sum asset",
      "lump_items (data_id D1, asset_seq 1, seq 1), column \"asset_seq\": 1: the asset has the method code "
      "6, not 4 (lump-sum): the item is never read; give the asset method_code 4, or leave the item out",
      "lump_items (data_id D1, asset_seq 9, seq 1), column \"acquisition_date\": 0: the item has no "
      "acquisition date; give the date it was acquired (YYYY-MM-DD)",
      "lump_items (data_id D1, asset_seq 1, seq 1), column \"acquisition_date\": 0: the item has no "
      "acquisition date; give the date it was acquired (YYYY-MM-DD)",
      "categories (data_id D1, seq 1), column \"code\": the text 'x' is not an integer; give a whole number "
      "that fits",
  };
  EXPECT_EQ(Lines(o.out), want) << o.out;

  // A NUL inside a text ends it early; a selection of no data set.
  Run("UPDATE package SET current_user = 'u1' WHERE rowid = 1; UPDATE users SET selected_second = 5;"
      "UPDATE categories SET code = 1, name = 'a' || char(0) || 'b';");
  o = Tool("check package.db");
  EXPECT_NE(o.out.find("\"u1\" has selected data set no. 5"), std::string::npos) << o.out;
  EXPECT_NE(o.out.find("categories (data_id D1, seq 1), column \"name\": 'a?b': the text holds a NUL byte"),
            std::string::npos)
      << o.out;

  Write("other.db", "not a store");
  o = Tool("check other.db");
  EXPECT_EQ(o.status, 1);
  EXPECT_NE(o.err.find("other.db: not a SQLite database"), std::string::npos) << o.err;
  EXPECT_EQ(Tool("check missing.db").status, 1);
}

// Assets in any column order, quoted texts, both date forms, decimals, a
// byte-order mark and CR LF line ends; missing columns take their defaults.
const char8_t kAssetsCsv[] =
    u8"\uFEFFname,code,type_code,method_code,acquisition_date,acquisition_cost,useful_life,memo\r\n"
    u8"本社ビル,A1,1,6,2020-04-01,12345678.5,30,\r\n"
    u8"\"パソコン, 一式\",A2,10,4,20210115,300000,3,\"「特」\"\"注\"\"\r\n二行\"\r\n";
const char8_t kItemsCsv[] =
    u8"asset_seq,name,acquisition_date,acquisition_cost,quantity\n"
    u8"2,ノートPC,2021-01-15,150000.0001,100\n"
    u8"\n"
    u8"2,モニター,2021-01-15,\"1,500\",200\n";
const char8_t kCategoriesCsv[] = u8"code,name,method_code\n1,建物,6\n10,一括償却資産,2\n";

TEST_F(ZelpkgTest, ImportMakesAStoreTheProgramsExport) {
  Write("a.csv", U8(kAssetsCsv));
  Write("i.csv", U8(kItemsCsv));
  Write("c.csv", U8(kCategoriesCsv));
  Output o =
      Tool(U8(u8"import package.db --assets a.csv --items i.csv --categories c.csv --data-set D1 "
              u8"--company テスト商事 --period 2024-04-01 20250331"));
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(
      o.out,
      "zelpkg: package.db: data set D1 (no. 1): 2 assets, 2 items, 2 categories imported; selected for the "
      "user user01\n");
  EXPECT_EQ(Tool("check package.db").out, "");

  ASSERT_EQ(ClZelConnect::Inst()->Initiate(), 0);
  ASSERT_EQ(ClZelConnect::Inst()->ExpSysLink(), 0);
  StDATAINFO* selected = ClDataMgr::Inst()->GetSetObject(5, 1)->GetSelectedInfo();
  EXPECT_STREQ(selected->szDataID, "D1");
  EXPECT_EQ(cp932::ToUtf8(selected->szCompanyName), U8(u8"テスト商事"));
  EXPECT_EQ(selected->lPeriodStart, 20240401);
  EXPECT_EQ(selected->lPeriodEnd, 20250331);
  ClRuleGenkashokyaku rule;
  rule.SetCurDataID("D1");
  long count = 0;
  rule.MoveReady(nullptr, 0, 0);
  rule.GetCount(&count);
  ASSERT_EQ(count, 2);
  StKOTEISHISANINFO m[2];
  StKOTEINENINFO y;
  StKOTEITSUKIINFO t;
  std::memset(m, 0, sizeof m);
  ASSERT_EQ(rule.Move(0, &m[0], &y, &t), 0);
  ASSERT_EQ(rule.Move(1, &m[1], &y, &t), 0);
  EXPECT_EQ(cp932::ToUtf8(m[0].szName), U8(u8"本社ビル"));
  EXPECT_EQ(m[0].lAcquisitionDate, 20200401);
  EXPECT_EQ(m[0].cyAcquisitionCost.int64, 123456785000);
  EXPECT_EQ(m[0].sUsefulLife, 30);
  EXPECT_EQ(m[0].sBusinessRatio, 0);  // not in the file: the default
  EXPECT_EQ(cp932::ToUtf8(m[1].szName), U8(u8"パソコン, 一式"));
  EXPECT_EQ(cp932::ToUtf8(m[1].szMemo), U8(u8"「特」\"注\"\r\n二行"));
  EXPECT_EQ(m[1].lAcquisitionDate, 20210115);
  rule.MoveReadyIkkatsu(m[1].assetKey);
  long items = 0;
  rule.GetIkkatsuCount(&items);
  ASSERT_EQ(items, 2);
  StIKKATSUINFO item;
  std::memset(&item, 0, sizeof item);
  ASSERT_EQ(rule.MoveIkkatsu(1, &item), 0);
  EXPECT_EQ(cp932::ToUtf8(item.szName), U8(u8"モニター"));
  EXPECT_EQ(item.cyAcquisitionCost.int64, 15000000);
  EXPECT_EQ(item.lQuantity, 200);
  rule.MoveFinishIkkatsu();
  rule.MoveFinish();
  std::vector<StSHISANKUBUNINFO> categories = Categories(rule);
  ASSERT_EQ(categories.size(), 2u);
  EXPECT_EQ(categories[1].lCode, 10);
}

TEST_F(ZelpkgTest, ABadRowNamesItsFileLineAndColumnAndNothingIsWritten) {
  Write("a.csv", U8(kAssetsCsv));
  Write("bad.csv",
        "seq,code,name,type_code,method_code,useful_life,acquisition_date,acquisition_cost,foo,code\n"
        "1,B1,b,1,6,3,2024-01-01,1,x,B1\n");
  Write("i.csv", "name,quantity\nx,1\n");
  // A header of unknown, doubled or missing columns.
  Output o = Tool("import package.db --assets bad.csv --items i.csv --data-set D1 --company C --period 0 0");
  EXPECT_EQ(o.status, 1);
  const std::string kMissing =
      "\": missing: every row of lump_items needs it for the export; add the column to "
      "the header";
  EXPECT_EQ(Lines(o.err),
            (std::vector<std::string>{"zelpkg: bad.csv:1: column \"foo\": not a column of assets; rename it "
                                      "to a column of zelpkg schema, or "
                                      "remove it",
                                      "zelpkg: bad.csv:1: column \"code\": named twice; keep one",
                                      "zelpkg: i.csv:1: column \"asset_seq" + kMissing,
                                      "zelpkg: i.csv:1: column \"acquisition_date" + kMissing,
                                      "zelpkg: i.csv:1: column \"acquisition_cost" + kMissing,
                                      "zelpkg: nothing was imported into package.db"}));
  // No new store, nor its temporary file.
  EXPECT_NE(access(path_.c_str(), F_OK), 0);
  for (const auto& entry : std::filesystem::directory_iterator(dir_.Host(".")))
    EXPECT_EQ(entry.path().filename().string().find("zelpkg-"), std::string::npos) << entry.path();

  Write("i.csv", U8(kItemsCsv));
  Write("c.csv", U8(kCategoriesCsv));
  ASSERT_EQ(Tool("import package.db --assets a.csv --items i.csv --categories c.csv --data-set D1 --company "
                 "C --period 0 0")
                .status,
            0);
  const std::string before = Contents(path_);
  Write("bad.csv",
        "seq,code,name,type_code,method_code,useful_life,acquisition_date,acquisition_cost\n"
        "5,B1,b,1,6,3,2024-01-01,1\n"
        "6,B2,b,1,6,70000,2024-02-30,1.00001\n"
        "7,B3,b,1,6,3,20240101,1,9\n"
        "1,B4,b,1,6,3,2024-01-01,\n"
        "8,\"B5\"x,b,1,6,3,2024-01-01,\n"
        "9,\"B6,b,1,6,3,,\n");
  o = Tool("import package.db --assets bad.csv");
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(
      Lines(o.err),
      (std::vector<std::string>{
          "zelpkg: bad.csv:3: column \"acquisition_cost\": '1.00001': not an amount in yen; give digits with "
          "up "
          "to four decimals, e.g. 1200000 or 1200000.5",
          "zelpkg: bad.csv:4: 9 fields; the header has 8; quote a text that holds a comma",
          "zelpkg: bad.csv:6: text follows a closing quote",
          "zelpkg: bad.csv:7: a quoted field opened on line 7 is not closed",
          "zelpkg: bad.csv:5: column \"seq\": 1: the data set D1 has this seq already; to import the file in "
          "place of what the data set holds, add --replace",
          "zelpkg: bad.csv:3: column \"acquisition_date\": 20240230: not a calendar day; give a real date "
          "(YYYY-MM-DD), or 0 for none",
          "zelpkg: bad.csv:3: column \"useful_life\": 70000 does not fit a 16-bit field; give a whole number "
          "that fits",
          "zelpkg: nothing was imported into package.db"}))
      << o.err;
  EXPECT_EQ(Contents(path_), before);
  Write("bad.csv",
        "data_id,code,name,type_code,method_code,useful_life,acquisition_date,acquisition_cost\n"
        "D1,X,x,1,6,3,2024-01-01,1\nD2,Y,y,1,6,3,2024-01-01,1\n");
  o = Tool("import package.db --assets bad.csv");
  EXPECT_NE(o.err.find("bad.csv:3: column \"data_id\": 'D2': not the data set imported into (D1)"),
            std::string::npos)
      << o.err;
  EXPECT_EQ(Contents(path_), before);

  // Options that do not go together.
  EXPECT_EQ(Tool("import package.db").status, 64);
  EXPECT_EQ(Tool("import package.db --assets a.csv --company C --period 0 0").status, 64);
  EXPECT_EQ(Tool("import package.db --assets a.csv --data-set D1 --company C").status, 64);
  EXPECT_EQ(Tool("import package.db --assets a.csv --encoding latin1").status, 64);
  EXPECT_EQ(Tool("import package.db --assets a.csv --assets a.csv").status, 64);
}

TEST_F(ZelpkgTest, ImportAddsToADataSetOrRemakesItOnlyWhenAsked) {
  ASSERT_EQ(Tool("sample package.db --assets 5").status, 0);
  Write("a.csv", U8(kAssetsCsv));
  Write("i.csv",
        "asset_seq,name,acquisition_date,acquisition_cost\n4,a,2024-01-01,1\n4,b,2024-01-01,1\n7,c,2024-01-"
        "01,1\n");
  // Without a data set: the selected one, numbered on from its last rows.
  Output o = Tool("import package.db --assets a.csv --items i.csv");
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_NE(o.out.find("data set D0001 (no. 1): 2 assets, 3 items imported"), std::string::npos) << o.out;
  ASSERT_EQ(ClZelConnect::Inst()->Initiate(), 0);
  sqlite3* db = package::TheStore().db();
  auto number = [&](const std::string& sql) {
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr);
    int64_t value = sqlite3_step(stmt) == SQLITE_ROW ? sqlite3_column_int64(stmt, 0) : -1;
    sqlite3_finalize(stmt);
    return value;
  };
  EXPECT_EQ(number("SELECT seq FROM assets WHERE data_id = 'D0001' AND code = 'A1'"), 6);
  EXPECT_EQ(number("SELECT seq FROM assets WHERE data_id = 'D0001' AND code = 'A2'"), 7);
  // Items on from the last of the sample's lump-sum asset 4 (it has three),
  // and from 1 for the new one.
  EXPECT_EQ(number("SELECT max(seq) FROM lump_items WHERE data_id = 'D0001' AND asset_seq = 4"), 5);
  EXPECT_EQ(number("SELECT max(seq) FROM lump_items WHERE data_id = 'D0001' AND asset_seq = 7"), 1);
  ClZelConnect::Inst()->Release();

  // The data set exists: made again only with --replace, keeping its number.
  const std::string remake = U8(u8" --data-set D0002 --company 新会社 --period 20250101 20251231");
  o = Tool("import package.db --assets a.csv" + remake);
  EXPECT_EQ(o.status, 1);
  EXPECT_NE(o.err.find("data set D0002 is in the store already; --replace remakes it"), std::string::npos)
      << o.err;
  Write("i.csv", "asset_seq,name,acquisition_date,acquisition_cost\n2,a,2024-01-01,1\n");
  Write("c.csv", U8(kCategoriesCsv));
  o = Tool("import package.db --assets a.csv --items i.csv --categories c.csv --replace" + remake);
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_NE(
      o.out.find(
          "data set D0002 (no. 2): 2 assets, 1 items, 2 categories imported; selected for the user user01"),
      std::string::npos);
  ASSERT_EQ(ClZelConnect::Inst()->Initiate(), 0);
  db = package::TheStore().db();
  EXPECT_EQ(number("SELECT count(*) FROM assets WHERE data_id = 'D0002'"), 2);
  EXPECT_EQ(number("SELECT count(*) FROM categories WHERE data_id = 'D0002'"), 2);
  EXPECT_EQ(number("SELECT period_start FROM datasets WHERE data_no = 2"), 20250101);
  EXPECT_EQ(number("SELECT selected_second FROM users WHERE user_id = 'user01'"), 2);
  EXPECT_EQ(number("SELECT selected_second FROM users WHERE user_id = 'user02'"), 2);
  EXPECT_EQ(number("SELECT count(*) FROM assets WHERE data_id = 'D0001'"), 7);
  ClZelConnect::Inst()->Release();

  // A data set named alone must exist.
  o = Tool("import package.db --assets a.csv --data-set D9");
  EXPECT_EQ(o.status, 1);
  EXPECT_NE(o.err.find("data set D9 is not in the store; --company NAME --period START END make it"),
            std::string::npos)
      << o.err;
}

// A manifest imports every client in one transaction: one bad line, and
// not even the sound clients before it are in the store.
TEST_F(ZelpkgTest, AManifestImportsAllItsClientsOrNone) {
  Write("a.csv", U8(kAssetsCsv));
  Write("i.csv", U8(kItemsCsv));
  Write("c.csv", U8(kCategoriesCsv));
  Write("bad.csv", "code,acquisition_date\nX1,2024-13-01\n");
  const std::string head = "data_set,company,period_start,period_end,kind,assets,items,categories\n";
  Write("good.csv", head + "K1,Ko,2024-04-01,2025-03-31,,a.csv,i.csv,c.csv\n" +
                        "K2,Otsu,20240101,20241231,individual,a.csv,i.csv,c.csv\n");
  Write("mixed.csv", head + "K3,Hei,2024-04-01,2025-03-31,,a.csv,i.csv,c.csv\n" +
                         "K4,Tei,2024-04-01,2025-03-31,,bad.csv,,c.csv\n");
  made_.push_back(dir_.Host("office.db"));
  Output o = Tool("import office.db --manifest good.csv");
  ASSERT_EQ(o.status, 0) << o.err;
  o = Tool("import office.db --manifest mixed.csv");
  EXPECT_EQ(o.status, 1);
  EXPECT_NE(o.err.find("mixed.csv:3: data set K4: "), std::string::npos) << o.err;
  testenv::SetEnv("ZEL_PACKAGE", dir_.Host("office.db"));
  ASSERT_EQ(ClZelConnect::Inst()->Initiate(), 0);
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(
      package::TheStore().db(),
      "SELECT group_concat(data_id || corp_kind || '/' || (SELECT count(*) FROM assets a WHERE "
      "a.data_id = d.data_id)) FROM datasets d ORDER BY data_no",
      -1, &stmt, nullptr);
  ASSERT_EQ(sqlite3_step(stmt), SQLITE_ROW);
  EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)), "K10/2,K23/2");
  sqlite3_finalize(stmt);
  ClZelConnect::Inst()->Release();
}

}  // namespace

namespace {

// A register that follows the rules: a building and a lump-sum asset with
// its item, with the categories of both.
const char8_t kGoodAssets[] =
    u8"code,name,type_code,method_code,useful_life,acquisition_date,acquisition_cost\n"
    u8"A1,本社ビル,1,6,30,2020-04-01,35000000\n"
    u8"A2,パソコン一式,10,4,3,2021-01-15,300000\n";
const char8_t kGoodItems[] =
    u8"asset_seq,name,acquisition_date,acquisition_cost\n2,ノートPC,2021-01-15,150000\n";
const char kPeriod[] = " --period 2024-04-01 2025-03-31";

// text (UTF-8) as UTF-16 with its byte-order mark.
std::string Utf16(const std::string& text, bool big_endian) {
  std::string out = big_endian ? "\xFE\xFF" : "\xFF\xFE";
  auto put = [&](uint32_t unit) {
    char hi = static_cast<char>(unit >> 8), lo = static_cast<char>(unit & 0xFF);
    out += big_endian ? std::string{hi, lo} : std::string{lo, hi};
  };
  for (size_t i = 0; i < text.size();) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    size_t n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    uint32_t code = n == 1 ? c : c & (0x7F >> n);
    for (size_t k = 1; k < n; ++k) code = code << 6 | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    i += n;
    if (code >= 0x10000) {
      put(0xD800 + ((code - 0x10000) >> 10));
      put(0xDC00 + ((code - 0x10000) & 0x3FF));
    } else {
      put(code);
    }
  }
  return out;
}

}  // namespace

// Each mistake of a real register is refused, or warned about, by file,
// line, column and value, with what to do; nothing is written on a refusal.
TEST_F(ZelpkgTest, ImportRulesRefuseOrWarnByName) {
  const std::string good = U8(kGoodAssets);
  auto with_row = [&](const std::string& row) { return good + row + "\n"; };
  const std::string kSeqHeader = "seq," + good.substr(0, good.find('\n') + 1);
  struct Case {
    std::string assets;
    std::string options;  // after the files; the period when none given
    int status;
    std::string said;  // on standard error
  };
  const Case cases[] = {
      {good, "", 0, ""},
      {"code,name,type_code,method_code,useful_life,acquisition_date\nA1,x,1,6,30,2020-04-01\n", "", 1,
       "a.csv:1: column \"acquisition_cost\": missing: every row of assets needs it"},
      {good, " --period 2025-03-31 2024-04-01", 1,
       "--period: 2025-03-31: the period must start before its end (2024-04-01)"},
      {with_row("A3,x,1,13,5,2020-04-01,1"), "", 1,
       "a.csv:4: column \"method_code\": 13: not a depreciation method"},
      {with_row("A3,x,1,6,5,2020-04-01,-35000000"), "", 1,
       "a.csv:4: column \"acquisition_cost\": -35000000: an amount that cannot be negative"},
      {with_row("A3,x,7,6,5,2020-04-01,1"), "", 1,
       "a.csv:4: column \"type_code\": 7: no category of the data set"},
      {with_row("A3,x,1,6,0,2020-04-01,1"), "", 1,
       "a.csv:4: column \"useful_life\": 0: method 6 depreciates"},
      {with_row("A3,x,1,6,5,,1"), "", 1,
       "a.csv:4: column \"acquisition_date\": 0: the asset has no acquisition date"},
      {with_row("A3,x,10,4,3,2020-04-01,1"), "", 1,
       "a.csv:4: column \"method_code\": 4: a lump-sum asset without items"},
      {with_row("A3,x,1,6,5,2025-06-01,1"), "", 0,
       "zelpkg: warning: a.csv:4: column \"acquisition_date\": 2025-06-01: after the end of the data set's "
       "period"},
      {with_row("A3,x,1,6,5,2020-04-01,\"35,000,000\""), "", 0, ""},
      {with_row("A3,x,1,6,5,2020-04-01,\"3,50,000\""), "", 1,
       "a.csv:4: column \"acquisition_cost\": '3,50,000': thousands separators out of place; remove the "
       "separators"},
      // Numbers beyond their column's range, and seqs numbered on past the last.
      {kSeqHeader + "1,A1,x,1,6,5,2020-04-01,1\n9223372036854775808,A3,x,1,6,5,2020-04-01,1\n", "", 1,
       "a.csv:3: column \"seq\": '9223372036854775808': beyond the numbers a store holds"},
      {kSeqHeader + "9223372036854775807,A1,x,1,6,5,2020-04-01,1\n,A3,x,1,6,5,2020-04-01,1\n", "", 1,
       "a.csv:3: column \"seq\": (none): the last seq is 9223372036854775807"},
      {with_row("A3,x,1,6,5,2020-04-01,1,7"), "", 1, "a.csv:4: 8 fields; the header has 7"},
  };
  Write("i.csv", U8(kGoodItems));
  Write("c.csv", U8(kCategoriesCsv));
  for (const Case& c : cases) {
    std::remove(path_.c_str());
    Write("a.csv", c.assets);
    Output o =
        Tool("import package.db --assets a.csv --items i.csv --categories c.csv --data-set D1 --company C" +
             (c.options.empty() ? std::string(kPeriod) : c.options));
    EXPECT_EQ(o.status, c.status) << c.assets << o.err;
    EXPECT_NE(o.err.find(c.said), std::string::npos) << c.assets << o.err;
    if (c.said.empty()) {
      EXPECT_EQ(o.err, "");
    }
    EXPECT_EQ(access(path_.c_str(), F_OK) == 0, c.status == 0) << c.assets;
  }

  // Without --items, and without categories, each said once.
  std::remove(path_.c_str());
  Write("a.csv", good);
  Output o = Tool(std::string("import package.db --assets a.csv --data-set D1 --company C") + kPeriod);
  EXPECT_EQ(
      Lines(o.err),
      (std::vector<std::string>{
          "zelpkg: a.csv:3: column \"method_code\": 4: a lump-sum asset without items: the export writes a "
          "row "
          "for each item and none for the asset; import its items with --items (asset_seq = the asset's seq)",
          "zelpkg: a.csv: the data set has assets but no categories, so the asset type file would be empty; "
          "import the categories with --categories C.csv",
          "zelpkg: nothing was imported into package.db"}));
}

// Importing a register again says so once, with the hint; --replace
// replaces the data set's rows; a file that brings no rows never blames the
// rows the store holds.
TEST_F(ZelpkgTest, ReimportSaysReplaceOnceAndBlamesOnlyTheFile) {
  Write("a.csv", U8(kGoodAssets));
  Write("i.csv", U8(kGoodItems));
  Write("c.csv", U8(kCategoriesCsv));
  ASSERT_EQ(
      Tool(std::string("import package.db --assets a.csv --items i.csv --categories c.csv --data-set D1 "
                       "--company C") +
           kPeriod)
          .status,
      0);
  // Rows the store holds that the rules refuse: never named by a later import.
  Run("UPDATE assets SET method_code = 13;");
  const std::string before = Contents(path_);
  Output o = Tool("import package.db --assets a.csv --items i.csv");
  EXPECT_EQ(Lines(o.err),
            (std::vector<std::string>{"zelpkg: a.csv:2: column \"code\": 'A1': the data set D1 holds an "
                                      "asset of this code already, and 1 more of the file's codes; to "
                                      "import the register again in place of what the data set holds, "
                                      "add --replace",
                                      "zelpkg: nothing was imported into package.db"}));
  for (const char* text : {"", "\x01\x02garbage\n\xFF", "code\n"}) {
    Write("x.csv", text);
    o = Tool("import package.db --assets x.csv");
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err.find("13"), std::string::npos) << o.err;
    EXPECT_EQ(Contents(path_), before);
  }
  o = Tool("import package.db --assets a.csv --items i.csv --replace");
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_NE(o.out.find("2 assets, 1 items imported"), std::string::npos) << o.out;
  EXPECT_EQ(Tool("check package.db").out, "");
}

// The register as a spreadsheet saves it: Shift_JIS, UTF-8 with or without
// its byte-order mark, UTF-16 either way round; what is none of them is
// refused in one line that names the line and the fix.
TEST_F(ZelpkgTest, ImportReadsTheEncodingsASpreadsheetSaves) {
  const std::string utf8 = U8(kGoodAssets), sjis = cp932::FromUtf8(utf8);
  const std::string broken = sjis + "A3,\x81\x20,1,6,5,2020-04-01,1\n";
  struct Case {
    std::string file, encoding;
    std::string said;  // empty: imported
  } cases[] = {
      {utf8, "", ""},
      {"\xEF\xBB\xBF" + utf8, "", ""},
      {sjis, "", ""},
      {sjis, " --encoding cp932", ""},
      {Utf16(utf8, false), "", ""},
      {Utf16(utf8, true), " --encoding utf-8", ""},
      {sjis, " --encoding utf-8", "a.csv:2: not UTF-8 text; give --encoding cp932 for a Shift_JIS file"},
      {utf8, " --encoding cp932", "a.csv:3: not Shift_JIS (CP932) text; give --encoding utf-8"},
      {broken, "",
       "a.csv:4: neither UTF-8 nor Shift_JIS (CP932) text; save the file as UTF-8 or Shift_JIS CSV"},
      {Utf16(utf8, false) + "\x3D", "", "a.csv:4: a UTF-16 file whose text breaks off here"},
  };
  // The other files in ASCII, which every encoding reads alike.
  Write("i.csv", "asset_seq,name,acquisition_date,acquisition_cost\n2,PC,2021-01-15,150000\n");
  Write("c.csv", "code,name,method_code\n1,Building,6\n10,Lump,2\n");
  for (const Case& c : cases) {
    std::remove(path_.c_str());
    Write("a.csv", c.file);
    Output o =
        Tool("import package.db --assets a.csv --items i.csv --categories c.csv --data-set D1 --company C" +
             std::string(kPeriod) + c.encoding);
    if (c.said.empty()) {
      ASSERT_EQ(o.status, 0) << c.encoding << o.err;
      ASSERT_EQ(ClZelConnect::Inst()->Initiate(), 0);
      ClRuleGenkashokyaku rule;
      rule.SetCurDataID("D1");
      StKOTEISHISANINFO m;
      StKOTEINENINFO y;
      StKOTEITSUKIINFO t;
      std::memset(&m, 0, sizeof m);
      rule.MoveReady(nullptr, 0, 0);
      ASSERT_EQ(rule.Move(0, &m, &y, &t), 0);
      EXPECT_EQ(cp932::ToUtf8(m.szName), U8(u8"本社ビル"));
      rule.MoveFinish();
      ClZelConnect::Inst()->Release();
    } else {
      EXPECT_EQ(Lines(o.err).size(), 2u) << o.err;  // the line, and that nothing was imported
      EXPECT_EQ(o.err.rfind("zelpkg: " + c.said, 0), 0u) << o.err;
    }
  }
}

// Runs on one store at the same time: each makes or fills it whole in turn,
// and each says its own outcome; no temporary file is left.
TEST_F(ZelpkgTest, ConcurrentRunsTakeTurnsOnTheStore) {
  std::vector<std::thread> runs;
  std::vector<Output> outputs(4);
  for (size_t i = 0; i < outputs.size(); ++i)
    runs.emplace_back(
        [&, i] { outputs[i] = Tool("sample package.db --force --assets " + std::to_string(3000 + i)); });
  for (std::thread& run : runs) run.join();
  for (const Output& o : outputs) EXPECT_EQ(o.status, 0) << o.err;
  ASSERT_EQ(ClZelConnect::Inst()->Initiate(), 0);
  ClRuleGenkashokyaku rule;
  rule.SetCurDataID("D0001");
  long n = WalkCount(rule);
  rule.MoveFinish();
  EXPECT_GE(n, 3000);
  EXPECT_LE(n, 3003);
  ClZelConnect::Inst()->Release();
  for (const auto& entry : std::filesystem::directory_iterator(dir_.Host(".")))
    EXPECT_EQ(entry.path().filename().string().find("zelpkg-"), std::string::npos) << entry.path();
}

// The warnings of an import are those a check of the stored rows gives, in
// its order; past the first hundred they are counted.
// The rows are read and judged ahead of the store, in batches: the
// warnings and the refusals of a register of some thousand rows come in the
// order of its lines, the same as a check of the stored rows finds.
TEST_F(ZelpkgTest, ImportWarnsAsACheckOfTheStoredRows) {
  const std::string header =
      "code,name,type_code,method_code,useful_life,acquisition_date,acquisition_cost,disposal_date,"
      "business_ratio\n";
  std::string assets = header;
  for (int n = 1; n <= 2100; ++n)
    assets += "A" + std::to_string(n) + ",x,1,6,5,2020-04-01,1,2023-01-01," + (n % 3 ? "0" : "20000") + "\n";
  Write("a.csv", assets);
  Write("c.csv", U8(kCategoriesCsv));
  Output o = Tool(
      std::string("import package.db --assets a.csv --categories c.csv --data-set D1 --company C") + kPeriod);
  ASSERT_EQ(o.status, 0) << o.err;
  std::vector<std::string> imported = Lines(o.err), checked;
  for (const std::string& line : Lines(Tool("check package.db").out))
    if (line.starts_with("warning: ")) checked.push_back(line);
  ASSERT_EQ(checked.size(), 2800u);
  ASSERT_EQ(imported.size(), 101u);
  EXPECT_EQ(imported.back(), "zelpkg: warning: ... and 2700 more");
  // The same column and finding, the row named by its line for the one and
  // its key for the other.
  auto finding = [](const std::string& line) { return line.substr(line.find(" column \"")); };
  for (size_t i = 0; i < 100; ++i) EXPECT_EQ(finding(imported[i]), finding(checked[i])) << i;
  EXPECT_NE(imported[3].find("a.csv:4: column \"business_ratio\""), std::string::npos) << imported[3];

  // Bad rows on either side of where the batches meet.
  assets = header;
  std::vector<std::string> said;
  for (int line = 2; line <= 2100; ++line) {
    const bool bad = line % 512 <= 2;
    assets += "B" + std::to_string(line) + ",x,1,6,5,2020-04-01," + (bad ? "1x" : "1") + ",,0\n";
    if (bad)
      said.push_back("zelpkg: b.csv:" + std::to_string(line) +
                     ": column \"acquisition_cost\": '1x': not an amount in yen; give digits with up to four "
                     "decimals, e.g. 1200000 or 1200000.5");
  }
  said.push_back("zelpkg: nothing was imported into package.db");
  Write("b.csv", assets);
  EXPECT_EQ(Lines(Tool("import package.db --assets b.csv").err), said);
}

// A register is read in pieces: a record is the same wherever a piece ends,
// in its fields, its line and what is wrong with it, and a file in another
// encoding is refused on the same line.
TEST_F(ZelpkgTest, TheReaderGivesTheSameRecordsWhereverThePiecesEnd) {
  struct Read {
    bool opened;
    std::string text;  // the records, or why the file was refused
  };
  auto read = [&](const std::string& bytes, package::Encoding encoding, size_t piece) {
    Write("r.csv", bytes);
    package::CsvReader csv(piece);
    std::string why, text;
    long line = 0;
    if (!csv.Open(dir_.Host("r.csv"), encoding, &why, &line)) return Read{false, std::to_string(line) + why};
    for (std::vector<std::string> fields; csv.Next(&fields, &line, &why);) {
      text += std::to_string(line) + ":" + why;
      for (const std::string& f : fields) text += "[" + f + "]";
      text += "\n";
    }
    return Read{true, text};
  };
  const struct {
    std::string bytes;
    package::Encoding encoding;
    std::string records;  // with the whole file in one piece
  } kFiles[] = {
      {"a,b\r\n\"x,\r\ny\",\"q\"\"q\"\r\n\n,\r\n", package::Encoding::kAuto,
       "1:[a][b]\n2:[x,\r\ny][q\"q]\n4:[]\n5:[][]\n"},
      {"a\rb,c\r", package::Encoding::kAuto, "1:[a\rb][c\r]\n"},
      {"\"a\"b,c\nd\n\"open\n,\n", package::Encoding::kAuto,
       "1:text follows a closing quote[a]\n2:[d]\n3:a quoted field opened on line 3 is not closed[]\n"},
      {"\xEF\xBB\xBF\xE5\xBB\xBA,\xE7\x89\xA9\n", package::Encoding::kAuto, "1:[\xE5\xBB\xBA][\xE7\x89\xA9]\n"},
      {"\x8C\x9A,\x95\xA8\n", package::Encoding::kAuto, "1:[\xE5\xBB\xBA][\xE7\x89\xA9]\n"},
      {"\xFF\xFE" + std::string("a\0,\0\xFA\x5E\n\0", 8), package::Encoding::kAuto, "1:[a][\xE5\xBB\xBA]\n"},
      {"ok\nok\n\xE5\xBB\n", package::Encoding::kUtf8, "3not UTF-8 text; give --encoding cp932 for a "
                                                  "Shift_JIS file, or save it as UTF-8"},
      {"ok\n\n\xE5\xBB\xBA\x80\n", package::Encoding::kAuto,
       "3neither UTF-8 nor Shift_JIS (CP932) text; save the file as UTF-8 or Shift_JIS CSV"},
  };
  for (const auto& file : kFiles) {
    const Read whole = read(file.bytes, file.encoding, size_t{1} << 20);
    EXPECT_EQ(whole.text, file.records) << file.bytes;
    for (size_t piece = 1; piece <= 9; ++piece) {
      const Read pieces = read(file.bytes, file.encoding, piece);
      EXPECT_EQ(pieces.opened, whole.opened) << file.bytes << " in pieces of " << piece;
      EXPECT_EQ(pieces.text, whole.text) << file.bytes << " in pieces of " << piece;
    }
  }
}
