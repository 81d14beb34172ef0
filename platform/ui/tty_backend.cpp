// The terminal back end: the dialog drawn from its template at 4 dialog
// units across and 8 down to a cell, keys delivered through the dialog's
// input calls (the framework routes them as for every back end), message
// boxes, the file-save dialog, the working state while the export runs, and
// the error log in a pager when no viewer command is set.
#include <unistd.h>

#include <cstdlib>
#include <map>

#include "platform/cp932.h"
#include "platform/ui/backend.h"
#include "platform/ui/tty_widgets.h"

namespace ui {
namespace {

using tty::Cells;
using tty::Look;
using tty::Screen;

const char* const kWorkingCaption = "減価償却";
const char* const kWorkingText = "処理中です。しばらくお待ちください...";

// True when the command line names WordPad (in any case; the letters of
// double-byte characters are left as they are).
bool IsWordpadCommand(const std::string& command) {
  std::string lower = command;
  for (size_t i = 0; i < lower.size(); ++i) {
    if (cp932::IsLeadByte(static_cast<unsigned char>(lower[i]))) ++i;
    else if (lower[i] >= 'A' && lower[i] <= 'Z') lower[i] = static_cast<char>(lower[i] - 'A' + 'a');
  }
  return cp932::FindText(lower, "wordpad.exe") != std::string::npos;
}

class TtyBackend : public Backend {
 public:
  bool Open(std::string* why) { return screen_.Open(why); }

  void DialogShown(CDialog& dialog) override {
    scrolls_.clear();
    dialog_painter_ = screen_.Push([this, &dialog] { PaintDialog(dialog); });
  }

  void NextInput(CDialog& dialog) override {
    tty::Key key = screen_.Read();
    if (key.kind == tty::Key::kNone) tty::InputLost();
    tty::DeliverKey(dialog, key);
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
      working_painter_ = screen_.Push([this] { PaintWorking(); });
    } else if (!shown && working_painter_) {
      screen_.Remove(working_painter_);
      working_painter_ = 0;
    }
  }

  void PumpPending() override { screen_.Pump(); }

  void DiscardPending() override {
    screen_.Resume();
    screen_.Flush();
  }

 private:
  void PaintDialog(CDialog& dialog) {
    const DialogTemplate& t = dialog.Template();
    Cells client = tty::ToCells(0, 0, t.cx, t.cy);
    int rows = client.rows + 2, cols = client.cols + 2;
    int top = std::max(0, (screen_.Rows() - rows) / 2), left = std::max(0, (screen_.Cols() - cols) / 2);
    screen_.Frame(top, left, rows, cols, Look::kWindow);
    screen_.Put(top, left + 2, " " + tty::Utf8(t.caption ? t.caption : "") + " ", cols - 4, Look::kCaption);
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
    int cols = std::min(screen_.Cols(), tty::CellsOf(text) + 6), rows = 5;
    int top = std::max(0, (screen_.Rows() - rows) / 2), left = std::max(0, (screen_.Cols() - cols) / 2);
    screen_.Frame(top, left, rows, cols, Look::kWindow);
    screen_.Put(top, left + 2, " " + caption + " ", cols - 4, Look::kCaption);
    screen_.Put(top + 2, left + 3, text, cols - 6, Look::kWindow);
    screen_.Cursor(-1, -1);
  }

  Screen screen_;
  int dialog_painter_ = 0, working_painter_ = 0;
  std::map<int, int> scrolls_;  // first byte shown, per edit
};

}  // namespace

std::unique_ptr<Backend> MakeTtyBackend(std::string* why) {
  if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO)) {
    *why = "the terminal user interface needs a terminal on standard input and output; the dialog counts as quit";
    return nullptr;
  }
  auto backend = std::make_unique<TtyBackend>();
  if (!backend->Open(why)) {
    *why += "; the dialog counts as quit";
    return nullptr;
  }
  return backend;
}

}  // namespace ui
