#include "platform/shell_win32.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlwapi.h>

namespace win::shell {

bool IsDirectory(const wchar_t* path) { return ::PathIsDirectoryW(path) != FALSE; }
bool FileExists(const wchar_t* path) { return ::PathFileExistsW(path) != FALSE; }
bool IsRelative(const wchar_t* path) { return ::PathIsRelativeW(path) != FALSE; }
void* TaskAlloc(size_t size) { return ::CoTaskMemAlloc(size); }
void TaskFree(void* block) { ::CoTaskMemFree(block); }

bool Execute(const wchar_t* verb, const wchar_t* file, const wchar_t* directory, int show, void** process) {
  ::SHELLEXECUTEINFOW info = {};
  info.cbSize = sizeof info;
  info.fMask = process ? SEE_MASK_NOCLOSEPROCESS : 0;
  info.lpVerb = verb;
  info.lpFile = file;
  info.lpDirectory = directory;
  info.nShow = show;
  bool ok = ::ShellExecuteExW(&info) != FALSE;
  if (process) *process = ok ? info.hProcess : nullptr;
  return ok;
}

}  // namespace win::shell
