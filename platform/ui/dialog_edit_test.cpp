// Typing and the editing keys in an edit, and the arrows among buttons, as
// the terminal back end delivers them through the framework.
#include <gtest/gtest.h>

#include <string>

#include "platform/ui/dialog.h"

namespace ui {
namespace {

const ControlTemplate kControls[] = {
    {1007, ControlKind::Edit, "", 10, 62, 170, 12, WS_TABSTOP | ES_AUTOHSCROLL, 0},
    {1008, ControlKind::PushButton, "browse", 186, 61, 57, 14, WS_TABSTOP, 0},
    {1005, ControlKind::PushButton, "run", 129, 86, 57, 14, WS_TABSTOP, 0},
};
const DialogTemplate kTemplate = {130, "caption", "font", 9, 255, 107, kControls, 3};

// "表" ends in the byte 0x5C, the value of "\".
const std::string kHyo = "\x95\x5C";

class EditTest : public ::testing::Test {
 protected:
  EditTest() : dialog(kTemplate, nullptr) { dialog.SetFocusIndex(0); }
  CDialog::ControlState& edit() { return dialog.State(0); }
  void Key(int vk, bool shift = false) { dialog.KeyDown(vk, shift, false, false); }
  CDialog dialog;
};

TEST_F(EditTest, TypingReplacesTheSelectionAndMovesTheCaret) {
  dialog.TypeChars("C:\\out.csv");
  EXPECT_EQ(edit().text, "C:\\out.csv");
  EXPECT_EQ(edit().sel_start, 10);
  EXPECT_EQ(edit().sel_end, 10);
  dialog.GetDlgItem(1007)->SetSel(3, 6);  // "out"
  dialog.TypeChars("x" + kHyo);
  EXPECT_EQ(edit().text, "C:\\x" + kHyo + ".csv");
  EXPECT_EQ(edit().sel_end, 6);
  Key(VK_SPACE);
  EXPECT_EQ(edit().text, "C:\\x" + kHyo + " .csv");
}

TEST_F(EditTest, CaretKeysStepOverDoubleByteCharactersWhole) {
  dialog.TypeChars("a" + kHyo + "b");
  Key(VK_LEFT);
  EXPECT_EQ(edit().sel_end, 3);
  Key(VK_LEFT);
  EXPECT_EQ(edit().sel_end, 1);  // both bytes of the character
  Key(VK_RIGHT);
  EXPECT_EQ(edit().sel_end, 3);
  Key(VK_BACK);
  EXPECT_EQ(edit().text, "ab");
  Key(VK_HOME);
  Key(VK_DELETE);
  EXPECT_EQ(edit().text, "b");
  Key(VK_END);
  EXPECT_EQ(edit().sel_end, 1);
  Key(VK_BACK);
  Key(VK_BACK);  // nothing left to take: no harm
  EXPECT_EQ(edit().text, "");
  EXPECT_EQ(edit().sel_start, 0);
}

TEST_F(EditTest, ShiftExtendsTheSelectionAndDeleteTakesIt) {
  dialog.TypeChars("abc" + kHyo + "def");
  Key(VK_HOME);
  Key(VK_RIGHT);
  Key(VK_END, true);
  EXPECT_EQ(edit().sel_start, 1);
  EXPECT_EQ(edit().sel_end, 8);
  Key(VK_LEFT, true);
  Key(VK_LEFT, true);
  Key(VK_LEFT, true);
  Key(VK_LEFT, true);  // over the double-byte character
  EXPECT_EQ(edit().sel_end, 3);
  Key(VK_DELETE);
  EXPECT_EQ(edit().text, "a" + kHyo + "def");
  // Left without Shift collapses a selection to its start.
  dialog.GetDlgItem(1007)->SetSel(0, -1);
  Key(VK_LEFT);
  EXPECT_EQ(edit().sel_start, 0);
  EXPECT_EQ(edit().sel_end, 0);
}

TEST_F(EditTest, TypingStopsAtTheLimitWithoutSplittingACharacter) {
  dialog.GetDlgItem(1007)->LimitText(4);
  dialog.TypeChars("ab" + kHyo + kHyo);
  EXPECT_EQ(edit().text, "ab" + kHyo);
  Key(VK_SPACE);
  EXPECT_EQ(edit().text, "ab" + kHyo);
  dialog.GetDlgItem(1007)->SetSel(0, 2);
  dialog.TypeChars(kHyo + "z");
  EXPECT_EQ(edit().text, kHyo + kHyo);
}

TEST_F(EditTest, ArrowsMoveAmongButtonsAndTypingOnAButtonDoesNothing) {
  Key(VK_TAB);
  EXPECT_EQ(dialog.FocusIndex(), 1);
  dialog.TypeChars("x");
  EXPECT_EQ(edit().text, "");
  Key(VK_RIGHT);
  EXPECT_EQ(dialog.FocusIndex(), 2);
  Key(VK_DOWN);
  EXPECT_EQ(dialog.FocusIndex(), 0);
  dialog.State(0).text = "abc";
  Key(VK_UP);  // an edit keeps its focus on the arrows
  EXPECT_EQ(dialog.FocusIndex(), 0);
  Key(VK_TAB, true);
  EXPECT_EQ(dialog.FocusIndex(), 2);
  Key(VK_LEFT);
  EXPECT_EQ(dialog.FocusIndex(), 1);
  Key(VK_LEFT);
  EXPECT_EQ(dialog.FocusIndex(), 0);
  EXPECT_EQ(edit().sel_start, 0);
  EXPECT_EQ(edit().sel_end, 3);  // reached by the arrow: all selected
}

// Alt with a mnemonic letter: a label sends the focus on, a button is
// clicked (and records it), an edit's own "&" means nothing.
const ControlTemplate kMnemonicControls[] = {
    {1004, ControlKind::GroupBox, "Out&put", 7, 47, 241, 35, 0, 0},
    {1007, ControlKind::Edit, "a&b", 10, 62, 170, 12, WS_TABSTOP, 0},
    {1008, ControlKind::PushButton, "&Browse", 186, 61, 57, 14, WS_TABSTOP, 0},
    {1005, ControlKind::PushButton, "R&&D &1", 129, 86, 57, 14, WS_TABSTOP, 0},
};
const DialogTemplate kMnemonicTemplate = {130, "caption", "font", 9, 255, 107, kMnemonicControls, 4};

class ClickDialog : public CDialog {
 public:
  ClickDialog() : CDialog(kMnemonicTemplate, nullptr) {}
  std::string clicks;

