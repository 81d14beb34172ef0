// Files removed when the program is ended by TERM, INT or HUP. The handler
// may only do what is safe inside a signal handler: it reads names made
// beforehand, unlinks them, and ends the program by the same signal.
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <string>

#include "platform/win.h"

namespace win {
namespace {

constexpr int kSlots = 16;
constexpr size_t kHostPathSize = 4096;

struct Slot {
  std::atomic<bool> used{false};  // set once path is written, cleared before it is reused
  char path[kHostPathSize];
};
Slot slots[kSlots];
constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
// Any thread may take the signal, so holding is a flag the handler reads,
// not a signal mask.
std::atomic<bool> held{false};
std::atomic<int> pending{0};

void RemoveAndEnd(int signal_number) {
  if (held.load()) {
    pending.store(signal_number);
    return;
  }
  for (Slot& slot : slots) {
    if (slot.used.load()) ::unlink(slot.path);
  }
  // The program ends as this signal ends it, with the usual status.
  ::signal(signal_number, SIG_DFL);
  ::raise(signal_number);
}

void Install() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  struct sigaction action = {};
  action.sa_handler = RemoveAndEnd;
  sigemptyset(&action.sa_mask);
  for (int s : kSignals) sigaddset(&action.sa_mask, s);
  for (int s : kSignals) {
    // A signal the program was started to ignore stays ignored.
    struct sigaction old = {};
    if (::sigaction(s, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
    ::sigaction(s, &action, nullptr);
  }
}

}  // namespace

int RemoveOnTermination(const char* path) {
  std::string host;
  if (!path || !ToHostPath(path, &host) || host.size() >= kHostPathSize) return -1;
  Install();
  int found = -1;
  for (int i = 0; i < kSlots && found < 0; ++i) {
    if (slots[i].used.load()) continue;
    std::memcpy(slots[i].path, host.c_str(), host.size() + 1);
    slots[i].used.store(true);
    found = i;
  }
  return found;
}

void KeepOnTermination(int slot) {
  if (slot >= 0 && slot < kSlots) slots[slot].used.store(false);
}

void HoldTermination(bool hold) {
  held.store(hold);
  if (hold) return;
  int signal_number = pending.exchange(0);
  if (signal_number != 0) RemoveAndEnd(signal_number);
}

}  // namespace win
