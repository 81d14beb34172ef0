// Windows only: the program's CP932 texts as the UTF-16 that the W functions
// take, and back. The tables are code page 932's as Windows gives them
// (MultiByteToWideChar, WideCharToMultiByte), corrected where they differ
// from the Linux build's iconv, so that both builds convert alike: every
// CP932 character is one UTF-16 unit, and a byte sequence that is no
// character becomes "?" (a lead byte takes the byte after it along).
#pragma once

#include <string>
#include <string_view>

namespace win {

std::wstring Wide(std::string_view cp932_text);
// A character without a CP932 form (a surrogate pair counts as one) becomes
// "?"; *lossy (when given) is set when that happened.
std::string Narrow(std::wstring_view utf16_text, bool* lossy = nullptr);

// UTF-16 and UTF-8, as the tools carry command lines, the environment and
// host paths; an unpaired surrogate becomes U+FFFD.
std::string Utf8FromWide(std::wstring_view utf16_text);
std::wstring WideFromUtf8(std::string_view utf8_text);

}  // namespace win
