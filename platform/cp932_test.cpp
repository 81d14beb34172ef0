// The double-byte helpers: a trail byte 0x5C or 0x7C is never taken for "\"
// or "|", and no cut splits a character.
#include "platform/cp932.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// "表" is 0x95 0x5C and "ポ" is 0x83 0x7C in CP932.
const std::string kHyo = "表";
const std::string kPo = "ポ";

TEST(Cp932, ByteKindsAreJudgedFromTheStart) {
  ASSERT_EQ(kHyo, "\x95\x5C");
  ASSERT_EQ(kPo, "\x83\x7C");
  std::string t = "a" + kHyo + "\\";
  EXPECT_EQ(cp932::ByteKind(t, 0), 0);
  EXPECT_EQ(cp932::ByteKind(t, 1), 1);
  EXPECT_EQ(cp932::ByteKind(t, 2), 2);
  EXPECT_EQ(cp932::ByteKind(t, 3), 0);
  EXPECT_EQ(cp932::ByteKind(t, 99), 0);
  // A 0x95 that is itself a trail byte does not start a character.
  std::string u = "\x81\x95\x5C";
  EXPECT_EQ(cp932::ByteKind(u, 1), 2);
  EXPECT_EQ(cp932::ByteKind(u, 2), 0);
  // A lead byte at the very end stands alone.
  EXPECT_EQ(cp932::ByteKind("a\x95", 1), 0);
  EXPECT_TRUE(cp932::IsDoubleByteAt(t, 2));
  EXPECT_TRUE(cp932::EndsWithDoubleByte("dir" + kHyo));
  EXPECT_FALSE(cp932::EndsWithDoubleByte("dir\\"));
  EXPECT_FALSE(cp932::EndsWithDoubleByte(""));
}

TEST(Cp932, CutsNeverSplitACharacter) {
  std::string t = "ab" + kHyo + kHyo;  // 6 bytes
  EXPECT_EQ(cp932::CutLength(t, 6), 6u);
  EXPECT_EQ(cp932::CutLength(t, 5), 4u);
  EXPECT_EQ(cp932::CutLength(t, 3), 2u);
  EXPECT_EQ(cp932::CutLength(t, 0), 0u);
  EXPECT_EQ(cp932::TailLength(t, 3), 2u);
  EXPECT_EQ(cp932::TailLength(t, 4), 4u);
  EXPECT_EQ(cp932::TailLength("x" + kHyo, 1), 0u);
  char field[5];
  std::memset(field, 'z', sizeof(field));
  EXPECT_EQ(cp932::CopyCut(field, sizeof(field), t), 4u);
  EXPECT_EQ(std::string(field), "ab" + kHyo);
  EXPECT_EQ(cp932::CopyCut(field, 1, t), 0u);
  EXPECT_EQ(field[0], '\0');
  const char unterminated[4] = {'a', 'b', 'c', 'd'};
  EXPECT_EQ(cp932::FieldText(unterminated, 4), "abcd");
  EXPECT_EQ(cp932::FieldText("ab\0cd", 5), "ab");
}

TEST(Cp932, SearchesSkipTrailBytes) {
  std::string path = "C:\\" + kHyo + "\\a" + kPo + "|b";
  EXPECT_EQ(cp932::Find(path, '\\'), 2u);
  EXPECT_EQ(cp932::Find(path, '\\', 3), 5u);
  EXPECT_EQ(cp932::FindLast(path, '\\'), 5u);
  EXPECT_EQ(cp932::Find(path, '|'), 9u);
  EXPECT_EQ(cp932::FindLast("x" + kHyo, '\\'), std::string::npos);
  EXPECT_EQ(cp932::FindText("\\\\s\\" + kHyo + "\\\\", "\\\\", 1), 6u);
  EXPECT_EQ(cp932::FindText(kHyo + "\\", "\\\\"), std::string::npos);
  EXPECT_EQ(cp932::FindText("abc", "", 1), 1u);
}

