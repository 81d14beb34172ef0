#include "platform/test_env.h"

#include <stdlib.h>

#include <string>

namespace testenv {

std::string ScratchDir::Make(const char* prefix) {
  std::string pattern = std::string("/tmp/") + prefix + "-XXXXXX";
  return mkdtemp(pattern.data()) ? pattern : std::string();
}

void SetEnv(const char* name, const std::string& value) { setenv(name, value.c_str(), 1); }
void UnsetEnv(const char* name) { unsetenv(name); }

}  // namespace testenv
