// The batch export (--batch) of the three programs: each data set's folder
// holds what a dialog export of that data set writes, and a batch killed
// and resumed ends as one that ran through.
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <string>

#include "tests/e2e.h"

namespace e2e {
namespace {

namespace fs = std::filesystem;

class BatchTest : public E2eTest {
 protected:
  // The sample store (D0001 with its assets, D0002, past-results D0003),
  // then data sets C04.. up to count, each a share of D0001's assets with
  // amounts of its own, and BAD, whose one asset has a value that does not
  // fit its field.
  void MakeOfficeStore(int count, int assets) {
    MakeStore(assets);
    std::string sql;
    for (int no = 4; no < count; ++no) {
      std::string id = "'C" + std::to_string(no) + "'";
      sql +=
          "INSERT INTO datasets(data_no, data_id, company_name, period_start, period_end, corp_kind) VALUES "
          "(" +
          std::to_string(no) + ", " + id + ", '顧問先 " + std::to_string(no) + "', 20240401, 20250331, " +
          std::to_string(no % 5) +
          ");"
          "CREATE TEMP TABLE a AS SELECT * FROM assets WHERE data_id = 'D0001' AND seq % 7 <> " +
          std::to_string(no % 7) + ";UPDATE a SET data_id = " + id +
          ", acquisition_cost = acquisition_cost + " + std::to_string(no * 10000) +
          ";INSERT INTO assets SELECT * FROM a;DROP TABLE a;"
          "INSERT INTO lump_items SELECT " +
          id +
          ", asset_seq, seq, name, acquisition_date, acquisition_cost, "
          "quantity FROM lump_items WHERE data_id = 'D0001' AND asset_seq IN "
          "(SELECT seq FROM assets WHERE data_id = " +
          id +
          ");"
          "INSERT INTO categories SELECT " +
          id +
          ", seq, code, name, method_code, residual_ratio FROM "
          "categories WHERE data_id = 'D0001';";
    }
    sql +=
        "INSERT INTO datasets(data_no, data_id, company_name) VALUES (" + std::to_string(count) +
        ", 'BAD', '壊れた会社');INSERT INTO assets(data_id, seq, code, useful_life) VALUES ('BAD', 1, 'X1', "
        "'ten');";
    Sql(sql);
  }

  testenv::ProgramResult Batch(const std::string& program, std::vector<std::string> args) {
    args_ = std::move(args);
    testenv::Program run = Prepare("", program);
    args_.clear();
    return testenv::RunProgram(run);
  }

  // The summary's rows by data ID: each its fields (UTF-8).
  static std::map<std::string, std::vector<std::string>> Summary(const std::string& folder) {
    std::map<std::string, std::vector<std::string>> rows;
    std::string text = ReadFile(folder + "/summary.csv");
    EXPECT_NE(text.find("\r\n"), std::string::npos);
    for (const std::string& line : Lines(FromCp932(text))) {
      std::vector<std::string> fields(1);
      for (char c : line) {
        if (c == ',')
          fields.emplace_back();
        else
          fields.back().push_back(c);
      }
      if (fields[0] != "data_id") rows[fields[0]] = fields;
    }
    return rows;
  }

  // The files of a folder, by name.
  static std::map<std::string, std::string> Files(const std::string& folder) {
    std::map<std::string, std::string> files;
    if (!IsDir(folder)) return files;
    for (const auto& entry : fs::directory_iterator(folder))
      files[entry.path().filename().string()] = ReadFile(entry.path().string());
    return files;
  }
};

TEST_F(BatchTest, EachFolderIsTheDialogExportOfItsDataSet) {
  constexpr int kDataSets = 50;
  MakeOfficeStore(kDataSets, 40);
  for (const char* program : {"ZelEna20ToMx13", "ZelDio20ToMx13", "ZelTre20ToMx13"}) {
    SCOPED_TRACE(program);
    const std::string out = e_ + "/batch-" + program;
    testenv::ProgramResult r = Batch(program, {"--batch", out, "--jobs", "2"});
    EXPECT_EQ(r.status, 2) << r.err;
    auto rows = Summary(out);
    ASSERT_EQ(rows.size(), static_cast<size_t>(kDataSets));
    EXPECT_NE(r.out.find(rows["D0001"][0] + "," + rows["D0001"][1] + "," + rows["D0001"][2]),
              std::string::npos);
    EXPECT_EQ(rows["D0003"][9], "skipped");
    EXPECT_EQ(rows["BAD"][9], "failed");
    EXPECT_FALSE(Exists(out + "/D0003") || Exists(out + "/BAD") || Exists(out + "/.batch"));
    for (const auto& [id, row] : rows) {
      if (id == "D0003" || id == "BAD") continue;
      SCOPED_TRACE(id);
      EXPECT_TRUE(row[9] == "ok" || row[9] == "remarks") << row[9];
      Sql("UPDATE users SET selected_second = " + row[1] + " WHERE user_id = 'user01';");
      const std::string dialog_folder = std::string("dialog-") + program + "\\" + id;
      RunResult dialog =
          Run("set 1007 E:\\" + dialog_folder + "\\assets.csv\nkey F12\nanswer yes\nanswer ok\n", program);
      ASSERT_EQ(dialog.status, 0) << dialog.errors;
      EXPECT_TRUE(Files(out + "/" + id) == Files(e_ + "/dialog-" + program + "/" + id));
      EXPECT_EQ(row[6] != "0" || row[7] != "0", Files(out + "/" + id).size() == 3);
      // zelverify's problems count towards the status; none on an ok row.
      ASSERT_FALSE(row[8].empty()) << row.back();
      EXPECT_EQ(row[9] == "remarks", row[6] != "0" || row[7] != "0" || row[8] != "0");
    }
    // The sample's data set has problems; the failed and skipped ones were
    // not checked, which their empty column says.
    EXPECT_GT(std::stoi(rows["D0001"][8]), 0);
    EXPECT_EQ(rows["D0002"][8] + rows["D0002"][9], "0ok");
    EXPECT_EQ(rows["BAD"][8] + rows["D0003"][8], "");
  }
  // A usage error, and data sets named that the store lacks.
  EXPECT_EQ(Batch("ZelEna20ToMx13", {"--batch", e_ + "/x", "--jobs", "0"}).status, 64);
  testenv::ProgramResult named = Batch("ZelEna20ToMx13", {"--batch", e_ + "/named", "--data-set", "C9",
                                                          "--data-set", "NONE", "--data-set", "C9"});
  EXPECT_EQ(named.status, 2);
  auto rows = Summary(e_ + "/named");
  EXPECT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows["NONE"][9], "failed");
  EXPECT_TRUE(Files(e_ + "/named/C9") == Files(e_ + "/batch-ZelEna20ToMx13/C9"));

