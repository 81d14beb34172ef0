// The terminal back end: the dialog drawn from its template at 4 dialog
// units across and 8 down to a cell, keys delivered through the dialog's
// input calls (the framework routes them as for every back end), message
// boxes, the file-save dialog, the working state and its progress while the
// export runs, and the error log in a pager when no viewer command is set.
// A terminal too small for the dialog shows what size it needs instead.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "platform/cp932.h"
#include "platform/ui/tty_backend.h"
#include "platform/ui/tty_widgets.h"
#include "platform/viewer.h"

namespace ui {
namespace {

using tty::Cells;
using tty::Look;
using tty::Screen;
using tty::Terminal;

const char* const kWorkingCaption = "減価償却";
const char* const kWorkingText = "処理中です。しばらくお待ちください...";

// True when the command line names WordPad (in any case; the letters of
// double-byte characters are left as they are).
bool IsWordpadCommand(const std::string& command) {
  return cp932::FindNoCase(command, "wordpad.exe") != std::string::npos;
}

// The dialog's key hints, shown under its frame.
const char* const kDialogHint = "Tab: 移動  Enter: 次へ/押す  F12: 実行  Esc: キャンセル";
// Redraws of the working state's progress are at least this far apart.
constexpr int64_t kProgressPaceMs = 100;

class TtyBackend : public Backend {
 public:
  // owned is the terminal when the back end holds it (the real one).
  TtyBackend(Terminal& terminal, std::unique_ptr<Terminal> owned)
      : owned_(std::move(owned)), screen_(terminal) {
    // A viewer command shows the log on this terminal, which is UTF-8.
    if (owned_) win::SetViewerTextUtf8(true);
  }
  ~TtyBackend() override {
    if (owned_) win::SetViewerTextUtf8(false);
  }

  void DialogShown(CDialog& dialog) override {
    scrolls_.clear();
    dialog_painter_ = screen_.Push([this, &dialog] { PaintDialog(dialog); });
  }

  void NextInput(CDialog& dialog) override {
    tty::Key key = screen_.Read();
    if (key.kind == tty::Key::kNone) tty::InputLost();
    // While the dialog does not fit, keys would act on controls the user
    // cannot see: only Esc and the close command reach it.
    bool esc = key.kind == tty::Key::kChar && key.ch == 27;
    bool close = key.kind == tty::Key::kCode && key.code == tty::FunctionKey(4) && key.alt;
    if (!Fits(dialog.Template()) && !esc && !close) {
      screen_.Beep();
      return;
    }
    if (!tty::DeliverKey(dialog, key)) screen_.Beep();
    screen_.Redraw();
  }

  void DialogEnded(CDialog& /*dialog*/, int /*code*/) override {
    if (dialog_painter_) screen_.Remove(dialog_painter_);
    dialog_painter_ = 0;
  }

  int MessageBox(HWND /*owner*/, const char* text, const char* caption, UINT style) override {
    return tty::RunMessageBox(screen_, text, caption, style);
  }

  bool FileSave(CDialog* /*owner*/, const FileDialogRequest& request, std::string* path) override {
    return tty::RunFileSave(screen_, request, path);
  }

  void ProcessStarted(const std::string& command, const std::string& /*folder*/, bool started) override {
    // A viewer command of the host gets the terminal while it runs; the
    // screen comes back when the program listens again.
    const char* viewer = std::getenv("ZEL_VIEWER");
    if (started && viewer && viewer[0] && IsWordpadCommand(command)) screen_.Suspend();
  }

  void ShowLog(const std::string& host_path, bool /*wait*/) override {
    // One thread draws the terminal: the pager holds the program until it
    // is closed, whether or not the program asked to wait.
    tty::RunPager(screen_, host_path);
  }

  void WaitCursor(bool shown) override {
    if (shown && !working_painter_) {
      done_ = total_ = 0;
      note_.clear();
      progress_shown_ = false;
      working_painter_ = screen_.Push([this] { PaintWorking(); });
    } else if (!shown && working_painter_) {
      screen_.Remove(working_painter_);
      working_painter_ = 0;
    }
  }

  void Progress(long done, long total) override {
    if (!working_painter_) return;
    done_ = done;
    total_ = total;
    // At most about ten pictures a second, whatever the pace of the work;
    // the end is always shown.
    int64_t now = screen_.Milliseconds();
    if (progress_shown_ && done < total && now - progress_at_ < kProgressPaceMs) return;
    progress_shown_ = true;
    progress_at_ = now;
    screen_.Redraw();
  }

  void WorkingNote(const char* text) override {
    note_ = text ? tty::Utf8(text) : "";
    if (working_painter_) screen_.Redraw();
  }

  void PumpPending() override { screen_.Pump(); }

  void DiscardPending() override {
    screen_.Resume();
    screen_.Flush();
  }

 private:
  // The dialog's frame in cells, centred; the key hints go on the row under
  // it.
  Cells FrameOf(const DialogTemplate& t) const {
    Cells client = tty::ToCells(0, 0, t.cx, t.cy);
    Cells frame;
    frame.rows = client.rows + 2;
    frame.cols = client.cols + 2;
    frame.row = std::max(0, (screen_.Rows() - frame.rows) / 2);
    frame.col = std::max(0, (screen_.Cols() - frame.cols) / 2);
    return frame;
  }
  // The size the dialog and its hints need.
  int NeededRows(const DialogTemplate& t) const { return FrameOf(t).rows + 1; }
  int NeededCols(const DialogTemplate& t) const {
    return std::max(FrameOf(t).cols, tty::CellsOf(tty::Utf8(kDialogHint)));
  }
  bool Fits(const DialogTemplate& t) const {
    return screen_.Rows() >= NeededRows(t) && screen_.Cols() >= NeededCols(t);
  }

