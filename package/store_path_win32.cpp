// Where the store lies on Windows: ZEL_PACKAGE, else package.db beside the
// program; as UTF-8, which SQLite takes. Both are read through the W
// functions, so a path outside the ANSI code page still works.
#include <cstdlib>
#include <string>

#include "package/store.h"

#include <windows.h>

namespace package {
namespace {

std::string Utf8(const std::wstring& text) {
  int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                              nullptr);
  std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0)
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr,
                        nullptr);
  return out;
}

}  // namespace

std::string StorePath() {
  const wchar_t* env = _wgetenv(L"ZEL_PACKAGE");
  if (env && env[0]) return Utf8(env);
  std::wstring exe(32768, L'\0');
  DWORD n = GetModuleFileNameW(nullptr, exe.data(), static_cast<DWORD>(exe.size()));
  if (n == 0 || n >= exe.size()) return "package.db";
  exe.resize(n);
  return Utf8(exe.substr(0, exe.find_last_of(L"\\/") + 1)) + "package.db";
}

}  // namespace package
