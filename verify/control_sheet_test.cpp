// The control sheet as the user makes it: an export of a store, then
// zelverify --report/--json/--summary with that store, unchanged and changed
// after the export. The figures are held to sums of the file's columns made
// here, and the page to what headless Chromium shows of it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "zelpkg/test_sample_store.h"
#include "platform/test_env.h"

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

const std::string kBin = std::getenv("ZEL_BIN_DIR") != nullptr ? std::getenv("ZEL_BIN_DIR") : "";

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// "1,234,567"
std::string Grouped(long long value) {
  std::string digits = std::to_string(value < 0 ? -value : value);
  for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) digits.insert(at, ",");
  return (value < 0 ? "-" : "") + digits;
}

class ControlSheetTest : public ::testing::Test {
 protected:
  // Runs a shell command line; its standard output is kept in out_.
  int Run(const std::string& command) {
    testenv::ProgramResult result = testenv::RunProgram({.argv = {"sh", "-c", command}, .merge_error = true});
    out_ = std::move(result.out);
    return result.status;
  }
  // A store made of sql (run on the sample company of that many assets, if
  // any), exported to E:\out\assets.csv.
  void Export(const std::string& sql, long sample_assets = 0) {
    std::string error;
    ASSERT_TRUE(sample_assets > 0 ? teststore::MakeSample(store_, sample_assets, &error) &&
                                        teststore::Exec(store_, sql, &error)
                                  : teststore::Make(store_, sql, &error))
        << error;
    fs::create_directories(dir_ + "/e");
    std::ofstream(dir_ + "/script") << "set 1007 E:\\out\\assets.csv\nkey F12\nanswer yes\nanswer ok\n";
    ASSERT_EQ(Run("ZEL_PACKAGE='" + store_ + "' ZEL_DRIVES='Z:fixed=/;E:fixed=" + dir_ +
                  "/e' ZEL_UI=script " + "ZEL_UI_SCRIPT='" + dir_ + "/script' '" + kBin + "/ZelEna20ToMx13'"),
              0)
        << out_;
  }
  void Change(const std::string& sql) {
    std::string error;
    ASSERT_TRUE(teststore::Exec(store_, sql, &error)) << error;
  }
  // zelverify with the store, options before the file; the JSON it wrote.
  int Verify(const std::string& options, json* sheet = nullptr) {
    const int status = Run("'" + kBin + "/zelverify' --json '" + dir_ + "/sheet.json' --store '" + store_ +
                           "' " + options + " '" + assets_ + "'");
    if (sheet != nullptr) *sheet = json::parse(ReadFile(dir_ + "/sheet.json"));
    return status;
  }
  // Sums of the file's amount columns (1-based) over its rows, and the count
  // of its rows, made without zelverify.
  std::vector<long long> ColumnSums(const std::vector<int>& columns) {
    std::vector<long long> sums(columns.size() + 1);
    std::istringstream in(ReadFile(assets_));
    int line = 0;
    for (std::string row; std::getline(in, row);) {
      if (++line <= 7) continue;
      std::vector<std::string> fields;
      std::stringstream split(row);
      for (std::string field; std::getline(split, field, ',');) fields.push_back(field);
      for (size_t i = 0; i < columns.size(); ++i) {
        const std::string& f = fields.at(static_cast<size_t>(columns[i] - 1));
        if (!f.empty() && f != "************") sums[i] += std::stoll(f);
      }
      ++sums.back();
    }
    return sums;
  }

  testenv::ScratchDir scratch_{"zel_control_sheet"};
  const std::string dir_ = scratch_.path();
  const std::string store_ = dir_ + "/package.db";
  const std::string assets_ = dir_ + "/e/out/assets.csv";
  std::string out_;
};

const std::string kExample = ReadFile(std::string(ZEL_SOURCE_ROOT) + "/docs/example-company.sql");
const char* const kFigureKeys[] = {"acquisition_cost", "opening_book_value", "current_depreciation",
                                   "closing_book_value"};

