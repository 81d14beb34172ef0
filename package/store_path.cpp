// Where the store lies on Linux: ZEL_PACKAGE, else package.db beside the
// program.
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "package/store.h"

namespace package {

std::string StorePath() {
  const char* env = std::getenv("ZEL_PACKAGE");
  if (env && env[0]) return env;
  char exe[4096];
  ssize_t n = ::readlink("/proc/self/exe", exe, sizeof(exe) - 1);
  if (n <= 0) return "package.db";
  std::string path(exe, static_cast<size_t>(n));
  return path.substr(0, path.rfind('/') + 1) + "package.db";
}

}  // namespace package
