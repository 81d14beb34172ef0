// The record of the asset row accessor ("G_INFO"), filled by the writers of
// the ordinary and the breakdown rows.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

#include "export/format_tables.h"
#include "textio/textaccessor.h"

// Fills the asset row record column by column (columns numbered from 1 as
// on the column-name line, AssetColumn) and remembers which columns were
// written; every other column is written as an empty field. Texts are made
// fit for the comma-separated file (OneField) as they are put in.
class AssetRow {
 public:
  explicit AssetRow(unsigned char* record) : record_(record) { std::memset(masks_, 1, sizeof masks_); }
  void Clear();
  // Text of a text column, cut at the column's width in bytes; callers cut
  // double-byte texts themselves first.
  void Text(int column, std::string_view text);
  // The same for a text this program makes (digits, a fixed word), which is
  // valid Shift_JIS without control characters or commas already: put in as
  // it is, without the check that a delivered text needs.
  void OwnText(int column, std::string_view text);
  void Int16(int column, int16_t value);
  void Int32(int column, int32_t value);
  void Currency(int column, int64_t amount);
  // Sets the accessor's column mask: 0 for written columns, 1 for the rest.
  void ApplyMask(ClTextAccessor* accessor) const;

 private:
  const StTAFORMAT& Column(int column, bool* ok);
  // Puts text into a text column as OwnText does; the field and the bytes
  // put, null for no such column.
  char* PutText(int column, std::string_view text, size_t* n);
  unsigned char* record_;
  unsigned char masks_[kAssetColumnCount];  // 1: not written, an empty field
};
