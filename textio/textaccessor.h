// ClTextAccessor: turns one record in memory into one line of text and back,
// driven by a column format table (StTAFORMAT array) that the caller owns.
// The accessor owns only its working copy of the table (and its column mask);
// the record, the table, the name, the order array and the stream belong to
// the caller and must outlive their use.
//
// Status codes: 0 success; -1 stream failure or column out of range;
// kInvalidArgument (-1003, textio/status.h) invalid argument. Reading: 1 end
// of file, 2 a line that does not fit its format, 3 a comment line that is
// not skipped.
#pragma once

#include <cstdint>
#include <cstring>
#include <iosfwd>

#include "platform/wintypes.h"

#pragma pack(push, 1)
// One column of a format table. All numbers are signed 32-bit.
struct StTAFORMAT {
  char name[36];     // column name (NUL-terminated CP932)
  int32_t width;     // bytes in the text; for strings also the most taken
  int32_t decimals;  // currency decimals written, 0 to 4
  int32_t offset;    // byte offset of the value in the record
  int32_t size;      // bytes of the value (string: buffer incl. NUL)
  int32_t type;      // 0 string, 1 signed number, 2 unsigned number
  int32_t required;  // reading: an empty unquoted field is an error
};
#pragma pack(pop)

// One entry of a column order: the column number at that position.
struct StTAORDER {
  int32_t column;
};

// Where one field lies in the line being read.
struct StREADOFFSETINFO {
  char* start;  // first byte after an opening quote; null for an empty unquoted field
  long length;  // bytes of the field without its quotes
};

class ClTextAccessor {
 public:
  enum _Delimiter { DELIM_FIXED = 1, DELIM_COMMA = 2, DELIM_TAB = 3, DELIM_SPACE = 4 };
  enum _Quote { QUOTE_NONE = 0, QUOTE_SINGLE = 1, QUOTE_DOUBLE = 2 };

  ClTextAccessor();
  ClTextAccessor(char* name, StTAFORMAT* format, long count, void* record);
  virtual ~ClTextAccessor();
  ClTextAccessor(const ClTextAccessor&) = delete;
  ClTextAccessor& operator=(const ClTextAccessor&) = delete;

  // Setup.
  long SetMode(_Delimiter delimiter, _Quote quote);
  long Attach(std::iostream* stream);
  long GetFormatCount();
  StTAFORMAT* GetFormat();
  long SetMask(long column, long value);
  long GetMask(long column);
  // Sets the mask bytes of columns 0 to count - 1 from masks at once (a row
  // writer sets every column's mask for every row); -1 when count is below 0
  // or above the column count.
  long SetMasks(const unsigned char* masks, long count);
  long SetOrder(StTAORDER* order, long count);
  StTAORDER* GetOrder();
  long GetOrderCount();
  void SetSelectFlag(int flag);
  long LoadOrder(unsigned char* dataId);
  long SaveOrder(unsigned char* dataId);
  long RotateFormat(long start, long dest, long count);
  void ResetRotate();

  // Writing: one complete line each.
  long Write();
  long Write2(long prefix);
  long ItemNameWrite();
  long ItemNameWrite2(long prefix);
  int CommentWrite(char* text);

  // Reading.
  long Read();
  void SetSpaceFlag(int flag);
  void SetCommentMark(const char* mark);
  void SetCommentSkip(int skip);
  void GetReadLine(char* buffer);
  long GetPhysicalLineNo();
  long GetLogicalLineNo();

 protected:
  long WriteItem(long column);
  long ReadItem(long position, long column, char* text, long length);

 private:
  long WriteItemName(long column, long position);
  long _GetItemNum();
  long _GetItemNo(long index);
  long _RdNextRow(char* line, long size);
  long _RdCmntRow(char* line, long size);
  int _CheckIsCmntRow(char* line);
  long _InitOfs_Fixed(char* line, long size, StREADOFFSETINFO* fields);
  long _InitOfs_Comma(char* line, long size, StREADOFFSETINFO* fields);
  long _InitOfs_Tab(char* line, long size, StREADOFFSETINFO* fields);
  long _InitOfs_Space(char* line, long size, StREADOFFSETINFO* fields);
  long CheckNumeric(char* text, tagCY* value);
  // One line of values or names, with the prefix of Write2/ItemNameWrite2.
  long _WriteLine(long prefix, bool names);
  // Adds one column's value to the line being built (WriteItem without the
  // stream); _AppendValue is the part for a column that is not masked.
  long _AppendItem(long column);
  long _AppendValue(long column);
  // A masked column or name; fixedWidth is the spaces of the fixed layout.
  void _WriteMasked(long column, long fixedWidth);

  // The members of the library's description, in its order: stream, layout,
  // quote, record, name, source table, column count, order and its count,
  // column mask, select flag, space flag, working table, comment mark and
  // skip, last line, physical and logical line numbers. The column mask is
  // sized to the table (at least 200 entries) so no table can index past it.
  std::iostream* m_stream = nullptr;
  _Delimiter m_delimiter = DELIM_FIXED;
  _Quote m_quote = QUOTE_NONE;
  void* m_record = nullptr;
  char* m_name = nullptr;
  StTAFORMAT* m_source = nullptr;
  long m_count = 0;
  StTAORDER* m_order = nullptr;
  long m_orderCount = 0;
  unsigned char* m_mask = nullptr;
  int m_selectFlag = 1;
  int m_spaceFlag = 0;
  StTAFORMAT* m_format = nullptr;
  const char* m_commentMark = nullptr;
  int m_commentSkip = 1;
  char m_lastLine[1024] = {};
  long m_physicalLineNo = 0;
  long m_logicalLineNo = 0;
  // The line that _RdNextRow read last: its length in bytes, and whether it
  // was longer than the line buffer (then only its start was kept).
  long m_lineLength = 0;
  bool m_lineTooLong = false;
  // The line being written, handed to the stream in one piece.
  class LineBuffer {
   public:
    LineBuffer() = default;
    ~LineBuffer() { delete[] m_data; }
    LineBuffer(const LineBuffer&) = delete;
    LineBuffer& operator=(const LineBuffer&) = delete;
    void Put(const char* text, long length) {
      if (length <= 0) return;
      if (static_cast<size_t>(length) > m_capacity - m_size && !Grow(static_cast<size_t>(length))) return;
      std::memcpy(m_data + m_size, text, static_cast<size_t>(length));
      m_size += static_cast<size_t>(length);
    }
    void PutChar(char c) {
      if (m_size == m_capacity && !Grow(1)) return;
      m_data[m_size++] = c;
    }
    // count copies of c (none for a count of 0 or less).
    void Fill(char c, long count);
    // text right-aligned in a field of width bytes (no padding for a width
    // of 0 or less); a longer text is written whole.
    void RightAligned(const char* text, long length, long width);
    // Room for more bytes; false (and the line is lost) without memory for
    // them.
    bool Grow(size_t more);
    void Clear() {
      m_size = 0;
      m_lost = false;
    }
    const char* data() const { return m_data; }
    size_t size() const { return m_size; }
    bool lost() const { return m_lost; }

   private:
    char* m_data = nullptr;
    size_t m_size = 0;
    size_t m_capacity = 0;
    bool m_lost = false;
  };
  LineBuffer m_line;
};
