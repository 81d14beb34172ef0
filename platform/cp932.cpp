#include "platform/cp932.h"

#include <cstdint>
#include <cstring>

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

namespace {

// The scan of FindText and FindNoCase.
size_t FindFrom(std::string_view text, std::string_view needle, size_t from, bool no_case) {
  if (needle.empty()) return from <= text.size() ? from : std::string_view::npos;
  for (size_t p = 0; p < text.size(); p += CharLength(text, p)) {
    std::string_view at = text.substr(p, needle.size());
    if (p >= from && (no_case ? EqualNoCase(at, needle) : at == needle)) return p;
  }
  return std::string_view::npos;
}

}  // namespace

size_t FindText(std::string_view text, std::string_view needle, size_t from) {
  return FindFrom(text, needle, from, false);
}

int CompareNoCase(std::string_view a, std::string_view b) {
  auto fold = [](int c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; };
  bool trail = false;  // a[i] and b[i] follow the same lead byte
  for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
    int x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (!trail) x = fold(x), y = fold(y);
    if (x != y) return x < y ? -1 : 1;
    trail = !trail && CharLength(a, i) == 2 && CharLength(b, i) == 2;
  }
  return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
}

size_t FindNoCase(std::string_view text, std::string_view needle, size_t from) {
  return FindFrom(text, needle, from, true);
}

bool EndsWithDoubleByte(std::string_view text) {
  return !text.empty() && ByteKind(text, text.size() - 1) == 2;
}

size_t MakeValid(char* text, size_t n) {
  size_t replaced = 0;
  // Most texts are ASCII: eight bytes at a time up to the first byte above
  // 0x7F, which alone can start a character of two bytes or be no character.
  size_t i = 0;
  for (uint64_t word; i + 8 <= n; i += 8) {
    std::memcpy(&word, text + i, 8);
    if ((word & 0x8080808080808080ULL) != 0) break;
  }
  for (; i < n; ++i) {
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

}  // namespace cp932
