// The text accessor's reading side: lines from the input read into a record
// of string, signed, unsigned and required columns, in the layout, quoting,
// comment handling and column order that the first bytes choose.
//
// Input: byte 0 layout (bits 0-1), quote (2-3), space flag (4), comment mode
// (5-6); byte 1 the order (bit 7 set: the next (bits 0-3) + 1 bytes are
// column numbers, -1 to kColumns included); byte 2 a rotation (start, dest and
// count in its bit groups); the rest is the text.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>

#include "fuzz/support.h"
#include "textio/textaccessor.h"
#include "textio/textio_test_util.h"

namespace {

using textio_test::Column;

// Strings, signed numbers of 1, 2, 4 and 8 bytes, unsigned numbers (the one
// of 8 bytes stores nothing) and two required columns, back to back.
StTAFORMAT g_columns[] = {
    Column("S8", 6, 0, 0, 8, 0),  Column("S1", 1, 0, 0, 1, 0),     Column("I1", 4, 0, 0, 1, 1),
    Column("I2", 6, 0, 0, 2, 1),  Column("I4", 11, 2, 0, 4, 1),    Column("I8", 20, 4, 0, 8, 1),
    Column("U4", 10, 3, 0, 4, 2), Column("U2R", 5, 0, 0, 2, 2, 1), Column("SR", 3, 0, 0, 16, 0, 1),
    Column("U8", 3, 0, 0, 8, 2),
};
constexpr long kColumns = sizeof(g_columns) / sizeof(g_columns[0]);

int32_t Layout() {
  int32_t offset = 0;
  for (StTAFORMAT& c : g_columns) {
    c.offset = offset;
    offset += c.size;
  }
  return offset;
}
const int32_t kRecordSize = Layout();

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  const uint8_t mode = data[0], order_byte = data[1], rotation = data[2];
  data += 3;
  size -= 3;
  StTAORDER order[16];
  long order_count = 0;
  if (order_byte & 0x80) {
    order_count = (order_byte & 0x0F) + 1;
    for (long i = 0; i < order_count; ++i) {
      uint8_t b = i < static_cast<long>(size) ? data[i] : 0;
      order[i].column = static_cast<int32_t>(b % (kColumns + 2)) - 1;
    }
    size_t taken = std::min<size_t>(size, static_cast<size_t>(order_count));
    data += taken;
    size -= taken;
  }

  // The record is exactly as large as its columns, so a store past it is
  // caught.
  std::unique_ptr<unsigned char[]> record(new unsigned char[kRecordSize]());
  std::stringstream stream(std::string(reinterpret_cast<const char*>(data), size));
  ClTextAccessor accessor(const_cast<char*>("FUZZ"), g_columns, kColumns, record.get());
  accessor.SetMode(static_cast<ClTextAccessor::_Delimiter>((mode & 3) + 1),
                   static_cast<ClTextAccessor::_Quote>(((mode >> 2) & 3) % 3));
  accessor.SetSpaceFlag((mode >> 4) & 1);
  static const char kHash[] = "#", kEmpty[] = "";
  switch ((mode >> 5) & 3) {
    case 1: accessor.SetCommentMark(kHash); break;
    case 2:
      accessor.SetCommentMark(kHash);
      accessor.SetCommentSkip(0);
      break;
    case 3: accessor.SetCommentMark(kEmpty); break;
    default: break;
  }
  if (order_count > 0) {
    accessor.SetOrder(order, order_count);
    accessor.SetSelectFlag(0);
  }
  if (rotation != 0) accessor.RotateFormat(rotation & 7, (rotation >> 3) & 7, (rotation >> 6) + 1);
  accessor.Attach(&stream);

  char last_line[1024];
  for (int reads = 0; reads < 4096; ++reads) {
    long result = accessor.Read();
    fuzz::Check(result >= -1 && result <= 3, "Read gives a known code");
    accessor.GetReadLine(last_line);
    fuzz::Check(std::memchr(last_line, '\0', sizeof(last_line)) != nullptr, "the last line is terminated");
    fuzz::Check(accessor.GetLogicalLineNo() <= accessor.GetPhysicalLineNo(),
                "logical lines are physical lines");
    for (const StTAFORMAT& c : g_columns) {
      if (c.type == 0)
        fuzz::Check(std::memchr(record.get() + c.offset, '\0', c.size) != nullptr,
                    "a string field is terminated");
    }
    if (result == 1 || result == -1) break;
  }
  return 0;
}
