// Nothing lost, nothing wrong reported as right: a store that cannot be read,
// a run killed halfway, two runs writing one file, texts that are not valid
// Shift_JIS.
#include <signal.h>

#include <filesystem>
#include <fstream>

#include "tests/e2e.h"

namespace e2e {
namespace {

namespace fs = std::filesystem;

const char kExportToA[] = "set 1007 E:\\out\\a.csv\nkey F12\nanswer yes\nanswer ok\n";

// The three files of an export to E:\out\a.csv, as they stand.
struct OutputFiles {
  std::string data, types, log;
  bool operator==(const OutputFiles&) const = default;
};

// Temporary files that a run left in a folder.
std::vector<std::string> Leftovers(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    std::string name = entry.path().filename().string();
    if (name.rfind("~zel", 0) == 0) names.push_back(name);
  }
  return names;
}

// True when every byte of text belongs to a Shift_JIS character.
bool ValidShiftJis(const std::string& text) {
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    if (lead) {
      if (i + 1 >= text.size()) return false;
      unsigned char t = static_cast<unsigned char>(text[++i]);
      if (!((t >= 0x40 && t <= 0x7E) || (t >= 0x80 && t <= 0xFC))) return false;
    } else if (c == 0x80 || c == 0xA0 || c >= 0xFD) {
      return false;
    }
  }
  return true;
}

size_t FieldCount(const std::string& line) { return std::count(line.begin(), line.end(), ',') + 1; }

class FailureTest : public E2eTest {
 protected:
  OutputFiles Files() const {
    return {ReadFile(e_ + "/out/a.csv"), ReadFile(e_ + "/out/syurui.SSC"),
            ReadFile(e_ + "/out/ZelEnaMx13SysErr.txt")};
  }
  // Files from an earlier run that a failed run must leave as they are.
  OutputFiles PutEarlierFiles() {
    fs::create_directories(e_ + "/out");
    WriteFile(e_ + "/out/a.csv", "earlier assets\r\n");
    WriteFile(e_ + "/out/syurui.SSC", "earlier types\r\n");
    WriteFile(e_ + "/out/ZelEnaMx13SysErr.txt", "earlier remarks\r\n");
    return Files();
  }
  // Overwrites one leaf page in the middle of the assets table's b-tree.
  void DamageAssetsTable() {
    Sql(".output page.txt\nSELECT pageno FROM dbstat WHERE name = 'assets' AND pagetype = 'leaf' "
        "ORDER BY pageno LIMIT 1 OFFSET 10;\nPRAGMA page_size;\n");
    std::istringstream numbers(ReadFile(dir_ + "/page.txt"));
    long page = 0, size = 0;
    ASSERT_TRUE(numbers >> page >> size);
    std::fstream db(dir_ + "/package.db", std::ios::in | std::ios::out | std::ios::binary);
    db.seekp((page - 1) * size);
    std::string garbage(size, '\0');
    for (long i = 0; i < size; ++i) garbage[i] = static_cast<char>((i * 37 + 11) & 0xFF);
    db.write(garbage.data(), size);
  }

  // Adds rows of the exported data set to table that its key does not know:
  // the walks, which go by the key, never see them, and no read fails.
  void HideRowsFromKey(const std::string& table, int rows) {
    const std::string key = "sqlite_autoindex_" + table + "_1";
    Sql("CREATE TABLE kept AS SELECT * FROM sqlite_schema WHERE tbl_name = '" + table +
        "';\nPRAGMA writable_schema = ON;\nDELETE FROM sqlite_schema WHERE name = '" + key +
        "';\nUPDATE sqlite_schema SET sql = replace(replace(sql, 'PRIMARY KEY (', 'CHECK (1 OR coalesce('), "
        "'seq)', 'seq))') WHERE name = '" +
        table + "';\n");
    Sql("INSERT INTO " + table + " SELECT * FROM " + table +
        " WHERE data_id = 'D0001' ORDER BY rowid DESC LIMIT " + std::to_string(rows) + ";\nUPDATE " + table +
        " SET seq = seq + 1000000 WHERE rowid > (SELECT max(rowid) - " + std::to_string(rows) + " FROM " +
        table + ");\n");
    Sql("PRAGMA writable_schema = ON;\nDELETE FROM sqlite_schema WHERE tbl_name = '" + table +
        "';\nINSERT INTO sqlite_schema SELECT * FROM kept;\n");
    Sql("DROP TABLE kept;\n");
  }
};

