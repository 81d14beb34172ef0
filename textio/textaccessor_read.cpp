// ClTextAccessor: the reading side. A line is read into a buffer in Read's
// frame, split into fields by the layout, and each field is stored into the
// record as the format table says. Nothing here allocates.
//
// The splitters look at single bytes only: separators, quotes and blanks
// never occur as the second byte of a double-byte character.
#include <algorithm>
#include <cstring>
#include <istream>
#include <limits>

#include "textio/textaccessor.h"

namespace {

constexpr long kLineSize = 1024;  // line buffer, terminator included
constexpr long kMaxFields = 100;  // fields of one line

bool IsQuote(char c) { return c == '"' || c == '\''; }

// The quote character that opens a quoted field; 0 when either may.
char ExpectedQuote(ClTextAccessor::_Quote quote) {
  switch (quote) {
    case ClTextAccessor::QUOTE_SINGLE: return '\'';
    case ClTextAccessor::QUOTE_DOUBLE: return '"';
    default: return 0;
  }
}

// Collects the fields of a line of `wanted` columns; refuses a field beyond
// them or beyond the array, so the array is never written past.
struct FieldList {
  StREADOFFSETINFO* fields;
  long wanted;
  long count = 0;
  bool Complete() const { return count == wanted; }
  bool Add(char* start, long length) {
    if (count >= wanted || count >= kMaxFields) return false;
    fields[count].start = start;
    fields[count].length = length;
    ++count;
    return true;
  }
};

// The scanner of the comma and tab layouts. The blanks are spaces, and tabs
// too when tabs are not the separator; spaceFlag 1 keeps blanks inside an
// unquoted field (only the comma layout uses it).
long SplitDelimited(char* line, long length, StREADOFFSETINFO* fields, long wanted, char separator,
                    int spaceFlag, char expectedQuote) {
  enum { kBetween, kQuoted, kUnquoted, kAfter } state = kBetween;
  auto blank = [separator](char c) { return c == ' ' || (c == '\t' && separator != '\t'); };
  FieldList list{fields, wanted};
  long start = 0;
  long trailing = 0;  // blanks since the last non-blank byte of an unquoted field
  char closing = 0;
  for (long i = 0;; ++i) {
    const bool end = i == length;
    const char c = end ? 0 : line[i];
    switch (state) {
      case kBetween:
        if (end) {
          if (!list.Add(nullptr, 0)) return 2;
          return list.Complete() ? 0 : 2;
        }
        if (blank(c)) break;
        if (c == separator) {
          if (!list.Add(nullptr, 0)) return 2;
        } else if (IsQuote(c)) {
          if (expectedQuote != 0 && c != expectedQuote) return 2;
          start = i + 1;
          closing = c;
          state = kQuoted;
        } else {
          start = i;
          trailing = 0;
          state = kUnquoted;
          --i;  // look at this byte again as part of the field
        }
        break;
      case kQuoted:
        if (end) return 2;
        if (c == closing) {
          if (!list.Add(line + start, i - start)) return 2;
          state = kAfter;
        }
        break;
      case kUnquoted:
        if (end) {
          if (!list.Add(line + start, i - start - (spaceFlag ? trailing : 0))) return 2;
          return list.Complete() ? 0 : 2;
        }
        if (IsQuote(c)) return 2;
        if (c == separator) {
          if (!list.Add(line + start, i - start - trailing)) return 2;
          state = kBetween;
        } else if (blank(c)) {
          if (spaceFlag) {
            ++trailing;
          } else {
            if (!list.Add(line + start, i - start)) return 2;
            state = kAfter;
          }
        } else {
          trailing = 0;
        }
        break;
      case kAfter:
        if (end) return list.Complete() ? 0 : 2;
        if (blank(c)) break;
        if (c != separator) return 2;
        state = kBetween;
        break;
    }
  }
}

// Stores v in size bytes (1, 2, 4 or 8) at p; a value that does not fit
// keeps its low bytes.
void StoreInteger(unsigned char* p, long size, int64_t v) {
  switch (size) {
    case 1: {
      auto x = static_cast<int8_t>(v);
      std::memcpy(p, &x, 1);
      break;
    }
    case 2: {
      auto x = static_cast<int16_t>(v);
      std::memcpy(p, &x, 2);
      break;
    }
    case 4: {
      auto x = static_cast<int32_t>(v);
      std::memcpy(p, &x, 4);
      break;
    }
    case 8: std::memcpy(p, &v, 8); break;
  }
}

}  // namespace