TEST(Cp932, NamesCompareWithoutCaseButTrailBytesStayAsTheyAre) {
  // "ア" is 0x83 0x41 and "ヂ" 0x83 0x61: trail bytes with the values of "A"
  // and "a".
  const std::string a = "\x83\x41", di = "\x83\x61";
  EXPECT_TRUE(cp932::EqualNoCase("Syurui.ssc", "SYURUI.SSC"));
  EXPECT_TRUE(cp932::EqualNoCase("x" + a + "Y", "X" + a + "y"));
  EXPECT_FALSE(cp932::EqualNoCase(a, di));
  EXPECT_FALSE(cp932::EqualNoCase("\x83", "\xA3"));
  EXPECT_FALSE(cp932::EqualNoCase("ab", "abc"));
  EXPECT_TRUE(cp932::EqualNoCase("a\x83", "A\x83"));  // a lead byte at the end stands alone
  // Letters sort as lower case, so "_" (0x5F) comes before "a"; trail bytes
  // by their value; a text before the longer ones that begin with it.
  EXPECT_LT(cp932::CompareNoCase("_x", "Ax"), 0);
  EXPECT_GT(cp932::CompareNoCase("b", "A"), 0);
  EXPECT_LT(cp932::CompareNoCase(a, di), 0);
  EXPECT_GT(cp932::CompareNoCase(a, "\x83"), 0);
  EXPECT_LT(cp932::CompareNoCase("AB", "abc"), 0);
  EXPECT_EQ(cp932::CompareNoCase("", ""), 0);
  // A search without regard to case starts only on a character boundary.
  EXPECT_EQ(cp932::FindNoCase("C:\\WordPad.EXE x", "wordpad.exe"), 3u);
  EXPECT_EQ(cp932::FindNoCase(di + "bc", "abc"), std::string::npos);
  EXPECT_EQ(cp932::FindNoCase(di + "abc", "ABC"), 2u);
  EXPECT_EQ(cp932::FindNoCase("abcabc", "ABC", 1), 3u);
}

TEST(Cp932, MakeValidLeavesNoByteOutsideACharacter) {
  auto valid = [](std::string t) {
    size_t replaced = cp932::MakeValid(t.data(), t.size());
    return std::to_string(replaced) + ":" + t;
  };
  EXPECT_EQ(valid("a" + kHyo + kPo + "\xB1"), "0:a" + kHyo + kPo + "\xB1");  // half-width katakana stays
  EXPECT_EQ(valid("aaaa\x81"), "1:aaaa?");                                   // lone lead byte at the end
  EXPECT_EQ(valid("\x81,b"), "1:?,b");  // no trail: the comma stays a comma
  EXPECT_EQ(valid("\x81\r\n"), "1:?\r\n");
  EXPECT_EQ(valid("\x80\xA0\xFD\xFE\xFFz"), "5:?????z");
  EXPECT_EQ(valid("\x95\x95\x5C"), "0:\x95\x95\x5C");  // a lead byte may be a trail byte
  EXPECT_EQ(valid("\xE0\x7F"), "1:?\x7F");             // 0x7F is no trail byte
  EXPECT_EQ(valid(""), "0:");
  // Only the given length is looked at.
  std::string cut = "ab" + kHyo;
  EXPECT_EQ(cp932::MakeValid(cut.data(), 3), 1u);
  EXPECT_EQ(cut, "ab?\x5C");
}

TEST(Cp932, ConversionAtTheEdges) {
  std::string utf8 = reinterpret_cast<const char*>(u8"減価償却 表ポ ｱ");
  bool lossy = true;
  std::string sjis = cp932::FromUtf8(utf8, &lossy);
  EXPECT_FALSE(lossy);
  EXPECT_EQ(sjis, "減価償却 表ポ ｱ");
  EXPECT_EQ(cp932::ToUtf8(sjis, &lossy), utf8);
  EXPECT_FALSE(lossy);
  // Characters without a form become "?", and the caller learns of it.
  const std::string emoji = reinterpret_cast<const char*>(u8"a\U0001F600b");
  EXPECT_EQ(cp932::FromUtf8(emoji, &lossy), "a?b");
  EXPECT_TRUE(lossy);
  EXPECT_EQ(cp932::ToUtf8("a\x85\x40"
                          "b",
                          &lossy),
            "a?b");  // an unassigned pair
  EXPECT_TRUE(lossy);
  EXPECT_EQ(cp932::ToUtf8("ab\x95", &lossy), "ab?");  // a lone lead byte at the end
  EXPECT_TRUE(lossy);
  EXPECT_EQ(cp932::FromUtf8("\xC3", &lossy), "?");  // a broken UTF-8 sequence
  EXPECT_EQ(cp932::ToUtf8(""), "");
  std::string big(100000, 'x');
  EXPECT_EQ(cp932::ToUtf8(big).size(), big.size());
}

