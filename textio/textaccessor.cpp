// ClTextAccessor: construction, setup, column resolution, rotation and the
// writing side. The reading side lives in textaccessor_read.cpp, the saved
// orders in textaccessor_order.cpp.
//
// Writing a line allocates nothing: numbers are formatted into small buffers
// on the stack, and the line is built in a buffer that the accessor keeps
// (grown, once, only by a line longer than any before), so neither a
// column's width nor its text has a fixed cap.
#include "textio/textaccessor.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <istream>
#include <new>

#include "platform/cp932.h"
#include "textio/status.h"

namespace {

const char kSource[] = "textaccessor";

// The mask always has room for this many columns, and for every column of a
// larger table.
constexpr long kMinMaskSize = 200;

// Bytes of line buffer reserved at construction.
constexpr size_t kLineReserve = 2048;

// Written lines end in exactly CR LF. On a host whose file buffers translate
// line ends this is where the stream's buffer would be switched to binary
// mode before each line; Linux file buffers never translate, so there is
// nothing to switch.
void SetBinaryMode(std::iostream* /*stream*/) {}

bool Failed(const std::iostream* stream) { return stream->fail(); }

// Hands the line to the stream and empties it. The states are kept as
// ostream::write would keep them: nothing is written to a stream that is not
// good, and a short write (what fits is written) marks the stream bad.
// False when the stream is failed or bad afterwards.
template <typename Line>
bool Flush(std::iostream* stream, Line& line) {
  const std::streamsize length = static_cast<std::streamsize>(line.size());
  if (!stream->good()) {
    stream->setstate(std::ios::failbit);
  } else if (line.lost()) {
    stream->setstate(std::ios::badbit);  // no memory for the whole line: none of it
  } else if (length > 0) {
    std::streambuf* buffer = stream->rdbuf();
    if (buffer == nullptr || buffer->sputn(line.data(), length) != length) stream->setstate(std::ios::badbit);
  }
  line.Clear();
  return !Failed(stream);
}

// Decimal text of a value with its sign, into buf (at least 21 bytes).
long FormatDecimal(char* buf, bool negative, uint64_t magnitude) {
  char* p = buf;
  if (negative) *p++ = '-';
  p = std::to_chars(p, buf + 21, magnitude).ptr;
  return static_cast<long>(p - buf);
}

uint64_t Magnitude(int64_t v) { return v < 0 ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v); }

// The quote text of a string value or name in a delimited layout.
const char* QuoteText(ClTextAccessor::_Quote quote) {
  switch (quote) {
    case ClTextAccessor::QUOTE_SINGLE: return "'";
    case ClTextAccessor::QUOTE_DOUBLE: return "\"";
    default: return "";
  }
}

const char* SeparatorText(ClTextAccessor::_Delimiter delimiter) {
  switch (delimiter) {
    case ClTextAccessor::DELIM_COMMA: return ",";
    case ClTextAccessor::DELIM_TAB: return "\t";
    case ClTextAccessor::DELIM_SPACE: return " ";
    default: return "";
  }
}

// Reads a signed integer of size 1, 2, 4 or 8 bytes from an unaligned place.
int64_t LoadSigned(const unsigned char* p, long size) {
  switch (size) {
    case 1: {
      int8_t v;
      std::memcpy(&v, p, 1);
      return v;
    }
    case 2: {
      int16_t v;
      std::memcpy(&v, p, 2);
      return v;
    }
    case 4: {
      int32_t v;
      std::memcpy(&v, p, 4);
      return v;
    }
    default: {
      int64_t v;
      std::memcpy(&v, p, 8);
      return v;
    }
  }
}

uint64_t LoadUnsigned(const unsigned char* p, long size) {
  switch (size) {
    case 1: {
      uint8_t v;
      std::memcpy(&v, p, 1);
      return v;
    }
    case 2: {
      uint16_t v;
      std::memcpy(&v, p, 2);
      return v;
    }
    default: {
      uint32_t v;
      std::memcpy(&v, p, 4);
      return v;
    }
  }
}

}  // namespace

