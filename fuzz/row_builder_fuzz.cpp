// The exporter's row building: records of any bytes, as a damaged or hostile
// store could deliver them, made into rows and written through the asset
// row accessor. Several assets per input share one code register.
//
// Input: a sequence of assets, each the bytes of a master record, a year
// record and an item record back to back (missing bytes are zero).
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>

#include "export/asset_row_builder.h"
#include "export/format_tables.h"
#include "fuzz/support.h"
#include "platform/cp932.h"

namespace {

class Remarks : public RemarkSink {
 public:
  void Remark(const char* text) override {
    fuzz::Check(std::strlen(text) < 4096, "a remark is a bounded text");
    ++count;
  }
  long count = 0;
};

// The exporter makes delivered texts valid Shift_JIS before the builder
// sees them; the fuzz input gets the same treatment.
template <size_t N>
void MakeFieldValid(char (&field)[N]) {
  cp932::MakeValid(field, cp932::FieldLength(field, N));
}

constexpr size_t kAssetBytes = sizeof(StKOTEISHISANINFO) + sizeof(StKOTEINENINFO) + sizeof(StIKKATSUINFO);

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Remarks remarks;
  AssetRowBuilder builder(&remarks);
  static unsigned char record[kAssetRowRecordSize];
  static char name[] = "G_INFO";
  ClTextAccessor accessor(name, AssetRowFormat(), kAssetColumnCount, record);
  accessor.SetMode(ClTextAccessor::DELIM_COMMA, ClTextAccessor::QUOTE_NONE);
  std::stringstream out;
  accessor.Attach(&out);
  for (size_t at = 0; at < size && at < 16 * kAssetBytes; at += kAssetBytes) {
    StKOTEISHISANINFO master;
    StKOTEINENINFO year;
    StIKKATSUINFO item;
    unsigned char bytes[kAssetBytes] = {};
    std::memcpy(bytes, data + at, std::min(kAssetBytes, size - at));
    std::memcpy(&master, bytes, sizeof master);
    std::memcpy(&year, bytes + sizeof master, sizeof year);
    std::memcpy(&item, bytes + sizeof master + sizeof year, sizeof item);
    MakeFieldValid(master.szCode);
    MakeFieldValid(master.szName);
    MakeFieldValid(master.szQuantity);
    MakeFieldValid(master.szMemo);
    MakeFieldValid(master.szCapexLink);
    MakeFieldValid(item.szName);

    AssetRow row(record);
    if (!builder.Build(master, year, item, &row)) continue;
    row.ApplyMask(&accessor);
    out.str("");
    fuzz::Check(accessor.Write() == 0, "a built row can be written");
    const std::string line = out.str();
    fuzz::Check(line.size() >= 2 && line.compare(line.size() - 2, 2, "\r\n") == 0 &&
                    line.find_first_of("\r\n") == line.size() - 2,
                "a row is one line");
    fuzz::Check(std::count(line.begin(), line.end(), ',') == kAssetColumnCount - 1,
                "a row has its 151 fields, no comma within one");
  }
  return 0;
}
