// The real terminal: ncurses (wide-character build) on standard input and
// output, set up for a UTF-8 terminal; keys read with their modifiers, and
// standard error kept aside while the screen is taken.
#include <fcntl.h>
#include <langinfo.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#ifndef NCURSES_WIDECHAR
#define NCURSES_WIDECHAR 1
#endif
#include <curses.h>
#include <term.h>

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/ui/tty_screen.h"

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

// Whether the terminal description of TERM can move the cursor; a terminal
// that cannot (dumb, or one without "cup") would draw the dialog as one
// garbled line.
bool CanAddressCursor(std::string* why) {
  const char* term = std::getenv("TERM");
  std::string name = term ? term : "";
  int error = 0;
  if (setupterm(nullptr, STDOUT_FILENO, &error) != OK) {
    *why = "cannot use the terminal (TERM=" + name + ")";
    return false;
  }
  const char* cup = tigetstr(const_cast<char*>("cup"));
  bool ok = cup != nullptr && cup != reinterpret_cast<char*>(-1);
  del_curterm(cur_term);
  if (!ok) *why = "cannot use the terminal (TERM=" + name + "): it cannot move the cursor";
  return ok;
}

constexpr short kPairBase = 1;

struct LookStyle {
  short fg, bg;
  attr_t color_attr;  // with colours
  attr_t mono_attr;   // without
};
const LookStyle kStyles[] = {
    {-1, -1, A_NORMAL, A_NORMAL},                           // kScreen
    {COLOR_BLACK, COLOR_WHITE, A_NORMAL, A_NORMAL},         // kWindow
    {COLOR_WHITE, COLOR_BLUE, A_BOLD, A_REVERSE},           // kCaption
    {COLOR_BLACK, COLOR_CYAN, A_NORMAL, A_BOLD},            // kButton
    {COLOR_WHITE, COLOR_BLUE, A_BOLD, A_REVERSE | A_BOLD},  // kButtonFocus
    {COLOR_WHITE, COLOR_BLACK, A_NORMAL, A_UNDERLINE},      // kField
    {COLOR_BLACK, COLOR_CYAN, A_NORMAL, A_REVERSE},         // kSelection
};

// Keys as the terminal description names them (F13 is Shift+F1, kLFT5 is
// Ctrl+Left, ...) brought back to the plain key and its modifiers. A key
// this program has no use for gives kind kNone.
Key FromCode(int code) {
  // The keys that come as a code of their own: the plain key, and whether
  // Shift is held.
  static const struct {
    int curses, code;
    bool shift;
  } kCodes[] = {
      {KEY_UP, kUp, false},
      {KEY_DOWN, kDown, false},
      {KEY_LEFT, kLeft, false},
      {KEY_RIGHT, kRight, false},
      {KEY_HOME, kHome, false},
      {KEY_END, kEnd, false},
      {KEY_PPAGE, kPageUp, false},
      {KEY_NPAGE, kPageDown, false},
      {KEY_IC, kInsert, false},
      {KEY_DC, kDelete, false},
      {KEY_BACKSPACE, kBackspace, false},
      {KEY_SLEFT, kLeft, true},
      {KEY_SRIGHT, kRight, true},
      {KEY_SHOME, kHome, true},
      {KEY_SEND, kEnd, true},
      {KEY_SDC, kDelete, true},
      {KEY_SR, kUp, true},
      {KEY_SF, kDown, true},
  };
  Key k;
  k.kind = Key::kCode;
  for (const auto& c : kCodes) {
    if (c.curses == code) {
      k.code = c.code;
      k.shift = c.shift;
      return k;
    }
  }
  // Shift+Tab and the keypad's Enter are characters to the dialog.
  if (code == KEY_BTAB || code == KEY_ENTER) {
    k.kind = Key::kChar;
    k.ch = code == KEY_BTAB ? L'\t' : L'\r';
    k.shift = code == KEY_BTAB;
    return k;
  }
  if (code >= KEY_F(1) && code <= KEY_F(60)) {
    int n = code - KEY_F(1);  // 0-based
    int group = n / 12;       // 1 Shift, 2 Ctrl, 3 Ctrl+Shift, 4 Alt
    k.code = FunctionKey(n % 12 + 1);
    k.shift = group == 1 || group == 3;
    k.ctrl = group == 2 || group == 3;
    k.alt = group == 4;
    return k;
  }
  if (code > KEY_MAX) {
    // Extended names: kLFT5 and the like, the digit holding the modifiers
    // (2 Shift, 3 Alt, 5 Ctrl, and their sums minus one).
    const char* name = keyname(code);
    static const struct {
      const char* prefix;
      int code;
    } kNamed[] = {{"kLFT", kLeft}, {"kRIT", kRight}, {"kUP", kUp},    {"kDN", kDown},
                  {"kHOM", kHome}, {"kEND", kEnd},   {"kDC", kDelete}};
    for (const auto& n : kNamed) {
      size_t len = std::strlen(n.prefix);
      if (name && std::strncmp(name, n.prefix, len) == 0 && name[len] >= '2' && name[len] <= '8' &&
          !name[len + 1]) {
        int m = name[len] - '1';
        k.code = n.code;
        k.shift = m & 1;
        k.alt = m & 2;
        k.ctrl = m & 4;
        return k;
      }
    }
  }
  return Key{};
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

// Standard error while the screen is taken: a line written to the terminal
// then would be painted over (or lost with the alternate screen), so it goes
// to an unnamed file and is written out when the terminal is given back.
class StderrHold {
 public:
  void Hold() {
    if (saved_ >= 0 || !isatty(STDERR_FILENO)) return;
    if (file_ < 0) file_ = OpenUnnamed();
    if (file_ < 0) return;
    std::fflush(stderr);
    saved_ = dup(STDERR_FILENO);
    if (saved_ >= 0 && dup2(file_, STDERR_FILENO) < 0) {
      close(saved_);
      saved_ = -1;
    }
  }
  void Release() {
    if (saved_ < 0) return;
    std::fflush(stderr);
    dup2(saved_, STDERR_FILENO);
    close(saved_);
    saved_ = -1;
    char buffer[4096];
    off_t at = 0;
    ssize_t n;
    while ((n = pread(file_, buffer, sizeof buffer, at)) > 0) {
      at += n;
      for (ssize_t done = 0; done < n;) {
        ssize_t w = write(STDERR_FILENO, buffer + done, static_cast<size_t>(n - done));
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) break;
        done += w;
      }
    }
    if (ftruncate(file_, 0) == 0) lseek(file_, 0, SEEK_SET);
  }
  ~StderrHold() {
    Release();
    if (file_ >= 0) close(file_);
  }

 private:
  static int OpenUnnamed() {
    const char* tmp = std::getenv("TMPDIR");
    std::string dir = tmp && tmp[0] ? tmp : "/tmp";
    int fd = open(dir.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0) return fd;
    std::string name = dir + "/zel-stderr-XXXXXX";
    fd = mkostemp(name.data(), O_CLOEXEC);
    if (fd >= 0) unlink(name.c_str());
    return fd;
  }

  int file_ = -1, saved_ = -1;
};