// A line is built in the accessor's own buffer and handed to the stream in
// one piece: a line is hundreds of small pieces, and a stream call per piece
// costs more than the bytes. The buffer grows (doubling) only for a line
// longer than any before.
bool ClTextAccessor::LineBuffer::Grow(size_t more) {
  if (m_lost) return false;
  size_t capacity = std::max(m_capacity * 2, std::max(kLineReserve, m_size + more));
  char* data = new (std::nothrow) char[capacity];
  if (data == nullptr) {
    m_lost = true;  // the line cannot be whole; Flush reports it
    return false;
  }
  if (m_size > 0) std::memcpy(data, m_data, m_size);
  delete[] m_data;
  m_data = data;
  m_capacity = capacity;
  return true;
}

void ClTextAccessor::LineBuffer::RightAligned(const char* text, long length, long width) {
  Fill(' ', width - length);
  Put(text, length);
}

void ClTextAccessor::LineBuffer::Fill(char c, long count) {
  if (count <= 0) return;
  if (static_cast<size_t>(count) > m_capacity - m_size && !Grow(static_cast<size_t>(count))) return;
  std::memset(m_data + m_size, c, static_cast<size_t>(count));
  m_size += static_cast<size_t>(count);
}

ClTextAccessor::ClTextAccessor() = default;

ClTextAccessor::ClTextAccessor(char* name, StTAFORMAT* format, long count, void* record)
    : m_record(record), m_name(name), m_source(format), m_count(count) {
  if (m_count < 0 || m_source == nullptr) m_count = 0;
  // Without memory for its tables the accessor is one without columns: every
  // line it writes is empty and no column number is accepted.
  m_format = new (std::nothrow) StTAFORMAT[std::max(m_count, 1L)];
  m_mask = new (std::nothrow) unsigned char[std::max(m_count, kMinMaskSize)]();
  if (m_format == nullptr || m_mask == nullptr) {
    m_count = 0;
    return;
  }
  if (m_count > 0) std::memcpy(m_format, m_source, sizeof(StTAFORMAT) * m_count);
  // Room for the lines of the program's tables; a longer line grows it.
  m_line.Grow(kLineReserve);
}

ClTextAccessor::~ClTextAccessor() {
  delete[] m_format;
  delete[] m_mask;
}

long ClTextAccessor::SetMode(_Delimiter delimiter, _Quote quote) {
  if (delimiter == DELIM_FIXED && quote != QUOTE_NONE) {
    return textio::ReportStatus(textio::kInvalidArgument, kSource, __LINE__);
  }
  m_delimiter = delimiter;
  m_quote = quote;
  return textio::ReportStatus(0, kSource, __LINE__);
}

long ClTextAccessor::Attach(std::iostream* stream) {
  m_stream = stream;
  return textio::ReportStatus(0, kSource, __LINE__);
}

long ClTextAccessor::GetFormatCount() { return m_count; }

StTAFORMAT* ClTextAccessor::GetFormat() { return m_format; }

long ClTextAccessor::SetMask(long column, long value) {
  if (column < 0 || column >= m_count) return -1;
  m_mask[column] = static_cast<unsigned char>(value & 0xFF);
  return 0;
}

long ClTextAccessor::SetMasks(const unsigned char* masks, long count) {
  if (count < 0 || count > m_count || (count > 0 && masks == nullptr)) return -1;
  if (count > 0) std::memcpy(m_mask, masks, static_cast<size_t>(count));
  return 0;
}

long ClTextAccessor::GetMask(long column) {
  if (column < 0 || column >= m_count) return -1;
  return m_mask[column];
}

long ClTextAccessor::SetOrder(StTAORDER* order, long count) {
  m_order = order;
  m_orderCount = count;
  return 0;
}

StTAORDER* ClTextAccessor::GetOrder() { return m_order; }

long ClTextAccessor::GetOrderCount() { return m_orderCount; }

void ClTextAccessor::SetSelectFlag(int flag) { m_selectFlag = flag; }

// The order is in force only when the select flag is 0 and it has entries; a
// null order array counts as none.
long ClTextAccessor::_GetItemNum() {
  if (m_selectFlag == 0 && m_orderCount > 0 && m_order != nullptr) return m_orderCount;
  return m_count;
}

