// The code table keeps the first line of every code through its growth.
#include "verify/code_lines.h"

#include <gtest/gtest.h>

#include <string>

namespace verify {
namespace {

TEST(CodeLinesTest, EveryCodeKeepsItsFirstLine) {
  CodeLines codes;
  EXPECT_EQ(codes.Find(CodeLines::Key("000001")), 0);
  // Enough codes to grow the table many times; codes differ in any byte.
  for (int64_t n = 1; n <= 100000; ++n) {
    const std::string code = std::to_string(n * 7919 % 1000003);
    ASSERT_EQ(codes.Add(CodeLines::Key(code), n), n) << code;
  }
  EXPECT_EQ(codes.size(), 100000u);
  for (int64_t n = 1; n <= 100000; n += 997) {
    const std::string code = std::to_string(n * 7919 % 1000003);
    EXPECT_EQ(codes.Find(CodeLines::Key(code)), n);
    EXPECT_EQ(codes.Add(CodeLines::Key(code), 200000), n);
  }
  EXPECT_EQ(codes.size(), 100000u);
  // A code and its longer form are different codes.
  EXPECT_NE(CodeLines::Key("000123"), CodeLines::Key("00012301"));
  EXPECT_EQ(codes.Find(CodeLines::Key("L0001001")), 0);
}

}  // namespace
}  // namespace verify
