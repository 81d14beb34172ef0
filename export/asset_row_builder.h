// The rows of the asset data file: the records that the component delivers
// for one asset, or for one item of a lump-sum asset, turned into the fields
// of one row, with the remarks that its values raise. No file and no walk:
// the exporter hands each row to the writer.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

#include "component/records.h"
#include "export/code_register.h"
#include "export/format_tables.h"
#include "export/value_format.h"
#include "textio/textaccessor.h"

// Fills a record of the asset row table ("G_INFO") column by column
// (columns numbered from 1 as on the column-name line, AssetColumn) and
// remembers which columns were written; every other column is written as an
// empty field. Texts are made fit for the comma-separated file (OneField) as
// they are put in. The record (kAssetRowRecordSize bytes) is the caller's.
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

// Builds the row of an ordinary asset from its master and year records, or
// the breakdown row of one item of a lump-sum asset (method code 4) from the
// item and its asset's master record. Keeps the asset code register of the
// run, so that a code written twice is reported. Remarks go to the sink given
// at construction, one by one in the order in which the checks run.
class AssetRowBuilder {
 public:
  // remarks: kept by pointer; it must outlive the builder.
  explicit AssetRowBuilder(RemarkSink* remarks) : remarks_(remarks) {}
  AssetRowBuilder(const AssetRowBuilder&) = delete;
  AssetRowBuilder& operator=(const AssetRowBuilder&) = delete;

  // Clears row and fills it from the records. item is read only for a
  // lump-sum asset (its breakdown number filled in by the walk), year only
  // for any other. False when the records give no row: the 100th item of a
  // lump-sum asset, which only logs that no more items are written.
  bool Build(const StKOTEISHISANINFO& master, const StKOTEINENINFO& year, const StIKKATSUINFO& item,
             AssetRow* row);

 private:
  // The row of an ordinary asset, filled by column groups.
  void AssetColumns(AssetRow& row, const StKOTEISHISANINFO& master, const StKOTEINENINFO& year);
  void CodeColumn(AssetRow& row, const StKOTEISHISANINFO& master);
  void KindColumns(AssetRow& row, const StKOTEISHISANINFO& master);
  void QuantityColumns(AssetRow& row, const StKOTEISHISANINFO& master);
  void BasisColumns(AssetRow& row, const StKOTEISHISANINFO& master);
  void DepreciationColumns(AssetRow& row, const StKOTEISHISANINFO& master, const StKOTEINENINFO& year);
  void DisposalColumns(AssetRow& row, const StKOTEISHISANINFO& master);
  void BookColumns(AssetRow& row, const StKOTEISHISANINFO& master);
  void MemoColumns(AssetRow& row, const StKOTEISHISANINFO& master);
  // The breakdown row of item; false for the 100th item.
  bool BreakdownColumns(AssetRow& row, const StKOTEISHISANINFO& master, const StIKKATSUINFO& item);
  void AmountColumn(AssetRow& row, int column, int64_t amount);
  void RealColumn(AssetRow& row, int column, double value);
  void CurrentDepreciationColumn(AssetRow& row, const StKOTEINENINFO& year);
  void RatioColumns(AssetRow& row, const StKOTEISHISANINFO& master);
  void NameColumn(AssetRow& row, std::string_view name, const char* label);
  void LogCutText(const char* label, std::string_view text);
  void Remarkf(const char* format, ...) __attribute__((format(printf, 2, 3)));

  RemarkSink* const remarks_;
  CodeRegister codes_;
};
