#include "zelpkg/csv.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/win.h"

namespace package {

bool CsvReader::Open(const std::string& path, std::string* why) {
  std::ifstream in(win::HostFsPath(path), std::ios::binary);
  if (!in) {
    *why = std::strerror(errno);
    return false;
  }
  std::ostringstream all;
  all << in.rdbuf();
  if (in.bad()) {
    *why = "cannot be read";
    return false;
  }
  text_ = all.str();
  pos_ = text_.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  line_ = 1;
  return true;
}

bool CsvReader::Next(std::vector<std::string>* fields, long* line, std::string* why) {
  fields->clear();
  why->clear();
  if (pos_ >= text_.size()) return false;
  *line = line_;
  fields->emplace_back();
  const size_t n = text_.size();
  while (pos_ < n) {
    char c = text_[pos_];
    if (c == '\n' || (c == '\r' && pos_ + 1 < n && text_[pos_ + 1] == '\n')) {
      pos_ += c == '\r' ? 2 : 1;
      ++line_;
      return true;
    }
    if (c == ',') {
      fields->emplace_back();
      ++pos_;
      continue;
    }
    std::string& field = fields->back();
    if (c == '"' && field.empty()) {
      // A quoted field, up to the quote that is not doubled.
      long start_line = line_;
      ++pos_;
      for (;;) {
        size_t quote = text_.find('"', pos_);
        if (quote == std::string::npos) {
          for (; pos_ < n; ++pos_) line_ += text_[pos_] == '\n';
          *why = "a quoted field opened on line " + std::to_string(start_line) + " is not closed";
          return true;
        }
        for (size_t i = pos_; i < quote; ++i) line_ += text_[i] == '\n';
        field.append(text_, pos_, quote - pos_);
        pos_ = quote + 1;
        if (pos_ < n && text_[pos_] == '"') {
          field += '"';
          ++pos_;
          continue;
        }
        break;
      }
      if (pos_ < n && text_[pos_] != ',' && text_[pos_] != '\n' &&
          !(text_[pos_] == '\r' && pos_ + 1 < n && text_[pos_ + 1] == '\n')) {
        *why = "text follows a closing quote";
        // Skip to the end of the line, so that reading goes on at the next.
        size_t end = text_.find('\n', pos_);
        pos_ = end == std::string::npos ? n : end + 1;
        ++line_;
        return true;
      }
      continue;
    }
    // An unquoted field, up to the next comma or line end.
    size_t end = text_.find_first_of(",\r\n", pos_);
    while (end != std::string::npos && text_[end] == '\r' && !(end + 1 < n && text_[end + 1] == '\n'))
      end = text_.find_first_of(",\r\n", end + 1);
    if (end == std::string::npos) end = n;
    field.append(text_, pos_, end - pos_);
    pos_ = end;
  }
  return true;
}

}  // namespace package