long ClTextAccessor::_GetItemNo(long index) {
  if (m_selectFlag == 0 && m_orderCount > 0 && m_order != nullptr) return m_order[index].column;
  return index;
}

long ClTextAccessor::RotateFormat(long start, long dest, long count) {
  if (start < 0 || start + 1 >= m_count) return 1;
  if (count > m_count - start) return 1;
  if (dest < start || dest - start >= count) return 1;  // also refuses count < 1
  StTAFORMAT* scratch = new (std::nothrow) StTAFORMAT[m_count];
  if (scratch == nullptr) return 1;
  std::memcpy(scratch, m_format, sizeof(StTAFORMAT) * m_count);
  const long end = start + count;
  for (long i = 0; i < count; ++i) {
    long p = dest + i;
    if (p >= end) p = start + (p - end);  // dest < end, so p - end is p mod end
    scratch[p] = m_format[start + i];
  }
  std::memcpy(m_format, scratch, sizeof(StTAFORMAT) * m_count);
  delete[] scratch;
  return 0;
}

void ClTextAccessor::ResetRotate() {
  if (m_count > 0) std::memcpy(m_format, m_source, sizeof(StTAFORMAT) * m_count);
}

long ClTextAccessor::Write() { return _WriteLine(0, false); }

long ClTextAccessor::Write2(long prefix) { return _WriteLine(prefix, false); }

long ClTextAccessor::ItemNameWrite() { return _WriteLine(0, true); }

long ClTextAccessor::ItemNameWrite2(long prefix) { return _WriteLine(prefix, true); }

// One complete line: the prefix, the columns of the line (values or names)
// with the layout's separator between them, and CR LF, built in the line
// buffer and then handed to the stream. A column that cannot be written ends
// the line there: what was built before it is handed over, the rest, its
// line end included, is not.
long ClTextAccessor::_WriteLine(long prefix, bool names) {
  if (m_stream == nullptr) return -1;
  SetBinaryMode(m_stream);
  m_line.Clear();
  for (long i = 0; i < prefix; ++i) m_line.Put("\"\",", 3);
  const char separator = *SeparatorText(m_delimiter);  // one byte, or none
  const long columns = _GetItemNum();
  const bool ordered = m_selectFlag == 0 && m_orderCount > 0 && m_order != nullptr;  // as _GetItemNo
  const bool delimited = m_delimiter != DELIM_FIXED;
  long result = 0;
  for (long i = 0; i < columns && result == 0; ++i) {
    long column = ordered ? _GetItemNo(i) : i;
    if (names) {
      result = WriteItemName(column, i);
    } else if (delimited && column >= 0 && column < m_count && m_mask[column] == 1) {
      // An empty field, the most common column of a row: only its separator.
      // In column order the empty fields after it go with it, their
      // separators added at once.
      if (!ordered) {
        long last = i;
        while (last + 1 < columns && last + 1 < m_count && m_mask[last + 1] == 1) ++last;
        if (separator != '\0') m_line.Fill(separator, last - i);
        i = last;
      }
    } else {
      result = _AppendItem(column);
    }
    if (result == 0 && i + 1 < columns && separator != '\0') m_line.PutChar(separator);
  }
  if (result == 0) m_line.Put("\r\n", 2);
  bool written = Flush(m_stream, m_line);
  return result != 0 ? result : written ? 0 : -1;
}

int ClTextAccessor::CommentWrite(char* text) {
  if (m_stream == nullptr) return -1;
  SetBinaryMode(m_stream);
  m_line.Clear();
  if (text != nullptr) m_line.Put(text, static_cast<long>(std::strlen(text)));
  m_line.Put("\r\n", 2);
  return Flush(m_stream, m_line) ? 0 : -1;
}

// A masked column: the fixed layout keeps its width with spaces; a delimited
// layout gets one space for mask 2 and an empty field otherwise.
void ClTextAccessor::_WriteMasked(long column, long fixedWidth) {
  if (m_delimiter == DELIM_FIXED) {
    m_line.Fill(' ', fixedWidth);
  } else if (m_mask[column] == 2) {
    m_line.Put(" ", 1);
  }
}

