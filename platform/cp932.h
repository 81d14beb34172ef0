// Double-byte (code page 932) text helpers. Every text inside the program is
// CP932 bytes; a trail byte may have the value of "\" (0x5C) or "|" (0x7C), so
// every scan that looks for single-byte characters goes through these.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace cp932 {

// True for a byte that starts a double-byte character (0x81-0x9F, 0xE0-0xFC).
inline bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// Length of the character that starts at position i (a character
// boundary): 2 for a lead byte with a byte after it, else 1. Every scan of a
// CP932 text steps by this.
inline size_t CharLength(std::string_view text, size_t i) {
  return (i + 1 < text.size() && IsLeadByte(static_cast<unsigned char>(text[i]))) ? 2 : 1;
}

// Kind of the byte at position i, judged by walking from the start of text:
// 0 single-byte character, 1 first byte, 2 second byte of a double-byte
// character. A lead byte at the very end (no trail byte) counts as single.
int ByteKind(std::string_view text, size_t i);

// True when position i holds the first or the second byte of a double-byte
// character.
inline bool IsDoubleByteAt(std::string_view text, size_t i) { return ByteKind(text, i) != 0; }

// Length of the longest prefix of text of at most n bytes that does not end
// inside a double-byte character.
size_t CutLength(std::string_view text, size_t n);

// Length of the longest suffix of text of at most n bytes that does not start
// inside a double-byte character.
size_t TailLength(std::string_view text, size_t n);

// Copies text into dst (capacity cap, cap >= 1), cut to at most cap - 1 bytes
// without splitting a character, and terminates it. Returns the bytes copied.
size_t CopyCut(char* dst, size_t cap, std::string_view text);

// Length of a NUL-terminated text stored in a field of size bytes; a field
// without a terminator counts as size bytes long. Never reads past the field.
inline size_t FieldLength(const char* field, size_t size) {
  size_t n = 0;
  while (n < size && field[n] != '\0') ++n;
  return n;
}
inline std::string_view FieldText(const char* field, size_t size) {
  return std::string_view(field, FieldLength(field, size));
}

// First position of byte c in text that is a character of its own (not a trail
// byte), or npos.
size_t Find(std::string_view text, char c, size_t from = 0);
// Last such position, or npos.
size_t FindLast(std::string_view text, char c);
// First occurrence of a single-byte needle (e.g. "\\\\") that starts on a
// character boundary, at or after from; npos when none.
size_t FindText(std::string_view text, std::string_view needle, size_t from = 0);

// Compares two names as Windows does: ASCII letters without regard to case
// (as lower case, which sets the order), every other byte by its value. A
// double-byte character compares byte for byte: its trail byte may have the
// value of a letter and is never folded. Negative, 0 or positive as a sorts
// before, with or after b; a text sorts before the longer texts that begin
// with it.
int CompareNoCase(std::string_view a, std::string_view b);
inline bool EqualNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && CompareNoCase(a, b) == 0;
}
// FindText with the needle compared by EqualNoCase.
size_t FindNoCase(std::string_view text, std::string_view needle, size_t from = 0);

// True when the text's last character is a double-byte character.
bool EndsWithDoubleByte(std::string_view text);

// True for a byte that may follow a lead byte (0x40-0x7E, 0x80-0xFC).
inline bool IsTrailByte(unsigned char c) { return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC); }

// Makes text (n bytes, in place) valid Shift_JIS: every byte that is not part
// of a character (a lead byte without its trail byte, as at the end of a text
// cut short; 0x80, 0xA0 or 0xFD-0xFF) becomes "?". A reader would otherwise
// take a lone lead byte and the separator after it for one character. The
// length stays the same, so cuts made before stay where they are. Returns the
// number of bytes replaced.
size_t MakeValid(char* text, size_t n);

// Conversions at the edges (iconv). Unconvertible characters become "?";
// *lossy (when given) is set when that happened.
std::string ToUtf8(std::string_view cp932_text, bool* lossy = nullptr);
std::string FromUtf8(std::string_view utf8_text, bool* lossy = nullptr);
// Converts UTF-8 into a text field of size bytes as CopyCut(field, size,
// FromUtf8(text)) would, without allocating (the store fills every text
// field of every asset this way); true when a character became "?".
bool FromUtf8Into(std::string_view utf8_text, char* field, size_t size);

}  // namespace cp932
