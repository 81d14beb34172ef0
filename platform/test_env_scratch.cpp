// The scratch folder's parts that are the same on both systems.
#include "platform/test_env.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/win.h"

namespace testenv {

ScratchDir::ScratchDir(const char* prefix) : path_(Make(prefix)) {
  if (!path_.empty()) return;
  std::fprintf(stderr, "cannot make a scratch folder %s-* under the temporary folder\n", prefix);
  std::abort();
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  std::filesystem::remove_all(win::HostFsPath(path_), ignored);
}

std::string ScratchDir::Windows(const std::string& name) const { return win::FromHostPath(Host(name)); }

}  // namespace testenv
