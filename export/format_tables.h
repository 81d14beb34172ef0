// Column format tables of the three output files, one per text accessor:
//   "G_INFO"   asset data rows (151 columns)
//   "G_HEAD"   the column-name line of the asset data file (151 text columns)
//   "G_HEADER" one text column of 152 bytes: header lines and error log entries
//   "G_SSC"    asset type rows (16 columns)
// Each table's values lie back to back in its accessor's record; a text
// column has room for its width and a terminator.
#pragma once

#include <cstddef>

#include "textio/textaccessor.h"

constexpr long kAssetColumnCount = 151;
constexpr long kTypeColumnCount = 16;

constexpr size_t kAssetRowRecordSize = 1365;
constexpr size_t kColumnNameRecordSize = 3016;
constexpr size_t kHeaderLineRecordSize = 153;
constexpr size_t kTypeRowRecordSize = 150;
constexpr long kHeaderLineWidth = 152;

// Columns of the asset data file that the rows fill, numbered from 1 as on
// the column-name line (and in AssetRow). Every other column stays empty.
enum AssetColumn : int {
  kColCode = 1,                 // ";資産コード"
  kColTypeCode = 3,             // "資産種類コード"
  kColMethod = 5,               // "償却方法"
  kColCapitalExpenditure = 6,   // "資本的支出区分"
  kColName = 10,                // "資産名称"
  kColAcquisitionDate = 13,     // "取得年月日"
  kColQuantity = 14,            // "数量"
  kColUnit = 15,                // "単位"
  kColUsefulLife = 16,          // "耐用年数"
  kColRate = 20,                // "償却率"
  kColTransitional = 21,        // "経過措置"
  kColInstallmentMonths = 22,   // "償却期間の月数"
  kColAcquisitionCost = 23,     // "取得価額"
  kColCompressedAmount = 25,    // "圧縮記帳額"
  kColResidualRate = 29,        // "残存価額 率"
  kColResidualValue = 31,       // "残存価額"
  kColLimitRate = 34,           // "償却可能限度額 率"
  kColLimitEntered = 35,        // "償却可能限度額(入力)"
  kColLimit = 36,               // "償却可能限度額"
  kColMonthsEntered = 39,       // "償却月数(入力)"
  kColMonths = 40,              // "償却月数"
  kColOpeningBookValue = 42,    // "期首帳簿価額"
  kColRevisedCostEntered = 47,  // "改定取得価額(入力)"
  kColRevisedCost = 48,         // "改定取得価額"
  kColDepreciationBase = 51,    // "償却計算の基礎となる額"
  kColComputedEntered = 52,     // "算出償却額(入力)"
  kColComputed = 53,            // "算出償却額"
  kColIncreasedEntered = 56,    // "増加償却額(入力)"
  kColIncreased = 57,           // "増加償却額"
  kColSpecialKind = 58,         // "特別償却区分"
  kColSpecialEntered = 62,      // "特別償却金額(入力)"
  kColSpecial = 63,             // "特別償却金額"
  kColAccountingKind = 64,      // "経理処理区分"
  kColCurrentEntered = 66,      // "当期償却額(入力)"
  kColCurrent = 67,             // "当期償却額"
  kColImplementationRate = 69,  // "償却実施率"
  kColBusinessRatio = 70,       // "事業専用割合(分子)", then its denominator
  kColBusinessRatioBase = 71,
  kColDisposalDate = 72,      // "除却年月日"
  kColDisposalMethod = 73,    // "除却時の計算方法"
  kColDisposalKind = 74,      // "除却区分"
  kColDisposalPrice = 75,     // "除売却価額"
  kColClosingBookValue = 81,  // "期末帳簿価額"
  kColAccumulated = 83,       // "償却累計額"
  kColSgaShare = 84,          // "販売管理費(分子)", then its denominator
  kColSgaShareBase = 85,
  kColSgaAmount = 86,  // "販売管理費"
  kColMfgShare = 87,   // "製造原価(分子)", then its denominator
  kColMfgShareBase = 88,
  kColMfgAmount = 89,         // "製造原価"
  kColTaxReturnType = 93,     // "償却資産種類"
  kColReductionReason = 116,  // "減少事由"
  kColMemoUpper = 150,        // "メモ欄上段"
  kColMemoLower = 151,        // "メモ欄下段,"
};

// The tables, constant data built at compile time.
StTAFORMAT* AssetRowFormat();
StTAFORMAT* ColumnNameFormat();
StTAFORMAT* HeaderLineFormat();
StTAFORMAT* TypeRowFormat();

// The name that the column-name line carries for asset column index i
// (0-based).
const char* AssetColumnLineName(long i);
