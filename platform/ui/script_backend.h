// The automation back end: runs the program from a script of user actions
// (ZEL_UI_SCRIPT) and writes a JSON Lines transcript of what the program
// showed on standard output. End-to-end tests drive the programs through it.
//
// Script, UTF-8, one action a line; blank lines and lines starting with "#"
// are skipped:
//   set ID [TEXT]        type TEXT (the rest of the line) into edit ID
//   focus ID             move the focus to control ID
//   key [Shift+|Ctrl+|Alt+]...KEY   KEY one of Enter Esc Tab Space F12
//   click ID             click button ID
//   close                the window's close command
//   answer ok|yes|no|cancel   answer the message box on screen
//   save PATH | cancel   answer the file-save dialog on screen
//   expect focus ID | expect text ID [TEXT]   checks
// An action that does not fit what is on screen, a failed check or the
// script ending while input is awaited is a script error: it is written to
// standard error and to the transcript, and the run ends with status 3.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/backend.h"

namespace ui {

struct ScriptAction {
  enum Kind {
    kSet,
    kFocus,
    kKey,
    kClick,
    kClose,
    kAnswer,
    kSave,
    kCancel,
    kExpectFocus,
    kExpectText,
    kMalformed
  };
  Kind kind = kMalformed;
  int line = 0;      // 1-based line of the script
  int id = 0;        // control ID
  std::string text;  // CP932: the text of set / expect text, the path of save
  int key = 0;       // virtual key of key
  bool shift = false, ctrl = false, alt = false;
  int answer = 0;     // IDOK, IDYES, IDNO, IDCANCEL
  std::string error;  // why a malformed line is malformed
};

// Parses a script. Malformed lines become kMalformed actions, reported as
// script errors only when the run reaches them. *line_count receives the
// number of lines.
std::vector<ScriptAction> ParseScript(std::string_view text, int* line_count);

// The transcript keeps standard output to itself: returns a stream of its
// own on the process's standard output, which writes bytes as they are (no
// line-end translation), and sends everything else that would write there
// (a viewer process the program starts) to standard error from then on, so
// that every line of the transcript is JSON. stdout when that cannot be had.
FILE* TakeStandardOutput();

// The longest script read: a script is a few dozen lines.
constexpr size_t kMaxScriptBytes = 1 << 20;
// Reads the script file (ZEL_UI_SCRIPT) into *script. Only a regular file of
// at most kMaxScriptBytes is read; otherwise false, with *error saying what
// the file is instead (missing, a folder, a pipe, a device, too long).
bool ReadScriptFile(const char* file, std::string* script, std::string* error);

class ScriptBackend : public Backend {
 public:
  // Runs the given script; the transcript goes to transcript, script errors
  // also to errors. load_error, when not empty, is reported at Start.
  ScriptBackend(std::string_view script, FILE* transcript, FILE* errors, std::string load_error = {});

  void Start() override;
  void DialogShown(CDialog& dialog) override;
  void NextInput(CDialog& dialog) override;
  void DialogEnded(CDialog& dialog, int code) override;
  int MessageBox(HWND owner, const char* text, const char* caption, UINT style) override;
  bool FileSave(CDialog* owner, const FileDialogRequest& request, std::string* path) override;
  void ProcessStarted(const std::string& command, const std::string& folder, bool started) override;
  void ShowLog(const std::string& host_path, bool wait) override;

 private:
  // The next action; a script error when the script has ended.
  const ScriptAction& Next();
  const ScriptAction* TakeAnswer(int* line, std::string* error);
  [[noreturn]] void Fail(int line, const std::string& reason);
  void Write(const std::string& json_line);

  std::vector<ScriptAction> actions_;
  size_t next_ = 0;
  int line_count_ = 0;
  FILE* transcript_;
  FILE* errors_;
  std::string load_error_;
};

}  // namespace ui