TEST_F(FailureTest, ADamagedStoreStopsTheExportAndChangesNoFile) {
  const struct {
    const char* name;
    const char* hidden_from_key;  // the table whose key loses rows; null: a damaged page of the assets
    int rows;
  } kCases[] = {
      {"a damaged page of the assets", nullptr, 0},
      {"assets hidden from their key", "assets", 3},
      {"lump-sum items hidden from their key", "lump_items", 1},
      {"a category hidden from its key", "categories", 1},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    fs::remove(dir_ + "/package.db");
    MakeStore(3000);
    OutputFiles earlier = PutEarlierFiles();
    if (c.hidden_from_key == nullptr) {
      DamageAssetsTable();
    } else {
      HideRowsFromKey(c.hidden_from_key, c.rows);
    }
    RunResult r = Run(kExportToA);
    EXPECT_EQ(r.status, 2) << r.errors;
    std::vector<std::string> messages = r.Messages();
    ASSERT_EQ(messages.size(), 2u) << r.errors;
    EXPECT_EQ(messages[0], kOverwriteQuestion);
    EXPECT_EQ(messages[1].rfind(kExportFailedStart, 0), 0u) << messages[1];
    EXPECT_NE(messages[1].find("会計データを読み込めませんでした。"), std::string::npos) << messages[1];
    EXPECT_EQ(r.Of("message")[1]["style"], 16);
    EXPECT_TRUE(r.Of("process").empty());
    EXPECT_EQ(Lines(r.errors).size(), 1u) << r.errors;
    EXPECT_NE(r.errors.find("package store"), std::string::npos) << r.errors;
    EXPECT_TRUE(Files() == earlier);
    EXPECT_TRUE(Leftovers(e_ + "/out").empty());
  }
}

// A date that is no calendar day fails the read like any value out of range:
// exit 2, the earlier files kept, the data set, asset and column named.
TEST_F(FailureTest, ADateThatIsNoCalendarDayStopsTheExport) {
  const struct {
    const char* table;
    const char* column;
    const char* date;
    const char* where;
  } kCases[] = {
      {"assets", "acquisition_date", "20241399", "seq = 3"},
      {"lump_items", "acquisition_date", "99999999", "rowid = 2"},
      {"assets", "disposal_date", "20230229", "seq = 5"},
      {"datasets", "period_end", "20250231", "data_id = 'D0001'"},
  };
  MakeStore(20);
  OutputFiles earlier = PutEarlierFiles();
  Sql("CREATE TABLE saved AS SELECT * FROM assets; CREATE TABLE saved_items AS SELECT * FROM lump_items;"
      "CREATE TABLE saved_sets AS SELECT * FROM datasets;");
  for (const auto& c : kCases) {
    Sql(std::string("UPDATE ") + c.table + " SET " + c.column + " = " + c.date + " WHERE " + c.where + ";");
    RunResult r = Run(kExportToA);
    EXPECT_EQ(r.status, 2) << c.date << r.errors;
    EXPECT_NE(r.errors.find("data set D0001, "), std::string::npos) << r.errors;
    EXPECT_NE(r.errors.find(std::string("column ") + c.column + ": " + c.date + " is not a calendar day"),
              std::string::npos)
        << r.errors;
    EXPECT_TRUE(Files() == earlier) << c.date;
    Sql("DELETE FROM assets; INSERT INTO assets SELECT * FROM saved;"
        "DELETE FROM lump_items; INSERT INTO lump_items SELECT * FROM saved_items;"
        "DELETE FROM datasets; INSERT INTO datasets SELECT * FROM saved_sets;");
  }
}

