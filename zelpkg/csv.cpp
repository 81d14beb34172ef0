#include "zelpkg/csv.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>

#include "platform/cp932.h"
#include "platform/win.h"

namespace package {

namespace {

constexpr size_t kNone = std::string_view::npos;

// The length of the longest start of text that is whole UTF-8 characters.
size_t ValidUtf8(std::string_view text) {
  const char* p = text.data();
  const size_t size = text.size();
  size_t i = 0;
  while (i < size) {
    // Eight ASCII bytes at a time: most of a register is ASCII.
    uint64_t word = 0;
    if (i + 8 <= size && (std::memcpy(&word, p + i, 8), (word & 0x8080808080808080u) == 0)) {
      i += 8;
      continue;
    }
    unsigned char c = static_cast<unsigned char>(p[i]);
    size_t n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
    if (n == 0 || i + n > size) return i;
    uint32_t code = n == 1 ? c : c & (0x7F >> n);
    for (size_t k = 1; k < n; ++k) {
      unsigned char t = static_cast<unsigned char>(p[i + k]);
      if ((t & 0xC0) != 0x80) return i;
      code = (code << 6) | (t & 0x3F);
    }
    static const uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kLeast[n] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return i;
    i += n;
  }
  return size;
}

// The length of the longest start of text that is whole Shift_JIS
// characters by their bytes: a lead byte with a trail byte, or one of the
// single bytes that are characters.
size_t WholeCp932(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (cp932::IsLeadByte(c)) {
      if (i + 1 >= text.size() || !cp932::IsTrailByte(static_cast<unsigned char>(text[i + 1]))) return i;
      i += 2;
    } else if (c == 0x80 || c == 0xA0 || c >= 0xFD) {
      return i;
    } else {
      ++i;
    }
  }
  return text.size();
}

// The length of the longest start of text that is whole Shift_JIS
// characters with a Unicode form. Converted whole, and character by
// character only when something did not convert, to find where.
size_t ValidCp932(std::string_view text) {
  const size_t whole = WholeCp932(text);
  bool lossy = false;
  cp932::ToUtf8(text.substr(0, whole), &lossy);
  if (!lossy) return whole;
  for (size_t i = 0; i < whole; i += cp932::CharLength(text, i)) {
    cp932::ToUtf8(text.substr(i, cp932::CharLength(text, i)), &lossy);
    if (lossy) return i;
  }
  return whole;
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
  in_.close();
  in_.clear();
  in_.open(win::HostFsPath(path), std::ios::binary);
  if (!in_) {
    *why = std::strerror(errno);
    return false;
  }
  at_end_ = read_failed_ = cp932_ = false;
  pos_ = end_ = carried_ = 0;
  line_ = 1;
  const std::string_view kUtf16Le = "\xFF\xFE", kUtf16Be = "\xFE\xFF", kUtf8Bom = "\xEF\xBB\xBF";
  char head[3];
  const std::string_view start(head, static_cast<size_t>(in_.read(head, sizeof head).gcount()));
  std::string whole;
  bool read = !in_.bad();
  if (read && (start.starts_with(kUtf16Le) || start.starts_with(kUtf16Be))) {
    std::string utf8;
    if ((read = ReadFrom(2, &whole)) && !FromUtf16(whole, start[0] == '\xFE', &utf8, bad_line)) {
      *why = "a UTF-16 file whose text breaks off here; save it as UTF-8 CSV";
      return false;
    }
    if (read) Hold(utf8);
  } else if (read) {
    size_t from = 0;
    if (start.starts_with(kUtf8Bom)) {
      from = kUtf8Bom.size();
      encoding = Encoding::kUtf8;
    }
    const size_t bad_utf8 = encoding == Encoding::kCp932 ? 0 : Scan(from, ValidUtf8, 4);
    if (bad_utf8 == kNone && !in_.bad()) {
      // Valid UTF-8: read from the start again, in pieces, as it is.
      in_.clear();
      in_.seekg(static_cast<std::streamoff>(from));
      return true;
    }
    const size_t bad_cp932 = encoding == Encoding::kUtf8 || in_.bad() ? 0 : Scan(0, ValidCp932, 2);
    if (bad_cp932 == kNone && !in_.bad()) {
      // Valid Shift_JIS: read from the start again, in pieces made UTF-8.
      cp932_ = true;
      in_.clear();
      in_.seekg(0);
      return true;
    }
    read = read && !in_.bad();
    const size_t bad = encoding == Encoding::kUtf8    ? bad_utf8
                       : encoding == Encoding::kCp932 ? bad_cp932
                                                      : std::max(bad_utf8, bad_cp932);
    if (read && !(read = LineAt(bad, bad_line))) *bad_line = 0;
    if (read) {
      switch (encoding) {
        case Encoding::kUtf8:
          *why = "not UTF-8 text; give --encoding cp932 for a Shift_JIS file, or save it as UTF-8";
          break;
        case Encoding::kCp932:
          *why =
              "not Shift_JIS (CP932) text; give --encoding utf-8 for a UTF-8 file, or save it as Shift_JIS";
          break;
        case Encoding::kAuto:
          *why = "neither UTF-8 nor Shift_JIS (CP932) text; save the file as UTF-8 or Shift_JIS CSV";
          break;
      }
      return false;
    }
  }
  if (!read) {
    *why = "cannot be read";
    return false;
  }
  return true;
}

bool CsvReader::ReadFrom(size_t from, std::string* text) {
  in_.clear();
  in_.seekg(0, std::ios::end);
  const std::streamoff size = in_.tellg();
  in_.seekg(static_cast<std::streamoff>(from));
  if (size < 0 || !in_) return false;
  // Room made once, and written once (resize would first fill it with zeros).
  text->clear();
  text->reserve(static_cast<size_t>(size));
  std::unique_ptr<char[]> piece(new char[piece_]);
  while (in_.read(piece.get(), static_cast<std::streamsize>(piece_)).gcount() > 0)
    text->append(piece.get(), static_cast<size_t>(in_.gcount()));
  return !in_.bad();
}

size_t CsvReader::Scan(size_t from, size_t (*valid)(std::string_view), size_t longest) {
  in_.clear();
  in_.seekg(static_cast<std::streamoff>(from));
  // A character cut by a piece's end is carried to the front of the next.
  std::unique_ptr<char[]> piece(new char[piece_ + longest]);
  size_t carried = 0, offset = from;  // offset: of piece[0] in the file
  while (in_) {
    in_.read(piece.get() + carried, static_cast<std::streamsize>(piece_));
    const size_t n = carried + static_cast<size_t>(in_.gcount());
    const bool last = !in_;
    const size_t good = valid(std::string_view(piece.get(), n));
    if (good < n && (last || n - good >= longest)) return offset + good;
    carried = n - good;
    std::memmove(piece.get(), piece.get() + good, carried);
    offset += good;
  }
  return kNone;
}

bool CsvReader::LineAt(size_t offset, long* line) {
  in_.clear();
  in_.seekg(0);
  std::unique_ptr<char[]> piece(new char[piece_]);
  *line = 1;
  for (size_t at = 0; at < offset && in_;) {
    const size_t want = std::min(piece_, offset - at);
    const size_t n = static_cast<size_t>(in_.read(piece.get(), static_cast<std::streamsize>(want)).gcount());
    *line += std::count(piece.get(), piece.get() + n, '\n');
    at += n;
    if (n < want) return false;
  }
  return !in_.bad();
}

void CsvReader::Hold(std::string_view text) {
  buffer_.reset(new char[text.size() + 1]);
  std::memcpy(buffer_.get(), text.data(), text.size());
  capacity_ = end_ = text.size();
  pos_ = 0;
  at_end_ = true;
  in_.close();
}

bool CsvReader::Fill() {
  if (at_end_) return false;
  // A record that does not fit what is read is read again from its start
  // after each piece; the piece grows with it (as long as what is kept), so
  // that a long record (an unclosed quote) costs a few readings, not one
  // per megabyte. A piece of Shift_JIS (and a lead byte carried) is at most
  // three times as long in UTF-8: a half-width kana takes three bytes.
  const size_t kept = end_ - pos_, piece = std::max(piece_, kept), room = cp932_ ? 3 * (piece + 1) : piece;
  if (kept + room > capacity_) {
    // A record longer than the room: more room, twice as much.
    const size_t capacity = std::max(2 * capacity_, kept + room);
    std::unique_ptr<char[]> bigger(new char[capacity]);
    if (kept > 0) std::memcpy(bigger.get(), buffer_.get() + pos_, kept);
    buffer_ = std::move(bigger);
    capacity_ = capacity;
  } else if (kept > 0) {
    std::memmove(buffer_.get(), buffer_.get() + pos_, kept);
  }
  pos_ = 0;
  end_ = kept;
  if (!cp932_) {
    in_.read(buffer_.get() + end_, static_cast<std::streamsize>(piece));
    end_ += static_cast<size_t>(in_.gcount());
  } else {
    // The piece's whole characters made UTF-8; a lead byte cut from its
    // trail byte by the piece's end waits for the next piece.
    if (raw_capacity_ < piece + 1) {
      std::unique_ptr<char[]> bigger(new char[piece + 1]);
      if (carried_ > 0) std::memcpy(bigger.get(), raw_.get(), carried_);
      raw_ = std::move(bigger);
      raw_capacity_ = piece + 1;
    }
    in_.read(raw_.get() + carried_, static_cast<std::streamsize>(piece));
    const std::string_view raw(raw_.get(), carried_ + static_cast<size_t>(in_.gcount()));
    const size_t whole = in_ ? WholeCp932(raw) : raw.size();
    const std::string utf8 = cp932::ToUtf8(raw.substr(0, whole));
    std::memcpy(buffer_.get() + end_, utf8.data(), utf8.size());
    end_ += utf8.size();
    carried_ = raw.size() - whole;
    std::memmove(raw_.get(), raw_.get() + whole, carried_);
  }
  if (!in_) {
    at_end_ = true;
    read_failed_ = in_.bad();
  }
  return true;
}

bool CsvReader::Next(std::vector<std::string>* fields, long* line, std::string* why) {
  why->clear();
  while (pos_ >= end_ && Fill()) {
  }
  *line = line_;
  if (pos_ >= end_) {
    if (!read_failed_) return false;
    read_failed_ = false;
    fields->clear();
    *why = "the file cannot be read on from here";
    return true;
  }
  // A record that runs into the end of the piece is read again whole, with
  // the next piece after it.
  size_t start = pos_;
  const long start_line = line_;
  while (ReadRecord(fields, why) == Step::kMore) {
    pos_ = start;
    line_ = start_line;
    Fill();
    start = pos_;
  }
  return true;
}

CsvReader::Step CsvReader::ReadRecord(std::vector<std::string>* fields, std::string* why) {
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
  start_field();
  const char* const t = buffer_.get();
  const size_t n = end_;
  const bool more = !at_end_;  // the file goes on after t[n - 1]
  auto line_end = [&](size_t i) { return t[i] == '\n' || (t[i] == '\r' && i + 1 < n && t[i + 1] == '\n'); };
  while (pos_ < n) {
    const char c = t[pos_];
    if (line_end(pos_)) {
      pos_ += c == '\r' ? 2 : 1;
      ++line_;
      return Step::kRecord;
    }
    if (c == ',') {
      start_field();
      ++pos_;
      continue;
    }
    std::string& field = (*fields)[used - 1];
    if (c == '"' && field.empty()) {
      // A quoted field, up to the quote that is not doubled.
      const long opened = line_;
      ++pos_;
      for (;;) {
        const void* quote = std::memchr(t + pos_, '"', n - pos_);
        if (quote == nullptr && more) return Step::kMore;
        if (quote == nullptr) {
          line_ += std::count(t + pos_, t + n, '\n');
          pos_ = n;
          *why = "a quoted field opened on line " + std::to_string(opened) + " is not closed";
          return Step::kRecord;
        }
        const size_t q = static_cast<size_t>(static_cast<const char*>(quote) - t);
        line_ += std::count(t + pos_, t + q, '\n');
        field.append(t + pos_, q - pos_);
        pos_ = q + 1;
        // What follows the quote decides: a doubled quote, or the field's end.
        if (more && (pos_ == n || (pos_ + 1 == n && t[pos_] == '\r'))) return Step::kMore;
        if (pos_ < n && t[pos_] == '"') {
          field += '"';
          ++pos_;
          continue;
        }
        break;
      }
      if (pos_ < n && t[pos_] != ',' && !line_end(pos_)) {
        *why = "text follows a closing quote";
        // Skip to the end of the line, so that reading goes on at the next.
        const void* end = std::memchr(t + pos_, '\n', n - pos_);
        if (end == nullptr && more) return Step::kMore;
        pos_ = end == nullptr ? n : static_cast<size_t>(static_cast<const char*>(end) - t) + 1;
        ++line_;
        return Step::kRecord;
      }
      continue;
    }
    // An unquoted field, up to the next comma or line end.
    // (A plain loop: find_first_of looks each byte up in the set with a call.)
    size_t end = pos_;
    while (end < n && t[end] != ',' && !line_end(end)) ++end;
    if (end == n && more) return Step::kMore;
    field.append(t + pos_, end - pos_);
    pos_ = end;
  }
  return more ? Step::kMore : Step::kRecord;
}

}  // namespace package
