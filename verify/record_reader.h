// RecordReader: reads a line of a comma-separated file into a record with
// ClTextAccessor::Read, over a copy of the format table that the export
// writes the file with (comma layout, no quotes), so that reading and
// writing go by the same columns.
//
// The reading side takes at most 100 fields a line; a longer row (the asset
// rows have 151) is handed to it in parts of at most 100 fields, each read
// under a column order of its own columns into the same record. Blanks
// inside a field belong to it (space flag 1): names may hold them.
#pragma once

#include <istream>
#include <streambuf>
#include <string_view>
#include <vector>

#include "textio/textaccessor.h"

namespace verify {

class RecordReader {
 public:
  // table: count columns, copied; keep_required false clears every required
  // flag (for files whose writer leaves required columns empty).
  RecordReader(const StTAFORMAT* table, long count, bool keep_required);
  RecordReader(const RecordReader&) = delete;
  RecordReader& operator=(const RecordReader&) = delete;

  // Reads one line (without its line end): the result of the accessor's
  // Read, 0 when every part was read and stored; 2 for a line that does not
  // fit (also a line longer than the 1023 bytes the reading side takes).
  long Read(std::string_view line);

  const std::vector<StTAFORMAT>& table() const { return table_; }

 private:
  // Hands a byte range to the accessor as its stream.
  class SpanBuf : public std::streambuf {
   public:
    void Set(char* begin, char* end) { setg(begin, begin, end); }
  };

  std::vector<StTAFORMAT> table_;
  std::vector<unsigned char> record_;
  std::vector<StTAORDER> order_;  // 0, 1, ... count - 1
  std::vector<char> line_;        // the line, its parts ended by LF
  SpanBuf span_;
  std::iostream stream_;
  ClTextAccessor accessor_;
};

}  // namespace verify
