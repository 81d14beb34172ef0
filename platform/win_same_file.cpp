// Whether two Windows paths name one file, on both systems: by the identity
// of the host files they lead to (device and inode on Linux, volume serial
// number and file index on Windows).
#include <string>

#include "platform/host_file.h"
#include "platform/win.h"

namespace win {

BOOL PathIsSameFileA(const char* path1, const char* path2) {
  std::string host1, host2;
  return ToHostPath(path1, &host1) && ToHostPath(path2, &host2) && hostfile::SameFile(host1, host2) ? TRUE
                                                                                                    : FALSE;
}

}  // namespace win
