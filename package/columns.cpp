#include "package/columns.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "component/records.h"
#include "package/store.h"

namespace package {
namespace {

#define ZEL_FIELD(rec, column, kind, field) \
  ColumnRule { column, FieldKind::kind, offsetof(rec, field), sizeof(rec::field) }

const ColumnRule kMaster[] = {
    ZEL_FIELD(StKOTEISHISANINFO, "seq", kAssetKey, assetKey),
    ZEL_FIELD(StKOTEISHISANINFO, "code", kText, szCode),
    ZEL_FIELD(StKOTEISHISANINFO, "type_code", kInt32, lTypeCode),
    ZEL_FIELD(StKOTEISHISANINFO, "name", kText, szName),
    ZEL_FIELD(StKOTEISHISANINFO, "quantity_text", kText, szQuantity),
    ZEL_FIELD(StKOTEISHISANINFO, "memo", kText, szMemo),
    ZEL_FIELD(StKOTEISHISANINFO, "disposal_kind", kInt16, sDisposalKind),
    ZEL_FIELD(StKOTEISHISANINFO, "capex_link", kText, szCapexLink),
    ZEL_FIELD(StKOTEISHISANINFO, "method_ref_date", kDate, lMethodRefDate),
    ZEL_FIELD(StKOTEISHISANINFO, "acquisition_date", kDate, lAcquisitionDate),
    ZEL_FIELD(StKOTEISHISANINFO, "acquisition_cost", kAmount, cyAcquisitionCost),
    ZEL_FIELD(StKOTEISHISANINFO, "compressed_amount", kAmount, cyCompressedAmount),
    ZEL_FIELD(StKOTEISHISANINFO, "opening_book_value", kAmount, cyOpeningBookValue),
    ZEL_FIELD(StKOTEISHISANINFO, "method_code", kInt16, sMethodCode),
    ZEL_FIELD(StKOTEISHISANINFO, "useful_life", kInt16, sUsefulLife),
    ZEL_FIELD(StKOTEISHISANINFO, "depreciation_rate", kInt32, lDepreciationRate),
    ZEL_FIELD(StKOTEISHISANINFO, "residual_rate", kInt32, lResidualRate),
    ZEL_FIELD(StKOTEISHISANINFO, "limit_kind", kUint8, ucLimitKind),
    ZEL_FIELD(StKOTEISHISANINFO, "depreciable_limit", kAmount, cyDepreciableLimit),
    ZEL_FIELD(StKOTEISHISANINFO, "business_ratio", kInt16, sBusinessRatio),
    ZEL_FIELD(StKOTEISHISANINFO, "sga_share", kInt16, sSgaShare),
    ZEL_FIELD(StKOTEISHISANINFO, "months_numerator", kInt16, sMonthsNumerator),
    ZEL_FIELD(StKOTEISHISANINFO, "months_denominator", kInt16, sMonthsDenominator),
    ZEL_FIELD(StKOTEISHISANINFO, "residual_value", kAmount, cyResidualValue),
    ZEL_FIELD(StKOTEISHISANINFO, "depreciation_base", kAmount, cyDepreciationBase),
    ZEL_FIELD(StKOTEISHISANINFO, "sga_amount", kAmount, cySgaAmount),
    ZEL_FIELD(StKOTEISHISANINFO, "mfg_amount", kAmount, cyMfgAmount),
    ZEL_FIELD(StKOTEISHISANINFO, "accumulated_depreciation", kAmount, cyAccumulatedDepreciation),
    ZEL_FIELD(StKOTEISHISANINFO, "closing_book_value", kAmount, cyClosingBookValue),
    ZEL_FIELD(StKOTEISHISANINFO, "disposal_date", kDate, lDisposalDate),
    ZEL_FIELD(StKOTEISHISANINFO, "disposal_price", kAmount, cyDisposalPrice),
    ZEL_FIELD(StKOTEISHISANINFO, "months_entered", kUint8, ucMonthsEntered),
    ZEL_FIELD(StKOTEISHISANINFO, "revised_cost", kAmount7, revisedCostLow7),
};

const ColumnRule kYear[] = {
    ZEL_FIELD(StKOTEINENINFO, "computed_depreciation", kAmount, cyComputedDepreciation),
    ZEL_FIELD(StKOTEINENINFO, "special_depreciation", kAmount, cySpecialDepreciation),
    ZEL_FIELD(StKOTEINENINFO, "increased_depreciation", kAmount, cyIncreasedDepreciation),
    ZEL_FIELD(StKOTEINENINFO, "entered_current_depreciation", kAmount, cyEnteredCurrentDepreciation),
};

const ColumnRule kItem[] = {
    ZEL_FIELD(StIKKATSUINFO, "name", kText, szName),
    ZEL_FIELD(StIKKATSUINFO, "acquisition_date", kDate, lAcquisitionDate),
    ZEL_FIELD(StIKKATSUINFO, "acquisition_cost", kAmount, cyAcquisitionCost),
    ZEL_FIELD(StIKKATSUINFO, "quantity", kInt32, lQuantity),
};

const ColumnRule kCategory[] = {
    ZEL_FIELD(StSHISANKUBUNINFO, "code", kInt32, lCode),
    ZEL_FIELD(StSHISANKUBUNINFO, "name", kText, szName),
    ZEL_FIELD(StSHISANKUBUNINFO, "method_code", kInt16, sMethodCode),
    ZEL_FIELD(StSHISANKUBUNINFO, "residual_ratio", kInt32, lResidualRatio),
};

const ColumnRule kDataSet[] = {
    ZEL_FIELD(StDATAINFO, "data_id", kText, szDataID),
    ZEL_FIELD(StDATAINFO, "data_no", kInt32, lDataNo),
    ZEL_FIELD(StDATAINFO, "company_name", kText, szCompanyName),
    ZEL_FIELD(StDATAINFO, "period_start", kDate, lPeriodStart),
    ZEL_FIELD(StDATAINFO, "period_end", kDate, lPeriodEnd),
    ZEL_FIELD(StDATAINFO, "data_kind", kInt16, sDataKind),
    ZEL_FIELD(StDATAINFO, "corp_kind", kUint8, ucCorpKind),
};

#undef ZEL_FIELD

// The range of an integer field, and its name in a message.
struct Range {
  int64_t lo, hi;
  const char* field;
};

Range RangeOf(FieldKind kind) {
  switch (kind) {
    case FieldKind::kUint8: return {0, UINT8_MAX, "an unsigned 8-bit field"};
    case FieldKind::kInt16: return {INT16_MIN, INT16_MAX, "a 16-bit field"};
    case FieldKind::kInt32:
    case FieldKind::kDate: return {INT32_MIN, INT32_MAX, "a 32-bit field"};
    case FieldKind::kAmount7: return {-(int64_t{1} << 55), (int64_t{1} << 55) - 1, "its 7-byte field"};
    default: return {INT64_MIN, INT64_MAX, "a 64-bit field"};
  }
}

void StoreInt(FieldKind kind, int64_t v, uint8_t* field) {
  switch (kind) {
    case FieldKind::kUint8: *field = static_cast<uint8_t>(v); break;
    case FieldKind::kInt16: {
      int16_t x = static_cast<int16_t>(v);
      std::memcpy(field, &x, sizeof x);
      break;
    }
    case FieldKind::kInt32:
    case FieldKind::kDate: {
      int32_t x = static_cast<int32_t>(v);
      std::memcpy(field, &x, sizeof x);
      break;
    }
    case FieldKind::kAmount: std::memcpy(field, &v, sizeof v); break;
    case FieldKind::kAmount7:
      for (int i = 0; i < 7; ++i) field[i] = static_cast<uint8_t>(static_cast<uint64_t>(v) >> (8 * i));
      break;
    case FieldKind::kAssetKey: MakeAssetKey(v, field); break;
    case FieldKind::kText: break;
  }
}

const uint8_t kKeyMark[8] = {'Z', 'E', 'L', 'A', 'S', 'S', 'E', 'T'};

}  // namespace

const std::span<const ColumnRule> kAssetMasterColumns(kMaster);
const std::span<const ColumnRule> kAssetYearColumns(kYear);
const std::span<const ColumnRule> kItemColumns(kItem);
const std::span<const ColumnRule> kCategoryColumns(kCategory);
const std::span<const ColumnRule> kDataSetColumns(kDataSet);

std::string ColumnList(std::span<const ColumnRule> rules) {
  std::string list;
  for (const ColumnRule& rule : rules) list += (list.empty() ? "" : ", ") + std::string(rule.column);
  return list;
}

bool FillField(sqlite3_stmt* stmt, int col, const ColumnRule& rule, void* record) {
  uint8_t* field = static_cast<uint8_t*>(record) + rule.offset;
  if (rule.kind == FieldKind::kText) {
    int type = sqlite3_column_type(stmt, col);
    if (type != SQLITE_TEXT && type != SQLITE_BLOB) return false;
    FillText(stmt, col, reinterpret_cast<char*>(field), rule.size);
    return true;
  }
  // One look-up of the column for its type and value.
  sqlite3_value* value = sqlite3_column_value(stmt, col);
  if (sqlite3_value_type(value) != SQLITE_INTEGER) return false;
  int64_t v = sqlite3_value_int64(value);
  if (!IntegerFits(v, rule)) return false;
  StoreInt(rule.kind, v, field);
  return true;
}

bool IntegerFits(int64_t value, const ColumnRule& rule) {
  Range range = RangeOf(rule.kind);
  return value >= range.lo && value <= range.hi && (rule.kind != FieldKind::kDate || IsRecordDate(value));
}

std::string IntegerMisfit(int64_t value, const ColumnRule& rule) {
  Range range = RangeOf(rule.kind);
  if (rule.kind == FieldKind::kDate && value >= range.lo && value <= range.hi)
    return std::to_string(value) + " is not a calendar day (yyyymmdd, or 0 for none)";
  return std::to_string(value) + " does not fit " + range.field;
}

std::string Misfit(sqlite3_stmt* stmt, int col, const ColumnRule& rule) {
  int type = sqlite3_column_type(stmt, col);
  const char* wanted = rule.kind == FieldKind::kText ? "a text" : "an integer";
  char number[64];
  switch (type) {
    case SQLITE_NULL: return std::string("NULL is not ") + wanted;
    case SQLITE_FLOAT:
      std::snprintf(number, sizeof number, "the real number %.17g is not %s",
                    sqlite3_column_double(stmt, col), wanted);
      return number;
    case SQLITE_BLOB:
      return "a BLOB of " + std::to_string(sqlite3_column_bytes(stmt, col)) + " bytes is not " + wanted;
    case SQLITE_TEXT: {
      const char* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, col));
      return "the text '" +
             ShownText(
                 std::string_view(text ? text : "", static_cast<size_t>(sqlite3_column_bytes(stmt, col)))) +
             "' is not " + wanted;
    }
    default: break;
  }
  if (rule.kind == FieldKind::kText)
    return "the integer " + std::to_string(sqlite3_column_int64(stmt, col)) + " is not a text";
  return IntegerMisfit(sqlite3_column_int64(stmt, col), rule);
}

std::string ShownText(std::string_view utf8) {
  size_t n = utf8.size();
  if (n > 40) {
    n = 40;
    while (n > 0 && (static_cast<unsigned char>(utf8[n]) & 0xC0) == 0x80) --n;
  }
  std::string shown(utf8.substr(0, n));
  for (char& c : shown)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  return shown + (n < utf8.size() ? "..." : "");
}

void MakeAssetKey(int64_t seq, uint8_t* key) {
  for (int i = 0; i < 8; ++i) key[i] = static_cast<uint8_t>(static_cast<uint64_t>(seq) >> (8 * i));
  std::memcpy(key + 8, kKeyMark, 8);
}

bool ReadAssetKey(const uint8_t* key, int64_t* seq) {
  if (!key || std::memcmp(key + 8, kKeyMark, 8) != 0) return false;
  uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | key[i];
  *seq = static_cast<int64_t>(v);
  return true;
}

}  // namespace package
