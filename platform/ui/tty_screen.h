// The screen of the tty back end: text measured in cells (a double-width
// character takes two), a stack of painters that a redraw paints from the
// bottom up (so that a resize repaints the dialog under a message box), and
// the keys with their Shift, Ctrl and Alt state. The screen draws on a
// Terminal: the real one is ncurses (wide-character build) on a UTF-8
// terminal; tests hand it a FakeTerminal (tty_fake_terminal.h) that records
// what the user would see.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace ui::tty {

// ---- Text in cells -----------------------------------------------------------
// One character of a text as the terminal shows it: where it starts in the
// source text (bytes), the wide character and the cells it takes (1 or 2;
// a character the terminal cannot show is drawn as "?").
struct Glyph {
  size_t at;
  wchar_t ch;
  int cells;
};
// The glyphs of a UTF-8 text; control characters become blanks. Widths are
// those of the current character type, which the terminal sets to UTF-8.
std::vector<Glyph> GlyphsOfUtf8(std::string_view utf8);
// The glyphs of a CP932 text, with their byte positions in that text.
std::vector<Glyph> GlyphsOfCp932(std::string_view cp932_text);
// Cells that a UTF-8 text takes.
int CellsOf(std::string_view utf8);
// A label without its "&" marks.
std::string LabelText(std::string_view utf8);

// ---- Keys --------------------------------------------------------------------------
// Keys that are not characters.
enum KeyCode {
  kUp = 1,
  kDown,
  kLeft,
  kRight,
  kHome,
  kEnd,
  kPageUp,
  kPageDown,
  kInsert,
  kDelete,
  kBackspace,
  kF1 = 0x101,  // F1 to F12 follow in order
};
constexpr int FunctionKey(int n) { return kF1 + n - 1; }

struct Key {
  enum Kind {
    kNone,    // no more input will come
    kChar,    // ch: the character (control characters included)
    kCode,    // code: a KeyCode
    kResize,  // the terminal changed its size
  } kind = kNone;
  wchar_t ch = 0;
  int code = 0;
  bool shift = false, ctrl = false, alt = false;
};

// Decodes the escape sequence of a key, given without its leading Esc
// ("[24~", "[1;5D", "OP"). False for a sequence that names no key known here;
// such a key is dropped, never typed.
bool DecodeEscape(std::string_view sequence, Key* key);

// ---- Drawing ---------------------------------------------------------------------------
enum class Look {
  kScreen,   // behind everything
  kWindow,   // a dialog's or box's face
  kCaption,  // a title bar
  kButton,
  kButtonFocus,
  kField,      // an edit's inside
  kSelection,  // selected text in a focused edit, the current line of a list
};

// Line-drawing characters; a terminal draws them in its own way.
constexpr wchar_t kHLine = L'\u2500', kVLine = L'\u2502', kTopLeft = L'\u250C', kTopRight = L'\u2510',
                  kBottomLeft = L'\u2514', kBottomRight = L'\u2518';

// The device under the screen: a grid of cells, the keyboard, and the hand-
// over to another program. Only the Screen calls it.
class Terminal {
 public:
  virtual ~Terminal() = default;
  virtual int Rows() const = 0;
  virtual int Cols() const = 0;
  // Starts a new picture: every cell blank, in the screen's look.
  virtual void Clear() = 0;
  // Puts one glyph of cells cells (1 or 2) at row, col; the caller keeps it
  // inside the screen.
  virtual void Put(int row, int col, wchar_t ch, int cells, Look look, bool underline) = 0;
  // Shows the picture with the cursor at row, col (hidden when row < 0).
  // full sends every cell again, for a picture whose cells the terminal may
  // no longer know (a box that covered half of a double-width character).
  virtual void Show(int cursor_row, int cursor_col, bool full) = 0;
  // The next key. With wait false, kNone when no key is pending; with wait
  // true, kNone only when no input will ever come.
  virtual Key ReadKey(bool wait) = 0;
  // Throws away keys typed ahead.
  virtual void FlushInput() = 0;
  // Hands the terminal to another program, and takes it back.
  virtual void Suspend() = 0;
  virtual void Resume() = 0;
  virtual void Beep() = 0;
  // Milliseconds of a steady clock, for redraws that are paced.
  virtual int64_t Milliseconds() = 0;
};

// The real terminal on standard input and output. Null with the reason in
// *why when it cannot be had: no UTF-8 locale, an unknown terminal, or one
// that cannot move its cursor. While it is held, what the program writes to
// standard error (when that is the terminal too) is kept and written out
// once the terminal has been given back.
std::unique_ptr<Terminal> OpenCursesTerminal(std::string* why);

class Screen {
 public:
  explicit Screen(Terminal& terminal) : terminal_(terminal) {}

  int Rows() const { return terminal_.Rows(); }
  int Cols() const { return terminal_.Cols(); }

  // Painters, drawn bottom to top on every Redraw. Push returns the id that
  // Remove takes.
  int Push(std::function<void()> painter);
  void Remove(int id);
  void Redraw();

  // Waits for the next key; a resize repaints and is not returned. kNone
  // when no input will come.
  Key Read();
  // Throws away keys typed ahead.
  void Flush();
  // Repaints after a resize that is pending and drops other keys, without
  // waiting.
  void Pump();

  // Hands the terminal to another program (a viewer) until the next
  // Redraw, Read or Resume.
  void Suspend();
  void Resume();

  // Drawing primitives (row, column in screen cells). Text is clipped at
  // max_cells and at the screen's edge; a double-width character that does
  // not fit whole is left out. Returns the cells drawn.
  int Put(int row, int col, std::string_view utf8, int max_cells, Look look);
  int PutGlyphs(int row, int col, const std::vector<Glyph>& glyphs, size_t from, int max_cells, Look look);
  void Fill(int row, int col, int rows, int cols, Look look);
  void Frame(int row, int col, int rows, int cols, Look look);
  // A label with its "&" mnemonic underlined ("&&" is a plain "&").
  int PutLabel(int row, int col, std::string_view utf8, int max_cells, Look look);
  // Puts the cursor there (visible) or hides it (row < 0).
  void Cursor(int row, int col);
  void Beep() { terminal_.Beep(); }
  int64_t Milliseconds() { return terminal_.Milliseconds(); }

 private:
  void PutOne(int row, int col, const Glyph& glyph, Look look, bool underline);

  Terminal& terminal_;
  bool suspended_ = false;
  bool full_ = true;  // the next picture is sent whole
  int cursor_row_ = -1, cursor_col_ = -1;
  int next_id_ = 0;
  std::vector<std::pair<int, std::function<void()>>> painters_;
};

}  // namespace ui::tty
