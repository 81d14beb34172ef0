#include "platform/sibling_path.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/wintypes.h"

using pathname::SiblingPath;
using pathname::SiblingResult;

TEST(SiblingPath, DerivesBesideTheFileAndRefusesUnsoundPaths) {
  char out[kPathBufferSize];
  EXPECT_EQ(SiblingPath("C:\\out\\data.csv", "syurui.SSC", out, sizeof out), SiblingResult::kOk);
  EXPECT_STREQ(out, "C:\\out\\syurui.SSC");
  EXPECT_EQ(SiblingPath("\\\\srv\\share\\a.csv", "log.txt", out, sizeof out), SiblingResult::kOk);
  EXPECT_STREQ(out, "\\\\srv\\share\\log.txt");

  // No folder part: the sibling would be the asset data file itself.
  EXPECT_EQ(SiblingPath("Cdata.csv", "log.txt", out, sizeof out), SiblingResult::kNoFolder);
  EXPECT_STREQ(out, "");
  // The output file carries the sibling's own name (any case).
  EXPECT_EQ(SiblingPath("C:\\out\\SYURUI.ssc", "syurui.SSC", out, sizeof out), SiblingResult::kSameAsFile);
  // A trail byte is no letter: "ア" (0x83 0x41) is not "ヂ" (0x83 0x61).
  EXPECT_EQ(SiblingPath("C:\\out\\ア.txt", "ヂ.txt", out, sizeof out), SiblingResult::kOk);

  // A 255-byte path with a one-byte file name: the sibling would pass 260.
  std::string longp = "C:\\" + std::string(250, 'a') + "\\x";
  EXPECT_EQ(SiblingPath(longp.c_str(), "ZelEnaMx13SysErr.txt", out, sizeof out), SiblingResult::kTooLong);
  std::string fits = "C:\\" + std::string(237, 'a') + "\\x";  // 241 + 20 = 261 > 260
  EXPECT_EQ(SiblingPath(fits.c_str(), "ZelEnaMx13SysErr.txt", out, sizeof out), SiblingResult::kTooLong);
  fits = "C:\\" + std::string(236, 'a') + "\\x";  // 240 + 20 = 260
  EXPECT_EQ(SiblingPath(fits.c_str(), "ZelEnaMx13SysErr.txt", out, sizeof out), SiblingResult::kOk);
  EXPECT_EQ(std::string(out).size(), 260u);
}

TEST(SiblingPath, TrailByteOfBackslashValueIsNoSeparator) {
  // "ソ" is 0x83 0x5C in CP932: its trail byte must not split the folder.
  char out[kPathBufferSize];
  EXPECT_EQ(SiblingPath("C:\\ソ\\a.csv", "b.txt", out, sizeof out), SiblingResult::kOk);
  EXPECT_STREQ(out, "C:\\ソ\\b.txt");
  EXPECT_EQ(SiblingPath("Cソa.csv", "b.txt", out, sizeof out), SiblingResult::kNoFolder);
}
