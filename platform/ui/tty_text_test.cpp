// Texts measured in terminal cells: byte positions that the edit's caret
// relies on, double-width characters, and bytes that are no text at all.
#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "platform/ui/tty_screen.h"

namespace ui::tty {
namespace {

class CellsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::setlocale(LC_CTYPE, "C.UTF-8")) GTEST_SKIP() << "no C.UTF-8 locale";
  }
};

TEST_F(CellsTest, Cp932CharactersKeepTheirBytePositions) {
  // "a", "表" (its second byte is 0x5C), half-width "ｱ", a tab, then a lead
  // byte with nothing after it.
  std::string text = "a\x95\x5C\xB1\t\x81";
  std::vector<Glyph> g = GlyphsOfCp932(text);
  ASSERT_EQ(g.size(), 5u);
  EXPECT_EQ(g[0].at, 0u);
  EXPECT_EQ(g[0].cells, 1);
  EXPECT_EQ(g[1].at, 1u);
  EXPECT_EQ(g[1].ch, L'\u8868');
  EXPECT_EQ(g[1].cells, 2);
  EXPECT_EQ(g[2].at, 3u);
  EXPECT_EQ(g[2].cells, 1);
  EXPECT_EQ(g[3].ch, L' ');  // a control character shows as a blank
  EXPECT_EQ(g[4].at, 5u);
  EXPECT_EQ(g[4].ch, L'?');
  EXPECT_EQ(g[4].cells, 1);
}

TEST_F(CellsTest, BrokenUtf8AndLabels) {
  std::vector<Glyph> g = GlyphsOfUtf8("x\xE8\xA1y\xFF");
  ASSERT_EQ(g.size(), 5u);  // each stray byte on its own, as "?"
  EXPECT_EQ(g[1].ch, L'?');
  EXPECT_EQ(g[3].ch, L'y');
  EXPECT_EQ(g[3].at, 3u);
  EXPECT_EQ(CellsOf("キャンセル(Esc)"), 15);
  EXPECT_EQ(LabelText("参照(&D)..."), "参照(D)...");
  EXPECT_EQ(LabelText("R&&D"), "R&D");
  EXPECT_EQ(LabelText("end&"), "end&");
}

}  // namespace
}  // namespace ui::tty
