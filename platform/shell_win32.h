// Windows only: the calls of the shell and COM libraries that the win::
// layer forwards to, kept in a file of their own because the system's
// headers for them also declare a CY of their own, which the program's
// platform/wintypes.h declares too.
#pragma once

#include <cstddef>

namespace win::shell {

bool IsDirectory(const wchar_t* path);  // PathIsDirectoryW
bool FileExists(const wchar_t* path);   // PathFileExistsW
bool IsRelative(const wchar_t* path);   // PathIsRelativeW
void* TaskAlloc(size_t size);           // CoTaskMemAlloc
void TaskFree(void* block);             // CoTaskMemFree
// ShellExecuteExW with the given verb (null: the default) and show state;
// *process (when given) receives the started process or null.
bool Execute(const wchar_t* verb, const wchar_t* file, const wchar_t* directory, int show, void** process);

}  // namespace win::shell
