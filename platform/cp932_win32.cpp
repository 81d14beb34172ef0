// Conversions between CP932, UTF-16 and UTF-8 on Windows. Code page 932's
// tables are read once from the system (MultiByteToWideChar and
// WideCharToMultiByte, without best-fit guesses) and then corrected where
// Windows and the Linux build's iconv disagree, so that the same store gives
// the same bytes on both systems.
#include <windows.h>

#include <cstring>
#include <memory>

#include "platform/cp932.h"
#include "platform/wide.h"

namespace {

constexpr uint16_t kNone = 0xFFFF;  // no character
constexpr unsigned kCodePage = 932;

struct Tables {
  uint16_t to_unicode[65536];    // by byte (single) or lead * 256 + trail
  uint16_t from_unicode[65536];  // CP932 code by UTF-16 unit; above 0xFF two bytes
};

// Where iconv maps a character that Windows does not (one-way mappings of
// look-alike characters, as JIS-mapped texts carry them).
const struct {
  uint16_t unicode, code;
} kIconvOnly[] = {
    {0x00A2, 0x8191}, {0x00A3, 0x8192}, {0x00A5, 0x005C}, {0x00AC, 0x81CA}, {0x2014, 0x815C},
    {0x2016, 0x8161}, {0x203E, 0x007E}, {0x2212, 0x817C}, {0x301C, 0x8160},
};
// Where Windows maps and iconv does not: the single bytes 0x80, 0xA0 and
// 0xFD to 0xFF, which Windows may give U+0080 and private-use characters.
const unsigned char kWindowsOnlyBytes[] = {0x80, 0xA0, 0xFD, 0xFE, 0xFF};
const uint16_t kWindowsOnly[] = {0x0080, 0xF8F0, 0xF8F1, 0xF8F2, 0xF8F3};

std::unique_ptr<Tables> Build() {
  auto t = std::make_unique<Tables>();
  for (uint16_t& u : t->to_unicode) u = kNone;
  for (uint16_t& c : t->from_unicode) c = kNone;
  auto decode = [&](const char* bytes, int n, unsigned index) {
    wchar_t w[2];
    if (MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, bytes, n, w, 2) == 1)
      t->to_unicode[index] = w[0];
  };
  for (unsigned c = 0; c < 256; ++c) {
    if (cp932::IsLeadByte(static_cast<unsigned char>(c))) {
      for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
        const char pair[2] = {static_cast<char>(c), static_cast<char>(trail)};
        decode(pair, 2, c * 256 + trail);
      }
    } else {
      const char single = static_cast<char>(c);
      decode(&single, 1, c);
    }
  }
  for (unsigned u = 1; u < 65536; ++u) {
    if (u >= 0xD800 && u < 0xE000) continue;
    wchar_t w = static_cast<wchar_t>(u);
    unsigned char out[2];
    BOOL used_default = FALSE;
    int n = WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, &w, 1, reinterpret_cast<char*>(out), 2,
                                nullptr, &used_default);
    if (used_default || n < 1) continue;
    t->from_unicode[u] = n == 1 ? out[0] : static_cast<uint16_t>(out[0] * 256 + out[1]);
  }
  t->from_unicode[0] = 0;
  for (unsigned char c : kWindowsOnlyBytes) t->to_unicode[c] = kNone;
  for (uint16_t u : kWindowsOnly) t->from_unicode[u] = kNone;
  for (const auto& m : kIconvOnly) t->from_unicode[m.unicode] = m.code;
  return t;
}

const Tables& TheTables() {
  static const std::unique_ptr<Tables> tables = Build();
  return *tables;
}

// The character at i of a CP932 text: its UTF-16 unit (kNone when the bytes
// form none) and its length. A lead byte with a byte after it takes both,
// valid or not, as iconv skips them.
uint16_t DecodeCp932(std::string_view text, size_t i, size_t* length) {
  unsigned char c = static_cast<unsigned char>(text[i]);
  if (cp932::IsLeadByte(c) && i + 1 < text.size()) {
    *length = 2;
    return TheTables().to_unicode[c * 256u + static_cast<unsigned char>(text[i + 1])];
  }
  *length = 1;
  return cp932::IsLeadByte(c) ? kNone : TheTables().to_unicode[c];
}

// The CP932 form of one UTF-16 unit in bytes[] and its length (1 or 2);
// "?" with false when it has none.
bool Cp932Of(uint16_t unit, char bytes[2], size_t* length) {
  uint16_t code = unit >= 0xD800 && unit < 0xE000 ? kNone : TheTables().from_unicode[unit];
  *length = code > 0xFF && code != kNone ? 2 : 1;
  if (code == kNone) {
    bytes[0] = '?';
    return false;
  }
  if (code > 0xFF) {
    bytes[0] = static_cast<char>(code >> 8);
    bytes[1] = static_cast<char>(code & 0xFF);
  } else {
    bytes[0] = static_cast<char>(code);
  }
  return true;
}

void AppendCp932(uint16_t unit, std::string* out, bool* lossy) {
  char bytes[2];
  size_t n = 1;
  if (!Cp932Of(unit, bytes, &n)) *lossy = true;
  out->append(bytes, n);
}

