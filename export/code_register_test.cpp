#include "export/code_register.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

TEST(CodeRegisterTest, ResultsOfTheWalk) {
  CodeRegister r;
  EXPECT_EQ(r.RegisterCode("000123"), CodeRegister::kAdded);
  EXPECT_EQ(r.RegisterCode("000123"), CodeRegister::kDuplicate);
  // An 8-byte code meets the 6-byte code registered before it.
  EXPECT_EQ(r.RegisterCode("00012301"), CodeRegister::kPrefixDuplicate);
  EXPECT_EQ(r.size(), 1u);
  // A 6-byte code after an 8-byte code with the same start is new.
  EXPECT_EQ(r.RegisterCode("00045601"), CodeRegister::kAdded);
  EXPECT_EQ(r.RegisterCode("000456"), CodeRegister::kAdded);
  // Now both an equal entry and a prefix entry exist: the equal entry is
  // the older one, so the walk answers 1.
  EXPECT_EQ(r.RegisterCode("00045601"), CodeRegister::kDuplicate);
  EXPECT_EQ(r.RegisterCode("00045602"), CodeRegister::kPrefixDuplicate);
  // Byte for byte, case-sensitive; a 6-byte code is never cut.
  EXPECT_EQ(r.RegisterCode("ABC123"), CodeRegister::kAdded);
  EXPECT_EQ(r.RegisterCode("abc123"), CodeRegister::kAdded);
  EXPECT_EQ(r.RegisterCode("00012"), CodeRegister::kAdded);
  EXPECT_EQ(r.RegisterCode(""), CodeRegister::kAdded);
  EXPECT_EQ(r.RegisterCode(""), CodeRegister::kDuplicate);
  EXPECT_EQ(r.size(), 7u);
  // Seven bytes, the longest code kept in its slot, and eight, the shortest
  // kept in a block: each compared whole, never by a part of it.
  EXPECT_EQ(r.RegisterCode("XYZ7890"), CodeRegister::kAdded);
  EXPECT_EQ(r.RegisterCode("XYZ789"), CodeRegister::kAdded);
  EXPECT_EQ(r.RegisterCode("XYZ7891"), CodeRegister::kPrefixDuplicate);
  EXPECT_EQ(r.RegisterCode("XYZ7890"), CodeRegister::kDuplicate);
  EXPECT_EQ(r.RegisterCode(std::string("XY\0Z", 4)), CodeRegister::kAdded);
  EXPECT_EQ(r.RegisterCode("XY"), CodeRegister::kAdded);
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
