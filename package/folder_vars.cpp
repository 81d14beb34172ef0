// Environment variables in the store's folders, from the process's
// environment (see folder_vars.h).
#include "package/folder_vars.h"

#include <cstdlib>

#include "platform/cp932.h"

namespace package {

std::string ExpandFolderVariables(const std::string& folder) {
  std::string out;
  size_t at = 0;
  // No trail byte of a double-byte character is "%" (0x25): a plain search.
  for (size_t open; (open = folder.find('%', at)) != std::string::npos;) {
    size_t close = folder.find('%', open + 1);
    if (close == std::string::npos) break;
    std::string name = folder.substr(open + 1, close - open - 1);
    const char* value = name.empty() ? nullptr : std::getenv(name.c_str());
    out += folder.substr(at, open - at);
    if (value) {
      bool lossy = false;
      out += cp932::FromUtf8(value, &lossy);
      if (lossy) return std::string();
    } else {
      out += folder.substr(open, close - open + 1);
    }
    at = close + 1;
  }
  return out + folder.substr(at);
}

}  // namespace package
