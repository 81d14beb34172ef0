// Reads the records of a CSV file (RFC 4180): fields separated by commas; a
// field in double quotes may hold commas, line ends and doubled quotes;
// records end with LF or CR LF. Records are read as UTF-8: a file with a
// UTF-16 byte-order mark is UTF-16, a UTF-8 byte-order mark is skipped, and
// otherwise the encoding is the one asked for, where kAuto takes UTF-8 when
// the whole file is valid UTF-8 and else Shift_JIS (CP932, as a spreadsheet
// in Japan saves CSV) when it is valid Shift_JIS. A UTF-8 file is read in
// pieces, so that a register of a million assets (hundreds of megabytes)
// is never held whole, and a Shift_JIS one is made UTF-8 piece by piece; a
// UTF-16 one is made UTF-8 whole first.
#pragma once

#include <cstddef>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace package {

enum class Encoding { kAuto, kUtf8, kCp932 };

// "auto", "utf-8" (or "utf8") and "cp932" (or "shift_jis", "sjis"); false
// for another name.
bool ParseEncoding(std::string_view name, Encoding* encoding);

class CsvReader {
 public:
  // piece: the bytes read from the file at a time (a test makes it small,
  // so that records cross the pieces' edges).
  explicit CsvReader(size_t piece = size_t{1} << 20) : piece_(piece < 1 ? 1 : piece) {}

  // False with the reason (one line) when the file cannot be read, or is not
  // in the encoding: then *bad_line is the first line that is not (else 0),
  // and the reason says what to do.
  bool Open(const std::string& path, Encoding encoding, std::string* why, long* bad_line);

  // The next record into *fields, with the line it starts on (from 1).
  // False at the end of the file, or with *why set for a record that cannot
  // be read (a quote left open, text after a closing quote, a file that
  // cannot be read on); reading goes on after such a record. A blank line is
  // a record of one empty field.
  bool Next(std::vector<std::string>* fields, long* line, std::string* why);

 private:
  enum class Step { kRecord, kMore };
  // Reads the record at pos_; kMore when it runs into the end of what is
  // read so far before the end of the file.
  Step ReadRecord(std::vector<std::string>* fields, std::string* why);
  // Keeps the text from pos_ on and reads the next piece after it; false at
  // the end of the file.
  bool Fill();
  // Puts text in place of the file: all of it, read.
  void Hold(std::string_view text);
  // The file from byte from on into *text; false when it cannot be read.
  bool ReadFrom(size_t from, std::string* text);
  // The offset of the first byte in the file, from byte from on, that is
  // not part of a character of the encoding, or npos: valid gives the
  // length of a text's start that is whole characters, of at most longest
  // bytes each.
  size_t Scan(size_t from, size_t (*valid)(std::string_view text), size_t longest);
  // The line of the file that byte offset is on; false when the file
  // cannot be read that far.
  bool LineAt(size_t offset, long* line);

  size_t piece_;
  std::ifstream in_;
  bool at_end_ = false;          // the file is read to its end
  bool read_failed_ = false;     // and that end was a failure to read on
  bool cp932_ = false;           // the file is Shift_JIS, made UTF-8 as it is read
  std::unique_ptr<char[]> raw_;  // a piece of Shift_JIS
  size_t raw_capacity_ = 0;
  size_t carried_ = 0;  // bytes of raw_ left for the next piece
  std::unique_ptr<char[]> buffer_;
  size_t capacity_ = 0;
  size_t end_ = 0;  // bytes of buffer_ in use
  size_t pos_ = 0;  // the next byte to read
  long line_ = 1;
};

}  // namespace package