class CursesTerminal : public Terminal {
 public:
  bool Open(std::string* why) {
    if (!SetUtf8Ctype()) {
      *why = "the terminal user interface needs a UTF-8 locale (none found, not even C.UTF-8)";
      return false;
    }
    if (!CanAddressCursor(why)) return false;
    screen_ = newterm(nullptr, stdout, stdin);
    if (!screen_) {
      const char* term = std::getenv("TERM");
      *why = std::string("cannot use the terminal (TERM=") + (term ? term : "") + ")";
      return false;
    }
    raw();
    noecho();
    nonl();
    keypad(stdscr, TRUE);
    // Esc alone must act at once; the escape sequences of a terminal arrive
    // together well within this time. A delay the user set is kept.
    if (!std::getenv("ESCDELAY")) set_escdelay(25);
    colors_ = has_colors();
    if (colors_) {
      start_color();
      use_default_colors();
      for (int i = 0; i < static_cast<int>(sizeof kStyles / sizeof kStyles[0]); ++i)
        init_pair(static_cast<short>(kPairBase + i), kStyles[i].fg, kStyles[i].bg);
    }
    stderr_.Hold();
    return true;
  }

  ~CursesTerminal() override {
    if (!screen_) return;
    if (!suspended_) {
      curs_set(1);
      endwin();
    }
    delscreen(screen_);
    stderr_.Release();
  }

  int Rows() const override { return LINES; }
  int Cols() const override { return COLS; }

  void Clear() override {
    SetLook(Look::kScreen, A_NORMAL);
    bkgdset(' ' | (colors_ ? COLOR_PAIR(kPairBase) : 0));
    erase();
  }

  void Put(int row, int col, wchar_t ch, int /*cells*/, Look look, bool underline) override {
    SetLook(look, underline ? A_UNDERLINE : A_NORMAL);
    const cchar_t* line = LineChar(ch);
    if (line) {
      mvadd_wch(row, col, line);
    } else {
      wchar_t text[2] = {ch, 0};
      mvaddnwstr(row, col, text, 1);
    }
  }

  void Show(int cursor_row, int cursor_col, bool full) override {
    if (full) clearok(stdscr, TRUE);
    if (cursor_row >= 0) {
      curs_set(1);
      move(cursor_row, cursor_col);
    } else {
      curs_set(0);
    }
    refresh();
  }

