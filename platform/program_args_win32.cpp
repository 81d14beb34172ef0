// The command line read as UTF-16 on Windows (see program_args.h).
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/program_args.h"
#include "platform/wide.h"

#include <windows.h>
#include <shellapi.h>

namespace win {
namespace {

UINT console_output_page = 0;

void RestoreConsole() { ::SetConsoleOutputCP(console_output_page); }

}  // namespace

void UseUtf8CommandLine(int* argc, char*** argv) {
  // The console's own page comes back when the process ends.
  console_output_page = ::GetConsoleOutputCP();
  if (console_output_page != 0 && console_output_page != CP_UTF8 && ::SetConsoleOutputCP(CP_UTF8))
    std::atexit(RestoreConsole);
  int count = 0;
  wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (!wide) return;  // keeps the C runtime's arguments
  static std::vector<std::string> texts;
  static std::vector<char*> pointers;
  texts.clear();
  for (int i = 0; i < count; ++i) texts.push_back(Utf8FromWide(wide[i]));
  ::LocalFree(wide);
  pointers.clear();
  for (std::string& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  *argc = count;
  *argv = pointers.data();
}

bool GetEnvUtf8(const char* name, std::string* value) {
  const wchar_t* text = _wgetenv(WideFromUtf8(name).c_str());
  if (!text) return false;
  *value = Utf8FromWide(text);
  return true;
}

}  // namespace win
