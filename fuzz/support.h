// Helpers of the fuzz targets: a scratch folder for the targets that need
// real files (made once per process under the temporary folder, emptied
// between inputs, removed at exit; nothing a target does may reach outside
// it), the lines of an input, and a check that stops the run.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <string_view>
#include <system_error>

namespace fuzz {

inline const std::string& ScratchDir() {
  // Never destroyed: the removal at exit runs after static destructors.
  static const std::string* const dir = [] {
    // In memory where the machine has it: the targets write and sync files
    // for every input.
    std::filesystem::path base =
        access("/dev/shm", W_OK) == 0 ? "/dev/shm" : std::filesystem::temp_directory_path();
    auto* made = new std::string((base / "zel-fuzz-XXXXXX").string());
    if (!mkdtemp(made->data())) {
      std::perror("scratch folder");
      std::abort();
    }
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(ScratchDir(), ignored);
    });
    return made;
  }();
  return *dir;
}

// Removes everything inside the scratch folder except the names in keep.
inline void ClearScratch(std::initializer_list<std::string_view> keep = {}) {
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator(ScratchDir(), ignored)) {
    std::string name = entry.path().filename().string();
    bool kept = false;
    for (std::string_view k : keep) kept = kept || name == k;
    if (!kept) std::filesystem::remove_all(entry.path(), ignored);
  }
}

inline void WriteFile(const std::string& host_path, std::string_view bytes) {
  std::ofstream(host_path, std::ios::binary | std::ios::trunc)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The text up to the next LF (taken off rest with the LF); all of rest when
// it holds none.
inline std::string_view NextLine(std::string_view* rest) {
  size_t lf = rest->find('\n');
  std::string_view line = rest->substr(0, lf);
  rest->remove_prefix(lf == std::string_view::npos ? rest->size() : lf + 1);
  return line;
}

// Stops the run with a message when a property of the result does not hold;
// libFuzzer keeps the input that did it.
inline void Check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  std::abort();
}

}  // namespace fuzz
