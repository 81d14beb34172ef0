#include "export/value_format.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Collect : RemarkSink {
  std::vector<std::string> remarks;
  void Remark(const char* text) override { remarks.emplace_back(text); }
};

constexpr int64_t kYen = 10000;

std::string Amount(int64_t a, Collect* log) {
  char out[kAmountTextSize];
  FormatAmount(a, out, log);
  return out;
}

std::string AmountError(const std::string& digits) {
  return "\n＜ERROR＞\n金額｢" + digits + "｣は、連携可能最大桁数をオーバーしています。";
}

TEST(FormatAmount, WholeYenZeroAndDigitLimits) {
  Collect log;
  EXPECT_EQ(Amount(0, &log), "");
  EXPECT_EQ(Amount(1, &log), "0");
  EXPECT_EQ(Amount(12345 * kYen, &log), "12345");
  EXPECT_EQ(Amount(12349999, &log), "1234");
  EXPECT_EQ(Amount(-123456000, &log), "-12345");
  EXPECT_EQ(Amount(-5000, &log), "0");
  EXPECT_EQ(Amount(-kYen, &log), "-1");
  EXPECT_EQ(Amount(99999999999LL * kYen, &log), "99999999999");
  EXPECT_EQ(Amount(-9999999999LL * kYen, &log), "-9999999999");
  EXPECT_TRUE(log.remarks.empty());

  EXPECT_EQ(Amount(100000000000LL * kYen, &log), "************");
  EXPECT_EQ(Amount(99999999999LL * kYen + 1, &log), "************");
  EXPECT_EQ(Amount(-10000000000LL * kYen, &log), "************");
  EXPECT_EQ(Amount(INT64_MIN, &log), "************");
  ASSERT_EQ(log.remarks.size(), 4u);
  EXPECT_EQ(log.remarks[0], AmountError("100000000000"));
  EXPECT_EQ(log.remarks[1], AmountError("99999999999"));
  EXPECT_EQ(log.remarks[2], AmountError("-10000000000"));
  EXPECT_EQ(log.remarks[3], AmountError("-922337203685477"));
}

Decimal D(int64_t ten_thousandths) { return Decimal::FromAmount(ten_thousandths); }

TEST(DecimalTest, DivideRoundsHalfUpAndKeepsSign) {
  Decimal r;
  ASSERT_TRUE(Decimal::Divide(D(8333 * kYen), D(100 * kYen), &r));
  EXPECT_EQ(r.ToAmount(), 833300);
  ASSERT_TRUE(Decimal::Divide(D(kYen), D(3 * kYen), &r));
  EXPECT_EQ(r.ToAmount(), 3333);
  ASSERT_TRUE(Decimal::Divide(D(2 * kYen), D(3 * kYen), &r));
  EXPECT_EQ(r.ToAmount(), 6667);
  ASSERT_TRUE(Decimal::Divide(D(-kYen), D(3 * kYen), &r));
  EXPECT_EQ(r.ToAmount(), -3333);
  EXPECT_EQ(r.sign, -1);
  ASSERT_TRUE(Decimal::Divide(D(0), D(-3 * kYen), &r));
  EXPECT_EQ(r.sign, 1);
  EXPECT_EQ(r.ToAmount(), 0);
  // 0.99999 rounds up into the whole unit.
  ASSERT_TRUE(Decimal::Divide(D(99999), D(100000), &r));
  EXPECT_EQ(r.ToAmount(), 10000);
  EXPECT_FALSE(Decimal::Divide(D(kYen), D(0), &r));
  // 10^13 units divided by 0.0001 leaves the range.
  EXPECT_FALSE(Decimal::Divide(D(10000000000000LL * kYen), D(1), &r));
}

