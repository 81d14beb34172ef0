// The command line elsewhere than on Windows: the bytes the process was
// given are UTF-8 already (see program_args.h).
#include "platform/program_args.h"

#include <cstdlib>

namespace win {

void UseUtf8CommandLine(int* /*argc*/, char*** /*argv*/) {}

bool GetEnvUtf8(const char* name, std::string* value) {
  const char* text = std::getenv(name);
  if (!text) return false;
  *value = text;
  return true;
}

}  // namespace win