 protected:
  BOOL OnCommand(int id) override {
    clicks += std::to_string(id) + " ";
    return TRUE;
  }
};

TEST(MnemonicTest, AltLettersFocusOrClick) {
  ClickDialog dialog;
  dialog.SetFocusIndex(2);
  dialog.KeyDown('P', false, false, true);
  EXPECT_EQ(dialog.FocusIndex(), 1);  // the edit after the group box
  EXPECT_EQ(dialog.State(1).sel_end, 3);
  dialog.KeyDown('B', false, false, true);
  EXPECT_EQ(dialog.clicks, "1008 ");
  EXPECT_EQ(dialog.FocusIndex(), 2);
  dialog.KeyDown('D', false, false, true);  // "&&" is a plain "&"
  dialog.KeyDown('1', false, false, true);
  EXPECT_EQ(dialog.clicks, "1008 1005 ");
  dialog.SetFocusIndex(2);
  dialog.KeyDown('B', false, false, false);  // without Alt: nothing
  dialog.KeyDown('B', false, true, true);    // with Ctrl as well: nothing
  EXPECT_EQ(dialog.clicks, "1008 1005 ");
  dialog.GetDlgItem(1008)->EnableWindow(FALSE);
  dialog.KeyDown('B', false, false, true);  // a disabled button is not clicked
  EXPECT_EQ(dialog.clicks, "1008 1005 ");
}

}  // namespace
}  // namespace ui
