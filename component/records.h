// Byte-packed records exchanged with the accounting-data component. The
// layouts are the component's wire format: offsets and sizes are fixed by
// the static_asserts below. Texts are NUL-terminated CP932 within their
// field; read them with cp932::FieldText so that a field without its
// terminator is never read past.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/wintypes.h"

#pragma pack(push, 1)

// One data set (company), filled by ClSetData::WalkDat.
struct StDATAINFO {
  char szDataID[16];        // 0    data ID
  int32_t lDataNo;          // 16   data number
  uint8_t reserved1[4];     // 20
  char szCompanyName[260];  // 24   company name
  int32_t lPeriodStart;     // 284  yyyymmdd
  int32_t lPeriodEnd;       // 288  yyyymmdd
  uint8_t reserved2[34];    // 292
  int16_t sDataKind;        // 326  99 = past-results data
  uint8_t reserved3[16];    // 328
  uint8_t ucCorpKind;       // 344  0/1 corporation, 3/4 individual
  uint8_t reserved4[1160];  // 345
};

// Asset master record, filled by ClRuleGenkashokyaku::Move.
struct StKOTEISHISANINFO {
  uint8_t reserved1[16];         // 0
  uint8_t assetKey[16];          // 16   selects the lump-sum items
  char szCode[16];               // 32   asset code
  int32_t lTypeCode;             // 48   asset type code
  char szName[193];              // 52   asset name
  char szQuantity[9];            // 245  quantity followed by its unit
  char szMemo[82];               // 254  memo
  int16_t sDisposalKind;         // 336  4 sold, 5 retired
  char szCapexLink[18];          // 338  capital expenditure link
  int32_t lMethodRefDate;        // 356
  int32_t lAcquisitionDate;      // 360
  uint8_t reserved2[4];          // 364
  CY cyAcquisitionCost;          // 368
  CY cyCompressedAmount;         // 376
  CY cyOpeningBookValue;         // 384
  int16_t sMethodCode;           // 392  4 = lump-sum asset
  int16_t sUsefulLife;           // 394
  int32_t lDepreciationRate;     // 396  thousandths
  int32_t lResidualRate;         // 400
  uint8_t ucLimitKind;           // 404  0 rate, 1 amount
  uint8_t reserved3[3];          // 405
  CY cyDepreciableLimit;         // 408
  uint8_t reserved4[10];         // 416
  int16_t sBusinessRatio;        // 426  hundredths of a percent
  int16_t sSgaShare;             // 428  percent
  int16_t sMonthsNumerator;      // 430
  int16_t sMonthsDenominator;    // 432
  uint8_t reserved5[6];          // 434
  CY cyResidualValue;            // 440
  CY cyDepreciationBase;         // 448
  CY cySgaAmount;                // 456
  CY cyMfgAmount;                // 464
  CY cyAccumulatedDepreciation;  // 472
  CY cyClosingBookValue;         // 480
  int32_t lDisposalDate;         // 488
  uint8_t reserved6[4];          // 492
  CY cyDisposalPrice;            // 496
  uint8_t reserved7[29];         // 504
  uint8_t ucMonthsEntered;       // 533  1 = months entered
  uint8_t reserved8[3];          // 534
  // Revised acquisition cost: an amount at 537 whose last byte lies beyond
  // the 544-byte record. The component fills the seven bytes inside the
  // record; read it with RevisedCost(), which never reads past the record.
  uint8_t revisedCostLow7[7];  // 537
};

// Asset year record (only the amounts the export reads are named).
struct StKOTEINENINFO {
  uint8_t reserved1[40];            // 0
  CY cyComputedDepreciation;        // 40
  CY cySpecialDepreciation;         // 48
  CY cyIncreasedDepreciation;       // 56
  CY cyEnteredCurrentDepreciation;  // 64
  uint8_t reserved2[888];           // 72
};

// Asset month record: handed through, not read.
struct StKOTEITSUKIINFO {
  uint8_t data[1536];
};

// Lump-sum item record, filled by ClRuleGenkashokyaku::MoveIkkatsu.
struct StIKKATSUINFO {
  uint8_t reserved1[48];     // 0
  char szBreakdownNo[13];    // 48   written by the exporter: "1", "2", ...
  char szName[83];           // 61   item name
  int32_t lAcquisitionDate;  // 144
  uint8_t reserved2[4];      // 148
  CY cyAcquisitionCost;      // 152
  int32_t lQuantity;         // 160  hundredths
  uint8_t reserved3[92];     // 164
};