long ClTextAccessor::Read() {
  if (m_stream == nullptr) return -1;
  char line[kLineSize];
  StREADOFFSETINFO fields[kMaxFields];

  long result = _RdNextRow(line, kLineSize);
  if (result != 0) return result;
  result = _RdCmntRow(line, kLineSize);
  if (result != 0) return result;
  if (m_lineTooLong) return 2;

  const long columns = _GetItemNum();
  if (columns > kMaxFields) return 2;
  for (long i = 0; i < columns; ++i) {
    long column = _GetItemNo(i);
    if (column < 0 || column >= m_count) return -1;
  }

  switch (m_delimiter) {
    case DELIM_FIXED: result = _InitOfs_Fixed(line, m_lineLength, fields); break;
    case DELIM_COMMA: result = _InitOfs_Comma(line, m_lineLength, fields); break;
    case DELIM_TAB: result = _InitOfs_Tab(line, m_lineLength, fields); break;
    default: result = _InitOfs_Space(line, m_lineLength, fields); break;
  }
  if (result != 0) return result;

  for (long i = 0; i < columns; ++i) {
    result = ReadItem(i, _GetItemNo(i), fields[i].start, fields[i].length);
    if (result != 0) return result;
  }
  return 0;
}

void ClTextAccessor::SetSpaceFlag(int flag) { m_spaceFlag = flag; }

void ClTextAccessor::SetCommentMark(const char* mark) { m_commentMark = mark; }

void ClTextAccessor::SetCommentSkip(int skip) { m_commentSkip = skip; }

void ClTextAccessor::GetReadLine(char* buffer) {
  if (buffer != nullptr) std::memcpy(buffer, m_lastLine, sizeof(m_lastLine));
}

long ClTextAccessor::GetPhysicalLineNo() { return m_physicalLineNo; }

long ClTextAccessor::GetLogicalLineNo() { return m_logicalLineNo; }

// Reads up to and including the next LF; the LF and a CR right before it are
// not kept. A last line without LF is a line too. A line longer than the
// buffer is consumed whole and marked too long (its start is kept), so the
// next read starts at the following line. size is the buffer's size.
long ClTextAccessor::_RdNextRow(char* line, long size) {
  std::streambuf* buffer = m_stream->rdbuf();
  if (buffer == nullptr || size < 1) return 1;
  using Traits = std::char_traits<char>;
  long total = 0;  // bytes of the line before its LF
  long kept = 0;
  bool any = false;
  bool lastWasCr = false;
  bool sawLf = false;
  for (int c = buffer->sbumpc(); !Traits::eq_int_type(c, Traits::eof()); c = buffer->sbumpc()) {
    any = true;
    if (c == '\n') {
      sawLf = true;
      break;
    }
    if (kept < size - 1) line[kept++] = Traits::to_char_type(c);
    ++total;
    lastWasCr = c == '\r';
  }
  if (!any) return 1;
  if (sawLf && lastWasCr) --total;
  m_lineTooLong = total > size - 1;
  m_lineLength = m_lineTooLong ? size - 1 : total;
  line[m_lineLength] = '\0';
  ++m_physicalLineNo;
  std::memset(m_lastLine, 0, sizeof(m_lastLine));
  std::memcpy(m_lastLine, line, static_cast<size_t>(std::min<long>(m_lineLength, sizeof(m_lastLine) - 1)));
  return 0;
}

long ClTextAccessor::_RdCmntRow(char* line, long size) {
  if (m_commentMark == nullptr) {
    m_logicalLineNo = m_physicalLineNo;
    return 0;
  }
  if (m_commentSkip) {
    while (_CheckIsCmntRow(line)) {
      long result = _RdNextRow(line, size);
      if (result != 0) return result;
    }
  } else if (_CheckIsCmntRow(line)) {
    return 3;
  }
  ++m_logicalLineNo;
  return 0;
}

int ClTextAccessor::_CheckIsCmntRow(char* line) {
  if (m_commentMark == nullptr) return 0;
  const size_t length = std::strlen(m_commentMark);
  if (length > static_cast<size_t>(m_lineLength)) return 0;
  return std::memcmp(line, m_commentMark, length) == 0 ? 1 : 0;
}

// Fixed layout: the fields lie back to back, each as wide as its column; the
// line must be exactly as long as all of them.
long ClTextAccessor::_InitOfs_Fixed(char* line, long size, StREADOFFSETINFO* fields) {
  const long columns = _GetItemNum();
  if (columns > kMaxFields) return 2;
  long at = 0;
  for (long i = 0; i < columns; ++i) {
    const long width = m_format[_GetItemNo(i)].width;
    if (width < 0 || width > size - at) return 2;
    fields[i].start = line + at;
    fields[i].length = width;
    at += width;
  }
  return at == size ? 0 : 2;
}

long ClTextAccessor::_InitOfs_Comma(char* line, long size, StREADOFFSETINFO* fields) {
  return SplitDelimited(line, size, fields, _GetItemNum(), ',', m_spaceFlag, ExpectedQuote(m_quote));
}