TEST_F(FailureTest, AKilledExportLeavesTheEarlierFilesWhole) {
  MakeStore(100000);
  OutputFiles earlier = PutEarlierFiles();
  testenv::Program run = Prepare(kExportToA);
  // Kill the program once its temporary file holds a known number of rows.
  // Only those rows are read: a check that read the whole file would let a
  // loaded machine's export end before it is done.
  constexpr size_t kRows = 2000;
  bool seen = false;
  run.stop_when = [&] {
    for (const std::string& name : Leftovers(e_ + "/out")) {
      std::ifstream part(e_ + "/out/" + name, std::ios::binary);
      size_t rows = 0;
      for (std::string row; rows < kRows && std::getline(part, row) && !part.eof();) ++rows;
      seen = seen || rows == kRows;
    }
    return seen;
  };
  run.timeout = 60;
  RunResult r = Result(testenv::RunProgram(run));
  ASSERT_TRUE(seen);
  ASSERT_EQ(r.status, 128 + SIGKILL) << "the export ended before it could be killed";
  EXPECT_TRUE(Files() == earlier);
  // The part it wrote lies in its own file, never under a final name.
  EXPECT_FALSE(Leftovers(e_ + "/out").empty());
}

TEST_F(FailureTest, AFullDiskLeavesTheEarlierFilesWhole) {
  MakeStore(20000);
  OutputFiles earlier = PutEarlierFiles();
  file_size_limit_ = 1 << 20;  // the asset data file needs about 6 MB
  RunResult r = Run(kExportToA);
  EXPECT_EQ(r.status, 2) << r.errors;
  ASSERT_EQ(r.Messages().size(), 2u) << r.errors;
  EXPECT_EQ(r.Messages()[1].rfind(kExportFailedStart, 0), 0u) << r.Messages()[1];
  EXPECT_NE(r.Messages()[1].find("⇒ E:\\out\\a.csv\n"), std::string::npos) << r.Messages()[1];
  EXPECT_TRUE(Files() == earlier);
  EXPECT_TRUE(Leftovers(e_ + "/out").empty());
}

TEST_F(FailureTest, TwoExportsToOnePathLeaveOneWholeFile) {
  MakeStore(20000);
  fs::create_directories(e_ + "/out");
  fs::copy_file(dir_ + "/package.db", dir_ + "/other.db");
  Sql("ATTACH 'other.db' AS other; UPDATE other.datasets SET company_name = 'Other Company', corp_kind = 3; "
      "DELETE FROM other.assets WHERE seq % 3 = 0;");
  const std::string other = "ZEL_PACKAGE=" + dir_ + "/other.db";
  // Each company exported alone, for comparison.
  RunResult solo = Run("set 1007 E:\\out\\one.csv\nkey F12\nanswer ok\n");
  ASSERT_EQ(solo.status, 0) << solo.errors;
  solo = Run("set 1007 E:\\out\\two.csv\nkey F12\nanswer ok\n", "ZelEna20ToMx13", {other});
  ASSERT_EQ(solo.status, 0) << solo.errors;
  const std::string one = ReadFile(e_ + "/out/one.csv"), two = ReadFile(e_ + "/out/two.csv");
  ASSERT_NE(one, two);
  // The asset type file tells the companies apart too (法人 and 個人).
  auto company_of = [](const std::string& types) {
    return types.find(ToCp932("個人関与先")) != std::string::npos;
  };
  for (int round = 0; round < 6; ++round) {
    WriteFile(e_ + "/out/a.csv", "earlier");
    std::vector<testenv::ProgramResult> both =
        testenv::RunPrograms({Prepare(kExportToA, "ZelEna20ToMx13", {}, "1"),
                              Prepare(kExportToA, "ZelEna20ToMx13", {other}, "2")});
    RunResult a = Result(both[0]), b = Result(both[1]);
    EXPECT_EQ(a.status, 0) << a.errors;
    EXPECT_EQ(b.status, 0) << b.errors;
    std::string result = ReadFile(e_ + "/out/a.csv");
    EXPECT_TRUE(result == one || result == two) << "round " << round << ": " << result.size() << " bytes";
    // Never the asset data of one company beside the asset type file of the other.
    EXPECT_EQ(result == two, company_of(ReadFile(e_ + "/out/syurui.SSC"))) << "round " << round;
    EXPECT_TRUE(Leftovers(e_ + "/out").empty());
  }
}

