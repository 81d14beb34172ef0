// zelpkg makes stores that sqlite3 reads and the component walks.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "package/test_store.h"
#include "platform/win.h"

namespace {

std::string Zelpkg() {
  const char* bin = std::getenv("ZEL_BIN_DIR");
  return std::string(bin ? bin : ".") + "/zelpkg";
}

int RunTool(const std::string& args) {
  int status = std::system((Zelpkg() + " " + args + " 2>/dev/null").c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

class ZelpkgTest : public StoreTest {};

TEST_F(ZelpkgTest, WrongArgumentsGiveTheUsageAndStatus2) {
  EXPECT_EQ(RunTool(""), 2);
  EXPECT_EQ(RunTool("init"), 2);
  EXPECT_EQ(RunTool("init " + path_ + " extra"), 2);
  EXPECT_EQ(RunTool("sample " + path_ + " --assets"), 2);
  EXPECT_EQ(RunTool("sample " + path_ + " --assets -1"), 2);
  EXPECT_EQ(RunTool("sample " + path_ + " --assets 12x"), 2);
  EXPECT_EQ(RunTool("sample " + path_ + " --colour red"), 2);
  EXPECT_EQ(RunTool("make " + path_), 2);
  EXPECT_EQ(Contents(path_), "");  // nothing made
  EXPECT_EQ(RunTool("init /nonexistent-folder/x.db"), 1);
}

TEST_F(ZelpkgTest, InitMakesAnEmptyStoreTheComponentAccepts) {
  ASSERT_EQ(RunTool("init " + path_), 0);
  EXPECT_EQ(ClZelConnect::Inst()->Initiate(), 0);
  ClRuleGenkashokyaku rule;
  rule.SetCurDataID("D0001");
  long n = -1;
  rule.MoveReady(nullptr, 0, 0);
  rule.GetCount(&n);
  EXPECT_EQ(n, 0);
}

TEST_F(ZelpkgTest, SampleIsDeterministicReadableAndCoversTheCases) {
  ASSERT_EQ(RunTool("sample " + path_ + " --assets 60 --seed 5"), 0);
  std::string again = dir_ + "/again.db", other = dir_ + "/other.db";
  ASSERT_EQ(RunTool("sample " + again + " --assets 60 --seed 5"), 0);
  ASSERT_EQ(RunTool("sample " + other + " --assets 60 --seed 6"), 0);
  EXPECT_EQ(Contents(path_), Contents(again));
  EXPECT_NE(Contents(path_), Contents(other));
  std::remove(again.c_str());
  std::remove(other.c_str());
  // sqlite3 itself reads it.
  if (std::system("command -v sqlite3 >/dev/null") == 0) {
    std::string out = dir_ + "/out.txt";
    ASSERT_EQ(std::system(("sqlite3 " + path_ + " \"SELECT count(*) FROM assets WHERE data_id = 'D0001'\" > " + out).c_str()), 0);
    EXPECT_EQ(Contents(out), "60\n");
    std::remove(out.c_str());
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
  StSHISANKUBUNINFO* categories = nullptr;
  long n = 0;
  ASSERT_EQ(rule.LoadShisanKubunInfo(&categories, &n), 0);
  ASSERT_EQ(n, 11);
  for (long i = 0; i < n; ++i) EXPECT_EQ(categories[i].lCode, i + 1);
  EXPECT_STREQ(categories[0].szName, "建物");
  EXPECT_STREQ(categories[8].szName, "繰延資産");
  EXPECT_STREQ(categories[9].szName, "一括償却資産");
  EXPECT_STREQ(categories[10].szName, "土地");
  win::CoTaskMemFree(categories);
}

}  // namespace
