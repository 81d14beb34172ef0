#include "export/asset_row_builder.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "export/asset_types.h"
#include "platform/cp932.h"

namespace {

constexpr int64_t kYen = 10000;  // one yen in ten-thousandths

const char* MethodText(int16_t method) {
  switch (method) {
    case kMethodOldDecliningBalance: return "旧定率法";
    case kMethodOldStraightLine: return "旧定額法";
    case kMethodEqualInstallments: return "均等法";
    case kMethodDecliningBalance1: return "定率法";
    case kMethodStraightLine: return "定額法";
    case kMethodSmallAmount: return "少額資産";
    case kMethodDecliningBalance2: return "定率法";
    default: return "";
  }
}

// Methods whose rows carry no residual value or depreciable limit.
bool IsNewMethod(int16_t method) {
  return method >= kMethodDecliningBalance1 && method <= kMethodDecliningBalance2;
}

// The dates that the depreciation rules turn on.
constexpr int32_t kMethodsReformed = 20070401;  // acquired from then on: the new methods apply
constexpr int32_t kRate250From = 20120401;      // the 250% declining balance: reference dates
constexpr int32_t kRate250To = 20130331;        //   from kRate250From to kRate250To

// The current depreciation is written when one of these holds.
bool CurrentPeriodRule(const StKOTEISHISANINFO& m, const StKOTEINENINFO& y) {
  const int16_t method = m.sMethodCode;
  const int32_t acquired = m.lAcquisitionDate;
  const int32_t reference = m.lMethodRefDate;
  return (y.cyEnteredCurrentDepreciation.int64 != 0 && method != kMethodSmallAmount) ||
         ((method == kMethodDecliningBalance1 || method == kMethodStraightLine ||
           method == kMethodDecliningBalance2) &&
          acquired < kMethodsReformed) ||
         ((method == kMethodOldDecliningBalance || method == kMethodOldStraightLine) &&
          acquired >= kMethodsReformed) ||
         (method == kMethodDecliningBalance2 && reference <= kRate250To) ||
         (method == kMethodDecliningBalance1 && reference > kRate250To);
}

}  // namespace

bool AssetRowBuilder::Build(const StKOTEISHISANINFO& master, const StKOTEINENINFO& year,
                            const StIKKATSUINFO& item, AssetRow* row) {
  row->Clear();
  if (master.sMethodCode == kMethodLumpSum) return BreakdownColumns(*row, master, item);
  AssetColumns(*row, master, year);
  return true;
}

// Column 10 holds at most 32 bytes of whole characters; a longer name is cut
// and the cut is remarked with the name as delivered.
void AssetRowBuilder::NameColumn(AssetRow& row, std::string_view name, const char* label) {
  constexpr size_t kNameBytes = 32;
  row.Text(kColName, name.substr(0, cp932::CutLength(name, kNameBytes)));
  if (name.size() > kNameBytes) LogCutText(label, name);
}

// The warning for a text that was cut to fit its columns.
void AssetRowBuilder::LogCutText(const char* label, std::string_view text) {
  Remarkf(
      "\n＜WARNING＞\n%s｢%.*s｣は、\n連携可能最大文字数をオーバーしています。\n"
      "超過した文字は、自動的に切り捨てられます。",
      label, PrintLength(text), text.data());
}

void AssetRowBuilder::AmountColumn(AssetRow& row, int column, int64_t amount) {
  char text[kAmountTextSize];
  FormatAmount(amount, text, remarks_);
  row.OwnText(column, text);
}

// A real value in a currency column. A value beyond the decimal range is
// treated like an amount over the digit limit: the amount error, and the
// column stays empty.
void AssetRowBuilder::RealColumn(AssetRow& row, int column, double value) {
  int64_t amount = 0;
  if (AmountFromReal(value, &amount)) {
    row.Currency(column, amount);
    return;
  }
  LogRealOutOfRange(value, remarks_);
}

