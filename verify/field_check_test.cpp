// The checks of single values, against zelverify's column tables.
#include "verify/field_check.h"

#include <gtest/gtest.h>

#include <set>

#include "verify/asset_file.h"
#include "verify/columns.h"
#include "verify/record_reader.h"

namespace verify {
namespace {

// The column of the asset rows with the given 1-based number, as the
// verifier reads them (the writer leaves required columns empty).
const std::vector<StTAFORMAT> kAssets = FormatTable(kAssetColumns, kAssetColumnCount, false);
const std::vector<StTAFORMAT> kTypes = FormatTable(kTypeColumns, kTypeColumnCount, true);

const StTAFORMAT& Asset(long number) { return kAssets[static_cast<size_t>(number - 1)]; }

Verdict::Kind KindOf(long number, std::string_view text) {
  return CheckField(Asset(number), RoleOf(Asset(number), true), text).kind;
}

TEST(RoleTest, DatesAndAmountsFollowTheTables) {
  std::set<long> dates, amounts;
  for (long i = 0; i < kAssetColumnCount; ++i) {
    const Role role = RoleOf(kAssets[static_cast<size_t>(i)], true);
    if (role == Role::kDate) dates.insert(i + 1);
    if (role == Role::kAmount) amounts.insert(i + 1);
  }
  EXPECT_EQ(dates, (std::set<long>{13, 72, 76, 79, 119, 133}));
  for (long amount : {23, 25, 31, 36, 53, 67, 75, 81, 83, 86, 89})
    EXPECT_TRUE(amounts.count(amount)) << amount;
  for (long other : {1, 10, 14, 20, 66, 93, 150}) EXPECT_FALSE(amounts.count(other)) << other;
  // The asset type rows hold no amounts, though two texts are 12 bytes wide.
  for (const StTAFORMAT& f : kTypes) EXPECT_EQ(RoleOf(f, false), Role::kPlain);
}

TEST(RoleTest, TheColumnsLookedIntoCarryTheirNames) {
  EXPECT_STREQ(AssetColumnName(kCodeColumn), ";資産コード");
  EXPECT_STREQ(AssetColumnName(kTypeColumn), "資産種類コード");
  EXPECT_STREQ(AssetColumnName(kMethodColumn), "償却方法");
  EXPECT_STREQ(AssetColumnName(kQuantityColumn), "数量");
}

TEST(FieldCheckTest, TextsWithinTheirWidthInBytes) {
  EXPECT_EQ(KindOf(10, ""), Verdict::kFine);
  EXPECT_EQ(KindOf(10, std::string(32, 'A')), Verdict::kFine);
  EXPECT_EQ(KindOf(10, std::string(33, 'A')), Verdict::kProblem);
  // Sixteen double-byte characters are 32 bytes; a seventeenth is too many.
  std::string name;
  for (int i = 0; i < 16; ++i) name += "機";
  EXPECT_EQ(KindOf(10, name), Verdict::kFine);
  EXPECT_EQ(KindOf(10, name + "A"), Verdict::kProblem);
  const Verdict v = CheckField(Asset(5), Role::kPlain, "定額法定額法定額法");
  EXPECT_EQ(v.kind, Verdict::kProblem);
  EXPECT_NE(v.why.find("18 bytes, more than the 10"), std::string::npos) << v.why;
}

TEST(FieldCheckTest, AmountsOfWholeYenUpToElevenCharacters) {
  for (const char* fine : {"1", "-1", "0", "12345", "99999999999", "-9999999999"}) {
    EXPECT_EQ(KindOf(23, fine), Verdict::kFine) << fine;
  }
  EXPECT_EQ(KindOf(23, "************"), Verdict::kOverLimit);
  // Column 67 can carry a twelfth character the amount limit does not allow.
  for (const char* bad : {"123456789012", "-12345678901", "12.5", "1,000", "12a", "-", "***"}) {
    EXPECT_EQ(KindOf(67, bad), Verdict::kProblem) << bad;
  }
}

TEST(FieldCheckTest, WholeNumbersWithinTheirBytesAndWidth) {
  // Column 16: a 16-bit number of at most 3 digits.
  EXPECT_EQ(KindOf(16, "50"), Verdict::kFine);
  EXPECT_EQ(KindOf(16, "-5"), Verdict::kFine);
  EXPECT_EQ(KindOf(16, "1000"), Verdict::kOverWidth);
  EXPECT_EQ(KindOf(16, "32767"), Verdict::kOverWidth);
  EXPECT_EQ(KindOf(16, "-32768"), Verdict::kOverWidth);
  EXPECT_EQ(KindOf(16, "32768"), Verdict::kProblem);
  EXPECT_EQ(KindOf(16, "-32769"), Verdict::kProblem);
  // Column 69: 32 bits.
  EXPECT_EQ(KindOf(69, "2147483647"), Verdict::kOverWidth);
  EXPECT_EQ(KindOf(69, "2147483648"), Verdict::kProblem);
  for (const char* bad : {"12a3", "+7", " 7", "7 ", "1.0", "-", "1-"}) {
    EXPECT_EQ(KindOf(69, bad), Verdict::kProblem) << bad;
  }
}

TEST(FieldCheckTest, CurrencyWithExactlyItsDecimals) {
  EXPECT_EQ(KindOf(14, "10.00"), Verdict::kFine);
  EXPECT_EQ(KindOf(14, "-0.50"), Verdict::kFine);
  EXPECT_EQ(KindOf(14, "999999.99"), Verdict::kFine);
  EXPECT_EQ(KindOf(14, "1000000.00"), Verdict::kOverWidth);
  for (const char* bad : {"10", "10.0", "10.000", ".50", "1,000.00", "1.2.3"}) {
    EXPECT_EQ(KindOf(14, bad), Verdict::kProblem) << bad;
  }
  EXPECT_EQ(KindOf(20, "0.250"), Verdict::kFine);
  EXPECT_EQ(KindOf(20, "0.25"), Verdict::kProblem);
  EXPECT_EQ(KindOf(20, "10.000"), Verdict::kOverWidth);
  EXPECT_EQ(KindOf(14, "922337203685477.00"), Verdict::kOverWidth);
  EXPECT_EQ(KindOf(14, "922337203685478.00"), Verdict::kProblem);
}

TEST(FieldCheckTest, DatesAreZeroOrCalendarDays) {
  EXPECT_EQ(KindOf(13, "0"), Verdict::kFine);
  EXPECT_EQ(KindOf(13, "20240229"), Verdict::kFine);
  EXPECT_EQ(KindOf(72, "20251231"), Verdict::kFine);
  for (const char* bad : {"20230229", "20241301", "20240431", "20240400", "2024041", "-1", "09990101"}) {
    EXPECT_EQ(KindOf(13, bad), Verdict::kProblem) << bad;
  }
  EXPECT_TRUE(IsDateText("20000229"));
  EXPECT_FALSE(IsDateText("19000229"));
}

TEST(FieldCheckTest, EveryFieldIsShiftJisWithoutControlsOrQuotes) {
  EXPECT_EQ(KindOf(10, "ﾃｽﾄ 機械 A-1"), Verdict::kFine);
  const std::string bad[] = {
      "A\tB",      // a control character
      "AB\x81",    // a lead byte without its trail byte
      "A\x81,",    // ... nor before a separator
      "A\x80",     // a byte no character uses
      "\xFD",      //
      "\x85\x40",  // a code that code page 932 does not assign
      "O'Brien",   // quotes open a quoted field for a reader
      "\"A\"",
  };
  for (const std::string& text : bad) EXPECT_EQ(KindOf(10, text), Verdict::kProblem) << text;
  EXPECT_EQ(KindOf(13, "2024\x81"), Verdict::kProblem);
  const Verdict v = CheckField(Asset(10), Role::kPlain, "ABC\x80");
  EXPECT_NE(v.why.find("byte 0x80 at byte 4"), std::string::npos) << v.why;
  EXPECT_EQ(EncodingFault("機械"), "");
  EXPECT_NE(EncodingFault("\x7F"), "");
}

// A text a spreadsheet would run as a formula is a warning; a number that
// starts with a sign is none, nor is a negative amount.
TEST(FieldCheckTest, TextsThatASpreadsheetRunsAreWarnings) {
  const struct {
    long column;
    const char* text;
    Verdict::Kind kind;
  } cases[] = {
      {10, "=HYPERLINK(\"x\")", Verdict::kProblem},  // the quote is the problem
      {10, "=1+2", Verdict::kFormula},
      {10, "+81 3 1234", Verdict::kFormula},
      {10, "-", Verdict::kFormula},
      {10, "@SUM(A1)", Verdict::kFormula},
      {150, "-A", Verdict::kFormula},
      {10, "-12", Verdict::kFine},
      {10, "+1.5", Verdict::kFine},
      {10, "A=1", Verdict::kFine},
      {3, "-5", Verdict::kFine},
      {23, "-35000", Verdict::kFine},
      {16, "-5", Verdict::kFine},
  };
  for (const auto& c : cases) EXPECT_EQ(KindOf(c.column, c.text), c.kind) << c.column << " " << c.text;
}

TEST(FieldCheckTest, RequiredColumnsOfTheTypeRowsHoldAValue) {
  const std::vector<StTAFORMAT>& types = kTypes;
  EXPECT_EQ(CheckField(types[6], Role::kPlain, "").kind, Verdict::kProblem);  // residual ratio
  EXPECT_EQ(CheckField(types[4], Role::kPlain, "").kind, Verdict::kFine);     // method of category 11
  EXPECT_EQ(CheckField(types[6], Role::kPlain, "10").kind, Verdict::kFine);
  EXPECT_EQ(CheckField(types[6], Role::kPlain, "100").kind, Verdict::kOverWidth);
}

}  // namespace
}  // namespace verify
