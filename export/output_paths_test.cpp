#include "export/output_paths.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr char kLog[] = "ZelEnaMx13SysErr.txt";

std::string Derive(const char* name, const std::string& path) {
  const OutputPaths paths(path.c_str(), kLog);
  const char* out = paths.Path(std::string(name) == kLog ? kErrorLogFile : kTypeFile);
  return out[0] != '\0' ? out : "<none>";
}

TEST(OutputPathsTest, SiblingsOfTheAssetDataFile) {
  EXPECT_EQ(Derive(kAssetTypeFileName, "C:\\out\\assets.csv"), "C:\\out\\syurui.SSC");
  EXPECT_EQ(Derive(kLog, "C:\\out\\assets.csv"), "C:\\out\\ZelEnaMx13SysErr.txt");
  // A trail byte of 0x5C ("表" is 0x95 0x5C) is no separator.
  EXPECT_EQ(Derive(kAssetTypeFileName, "C:\\資料\\表.csv"), "C:\\資料\\syurui.SSC");
  EXPECT_EQ(Derive(kAssetTypeFileName, "C:\\表"), "C:\\syurui.SSC");
}

TEST(OutputPathsTest, NoSoundResult) {
  // No folder: both files would be the asset data file itself.
  EXPECT_EQ(Derive(kAssetTypeFileName, "N:out.csv"), "<none>");
  EXPECT_EQ(Derive(kLog, "表"), "<none>");
  // The asset data file named like a sibling, in any case.
  EXPECT_EQ(Derive(kAssetTypeFileName, "C:\\out\\SYURUI.ssc"), "<none>");
  EXPECT_EQ(Derive(kLog, "C:\\out\\zelenamx13syserr.TXT"), "<none>");
  // A long folder with a short file name: the derived path exceeds 260 bytes.
  std::string folder = "C:\\" + std::string(250, 'a') + "\\";
  EXPECT_EQ(Derive(kAssetTypeFileName, folder + "x"), "<none>");
  EXPECT_EQ(Derive(kLog, folder + "x"), "<none>");
  std::string ok = "C:\\" + std::string(236, 'a') + "\\x";  // 240 + 20 = 260 bytes of log path
  EXPECT_EQ(Derive(kLog, ok).size(), 260u);
  EXPECT_EQ(Derive(kAssetTypeFileName, ok).size(), 250u);
}

TEST(OutputPathsTest, TheDerivationSaysWhyAndMessagesNameTheFileAskedFor) {
  using pathname::SiblingResult;
  EXPECT_EQ(OutputPaths("C:\\out\\a.csv", kLog).Derivation(), SiblingResult::kOk);
  EXPECT_EQ(OutputPaths("N:out.csv", kLog).Derivation(), SiblingResult::kNoFolder);
  // The error log's failure is told first.
  std::string folder = "C:\\" + std::string(246, 'a') + "\\";
  EXPECT_EQ(OutputPaths((folder + "syurui.SSC").c_str(), kLog).Derivation(), SiblingResult::kTooLong);
  OutputPaths same("C:\\out\\SYURUI.ssc", kLog);
  EXPECT_EQ(same.Derivation(), SiblingResult::kSameAsFile);
  EXPECT_STREQ(same.Shown(kTypeFile), "C:\\out\\SYURUI.ssc");
  EXPECT_STREQ(same.Shown(kErrorLogFile), "C:\\out\\ZelEnaMx13SysErr.txt");
  // Over 260 bytes: no file at all, not even the asset data file.
  OutputPaths too_long(("C:\\out\\" + std::string(254, 'p')).c_str(), kLog);
  EXPECT_EQ(too_long.Derivation(), SiblingResult::kTooLong);
  EXPECT_STREQ(too_long.Path(kAssetDataFile), "");
}

}  // namespace
