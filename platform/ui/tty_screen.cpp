// The screen: text in cells, the painters, the drawing primitives, and the
// escape sequences of keys that the terminal description does not name.
#include "platform/ui/tty_screen.h"

#include <algorithm>
#include <cwchar>

#include "platform/cp932.h"

namespace ui::tty {
namespace {

Glyph MakeGlyph(size_t at, wchar_t ch) {
  if (ch < 0x20 || ch == 0x7F) return {at, L' ', 1};
  int w = wcwidth(ch);
  if (w < 1 || w > 2) return {at, L'?', 1};
  return {at, ch, w};
}

// The number at the start of text (digits only); -1 when there is none.
int LeadingNumber(std::string_view* text) {
  int value = -1;
  while (!text->empty() && text->front() >= '0' && text->front() <= '9' && value < 1000) {
    value = (value < 0 ? 0 : value * 10) + (text->front() - '0');
    text->remove_prefix(1);
  }
  return value;
}

// The modifier parameter of xterm's keys: 1 plus Shift (1), Alt (2) and
// Ctrl (4).
bool SetModifiers(int parameter, Key* key) {
  if (parameter < 1 || parameter > 8) return false;
  int m = parameter - 1;
  key->shift = m & 1;
  key->alt = m & 2;
  key->ctrl = m & 4;
  return true;
}

// The key of "CSI n ~" (VT220 and xterm).
int TildeKey(int n) {
  switch (n) {
    case 1:
    case 7: return kHome;
    case 2: return kInsert;
    case 3: return kDelete;
    case 4:
    case 8: return kEnd;
    case 5: return kPageUp;
    case 6: return kPageDown;
    case 11:
    case 12:
    case 13:
    case 14:
    case 15: return FunctionKey(n - 10);
    case 17:
    case 18:
    case 19:
    case 20:
    case 21: return FunctionKey(n - 11);
    case 23:
    case 24: return FunctionKey(n - 12);
    default: return 0;
  }
}

// The key of a final letter (cursor keys, Home, End, F1 to F4 of SS3).
int LetterKey(char c) {
  switch (c) {
    case 'A': return kUp;
    case 'B': return kDown;
    case 'C': return kRight;
    case 'D': return kLeft;
    case 'H': return kHome;
    case 'F': return kEnd;
    case 'P': return FunctionKey(1);
    case 'Q': return FunctionKey(2);
    case 'R': return FunctionKey(3);
    case 'S': return FunctionKey(4);
    default: return 0;
  }
}

}  // namespace

// ---- Text in cells -----------------------------------------------------------
std::vector<Glyph> GlyphsOfUtf8(std::string_view utf8) {
  std::vector<Glyph> glyphs;
  std::mbstate_t state{};
  size_t i = 0;
  while (i < utf8.size()) {
    wchar_t ch = 0;
    size_t n = std::mbrtowc(&ch, utf8.data() + i, utf8.size() - i, &state);
    if (n == static_cast<size_t>(-1) || n == static_cast<size_t>(-2)) {
      state = std::mbstate_t{};
      glyphs.push_back({i, L'?', 1});
      ++i;
      continue;
    }
    if (n == 0) n = 1;  // an embedded NUL
    glyphs.push_back(MakeGlyph(i, ch));
    i += n;
  }
  return glyphs;
}

std::vector<Glyph> GlyphsOfCp932(std::string_view text) {
  std::vector<Glyph> glyphs;
  size_t i = 0;
  while (i < text.size()) {
    size_t n = cp932::IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
    std::string utf8 = cp932::ToUtf8(text.substr(i, n));
    std::vector<Glyph> one = GlyphsOfUtf8(utf8);
    glyphs.push_back(one.size() == 1 ? Glyph{i, one[0].ch, one[0].cells} : Glyph{i, L'?', 1});
    i += n;
  }
  return glyphs;
}

int CellsOf(std::string_view utf8) {
  int cells = 0;
  for (const Glyph& g : GlyphsOfUtf8(utf8)) cells += g.cells;
  return cells;
}

std::string LabelText(std::string_view utf8) {
  std::string out;
  for (size_t i = 0; i < utf8.size(); ++i) {
    if (utf8[i] == '&' && i + 1 < utf8.size()) ++i;
    out += utf8[i];
  }
  return out;
}

// ---- Keys --------------------------------------------------------------------------
bool DecodeEscape(std::string_view seq, Key* key) {
  *key = Key{};
  key->kind = Key::kCode;
  if (seq.size() == 2 && seq[0] == 'O') {  // SS3: cursor keys and F1 to F4
    key->code = LetterKey(seq[1]);
    return key->code != 0;
  }
  if (seq.size() < 2 || seq[0] != '[') return false;
  std::string_view rest = seq.substr(1, seq.size() - 2);
  char final_byte = seq.back();
  int first = LeadingNumber(&rest);
  int modifiers = 1;
  if (!rest.empty() && rest.front() == ';') {
    rest.remove_prefix(1);
    modifiers = LeadingNumber(&rest);
  }
  if (!rest.empty() || !SetModifiers(modifiers, key)) return false;
  if (final_byte == '~') {
    key->code = TildeKey(first);
    return key->code != 0;
  }
  if (final_byte == 'Z' && first < 0) {  // back tab
    *key = Key{};
    key->kind = Key::kChar;
    key->ch = L'\t';
    key->shift = true;
    return true;
  }
  // "CSI A" or "CSI 1 ; m A".
  if (first > 1) return false;
  if (final_byte == 'P' || final_byte == 'Q' || final_byte == 'R' || final_byte == 'S') {
    if (first < 0) return false;  // "CSI P" and the like are no keys
  }
  key->code = LetterKey(final_byte);
  return key->code != 0;
}

// ---- Screen ------------------------------------------------------------------------
int Screen::Push(std::function<void()> painter) {
  painters_.emplace_back(++next_id_, std::move(painter));
  // A box that covers half of a double-width character leaves the terminal
  // unsure of that cell: every change of the stack repaints the whole screen.
  full_ = true;
  Redraw();
  return next_id_;
}

void Screen::Remove(int id) {
  for (size_t i = 0; i < painters_.size(); ++i) {
    if (painters_[i].first == id) {
      painters_.erase(painters_.begin() + static_cast<long>(i));
      break;
    }
  }
  full_ = true;
  Redraw();
}

void Screen::Redraw() {
  if (suspended_) {
    Resume();
    return;
  }
  terminal_.Clear();
  cursor_row_ = cursor_col_ = -1;
  for (auto& painter : painters_) painter.second();
  bool in_view = cursor_row_ >= 0 && cursor_row_ < Rows() && cursor_col_ >= 0 && cursor_col_ < Cols();
  terminal_.Show(in_view ? cursor_row_ : -1, in_view ? cursor_col_ : -1, full_);
  full_ = false;
}

Key Screen::Read() {
  for (;;) {
    if (suspended_) Resume();
    Key key = terminal_.ReadKey(true);
    if (key.kind != Key::kResize) return key;
    full_ = true;
    Redraw();
  }
}

void Screen::Flush() {
  if (!suspended_) terminal_.FlushInput();
}

void Screen::Pump() {
  if (suspended_) return;
  for (Key key = terminal_.ReadKey(false); key.kind != Key::kNone; key = terminal_.ReadKey(false)) {
    if (key.kind == Key::kResize) {
      full_ = true;
      Redraw();
    }
  }
}

void Screen::Suspend() {
  if (suspended_) return;
  terminal_.Suspend();
  suspended_ = true;
}

void Screen::Resume() {
  if (!suspended_) return;
  suspended_ = false;
  terminal_.Resume();
  full_ = true;
  Redraw();
}

void Screen::PutOne(int row, int col, const Glyph& glyph, Look look, bool underline) {
  terminal_.Put(row, col, glyph.ch, glyph.cells, look, underline);
}

int Screen::PutGlyphs(int row, int col, const std::vector<Glyph>& glyphs, size_t from, int max_cells,
                      Look look) {
  if (row < 0 || row >= Rows() || col < 0) return 0;
  if (max_cells > Cols() - col) max_cells = Cols() - col;
  int used = 0;
  for (size_t i = from; i < glyphs.size(); ++i) {
    if (used + glyphs[i].cells > max_cells) break;
    PutOne(row, col + used, glyphs[i], look, false);
    used += glyphs[i].cells;
  }
  return used;
}

int Screen::Put(int row, int col, std::string_view utf8, int max_cells, Look look) {
  return PutGlyphs(row, col, GlyphsOfUtf8(utf8), 0, max_cells, look);
}

int Screen::PutLabel(int row, int col, std::string_view utf8, int max_cells, Look look) {
  int used = 0;
  size_t start = 0;
  while (start <= utf8.size()) {
    size_t amp = utf8.find('&', start);
    std::string_view plain =
        utf8.substr(start, amp == std::string_view::npos ? std::string_view::npos : amp - start);
    used += Put(row, col + used, plain, max_cells - used, look);
    if (amp == std::string_view::npos || amp + 1 >= utf8.size()) break;
    // The character after "&": shown underlined, or a plain "&" for "&&".
    std::vector<Glyph> rest = GlyphsOfUtf8(utf8.substr(amp + 1));
    if (rest.empty()) break;
    size_t len = rest.size() > 1 ? rest[1].at : utf8.size() - amp - 1;
    if (used + rest[0].cells > max_cells || row < 0 || row >= Rows() || col + used < 0 ||
        col + used + rest[0].cells > Cols())
      break;
    PutOne(row, col + used, rest[0], look, utf8[amp + 1] != '&');
    used += rest[0].cells;
    start = amp + 1 + len;
  }
  return used;
}

void Screen::Fill(int row, int col, int rows, int cols, Look look) {
  const Glyph blank = {0, L' ', 1};
  for (int r = std::max(row, 0); r < row + rows && r < Rows(); ++r)
    for (int c = std::max(col, 0); c < col + cols && c < Cols(); ++c) PutOne(r, c, blank, look, false);
}

void Screen::Frame(int row, int col, int rows, int cols, Look look) {
  if (rows < 2 || cols < 2) return;
  Fill(row, col, rows, cols, look);
  auto at = [&](int r, int c, wchar_t ch) {
    if (r >= 0 && r < Rows() && c >= 0 && c < Cols()) PutOne(r, c, {0, ch, 1}, look, false);
  };
  for (int c = col + 1; c < col + cols - 1; ++c) {
    at(row, c, kHLine);
    at(row + rows - 1, c, kHLine);
  }
  for (int r = row + 1; r < row + rows - 1; ++r) {
    at(r, col, kVLine);
    at(r, col + cols - 1, kVLine);
  }
  at(row, col, kTopLeft);
  at(row, col + cols - 1, kTopRight);
  at(row + rows - 1, col, kBottomLeft);
  at(row + rows - 1, col + cols - 1, kBottomRight);
}

void Screen::Cursor(int row, int col) {
  cursor_row_ = row;
  cursor_col_ = col;
}

}  // namespace ui::tty
