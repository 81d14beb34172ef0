#include "zelpkg/csv.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/cp932.h"
#include "platform/win.h"

namespace package {

namespace {

// The offset of the first byte that is not part of a UTF-8 character, or
// npos for a valid text.
size_t FirstNonUtf8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    size_t n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
    if (n == 0 || i + n > text.size()) return i;
    uint32_t code = n == 1 ? c : c & (0x7F >> n);
    for (size_t k = 1; k < n; ++k) {
      unsigned char t = static_cast<unsigned char>(text[i + k]);
      if ((t & 0xC0) != 0x80) return i;
      code = (code << 6) | (t & 0x3F);
    }
    static const uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kLeast[n] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return i;
    i += n;
  }
  return std::string_view::npos;
}

// The offset of the first byte that is not part of a Shift_JIS character
// with a Unicode form, or npos.
size_t FirstNonCp932(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    size_t n = 1;
    if (cp932::IsLeadByte(c)) {
      if (i + 1 >= text.size() || !cp932::IsTrailByte(static_cast<unsigned char>(text[i + 1]))) return i;
      n = 2;
    } else if (c == 0x80 || c == 0xA0 || c >= 0xFD) {
      return i;
    }
    bool lossy = false;
    if (n == 2) cp932::ToUtf8(text.substr(i, 2), &lossy);
    if (lossy) return i;
    i += n;
  }
  return std::string_view::npos;
}

void AppendUtf8(uint32_t code, std::string* out) {
  if (code < 0x80) {
    out->push_back(static_cast<char>(code));
  } else if (code < 0x800) {
    out->push_back(static_cast<char>(0xC0 | code >> 6));
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else if (code < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | code >> 12));
    out->push_back(static_cast<char>(0x80 | (code >> 6 & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | code >> 18));
    out->push_back(static_cast<char>(0x80 | (code >> 12 & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (code >> 6 & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  }
}

// UTF-16 (after its byte-order mark) as UTF-8; false with the line of the
// first unit that is no character (a lone surrogate, an odd last byte).
bool FromUtf16(std::string_view bytes, bool big_endian, std::string* out, long* bad_line) {
  long line = 1;
  auto unit = [&](size_t i) {
    unsigned char a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
    return static_cast<uint32_t>(big_endian ? a << 8 | b : b << 8 | a);
  };
  for (size_t i = 0; i < bytes.size(); i += 2) {
    *bad_line = line;
    if (i + 1 >= bytes.size()) return false;
    uint32_t code = unit(i);
    if (code >= 0xDC00 && code <= 0xDFFF) return false;
    if (code >= 0xD800 && code <= 0xDBFF) {
      if (i + 3 >= bytes.size()) return false;
      uint32_t low = unit(i + 2);
      if (low < 0xDC00 || low > 0xDFFF) return false;
      code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
      i += 2;
    }
    line += code == '\n';
    AppendUtf8(code, out);
  }
  return true;
}

long LineOf(std::string_view text, size_t offset) {
  return 1 + static_cast<long>(
                 std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(offset), '\n'));
}

}  // namespace

bool ParseEncoding(std::string_view name, Encoding* encoding) {
  std::string lower;
  for (char c : name) lower.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
  if (lower == "auto")
    *encoding = Encoding::kAuto;
  else if (lower == "utf-8" || lower == "utf8")
    *encoding = Encoding::kUtf8;
  else if (lower == "cp932" || lower == "shift_jis" || lower == "sjis")
    *encoding = Encoding::kCp932;
  else
    return false;
  return true;
}

bool CsvReader::Open(const std::string& path, Encoding encoding, std::string* why, long* bad_line) {
  *bad_line = 0;
  std::ifstream in(win::HostFsPath(path), std::ios::binary);
  if (!in) {
    *why = std::strerror(errno);
    return false;
  }
  // Read whole into room made once: a register of a million assets is
  // hundreds of megabytes, which a growing string would copy over and over.
  // Appended in pieces, so that the room is written once (resize would
  // first fill it with zeros).
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  in.seekg(0, std::ios::beg);
  text_.clear();
  text_.reserve(size > 0 ? static_cast<size_t>(size) : 0);
  char piece[1 << 16];
  while (size >= 0 && in.read(piece, sizeof piece).gcount() > 0)
    text_.append(piece, static_cast<size_t>(in.gcount()));
  if (size < 0 || in.bad()) {
    *why = "cannot be read";
    return false;
  }
  pos_ = 0;
  line_ = 1;
  std::string_view text = text_;
  if (text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF")) {
    std::string utf8;
    if (!FromUtf16(text.substr(2), text[0] == '\xFE', &utf8, bad_line)) {
      *why = "a UTF-16 file whose text breaks off here; save it as UTF-8 CSV";
      return false;
    }
    text_ = std::move(utf8);
    return true;
  }
  if (text.starts_with("\xEF\xBB\xBF")) {
    pos_ = 3;
    encoding = Encoding::kUtf8;
  }
  size_t bad_utf8 = encoding == Encoding::kCp932 ? 0 : FirstNonUtf8(text);
  if (bad_utf8 == std::string_view::npos) return true;
  size_t bad_cp932 = encoding == Encoding::kUtf8 ? 0 : FirstNonCp932(text);
  if (bad_cp932 == std::string_view::npos) {
    text_ = cp932::ToUtf8(text);
    return true;
  }
  switch (encoding) {
    case Encoding::kUtf8:
      *bad_line = LineOf(text, bad_utf8);
      *why = "not UTF-8 text; give --encoding cp932 for a Shift_JIS file, or save it as UTF-8";
      break;
    case Encoding::kCp932:
      *bad_line = LineOf(text, bad_cp932);
      *why = "not Shift_JIS (CP932) text; give --encoding utf-8 for a UTF-8 file, or save it as Shift_JIS";
      break;
    case Encoding::kAuto:
      *bad_line = LineOf(text, std::max(bad_utf8, bad_cp932));
      *why = "neither UTF-8 nor Shift_JIS (CP932) text; save the file as UTF-8 or Shift_JIS CSV";
      break;
  }
  return false;
}

bool CsvReader::Next(std::vector<std::string>* fields, long* line, std::string* why) {
  // The fields of the last record are reused, so that their texts keep their
  // storage: a million rows of forty fields would otherwise allocate forty
  // million times. The vector is cut to the fields read on every return.
  size_t used = 0;
  struct Cut {
    std::vector<std::string>* fields;
    const size_t& used;
    ~Cut() { fields->resize(used); }
  } cut{fields, used};
  auto start_field = [&] {
    if (used < fields->size())
      (*fields)[used].clear();
    else
      fields->emplace_back();
    ++used;
  };
  why->clear();
  if (pos_ >= text_.size()) return false;
  *line = line_;
  start_field();
  const size_t n = text_.size();
  while (pos_ < n) {
    char c = text_[pos_];
    if (c == '\n' || (c == '\r' && pos_ + 1 < n && text_[pos_ + 1] == '\n')) {
      pos_ += c == '\r' ? 2 : 1;
      ++line_;
      return true;
    }
    if (c == ',') {
      start_field();
      ++pos_;
      continue;
    }
    std::string& field = (*fields)[used - 1];
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
    // (A plain loop: find_first_of looks each byte up in the set with a call.)
    size_t end = pos_;
    while (end < n && text_[end] != ',' && text_[end] != '\n' &&
           !(text_[end] == '\r' && end + 1 < n && text_[end + 1] == '\n'))
      ++end;
    field.append(text_, pos_, end - pos_);
    pos_ = end;
  }
  return true;
}

}  // namespace package