// Asset category, an array of them from LoadShisanKubunInfo.
struct StSHISANKUBUNINFO {
  uint8_t reserved1[16];   // 0
  int32_t lCode;           // 16   category code
  char szName[82];         // 20   category name
  int16_t sMethodCode;     // 102
  int32_t lResidualRatio;  // 104  0 = not set
  uint8_t reserved2[20];   // 108
};

// The codes that the records carry and the export tells apart.

// Depreciation method (StKOTEISHISANINFO::sMethodCode, and the method of a
// category in StSHISANKUBUNINFO::sMethodCode). Other values: no method.
enum MethodCode : int16_t {
  kMethodOldDecliningBalance = 1,  // 旧定率法
  kMethodOldStraightLine = 2,      // 旧定額法
  kMethodEqualInstallments = 3,    // 均等法
  kMethodLumpSum = 4,              // lump-sum asset: its items are written, one row each
  kMethodDecliningBalance1 = 5,    // 定率法, first variant
  kMethodStraightLine = 6,         // 定額法
  kMethodSmallAmount = 7,          // 少額資産
  kMethodDecliningBalance2 = 8,    // 定率法, second variant (the method reference date tells them apart)
};

// How an asset left the books (StKOTEISHISANINFO::sDisposalKind). Other
// values: not disposed.
enum DisposalKind : int16_t {
  kDisposalSold = 4,
  kDisposalRetired = 5,
};

// Asset type codes (StKOTEISHISANINFO::lTypeCode) and category codes
// (StSHISANKUBUNINFO::lCode), one numbering, with rules of their own.
enum AssetTypeCode : int32_t {
  kTypeDeferredAsset = 9,        // 繰延資産
  kTypeLumpSumDepreciable = 10,  // 一括償却資産
  kTypeLand = 11,                // 土地: not depreciated
};

// StDATAINFO::sDataKind of a data set of past results, which is never exported.
constexpr int16_t kDataKindPastResults = 99;

// StDATAINFO::ucCorpKind: 0 or 1 a corporation, 3 or 4 an individual, any
// other value neither.
inline bool IsCorporation(uint8_t kind) { return kind == 0 || kind == 1; }
inline bool IsIndividual(uint8_t kind) { return kind == 3 || kind == 4; }