// The business-use ratio and the shares of the selling-and-administration
// and manufacturing costs, each over 100.
void AssetRowBuilder::RatioColumns(AssetRow& row, const StKOTEISHISANINFO& m) {
  Decimal ratio;
  if (Decimal::Divide(Decimal::FromAmount(m.sBusinessRatio * kYen), Decimal::FromAmount(100 * kYen),
                      &ratio)) {
    row.Currency(kColBusinessRatio, ratio.ToAmount());
  }
  row.Currency(kColBusinessRatioBase, 100 * kYen);
  row.Currency(kColSgaShare, m.sSgaShare * kYen);
  row.Currency(kColSgaShareBase, 100 * kYen);
  row.Currency(kColMfgShare, (100 - m.sSgaShare) * kYen);
  row.Currency(kColMfgShareBase, 100 * kYen);
}

// The current depreciation: computed + special + increased depreciation, whole yen cut
// toward zero, "0" for zero. A text that does not fit the column's 12 bytes
// (or a sum beyond the decimal range) becomes asterisks with the amount
// error, never a cut number.
void AssetRowBuilder::CurrentDepreciationColumn(AssetRow& row, const StKOTEINENINFO& y) {
  const int64_t parts[3] = {y.cyComputedDepreciation.int64, y.cySpecialDepreciation.int64,
                            y.cyIncreasedDepreciation.int64};
  Decimal sum = Decimal::FromAmount(parts[0]);
  bool in_range = Decimal::Add(sum, Decimal::FromAmount(parts[1]), &sum) &&
                  Decimal::Add(sum, Decimal::FromAmount(parts[2]), &sum);
  __int128 exact = static_cast<__int128>(parts[0]) + parts[1] + parts[2];
  char text[42];
  size_t n = WholeYenText(in_range ? sum.Value() : exact, text);
  if (!in_range || n > 12) {
    LogAmountError(std::string_view(text, n), remarks_);
    row.OwnText(kColCurrent, kAmountOverflowText);
    return;
  }
  row.OwnText(kColCurrent, text);
}

void AssetRowBuilder::AssetColumns(AssetRow& row, const StKOTEISHISANINFO& m, const StKOTEINENINFO& y) {
  CodeColumn(row, m);
  KindColumns(row, m);
  NameColumn(row, cp932::FieldText(m.szName, sizeof m.szName), "資産名称");
  QuantityColumns(row, m);
  BasisColumns(row, m);
  DepreciationColumns(row, m, y);
  RatioColumns(row, m);
  DisposalColumns(row, m);
  BookColumns(row, m);
  MemoColumns(row, m);
}

// Column 1: the last six bytes of whole characters of the asset code,
// zero-filled; checked and registered.
void AssetRowBuilder::CodeColumn(AssetRow& row, const StKOTEISHISANINFO& m) {
  constexpr size_t kCodeBytes = 6;
  std::string_view code = cp932::FieldText(m.szCode, sizeof m.szCode);
  char column1[kCodeBytes + 2];
  CodePart(code, kCodeBytes, column1);
  row.Text(kColCode, column1);
  if (code.size() > kCodeBytes) {
    Remarkf(
        "\n＜WARNING＞\n資産コード｢%.*s｣は、連携可能最大桁数をオーバーしています。\n"
        "データが、正しく連携されない可能性があります。",
        PrintLength(code), code.data());
  }
  if (!CheckChars(column1)) {
    Remarkf("\n＜ERROR＞\n資産コード｢%s｣には、半角英数以外の文字が使用されています。", column1);
  } else if (codes_.RegisterCode(column1) != CodeRegister::kAdded) {
    Remarkf("\n＜ERROR＞\n資産コード｢%.*s｣は、他の資産コードと重複してしまいます。", PrintLength(code),
            code.data());
  }
}

// The asset type code (two characters are kept), the method and the
// capital expenditure.
void AssetRowBuilder::KindColumns(AssetRow& row, const StKOTEISHISANINFO& m) {
  const int32_t type_code = m.lTypeCode;
  char text[16];
  if (type_code >= 0 && type_code < 100) {
    // "%02d" of the common codes, without printf's cost on every row.
    text[0] = static_cast<char>('0' + type_code / 10);
    text[1] = static_cast<char>('0' + type_code % 10);
    text[2] = '\0';
  } else {
    std::snprintf(text, sizeof text, "%02d", type_code);
  }
  row.OwnText(kColTypeCode, text);
  if (type_code / 100 != 0) {
    Remarkf(
        "\n＜WARNING＞\n資産種類コード｢%d｣は、連携可能最大桁数をオーバーしています。\n"
        "データが、正しく連携されない可能性があります。",
        type_code);
  }
  row.OwnText(kColMethod, type_code == kTypeLand ? "非償却資産" : MethodText(m.sMethodCode));
  std::string_view capex = cp932::FieldText(m.szCapexLink, sizeof m.szCapexLink);
  if (m.sMethodCode != kMethodSmallAmount && !capex.empty())
    row.OwnText(kColCapitalExpenditure, "台帳＋申告書");
}

