// The log viewer: where win::CreateProcessA sends WordPad's part when no
// ZEL_VIEWER host command is set. The user-interface back ends install their
// own (the terminal shows the log in a pager, the automation back end records
// it); until one is installed, a viewer that notes the log on standard error
// is in place.
#pragma once

#include <string>

namespace win {

class LogViewer {
 public:
  virtual ~LogViewer() = default;
  // Every process start that the program asks for, WordPad or not, with the
  // command line and folder as given (CP932) and whether it started.
  virtual void ProcessStarted(const std::string& command, const std::string& folder, bool started) {
    (void)command, (void)folder, (void)started;
  }
  // Shows the file at host_path. wait is true when the program waits for the
  // viewer to be closed (called from WaitForSingleObject), false when the
  // program let go of the process without waiting (called from CloseHandle).
  // Called once per WordPad start.
  virtual void Show(const std::string& host_path, bool wait) = 0;
  // On Windows: true when this viewer takes WordPad's part (the automation
  // back end), false when WordPad itself is started. Linux always sends
  // WordPad's part to the viewer when no ZEL_VIEWER command is set.
  virtual bool ReplacesWordpad() const { return true; }
};

// The installed viewer; never null.
LogViewer& GetLogViewer();
// Installs a viewer (not owned); null restores the default.
void SetLogViewer(LogViewer* viewer);

// Whether a ZEL_VIEWER host command is handed a UTF-8 copy of the log (in a
// folder of its own under the temporary folder, removed when the command
// ends) rather than the log itself: set by the terminal back end, whose
// terminal is UTF-8. The log on disk stays as it is. Off by default.
void SetViewerTextUtf8(bool utf8);

}  // namespace win