  // Without zelverify beside the program the problems are not counted, and
  // the row says why rather than showing a 0.
  UseProgramCopy("ZelEna20ToMx13", "[ProgramLevel]\r\nMX13=2\r\n");
  testenv::ProgramResult alone = Batch("ZelEna20ToMx13", {"--batch", e_ + "/alone", "--data-set", "D0002"});
  EXPECT_EQ(alone.status, 0) << alone.err;
  rows = Summary(e_ + "/alone");
  EXPECT_EQ(rows["D0002"][8] + rows["D0002"][9], "ok");
  EXPECT_NE(rows["D0002"][12].find("zelverify"), std::string::npos);
}

// Killed at random moments and resumed each time, a batch ends with the
// folders and summary of one that ran through. ZEL_BATCH_KILLS sets how
// many times (3 by default).
TEST_F(BatchTest, AKilledBatchResumesToTheSameFolders) {
  MakeOfficeStore(16, 200);
  const char* kills_text = std::getenv("ZEL_BATCH_KILLS");
  const int kills = kills_text ? std::atoi(kills_text) : 3;
  ASSERT_EQ(Batch("ZelEna20ToMx13", {"--batch", e_ + "/whole"}).status, 2);
  const auto whole = Summary(e_ + "/whole");

  std::mt19937 random(20261209);
  const std::string out = e_ + "/resumed";
  for (int i = 0; i <= kills; ++i) {
    args_ = {"--batch", out, "--jobs", std::to_string(1 + i % 2)};
    if (i > 0) args_.push_back("--resume");
    testenv::Program run = Prepare("", "ZelEna20ToMx13");
    args_.clear();
    // Asked every half millisecond: a kill within the first 0.4 s.
    int polls = std::uniform_int_distribution<int>(1, 800)(random);
    if (i < kills) run.stop_when = [&polls] { return --polls <= 0; };
    testenv::ProgramResult r = testenv::RunProgram(run);
    if (i == kills) {
      EXPECT_EQ(r.status, 2) << r.err;
    }
    // Whatever the moment, a data set's folder is whole or absent.
    for (const auto& [id, row] : whole) {
      auto files = Files(out + "/" + id);
      EXPECT_TRUE(files.empty() || files == Files(e_ + "/whole/" + id)) << id << " after kill " << i;
    }
  }
  auto resumed = Summary(out);
  ASSERT_EQ(resumed.size(), whole.size());
  for (auto [id, row] : whole) {
    SCOPED_TRACE(id);
    EXPECT_TRUE(Files(out + "/" + id) == Files(e_ + "/whole/" + id));
    row[10] = resumed[id][10];  // seconds
    EXPECT_EQ(resumed[id], row);
  }
  // A data set changed since: --resume exports it again, and only it.
  Sql("UPDATE assets SET name = '変更後' WHERE data_id = 'C5' AND seq = 2;");
  ASSERT_EQ(Batch("ZelEna20ToMx13", {"--batch", out, "--resume"}).status, 2);
  auto again = Summary(out);
  EXPECT_NE(again["C5"][11], resumed["C5"][11]);
  EXPECT_EQ(again["C6"], resumed["C6"]);
  EXPECT_NE(ReadFile(out + "/C5/assets.csv"), ReadFile(e_ + "/whole/C5/assets.csv"));
}

}  // namespace
}  // namespace e2e