// The Linux build converts through iconv, the Windows build through the
// system's code page 932 tables: both must give the same bytes for every
// character, or the same store would export differently. The digests are
// those of the Linux build.
uint64_t Digest(uint64_t h, const std::string& bytes, bool lossy) {
  for (char c : bytes + (lossy ? "!" : ".")) h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  return h;
}

std::string Utf8Of(unsigned u) {
  std::string s;
  if (u < 0x80) {
    s += static_cast<char>(u);
  } else if (u < 0x800) {
    s += static_cast<char>(0xC0 | (u >> 6));
    s += static_cast<char>(0x80 | (u & 0x3F));
  } else {
    s += static_cast<char>(0xE0 | (u >> 12));
    s += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (u & 0x3F));
  }
  return s;
}

TEST(Cp932, BothSystemsConvertEveryCharacterAlike) {
  uint64_t to_utf8 = 14695981039346656037ull;
  bool lossy = false;
  for (unsigned lead = 0; lead < 256; ++lead) {
    std::string one(1, static_cast<char>(lead));
    to_utf8 = Digest(to_utf8, cp932::ToUtf8(one, &lossy), lossy);
    if (!cp932::IsLeadByte(static_cast<unsigned char>(lead))) continue;
    for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
      std::string two = one + static_cast<char>(trail);
      to_utf8 = Digest(to_utf8, cp932::ToUtf8(two, &lossy), lossy);
    }
  }
  uint64_t from_utf8 = 14695981039346656037ull;
  for (unsigned u = 1; u < 0x10000; ++u) {
    if (u >= 0xD800 && u < 0xE000) continue;
    from_utf8 = Digest(from_utf8, cp932::FromUtf8(Utf8Of(u), &lossy), lossy);
  }
  EXPECT_EQ(to_utf8, 18296306820594679480ull);
  EXPECT_EQ(from_utf8, 3456682940950760451ull);
  // The look-alikes that JIS-mapped texts carry take their CP932 form; a
  // byte 0x80 is no character.
  EXPECT_EQ(cp932::FromUtf8(reinterpret_cast<const char*>(u8"\u301C\u2212\u00A5"), &lossy), "～－\\");
  EXPECT_FALSE(lossy);
  EXPECT_EQ(cp932::ToUtf8("a\x80"
                          "b",
                          &lossy),
            "a?b");
  EXPECT_TRUE(lossy);
  // A lead byte takes the byte after it along, as iconv skips them.
  EXPECT_EQ(cp932::ToUtf8("\x81\x0A"
                          "c",
                          &lossy),
            "?c");
}

TEST(Cp932, ConversionIntoAFieldCutsAsCopyCut) {
  const std::string utf8 = reinterpret_cast<const char*>(u8"表ポa\U0001F600\u301Cb");
  for (size_t size : {1u, 2u, 3u, 4u, 5u, 6u, 9u, 10u, 64u}) {
    char field[64];
    std::memset(field, 'x', sizeof field);
    bool lossy = false;
    std::string whole = cp932::FromUtf8(utf8, &lossy);
    char expected[64];
    cp932::CopyCut(expected, size, whole);
    EXPECT_EQ(cp932::FromUtf8Into(utf8, field, size), lossy) << size;
    EXPECT_STREQ(field, expected) << size;
  }
}

}  // namespace
