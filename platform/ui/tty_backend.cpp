// The terminal back end. Until it is built, a run that asks for it says so
// and ends as if the dialog had been quit.
#include "platform/ui/backend.h"

namespace ui {

std::unique_ptr<Backend> MakeTtyBackend(std::string* why) {
  *why = "the terminal user interface is not available yet (use ZEL_UI=script with ZEL_UI_SCRIPT); "
         "the dialog counts as quit";
  return nullptr;
}

}  // namespace ui