  Key ReadKey(bool wait) override {
    int failures = 0;
    for (;;) {
      nodelay(stdscr, wait ? FALSE : TRUE);
      wint_t wc = 0;
      int r = get_wch(&wc);
      if (r == ERR) {
        // Nothing pending; or, while waiting, the terminal went away (or a
        // signal came): after many in a row no input will come.
        if (!wait || ++failures > 50) return Key{};
        continue;
      }
      failures = 0;
      if (r == KEY_CODE_YES && wc == KEY_RESIZE) return Key{Key::kResize};
      if (r == KEY_CODE_YES) {
        Key k = FromCode(static_cast<int>(wc));
        if (k.kind != Key::kNone) return k;
        continue;  // a key of no use here
      }
      if (wc != 27) return FromChar(static_cast<wchar_t>(wc));
      Key k;
      if (AfterEsc(&k)) return k;
      // An escape sequence of a key not known here: dropped.
    }
  }

  void FlushInput() override { flushinp(); }

  void Suspend() override {
    if (suspended_) return;
    def_prog_mode();
    endwin();
    suspended_ = true;
    // The other program writes to the terminal itself; so may the program.
    stderr_.Release();
  }

  void Resume() override {
    if (!suspended_) return;
    suspended_ = false;
    stderr_.Hold();
    reset_prog_mode();
  }

  void Beep() override { beep(); }

  int64_t Milliseconds() override {
    timespec now = {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
  }

 private:
  void SetLook(Look look, attr_t extra) {
    const LookStyle& s = kStyles[static_cast<int>(look)];
    if (colors_)
      attr_set(s.color_attr | extra, static_cast<short>(kPairBase + static_cast<int>(look)), nullptr);
    else
      attr_set(s.mono_attr | extra, 0, nullptr);
  }

  static const cchar_t* LineChar(wchar_t ch) {
    switch (ch) {
      case kHLine: return WACS_HLINE;
      case kVLine: return WACS_VLINE;
      case kTopLeft: return WACS_ULCORNER;
      case kTopRight: return WACS_URCORNER;
      case kBottomLeft: return WACS_LLCORNER;
      case kBottomRight: return WACS_LRCORNER;
      default: return nullptr;
    }
  }

  // After an Esc: Esc alone, an Alt key (Esc and the key together), or the
  // escape sequence of a key that the terminal description does not name
  // (F12 under TERM=vt100 sends "[24~"). False when the sequence names no
  // key known here.
  bool AfterEsc(Key* key) {
    nodelay(stdscr, TRUE);
    wint_t next = 0;
    int r = get_wch(&next);
    if (r == ERR || (r == KEY_CODE_YES && next == KEY_RESIZE)) {
      if (r != ERR) ungetch(KEY_RESIZE);  // seen on the next read
      *key = FromChar(27);
      return true;
    }
    if (r == KEY_CODE_YES) {
      *key = FromCode(static_cast<int>(next));
      key->alt = true;
      return key->kind != Key::kNone;
    }
    if (next != L'[' && next != L'O') {
      *key = FromChar(static_cast<wchar_t>(next));
      key->alt = true;
      return true;
    }
    // A sequence: parameters and intermediates up to a final byte. Its bytes
    // arrive together, or within the Esc delay when a slow line splits them;
    // a lone "[" or "O" is Alt with that key.
    std::string seq(1, static_cast<char>(next));
    timeout(std::max(get_escdelay(), 25));
    for (;;) {
      wint_t c = 0;
      int rc = get_wch(&c);
      if (rc == ERR) break;
      if (rc == KEY_CODE_YES || c > 0x7E || c < 0x20) {
        // Not part of a sequence: read again on the next call.
        if (rc == KEY_CODE_YES)
          ungetch(static_cast<int>(c));
        else
          unget_wch(static_cast<wchar_t>(c));
        break;
      }
      seq += static_cast<char>(c);
      bool final_byte = seq[0] == 'O' ? seq.size() == 2 : c >= 0x40;
      if (final_byte) return DecodeEscape(seq, key);
      if (seq.size() > 32) return false;  // no key is that long: drop it
    }
    if (seq.size() == 1) {
      *key = FromChar(static_cast<wchar_t>(seq[0]));
      key->alt = true;
      return true;
    }
    return false;  // cut short: dropped
  }

  SCREEN* screen_ = nullptr;
  bool colors_ = false;
  bool suspended_ = false;
  StderrHold stderr_;
};

}  // namespace

std::unique_ptr<Terminal> OpenCursesTerminal(std::string* why) {
  auto terminal = std::make_unique<CursesTerminal>();
  if (!terminal->Open(why)) return nullptr;
  return terminal;
}

}  // namespace ui::tty
