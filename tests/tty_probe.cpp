// A program of the terminal back end alone, for the tmux tests: once a
// first message box has been on screen, it writes a warning to standard
// error, shows a second box and ends when that is answered.
#include <cstdio>

#include "platform/message_box.h"
#include "platform/ui/dialog.h"

namespace {

class ProbeApp : public ui::CWinApp {
 public:
  BOOL InitInstance() override {
    ui::MessageBoxes().Show(nullptr, "一つ目です。", "確認", MB_OK | MB_ICONINFORMATION);
    std::fprintf(stderr, "probe: a warning while the screen is up\n");
    ui::MessageBoxes().Show(nullptr, "警告を書きました。", "確認", MB_OK | MB_ICONINFORMATION);
    return TRUE;
  }
};

}  // namespace

int main() {
  ProbeApp app;
  return ui::RunApplication(app);
}