TEST(DecimalTest, AddIsExactAndRefusesValuesOutsideTheRange) {
  Decimal r;
  ASSERT_TRUE(Decimal::Add(D(5000), D(-5000), &r));
  EXPECT_EQ(r.sign, 1);
  EXPECT_EQ(r.ToAmount(), 0);
  ASSERT_TRUE(Decimal::Add(D(1000005000), D(200000000), &r));
  EXPECT_EQ(r.ToAmount(), 1200005000);
  const int64_t just_below = 999999999999999999LL;  // 10^18 - 1 ten-thousandths
  ASSERT_TRUE(Decimal::Add(D(just_below), D(0), &r));
  EXPECT_FALSE(Decimal::Add(D(just_below), D(1), &r));
  EXPECT_FALSE(Decimal::Add(D(-just_below), D(-1), &r));
  EXPECT_FALSE(Decimal::Add(D(INT64_MAX), D(INT64_MAX), &r));
  EXPECT_FALSE(Decimal::Add(D(INT64_MIN), D(INT64_MIN), &r));
}

TEST(AmountFromRealTest, RoundsHalfUpOnTheFifthPlaceAndRefusesLargeValues) {
  int64_t a = 0;
  ASSERT_TRUE(AmountFromReal(static_cast<float>(250) * 0.001f, &a));
  EXPECT_EQ(a, 2500);
  ASSERT_TRUE(AmountFromReal(static_cast<float>(99999) * 0.001f, &a));
  EXPECT_EQ(a, 999990);
  ASSERT_TRUE(AmountFromReal(150 * 0.01, &a));
  EXPECT_EQ(a, 15000);
  ASSERT_TRUE(AmountFromReal(-1.23456, &a));
  EXPECT_EQ(a, -12346);
  ASSERT_TRUE(AmountFromReal(0.99999, &a));
  EXPECT_EQ(a, 10000);
  EXPECT_FALSE(AmountFromReal(1e14, &a));
  EXPECT_FALSE(AmountFromReal(-1e14, &a));
  EXPECT_FALSE(AmountFromReal(__builtin_nan(""), &a));
  EXPECT_FALSE(AmountFromReal(__builtin_inf(), &a));
}

struct Split {
  int64_t quantity;
  std::string unit;
  size_t remarks;
};
Split Q(const std::string& text, Collect* log) {
  size_t before = log->remarks.size();
  QuantitySplit s = SplitQuantity(text, log);
  return {s.in_range ? s.quantity : -1, std::string(s.unit), log->remarks.size() - before};
}

TEST(SplitQuantityTest, NumberAndUnit) {
  Collect log;
  auto check = [&](const std::string& text, int64_t quantity, const std::string& unit) {
    Split s = Q(text, &log);
    EXPECT_EQ(s.quantity, quantity) << text;
    EXPECT_EQ(s.unit, unit) << text;
    EXPECT_EQ(s.remarks, 0u) << text;
  };
  check("10台", 100000, "台");
  check("1,234.5kg", 12345000, "kg");
  check("2.5", 25000, "");
  check("個", 0, "個");
  check("", 0, "");
  check("1.005", 10100, "");
  check("1.004", 10000, "");
  check("1.23495", 12400, "");
  check("12セット", 120000, "ット");  // the last four bytes of the unit word
  check("3ｾｯﾄ個", 30000, "ｯﾄ個");     // a whole character ends the scan at 4 bytes
  check("1 000本", 10000000, "本");
  check("-2個", -20000, "個");
  check("abc", 0, "abc");
  check("\t5台", 50000, "台");  // white space before the number, as atof skips it
  check("\n\v7", 70000, "");
  check("0x10", 0, "");  // no hexadecimal numbers
  check("inf5", 0, "");  // no infinities either
  check("999999", 9999990000, "");
}

TEST(SplitQuantityTest, UnitNeverStartsInsideACharacter) {
  Collect log;
  // Four bytes from the end fall on the second byte of the first character:
  // the unit keeps three bytes and the number part reads as 5.
  Split s = Q("5台台a", &log);
  EXPECT_EQ(s.unit, "台a");
  EXPECT_EQ(s.quantity, 50000);
}

