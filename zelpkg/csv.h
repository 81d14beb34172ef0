// Reads the records of a CSV file (RFC 4180): fields separated by commas; a
// field in double quotes may hold commas, line ends and doubled quotes;
// records end with LF or CR LF. The file is read whole and made UTF-8 first:
// a file with a UTF-16 byte-order mark is UTF-16, a UTF-8 byte-order mark is
// skipped, and otherwise the encoding is the one asked for, where kAuto
// takes UTF-8 when the whole file is valid UTF-8 and else Shift_JIS (CP932,
// as a spreadsheet in Japan saves CSV) when it is valid Shift_JIS.
#pragma once

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
  // False with the reason (one line) when the file cannot be read, or is not
  // in the encoding: then *bad_line is the first line that is not (else 0),
  // and the reason says what to do.
  bool Open(const std::string& path, Encoding encoding, std::string* why, long* bad_line);

  // The next record into *fields, with the line it starts on (from 1).
  // False at the end of the file, or with *why set for a record that cannot
  // be read (a quote left open, text after a closing quote); reading goes
  // on after such a record. A blank line is a record of one empty field.
  bool Next(std::vector<std::string>* fields, long* line, std::string* why);

 private:
  std::string text_;
  size_t pos_ = 0;
  long line_ = 1;
};

}  // namespace package