long ClTextAccessor::_InitOfs_Tab(char* line, long size, StREADOFFSETINFO* fields) {
  return SplitDelimited(line, size, fields, _GetItemNum(), '\t', 0, ExpectedQuote(m_quote));
}

// Space layout: fields are separated by runs of blanks; there are no empty
// fields, except the one of an empty or all-blank line.
long ClTextAccessor::_InitOfs_Space(char* line, long size, StREADOFFSETINFO* fields) {
  const char expectedQuote = ExpectedQuote(m_quote);
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  FieldList list{fields, _GetItemNum()};
  long i = 0;
  for (;;) {
    while (i < size && blank(line[i])) ++i;
    if (i == size) break;
    if (IsQuote(line[i])) {
      const char closing = line[i];
      if (expectedQuote != 0 && closing != expectedQuote) return 2;
      const long start = i + 1;
      const void* found = std::memchr(line + start, closing, static_cast<size_t>(size - start));
      if (found == nullptr) return 2;
      const long stop = static_cast<const char*>(found) - line;
      if (!list.Add(line + start, stop - start)) return 2;
      i = stop + 1;
    } else {
      const long start = i;
      while (i < size && !blank(line[i]) && !IsQuote(line[i])) ++i;
      if (i < size && IsQuote(line[i])) return 2;
      if (!list.Add(line + start, i - start)) return 2;
    }
  }
  if (list.count == 0 && !list.Add(nullptr, 0)) return 2;
  return list.Complete() ? 0 : 2;
}

long ClTextAccessor::ReadItem(long /*position*/, long column, char* text, long length) {
  if (column < 0 || column >= m_count) return -1;
  const StTAFORMAT& f = m_format[column];
  if (f.required && text == nullptr) return 2;
  if (length < 0 || text == nullptr) length = 0;
  char buffer[kLineSize];
  if (length > kLineSize - 1) return 2;
  if (length > 0) std::memcpy(buffer, text, static_cast<size_t>(length));
  buffer[length] = '\0';
  if (m_record == nullptr) return -1;
  unsigned char* value = static_cast<unsigned char*>(m_record) + f.offset;

  if (f.type == 0) {
    if (length > static_cast<long>(f.size) - 1) return 2;
    std::memcpy(value, buffer, static_cast<size_t>(length));
    std::memset(value + length, 0, static_cast<size_t>(f.size - length));
    return 0;
  }
  if (f.type != 1 && f.type != 2) return 0;
  tagCY number;
  long checked = CheckNumeric(buffer, &number);
  if (checked == 2) return 2;
  if (checked == 1) return 0;  // blank: the record keeps its value
  if (f.type == 1 && f.size == 8) {
    StoreInteger(value, 8, number.int64);
  } else if (f.size == 1 || f.size == 2 || f.size == 4) {
    StoreInteger(value, f.size, number.int64 / 10000);
  }
  return 0;
}

// Turns a number text into ten-thousandths: blanks around it, an optional
// leading sign, digit-grouping commas, one decimal point; fraction digits
// beyond the fourth are cut. 1 for a blank text, 2 for a malformed one or one
// beyond the currency range.
long ClTextAccessor::CheckNumeric(char* text, tagCY* value) {
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  const char* p = text;
  while (*p != '\0' && blank(*p)) ++p;
  if (*p == '\0') return 1;

  constexpr uint64_t kMax = static_cast<uint64_t>(std::numeric_limits<int64_t>::max());
  const char* first = p;
  bool negative = false;
  bool inFraction = false;
  bool overflow = false;
  uint64_t whole = 0;
  long fraction = 0;
  long fractionDigits = 0;
  for (; *p != '\0' && !blank(*p); ++p) {
    const char c = *p;
    if (c == '+' || c == '-') {
      if (p != first) return 2;
      negative = c == '-';
    } else if (c == '.') {
      if (inFraction) return 2;
      inFraction = true;
    } else if (c >= '0' && c <= '9') {
      if (!inFraction) {
        if (whole > (kMax / 10000 - (c - '0')) / 10)
          overflow = true;
        else
          whole = whole * 10 + static_cast<uint64_t>(c - '0');
      } else if (fractionDigits < 4) {
        fraction = fraction * 10 + (c - '0');
        ++fractionDigits;
      }
    }
    // commas (digit grouping) and any other byte are skipped
  }
  for (; *p != '\0'; ++p) {
    if (!blank(*p)) return 2;
  }
  if (overflow) return 2;
  for (; fractionDigits < 4; ++fractionDigits) fraction *= 10;
  const uint64_t magnitude = whole * 10000 + static_cast<uint64_t>(fraction);
  if (magnitude > kMax) return 2;
  const int64_t v = static_cast<int64_t>(magnitude);
  value->int64 = negative ? -v : v;
  return 0;
}
