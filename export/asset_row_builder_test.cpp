// The rows of ordinary assets and the breakdown rows of lump-sum assets:
// every column rule and remark, from the builder alone.
#include "export/asset_row_builder.h"

#include <gtest/gtest.h>

#include <sstream>

#include "export/export_test_util.h"
#include "export/output_writer.h"

namespace {

using namespace export_test;

// Builds rows from hand-made records and keeps them as the asset data file
// would hold them (each written by the asset row accessor), split into
// fields, and the remarks in the order raised, whole.
class BuiltRows : public RemarkSink {
 public:
  BuiltRows() {
    accessor_.SetMode(ClTextAccessor::DELIM_COMMA, ClTextAccessor::QUOTE_NONE);
    accessor_.Attach(&lines_);
  }
  void Remark(const char* text) override { entries_.push_back(text); }
  void Row(const StKOTEISHISANINFO& m, const StKOTEINENINFO& y = {}) { Build(m, y, StIKKATSUINFO{}); }
  void Items(const StKOTEISHISANINFO& m, const std::vector<StIKKATSUINFO>& items) {
    for (const StIKKATSUINFO& item : items) Build(m, StKOTEINENINFO{}, item);
  }
  // Field `column` (numbered from 1) of row `row`.
  std::string Col(size_t row, int column) {
    if (row >= rows().size() || column < 1 || static_cast<size_t>(column) > rows_[row].size()) {
      ADD_FAILURE() << "no row " << row << " column " << column;
      return "<missing>";
    }
    return rows_[row][column - 1];
  }
  const std::vector<std::vector<std::string>>& rows() {
    rows_.clear();
    for (const std::string& line : Split(lines_.str(), "\r\n")) rows_.push_back(Fields(line));
    return rows_;
  }
  const std::vector<std::string>& entries() const { return entries_; }

