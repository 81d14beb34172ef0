// Reads the records of a CSV file (RFC 4180): fields separated by commas; a
// field in double quotes may hold commas, line ends and doubled quotes;
// records end with LF or CR LF. A UTF-8 byte-order mark at the start is
// skipped. The file is read whole.
#pragma once

#include <string>
#include <vector>

namespace package {

class CsvReader {
 public:
  // False with the reason (one line) when the file cannot be read.
  bool Open(const std::string& path, std::string* why);

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
