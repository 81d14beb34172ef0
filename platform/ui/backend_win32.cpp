// The Windows side of choosing a back end: the Windows dialog; the terminal
// dialog exists only in the Linux build.
#include "platform/ui/backend.h"

namespace ui {

std::string DefaultBackendName() { return "win32"; }

std::vector<std::string> StartUpProblems() { return {}; }

std::vector<std::string> StartUpWarnings() { return {}; }

std::unique_ptr<Backend> MakeTtyBackend(std::string* why) {
  *why = "the terminal dialog (ZEL_UI=tty) exists only in the Linux build; the dialog counts as quit";
  return nullptr;
}

}  // namespace ui