TEST_F(ControlSheetTest, TheExampleReconcilesAndEachLaterChangeIsNamed) {
  Export(kExample);
  json sheet;
  ASSERT_EQ(Verify("", &sheet), 0) << out_;
  EXPECT_TRUE(sheet["differences"].empty()) << out_;
  const std::vector<long long> sums = ColumnSums({23, 42, 67, 81});
  const json& total = sheet["total"];
  for (int f = 0; f < 4; ++f) {
    EXPECT_EQ(total["file"][kFigureKeys[f]]["sum"], sums[static_cast<size_t>(f)]) << kFigureKeys[f];
    EXPECT_EQ(total["store"][kFigureKeys[f]]["sum"], sums[static_cast<size_t>(f)]) << kFigureKeys[f];
  }
  EXPECT_EQ(total["file"]["assets"].get<long long>() + total["file"]["breakdown_rows"].get<long long>() - 1,
            sums.back());  // the lump-sum asset counts as an asset and has rows
  EXPECT_EQ(total["file"]["assets"], total["store"]["assets"]);
  ASSERT_EQ(Run("sha256sum '" + assets_ + "'"), 0);
  EXPECT_EQ(out_.substr(0, 64), sheet["files"][0]["sha256"]);

  // Deleted, changed and renamed after the export: each is a difference.
  Change(
      "DELETE FROM assets WHERE code = '201'; UPDATE assets SET acquisition_cost = acquisition_cost + "
      "12340000 "
      "WHERE code = '101'; UPDATE categories SET name = '機械装置' WHERE code = 3;");
  ASSERT_EQ(Verify("", &sheet), 1) << out_;
  const std::string differences = sheet["differences"].dump(-1, ' ', false);
  for (const char* expected :
       {"asset 000201 (03 機械及び装置 / 定率法) is in the file, not in the store",
        "01 建物 / 定額法: 取得価額 50,000,000 in the file, 50,001,234 in the store: -1,234 yen",
        "asset type 03: \\\"機械及び装置\\\" in syurui.SSC, \\\"機械装置\\\" in the store"}) {
    EXPECT_TRUE(Has(differences, expected)) << expected << "\n" << differences;
  }
  EXPECT_TRUE(Has(out_, "difference: asset 000201")) << out_;
}

// Assets that meet the rules of the columns (methods that leave a column
// empty, the current depreciation's conditions, cuts toward zero, the digit
// limit, lump-sum assets without items and with more than 99) are counted
// from the store as the export writes them.
TEST_F(ControlSheetTest, TheStoreIsCountedAsTheFileIsWritten) {
  const std::string sql =
      "UPDATE package SET current_user = 'u', output_folder = 'E:\\out\\', env_folder = 'E:\\env\\';"
      "INSERT INTO users VALUES ('u', 1, 1);"
      "INSERT INTO datasets (data_no, data_id, company_name, period_start, period_end)"
      "  VALUES (1, 'D', '株式会社テスト', 20240401, 20250331), (2, 'X', 'other', 0, 0);"
      "INSERT INTO categories (data_id, seq, code, name) VALUES ('D', 1, 1, '建物'), ('D', 2, 11, '土地');"
      "INSERT INTO assets (data_id, seq, code, type_code, method_code, acquisition_date, method_ref_date,"
      "  acquisition_cost, opening_book_value, closing_book_value, computed_depreciation,"
      "  special_depreciation, increased_depreciation, entered_current_depreciation) VALUES"
      // small-amount asset: no opening book value; 12,345.6789 yen is 12,345
      "  ('D', 1, '1', 1, 7, 20200101, 0, 123456789, 50000000, -5000, 0, 0, 0, 70000),"
      // current depreciation by reference date: 100,000.5 + 20,000 gives 120,000
      "  ('D', 2, '2', 1, 5, 20200101, 20130401, 10000, 10000, 10000, 1000005000, 200000000, 0, 0),"
      "  ('D', 3, '3', 1, 6, 20070401, 0, 10000, 10000, 10000, 90000, 0, 0, 0),"
      "  ('D', 4, '4', 1, 2, 20070401, 0, 10000, 10000, 10000, -15000, 0, 0, 0),"
      // over the digit limit, both ways, and in the current depreciation
      "  ('D', 5, '1234567', 123, 8, 20000101, 20130331, 1000000000000000, -100000000000000, 999999999990000,"
      "   20000000000000000, 0, 0, 0),"
      "  ('D', 6, '6', 11, 6, 20200101, 0, 20000, 20000, 20000, 0, 0, 0, 0),"
      "  (CAST('D' AS BLOB), 7, '7', 1, 1, 20200101, 0, 30000, 30000, 30000, 0, 0, 0, 0),"
      "  ('D', 8, '8', 1, 4, 20200101, 0, 0, 0, 0, 0, 0, 0, 0),"
      "  ('D', 9, '9', 1, 4, 20200101, 0, 0, 0, 0, 0, 0, 0, 0),"
      "  ('X', 1, 'X1', 1, 6, 20200101, 0, 990000, 0, 0, 0, 0, 0, 0);"
      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 101)"
      "  INSERT INTO lump_items (data_id, asset_seq, seq, name, acquisition_date, acquisition_cost, quantity)"
      "  SELECT 'D', 9, i, 'item', 20200101, i * 10000, 100 FROM n;";
  Export(sql);
  json sheet;
  Verify("", &sheet);
  EXPECT_TRUE(sheet["differences"].empty()) << out_;
  const json& total = sheet["total"]["store"];
  EXPECT_EQ(total["assets"], 8);  // the lump-sum asset without items is not written
  EXPECT_EQ(total["breakdown_rows"], 99);
  EXPECT_EQ(total["acquisition_cost"]["sum"], 12345 + 1 + 1 + 1 + 2 + 3 + 99 * 100 / 2);
  EXPECT_EQ(total["acquisition_cost"]["over_limit"], 1);
  EXPECT_EQ(total["opening_book_value"]["over_limit"], 1);
  EXPECT_EQ(total["closing_book_value"]["sum"], 0 + 1 + 1 + 1 + 99999999999 + 2 + 3);
  EXPECT_EQ(total["current_depreciation"]["sum"], 120000 - 1);
  EXPECT_EQ(total["current_depreciation"]["over_limit"], 1);
  EXPECT_EQ(sheet["data_set"], "D");
  // Files in a folder named by a data ID are that data set's export.
  fs::copy(dir_ + "/e/out", dir_ + "/X");
  EXPECT_EQ(Run("'" + kBin + "/zelverify' --json '" + dir_ + "/x.json' --store '" + store_ + "' '" + dir_ +
                "/X/assets.csv'"),
            1);
  EXPECT_EQ(json::parse(ReadFile(dir_ + "/x.json"))["data_set"], "X");
  EXPECT_TRUE(Has(sheet["lines"].dump(), "\"type\":\"12\"")) << sheet["lines"].dump();
}

