// zelverify as the user runs it: over the expected outputs of the export
// tests, over what the export programs write for the sample company, and on
// its command line.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/test_env.h"
#include "zelpkg/test_sample_store.h"

namespace {

namespace fs = std::filesystem;

const std::string kGolden = VERIFY_GOLDEN_DIR;

std::string BinDir() {
  const char* dir = std::getenv("ZEL_BIN_DIR");
  return dir != nullptr ? dir : "";
}

std::string U8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

using Output = testenv::ProgramResult;

class ProgramTest : public ::testing::Test {
 protected:
  // Runs zelverify with args in the test's folder.
  Output Verify(std::vector<std::string> args) {
    args.insert(args.begin(), BinDir() + "/zelverify");
    return testenv::RunProgram({.argv = args, .folder = dir_});
  }

  // The sample company as `zelpkg sample` makes it, in a store whose output
  // folder is E:\out\; sql runs on it after.
  void MakeSampleStore(const std::string& sql) {
    std::string error;
    ASSERT_TRUE(teststore::MakeSample(Store(), 200, &error)) << error;
    const std::string all = "UPDATE package SET output_folder = 'E:\\out\\', env_folder = 'E:\\env\\';" + sql;
    EXPECT_TRUE(teststore::Exec(Store(), all, &error)) << error;
  }
  // Exports the store's selected company to E:\out\assets.csv with program;
  // drive E: is the test's folder "e".
  void Export(const std::string& program) {
    fs::create_directories(dir_ + "/e");
    std::ofstream(dir_ + "/script") << "set 1007 E:\\out\\assets.csv\nkey F12\nanswer yes\nanswer ok\n";
    const Output o = testenv::RunProgram(
        {.argv = {BinDir() + "/" + program},
         .env = {"ZEL_VIEWER", "ZEL_PACKAGE=" + Store(), "ZEL_DRIVES=Z:fixed=/;E:fixed=" + dir_ + "/e",
                 "ZEL_UI=script", "ZEL_UI_SCRIPT=" + dir_ + "/script"}});
    ASSERT_EQ(o.status, 0) << o.out << o.err;
  }
  std::string Store() const { return dir_ + "/package.db"; }

  testenv::ScratchDir scratch_{"zel_verify_program"};
  const std::string dir_ = scratch_.path();
};

// The problem lines of the output.
std::vector<std::string> Problems(const std::string& out) {
  std::vector<std::string> problems;
  for (const std::string& line : Lines(out)) {
    if (Contains(line, ": problem: ")) problems.push_back(line);
  }
  return problems;
}

TEST_F(ProgramTest, TheGoldenOutputsHoldOnlyWhatTheWriterRemarkedOn) {
  fs::copy_file(kGolden + "/golden_assets.csv", dir_ + "/assets.csv");
  fs::copy_file(kGolden + "/golden_syurui.SSC", dir_ + "/syurui.SSC");
  fs::copy_file(kGolden + "/golden_errors.txt", dir_ + "/ZelEnaMx13SysErr.txt");
  const Output o = Verify({dir_ + "/assets.csv"});
  // The golden company holds duplicate codes and codes with symbols, which
  // the writer writes and logs as errors.
  EXPECT_EQ(o.status, 1) << o.out << o.err;
  const std::vector<std::string> problems = Problems(o.out);
  EXPECT_FALSE(problems.empty());
  for (const std::string& p : problems)
    EXPECT_TRUE(Contains(p, "the error log has the matching remark")) << p;
  // Every amount over the digit limit points at its remark.
  const std::string assets = ReadFile(dir_ + "/assets.csv");
  size_t asterisks = 0;
  for (size_t at = assets.find("************"); at != std::string::npos;
       at = assets.find("************", at + 12)) {
    ++asterisks;
  }
  size_t pointed = 0;
  for (const std::string& line : Lines(o.out)) {
    if (Contains(line, "an amount over the digit limit; see remark")) ++pointed;
  }
  EXPECT_GT(asterisks, 0u);
  EXPECT_EQ(pointed, asterisks) << o.out;
  const long rows = static_cast<long>(Lines(assets).size()) - 7;
  EXPECT_TRUE(Contains(o.out, dir_ + "/assets.csv: " + std::to_string(rows) + " rows, ")) << o.out;
  EXPECT_TRUE(Contains(o.out, "ZelEnaMx13SysErr.txt: 21 remarks (11 errors, 10 warnings)")) << o.out;
  // Texts are printed in UTF-8.
  EXPECT_TRUE(Contains(o.out, U8(u8"column 1 \";資産コード\"")));
}

TEST_F(ProgramTest, WhatTheProgramsWriteForTheSampleCompanyVerifies) {
  MakeSampleStore("");
  Export("ZelEna20ToMx13");
  Output o = Verify({dir_ + "/e/out/assets.csv"});
  // The sample holds a duplicate code and a code with a symbol on purpose.
  EXPECT_EQ(o.status, 1) << o.out << o.err;
  EXPECT_EQ(Problems(o.out).size(), 2u) << o.out;
  for (const std::string& p : Problems(o.out))
    EXPECT_TRUE(Contains(p, "the error log has the matching remark")) << p;

  // Without those two the company exports clean; the error log (amounts over
  // the digit limit) carries the program's own name.
  fs::remove_all(dir_ + "/e/out");
  MakeSampleStore(
      "DELETE FROM assets WHERE code GLOB '*[^0-9A-Za-z]*' OR rowid NOT IN "
      "(SELECT MIN(rowid) FROM assets GROUP BY data_id, code);");
  Export("ZelDio20ToMx13");
  o = Verify({dir_ + "/e/out/assets.csv"});
  EXPECT_EQ(o.status, 0) << o.out << o.err;
  EXPECT_TRUE(Problems(o.out).empty()) << o.out;
  EXPECT_TRUE(Contains(o.out, "/out/ZelDioMx13SysErr.txt: ")) << o.out;
  EXPECT_TRUE(Contains(o.out, "\n0 problems, ")) << o.out;
}

TEST_F(ProgramTest, CommandLine) {
  Output o = Verify({"--help"});
  EXPECT_EQ(o.status, 0);
  EXPECT_TRUE(Contains(o.out, "usage: zelverify")) << o.out;
  EXPECT_EQ(o.err, "");
  o = Verify({"--version"});
  EXPECT_EQ(o.status, 0);
  EXPECT_TRUE(Contains(o.out, "zelverify ")) << o.out;

  for (const std::vector<std::string>& wrong :
       {std::vector<std::string>{}, {"-x", "a.csv"}, {"a.csv", "b.csv"}}) {
    o = Verify(wrong);
    EXPECT_EQ(o.status, 64) << ::testing::PrintToString(wrong);
    EXPECT_EQ(o.out, "") << ::testing::PrintToString(wrong);
    EXPECT_TRUE(Contains(o.err, "usage: zelverify")) << ::testing::PrintToString(wrong);
  }
  o = Verify({dir_ + "/none.csv"});
  EXPECT_EQ(o.status, 2);
  EXPECT_TRUE(Contains(o.err, "none.csv cannot be read")) << o.err;

  // "--" ends the options: a file may start with "-".
  std::ofstream(dir_ + "/-a.csv") << "";
  o = Verify({"--", "-a.csv"});
  EXPECT_EQ(o.status, 1) << o.err;
  EXPECT_TRUE(Contains(o.out, "-a.csv: problem: the file ends after 0 lines")) << o.out;
}

}  // namespace
