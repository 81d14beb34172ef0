// A program of the terminal back end alone, for the tmux tests: message
// boxes of each style, their answers written one a line to the file named
// by PROBE_OUT, then the working state until the file named by PROBE_GO
// exists.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "platform/ui/dialog.h"
#include "platform/ui/message_box.h"

namespace {

class ProbeApp : public ui::CWinApp {
 public:
  BOOL InitInstance() override {
    const char* out_name = std::getenv("PROBE_OUT");
    const char* go = std::getenv("PROBE_GO");
    FILE* out = out_name ? std::fopen(out_name, "w") : nullptr;
    if (!out || !go) return FALSE;
    static const struct {
      UINT style;
      const char* text;
    } kBoxes[] = {
        {MB_YESNO | MB_ICONQUESTION, "一つ目の質問です。\n\n二行目"},
        {MB_YESNO | MB_ICONQUESTION, "二つ目"},
        {MB_YESNO | MB_ICONQUESTION, "三つ目"},
        {MB_YESNO | MB_ICONQUESTION, "四つ目"},
        {MB_YESNO | MB_ICONQUESTION | 0x100u, "五つ目"},  // the second button first
        {MB_OK | MB_ICONEXCLAMATION, "六つ目"},
        {MB_OKCANCEL | MB_ICONINFORMATION, "七つ目"},
    };
    for (const auto& box : kBoxes) {
      std::fprintf(out, "%d\n", ui::MessageBoxes().Show(nullptr, box.text, "確認", box.style));
      std::fflush(out);
    }
    BeginWaitCursor();
    while (access(go, F_OK) != 0) usleep(20 * 1000);
    EndWaitCursor();
    std::fclose(out);
    return TRUE;
  }
};

}  // namespace

int main() {
  ProbeApp app;
  return ui::RunApplication(app);
}
