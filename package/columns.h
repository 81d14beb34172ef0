// Which store column fills which record field, and what the field can hold.
// One table per record; the reads of the component fill their records
// through these rules, and a whole-store check can apply the same rules.
//
// A value fits when its SQLite storage class and range suit the field:
// integer fields take INTEGER values only (NULL, REAL, TEXT and BLOB are
// refused, never coerced) within the field's range; text fields take TEXT
// (UTF-8, converted to CP932) or BLOB (CP932 bytes up to the first NUL) and
// are cut to the field as every text is. NULL is refused in a text field too:
// the schema declares every text NOT NULL, so a NULL means a store that was
// not made to the schema, and an empty text is stored as ''.
#pragma once

#include <sqlite3.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace package {

enum class FieldKind : uint8_t {
  kText,   // cut to size - 1 bytes without splitting a character, terminated
  kUint8,  // 0 to 255
  kInt16,  // -32768 to 32767
  kInt32,
  kDate,      // an int32 yyyymmdd: a calendar day, or 0 for none (IsRecordDate)
  kAmount,    // any 64-bit integer: ten-thousandths of a yen
  kAmount7,   // the revised acquisition cost: 7 in-record bytes, signed
  kAssetKey,  // the asset's seq, made into the 16-byte asset key
};

struct ColumnRule {
  const char* column;  // store column
  FieldKind kind;
  uint16_t offset;  // of the field in its record
  uint16_t size;    // bytes of the field
};

// StKOTEISHISANINFO and StKOTEINENINFO, both from the assets table; the asset
// query selects the master columns and then the year columns, in table order.
extern const std::span<const ColumnRule> kAssetMasterColumns;
extern const std::span<const ColumnRule> kAssetYearColumns;
// StIKKATSUINFO from lump_items.
extern const std::span<const ColumnRule> kItemColumns;
// StSHISANKUBUNINFO from categories.
extern const std::span<const ColumnRule> kCategoryColumns;
// StDATAINFO from datasets.
extern const std::span<const ColumnRule> kDataSetColumns;

// The rules' columns joined by ", " (for a SELECT list).
std::string ColumnList(std::span<const ColumnRule> rules);

// Fills the field of rule in record from column col of the current row.
// False when the value does not fit; the field is then left as it was.
bool FillField(sqlite3_stmt* stmt, int col, const ColumnRule& rule, void* record);
// Why column col does not fit rule, for a message (UTF-8, one line), e.g.
// "65537 does not fit a 16-bit field".
std::string Misfit(sqlite3_stmt* stmt, int col, const ColumnRule& rule);
// Whether an integer fits the field of an integer rule, and why not (as
// Misfit says of a stored integer).
bool IntegerFits(int64_t value, const ColumnRule& rule);
std::string IntegerMisfit(int64_t value, const ColumnRule& rule);

// A stored text (UTF-8) shown in a message: at most 40 bytes of it, cut on
// a character boundary, control characters as "?", "..." when cut.
std::string ShownText(std::string_view utf8);

// The asset key: the asset's seq (8 bytes, little-endian) and a mark, so that
// a cleared key selects nothing. ReadAssetKey is false for a key without it.
void MakeAssetKey(int64_t seq, uint8_t* key);
bool ReadAssetKey(const uint8_t* key, int64_t* seq);

}  // namespace package
