// The command line elsewhere than on Windows: the bytes the process was
// given are UTF-8 already (see program_args.h).
#include "platform/program_args.h"

namespace win {

void UseUtf8CommandLine(int* /*argc*/, char*** /*argv*/) {}

}  // namespace win
