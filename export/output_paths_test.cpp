#include "export/output_paths.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr char kLog[] = "ZelEnaMx13SysErr.txt";
using pathname::SiblingResult;

TEST(OutputPathsTest, TheThreeFilesOfAnOutputPath) {
  const std::string folder250 = "C:\\" + std::string(246, 'a') + "\\";  // 250 bytes
  const std::string fits = "C:\\" + std::string(236, 'a') + "\\x";      // 240 + 20 = 260 bytes of log path
  struct Case {
    std::string path, types, log;  // "" for a file without a sound path
    SiblingResult derivation;
  } cases[] = {
      {"C:\\out\\assets.csv", "C:\\out\\syurui.SSC", "C:\\out\\ZelEnaMx13SysErr.txt", SiblingResult::kOk},
      // A trail byte of 0x5C ("表" is 0x95 0x5C) is no separator.
      {"C:\\資料\\表.csv", "C:\\資料\\syurui.SSC", "C:\\資料\\ZelEnaMx13SysErr.txt", SiblingResult::kOk},
      {"C:\\表", "C:\\syurui.SSC", "C:\\ZelEnaMx13SysErr.txt", SiblingResult::kOk},
      {fits, fits.substr(0, 240) + "syurui.SSC", fits.substr(0, 240) + kLog, SiblingResult::kOk},
      // No folder: both files would be the asset data file itself.
      {"N:out.csv", "", "", SiblingResult::kNoFolder},
      {"表", "", "", SiblingResult::kNoFolder},
      {"", "", "", SiblingResult::kNoFolder},
      // The asset data file named like a sibling, in any case: that sibling
      // alone has no path, and the error log's failure is told first.
      {"C:\\out\\SYURUI.ssc", "", "C:\\out\\ZelEnaMx13SysErr.txt", SiblingResult::kSameAsFile},
      {"C:\\out\\zelenamx13syserr.TXT", "C:\\out\\syurui.SSC", "", SiblingResult::kSameAsFile},
      {folder250 + "syurui.SSC", "", "", SiblingResult::kTooLong},
      // A long folder with a short file name: the log's path would exceed
      // 260 bytes, the asset type file's still fits.
      {folder250 + "x", folder250 + "syurui.SSC", "", SiblingResult::kTooLong},
  };
  for (const Case& c : cases) {
    OutputPaths paths(c.path.c_str(), kLog);
    EXPECT_EQ(paths.Derivation(), c.derivation) << c.path;
    EXPECT_EQ(paths.Path(kAssetDataFile), c.path);
    EXPECT_EQ(paths.Path(kTypeFile), c.types) << c.path;
    EXPECT_EQ(paths.Path(kErrorLogFile), c.log) << c.path;
    // A message names the asset data file in place of a file without a path.
    EXPECT_EQ(paths.Shown(kErrorLogFile), c.log.empty() ? c.path : c.log);
    EXPECT_STREQ(paths.Path(kOutputKinds), "");
  }
}

TEST(OutputPathsTest, APathOver260BytesIsNeverCut) {
  for (size_t length : {261u, 300u}) {
    std::string path = "C:\\out\\" + std::string(length - 7, 'p');
    OutputPaths paths(path.c_str(), kLog);
    EXPECT_EQ(paths.Derivation(), SiblingResult::kTooLong);
    for (int kind = 0; kind < kOutputKinds; ++kind) EXPECT_STREQ(paths.Path(kind), "") << kind;
  }
  OutputPaths none;
  EXPECT_NE(none.Derivation(), SiblingResult::kOk);
  EXPECT_STREQ(none.Shown(kTypeFile), "");
}

}  // namespace
