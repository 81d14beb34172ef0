#include "platform/cp932.h"

#include <iconv.h>

#include <cerrno>
#include <mutex>

namespace cp932 {

int ByteKind(std::string_view text, size_t i) {
  if (i >= text.size()) return 0;
  size_t p = 0;
  while (p < i) {
    size_t step = CharLength(text, p);
    if (step == 2 && p + 1 == i) return 2;
    p += step;
  }
  return CharLength(text, i) == 2 ? 1 : 0;
}

size_t CutLength(std::string_view text, size_t n) {
  if (text.size() <= n) return text.size();
  size_t p = 0;
  while (p < n) {
    size_t step = CharLength(text, p);
    if (p + step > n) break;
    p += step;
  }
  return p;
}

size_t TailLength(std::string_view text, size_t n) {
  if (text.size() <= n) return text.size();
  size_t start = text.size() - n;
  return ByteKind(text, start) == 2 ? n - 1 : n;
}

size_t CopyCut(char* dst, size_t cap, std::string_view text) {
  if (cap == 0) return 0;
  size_t n = CutLength(text, cap - 1);
  text.copy(dst, n);
  dst[n] = '\0';
  return n;
}

size_t Find(std::string_view text, char c, size_t from) {
  size_t p = 0;
  while (p < text.size()) {
    size_t step = CharLength(text, p);
    if (step == 1 && p >= from && text[p] == c) return p;
    p += step;
  }
  return std::string_view::npos;
}

size_t FindLast(std::string_view text, char c) {
  size_t found = std::string_view::npos;
  size_t p = 0;
  while (p < text.size()) {
    size_t step = CharLength(text, p);
    if (step == 1 && text[p] == c) found = p;
    p += step;
  }
  return found;
}

size_t FindText(std::string_view text, std::string_view needle, size_t from) {
  if (needle.empty()) return from <= text.size() ? from : std::string_view::npos;
  size_t p = 0;
  while (p < text.size()) {
    if (p >= from && text.compare(p, needle.size(), needle) == 0) return p;
    p += CharLength(text, p);
  }
  return std::string_view::npos;
}

bool EndsWithDoubleByte(std::string_view text) {
  return !text.empty() && ByteKind(text, text.size() - 1) == 2;
}

size_t MakeValid(char* text, size_t n) {
  size_t replaced = 0;
  for (size_t i = 0; i < n; ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (IsLeadByte(c) && i + 1 < n && IsTrailByte(static_cast<unsigned char>(text[i + 1]))) {
      ++i;
    } else if (c == 0x80 || c == 0xA0 || c >= 0xFD || IsLeadByte(c)) {
      text[i] = '?';
      ++replaced;
    }
  }
  return replaced;
}

namespace {

// One converter per direction, opened on first use and kept; its shift state
// is reset on every call.
std::string Convert(const char* to, const char* from, std::string_view in, bool* lossy) {
  static std::mutex mu;
  static iconv_t to_utf8 = reinterpret_cast<iconv_t>(-1);
  static iconv_t from_utf8 = reinterpret_cast<iconv_t>(-1);
  std::lock_guard<std::mutex> lock(mu);
  iconv_t& cd = std::string_view(from) == "UTF-8" ? from_utf8 : to_utf8;
  if (cd == reinterpret_cast<iconv_t>(-1)) cd = iconv_open(to, from);
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  if (lossy) *lossy = false;
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    if (lossy) *lossy = true;
    return std::string(in);
  }
  std::string out;
  out.resize(in.size() * 4 + 16);
  char* src = const_cast<char*>(in.data());
  size_t src_left = in.size();
  char* dst = out.data();
  size_t dst_left = out.size();
  while (src_left > 0) {
    size_t r = iconv(cd, &src, &src_left, &dst, &dst_left);
    if (r != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) {
      size_t used = out.size() - dst_left;
      out.resize(out.size() * 2);
      dst = out.data() + used;
      dst_left = out.size() - used;
      continue;
    }
    // An invalid or incomplete sequence: replace one input unit by "?".
    if (lossy) *lossy = true;
    if (dst_left == 0) {
      size_t used = out.size();
      out.resize(out.size() * 2);
      dst = out.data() + used;
      dst_left = out.size() - used;
    }
    *dst++ = '?';
    --dst_left;
    // Skip one whole UTF-8 sequence, or one byte (two for a CP932 lead byte).
    size_t skip = 1;
    unsigned char c = static_cast<unsigned char>(*src);
    if (std::string_view(from) == "UTF-8") {
      while (skip < src_left && (static_cast<unsigned char>(src[skip]) & 0xC0) == 0x80) ++skip;
    } else if (IsLeadByte(c) && src_left > 1) {
      skip = 2;
    }
    src += skip;
    src_left -= skip;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  out.resize(out.size() - dst_left);
  return out;
}

}  // namespace

std::string ToUtf8(std::string_view text, bool* lossy) { return Convert("UTF-8", "CP932", text, lossy); }
std::string FromUtf8(std::string_view text, bool* lossy) { return Convert("CP932", "UTF-8", text, lossy); }

}  // namespace cp932
