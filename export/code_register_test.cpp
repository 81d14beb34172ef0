#include "export/code_register.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <initializer_list>
#include <string>

namespace {

// Registers the codes in turn; their answers, a letter each: A added, D
// duplicate, P prefix duplicate, ? any other answer.
std::string Walk(CodeRegister& r, std::initializer_list<std::string> codes) {
  std::string answers;
  for (const std::string& code : codes) {
    unsigned answer = r.RegisterCode(code);
    answers += answer < 3 ? "ADP"[answer] : '?';
  }
  return answers;
}

TEST(CodeRegisterTest, ResultsOfTheWalk) {
  CodeRegister r;
  // An 8-byte code meets the 6-byte code registered before it.
  EXPECT_EQ(Walk(r, {"000123", "000123", "00012301"}), "ADP");
  EXPECT_EQ(r.size(), 1u);
  // A 6-byte code after an 8-byte code with the same start is new. Then both
  // an equal entry and a prefix entry exist: the equal entry is the older
  // one, so the walk answers 1.
  EXPECT_EQ(Walk(r, {"00045601", "000456", "00045601", "00045602"}), "AADP");
  // Byte for byte, case-sensitive; a 6-byte code is never cut.
  EXPECT_EQ(Walk(r, {"ABC123", "abc123", "00012", "", ""}), "AAAAD");
  EXPECT_EQ(r.size(), 7u);
  // Seven bytes, the longest code kept in its slot, and eight, the shortest
  // kept in a block: each compared whole, never by a part of it.
  EXPECT_EQ(Walk(r, {"XYZ7890", "XYZ789", "XYZ7891", "XYZ7890", std::string("XY\0Z", 4), "XY"}), "AAPDAA");
}

TEST(CodeRegisterTest, ManyCodesKeepTheirAnswersAcrossGrowth) {
  CodeRegister r;
  char code[16];
  // Short codes (in their slots) and long ones (in blocks) through every
  // growth of the tables.
  for (int i = 0; i < 50000; ++i) {
    std::snprintf(code, sizeof code, "%06d", i);
    ASSERT_EQ(r.RegisterCode(code), CodeRegister::kAdded);
    std::snprintf(code, sizeof code, "L%09d", i);
    ASSERT_EQ(r.RegisterCode(code), CodeRegister::kAdded);
  }
  for (int i = 0; i < 50000; i += 991) {
    std::snprintf(code, sizeof code, "L%09d", i);
    EXPECT_EQ(r.RegisterCode(code), CodeRegister::kDuplicate);
  }
  for (int i = 0; i < 50000; i += 997) {
    std::snprintf(code, sizeof code, "%06d", i);
    EXPECT_EQ(r.RegisterCode(code), CodeRegister::kDuplicate);
    std::snprintf(code, sizeof code, "%06d%02d", i, 1);
    EXPECT_EQ(r.RegisterCode(code), CodeRegister::kPrefixDuplicate);
  }
  EXPECT_EQ(r.RegisterCode("Z0000001"), CodeRegister::kAdded);
  EXPECT_EQ(r.size(), 100001u);
  // A text longer than the register's blocks is kept whole.
  std::string huge(100000, 'h');
  EXPECT_EQ(r.RegisterCode(huge), CodeRegister::kAdded);
  EXPECT_EQ(r.RegisterCode("hhhhhh"), CodeRegister::kAdded);
  EXPECT_EQ(r.RegisterCode(huge), CodeRegister::kDuplicate);
  EXPECT_EQ(r.RegisterCode(huge.substr(1)), CodeRegister::kPrefixDuplicate);
  EXPECT_EQ(r.RegisterCode("000000"), CodeRegister::kDuplicate);
}

}  // namespace
