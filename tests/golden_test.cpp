// A fixture company in a package store, exported as run control does it;
// the three files are compared byte for byte with expected files worked out
// by hand (export/testdata/make_golden.py lays them out).
#include <gtest/gtest.h>

#include <cstdlib>
#ifndef _WIN32
#include <unistd.h>
#endif

#include "component/component.h"
#include "export/export_test_util.h"
#include "package/test_store_builder.h"
#include "platform/cp932.h"

namespace {

using namespace export_test;

const std::string kTestData = EXPORT_TESTDATA;

// A store at path holding the schema and the given SQL.
void MakeStore(const std::string& path, const std::string& sql) {
  std::string error;
  ASSERT_TRUE(teststore::Make(path, sql, &error)) << error;
}

struct ExportedFiles {
  std::string assets, types, errors;
  bool succeeded = false;
  std::vector<std::pair<long, long>> progress;  // done, total, as reported
};

std::vector<std::pair<long, long>> reported;
void RecordProgress(long done, long total) { reported.emplace_back(done, total); }

// Connects to the store and runs the export the way run control does; reads
// the three files unless told not to.
ExportedFiles Export(const testenv::ScratchDir& dir, const std::string& store, bool read = true) {
  testenv::SetEnv("ZEL_PACKAGE", store);
  ExportedFiles files;
  EXPECT_EQ(ClZelConnect::Inst()->Initiate(), 0);
  {
    StDATAINFO record = *ClDataMgr::Inst()->GetSetObject(5, 1)->GetSelectedInfo();
    AssetExporter exporter(kErrorLogName);
    exporter.SetDateSource(FixedDate);
    exporter.SetProgressSink(RecordProgress);
    reported.clear();
    exporter.SetOutputPath(dir.Windows("assets.csv").c_str());
    exporter.OpenAssetFile(&record);
    EXPECT_EQ(exporter.ExportAssets(), 1);
    EXPECT_EQ(exporter.ExportAssetTypes(&record), 1);
    files.succeeded = exporter.Succeeded();
    files.progress = reported;
  }
  ClZelConnect::Inst()->LogOut();
  ClZelConnect::Inst()->Terminate();
  ClZelConnect::Inst()->Release();
  if (!read) return files;
  files.assets = ReadFile(dir.Host("assets.csv"));
  files.types = ReadFile(dir.Host("syurui.SSC"));
  files.errors = ReadFile(dir.Host(kErrorLogName));
  return files;
}

// Byte comparison that names the first differing line.
void ExpectSameFile(const std::string& actual, const std::string& expected, const char* what) {
  if (actual == expected) return;
  std::vector<std::string> a = Split(actual, "\r\n"), e = Split(expected, "\r\n");
  for (size_t i = 0; i < std::max(a.size(), e.size()); ++i) {
    std::string al = i < a.size() ? a[i] : "<none>", el = i < e.size() ? e[i] : "<none>";
    if (al != el) {
      ADD_FAILURE() << what << " differs at line " << i + 1 << "\n  actual:   " << cp932::ToUtf8(al)
                    << "\n  expected: " << cp932::ToUtf8(el);
      return;
    }
  }
  ADD_FAILURE() << what << " differs";
}

void ExpectValidCp932(const std::string& text, const char* what) {
  bool lossy = false;
  cp932::ToUtf8(text, &lossy);
  EXPECT_FALSE(lossy) << what << " is not valid CP932";
}

TEST(GoldenTest, FixtureCompany) {
  testenv::ScratchDir dir("zel_export");
  MakeStore(dir.Host("package.db"), ReadFile(kTestData + "/golden_company.sql"));
  ExportedFiles files = Export(dir, dir.Host("package.db"));
  EXPECT_TRUE(files.succeeded);
  ExpectSameFile(files.assets, ReadFile(kTestData + "/golden_assets.csv"), "asset data file");
  ExpectSameFile(files.types, ReadFile(kTestData + "/golden_syurui.SSC"), "asset type file");
  ExpectSameFile(files.errors, ReadFile(kTestData + "/golden_errors.txt"), "error log");

  ExpectValidCp932(files.assets, "asset data file");
  ExpectValidCp932(files.types, "asset type file");
  ExpectValidCp932(files.errors, "error log");
  std::vector<std::string> lines = Split(files.assets, "\r\n");
  ASSERT_GT(lines.size(), 7u);
  EXPECT_EQ(Fields(lines[6]).size(), 152u);
  for (size_t i = 7; i < lines.size(); ++i) EXPECT_EQ(Fields(lines[i]).size(), 151u) << i;

  // Progress: none of the total done, then one more after each asset.
  ASSERT_GT(files.progress.size(), 2u);
  long total = files.progress[0].second;
  EXPECT_EQ(files.progress.size(), static_cast<size_t>(total) + 1);
  for (size_t i = 0; i < files.progress.size(); ++i)
    EXPECT_EQ(files.progress[i], std::make_pair(static_cast<long>(i), total));
}

TEST(GoldenTest, CompanyWithoutAssetsOrCategories) {
  testenv::ScratchDir dir("zel_export");
  // The store holds UTF-8 text.
  const char8_t* sql =
      u8"UPDATE package SET current_user = 'u';"
      u8"INSERT INTO users VALUES ('u', 0, 7);"
      u8"INSERT INTO datasets (data_no, data_id, company_name, period_start, period_end, corp_kind)"
      u8"  VALUES (7, 'E7', '空の会社', 20240101, 20241231, 3);";
  MakeStore(dir.Host("package.db"), reinterpret_cast<const char*>(sql));
  ExportedFiles files = Export(dir, dir.Host("package.db"));
  EXPECT_TRUE(files.succeeded);
  std::vector<std::string> lines = Split(files.assets, "\r\n");
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[2], "顧問先名称=空の会社");
  EXPECT_EQ(lines[3], "法人個人区分=個人");
  EXPECT_EQ(files.errors, "");
  lines = Split(files.types, "\r\n");
  ASSERT_EQ(lines.size(), 17u);
  EXPECT_EQ(lines[2], ";顧問先\t\t：[0004 個人関与先]");
  EXPECT_EQ(lines[16], "[SisanSyurui]");
  EXPECT_EQ(files.progress, (std::vector<std::pair<long, long>>{{0, 0}}));
}

#ifndef _WIN32
TEST(GoldenTest, TheWalkStopsAtARowThatCannotBeWritten) {
  testenv::ScratchDir dir("zel_export");
  MakeStore(dir.Host("package.db"),
            "UPDATE package SET current_user = 'u';"
            "INSERT INTO users VALUES ('u', 0, 1);"
            "INSERT INTO datasets (data_no, data_id, company_name) VALUES (1, 'D1', 'c');"
            "WITH RECURSIVE n(i) AS (VALUES (1) UNION ALL SELECT i + 1 FROM n WHERE i < 2000)"
            " INSERT INTO assets (data_id, seq, code, name, method_code, acquisition_cost)"
            " SELECT 'D1', i, 'A' || i, 'asset ' || i, 1, 10000000 FROM n;");
  // A device without room: the rows fail once the stream's buffer is full.
  ASSERT_EQ(symlink("/dev/full", dir.Host("assets.csv").c_str()), 0);
  ExportedFiles files = Export(dir, dir.Host("package.db"), false);
  EXPECT_FALSE(files.succeeded);
  ASSERT_FALSE(files.progress.empty());
  EXPECT_EQ(files.progress[0].second, 2000);
  EXPECT_LT(files.progress.back().first, 1000);
}
#endif

}  // namespace
