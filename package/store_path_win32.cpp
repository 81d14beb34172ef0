// Where the store lies on Windows: ZEL_PACKAGE, else package.db beside the
// program; as UTF-8, which SQLite takes. Both are read through the W
// functions, so a path outside the ANSI code page still works.
#include <cstdlib>
#include <string>

#include "package/store.h"
#include "platform/wide.h"

#include <windows.h>

namespace package {

std::string StorePath() {
  const wchar_t* env = _wgetenv(L"ZEL_PACKAGE");
  if (env && env[0]) return win::Utf8FromWide(env);
  std::wstring exe(32768, L'\0');
  DWORD n = GetModuleFileNameW(nullptr, exe.data(), static_cast<DWORD>(exe.size()));
  if (n == 0 || n >= exe.size()) return "package.db";
  exe.resize(n);
  return win::Utf8FromWide(exe.substr(0, exe.find_last_of(L"\\/") + 1)) + "package.db";
}

}  // namespace package
