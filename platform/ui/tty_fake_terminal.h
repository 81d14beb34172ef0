// A terminal for tests: a grid of cells in memory that records what the
// user would have seen each time a key was read, and keys given in advance.
// It sets the character type to C.UTF-8, as the real terminal sets a UTF-8
// one, so that cells are measured as on a terminal.
#pragma once

#include <clocale>
#include <cstdlib>
#include <cwchar>
#include <deque>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/ui/tty_screen.h"

namespace ui::tty {

class FakeTerminal : public Terminal {
 public:
  // The screen as shown: one UTF-8 line a row (a double-width character
  // once, as a terminal capture shows it), the look of every cell, and the
  // cursor (row -1 when hidden).
  struct Picture {
    std::vector<std::string> lines;
    std::vector<std::vector<Look>> looks;
    int cursor_row = -1, cursor_col = -1;

    // Where text starts (row, cell column); row -1 when it is not shown.
    struct Place {
      int row = -1, col = -1;
    };
    Place Find(std::string_view utf8) const {
      for (size_t r = 0; r < lines.size(); ++r) {
        size_t at = lines[r].find(utf8);
        if (at == std::string::npos) continue;
        std::mbstate_t state{};
        int cells = 0;
        for (size_t i = 0; i < at;) {
          wchar_t ch = 0;
          size_t n = std::mbrtowc(&ch, lines[r].data() + i, at - i, &state);
          if (n == 0 || n > at - i) n = 1;
          int w = wcwidth(ch);
          cells += w > 0 ? w : 1;
          i += n;
        }
        return {static_cast<int>(r), cells};
      }
      return {};
    }
    bool Shows(std::string_view utf8) const { return Find(utf8).row >= 0; }
    std::string Text() const {
      std::string all;
      for (const std::string& line : lines) all += line + "\n";
      return all;
    }
  };

  FakeTerminal(int rows, int cols) {
    std::setlocale(LC_CTYPE, "C.UTF-8");
    Resize(rows, cols);
  }

  // Keys the user presses, in order. When they have run out, a read gives
  // kNone: no more input will come.
  std::deque<Key> keys;
  // The picture on screen each time a key was waited for, the last one (when
  // the keys had run out) included.
  std::vector<Picture> seen;
  int beeps = 0, shows = 0;
  int64_t now_ms = 0;  // the clock; tests move it

  static Key Char(wchar_t ch, bool alt = false) {
    Key k;
    k.kind = Key::kChar;
    k.ch = ch;
    k.alt = alt;
    return k;
  }
  static Key Code(int code, bool shift = false, bool ctrl = false, bool alt = false) {
    Key k;
    k.kind = Key::kCode;
    k.code = code;
    k.shift = shift;
    k.ctrl = ctrl;
    k.alt = alt;
    return k;
  }
  static Key ShiftTab() {
    Key k = Char(L'\t');
    k.shift = true;
    return k;
  }
  // The user resizes the terminal at this point of the keys.
  void ResizeTo(int rows, int cols) {
    Key k;
    k.kind = Key::kResize;
    keys.push_back(k);
    sizes_.push_back({rows, cols});
  }
  // Presses each character of a UTF-8 text.
  void Type(std::string_view utf8) {
    std::mbstate_t state{};
    for (size_t i = 0; i < utf8.size();) {
      wchar_t ch = 0;
      size_t n = std::mbrtowc(&ch, utf8.data() + i, utf8.size() - i, &state);
      if (n == 0 || n > utf8.size() - i) break;
      keys.push_back(Char(ch));
      i += n;
    }
  }

  // Changes the size at once; the next picture starts blank.
  void Resize(int rows, int cols) {
    rows_ = rows;
    cols_ = cols;
    Clear();
    shown_ = Build();
  }

  // The picture shown last.
  const Picture& Now() const { return shown_; }

  int Rows() const override { return rows_; }
  int Cols() const override { return cols_; }

  void Clear() override {
    cells_.assign(static_cast<size_t>(rows_), std::vector<Cell>(static_cast<size_t>(cols_)));
  }

  void Put(int row, int col, wchar_t ch, int cells, Look look, bool /*underline*/) override {
    // The screen must never draw outside the terminal, nor half of a
    // double-width character at its edge.
    if (row < 0 || row >= rows_ || col < 0 || col + cells > cols_) std::abort();
    std::vector<Cell>& line = cells_[static_cast<size_t>(row)];
    auto at = [&](int c) -> Cell& { return line[static_cast<size_t>(c)]; };
    // As a terminal does: writing over either half of a double-width
    // character blanks its other half.
    if (at(col).tail && col > 0) at(col - 1) = {L' ', at(col - 1).look, false};
    int end = col + (cells == 2 ? 2 : 1);
    if (end < cols_ && at(end).tail) at(end) = {L' ', at(end).look, false};
    at(col) = {ch, look, false};
    if (cells == 2) at(col + 1) = {L' ', look, true};
  }

  void Show(int cursor_row, int cursor_col, bool /*full*/) override {
    ++shows;
    cursor_row_ = cursor_row;
    cursor_col_ = cursor_col;
    shown_ = Build();
  }

  Key ReadKey(bool wait) override {
    if (wait) seen.push_back(shown_);
    if (keys.empty()) return Key{};
    if (!wait && keys.front().kind != Key::kResize) return Key{};
    Key k = keys.front();
    keys.pop_front();
    if (k.kind == Key::kResize && !sizes_.empty()) {
      Resize(sizes_.front().first, sizes_.front().second);
      sizes_.pop_front();
    }
    return k;
  }

  void FlushInput() override {}
  void Suspend() override {}
  void Resume() override {}
  void Beep() override { ++beeps; }
  int64_t Milliseconds() override { return now_ms; }

 private:
  struct Cell {
    wchar_t ch = L' ';
    Look look = Look::kScreen;
    bool tail = false;  // the second cell of a double-width character
  };

  Picture Build() const {
    Picture p;
    p.cursor_row = cursor_row_;
    p.cursor_col = cursor_col_;
    for (const auto& row : cells_) {
      std::string line;
      std::vector<Look> looks;
      for (const Cell& c : row) {
        looks.push_back(c.look);
        if (c.tail) continue;
        char buffer[8];
        std::mbstate_t state{};
        size_t n = std::wcrtomb(buffer, c.ch, &state);
        if (n == static_cast<size_t>(-1))
          line += '?';
        else
          line.append(buffer, n);
      }
      p.lines.push_back(line);
      p.looks.push_back(looks);
    }
    return p;
  }

  std::deque<std::pair<int, int>> sizes_;  // rows, cols of each resize key
  int rows_ = 0, cols_ = 0;
  int cursor_row_ = -1, cursor_col_ = -1;
  std::vector<std::vector<Cell>> cells_;
  Picture shown_;
};

}  // namespace ui::tty
