// The Linux side of choosing a back end: the terminal when there is one;
// the Windows dialog exists only in the Windows build. A run starts only
// when the drive map serves the program.
#include <unistd.h>

#include "platform/host_map.h"
#include "platform/ui/backend.h"

namespace ui {

std::string DefaultBackendName() { return isatty(STDIN_FILENO) && isatty(STDOUT_FILENO) ? "tty" : ""; }

std::vector<std::string> StartUpProblems() { return win::HostMapProblems(); }

std::vector<std::string> StartUpWarnings() { return win::HostMapWarnings(); }

std::unique_ptr<Backend> MakeWin32Backend(std::string* why) {
  *why = "the Windows dialog (ZEL_UI=win32) exists only in the Windows build; the dialog counts as quit";
  return nullptr;
}

}  // namespace ui
