// Inside the platform layer on Linux: what a HANDLE of ours points to. The
// process calls (win_process.cpp) and the file calls (win_file_handles.cpp)
// make them; CloseHandle takes either.
#pragma once

#include <sys/types.h>

#include <string>

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

}  // namespace win
