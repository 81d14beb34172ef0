// The transcript's own standard output on Linux.
#include <unistd.h>

#include <cstdio>

#include "platform/ui/script_backend.h"

namespace ui {

FILE* TakeStandardOutput() {
  std::fflush(stdout);
  int fd = dup(STDOUT_FILENO);
  if (fd < 0) return stdout;
  FILE* own = fdopen(fd, "w");
  if (!own) {
    close(fd);
    return stdout;
  }
  dup2(STDERR_FILENO, STDOUT_FILENO);
  return own;
}

}  // namespace ui
