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

}  // namespace win::shell
