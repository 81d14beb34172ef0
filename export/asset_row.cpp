// The row of an ordinary asset, and what the breakdown rows share with it.
#include <cstdio>
#include <cstring>

#include "export/asset_exporter.h"
#include "export/asset_types.h"
#include "platform/cp932.h"

namespace {

constexpr int64_t kYen = 10000;  // one yen in ten-thousandths

const char* MethodText(int16_t method) {
  switch (method) {
    case 1: return "旧定率法";
    case 2: return "旧定額法";
    case 3: return "均等法";
    case 5: return "定率法";
    case 6: return "定額法";
    case 7: return "少額資産";
    case 8: return "定率法";
    default: return "";
  }
}

// Methods whose rows carry no residual value or depreciable limit.
bool IsNewMethod(int16_t method) { return method >= 5 && method <= 8; }

// The current depreciation is written when one of these holds.
bool CurrentPeriodRule(const StKOTEISHISANINFO& m, const StKOTEINENINFO& y) {
  const int16_t method = m.sMethodCode;
  const int32_t acquired = m.lAcquisitionDate;
  const int32_t reference = m.lMethodRefDate;
  return (y.cyEnteredCurrentDepreciation.int64 != 0 && method != 7) ||
         ((method == 5 || method == 6 || method == 8) && acquired < 20070401) ||
         ((method == 1 || method == 2) && acquired >= 20070401) ||
         (method == 8 && reference <= 20130331) ||
         (method == 5 && reference > 20130331);
}

}  // namespace

int32_t AssetExporter::WriteRow(StKOTEISHISANINFO* master, StKOTEINENINFO* year, StKOTEITSUKIINFO*,
                                StIKKATSUINFO* item) {
  ClTextAccessor& accessor = writer_.asset_row;
  writer_.files[kAssetDataFile].Attach(&accessor);
  accessor.SetMode(ClTextAccessor::DELIM_COMMA, ClTextAccessor::QUOTE_NONE);
  if (master == nullptr) return 1;
  if (master->sMethodCode == 4) {
    if (item != nullptr) WriteBreakdownRow(*master, *item);
  } else if (year != nullptr) {
    WriteAssetRow(*master, *year);
  }
  return 1;
}

// Column 10 holds at most 32 bytes of whole characters; a longer name is cut
// and the cut is remarked with the name as delivered.
void AssetExporter::NameColumn(AssetRow& row, std::string_view name, const char* label) {
  row.Text(10, name.substr(0, cp932::CutLength(name, 32)));
  if (name.size() > 32) LogCutText(label, name);
}

// The warning for a text that was cut to fit its columns.
void AssetExporter::LogCutText(const char* label, std::string_view text) {
  Remarkf("\n＜WARNING＞\n%s｢%.*s｣は、\n連携可能最大文字数をオーバーしています。\n"
          "超過した文字は、自動的に切り捨てられます。",
          label, PrintLength(text), text.data());
}

void AssetExporter::AmountColumn(AssetRow& row, int column, int64_t amount) {
  char text[kAmountTextSize];
  FormatAmount(amount, text, &writer_);
  row.Text(column, text);
}

// A real value in a currency column. A value beyond the decimal range is
// treated like an amount over the digit limit: the amount error, and the
// column stays empty.
void AssetExporter::RealColumn(AssetRow& row, int column, double value) {
  int64_t amount = 0;
  if (AmountFromReal(value, &amount)) {
    row.Currency(column, amount);
    return;
  }
  LogRealOutOfRange(value, &writer_);
}

// Columns 70, 71, 84, 85, 87 and 88: the business-use ratio and the shares
// of the selling-and-administration and manufacturing costs, over 100.
void AssetExporter::RatioColumns(AssetRow& row, const StKOTEISHISANINFO& m) {
  Decimal ratio;
  if (Decimal::Divide(Decimal::FromAmount(m.sBusinessRatio * kYen), Decimal::FromAmount(100 * kYen),
                      &ratio)) {
    row.Currency(70, ratio.ToAmount());
  }
  row.Currency(71, 100 * kYen);
  row.Currency(84, m.sSgaShare * kYen);
  row.Currency(85, 100 * kYen);
  row.Currency(87, (100 - m.sSgaShare) * kYen);
  row.Currency(88, 100 * kYen);
}

