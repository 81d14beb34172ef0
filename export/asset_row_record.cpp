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
