// Texts measured in terminal cells: byte positions that the edit's caret
// relies on, double-width characters, and bytes that are no text at all.
#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "platform/ui/tty_fake_terminal.h"
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

TEST(ScreenTest, DrawingIsClippedAtTheEdgesWithoutSplittingACharacter) {
  // The fake terminal stops the test on any cell drawn outside it.
  FakeTerminal term(3, 5);
  Screen screen(term);
  screen.Push([&] {
    screen.Frame(-1, -1, 5, 7, Look::kWindow);                    // larger than the screen
    EXPECT_EQ(screen.Put(0, 0, "あいう", 99, Look::kWindow), 4);  // the third does not fit whole
    EXPECT_EQ(screen.Put(1, 4, "あ", 99, Look::kWindow), 0);
    EXPECT_EQ(screen.Put(1, 0, "abc", 2, Look::kWindow), 2);
    EXPECT_EQ(screen.PutLabel(2, 2, "&x&&あ", 99, Look::kWindow), 2);  // "x&"; "あ" would cross the edge
    EXPECT_EQ(screen.Put(5, 0, "a", 9, Look::kWindow), 0);
    EXPECT_EQ(screen.Put(0, -1, "a", 9, Look::kWindow), 0);
    screen.Fill(-2, -2, 10, 10, Look::kField);
    screen.Put(1, 0, "ab", 9, Look::kField);
    screen.Cursor(7, 7);  // out of view: hidden
  });
  const FakeTerminal::Picture& p = term.Now();
  ASSERT_EQ(p.lines.size(), 3u);
  EXPECT_EQ(p.lines[1], "ab   ");
  EXPECT_EQ(p.cursor_row, -1);
  EXPECT_EQ(p.looks[0][4], Look::kField);
}

}  // namespace
}  // namespace ui::tty

namespace ui::tty {
namespace {

Key Decoded(std::string_view seq) {
  Key k;
  EXPECT_TRUE(DecodeEscape(seq, &k)) << seq;
  return k;
}

TEST(EscapeTest, KeysThatTheTerminalDescriptionMayNotName) {
  // F12 as xterm sends it (under TERM=vt100 the description knows only F1
  // to F4), with Shift and with Ctrl.
  Key k = Decoded("[24~");
  EXPECT_EQ(k.kind, Key::kCode);
  EXPECT_EQ(k.code, FunctionKey(12));
  EXPECT_FALSE(k.shift || k.ctrl || k.alt);
  k = Decoded("[24;2~");
  EXPECT_EQ(k.code, FunctionKey(12));
  EXPECT_TRUE(k.shift);
  EXPECT_FALSE(k.ctrl);
  k = Decoded("[24;5~");
  EXPECT_TRUE(k.ctrl);
  EXPECT_EQ(Decoded("[11~").code, FunctionKey(1));
  EXPECT_EQ(Decoded("[21~").code, FunctionKey(10));
  EXPECT_EQ(Decoded("OP").code, FunctionKey(1));
  EXPECT_EQ(Decoded("OS").code, FunctionKey(4));
  k = Decoded("[1;2P");
  EXPECT_EQ(k.code, FunctionKey(1));
  EXPECT_TRUE(k.shift);
  // Cursor and editing keys, with modifiers as xterm adds them.
  EXPECT_EQ(Decoded("[A").code, kUp);
  EXPECT_EQ(Decoded("OD").code, kLeft);
  k = Decoded("[1;5D");
  EXPECT_EQ(k.code, kLeft);
  EXPECT_TRUE(k.ctrl);
  k = Decoded("[1;4C");
  EXPECT_EQ(k.code, kRight);
  EXPECT_TRUE(k.shift && k.alt && !k.ctrl);
  EXPECT_EQ(Decoded("[H").code, kHome);
  EXPECT_EQ(Decoded("[4~").code, kEnd);
  EXPECT_EQ(Decoded("[3~").code, kDelete);
  EXPECT_EQ(Decoded("[6~").code, kPageDown);
  k = Decoded("[Z");  // back tab
  EXPECT_EQ(k.kind, Key::kChar);
  EXPECT_EQ(k.ch, L'\t');
  EXPECT_TRUE(k.shift);

  // Sequences that name no key: dropped, never typed.
  Key none;
  for (std::string_view seq :
       {"[99~", "[25~", "[200~", "[P", "[1;9A", "[5;5;5~", "[2A", "[x", "O", "Ox", "[", "x", "[1;5", "[;~"})
    EXPECT_FALSE(DecodeEscape(seq, &none)) << seq;
}

}  // namespace
}  // namespace ui::tty