  // Lines centred on the screen, each cut at its edge.
  void PutCentred(int row, const std::string& utf8, Look look) {
    int cells = tty::CellsOf(utf8);
    screen_.Put(row, std::max(0, (screen_.Cols() - cells) / 2), utf8, screen_.Cols(), look);
  }

  void PaintTooSmall(const DialogTemplate& t) {
    char size[128];
    std::snprintf(size, sizeof size, "必要な大きさ: %d x %d  (今は %d x %d)", NeededCols(t), NeededRows(t),
                  screen_.Cols(), screen_.Rows());
    const std::string lines[] = {tty::Utf8("端末が小さすぎてダイアログを表示できません。"), tty::Utf8(size),
                                 tty::Utf8("端末を広げるとダイアログを表示します。"),
                                 tty::Utf8("Esc: キャンセル")};
    int top = std::max(0, (screen_.Rows() - 4) / 2);
    for (int i = 0; i < 4; ++i) PutCentred(top + i, lines[i], Look::kScreen);
    screen_.Cursor(-1, -1);
  }

  void PaintDialog(CDialog& dialog) {
    const DialogTemplate& t = dialog.Template();
    if (!Fits(t)) return PaintTooSmall(t);
    Cells frame = FrameOf(t);
    int top = frame.row, left = frame.col, rows = frame.rows, cols = frame.cols;
    screen_.Frame(top, left, rows, cols, Look::kWindow);
    screen_.Put(top, left + 2, " " + tty::Utf8(t.caption ? t.caption : "") + " ", cols - 4, Look::kCaption);
    PutCentred(top + rows, tty::Utf8(kDialogHint), Look::kScreen);
    int y0 = top + 1, x0 = left + 1;
    for (int i = 0; i < t.control_count; ++i) {
      const ControlTemplate& c = t.controls[i];
      const CDialog::ControlState& s = dialog.State(i);
      Cells r = tty::ToCells(c.x, c.y, c.cx, c.cy);
      bool focused = dialog.FocusIndex() == i;
      switch (c.kind) {
        case ControlKind::Static: {
          std::string text = tty::Utf8(s.text);
          int width = tty::CellsOf(tty::LabelText(text));
          int col = (c.style & SS_RIGHT) && width < r.cols ? r.col + r.cols - width : r.col;
          screen_.PutLabel(y0 + r.row, x0 + col, text, r.col + r.cols - col, Look::kWindow);
          break;
        }
        case ControlKind::GroupBox:
          screen_.Frame(y0 + r.row, x0 + r.col, r.rows + 1, r.cols, Look::kWindow);
          screen_.PutLabel(y0 + r.row, x0 + r.col + 1, tty::Utf8(s.text), r.cols - 2, Look::kWindow);
          break;
        case ControlKind::Edit:
          tty::DrawEdit(screen_, y0 + r.row, x0 + r.col, r.cols, s, focused, &scrolls_[i]);
          break;
        case ControlKind::PushButton:
          tty::DrawButton(screen_, y0 + r.row, x0 + r.col, r.cols, s.text, focused, s.enabled);
          break;
      }
    }
  }

  void PaintWorking() {
    std::string caption = tty::Utf8(kWorkingCaption), text = tty::Utf8(kWorkingText);
    int cols = std::min(screen_.Cols(), std::max(tty::CellsOf(text), tty::CellsOf(note_)) + 6);
    int rows = note_.empty() ? 6 : 7;
    int top = std::max(0, (screen_.Rows() - rows) / 2), left = std::max(0, (screen_.Cols() - cols) / 2);
    screen_.Frame(top, left, rows, cols, Look::kWindow);
    screen_.Put(top, left + 2, " " + caption + " ", cols - 4, Look::kCaption);
    screen_.Put(top + 2, left + 3, text, cols - 6, Look::kWindow);
    if (total_ > 0) {
      long done = std::clamp(done_, 0L, total_);
      char line[96];
      std::snprintf(line, sizeof line, "%ld / %ld 件  (%lld%%)", done, total_,
                    static_cast<long long>(done) * 100 / total_);
      screen_.Put(top + 3, left + 3, tty::Utf8(line), cols - 6, Look::kWindow);
    }
    if (!note_.empty()) screen_.Put(top + 4, left + 3, note_, cols - 6, Look::kWindow);
    screen_.Cursor(-1, -1);
  }

  std::unique_ptr<Terminal> owned_;
  Screen screen_;
  int dialog_painter_ = 0, working_painter_ = 0;
  std::map<int, int> scrolls_;  // first byte shown, per edit
  long done_ = 0, total_ = 0;   // the work's progress
  std::string note_;            // why the work waits, when it does (UTF-8)
  bool progress_shown_ = false;
  int64_t progress_at_ = 0;  // when it was last drawn
};

}  // namespace

std::unique_ptr<Backend> MakeTtyBackendOn(tty::Terminal& terminal) {
  return std::make_unique<TtyBackend>(terminal, nullptr);
}

std::unique_ptr<Backend> MakeTtyBackend(std::string* why) {
  if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO)) {
    *why =
        "the terminal user interface needs a terminal on standard input and output; the dialog counts as "
        "quit";
    return nullptr;
  }
  std::unique_ptr<tty::Terminal> terminal = tty::OpenCursesTerminal(why);
  if (!terminal) {
    *why += "; the dialog counts as quit";
    return nullptr;
  }
  tty::Terminal& t = *terminal;
  return std::make_unique<TtyBackend>(t, std::move(terminal));
}

}  // namespace ui
