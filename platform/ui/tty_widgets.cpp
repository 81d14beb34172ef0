// Edit fields, buttons, dialog-unit geometry and key delivery in the
// terminal.
#include "platform/ui/tty_widgets.h"

#include <algorithm>
#include <climits>
#include <cwchar>
#include <vector>

#include "platform/cp932.h"
#include "platform/ui/backend.h"

namespace ui::tty {
namespace {

int RoundDiv(int value, int unit) { return (value + unit / 2) / unit; }

// Index of the glyph that starts at or after byte position pos.
size_t GlyphAt(const std::vector<Glyph>& glyphs, int pos) {
  size_t i = 0;
  while (i < glyphs.size() && static_cast<int>(glyphs[i].at) < pos) ++i;
  return i;
}

int CellsBetween(const std::vector<Glyph>& glyphs, size_t from, size_t to) {
  int cells = 0;
  for (size_t i = from; i < to && i < glyphs.size(); ++i) cells += glyphs[i].cells;
  return cells;
}

}  // namespace

Cells ToCells(int x, int y, int cx, int cy) {
  Cells c;
  c.col = RoundDiv(x, 4);
  c.row = RoundDiv(y, 8);
  c.cols = std::max(1, RoundDiv(x + cx, 4) - c.col);
  c.rows = std::max(1, RoundDiv(y + cy, 8) - c.row);
  return c;
}

std::string Utf8(std::string_view cp932_text) { return cp932::ToUtf8(cp932_text); }

void DrawEdit(Screen& screen, int row, int col, int cols, const CDialog::ControlState& state, bool focused,
              int* scroll) {
  screen.Fill(row, col, 1, cols, Look::kField);
  const std::string& text = state.text;
  std::vector<Glyph> glyphs = GlyphsOfCp932(text);
  int len = static_cast<int>(text.size());
  int caret = std::clamp(state.sel_end, 0, len);
  int sel_a = std::clamp(std::min(state.sel_start, state.sel_end), 0, len);
  int sel_b = std::clamp(std::max(state.sel_start, state.sel_end), 0, len);
  size_t caret_i = GlyphAt(glyphs, caret);
  size_t first = GlyphAt(glyphs, std::clamp(*scroll, 0, len));
  // The caret takes a cell of its own after the text before it.
  if (caret_i < first) first = caret_i;
  while (first < caret_i && CellsBetween(glyphs, first, caret_i) + 1 > cols) ++first;
  // Scroll back when the text got shorter and there is room again.
  while (first > 0 && CellsBetween(glyphs, first - 1, glyphs.size()) + 1 <= cols) --first;
  *scroll = first < glyphs.size() ? static_cast<int>(glyphs[first].at) : len;

  int used = 0;
  for (size_t i = first; i < glyphs.size(); ++i) {
    int at = static_cast<int>(glyphs[i].at);
    bool selected = focused && at >= sel_a && at < sel_b;
    std::vector<Glyph> one = {glyphs[i]};
    int drawn =
        screen.PutGlyphs(row, col + used, one, 0, cols - used, selected ? Look::kSelection : Look::kField);
    if (drawn == 0) break;
    used += drawn;
  }
  if (focused) screen.Cursor(row, col + CellsBetween(glyphs, first, caret_i));
}

void DrawButton(Screen& screen, int row, int col, int cols, std::string_view label, bool focused,
                bool enabled) {
  Look look = !enabled ? Look::kWindow : focused ? Look::kButtonFocus : Look::kButton;
  screen.Fill(row, col, 1, cols, look);
  std::string text = Utf8(label);
  int width = CellsOf(LabelText(text));
  // A label wider than its button runs on to the right, as far as the
  // screen goes.
  int start = col + std::max(0, (cols - width) / 2);
  screen.PutLabel(row, start, text, std::max(width, cols), look);
  if (focused) screen.Cursor(row, start);
}

bool DeliverKey(CDialog& dialog, const Key& key) {
  bool shift = key.shift, ctrl = key.ctrl, alt = key.alt;
  if (key.kind == Key::kCode) {
    int vk = 0;
    switch (key.code) {
      case kLeft: vk = VK_LEFT; break;
      case kRight: vk = VK_RIGHT; break;
      case kUp: vk = VK_UP; break;
      case kDown: vk = VK_DOWN; break;
      case kHome: vk = VK_HOME; break;
      case kEnd: vk = VK_END; break;
      case kPageUp: vk = kVkPageUp; break;
      case kPageDown: vk = kVkPageDown; break;
      case kDelete: vk = VK_DELETE; break;
      case kBackspace: vk = VK_BACK; break;
      default:
        if (key.code >= FunctionKey(1) && key.code <= FunctionKey(12))
          vk = 0x70 + (key.code - kF1);  // VK_F1...
        break;
    }
    if (vk == 0x73 && alt && !ctrl && !shift) {  // Alt+F4: the window's close command
      dialog.Close();
    } else if (vk) {
      dialog.KeyDown(vk, shift, ctrl, alt);
    }
    return true;
  }
  if (key.kind != Key::kChar) return true;
  switch (key.ch) {
    case L'\t': dialog.KeyDown(VK_TAB, shift, ctrl, alt); return true;
    case L'\r':
    case L'\n': dialog.KeyDown(VK_RETURN, shift, ctrl, alt); return true;
    case 27: dialog.KeyDown(VK_ESCAPE, shift, ctrl, alt); return true;
    case L' ': dialog.KeyDown(VK_SPACE, shift, ctrl, alt); return true;
    case 8:
    case 127: dialog.KeyDown(VK_BACK, shift, ctrl, alt); return true;
    default: break;
  }
  if (ctrl || alt) {
    // A letter or digit with Ctrl or Alt is a key-down of its own, as on
    // Windows; it types nothing.
    wchar_t c = key.ch;
    if (c >= L'a' && c <= L'z') c = c - L'a' + L'A';
    if ((c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9'))
      dialog.KeyDown(static_cast<int>(c), shift, ctrl, alt);
    return true;
  }
  char buffer[MB_LEN_MAX];
  std::mbstate_t state{};
  size_t n = std::wcrtomb(buffer, key.ch, &state);
  if (n == static_cast<size_t>(-1)) return false;
  bool lossy = false;
  std::string typed = cp932::FromUtf8(std::string_view(buffer, n), &lossy);
  // A character that has no Shift_JIS form cannot be typed into the program.
  if (lossy || typed.empty()) return false;
  dialog.TypeChars(typed);
  return true;
}

void InputLost() { throw RunAborted{kEarlyEndStatus}; }

}  // namespace ui::tty
