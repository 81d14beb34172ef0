// The log pager: without a viewer command, the terminal shows the error log
// itself (converted from Shift_JIS), scrollable, until q or Esc closes it.
#include <algorithm>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/cp932.h"
#include "platform/ui/tty_widgets.h"
#include "platform/win.h"

namespace ui::tty {
namespace {

constexpr int kTabCells = 8;

// The file's lines as glyphs, tabs expanded.
std::vector<std::vector<Glyph>> ReadLines(const std::string& host_path, bool* readable) {
  std::ifstream in(host_path, std::ios::binary);
  std::ostringstream content;
  if (in.is_open()) content << in.rdbuf();
  *readable = in.is_open() && !in.bad();
  std::string utf8 = cp932::ToUtf8(content.str());
  std::vector<std::vector<Glyph>> lines;
  size_t start = 0;
  while (start < utf8.size()) {
    size_t end = utf8.find('\n', start);
    std::string_view line =
        std::string_view(utf8).substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::vector<Glyph> glyphs;
    int cells = 0;
    for (const Glyph& g : GlyphsOfUtf8(line)) {
      if (line[g.at] == '\t') {
        do {
          glyphs.push_back({g.at, L' ', 1});
        } while (++cells % kTabCells != 0);
      } else {
        glyphs.push_back(g);
        cells += g.cells;
      }
    }
    lines.push_back(std::move(glyphs));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return lines;
}

// Index of the first glyph at or after cell column cell of a line.
size_t GlyphAtCell(const std::vector<Glyph>& line, int cell) {
  int cells = 0;
  size_t i = 0;
  while (i < line.size() && cells < cell) cells += line[i++].cells;
  return i;
}

}  // namespace

void RunPager(Screen& screen, const std::string& host_path) {
  bool readable = false;
  std::vector<std::vector<Glyph>> lines = ReadLines(host_path, &readable);
  std::string name = win::FromHostPath(host_path);
  std::string title = name.empty() ? host_path : Utf8(name);
  if (!readable) lines = {GlyphsOfUtf8("(" + host_path + ": cannot be read)")};
  int total = static_cast<int>(lines.size());
  int top = 0, shift = 0;
  auto page = [&]() { return std::max(1, screen.Rows() - 2); };
  auto paint = [&]() {
    int rows = page();
    top = std::clamp(top, 0, std::max(0, total - rows));
    screen.Fill(0, 0, screen.Rows(), screen.Cols(), Look::kScreen);
    screen.Fill(0, 0, 1, screen.Cols(), Look::kCaption);
    screen.Put(0, 1, title, screen.Cols() - 2, Look::kCaption);
    for (int r = 0; r < rows && top + r < total; ++r) {
      const std::vector<Glyph>& line = lines[static_cast<size_t>(top + r)];
      screen.PutGlyphs(1 + r, 0, line, GlyphAtCell(line, shift), screen.Cols(), Look::kScreen);
    }
    char status[160];
    std::snprintf(status, sizeof status,
                  " %d-%d / %d   Up Down PgUp PgDn Home End Left Right   q, Esc: close", total ? top + 1 : 0,
                  std::min(top + rows, total), total);
    screen.Fill(screen.Rows() - 1, 0, 1, screen.Cols(), Look::kCaption);
    screen.Put(screen.Rows() - 1, 0, status, screen.Cols(), Look::kCaption);
    screen.Cursor(-1, -1);
  };
  int painter = screen.Push(paint);
  for (;;) {
    Key key = screen.Read();
    if (key.kind == Key::kNone) break;  // nothing more to read: the pager is done
    wchar_t ch = key.kind == Key::kChar ? key.ch : 0;
    int code = key.kind == Key::kCode ? key.code : 0;
    if (ch == L'q' || ch == L'Q' || ch == 27) break;
    if (code == kUp || ch == L'k')
      --top;
    else if (code == kDown || ch == L'j' || ch == L'\r' || ch == L'\n')
      ++top;
    else if (code == kPageUp || ch == L'b')
      top -= page();
    else if (code == kPageDown || ch == L' ')
      top += page();
    else if (code == kHome || ch == L'g')
      top = 0;
    else if (code == kEnd || ch == L'G')
      top = total;
    else if (code == kLeft)
      shift = std::max(0, shift - kTabCells);
    else if (code == kRight)
      shift += kTabCells;
    screen.Redraw();
  }
  screen.Remove(painter);
}

}  // namespace ui::tty