TEST_F(FailureTest, ACommitCutShortIsFinishedBeforeAnythingElse) {
  // What a run killed between two renames leaves: the error log already
  // renamed, the asset type file and the asset data file still under their
  // temporary names, and the commit record that lists all three.
  const struct {
    const char* name;
    bool by_zelverify;  // else by the next export
  } kCases[] = {{"zelverify", true}, {"the next export", false}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    MakeStore(50);
    PutEarlierFiles();
    const std::string out = e_ + "/out/";
    WriteFile(out + "ZelEnaMx13SysErr.txt", "new remarks\r\n");
    WriteFile(out + "~zel0000000A.tmp", "new types\r\n");
    WriteFile(out + "~zel0000000B.tmp", "new assets\r\n");
    WriteFile(out + "~zel0000000C.tmp", "a killed run's part");
    WriteFile(out + "~zelcommit.rec",
              "zel-commit 1\r\n~zel0000000D.tmp\r\nZelEnaMx13SysErr.txt\r\n~zel0000000A.tmp\r\nsyurui.SSC\r\n"
              "~zel0000000B.tmp\r\nE:\\out\\a.csv\r\nend\r\n");
    if (c.by_zelverify) {
      testenv::Program verify = Tool({program_dir_ + "/zelverify", out + "a.csv"});
      verify.env.push_back("ZEL_DRIVES=Z:fixed=/;E:fixed=" + e_);
      testenv::RunProgram(verify);
      EXPECT_TRUE((Files() == OutputFiles{"new assets\r\n", "new types\r\n", "new remarks\r\n"}));
      EXPECT_FALSE(Exists(out + "~zelcommit.rec"));
      EXPECT_TRUE(Exists(out + "~zel0000000C.tmp"));  // zelverify only finishes the commit
    } else {
      // The export fails on a store that cannot be read: what it found is
      // finished all the same, and it leaves no temporary file.
      HideRowsFromKey("assets", 1);
      RunResult r = Run(kExportToA);
      EXPECT_EQ(r.status, 2) << r.errors;
      EXPECT_TRUE((Files() == OutputFiles{"new assets\r\n", "new types\r\n", "new remarks\r\n"}));
      EXPECT_TRUE(Leftovers(e_ + "/out").empty());
    }
    fs::remove_all(e_ + "/out");
    fs::remove(dir_ + "/package.db");
  }
}

TEST_F(FailureTest, ALinkAsTheOutputPathKeepsItsTargetUntilTheRunSucceeds) {
  const struct {
    const char* name;
    bool store_sound;
  } kCases[] = {{"a failed read", false}, {"a sound export", true}};
  fs::create_directories(e_ + "/out");
  fs::create_directories(e_ + "/real");
  WriteFile(e_ + "/real/target.csv", "earlier assets\r\n");
  fs::create_symlink(e_ + "/real/target.csv", e_ + "/out/a.csv");
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    fs::remove(dir_ + "/package.db");
    MakeStore(200);
    if (!c.store_sound) HideRowsFromKey("assets", 1);
    RunResult r = Run(kExportToA);
    EXPECT_EQ(r.status, c.store_sound ? 0 : 2) << r.errors;
    EXPECT_TRUE(fs::is_symlink(e_ + "/out/a.csv"));
    std::string target = ReadFile(e_ + "/real/target.csv");
    EXPECT_EQ(target == "earlier assets\r\n", !c.store_sound) << target.size();
    if (c.store_sound) {
      EXPECT_NE(target.find(ToCp932("顧問先名称")), std::string::npos);
    }
    EXPECT_TRUE(Leftovers(e_ + "/out").empty());
    EXPECT_TRUE(Leftovers(e_ + "/real").empty());
  }
}