TEST(SplitQuantityTest, LargeQuantities) {
  Collect log;
  Split s = Q("1000000", &log);
  EXPECT_EQ(s.quantity, 1000000LL * kYen);
  ASSERT_EQ(s.remarks, 1u);
  EXPECT_EQ(log.remarks.back(),
            "\n＜WARNING＞\n数量｢1000000.00｣は、連携可能最大桁数をオーバーしています。\n"
            "減価償却データが、正しく連携されない可能性があります。");
  EXPECT_EQ(Q("-1000000", &log).remarks, 0u);  // negative quantities are not warned about
  // Out of the decimal range: the amount error, no value.
  s = Q("1e14", &log);
  EXPECT_EQ(s.quantity, -1);
  ASSERT_EQ(s.remarks, 1u);
  EXPECT_EQ(log.remarks.back(), AmountError("100000000000000"));
  s = Q("-9e99", &log);
  EXPECT_EQ(s.quantity, -1);
  EXPECT_EQ(s.remarks, 1u);
}

TEST(TextHelpers, StripCheckAndPad) {
  char out[32];
  EXPECT_EQ(StripNumberText("1, 234 ,5", out, sizeof out), 5u);
  EXPECT_STREQ(out, "12345");
  EXPECT_EQ(StripNumberText("台,1", out, sizeof out), 3u);
  EXPECT_STREQ(out, "台1");
  EXPECT_EQ(StripNumberText("", out, sizeof out), 0u);
  EXPECT_EQ(StripNumberText("123456", out, 4), 3u);

  EXPECT_TRUE(CheckChars("000123"));
  EXPECT_TRUE(CheckChars("AB12cd"));
  EXPECT_TRUE(CheckChars(""));
  EXPECT_FALSE(CheckChars("0012-4"));
  EXPECT_FALSE(CheckChars("00 123"));
  EXPECT_FALSE(CheckChars("00資産"));
  EXPECT_FALSE(CheckChars("0012ｱ"));

  EXPECT_EQ(ZeroPadLeft("123", 6, out), 6u);
  EXPECT_STREQ(out, "000123");
  ZeroPadLeft("", 6, out);
  EXPECT_STREQ(out, "000000");
  ZeroPadLeft("7", 2, out);
  EXPECT_STREQ(out, "07");
  ZeroPadLeft("1234567", 6, out);
  EXPECT_STREQ(out, "1234567");
}

TEST(ValueFormatTest, FieldsCarryNoSeparatorLineEndOrBrokenCharacter) {
  auto field = [](std::string t) {
    OneField(t.data(), t.size());
    return t;
  };
  auto line = [](std::string t) {
    OneLine(t.data(), t.size());
    return t;
  };
  EXPECT_EQ(field("a,b\r\nc\td\x1A\x7F"),
            "a\xA4"
            "b  c d  ");
  EXPECT_EQ(line("a,b\nc"), "a,b c");  // a header line keeps its commas
  EXPECT_EQ(field("資産,名"),
            "資産\xA4"
            "名");
  EXPECT_EQ(field("aaaa\x81"), "aaaa?");  // a lone lead byte at the end
  EXPECT_EQ(field("\x81,x"),
            "?\xA4"
            "x");  // never joined with the separator
  EXPECT_EQ(field("\x95\x5C\xFF"), "\x95\x5C?");
  // Longer texts are looked at eight bytes at a time: every place counts.
  for (size_t at = 0; at < 24; ++at) {
    std::string plain(24, 'q');
    EXPECT_EQ(field(plain), plain);
    for (char c : {',', '\t', '\x7F', '\x01', '\x1F'}) {
      std::string t = plain;
      t[at] = c;
      std::string want = plain;
      want[at] = c == ',' ? '\xA4' : ' ';
      EXPECT_EQ(field(t), want) << at << " " << int(c);
    }
    std::string lead = plain;
    lead[at] = '\x81';
    std::string want = plain;
    want[at] = '?';  // a lead byte at the very end stands alone
    EXPECT_EQ(field(lead), at + 1 < plain.size() ? lead : want)
        << at;  // before 'q', a trail byte: one character
    lead[at] = '\xFF';
    EXPECT_EQ(field(lead), want) << at;
  }
}

}  // namespace