// The sample company: amounts over the digit limit, a lump-sum asset of 150
// items, duplicate codes; every remark of its log is matched to a row.
TEST_F(ControlSheetTest, TheSampleReconcilesAndItsRemarksFindTheirRows) {
  Export("UPDATE package SET output_folder = 'E:\\out\\', env_folder = 'E:\\env\\';", 200);
  json sheet;
  EXPECT_EQ(Verify("--report '" + dir_ + "/sheet.html'", &sheet), 1) << out_;  // its duplicate codes
  EXPECT_TRUE(sheet["differences"].empty()) << out_;
  EXPECT_GT(sheet["total"]["file"]["acquisition_cost"]["over_limit"], 0);
  const std::string page = ReadFile(dir_ + "/sheet.html");
  EXPECT_TRUE(Has(page, "over the digit limit (************): the store's ")) << page;
  EXPECT_TRUE(Has(page, "<table id=\"remarks\">")) << page;
  EXPECT_FALSE(Has(page, "<td class=\"n\">&mdash;</td>")) << page;
  // The warning of more than 99 items stands with the 99th item's row.
  EXPECT_TRUE(Has(page, "<td>00000999</td><td>連携可能な最大内訳件数は99件です。")) << page;
}

TEST_F(ControlSheetTest, TheTerminalTableAndTheCommandLine) {
  Export(kExample);
  ASSERT_EQ(Verify("--summary"), 0) << out_;
  // Every line of the table as wide on the screen: a character of three
  // UTF-8 bytes here is a full-width one.
  std::istringstream in(out_);
  std::vector<size_t> widths;
  for (std::string line; std::getline(in, line) && !Has(line, ": ");) {
    size_t width = 0;
    for (size_t i = 0; i < line.size(); i += (line[i] & 0x80) ? 3 : 1) width += (line[i] & 0x80) ? 2 : 1;
    widths.push_back(width);
  }
  ASSERT_EQ(widths.size(), 1u + 7 * 3) << out_;
  for (size_t width : widths) EXPECT_EQ(width, widths[0]) << out_;
  EXPECT_TRUE(Has(out_, "\n0 problems, 0 warnings\n")) << out_;

  const std::string verify = "'" + kBin + "/zelverify' ";
  EXPECT_EQ(Run(verify + "--store '" + store_ + "' '" + assets_ + "'"), 64);
  EXPECT_TRUE(Has(out_, "--store reconciles the control sheet")) << out_;
  EXPECT_EQ(Run(verify + "'" + assets_ + "' --report"), 64);
  EXPECT_TRUE(Has(out_, "--report needs FILE.html")) << out_;
  EXPECT_EQ(Run(verify + "--summary --store '" + dir_ + "/none.db' '" + assets_ + "'"), 2);
  EXPECT_TRUE(Has(out_, "none.db cannot be read")) << out_;
  EXPECT_EQ(Run(verify + "--report '" + dir_ + "/no/such/folder/r.html' '" + assets_ + "'"), 2);
  const std::string before = ReadFile(assets_);
  EXPECT_EQ(Run(verify + "--report '" + assets_ + "' '" + assets_ + "'"), 2);
  EXPECT_EQ(ReadFile(assets_), before);
}