// A date field of the records: 0 for "no date", or a real calendar day as
// yyyymmdd with a four-digit year (so that its decimal text, as the files
// write it, is eight digits). 20241399, 20230229 and 99999999 are neither.
constexpr bool IsRecordDate(int64_t date) {
  if (date == 0) return true;
  int64_t year = date / 10000, month = date / 100 % 100, day = date % 100;
  if (year < 1000 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
  constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return day <= kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

// A saved column order of a text accessor (ClSaveTextIO).
struct StTEXTIOSAVEINFO {
  char name[10];        // 0    accessor name
  int16_t count;        // 10
  int8_t columns[100];  // 12
};

#pragma pack(pop)

// Reads the revised acquisition cost from its seven in-record bytes,
// sign-extended, so a negative value survives and nothing past the record is
// touched.
inline int64_t RevisedCost(const StKOTEISHISANINFO& r) {
  uint64_t v = 0;
  for (int i = 6; i >= 0; --i) v = (v << 8) | r.revisedCostLow7[i];
  if (v & (uint64_t{1} << 55)) v |= uint64_t{0xFF} << 56;
  return static_cast<int64_t>(v);
}
// Stores an amount into those seven bytes (the component's side).
inline void SetRevisedCost(StKOTEISHISANINFO& r, int64_t value) {
  uint64_t v = static_cast<uint64_t>(value);
  for (int i = 0; i < 7; ++i) r.revisedCostLow7[i] = static_cast<uint8_t>(v >> (8 * i));
}

#define ZEL_AT(rec, field, off) static_assert(offsetof(rec, field) == (off), #rec "::" #field)
static_assert(sizeof(StDATAINFO) == 1505);
ZEL_AT(StDATAINFO, szDataID, 0);
ZEL_AT(StDATAINFO, lDataNo, 16);
ZEL_AT(StDATAINFO, szCompanyName, 24);
ZEL_AT(StDATAINFO, lPeriodStart, 284);
ZEL_AT(StDATAINFO, lPeriodEnd, 288);
ZEL_AT(StDATAINFO, sDataKind, 326);
ZEL_AT(StDATAINFO, ucCorpKind, 344);

static_assert(sizeof(StKOTEISHISANINFO) == 544);
ZEL_AT(StKOTEISHISANINFO, assetKey, 16);
ZEL_AT(StKOTEISHISANINFO, szCode, 32);
ZEL_AT(StKOTEISHISANINFO, lTypeCode, 48);
ZEL_AT(StKOTEISHISANINFO, szName, 52);
ZEL_AT(StKOTEISHISANINFO, szQuantity, 245);
ZEL_AT(StKOTEISHISANINFO, szMemo, 254);
ZEL_AT(StKOTEISHISANINFO, sDisposalKind, 336);
ZEL_AT(StKOTEISHISANINFO, szCapexLink, 338);
ZEL_AT(StKOTEISHISANINFO, lMethodRefDate, 356);
ZEL_AT(StKOTEISHISANINFO, lAcquisitionDate, 360);
ZEL_AT(StKOTEISHISANINFO, cyAcquisitionCost, 368);
ZEL_AT(StKOTEISHISANINFO, cyCompressedAmount, 376);
ZEL_AT(StKOTEISHISANINFO, cyOpeningBookValue, 384);
ZEL_AT(StKOTEISHISANINFO, sMethodCode, 392);
ZEL_AT(StKOTEISHISANINFO, sUsefulLife, 394);
ZEL_AT(StKOTEISHISANINFO, lDepreciationRate, 396);
ZEL_AT(StKOTEISHISANINFO, lResidualRate, 400);
ZEL_AT(StKOTEISHISANINFO, ucLimitKind, 404);
ZEL_AT(StKOTEISHISANINFO, cyDepreciableLimit, 408);
ZEL_AT(StKOTEISHISANINFO, sBusinessRatio, 426);
ZEL_AT(StKOTEISHISANINFO, sSgaShare, 428);
ZEL_AT(StKOTEISHISANINFO, sMonthsNumerator, 430);
ZEL_AT(StKOTEISHISANINFO, sMonthsDenominator, 432);
ZEL_AT(StKOTEISHISANINFO, cyResidualValue, 440);
ZEL_AT(StKOTEISHISANINFO, cyDepreciationBase, 448);
ZEL_AT(StKOTEISHISANINFO, cySgaAmount, 456);
ZEL_AT(StKOTEISHISANINFO, cyMfgAmount, 464);
ZEL_AT(StKOTEISHISANINFO, cyAccumulatedDepreciation, 472);
ZEL_AT(StKOTEISHISANINFO, cyClosingBookValue, 480);
ZEL_AT(StKOTEISHISANINFO, lDisposalDate, 488);
ZEL_AT(StKOTEISHISANINFO, cyDisposalPrice, 496);
ZEL_AT(StKOTEISHISANINFO, ucMonthsEntered, 533);
ZEL_AT(StKOTEISHISANINFO, revisedCostLow7, 537);

static_assert(sizeof(StKOTEINENINFO) == 960);
ZEL_AT(StKOTEINENINFO, cyComputedDepreciation, 40);
ZEL_AT(StKOTEINENINFO, cySpecialDepreciation, 48);
ZEL_AT(StKOTEINENINFO, cyIncreasedDepreciation, 56);
ZEL_AT(StKOTEINENINFO, cyEnteredCurrentDepreciation, 64);

static_assert(sizeof(StKOTEITSUKIINFO) == 1536);

static_assert(sizeof(StIKKATSUINFO) == 256);
ZEL_AT(StIKKATSUINFO, szBreakdownNo, 48);
ZEL_AT(StIKKATSUINFO, szName, 61);
ZEL_AT(StIKKATSUINFO, lAcquisitionDate, 144);
ZEL_AT(StIKKATSUINFO, cyAcquisitionCost, 152);
ZEL_AT(StIKKATSUINFO, lQuantity, 160);

static_assert(sizeof(StSHISANKUBUNINFO) == 128);
ZEL_AT(StSHISANKUBUNINFO, lCode, 16);
ZEL_AT(StSHISANKUBUNINFO, szName, 20);
ZEL_AT(StSHISANKUBUNINFO, sMethodCode, 102);
ZEL_AT(StSHISANKUBUNINFO, lResidualRatio, 104);

static_assert(sizeof(StTEXTIOSAVEINFO) == 112);
ZEL_AT(StTEXTIOSAVEINFO, name, 0);
ZEL_AT(StTEXTIOSAVEINFO, count, 10);
ZEL_AT(StTEXTIOSAVEINFO, columns, 12);
#undef ZEL_AT
