// The pieces that the terminal's dialog, message boxes and file-save dialog
// share: an edit field with its caret, selection and horizontal scrolling,
// a push button, the geometry of dialog units, and the runs of the modal
// parts (message box, file-save dialog, log pager). Texts are CP932, as
// everywhere in the program; they are converted to UTF-8 when drawn.
#pragma once

#include <string>
#include <string_view>

#include "platform/ui/dialog.h"
#include "platform/ui/tty_screen.h"

namespace ui::tty {

// The virtual keys of Page Up and Page Down (VK_PRIOR, VK_NEXT); the
// framework's own dialogs have no use for them.
constexpr int kVkPageUp = 0x21, kVkPageDown = 0x22;

// A rectangle in cells.
struct Cells {
  int row = 0, col = 0, rows = 1, cols = 1;
};
// Dialog units to cells: 4 units across and 8 down to a cell, each edge
// rounded to the nearest cell.
Cells ToCells(int x, int y, int cx, int cy);

// The UTF-8 form of a CP932 text, for the screen.
std::string Utf8(std::string_view cp932_text);

// An edit field of cols cells at row, col. scroll holds the first byte
// shown and is moved so that the caret stays in view. A focused field shows
// its selection and takes the cursor to its caret.
void DrawEdit(Screen& screen, int row, int col, int cols, const CDialog::ControlState& state, bool focused,
              int* scroll);
// A push button of cols cells; its label (CP932, "&" marks the mnemonic) is
// centred. A focused button takes the cursor to its label.
void DrawButton(Screen& screen, int row, int col, int cols, std::string_view label, bool focused,
                bool enabled);

// Delivers a key to a dialog through its input calls, as a person's key
// reaches a dialog on Windows: key-down through the routing, typed
// characters into the focused edit, Alt+F4 as the close command. False for
// a character that cannot be typed (it has no Shift_JIS form).
bool DeliverKey(CDialog& dialog, const Key& key);

// Ends the run when the terminal gives no more input.
[[noreturn]] void InputLost();

// The modal parts. Each draws above what the screen already shows and
// gives it back when it ends.
int RunMessageBox(Screen& screen, std::string_view text, std::string_view caption, UINT style);
bool RunFileSave(Screen& screen, const FileDialogRequest& request, std::string* path);
void RunPager(Screen& screen, const std::string& host_path);

}  // namespace ui::tty