 private:
  void Build(const StKOTEISHISANINFO& m, const StKOTEINENINFO& y, const StIKKATSUINFO& item) {
    AssetRow row(accessor_.record);
    if (!builder_.Build(m, y, item, &row)) return;
    row.ApplyMask(&accessor_);
    ASSERT_EQ(accessor_.Write(), 0);
  }
  AssetRowBuilder builder_{this};
  AccessorWithRecord<kAssetRowRecordSize> accessor_{"G_INFO", AssetRowFormat(), kAssetColumnCount};
  std::stringstream lines_;
  std::vector<std::vector<std::string>> rows_;
  std::vector<std::string> entries_;
};

std::string W1(const std::string& code) {
  return "\n＜WARNING＞\n資産コード｢" + code +
         "｣は、連携可能最大桁数をオーバーしています。\nデータが、正しく連携されない可能性があります。";
}
std::string E1(const std::string& column1) {
  return "\n＜ERROR＞\n資産コード｢" + column1 + "｣には、半角英数以外の文字が使用されています。";
}
std::string E2(const std::string& code) {
  return "\n＜ERROR＞\n資産コード｢" + code + "｣は、他の資産コードと重複してしまいます。";
}
std::string AmountError(const std::string& digits) {
  return "\n＜ERROR＞\n金額｢" + digits + "｣は、連携可能最大桁数をオーバーしています。";
}

TEST(AssetRowTest, AssetCodesAndTheirRemarks) {
  BuiltRows run;
  run.Row(Asset("123"));
  run.Row(Asset("1234567"));
  run.Row(Asset("234567"));
  run.Row(Asset("A234567"));
  run.Row(Asset(""));
  run.Row(Asset(""));
  run.Row(Asset("12-4"));
  run.Row(Asset("12-4"));
  run.Row(Asset("12資産"));
  run.Row(Asset("1234資産"));         // 8 bytes: the tail is the last 6
  run.Row(Asset("1資a産産"));         // the sixth byte from the end is a second byte: 5 bytes
  ASSERT_EQ(run.rows().size(), 11u);  // every row is written
  EXPECT_EQ(run.Col(0, 1), "000123");
  EXPECT_EQ(run.Col(1, 1), "234567");
  EXPECT_EQ(run.Col(2, 1), "234567");
  EXPECT_EQ(run.Col(3, 1), "234567");
  EXPECT_EQ(run.Col(4, 1), "000000");
  EXPECT_EQ(run.Col(6, 1), "0012-4");
  EXPECT_EQ(run.Col(8, 1), "12資産");
  EXPECT_EQ(run.Col(9, 1), "34資産");
  EXPECT_EQ(run.Col(10, 1), "0a産産");
  std::vector<std::string> expected = {
      W1("1234567"), E2("234567"), W1("A234567"),  E2("A234567"), E2(""),         E1("0012-4"),
      E1("0012-4"),  E1("12資産"), W1("1234資産"), E1("34資産"),  W1("1資a産産"), E1("0a産産"),
  };
  EXPECT_EQ(run.entries(), expected);
}

TEST(AssetRowTest, TypeCodeMethodAndTaxReturnType) {
  BuiltRows run;
  StKOTEISHISANINFO m = Asset("1", 6);
  m.lTypeCode = 7;
  run.Row(m);
  m.lTypeCode = 123;
  run.Row(m);
  m.lTypeCode = -5;
  run.Row(m);
  m.lTypeCode = 11;
  run.Row(m);
  const char* methods[] = {"",       "旧定率法", "旧定額法", "均等法", "",
                           "定率法", "定額法",   "少額資産", "定率法", ""};
  for (int16_t method : {0, 1, 2, 3, 5, 6, 7, 8, 9}) {
    StKOTEISHISANINFO a = Asset("1", method);
    a.lTypeCode = method == 0 ? 2 : method == 1 ? 3 : method == 2 ? 5 : 12;
    run.Row(a);
  }
  // Rows get codes 000001 again and again: ignore the E2 remarks here.
  EXPECT_EQ(run.Col(0, 3), "07");
  EXPECT_EQ(run.Col(1, 3), "12");
  EXPECT_EQ(run.Col(2, 3), "-5");
  EXPECT_EQ(run.Col(3, 3), "11");
  EXPECT_EQ(run.Col(3, 5), "非償却資産");
  EXPECT_EQ(run.Col(3, 93), "申告なし");
  EXPECT_EQ(run.Col(0, 93), "申告なし");
  size_t r = 4;
  for (int16_t method : {0, 1, 2, 3, 5, 6, 7, 8, 9}) {
    EXPECT_EQ(run.Col(r, 5), methods[method]) << method;
    ++r;
  }
  EXPECT_EQ(run.Col(4, 93), "構築物");
  EXPECT_EQ(run.Col(5, 93), "機械及び装置");
  EXPECT_EQ(run.Col(6, 93), "工具器具及び備品");
  EXPECT_EQ(run.Col(7, 93), "");
  int w2 = 0;
  for (const std::string& e : run.entries()) {
    if (e.find("資産種類コード｢") != std::string::npos) {
      ++w2;
      EXPECT_EQ(e,
                "\n＜WARNING＞\n資産種類コード｢123｣は、連携可能最大桁数をオーバーしています。\n"
                "データが、正しく連携されない可能性があります。");
    }
  }
  EXPECT_EQ(w2, 1);
}

TEST(AssetRowTest, NamesAndMemosAreCutWithoutSplittingCharacters) {
  BuiltRows run;
  // 31 single bytes and a double-byte character: 33 bytes.
  std::string name = std::string(31, 'N') + "名";
  StKOTEISHISANINFO m = Asset("1");
  std::strcpy(m.szName, name.c_str());
  // 45 bytes: 19 single bytes, then double-byte characters.
  std::string memo = std::string(19, 'M') + "メモメモメモメモメモメモメモ";
  std::strcpy(m.szMemo, memo.c_str());
  run.Row(m);
  StKOTEISHISANINFO exact = Asset("2");
  std::strcpy(exact.szName, std::string(32, 'n').c_str());
  std::strcpy(exact.szMemo, "short memo");
  run.Row(exact);
  // A memo of exactly 40 bytes whose first part is cut to 19 bytes loses a
  // character: that is logged too.
  StKOTEISHISANINFO forty = Asset("3");
  std::string memo40 = std::string(19, 'x') + "メモメモメモメモメモ" + "y";
  ASSERT_EQ(memo40.size(), 40u);
  std::strcpy(forty.szMemo, memo40.c_str());
  run.Row(forty);

  EXPECT_EQ(run.Col(0, 10), std::string(31, 'N'));
  EXPECT_EQ(run.Col(0, 150), std::string(19, 'M'));
  EXPECT_EQ(run.Col(0, 151), "メモメモメモメモメモ");
  EXPECT_EQ(run.Col(1, 10), std::string(32, 'n'));
  EXPECT_EQ(run.Col(1, 150), "short memo");
  EXPECT_EQ(run.Col(1, 151), "");
  EXPECT_EQ(run.Col(2, 150), std::string(19, 'x'));
  EXPECT_EQ(run.Col(2, 151), "メモメモメモメモメモ");
  std::vector<std::string> expected = {
      "\n＜WARNING＞\n資産名称｢" + name +
          "｣は、\n連携可能最大文字数をオーバーしています。\n超過した文字は、自動的に切り捨てられます。",
      "\n＜WARNING＞\nメモ欄｢" + memo +
          "｣は、\n連携可能最大文字数をオーバーしています。\n超過した文字は、自動的に切り捨てられます。",
      "\n＜WARNING＞\nメモ欄｢" + memo40 +
          "｣は、\n連携可能最大文字数をオーバーしています。\n超過した文字は、自動的に切り捨てられます。",
  };
  EXPECT_EQ(run.entries(), expected);
}

TEST(AssetRowTest, SmallAmountAssetsLeaveTheDepreciationColumnsEmpty) {
  BuiltRows run;
  StKOTEISHISANINFO m = Asset("7", 7);
  m.lDepreciationRate = 250;
  m.cyCompressedAmount = Yen(1);
  m.lResidualRate = 10;
  m.cyResidualValue = Yen(2);
  m.ucLimitKind = 1;
  m.cyDepreciableLimit = Yen(3);
  m.cyOpeningBookValue = Yen(4);
  m.cyDepreciationBase = Yen(5);
  m.sDisposalKind = 4;
  m.lDisposalDate = 20240101;
  m.cyDisposalPrice = Yen(6);
  m.cyAccumulatedDepreciation = Yen(7);
  m.cyAcquisitionCost = Yen(8);
  m.cyClosingBookValue = Yen(9);
  StKOTEINENINFO y{};
  y.cyComputedDepreciation = Yen(10);
  y.cyEnteredCurrentDepreciation = Yen(11);
  run.Row(m, y);
  for (int c : {20, 25, 29, 31, 34, 35, 36, 42, 51, 52, 53, 66, 67, 69, 73, 74, 75, 83}) {
    EXPECT_EQ(run.Col(0, c), "") << c;
  }
  EXPECT_EQ(run.Col(0, 5), "少額資産");
  EXPECT_EQ(run.Col(0, 23), "8");
  EXPECT_EQ(run.Col(0, 72), "20240101");
  EXPECT_EQ(run.Col(0, 81), "9");
  EXPECT_EQ(run.Col(0, 116), "売却");
}

TEST(AssetRowTest, RatesLimitsMonthsAndShares) {
  BuiltRows run;
  StKOTEISHISANINFO m = Asset("1", 1);
  m.lDepreciationRate = 250;
  m.lResidualRate = 10;
  m.ucLimitKind = 0;
  m.cyDepreciableLimit = CY{955000};  // 95.5: the whole part is written
  m.sUsefulLife = 8;
  m.ucMonthsEntered = 1;
  m.sMonthsNumerator = 7;
  m.sMonthsDenominator = 12;
  m.sBusinessRatio = 8000;
  m.sSgaShare = 60;
  std::strcpy(m.szCapexLink, "X");
  run.Row(m);
  StKOTEISHISANINFO t10 = Asset("2", 2);
  t10.lTypeCode = 10;
  t10.cyResidualValue = Yen(500);
  t10.ucMonthsEntered = 1;
  t10.sMonthsNumerator = 1;
  t10.sMonthsDenominator = 5;
  t10.sSgaShare = 100;
  run.Row(t10);
  StKOTEISHISANINFO t10new = Asset("3", 6);
  t10new.lTypeCode = 10;
  t10new.cyResidualValue = Yen(500);
  t10new.sSgaShare = 130;
  // Months entered with a denominator of 0: "*" stays, no months.
  t10new.ucMonthsEntered = 1;
  t10new.sMonthsNumerator = 3;
  run.Row(t10new);
  StKOTEISHISANINFO limit = Asset("4", 3);
  limit.ucLimitKind = 1;
  limit.cyDepreciableLimit = Yen(1234);
  limit.sUsefulLife = 5;
  limit.lDepreciationRate = 200;
  run.Row(limit);
  StKOTEISHISANINFO revised = Asset("5", 8);
  SetRevisedCost(revised, 4321 * 10000LL);
  run.Row(revised);

  EXPECT_EQ(run.Col(0, 6), "台帳＋申告書");
  EXPECT_EQ(run.Col(0, 16), "8");
  EXPECT_EQ(run.Col(0, 20), "0.250");
  EXPECT_EQ(run.Col(0, 29), "10");
  EXPECT_EQ(run.Col(0, 34), "95");
  EXPECT_EQ(run.Col(0, 35), "");
  EXPECT_EQ(run.Col(0, 36), "");
  EXPECT_EQ(run.Col(0, 39), "*");
  EXPECT_EQ(run.Col(0, 40), "7");
  EXPECT_EQ(run.Col(0, 69), "100");
  EXPECT_EQ(run.Col(0, 70), "80.00");
  EXPECT_EQ(run.Col(0, 71), "100.00");
  EXPECT_EQ(run.Col(0, 84), "60.00");
  EXPECT_EQ(run.Col(0, 85), "100.00");
  EXPECT_EQ(run.Col(0, 87), "40.00");
  EXPECT_EQ(run.Col(0, 88), "100.00");

  EXPECT_EQ(run.Col(1, 35), "*");
  EXPECT_EQ(run.Col(1, 36), "500");
  EXPECT_EQ(run.Col(1, 40), "2");
  EXPECT_EQ(run.Col(1, 84), "100.00");
  EXPECT_EQ(run.Col(1, 87), "0.00");

  EXPECT_EQ(run.Col(2, 35), "");
  EXPECT_EQ(run.Col(2, 36), "");
  EXPECT_EQ(run.Col(2, 39), "*");
  EXPECT_EQ(run.Col(2, 40), "");
  EXPECT_EQ(run.Col(2, 87), "-30.00");
  EXPECT_EQ(run.Col(2, 70), "0.00");

  EXPECT_EQ(run.Col(3, 20), "");  // equal installments carry no rate
  EXPECT_EQ(run.Col(3, 22), "60");
  EXPECT_EQ(run.Col(3, 34), "");
  EXPECT_EQ(run.Col(3, 35), "*");
  EXPECT_EQ(run.Col(3, 36), "1234");

  EXPECT_EQ(run.Col(4, 47), "*");
  EXPECT_EQ(run.Col(4, 48), "4321");
  EXPECT_EQ(run.Col(0, 47), "");
  EXPECT_TRUE(run.entries().empty());
}

TEST(AssetRowTest, TransitionalDecliningBalanceAndDisposals) {
  BuiltRows run;
  for (int32_t date : {20120401, 20130331, 20120331, 20130401}) {
    StKOTEISHISANINFO m = Asset("1", 5);
    m.lMethodRefDate = date;
    run.Row(m);
  }
  StKOTEISHISANINFO sold = Asset("2", 6);
  sold.sDisposalKind = 4;
  sold.lDisposalDate = 20240315;
  sold.cyDisposalPrice = Yen(3000);
  run.Row(sold);
  StKOTEISHISANINFO retired = sold;
  retired.sDisposalKind = 5;
  run.Row(retired);
  StKOTEISHISANINFO small = retired;
  small.sMethodCode = 7;
  run.Row(small);

  EXPECT_EQ(run.Col(0, 21), "250%定率法");
  EXPECT_EQ(run.Col(1, 21), "250%定率法");
  EXPECT_EQ(run.Col(2, 21), "");
  EXPECT_EQ(run.Col(3, 21), "");
  EXPECT_EQ(run.Col(4, 72), "20240315");
  EXPECT_EQ(run.Col(4, 73), "除却日まで償却");
  EXPECT_EQ(run.Col(4, 74), "売却");
  EXPECT_EQ(run.Col(4, 75), "3000");
  EXPECT_EQ(run.Col(4, 116), "売却");
  EXPECT_EQ(run.Col(5, 72), "20240315");
  EXPECT_EQ(run.Col(5, 73), "除却日まで償却");
  EXPECT_EQ(run.Col(5, 74), "除却");
  EXPECT_EQ(run.Col(5, 75), "");
  EXPECT_EQ(run.Col(5, 116), "");
  EXPECT_EQ(run.Col(6, 72), "20240315");
  EXPECT_EQ(run.Col(6, 73), "");
  EXPECT_EQ(run.Col(6, 74), "");
}

TEST(AssetRowTest, CurrentPeriodRule) {
  BuiltRows run;
  struct Case {
    int16_t method;
    int32_t acquired, reference;
    int64_t entered;
    bool written;
  };
  const Case cases[] = {
      {6, 20070401, 0, 1, true},   // 1: entered current depreciation
      {7, 20070401, 0, 1, false},  // 1 does not hold for small-amount assets
      {6, 20070331, 0, 0, true},   // 2
      {6, 20070401, 0, 0, false},        {2, 20070401, 0, 0, true},         // 3
      {2, 20070331, 0, 0, false},        {8, 20080101, 20130331, 0, true},  // 4
      {8, 20080101, 20130401, 0, false}, {5, 20080101, 20130401, 0, true},  // 5
      {5, 20080101, 20130331, 0, false},
  };
  for (const Case& c : cases) {
    StKOTEISHISANINFO m = Asset("1", c.method);
    m.lAcquisitionDate = c.acquired;
    m.lMethodRefDate = c.reference;
    StKOTEINENINFO y{};
    y.cyEnteredCurrentDepreciation = CY{c.entered};
    run.Row(m, y);
  }
  for (size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(run.Col(i, 66), cases[i].written ? "*" : "") << i;
    EXPECT_EQ(run.Col(i, 67), cases[i].written ? "0" : "") << i;  // all three amounts 0
  }
}

TEST(AssetRowTest, CurrentDepreciationSum) {
  BuiltRows run;
  auto row = [&](int64_t computed, int64_t special, int64_t increased) {
    StKOTEISHISANINFO m = Asset("1", 5);
    m.lMethodRefDate = 20130401;
    StKOTEINENINFO y{};
    y.cyComputedDepreciation = CY{computed};
    y.cySpecialDepreciation = CY{special};
    y.cyIncreasedDepreciation = CY{increased};
    run.Row(m, y);
  };
  row(1000005000, 200000000, 0);          // 100000.5 + 20000
  row(-5000, 0, 0);                       // -0.5 yen
  row(-10000, 0, 0);                      // -1 yen
  row(999999999999LL * 10000, 0, 0);      // 12 digits: fits
  row(999999999999LL * 10000, 10000, 0);  // 13 digits: does not
  row(-99999999999LL * 10000, 0, 0);      // "-" and 11 digits: fits
  row(INT64_MAX, INT64_MAX, 0);           // beyond the decimal range
  EXPECT_EQ(run.Col(0, 67), "120000");
  EXPECT_EQ(run.Col(0, 53), "100000");
  EXPECT_EQ(run.Col(0, 52), "*");
  EXPECT_EQ(run.Col(0, 58), "特別");
  EXPECT_EQ(run.Col(0, 62), "*");
  EXPECT_EQ(run.Col(0, 63), "20000");
  EXPECT_EQ(run.Col(0, 64), "償却");
  EXPECT_EQ(run.Col(0, 56), "");
  EXPECT_EQ(run.Col(1, 67), "0");
  EXPECT_EQ(run.Col(2, 67), "-1");
  EXPECT_EQ(run.Col(3, 67), "999999999999");
  EXPECT_EQ(run.Col(4, 67), "************");
  EXPECT_EQ(run.Col(5, 67), "-99999999999");
  EXPECT_EQ(run.Col(6, 67), "************");
  // Column 53 is an amount column: 999,999,999,999 yen is over its limit.
  std::vector<std::string> expected = {
      AmountError("999999999999"),      // row 3, column 53
      AmountError("999999999999"),      // row 4, column 53
      AmountError("1000000000000"),     // row 4, column 67
      AmountError("-99999999999"),      // row 5, column 53
      AmountError("922337203685477"),   // row 6, column 53
      AmountError("922337203685477"),   // row 6, column 63
      AmountError("1844674407370955"),  // row 6, column 67
  };
  std::vector<std::string> amounts;
  for (const std::string& e : run.entries()) {
    if (e.find("金額") != std::string::npos) amounts.push_back(e);
  }
  EXPECT_EQ(amounts, expected);
}

TEST(AssetRowTest, AmountColumnsAndQuantity) {
  BuiltRows run;
  StKOTEISHISANINFO m = Asset("1", 2);
  m.cyAcquisitionCost = Yen(100000000000LL);  // over the limit
  m.cyResidualValue = CY{-123456000};         // -12345.6 yen
  m.cyClosingBookValue = CY{1};               // 0.0001 yen
  m.lAcquisitionDate = 20200401;
  std::strcpy(m.szQuantity, "1,000台");
  run.Row(m);
  StKOTEISHISANINFO q = Asset("2", 2);
  std::strcpy(q.szQuantity, "1000000");
  run.Row(q);
  StKOTEISHISANINFO huge = Asset("3", 2);
  std::strcpy(huge.szQuantity, "1e20個");
  run.Row(huge);
  EXPECT_EQ(run.Col(0, 23), "************");
  EXPECT_EQ(run.Col(0, 31), "-12345");
  EXPECT_EQ(run.Col(0, 81), "0");
  EXPECT_EQ(run.Col(0, 86), "");
  EXPECT_EQ(run.Col(0, 13), "20200401");
  EXPECT_EQ(run.Col(0, 14), "1000.00");
  EXPECT_EQ(run.Col(0, 15), "台");
  EXPECT_EQ(run.Col(1, 14), "1000000.00");
  EXPECT_EQ(run.Col(2, 14), "");  // out of range: no number at all
  EXPECT_EQ(run.Col(2, 15), "個");
  ASSERT_EQ(run.entries().size(), 3u);
  EXPECT_EQ(run.entries()[0], AmountError("100000000000"));
  EXPECT_EQ(run.entries()[1],
            "\n＜WARNING＞\n数量｢1000000.00｣は、連携可能最大桁数をオーバーしています。\n"
            "減価償却データが、正しく連携されない可能性があります。");
  EXPECT_EQ(run.entries()[2], AmountError("100000000000000000000"));
}

TEST(AssetRowTest, TextsAreReadWithinTheirFields) {
  BuiltRows run;
  StKOTEISHISANINFO m = Asset("", 6);
  std::memset(m.szCode, 'C', sizeof m.szCode);
  std::memset(m.szName, 'N', sizeof m.szName);
  std::memset(m.szQuantity, '9', sizeof m.szQuantity);
  std::memset(m.szMemo, 'M', sizeof m.szMemo);
  std::memset(m.szCapexLink, 'X', sizeof m.szCapexLink);
  run.Row(m);
  EXPECT_EQ(run.Col(0, 1), "CCCCCC");
  EXPECT_EQ(run.Col(0, 10), std::string(32, 'N'));
  EXPECT_EQ(run.Col(0, 14), "999999999.00");
  EXPECT_EQ(run.Col(0, 6), "台帳＋申告書");
  ASSERT_GE(run.entries().size(), 3u);
  EXPECT_EQ(run.entries()[0], W1(std::string(16, 'C')));
  // The whole name of 193 bytes is in the remark (the log keeps 152 bytes of it).
  EXPECT_EQ(run.entries()[1], "\n＜WARNING＞\n資産名称｢" + std::string(193, 'N') +
                                  "｣は、\n連携可能最大文字数をオーバーしています。\n超過した文字は、自動的に"
                                  "切り捨てられます。");
}

TEST(AssetRowTest, SeparatorsAndLineEndsNeverSplitARow) {
  BuiltRows run;
  StKOTEISHISANINFO m = Asset("1,2");
  std::strcpy(m.szName, "机,椅子");
  std::strcpy(m.szMemo, "一行目\r\n二行目,");
  std::strcpy(m.szQuantity, "2,000,");
  run.Row(m);
  StIKKATSUINFO item = Item(1, "a,b\nc");
  run.Items(Asset("9", 4), {item});
  ASSERT_EQ(run.rows().size(), 2u);
  for (const auto& row : run.rows()) EXPECT_EQ(row.size(), 151u);
  EXPECT_EQ(run.Col(0, 1), "0001､2");
  EXPECT_EQ(run.Col(0, 10), "机､椅子");
  EXPECT_EQ(run.Col(0, 14), "2000.00");
  EXPECT_EQ(run.Col(0, 15), "､");
  EXPECT_EQ(run.Col(0, 150), "一行目  二行目､");
  EXPECT_EQ(run.Col(1, 10), "a､b c");
  // The remarks show the values as delivered.
  EXPECT_EQ(run.entries()[0], E1("0001,2"));
}

TEST(AssetRowTest, EveryRowHas151Fields) {
  BuiltRows run;
  run.Row(Asset("1"));
  StKOTEISHISANINFO m = Asset("2", 5);
  m.lMethodRefDate = 20130401;
  run.Row(m);
  for (const auto& row : run.rows()) EXPECT_EQ(row.size(), 151u);
}

const std::string kW5 =
    "\n＜WARNING＞\n連携可能な最大内訳件数は99件です。\n100件目から後の内訳は出力されません。";
std::string W6(const std::string& code, const std::string& number) {
  return "\n＜WARNING＞\n資産コード+内訳付番｢" + code + number +
         "｣は、連携可能最大桁数をオーバーしています。\nデータが、正しく連携されない可能性があります。";
}
std::string E3(const std::string& column1) {
  return "\n＜ERROR＞\n資産コード｢" + column1 + "｣には、半角英数以外の文字が使用されています。";
}
std::string E4(const std::string& code, const std::string& number, const std::string& column1) {
  return "\n＜ERROR＞\n資産コード｢" + code + "｣と内訳付番｢" + number + "｣から構成される\n資産・内訳コード｢" +
         column1 + "｣は、\n他の資産･内訳コードと重複しています。";
}
std::string E5(const std::string& column1, const std::string& code) {
  return "\n＜ERROR＞\n資産コード+内訳付番｢" + column1 + "｣は、\n資産コード｢" + code +
         "｣が他の資産コードと重複してしまいます。";
}

std::vector<StIKKATSUINFO> Numbered(int from, int to) {
  std::vector<StIKKATSUINFO> items;
  for (int i = from; i <= to; ++i) items.push_back(Item(i));
  return items;
}

TEST(BreakdownRowTest, CodesAndTheNumberingLimit) {
  BuiltRows run;
  StKOTEISHISANINFO m = Asset("123", 4);
  m.sBusinessRatio = 5000;
  m.sSgaShare = 30;
  m.lTypeCode = 5;
  std::strcpy(m.szMemo, "memo");
  std::strcpy(m.szQuantity, "3台");
  m.cyResidualValue = Yen(10);
  m.cySgaAmount = Yen(20);
  std::vector<StIKKATSUINFO> items = Numbered(1, 3);
  items[0].lQuantity = 150;
  items[0].lAcquisitionDate = 20200401;
  items[0].cyAcquisitionCost = Yen(5000);
  std::strcpy(items[0].szName, "机");
  items[2].lQuantity = 100000000;  // one million
  run.Items(m, items);
  StKOTEISHISANINFO many = Asset("X9", 4);
  run.Items(many, Numbered(1, 100));  // the exporter passes no more than 100

  ASSERT_EQ(run.rows().size(), 3u + 99u);
  EXPECT_EQ(run.Col(0, 1), "00012301");
  EXPECT_EQ(run.Col(1, 1), "00012302");
  EXPECT_EQ(run.Col(2, 1), "00012303");
  EXPECT_EQ(run.Col(3, 1), "0000X901");
  EXPECT_EQ(run.Col(101, 1), "0000X999");
  EXPECT_EQ(run.Col(0, 5), "一括決算");
  EXPECT_EQ(run.Col(0, 10), "机");
  EXPECT_EQ(run.Col(0, 13), "20200401");
  EXPECT_EQ(run.Col(0, 14), "1.50");
  EXPECT_EQ(run.Col(1, 14), "0.00");
  EXPECT_EQ(run.Col(2, 14), "1000000.00");
  EXPECT_EQ(run.Col(0, 23), "5000");
  EXPECT_EQ(run.Col(1, 23), "");
  EXPECT_EQ(run.Col(0, 70), "50.00");
  EXPECT_EQ(run.Col(0, 71), "100.00");
  EXPECT_EQ(run.Col(0, 84), "30.00");
  EXPECT_EQ(run.Col(0, 85), "100.00");
  EXPECT_EQ(run.Col(0, 87), "70.00");
  EXPECT_EQ(run.Col(0, 88), "100.00");
  // Nothing of the master's own columns.
  for (int c : {3, 15, 31, 69, 81, 86, 89, 93, 150, 151}) EXPECT_EQ(run.Col(0, c), "") << c;
  for (const auto& row : run.rows()) EXPECT_EQ(row.size(), 151u);

  std::vector<std::string> expected = {
      "\n＜WARNING＞\n数量｢1000000.00｣は、連携可能最大桁数をオーバーしています。\n"
      "減価償却データが、正しく連携されない可能性があります。",
      kW5,
  };
  EXPECT_EQ(run.entries(), expected);
}

TEST(BreakdownRowTest, LongCodesAndDuplicates) {
  BuiltRows run;
  run.Items(Asset("1234567", 4), {Item(5), Item(12)});
  run.Items(Asset("12345678", 4), {Item(1)});
  run.Row(Asset("000777"));  // an ordinary asset first
  run.Items(Asset("777", 4), {Item(1), Item(2)});
  run.Items(Asset("A888", 4), {Item(1), Item(2)});  // same six characters as below
  run.Items(Asset("B00A888", 4), {Item(1), Item(2), Item(3)});
  run.Items(Asset("12-4", 4), {Item(1), Item(2)});
  run.Items(Asset("12-4", 4), {Item(1)});
  EXPECT_EQ(run.Col(0, 1), "23456705");
  EXPECT_EQ(run.Col(1, 1), "23456712");
  EXPECT_EQ(run.Col(2, 1), "34567801");
  EXPECT_EQ(run.Col(4, 1), "00077701");
  EXPECT_EQ(run.Col(10, 1), "00A88803");
  EXPECT_EQ(run.Col(11, 1), "0012-401");
  EXPECT_EQ(run.rows().size(), 14u);
  std::vector<std::string> expected = {
      W6("1234567", "12"),
      W6("12345678", "1"),
      E5("00077701", "777"),
      E5("00077702", "777"),
  };
  // 7 + 1 bytes: no W6; items 1 and 2 repeat the codes of "A888".
  expected.push_back(E4("B00A888", "1", "00A88801"));
  expected.push_back(E4("B00A888", "2", "00A88802"));
  expected.push_back(E3("0012-401"));
  expected.push_back(E3("0012-402"));
  expected.push_back(E3("0012-401"));
  EXPECT_EQ(run.entries(), expected);
}

TEST(BreakdownRowTest, ItemNamesAreCutWithoutSplittingCharacters) {
  BuiltRows run;
  std::string name = std::string(31, 'i') + "品名品名";  // 39 bytes; byte 32 starts a character
  std::string forty = std::string(40, 'j');
  StIKKATSUINFO a = Item(1, name.c_str());
  StIKKATSUINFO b = Item(2, forty.c_str());
  StIKKATSUINFO c = Item(3);
  std::memset(c.szName, 'k', sizeof c.szName);  // no terminator in the field
  run.Items(Asset("55", 4), {a, b, c});
  EXPECT_EQ(run.Col(0, 10), std::string(31, 'i'));
  EXPECT_EQ(run.Col(1, 10), std::string(32, 'j'));
  EXPECT_EQ(run.Col(2, 10), std::string(32, 'k'));
  auto w7 = [](const std::string& n) {
    return ("\n＜WARNING＞\n内訳名称｢" + n +
            "｣は、\n連携可能最大文字数をオーバーしています。\n超過した文字は、自動的に切り捨てられます。");
  };
  ASSERT_EQ(run.entries().size(), 3u);
  EXPECT_EQ(run.entries()[0], w7(name));
  EXPECT_EQ(run.entries()[1], w7(forty));
  EXPECT_EQ(run.entries()[2], w7(std::string(83, 'k')));
}

}  // namespace