// One column's value, written to the stream on its own.
long ClTextAccessor::WriteItem(long column) {
  if (m_stream == nullptr) return -1;
  m_line.Clear();
  long result = _AppendItem(column);
  bool written = Flush(m_stream, m_line);
  return result != 0 ? result : written ? 0 : -1;
}

inline long ClTextAccessor::_AppendItem(long column) {
  if (column < 0 || column >= m_count) return -1;
  if (m_mask[column] != 0) {
    _WriteMasked(column, m_format[column].width);
    return 0;
  }
  return _AppendValue(column);
}

long ClTextAccessor::_AppendValue(long column) {
  if (m_record == nullptr) return -1;
  const StTAFORMAT& f = m_format[column];
  const unsigned char* value = static_cast<const unsigned char*>(m_record) + f.offset;
  const bool fixed = m_delimiter == DELIM_FIXED;
  char text[24];

  if (f.type == 0) {
    // At most width bytes, and never beyond the value's own buffer.
    long limit = std::max(0L, std::min<long>(f.width, f.size));
    long length = static_cast<long>(cp932::FieldLength(reinterpret_cast<const char*>(value), limit));
    if (fixed) {
      m_line.Put(reinterpret_cast<const char*>(value), length);
      m_line.Fill(' ', f.width - length);
    } else {
      const char* quote = QuoteText(m_quote);
      const long quoteLength = static_cast<long>(std::strlen(quote));
      m_line.Put(quote, quoteLength);
      m_line.Put(reinterpret_cast<const char*>(value), length);
      m_line.Put(quote, quoteLength);
    }
  } else if (f.type == 1 && (f.size == 1 || f.size == 2 || f.size == 4)) {
    int64_t v = LoadSigned(value, f.size);
    long length = FormatDecimal(text, v < 0, Magnitude(v));
    m_line.RightAligned(text, length, fixed ? f.width : 0);
  } else if (f.type == 1 && f.size == 8) {
    // Currency: whole units cut toward zero ("-0" for -1 < v < 0), then the
    // fraction cut, never rounded, after the column's decimals.
    int64_t v = LoadSigned(value, 8);
    uint64_t magnitude = Magnitude(v);
    const long decimals = std::clamp<long>(f.decimals, 0, 4);
    long length = FormatDecimal(text, v < 0, magnitude / 10000);
    long field = decimals != 0 ? f.width - decimals - 1 : f.width;
    m_line.RightAligned(text, length, fixed ? field : 0);
    if (decimals != 0) {
      unsigned fraction = static_cast<unsigned>(magnitude % 10000);
      char digits[5] = {'.', static_cast<char>('0' + fraction / 1000),
                        static_cast<char>('0' + fraction / 100 % 10),
                        static_cast<char>('0' + fraction / 10 % 10), static_cast<char>('0' + fraction % 10)};
      m_line.Put(digits, 1 + decimals);
    }
  } else if (f.type == 2 && (f.size == 1 || f.size == 2 || f.size == 4)) {
    // An unsigned value has no fraction to write, whatever its decimals say,
    // so it keeps the whole width of its field.
    long length = FormatDecimal(text, false, LoadUnsigned(value, f.size));
    m_line.RightAligned(text, length, fixed ? f.width : 0);
  }
  return 0;
}

// Adds one column's name to the line being built.
long ClTextAccessor::WriteItemName(long column, long position) {
  if (m_stream == nullptr || column < 0 || column >= m_count) return -1;
  const StTAFORMAT& f = m_format[column];
  const long length = static_cast<long>(cp932::FieldLength(f.name, sizeof(f.name)));
  if (m_mask[column] != 0) {
    _WriteMasked(column, length);
    return 0;
  }
  if (m_delimiter == DELIM_FIXED) {
    if (position > 0) m_line.Put("  ", 2);
    m_line.Put(f.name, length);
  } else {
    const char* quote = QuoteText(m_quote);
    const long quoteLength = static_cast<long>(std::strlen(quote));
    m_line.Put(quote, quoteLength);
    m_line.Put(f.name, length);
    m_line.Put(quote, quoteLength);
  }
  return 0;
}
