// The transcript's own standard output on Windows, in binary mode so that
// its lines end with LF alone, as on Linux.
#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "platform/ui/script_backend.h"

namespace ui {

FILE* TakeStandardOutput() {
  std::fflush(stdout);
  int out = _fileno(stdout);
  if (out < 0) return stdout;  // a program without standard output
  int fd = _dup(out);
  if (fd < 0) {
    _setmode(out, _O_BINARY);
    return stdout;
  }
  _setmode(fd, _O_BINARY);
  FILE* own = _fdopen(fd, "wb");
  if (!own) {
    _close(fd);
    return stdout;
  }
  _dup2(_fileno(stderr), out);
  return own;
}

}  // namespace ui
