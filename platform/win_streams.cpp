// File streams opened by a file's Windows name, on every system: the path is
// mapped here, so that callers never handle the host's form of it.
#include <fstream>
#include <string>

#include "platform/win.h"

namespace win {

bool OpenFileStream(std::fstream* stream, const char* path, std::ios_base::openmode mode, bool create_new) {
  std::string host;
  if (path == nullptr || !ToHostPath(path, &host)) return false;
  if (create_new && !CreateNewHostFile(host)) return false;
  stream->open(HostFsPath(host), mode);
  return !stream->fail();
}

}  // namespace win
