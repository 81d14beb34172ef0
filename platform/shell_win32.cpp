#include "platform/shell_win32.h"

#include <windows.h>
#include <objbase.h>
#include <shlwapi.h>

namespace win::shell {

bool IsDirectory(const wchar_t* path) { return ::PathIsDirectoryW(path) != FALSE; }
bool FileExists(const wchar_t* path) { return ::PathFileExistsW(path) != FALSE; }
bool IsRelative(const wchar_t* path) { return ::PathIsRelativeW(path) != FALSE; }
void* TaskAlloc(size_t size) { return ::CoTaskMemAlloc(size); }
void TaskFree(void* block) { ::CoTaskMemFree(block); }

}  // namespace win::shell
