// Choosing the user-interface back end from the environment.
#include "platform/ui/backend.h"

#include <cstdlib>
#include <string_view>

namespace ui {

std::unique_ptr<Backend> SelectBackend(std::string* why) {
  const char* ui = std::getenv("ZEL_UI");
  std::string_view choice = ui ? ui : "";
  std::string fallback;
  if (choice.empty()) {
    const char* script = std::getenv("ZEL_UI_SCRIPT");
    if (script && script[0])
      choice = "script";
    else
      choice = fallback = DefaultBackendName();
  }
  if (choice == "script") return MakeScriptBackend(why);
  if (choice == "tty") return MakeTtyBackend(why);
  if (choice == "win32") return MakeWin32Backend(why);
  if (choice.empty()) {
    *why =
        "no user interface: standard input and output are not a terminal and ZEL_UI_SCRIPT is not set; "
        "the dialog counts as quit";
  } else {
    *why = "unknown user interface ZEL_UI=" + std::string(choice) +
           " (tty, script or win32); the dialog counts as quit";
  }
  return nullptr;
}

}  // namespace ui
