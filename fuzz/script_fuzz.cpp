// The automation script parser: any text becomes actions, each with its line,
// a malformed line with the reason it is malformed.
#include <cstdint>
#include <string_view>

#include "fuzz/support.h"
#include "platform/ui/script_backend.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  int lines = -1;
  std::vector<ui::ScriptAction> actions = ui::ParseScript(text, &lines);
  fuzz::Check(lines >= 0 && actions.size() <= static_cast<size_t>(lines), "at most one action a line");
  int previous = 0;
  for (const ui::ScriptAction& a : actions) {
    fuzz::Check(a.line > previous && a.line <= lines, "actions keep their lines in order");
    previous = a.line;
    fuzz::Check((a.kind == ui::ScriptAction::kMalformed) == !a.error.empty(), "a malformed line says why");
  }
  return 0;
}