// The acquisition date and the quantity text split into quantity and unit.
void AssetRowBuilder::QuantityColumns(AssetRow& row, const StKOTEISHISANINFO& m) {
  row.Int32(kColAcquisitionDate, m.lAcquisitionDate);
  QuantitySplit quantity = SplitQuantity(cp932::FieldText(m.szQuantity, sizeof m.szQuantity), remarks_);
  if (quantity.in_range) row.Currency(kColQuantity, quantity.quantity);
  row.Text(kColUnit, quantity.unit);
}

// What the depreciation is computed from: life, rate, cost, residual value,
// limit, months, book values.
void AssetRowBuilder::BasisColumns(AssetRow& row, const StKOTEISHISANINFO& m) {
  const int16_t method = m.sMethodCode;
  const bool small = method == kMethodSmallAmount;
  char text[16];
  if (m.sUsefulLife != 0) row.Int16(kColUsefulLife, m.sUsefulLife);
  if (m.lDepreciationRate != 0 && method != kMethodEqualInstallments && !small) {
    RealColumn(row, kColRate, static_cast<float>(m.lDepreciationRate) * 0.001f);
  }
  if (method == kMethodDecliningBalance1 && m.lMethodRefDate >= kRate250From &&
      m.lMethodRefDate <= kRate250To) {
    row.OwnText(kColTransitional, "250%定率法");
  }
  if (method == kMethodEqualInstallments) {
    std::snprintf(text, sizeof text, "%d", m.sUsefulLife * 12);
    row.OwnText(kColInstallmentMonths, text);
  }
  AmountColumn(row, kColAcquisitionCost, m.cyAcquisitionCost.int64);
  if (!small) AmountColumn(row, kColCompressedAmount, m.cyCompressedAmount.int64);
  if (m.lResidualRate != 0 && !IsNewMethod(method)) row.Int32(kColResidualRate, m.lResidualRate);
  if (!IsNewMethod(method)) AmountColumn(row, kColResidualValue, m.cyResidualValue.int64);
  const int64_t limit = m.cyDepreciableLimit.int64;
  if (m.ucLimitKind == 0 && limit != 0 && !IsNewMethod(method)) {
    row.Int32(kColLimitRate, static_cast<int32_t>(limit / kYen));
  }
  if (!IsNewMethod(method) &&
      (m.lTypeCode == kTypeLumpSumDepreciable || (m.ucLimitKind == 1 && limit != 0))) {
    row.OwnText(kColLimitEntered, "*");
    AmountColumn(row, kColLimit, m.lTypeCode == kTypeLumpSumDepreciable ? m.cyResidualValue.int64 : limit);
  }
  if (m.ucMonthsEntered == 1) {
    row.OwnText(kColMonthsEntered, "*");
    // A denominator of 0 gives no months; the column stays empty.
    if (m.sMonthsDenominator != 0) {
      row.Int16(kColMonths, static_cast<int16_t>(12 / m.sMonthsDenominator * m.sMonthsNumerator));
    }
  }
  if (!small) AmountColumn(row, kColOpeningBookValue, m.cyOpeningBookValue.int64);
}

