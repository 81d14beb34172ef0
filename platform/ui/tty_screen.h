// The terminal under the tty back end: ncurses (wide-character build) set
// up for a UTF-8 terminal, text measured in cells (a double-width character
// takes two), a stack of painters that a redraw paints from the bottom up
// (so that a resize repaints the dialog under a message box), and the keys
// read with their Shift, Ctrl and Alt state.
#pragma once

#include <functional>
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
// The glyphs of a UTF-8 text; control characters become blanks.
std::vector<Glyph> GlyphsOfUtf8(std::string_view utf8);
// The glyphs of a CP932 text, with their byte positions in that text.
std::vector<Glyph> GlyphsOfCp932(std::string_view cp932_text);
// Cells that a UTF-8 text takes.
int CellsOf(std::string_view utf8);

// ---- Keys --------------------------------------------------------------------------
struct Key {
  enum Kind { kNone, kChar, kCode } kind = kNone;
  wchar_t ch = 0;   // kChar: the character (control characters included)
  int code = 0;     // kCode: the curses key code (KEY_LEFT, KEY_F(12), ...)
  bool shift = false, ctrl = false, alt = false;
};

// ---- Drawing ---------------------------------------------------------------------------
enum class Look {
  kScreen,      // behind everything
  kWindow,      // a dialog's or box's face
  kCaption,     // a title bar
  kButton,
  kButtonFocus,
  kField,       // an edit's inside
  kSelection,   // selected text in a focused edit, the current line of a list
};

class Screen {
 public:
  // Sets the locale's character type to UTF-8 (the environment's, else
  // C.UTF-8) and takes the terminal. False with the reason when it cannot.
  bool Open(std::string* why);
  // Gives the terminal back; also done by the destructor.
  void Close();
  ~Screen();

  int Rows() const;
  int Cols() const;

  // Painters, drawn bottom to top on every Redraw. Push returns the id that
  // Remove takes.
  int Push(std::function<void()> painter);
  void Remove(int id);
  void Redraw();

  // Waits for the next key; a resize repaints and is not returned.
  Key Read();
  // Throws away keys typed ahead.
  void Flush();
  // Repaints after a resize that is pending and drops other keys, without
  // waiting.
  void Pump();

  // Hands the terminal to another program (a viewer) until the next
  // Redraw or Resume.
  void Suspend();
  void Resume();

  // Drawing primitives (row, column in screen cells). Text is clipped at
  // max_cells; a double-width character that does not fit whole is left out.
  // Returns the cells drawn.
  int Put(int row, int col, std::string_view utf8, int max_cells, Look look);
  int PutGlyphs(int row, int col, const std::vector<Glyph>& glyphs, size_t from, int max_cells, Look look);
  void Fill(int row, int col, int rows, int cols, Look look);
  void Frame(int row, int col, int rows, int cols, Look look);
  // A label with its "&" mnemonic underlined ("&&" is a plain "&").
  int PutLabel(int row, int col, std::string_view utf8, int max_cells, Look look);
  // Puts the cursor there (visible) or hides it (row < 0).
  void Cursor(int row, int col);
  void Beep();

 private:
  bool open_ = false;
  bool suspended_ = false;
  int cursor_row_ = -1, cursor_col_ = -1;
  int next_id_ = 0;
  std::vector<std::pair<int, std::function<void()>>> painters_;
};

// A label without its "&" marks, and the cells it takes.
std::string LabelText(std::string_view utf8);

}  // namespace ui::tty
