// Message boxes in the terminal: a centred box with the caption in its
// frame, an icon mark, the text with its line feeds, and the buttons of
// the style.
#include <algorithm>
#include <vector>

#include "platform/ui/tty_widgets.h"

namespace ui::tty {
namespace {

constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;

struct BoxButton {
  int answer;
  const char* label;  // CP932
  wchar_t shortcut;   // 0 for none
};

std::vector<BoxButton> ButtonsOf(UINT style) {
  const BoxButton ok = {IDOK, "OK", 0}, cancel = {IDCANCEL, "キャンセル", 0};
  const BoxButton yes = {IDYES, "はい(&Y)", L'Y'}, no = {IDNO, "いいえ(&N)", L'N'};
  const BoxButton retry = {IDRETRY, "再試行(&R)", L'R'};
  switch (style & 0x0Fu) {
    case MB_OKCANCEL: return {ok, cancel};
    case 2: return {{IDABORT, "中止(&A)", L'A'}, retry, {IDIGNORE, "無視(&I)", L'I'}};
    case MB_YESNOCANCEL: return {yes, no, cancel};
    case MB_YESNO: return {yes, no};
    case 5: return {retry, cancel};
    default: return {ok};
  }
}

const char* IconMark(UINT style) {
  switch (style & 0xF0u) {
    case MB_ICONSTOP: return "(x)";
    case MB_ICONQUESTION: return "(?)";
    case MB_ICONEXCLAMATION: return "(!)";
    case MB_ICONINFORMATION: return "(i)";
    default: return "";
  }
}

// The text's lines (line feeds kept), each wrapped at width cells.
std::vector<std::vector<Glyph>> Lines(const std::string& utf8, int width) {
  std::vector<std::vector<Glyph>> lines;
  size_t start = 0;
  for (;;) {
    size_t end = utf8.find('\n', start);
    std::string_view line =
        std::string_view(utf8).substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::vector<Glyph> glyphs = GlyphsOfUtf8(line);
    std::vector<Glyph> current;
    int cells = 0;
    for (const Glyph& g : glyphs) {
      if (cells + g.cells > width && !current.empty()) {
        lines.push_back(current);
        current.clear();
        cells = 0;
      }
      current.push_back(g);
      cells += g.cells;
    }
    lines.push_back(current);
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return lines;
}

int Width(const std::vector<Glyph>& line) {
  int cells = 0;
  for (const Glyph& g : line) cells += g.cells;
  return cells;
}

}  // namespace

int RunMessageBox(Screen& screen, std::string_view text, std::string_view caption, UINT style) {
  const std::vector<BoxButton> buttons = ButtonsOf(style);
  int n = static_cast<int>(buttons.size());
  int focus = std::min(static_cast<int>((style >> 8) & 0x0Fu), n - 1);
  const std::string body = Utf8(text), title = Utf8(caption), icon = IconMark(style);

  int button_cols = 0;
  for (const BoxButton& b : buttons)
    button_cols = std::max(button_cols, CellsOf(LabelText(Utf8(b.label))) + 4);

  auto paint = [&]() {
    int icon_cols = icon.empty() ? 0 : 5;
    int max_text = std::max(10, screen.Cols() - 6 - icon_cols);
    std::vector<std::vector<Glyph>> lines = Lines(body, max_text);
    int text_cols = 0;
    for (const auto& line : lines) text_cols = std::max(text_cols, Width(line));
    int all_buttons = n * button_cols + (n - 1) * 2;
    int inner = std::max({icon_cols + text_cols, all_buttons, CellsOf(title) + 2, 20});
    int cols = std::min(inner + 4, screen.Cols());
    int rows = std::min(static_cast<int>(lines.size()) + 5, screen.Rows());
    int top = std::max(0, (screen.Rows() - rows) / 2), left = std::max(0, (screen.Cols() - cols) / 2);
    screen.Frame(top, left, rows, cols, Look::kWindow);
    screen.Put(top, left + 2, " " + title + " ", cols - 4, Look::kCaption);
    int shown = std::max(0, rows - 5);
    if (!icon.empty()) screen.Put(top + 2, left + 2, icon, 3, Look::kWindow);
    for (int i = 0; i < shown && i < static_cast<int>(lines.size()); ++i)
      screen.PutGlyphs(top + 2 + i, left + 2 + icon_cols, lines[i], 0, cols - 4 - icon_cols, Look::kWindow);
    int row = top + rows - 2;
    int col = left + std::max(2, (cols - all_buttons) / 2);
    for (int i = 0; i < n; ++i) {
      DrawButton(screen, row, col, button_cols, buttons[i].label, i == focus, true);
      col += button_cols + 2;
    }
  };
  int painter = screen.Push(paint);

  int answer = 0;
  while (!answer) {
    Key key = screen.Read();
    if (key.kind == Key::kNone) {
      screen.Remove(painter);
      InputLost();
    }
    wchar_t ch = key.kind == Key::kChar ? key.ch : 0;
    if (ch >= L'a' && ch <= L'z') ch = ch - L'a' + L'A';
    if (ch == L'\r' || ch == L'\n' || ch == L' ') {
      answer = buttons[focus].answer;
    } else if (ch == 27) {
      // Esc: cancel where the box has it, otherwise No or OK.
      for (const BoxButton& b : buttons)
        if (b.answer == IDCANCEL) answer = IDCANCEL;
      if (!answer && n == 1) answer = buttons[0].answer;
      if (!answer)
        for (const BoxButton& b : buttons)
          if (b.answer == IDNO) answer = IDNO;
    } else if (ch == L'\t' || (key.kind == Key::kCode && (key.code == kLeft || key.code == kRight ||
                                                          key.code == kUp || key.code == kDown))) {
      bool back = (ch == L'\t' && key.shift) || key.code == kLeft || key.code == kUp;
      focus = (focus + (back ? n - 1 : 1)) % n;
    } else if (ch) {
      for (const BoxButton& b : buttons)
        if (b.shortcut && b.shortcut == ch) answer = b.answer;
      if (!answer) screen.Beep();
    }
    screen.Redraw();
  }
  screen.Remove(painter);
  return answer;
}

}  // namespace ui::tty
