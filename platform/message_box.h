// The message-box service: every message box of the program (the package's
// DispMsg and the dialog's own boxes) is shown through the one service that
// the active user-interface back end installs. It lives with the platform
// so that the package and the dialog framework both can reach it.
#pragma once

#include "platform/wintypes.h"

namespace ui {

class MessageBoxService {
 public:
  virtual ~MessageBoxService() = default;
  // Shows a modal box; owner is the owning dialog's window or null. Returns
  // the button chosen (IDOK, IDYES, IDNO, IDCANCEL).
  virtual int Show(HWND owner, const char* text, const char* caption, UINT style) = 0;
  // A start-up refusal (a store that cannot be used, no user or data set)
  // that the program has already said on standard error: shown as a box
  // without owner where standard error reaches nobody (the Windows dialog),
  // and nowhere else, so that scripts and transcripts stay as they are.
  virtual void ShowRefusal(const char* text, const char* caption) { (void)text, (void)caption; }
};

// The installed service; never null (a default that answers IDOK for an OK
// box and IDNO for a question, writing the box to standard error, is in place
// until a back end installs its own).
MessageBoxService& MessageBoxes();
// Installs a service (not owned); null restores the default.
void SetMessageBoxService(MessageBoxService* service);

}  // namespace ui
