// The interface between the dialog framework and a user-interface back end
// (script, tty). The framework owns the dialog's state and the input routing
// (PreTranslateMessage first, then default processing); a back end only
// shows what the framework hands it and delivers the user's actions through
// CDialog's input calls (KeyDown, Click, Close, InputText, SetFocusIndex).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/dialog.h"

namespace ui {

class Backend {
 public:
  virtual ~Backend() = default;

  // Called once before the application starts; a back end that cannot run
  // (a script that cannot be read) throws RunAborted here.
  virtual void Start() {}

  // The dialog has been initialised and is now on screen.
  virtual void DialogShown(CDialog& dialog) = 0;
  // Waits for the user's next action on the dialog and delivers it through
  // the dialog's input calls. Throws RunAborted when no input can come.
  virtual void NextInput(CDialog& dialog) = 0;
  // The modal run of the dialog ended with code.
  virtual void DialogEnded(CDialog& dialog, int code) = 0;

  // A modal message box; owner is the owning dialog's window or null.
  // Returns IDOK, IDYES, IDNO or IDCANCEL.
  virtual int MessageBox(HWND owner, const char* text, const char* caption, UINT style) = 0;
  // True when start-up refusals are to be shown as message boxes too: the
  // user of this back end does not see standard error.
  virtual bool ShowsRefusals() const { return false; }
  // The file-save dialog; true with the chosen path (CP932) when confirmed.
  virtual bool FileSave(CDialog* owner, const FileDialogRequest& request, std::string* path) = 0;

  // A process start the program asked for (CP932 texts).
  virtual void ProcessStarted(const std::string& command, const std::string& folder, bool started) = 0;
  // Shows the log at host_path in place of WordPad when no ZEL_VIEWER host
  // command is set; wait is true when the program waits for it to close.
  virtual void ShowLog(const std::string& host_path, bool wait) = 0;
  // On Windows: false when WordPad itself is to be started rather than
  // ShowLog called (the Windows dialog back end).
  virtual bool ReplacesWordpad() const { return true; }

  // The wait cursor is shown (true) or taken away (false).
  virtual void WaitCursor(bool /*shown*/) {}
  // Progress of the work while the wait cursor shows: done of total units
  // (the assets of an export). Called for every unit; a back end that shows
  // it keeps its own pace.
  virtual void Progress(long /*done*/, long /*total*/) {}
  // A line (CP932) that the working state shows beside the progress, such
  // as why the work waits.
  virtual void WorkingNote(const char* /*text*/) {}
  // Handles whatever input is pending (a redraw in a terminal).
  virtual void PumpPending() {}
  // Throws away input given while the program was not listening (while the
  // log viewer was open), so that it has no effect on the program.
  virtual void DiscardPending() {}
};

// Thrown by a back end when the run cannot go on; the framework then ends the
// run through ExitInstance with this exit status.
struct RunAborted {
  int status;
};

// The exit status of a run that a script error ended.
constexpr int kScriptErrorStatus = 3;
// The exit status of a run that ended early (no dialog, quit, refusal).
constexpr int kEarlyEndStatus = 1;

// Picks the back end from the environment: ZEL_UI ("tty", "script" or
// "win32"); when unset, "script" if ZEL_UI_SCRIPT is set, else the system's
// default (DefaultBackendName). Null, with the reason in *why, when there is
// none.
std::unique_ptr<Backend> SelectBackend(std::string* why);
// The back end that serves when the environment names none: "win32" on
// Windows; on Linux "tty" when standard input and output are terminals,
// else none (empty).
std::string DefaultBackendName();
// What keeps the platform from serving a program, one line each (UTF-8), for
// it to say before it ends: on Linux the drive map's problems (malformed
// entries, the program's own folder on no drive); none on Windows, which
// has no drive map.
std::vector<std::string> StartUpProblems();
// What the run goes on despite, one line each (UTF-8), for it to say at
// start-up: on Linux a drive or share whose folder does not exist; none on
// Windows.
std::vector<std::string> StartUpWarnings();

// The back ends. Null with the reason in *why when they cannot be made (the
// terminal back end exists only on Linux, the Windows one only on Windows).
std::unique_ptr<Backend> MakeScriptBackend(std::string* why);
std::unique_ptr<Backend> MakeTtyBackend(std::string* why);
std::unique_ptr<Backend> MakeWin32Backend(std::string* why);

// Runs the application object with the given back end (null: none, every
// dialog is taken as quit at once). Used by RunApplication and by tests.
int RunApplicationWith(CWinApp& app, Backend* backend);

// Hooks for run control while an external process runs.
void PumpPendingInput();
void DiscardPendingInput();
// Hands the progress of the work under the wait cursor to the back end.
void ShowProgress(long done, long total);
// Hands a note of the work under the wait cursor to the back end.
void ShowWorkingNote(const char* text);

}  // namespace ui
