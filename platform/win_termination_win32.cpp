// Windows sends a desktop program none of the signals that end a POSIX
// program from outside (it closes its windows instead): nothing is kept.
#include "platform/win.h"

namespace win {

int RemoveOnTermination(const char*) { return -1; }
void KeepOnTermination(int) {}
void HoldTermination(bool) {}

}  // namespace win