TEST_F(FailureTest, AFolderThatTakesNoNewFileGetsTheFilesCopiedOnlyAfterASoundRun) {
  // An immutable folder: no name can be made in it (not even by root), but
  // its files can be written.
  const std::string out = e_ + "/out";
  PutEarlierFiles();
  if (testenv::RunProgram(Tool({"chattr", "+i", out})).status != 0) GTEST_SKIP() << "no chattr here";
  struct Mutable {
    testenv::Program undo;
    ~Mutable() { testenv::RunProgram(undo); }
  } made_mutable_at_end{Tool({"chattr", "-i", out})};
  const struct {
    const char* name;
    bool store_sound;
  } kCases[] = {{"a failed read", false}, {"a sound export", true}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    fs::remove(dir_ + "/package.db");
    MakeStore(200);
    if (!c.store_sound) HideRowsFromKey("assets", 1);
    OutputFiles before = Files();
    RunResult r = Run(kExportToA);
    EXPECT_EQ(r.status, c.store_sound ? 0 : 2) << r.errors;
    OutputFiles after = Files();
    EXPECT_EQ(after == before, !c.store_sound);
    if (c.store_sound) {
      EXPECT_NE(after.data.find(ToCp932("顧問先名称")), std::string::npos);
      EXPECT_NE(after.types.find("[SisanSyurui]"), std::string::npos);
    }
  }
  EXPECT_TRUE(Leftovers(out).empty());
}

TEST_F(FailureTest, EveryTextIsWrittenAsValidShiftJis) {
  MakeStore(0);
  // A name that ends in a lone lead byte, a memo with one before a comma, a
  // code and a category name with bytes outside the code.
  // The long name raises a remark that quotes it as delivered.
  Sql("INSERT INTO assets (data_id, seq, code, type_code, name, quantity_text, memo, method_code) VALUES "
      "('D0001', 1, X'3132', 1, X'6161616181', '3', X'6D81', 6), "
      "('D0001', 2, '13', 1, 'b', X'3181', X'FF2CA0', 6), "
      "('D0001', 3, '14', 1, X'" +
      std::string(78, '6') +
      "81', '', '', 6);"
      "UPDATE categories SET name = X'616181' WHERE seq = 1;"
      "UPDATE datasets SET company_name = X'436F8D' WHERE data_no = 1;");
  fs::create_directories(e_ + "/out");
  RunResult r = Run("set 1007 E:\\out\\a.csv\nkey F12\nanswer ok\n");
  EXPECT_EQ(r.status, 0) << r.errors;
  ASSERT_EQ(r.Messages().size(), 1u);
  EXPECT_EQ(r.Messages()[0], kFinishedWithRemarks);
  OutputFiles files = Files();
  EXPECT_TRUE(ValidShiftJis(files.data));
  EXPECT_TRUE(ValidShiftJis(files.types));
  EXPECT_TRUE(ValidShiftJis(files.log));
  EXPECT_NE(files.log.find(std::string(39, 'f') + "?"), std::string::npos) << files.log;
  std::vector<std::string> lines = Lines(FromCp932(files.data));
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_EQ(lines[2], "顧問先名称=Co?");
  for (size_t i = 7; i < lines.size(); ++i) EXPECT_EQ(FieldCount(lines[i]), 151u) << lines[i];
  EXPECT_NE(lines[7].find(",aaaa?,"), std::string::npos) << lines[7];
  int category_rows = 0;
  for (const std::string& line : Lines(FromCp932(files.types))) {
    if (line.empty() || !isdigit(static_cast<unsigned char>(line[0]))) continue;
    ++category_rows;
    EXPECT_EQ(FieldCount(line), 16u) << line;
    if (line.rfind("01,", 0) == 0) {
      EXPECT_EQ(line.substr(0, 10), "01,aa?,有");
    }
  }
  EXPECT_EQ(category_rows, 11);
}

}  // namespace
}  // namespace e2e
