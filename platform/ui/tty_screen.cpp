// The terminal: locale, curses modes, cells, painters and keys.
#include "platform/ui/tty_screen.h"

#ifndef NCURSES_WIDECHAR
#define NCURSES_WIDECHAR 1
#endif
#include <curses.h>
#include <langinfo.h>
#include <strings.h>

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "platform/cp932.h"

namespace ui::tty {
namespace {

bool CtypeIsUtf8() {
  const char* codeset = nl_langinfo(CODESET);
  return codeset && (strcasecmp(codeset, "UTF-8") == 0 || strcasecmp(codeset, "utf8") == 0);
}

// Only the character type is set: the program's number formatting (the
// export writes decimal numbers) must stay in the C locale.
bool SetUtf8Ctype() {
  if (std::setlocale(LC_CTYPE, "") && CtypeIsUtf8()) return true;
  for (const char* name : {"C.UTF-8", "C.utf8", "en_US.UTF-8"})
    if (std::setlocale(LC_CTYPE, name) && CtypeIsUtf8()) return true;
  return false;
}

Glyph MakeGlyph(size_t at, wchar_t ch) {
  if (ch < 0x20 || ch == 0x7F) return {at, L' ', 1};
  int w = wcwidth(ch);
  if (w < 1 || w > 2) return {at, L'?', 1};
  return {at, ch, w};
}

constexpr short kPairBase = 1;

struct LookStyle {
  short fg, bg;
  attr_t color_attr;  // with colours
  attr_t mono_attr;   // without
};
const LookStyle kStyles[] = {
    {-1, -1, A_NORMAL, A_NORMAL},                          // kScreen
    {COLOR_BLACK, COLOR_WHITE, A_NORMAL, A_NORMAL},        // kWindow
    {COLOR_WHITE, COLOR_BLUE, A_BOLD, A_REVERSE},          // kCaption
    {COLOR_BLACK, COLOR_CYAN, A_NORMAL, A_BOLD},           // kButton
    {COLOR_WHITE, COLOR_BLUE, A_BOLD, A_REVERSE | A_BOLD}, // kButtonFocus
    {COLOR_WHITE, COLOR_BLACK, A_NORMAL, A_UNDERLINE},     // kField
    {COLOR_BLACK, COLOR_CYAN, A_NORMAL, A_REVERSE},        // kSelection
};

bool use_colors = false;

void SetLook(Look look, attr_t extra = A_NORMAL) {
  const LookStyle& s = kStyles[static_cast<int>(look)];
  if (use_colors) attr_set(s.color_attr | extra, static_cast<short>(kPairBase + static_cast<int>(look)), nullptr);
  else attr_set(s.mono_attr | extra, 0, nullptr);
}

void PutChar(int row, int col, wchar_t ch) {
  wchar_t text[2] = {ch, 0};
  mvaddnwstr(row, col, text, 1);
}

// Key codes with modifiers folded in by the terminal description (F13 is
// Shift+F1, kLFT5 is Ctrl+Left, ...) brought back to the plain key.
Key FromCode(int code) {
  Key k;
  k.kind = Key::kCode;
  k.code = code;
  switch (code) {
    case KEY_BTAB: k.kind = Key::kChar; k.ch = L'\t'; k.code = 0; k.shift = true; return k;
    case KEY_ENTER: k.kind = Key::kChar; k.ch = L'\r'; k.code = 0; return k;
    case KEY_SLEFT: k.code = KEY_LEFT; k.shift = true; return k;
    case KEY_SRIGHT: k.code = KEY_RIGHT; k.shift = true; return k;
    case KEY_SHOME: k.code = KEY_HOME; k.shift = true; return k;
    case KEY_SEND: k.code = KEY_END; k.shift = true; return k;
    case KEY_SDC: k.code = KEY_DC; k.shift = true; return k;
    case KEY_SR: k.code = KEY_UP; k.shift = true; return k;
    case KEY_SF: k.code = KEY_DOWN; k.shift = true; return k;
    default: break;
  }
  if (code >= KEY_F(13) && code <= KEY_F(63)) {
    int n = code - KEY_F(1);  // 0-based
    int group = n / 12;       // 1 Shift, 2 Ctrl, 3 Ctrl+Shift, 4 Alt, 5 Alt+Shift
    k.code = KEY_F(n % 12 + 1);
    k.shift = group == 1 || group == 3 || group == 5;
    k.ctrl = group == 2 || group == 3;
    k.alt = group >= 4;
    return k;
  }
  if (code > KEY_MAX) {
    // Extended names: kLFT5 and the like, the digit holding the modifiers
    // (2 Shift, 3 Alt, 5 Ctrl, and their sums minus one).
    const char* name = keyname(code);
    static const struct {
      const char* prefix;
      int code;
    } kNamed[] = {{"kLFT", KEY_LEFT}, {"kRIT", KEY_RIGHT}, {"kUP", KEY_UP}, {"kDN", KEY_DOWN},
                  {"kHOM", KEY_HOME}, {"kEND", KEY_END},   {"kDC", KEY_DC}};
    for (const auto& n : kNamed) {
      size_t len = std::strlen(n.prefix);
      if (name && std::strncmp(name, n.prefix, len) == 0 && name[len] >= '2' && name[len] <= '8' && !name[len + 1]) {
        int m = name[len] - '1';
        k.code = n.code;
        k.shift = m & 1;
        k.alt = m & 2;
        k.ctrl = m & 4;
        return k;
      }
    }
  }
  return k;
}

Key FromChar(wchar_t ch) {
  Key k;
  k.kind = Key::kChar;
  k.ch = ch;
  if (ch > 0 && ch < 0x20 && ch != 8 && ch != 9 && ch != 10 && ch != 13 && ch != 27) {
    k.ch = L'@' + ch;  // Ctrl+A is 1
    k.ctrl = true;
  }
  return k;
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

// ---- Screen ------------------------------------------------------------------------
bool Screen::Open(std::string* why) {
  if (!SetUtf8Ctype()) {
    *why = "the terminal user interface needs a UTF-8 locale (none found, not even C.UTF-8)";
    return false;
  }
  if (!newterm(nullptr, stdout, stdin)) {
    const char* term = std::getenv("TERM");
    *why = std::string("cannot use the terminal (TERM=") + (term ? term : "") + ")";
    return false;
  }
  open_ = true;
  raw();
  noecho();
  nonl();
  keypad(stdscr, TRUE);
  // Esc alone must act at once; the escape sequences of a terminal arrive
  // together well within this time. A delay the user set is kept.
  if (!std::getenv("ESCDELAY")) set_escdelay(25);
  use_colors = has_colors();
  if (use_colors) {
    start_color();
    use_default_colors();
    for (int i = 0; i < static_cast<int>(sizeof kStyles / sizeof kStyles[0]); ++i)
      init_pair(static_cast<short>(kPairBase + i), kStyles[i].fg, kStyles[i].bg);
  }
  return true;
}

void Screen::Close() {
  if (!open_) return;
  if (suspended_) Resume();
  curs_set(1);
  endwin();
  open_ = false;
}

Screen::~Screen() { Close(); }

int Screen::Rows() const { return LINES; }
int Screen::Cols() const { return COLS; }

int Screen::Push(std::function<void()> painter) {
  painters_.emplace_back(++next_id_, std::move(painter));
  // A box that covers half of a double-width character leaves the terminal
  // unsure of that cell: every change of the stack repaints the whole screen.
  if (open_ && !suspended_) clearok(stdscr, TRUE);
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
  if (open_ && !suspended_) clearok(stdscr, TRUE);
  Redraw();
}

void Screen::Redraw() {
  if (!open_) return;
  if (suspended_) {
    Resume();
    return;
  }
  SetLook(Look::kScreen);
  bkgdset(' ' | (use_colors ? COLOR_PAIR(kPairBase) : 0));
  erase();
  cursor_row_ = cursor_col_ = -1;
  for (auto& painter : painters_) painter.second();
  if (cursor_row_ >= 0 && cursor_row_ < Rows() && cursor_col_ >= 0 && cursor_col_ < Cols()) {
    curs_set(1);
    move(cursor_row_, cursor_col_);
  } else {
    curs_set(0);
  }
  refresh();
}

Key Screen::Read() {
  int failures = 0;
  for (;;) {
    if (suspended_) Resume();
    wint_t wc = 0;
    int r = get_wch(&wc);
    if (r == ERR) {
      // The terminal went away (or a signal); after many in a row there is
      // no input to come.
      if (++failures > 50) return Key{};
      continue;
    }
    failures = 0;
    if (r == KEY_CODE_YES && wc == KEY_RESIZE) {
      Redraw();
      continue;
    }
    if (r == KEY_CODE_YES) return FromCode(static_cast<int>(wc));
    if (wc != 27) return FromChar(static_cast<wchar_t>(wc));
    // Esc: alone, or the prefix of an Alt key that arrived with it.
    nodelay(stdscr, TRUE);
    wint_t next = 0;
    int r2 = get_wch(&next);
    nodelay(stdscr, FALSE);
    if (r2 == KEY_CODE_YES && next == KEY_RESIZE) Redraw();
    if (r2 == ERR || (r2 == KEY_CODE_YES && next == KEY_RESIZE)) return FromChar(27);
    Key k = r2 == KEY_CODE_YES ? FromCode(static_cast<int>(next)) : FromChar(static_cast<wchar_t>(next));
    k.alt = true;
    return k;
  }
}

void Screen::Flush() {
  if (open_ && !suspended_) flushinp();
}

void Screen::Pump() {
  if (!open_ || suspended_) return;
  nodelay(stdscr, TRUE);
  wint_t wc = 0;
  int r;
  while ((r = get_wch(&wc)) != ERR) {
    if (r == KEY_CODE_YES && wc == KEY_RESIZE) Redraw();
  }
  nodelay(stdscr, FALSE);
}

void Screen::Suspend() {
  if (!open_ || suspended_) return;
  def_prog_mode();
  endwin();
  suspended_ = true;
}

void Screen::Resume() {
  if (!open_ || !suspended_) return;
  suspended_ = false;
  reset_prog_mode();
  clearok(stdscr, TRUE);
  Redraw();
}

int Screen::PutGlyphs(int row, int col, const std::vector<Glyph>& glyphs, size_t from, int max_cells, Look look) {
  if (row < 0 || row >= Rows() || col < 0) return 0;
  if (max_cells > Cols() - col) max_cells = Cols() - col;
  SetLook(look);
  int used = 0;
  for (size_t i = from; i < glyphs.size(); ++i) {
    if (used + glyphs[i].cells > max_cells) break;
    PutChar(row, col + used, glyphs[i].ch);
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
    std::string_view plain = utf8.substr(start, amp == std::string_view::npos ? std::string_view::npos : amp - start);
    used += Put(row, col + used, plain, max_cells - used, look);
    if (amp == std::string_view::npos || amp + 1 >= utf8.size()) break;
    // The character after "&": shown underlined, or a plain "&" for "&&".
    std::vector<Glyph> rest = GlyphsOfUtf8(utf8.substr(amp + 1));
    if (rest.empty()) break;
    size_t len = rest.size() > 1 ? rest[1].at : utf8.size() - amp - 1;
    if (used + rest[0].cells > max_cells || row < 0 || row >= Rows() || col + used + rest[0].cells > Cols()) break;
    SetLook(look, utf8[amp + 1] == '&' ? A_NORMAL : A_UNDERLINE);
    PutChar(row, col + used, rest[0].ch);
    used += rest[0].cells;
    start = amp + 1 + len;
  }
  return used;
}

void Screen::Fill(int row, int col, int rows, int cols, Look look) {
  SetLook(look);
  for (int r = row; r < row + rows; ++r) {
    if (r < 0 || r >= Rows()) continue;
    for (int c = std::max(col, 0); c < col + cols && c < Cols(); ++c) PutChar(r, c, L' ');
  }
}

void Screen::Frame(int row, int col, int rows, int cols, Look look) {
  if (rows < 2 || cols < 2) return;
  Fill(row, col, rows, cols, look);
  SetLook(look);
  auto at = [&](int r, int c, const cchar_t* ch) {
    if (r >= 0 && r < Rows() && c >= 0 && c < Cols()) mvadd_wch(r, c, ch);
  };
  for (int c = col + 1; c < col + cols - 1; ++c) {
    at(row, c, WACS_HLINE);
    at(row + rows - 1, c, WACS_HLINE);
  }
  for (int r = row + 1; r < row + rows - 1; ++r) {
    at(r, col, WACS_VLINE);
    at(r, col + cols - 1, WACS_VLINE);
  }
  at(row, col, WACS_ULCORNER);
  at(row, col + cols - 1, WACS_URCORNER);
  at(row + rows - 1, col, WACS_LLCORNER);
  at(row + rows - 1, col + cols - 1, WACS_LRCORNER);
}

void Screen::Cursor(int row, int col) {
  cursor_row_ = row;
  cursor_col_ = col;
}

void Screen::Beep() {
  if (open_) beep();
}

}  // namespace ui::tty
