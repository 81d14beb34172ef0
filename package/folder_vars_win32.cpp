// Environment variables in the store's folders, expanded by Windows itself
// (see folder_vars.h).
#include "package/folder_vars.h"

#include "platform/wide.h"

#include <windows.h>

namespace package {

std::string ExpandFolderVariables(const std::string& folder) {
  std::wstring wide = win::Wide(folder);
  DWORD n = ExpandEnvironmentStringsW(wide.c_str(), nullptr, 0);
  if (n == 0) return folder;
  std::wstring expanded(n, L'\0');
  n = ExpandEnvironmentStringsW(wide.c_str(), expanded.data(), n);
  if (n == 0 || n > expanded.size()) return folder;
  expanded.resize(n - 1);  // without the terminator
  bool lossy = false;
  std::string text = win::Narrow(expanded, &lossy);
  return lossy ? std::string() : text;
}

}  // namespace package