// Headless Chromium renders the example's sheet to build/report.png and
// build/report.pdf; what it shows of the page (its DOM) holds the totals and
// an empty difference list, and a store from which assets were removed
// after the export names them. It takes seconds, so it runs where asked
// for: make test-report installs Chromium and requires it.
TEST_F(ControlSheetTest, BrowserShowsTheSheet) {
  if (std::getenv("ZEL_REQUIRE_BROWSER") == nullptr) GTEST_SKIP() << "the browser's test runs in make test-report";
  if (Run("command -v chromium") != 0) FAIL() << "chromium is not installed";
  // A profile of its own: nothing of the user's, and no HOME needed.
  const std::string chromium =
      "chromium --headless --no-sandbox --disable-gpu --hide-scrollbars --user-data-dir='" + dir_ +
      "/chromium' ";
  const std::string page = dir_ + "/sheet.html", url = "'file://" + page + "'";
  const std::string build = fs::path(kBin).parent_path().string();
  Export(kExample);
  ASSERT_EQ(Verify("--report '" + page + "'"), 0) << out_;
  ASSERT_EQ(Run(chromium + "--window-size=1400,1900 --screenshot='" + build + "/report.png' " + url), 0)
      << out_;
  ASSERT_EQ(Run(chromium + "--no-pdf-header-footer --print-to-pdf='" + build + "/report.pdf' " + url), 0)
      << out_;
  EXPECT_GT(fs::file_size(build + "/report.png"), 10000u);
  EXPECT_TRUE(Has(ReadFile(build + "/report.pdf").substr(0, 5), "%PDF"));
  ASSERT_EQ(Run(chromium + "--dump-dom " + url), 0);
  const std::vector<long long> sums = ColumnSums({23, 42, 67, 81});
  const int columns[] = {23, 42, 67, 81};
  for (size_t i = 0; i < 4; ++i) {
    for (const char* side : {"file", "store"}) {
      const std::string cell = "id=\"total-" + std::string(side) + "-" + std::to_string(columns[i]) + "\"";
      EXPECT_TRUE(Has(out_, cell + " class=\"n\">" + Grouped(sums[i]) + "<")) << cell;
    }
  }
  EXPECT_TRUE(Has(out_, "<ol id=\"differences\"></ol>")) << out_;
  EXPECT_TRUE(Has(out_, "Reconciled: the files agree with the store")) << out_;

  Change("DELETE FROM assets WHERE code IN ('101', '701');");
  ASSERT_EQ(Verify("--report '" + page + "'"), 1) << out_;
  ASSERT_EQ(Run(chromium + "--dump-dom " + url), 0);
  for (const char* removed : {"asset 000101 (01 建物 / 定額法) is in the file, not in the store",
                              "asset 000701 (07 車両運搬具 / 定額法) is in the file, not in the store"}) {
    EXPECT_TRUE(Has(out_, "<li class=\"difference\">" + std::string(removed) + "</li>")) << removed;
  }
  EXPECT_TRUE(Has(out_, "id=\"total-difference-assets\" class=\"n diff\">2<")) << out_;
}

}  // namespace