// Column 67: computed + special + increased depreciation, whole yen cut
// toward zero, "0" for zero. A text that does not fit the column's 12 bytes
// (or a sum beyond the decimal range) becomes asterisks with the amount
// error, never a cut number.
void AssetExporter::CurrentDepreciationColumn(AssetRow& row, const StKOTEINENINFO& y) {
  const int64_t parts[3] = {y.cyComputedDepreciation.int64, y.cySpecialDepreciation.int64,
                            y.cyIncreasedDepreciation.int64};
  Decimal sum = Decimal::FromAmount(parts[0]);
  bool in_range = Decimal::Add(sum, Decimal::FromAmount(parts[1]), &sum) &&
                  Decimal::Add(sum, Decimal::FromAmount(parts[2]), &sum);
  __int128 exact = static_cast<__int128>(parts[0]) + parts[1] + parts[2];
  char text[42];
  size_t n = WholeYenText(in_range ? sum.Value() : exact, text);
  if (!in_range || n > 12) {
    LogAmountError(std::string_view(text, n), &writer_);
    row.Text(67, kAmountOverflowText);
    return;
  }
  row.Text(67, text);
}

void AssetExporter::WriteAssetRow(const StKOTEISHISANINFO& m, const StKOTEINENINFO& y) {
  AssetRow row(writer_.asset_row.record);
  row.Clear();
  const int16_t method = m.sMethodCode;
  const int32_t type_code = m.lTypeCode;
  char text[64];

  // Asset code: the last six bytes of whole characters, zero-filled.
  std::string_view code = cp932::FieldText(m.szCode, sizeof m.szCode);
  char column1[8];
  CodePart(code, 6, column1);
  row.Text(1, column1);
  if (code.size() > 6) {
    Remarkf("\n＜WARNING＞\n資産コード｢%.*s｣は、連携可能最大桁数をオーバーしています。\n"
            "データが、正しく連携されない可能性があります。",
            PrintLength(code), code.data());
  }
  if (!CheckChars(column1)) {
    Remarkf("\n＜ERROR＞\n資産コード｢%s｣には、半角英数以外の文字が使用されています。", column1);
  } else if (writer_.codes.RegisterCode(column1) != CodeRegister::kAdded) {
    Remarkf("\n＜ERROR＞\n資産コード｢%.*s｣は、他の資産コードと重複してしまいます。", PrintLength(code),
            code.data());
  }

  // Asset type code: two characters are kept.
  std::snprintf(text, sizeof text, "%02d", type_code);
  row.Text(3, text);
  if (type_code / 100 != 0) {
    Remarkf("\n＜WARNING＞\n資産種類コード｢%d｣は、連携可能最大桁数をオーバーしています。\n"
            "データが、正しく連携されない可能性があります。",
            type_code);
  }

  row.Text(5, type_code == 11 ? "非償却資産" : MethodText(method));
  std::string_view capex = cp932::FieldText(m.szCapexLink, sizeof m.szCapexLink);
  if (method != 7 && !capex.empty()) row.Text(6, "台帳＋申告書");

  NameColumn(row, cp932::FieldText(m.szName, sizeof m.szName), "資産名称");

  row.Int32(13, m.lAcquisitionDate);
  QuantitySplit quantity = SplitQuantity(cp932::FieldText(m.szQuantity, sizeof m.szQuantity), &writer_);
  if (quantity.in_range) row.Currency(14, quantity.quantity);
  row.Text(15, quantity.unit);

  if (m.sUsefulLife != 0) row.Int16(16, m.sUsefulLife);
  if (m.lDepreciationRate != 0 && method != 3 && method != 7) {
    RealColumn(row, 20, static_cast<float>(m.lDepreciationRate) * 0.001f);
  }
  if (method == 5 && m.lMethodRefDate >= 20120401 && m.lMethodRefDate <= 20130331) {
    row.Text(21, "250%定率法");
  }
  if (method == 3) {
    std::snprintf(text, sizeof text, "%d", m.sUsefulLife * 12);
    row.Text(22, text);
  }
  AmountColumn(row, 23, m.cyAcquisitionCost.int64);
  if (method != 7) AmountColumn(row, 25, m.cyCompressedAmount.int64);
  if (m.lResidualRate != 0 && !IsNewMethod(method)) row.Int32(29, m.lResidualRate);
  if (!IsNewMethod(method)) AmountColumn(row, 31, m.cyResidualValue.int64);
  const int64_t limit = m.cyDepreciableLimit.int64;
  if (m.ucLimitKind == 0 && limit != 0 && !IsNewMethod(method)) {
    row.Int32(34, static_cast<int32_t>(limit / kYen));
  }
  if (!IsNewMethod(method) && (type_code == 10 || (m.ucLimitKind == 1 && limit != 0))) {
    row.Text(35, "*");
    AmountColumn(row, 36, type_code == 10 ? m.cyResidualValue.int64 : limit);
  }
  if (m.ucMonthsEntered == 1) {
    row.Text(39, "*");
    // A denominator of 0 gives no months; the column stays empty.
    if (m.sMonthsDenominator != 0) {
      row.Int16(40, static_cast<int16_t>(12 / m.sMonthsDenominator * m.sMonthsNumerator));
    }
  }
  if (method != 7) AmountColumn(row, 42, m.cyOpeningBookValue.int64);
  if (method == 5 || method == 8) {
    row.Text(47, "*");
    AmountColumn(row, 48, RevisedCost(m));
  }
  if (method != 7) AmountColumn(row, 51, m.cyDepreciationBase.int64);
  if (y.cyComputedDepreciation.int64 != 0 && method != 7) {
    row.Text(52, "*");
    AmountColumn(row, 53, y.cyComputedDepreciation.int64);
  }
  if (y.cyIncreasedDepreciation.int64 != 0) {
    row.Text(56, "*");
    AmountColumn(row, 57, y.cyIncreasedDepreciation.int64);
  }
  if (y.cySpecialDepreciation.int64 != 0) {
    row.Text(58, "特別");
    row.Text(62, "*");
    AmountColumn(row, 63, y.cySpecialDepreciation.int64);
    row.Text(64, "償却");
  }
  if (CurrentPeriodRule(m, y)) {
    row.Text(66, "*");
    CurrentDepreciationColumn(row, y);
  }
  if (method != 7) row.Int32(69, 100);
  RatioColumns(row, m);
  const bool sold = m.sDisposalKind == 4;
  const bool retired = m.sDisposalKind == 5;
  if (sold || retired) {
    row.Int32(72, m.lDisposalDate);
    if (method != 7) {
      row.Text(73, "除却日まで償却");
      row.Text(74, sold ? "売却" : "除却");
    }
  }
  if (sold && method != 7) AmountColumn(row, 75, m.cyDisposalPrice.int64);
  AmountColumn(row, 81, m.cyClosingBookValue.int64);
  if (method != 7) AmountColumn(row, 83, m.cyAccumulatedDepreciation.int64);
  AmountColumn(row, 86, m.cySgaAmount.int64);
  AmountColumn(row, 89, m.cyMfgAmount.int64);
  row.Text(93, TaxReturnType(type_code));
  if (sold) row.Text(116, "売却");

  // Memo: two columns of 20 bytes, each cut without splitting a character.
  std::string_view memo = cp932::FieldText(m.szMemo, sizeof m.szMemo);
  std::string_view upper = memo.substr(0, cp932::CutLength(memo, 20));
  std::string_view rest = memo.substr(upper.size());
  std::string_view lower = rest.substr(0, cp932::CutLength(rest, 20));
  row.Text(150, upper);
  row.Text(151, lower);
  if (upper.size() + lower.size() < memo.size()) LogCutText("メモ欄", memo);

  row.ApplyMask(&writer_.asset_row);
  writer_.WriteLine(kAssetDataFile, &writer_.asset_row);
}
