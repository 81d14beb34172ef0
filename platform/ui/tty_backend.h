// The terminal back end over a terminal of the caller's: tests run it on a
// FakeTerminal (tty_fake_terminal.h). MakeTtyBackend (backend.h) makes it on
// the real terminal.
#pragma once

#include <memory>

#include "platform/ui/backend.h"
#include "platform/ui/tty_screen.h"

namespace ui {

// The back end drawing on terminal, which must outlive it.
std::unique_ptr<Backend> MakeTtyBackendOn(tty::Terminal& terminal);

}  // namespace ui
