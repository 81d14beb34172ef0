// Inside the platform layer on Linux: what a HANDLE of ours points to. The
// process calls (win_process.cpp) and the file calls (win_file_handles.cpp)
// make them; CloseHandle takes either.
#pragma once

#include <sys/types.h>

#include <string>

#include "platform/win.h"

namespace win {

struct Handle {
  enum Kind { kProcess, kThread, kViewer, kFile };
  explicit Handle(Kind k) : kind(k) {}
  Kind kind;
  pid_t pid = -1;
  bool ended = false;
  std::string host_path;  // kViewer: the file to show
  bool shown = false;
  int gate = -1;  // a viewer command waits until this is closed
  int fd = -1;    // kFile: the open file or folder
};

// The descriptor behind a file handle of ours; -1 for any other handle.
inline int FdOf(HANDLE handle) {
  auto* h = static_cast<Handle*>(handle);
  return h && handle != INVALID_HANDLE_VALUE && h->kind == Handle::kFile ? h->fd : -1;
}

}  // namespace win