// The depreciation of the period: revised cost, base, computed, increased,
// special and current depreciation.
void AssetRowBuilder::DepreciationColumns(AssetRow& row, const StKOTEISHISANINFO& m,
                                          const StKOTEINENINFO& y) {
  const int16_t method = m.sMethodCode;
  const bool small = method == kMethodSmallAmount;
  if (method == kMethodDecliningBalance1 || method == kMethodDecliningBalance2) {
    row.OwnText(kColRevisedCostEntered, "*");
    AmountColumn(row, kColRevisedCost, RevisedCost(m));
  }
  if (!small) AmountColumn(row, kColDepreciationBase, m.cyDepreciationBase.int64);
  if (y.cyComputedDepreciation.int64 != 0 && !small) {
    row.OwnText(kColComputedEntered, "*");
    AmountColumn(row, kColComputed, y.cyComputedDepreciation.int64);
  }
  if (y.cyIncreasedDepreciation.int64 != 0) {
    row.OwnText(kColIncreasedEntered, "*");
    AmountColumn(row, kColIncreased, y.cyIncreasedDepreciation.int64);
  }
  if (y.cySpecialDepreciation.int64 != 0) {
    row.OwnText(kColSpecialKind, "特別");
    row.OwnText(kColSpecialEntered, "*");
    AmountColumn(row, kColSpecial, y.cySpecialDepreciation.int64);
    row.OwnText(kColAccountingKind, "償却");
  }
  if (CurrentPeriodRule(m, y)) {
    row.OwnText(kColCurrentEntered, "*");
    CurrentDepreciationColumn(row, y);
  }
  if (!small) row.Int32(kColImplementationRate, 100);
}

// A sold or retired asset: the date, the method, the kind and the price.
void AssetRowBuilder::DisposalColumns(AssetRow& row, const StKOTEISHISANINFO& m) {
  const bool small = m.sMethodCode == kMethodSmallAmount;
  const bool sold = m.sDisposalKind == kDisposalSold;
  const bool retired = m.sDisposalKind == kDisposalRetired;
  if (sold || retired) {
    row.Int32(kColDisposalDate, m.lDisposalDate);
    if (!small) {
      row.OwnText(kColDisposalMethod, "除却日まで償却");
      row.OwnText(kColDisposalKind, sold ? "売却" : "除却");
    }
  }
  if (sold && !small) AmountColumn(row, kColDisposalPrice, m.cyDisposalPrice.int64);
  if (sold) row.OwnText(kColReductionReason, "売却");
}

// The closing book value, the accumulated depreciation, the cost shares and
// the tax-return asset type.
void AssetRowBuilder::BookColumns(AssetRow& row, const StKOTEISHISANINFO& m) {
  AmountColumn(row, kColClosingBookValue, m.cyClosingBookValue.int64);
  if (m.sMethodCode != kMethodSmallAmount)
    AmountColumn(row, kColAccumulated, m.cyAccumulatedDepreciation.int64);
  AmountColumn(row, kColSgaAmount, m.cySgaAmount.int64);
  AmountColumn(row, kColMfgAmount, m.cyMfgAmount.int64);
  row.OwnText(kColTaxReturnType, TaxReturnType(m.lTypeCode));
}

// The memo: two columns of 20 bytes, each cut without splitting a character.
void AssetRowBuilder::MemoColumns(AssetRow& row, const StKOTEISHISANINFO& m) {
  constexpr size_t kMemoColumnBytes = 20;
  std::string_view memo = cp932::FieldText(m.szMemo, sizeof m.szMemo);
  std::string_view upper = memo.substr(0, cp932::CutLength(memo, kMemoColumnBytes));
  std::string_view rest = memo.substr(upper.size());
  std::string_view lower = rest.substr(0, cp932::CutLength(rest, kMemoColumnBytes));
  row.Text(kColMemoUpper, upper);
  row.Text(kColMemoLower, lower);
  if (upper.size() + lower.size() < memo.size()) LogCutText("メモ欄", memo);
}

