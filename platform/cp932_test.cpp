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

TEST(Cp932, MakeValidLeavesNoByteOutsideACharacter) {
  auto valid = [](std::string t) {
    size_t replaced = cp932::MakeValid(t.data(), t.size());
    return std::to_string(replaced) + ":" + t;
  };
  EXPECT_EQ(valid("a" + kHyo + kPo + "\xB1"), "0:a" + kHyo + kPo + "\xB1");  // half-width katakana stays
  EXPECT_EQ(valid("aaaa\x81"), "1:aaaa?");                                    // lone lead byte at the end
  EXPECT_EQ(valid("\x81,b"), "1:?,b");                                        // no trail: the comma stays a comma
  EXPECT_EQ(valid("\x81\r\n"), "1:?\r\n");
  EXPECT_EQ(valid("\x80\xA0\xFD\xFE\xFFz"), "5:?????z");
  EXPECT_EQ(valid("\x95\x95\x5C"), "0:\x95\x95\x5C");  // a lead byte may be a trail byte
  EXPECT_EQ(valid("\xE0\x7F"), "1:?\x7F");                 // 0x7F is no trail byte
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
  EXPECT_EQ(cp932::ToUtf8("a\x85\x40" "b", &lossy), "a?b");  // an unassigned pair
  EXPECT_TRUE(lossy);
  EXPECT_EQ(cp932::ToUtf8("ab\x95", &lossy), "ab?");  // a lone lead byte at the end
  EXPECT_TRUE(lossy);
  EXPECT_EQ(cp932::FromUtf8("\xC3", &lossy), "?");  // a broken UTF-8 sequence
  EXPECT_EQ(cp932::ToUtf8(""), "");
  std::string big(100000, 'x');
  EXPECT_EQ(cp932::ToUtf8(big).size(), big.size());
}

}  // namespace
