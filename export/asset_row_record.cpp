#include "export/asset_row_record.h"

#include "export/value_format.h"

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

void AssetRow::Text(int column, std::string_view text) {
  bool ok;
  const StTAFORMAT& f = Column(column, &ok);
  if (!ok) return;
  size_t n = text.size() < static_cast<size_t>(f.width) ? text.size() : static_cast<size_t>(f.width);
  char* field = reinterpret_cast<char*>(record_ + f.offset);
  std::memcpy(field, text.data(), n);
  field[n] = '\0';
  OneField(field, n);
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