// The breakdown row: one row per item under an 8-byte code made of the asset
// code part and the item's breakdown part.
bool AssetRowBuilder::BreakdownColumns(AssetRow& row, const StKOTEISHISANINFO& m, const StIKKATSUINFO& item) {
  std::string_view code = cp932::FieldText(m.szCode, sizeof m.szCode);
  std::string_view number = cp932::FieldText(item.szBreakdownNo, sizeof item.szBreakdownNo);
  constexpr size_t kCodeBytes = 6, kNumberBytes = 2;
  char column1[16];
  size_t n = CodePart(code, kCodeBytes, column1);
  CodePart(number, kNumberBytes, column1 + n);
  // Only 99 items fit the two digits: the 100th gives "00" and no row.
  if (std::atoi(column1 + n) == 0) {
    remarks_->Remark(
        "\n＜WARNING＞\n連携可能な最大内訳件数は99件です。\n100件目から後の内訳は出力されません。");
    return false;
  }
  row.Text(kColCode, column1);
  if (code.size() + number.size() > kCodeBytes + kNumberBytes) {
    Remarkf(
        "\n＜WARNING＞\n資産コード+内訳付番｢%.*s%.*s｣は、連携可能最大桁数をオーバーしています。\n"
        "データが、正しく連携されない可能性があります。",
        PrintLength(code), code.data(), PrintLength(number), number.data());
  }
  // Column 1 shown as "%08s" would show it: zero-filled to eight bytes.
  char shown[16];
  ZeroPadLeft(column1, kCodeBytes + kNumberBytes, shown);
  if (!CheckChars(column1)) {
    Remarkf("\n＜ERROR＞\n資産コード｢%s｣には、半角英数以外の文字が使用されています。", shown);
  } else {
    switch (codes_.RegisterCode(column1)) {
      case CodeRegister::kDuplicate:
        Remarkf(
            "\n＜ERROR＞\n資産コード｢%.*s｣と内訳付番｢%.*s｣から構成される\n資産・内訳コード｢%s｣は、\n"
            "他の資産･内訳コードと重複しています。",
            PrintLength(code), code.data(), PrintLength(number), number.data(), shown);
        break;
      case CodeRegister::kPrefixDuplicate:
        Remarkf(
            "\n＜ERROR＞\n資産コード+内訳付番｢%s｣は、\n資産コード｢%.*"
            "s｣が他の資産コードと重複してしまいます。",
            shown, PrintLength(code), code.data());
        break;
      case CodeRegister::kAdded: break;
    }
  }

  row.OwnText(kColMethod, "一括決算");
  NameColumn(row, cp932::FieldText(item.szName, sizeof item.szName), "内訳名称");
  row.Int32(kColAcquisitionDate, item.lAcquisitionDate);
  const double quantity = item.lQuantity * 0.01;
  RealColumn(row, kColQuantity, quantity);
  if (static_cast<float>(quantity) >= 1000000.0f) LogQuantityWarning(quantity, remarks_);
  AmountColumn(row, kColAcquisitionCost, item.cyAcquisitionCost.int64);
  RatioColumns(row, m);
  return true;
}

void AssetRowBuilder::Remarkf(const char* format, ...) {
  char text[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  remarks_->Remark(text);
}

void AssetRow::Clear() {
  std::memset(record_, 0, kAssetRowRecordSize);
  std::memset(masks_, 1, sizeof masks_);
}

const StTAFORMAT& AssetRow::Column(int column, bool* ok) {
  const StTAFORMAT* table = AssetRowFormat();
  *ok = column >= 1 && column <= kAssetColumnCount;
  if (!*ok) return table[0];
  masks_[column - 1] = 0;
  return table[column - 1];
}

char* AssetRow::PutText(int column, std::string_view text, size_t* n) {
  bool ok;
  const StTAFORMAT& f = Column(column, &ok);
  if (!ok) return nullptr;
  *n = text.size() < static_cast<size_t>(f.width) ? text.size() : static_cast<size_t>(f.width);
  char* field = reinterpret_cast<char*>(record_ + f.offset);
  std::memcpy(field, text.data(), *n);
  field[*n] = '\0';
  return field;
}

void AssetRow::Text(int column, std::string_view text) {
  size_t n = 0;
  if (char* field = PutText(column, text, &n)) OneField(field, n);
}

void AssetRow::OwnText(int column, std::string_view text) {
  size_t n = 0;
  PutText(column, text, &n);
}

void AssetRow::Int16(int column, int16_t value) {
  bool ok;
  const StTAFORMAT& f = Column(column, &ok);
  if (ok) std::memcpy(record_ + f.offset, &value, sizeof value);
}

void AssetRow::Int32(int column, int32_t value) {
  bool ok;
  const StTAFORMAT& f = Column(column, &ok);
  if (ok) std::memcpy(record_ + f.offset, &value, sizeof value);
}

void AssetRow::Currency(int column, int64_t amount) {
  bool ok;
  const StTAFORMAT& f = Column(column, &ok);
  if (ok) std::memcpy(record_ + f.offset, &amount, sizeof amount);
}

void AssetRow::ApplyMask(ClTextAccessor* accessor) const { accessor->SetMasks(masks_, kAssetColumnCount); }