void AppendUtf8(uint16_t unit, std::string* out) {
  if (unit < 0x80) {
    *out += static_cast<char>(unit);
  } else if (unit < 0x800) {
    *out += static_cast<char>(0xC0 | (unit >> 6));
    *out += static_cast<char>(0x80 | (unit & 0x3F));
  } else {
    *out += static_cast<char>(0xE0 | (unit >> 12));
    *out += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
    *out += static_cast<char>(0x80 | (unit & 0x3F));
  }
}

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// The code point of the UTF-8 sequence at i and its length; false for a
// sequence that is malformed, overlong, a surrogate or beyond U+10FFFF.
bool DecodeUtf8(std::string_view text, size_t i, uint32_t* code_point, size_t* length) {
  unsigned char c = static_cast<unsigned char>(text[i]);
  size_t n;
  uint32_t cp, min;
  if (c < 0x80) {
    *code_point = c;
    *length = 1;
    return true;
  } else if (c >= 0xC2 && c <= 0xDF) {
    n = 2, cp = c & 0x1F, min = 0x80;
  } else if (c >= 0xE0 && c <= 0xEF) {
    n = 3, cp = c & 0x0F, min = 0x800;
  } else if (c >= 0xF0 && c <= 0xF4) {
    n = 4, cp = c & 0x07, min = 0x10000;
  } else {
    return false;
  }
  if (i + n > text.size()) return false;
  for (size_t k = 1; k < n; ++k) {
    unsigned char b = static_cast<unsigned char>(text[i + k]);
    if (!IsContinuation(b)) return false;
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000)) return false;
  *code_point = cp;
  *length = n;
  return true;
}

// Walks a UTF-8 text as the Linux build drives iconv: emit(bytes, n) with
// each character's CP932 form, or with "?" for a character without one and
// for a malformed sequence, which takes its lead byte and every
// continuation byte after it. True when a "?" stood for something.
template <typename Emit>
bool EachCp932(std::string_view text, Emit emit) {
  bool lost = false;
  for (size_t i = 0; i < text.size();) {
    uint32_t cp = 0;
    size_t n = 1;
    if (DecodeUtf8(text, i, &cp, &n) && cp < 0x10000) {
      char bytes[2];
      size_t length = 1;
      if (!Cp932Of(static_cast<uint16_t>(cp), bytes, &length)) lost = true;
      emit(bytes, length);
      i += n;
      continue;
    }
    emit("?", 1);
    lost = true;
    ++i;
    while (i < text.size() && IsContinuation(static_cast<unsigned char>(text[i]))) ++i;
  }
  return lost;
}

}  // namespace

namespace cp932 {

std::string ToUtf8(std::string_view text, bool* lossy) {
  bool lost = false;
  std::string out;
  out.reserve(text.size() * 3 / 2);
  for (size_t i = 0; i < text.size();) {
    size_t n = 1;
    uint16_t unit = DecodeCp932(text, i, &n);
    if (unit == kNone) {
      out += '?';
      lost = true;
    } else {
      AppendUtf8(unit, &out);
    }
    i += n;
  }
  if (lossy) *lossy = lost;
  return out;
}

std::string FromUtf8(std::string_view text, bool* lossy) {
  std::string out;
  out.reserve(text.size());
  bool lost = EachCp932(text, [&](const char* bytes, size_t n) { out.append(bytes, n); });
  if (lossy) *lossy = lost;
  return out;
}

bool FromUtf8Into(std::string_view text, char* field, size_t size) {
  if (size == 0) return false;
  // Whole characters only, as CopyCut cuts: once one does not fit, the
  // rest is only looked at for what is lost.
  size_t used = 0;
  bool full = false;
  bool lost = EachCp932(text, [&](const char* bytes, size_t n) {
    if (full || used + n > size - 1) {
      full = true;
      return;
    }
    std::memcpy(field + used, bytes, n);
    used += n;
  });
  field[used] = '\0';
  return lost;
}

}  // namespace cp932

namespace win {

std::wstring Wide(std::string_view text) {
  std::wstring out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    size_t n = 1;
    uint16_t unit = DecodeCp932(text, i, &n);
    out += static_cast<wchar_t>(unit == kNone ? L'?' : unit);
    i += n;
  }
  return out;
}

std::string Narrow(std::wstring_view text, bool* lossy) {
  bool lost = false;
  std::string out;
  out.reserve(text.size() * 2);
  for (size_t i = 0; i < text.size(); ++i) {
    uint16_t unit = static_cast<uint16_t>(text[i]);
    // A surrogate pair is one character, which CP932 has not.
    if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] < 0xE000)
      ++i;
    AppendCp932(unit, &out, &lost);
  }
  if (lossy) *lossy = lost;
  return out;
}

std::string Utf8FromWide(std::wstring_view text) {
  int size = static_cast<int>(text.size());
  int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(CP_UTF8, 0, text.data(), size, out.data(), n, nullptr, nullptr);
  return out;
}

std::wstring WideFromUtf8(std::string_view text) {
  int size = static_cast<int>(text.size());
  int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
  std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, text.data(), size, out.data(), n);
  return out;
}

}  // namespace win
