// CreateProcessA and the wait: WordPad's part goes to the log viewer (the
// ZEL_VIEWER host command, or the installed LogViewer); any other program is
// started on the host as Windows would start it.
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/cp932.h"
#include "platform/viewer.h"
#include "platform/win.h"
#include "platform/win_handle.h"

extern char** environ;

namespace win {
namespace {

class NoteViewer : public LogViewer {
 public:
  void Show(const std::string& host_path, bool /*wait*/) override {
    std::fprintf(stderr, "log: %s\n", host_path.c_str());
  }
};

NoteViewer default_viewer;
LogViewer* installed_viewer = nullptr;
bool viewer_text_utf8 = false;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// True when text ends with tail (without regard to case) and the tail starts
// a character of its own, not in a double-byte character.
bool EndsWithNoCase(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() &&
         cp932::FindNoCase(text, tail, text.size() - tail.size()) != std::string_view::npos;
}

// Splits the arguments after the program part: blanks separate, double
// quotes group and are dropped.
std::vector<std::string> SplitArguments(std::string_view text) {
  std::vector<std::string> args;
  std::string current;
  bool quoted = false, any = false;
  for (size_t i = 0; i < text.size(); i += cp932::CharLength(text, i)) {
    char c = text[i];
    if (cp932::CharLength(text, i) == 2) {
      current.append(text.substr(i, 2));
      any = true;
    } else if (c == '"') {
      quoted = !quoted;
      any = true;
    } else if (IsBlank(c) && !quoted) {
      if (any) args.push_back(current);
      current.clear();
      any = false;
    } else {
      current += c;
      any = true;
    }
  }
  if (any) args.push_back(current);
  return args;
}

bool IsHostFile(const std::string& windows_path, std::string* host) {
  struct ::stat st;
  return ToHostPath(windows_path.c_str(), host) && ::stat(host->c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The program part of a command line and where its arguments begin. An
// unquoted program may hold blanks; like Windows, the shortest blank-ended
// prefix that names a file wins (or, for WordPad, that ends with its name).
struct Program {
  std::string path;
  std::string host;  // empty when no such file
  size_t args_at = 0;
  bool wordpad = false;
};

Program FindProgram(std::string_view line) {
  Program p;
  size_t start = 0;
  while (start < line.size() && IsBlank(line[start])) ++start;
  if (start < line.size() && line[start] == '"') {
    size_t close = line.find('"', start + 1);
    p.path = std::string(
        line.substr(start + 1, close == std::string_view::npos ? std::string_view::npos : close - start - 1));
    p.args_at = close == std::string_view::npos ? line.size() : close + 1;
    p.wordpad = EndsWithNoCase(p.path, "wordpad.exe");
    if (!IsHostFile(p.path, &p.host)) p.host.clear();
    return p;
  }
  for (size_t end = start; end <= line.size(); end += end < line.size() ? cp932::CharLength(line, end) : 1) {
    if (end < line.size() && (cp932::CharLength(line, end) == 2 || !IsBlank(line[end]))) continue;
    std::string candidate(line.substr(start, end - start));
    if (candidate.empty()) continue;
    std::string host;
    bool wordpad = EndsWithNoCase(candidate, "wordpad.exe");
    if (wordpad || IsHostFile(candidate, &host)) {
      p.path = candidate;
      p.host = host;
      p.args_at = end;
      p.wordpad = wordpad;
      return p;
    }
  }
  // Nothing found: the first word, which does not exist.
  size_t end = start;
  while (end < line.size() && !IsBlank(line[end])) ++end;
  p.path = std::string(line.substr(start, end - start));
  p.args_at = end;
  return p;
}

// Starts a host program; gate_fd, when not -1, becomes its descriptor 3.
// With std_fds, those become its descriptors 0 to 2 (-1: /dev/null).
pid_t Spawn(const std::string& host_program, const std::vector<std::string>& args,
            const std::string& host_folder, int gate_fd = -1, const int* std_fds = nullptr) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(host_program.c_str()));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (!host_folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, host_folder.c_str());
  if (gate_fd >= 0) posix_spawn_file_actions_adddup2(&actions, gate_fd, 3);
  for (int fd = 0; std_fds && fd < 3; ++fd) {
    if (std_fds[fd] >= 0)
      posix_spawn_file_actions_adddup2(&actions, std_fds[fd], fd);
    else
      posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", fd == 0 ? O_RDONLY : O_WRONLY, 0);
  }
  pid_t pid = -1;
  int rc = posix_spawn(&pid, host_program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return rc == 0 ? pid : -1;
}

// A UTF-8 copy of the CP932 file at host_path, under its own name in a new
// folder of the temporary folder. False when it cannot be made.
bool MakeUtf8Copy(const std::string& host_path, std::string* copy, std::string* folder) {
  std::ifstream in(host_path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  if (!in.is_open() || in.bad()) return false;
  const char* tmp = std::getenv("TMPDIR");
  std::string dir = std::string(tmp && tmp[0] ? tmp : "/tmp") + "/zel-log-XXXXXX";
  if (!mkdtemp(dir.data())) return false;
  size_t slash = host_path.rfind('/');
  std::string name = dir + "/" + (slash == std::string::npos ? host_path : host_path.substr(slash + 1));
  std::ofstream out(name, std::ios::binary);
  out << cp932::ToUtf8(content.str());
  out.close();
  if (!out) {
    unlink(name.c_str());
    rmdir(dir.c_str());
    return false;
  }
  *copy = name;
  *folder = dir;
  return true;
}

// False when the viewer command plainly cannot start: its first word is a
// path (it holds a "/") to no program that can run. A name is left to the
// shell, which may know it as a function or a built-in command.
bool ViewerProgramRuns(std::string_view command) {
  size_t start = command.find_first_not_of(" \t");
  if (start == std::string_view::npos) return true;
  std::string program(command.substr(start, command.find_first_of(" \t", start) - start));
  struct ::stat st;
  return program.find('/') == std::string::npos ||
         (::stat(program.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(program.c_str(), X_OK) == 0);
}

// Starts WordPad's part: the file named by its first argument.
Handle* StartViewer(const std::vector<std::string>& args, const char* folder) {
  std::string file = args.empty() ? std::string() : args[0];
  bool relative = !file.empty() && !(file.size() >= 2 && file[1] == ':') && file[0] != '\\';
  if (relative && folder && folder[0]) {
    std::string base = folder;
    if (base.back() != '\\' || cp932::EndsWithDoubleByte(base)) base += '\\';
    file = base + file;
  }
  std::string host;
  if (!ToHostPath(file.c_str(), &host)) host = cp932::ToUtf8(file);
  auto* h = new Handle(Handle::kViewer);
  h->host_path = host;
  const char* command = std::getenv("ZEL_VIEWER");
  if (command && command[0] && !ViewerProgramRuns(command)) {
    delete h;
    return nullptr;
  }
  if (command && command[0]) {
    // The host command, in the program's own current directory, with the
    // log's host path as its last argument.
    h->kind = Handle::kProcess;
    std::string shown = host, copy_folder, script = std::string(command) + " \"$1\"";
    if (viewer_text_utf8 && MakeUtf8Copy(host, &shown, &copy_folder)) {
      // The shell removes the copy once the command has ended, whether or
      // not the program waits for it.
      script += "; s=$?; rm -f -- \"$1\"; rmdir -- \"$2\"; exit $s";
    }
    // The command waits until the program has been told of the start and
    // has given it the terminal: a terminal taken back after the viewer set
    // its own modes would leave the viewer with the wrong ones.
    int gate[2];
    bool gated = pipe2(gate, O_CLOEXEC) == 0;
    if (gated) script = "read _ <&3; exec 3<&-; " + script;
    h->pid = Spawn("/bin/sh", {"-c", script, "zel-viewer", shown, copy_folder}, std::string(),
                   gated ? gate[0] : -1);
    if (gated) {
      close(gate[0]);
      h->gate = gate[1];
    }
    if (h->pid < 0) {
      if (!copy_folder.empty()) {
        unlink(shown.c_str());
        rmdir(copy_folder.c_str());
      }
      if (h->gate >= 0) close(h->gate);
      delete h;
      return nullptr;
    }
  }
  return h;
}

Handle* StartProgram(const Program& program, const std::vector<std::string>& args, const char* folder,
                     const STARTUPINFOA* startup) {
  if (program.host.empty()) return nullptr;
  std::string host_folder;
  if (folder && folder[0]) {
    struct ::stat st;
    if (!ToHostPath(folder, &host_folder) || ::stat(host_folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
      return nullptr;
  }
  std::vector<std::string> host_args;
  for (const std::string& a : args) host_args.push_back(cp932::ToUtf8(a));
  auto* h = new Handle(Handle::kProcess);
  int std_fds[3] = {-1, -1, -1};
  const bool own_std = startup && (startup->dwFlags & STARTF_USESTDHANDLES) != 0;
  if (own_std) {
    std_fds[0] = FdOf(startup->hStdInput);
    std_fds[1] = FdOf(startup->hStdOutput);
    std_fds[2] = FdOf(startup->hStdError);
  }
  h->pid = Spawn(program.host, host_args, host_folder, -1, own_std ? std_fds : nullptr);
  if (h->pid < 0) {
    delete h;
    return nullptr;
  }
  return h;
}

bool Reap(Handle* h, bool block) {
  if (h->ended || h->pid < 0) return true;
  int status = 0;
  pid_t r;
  do {
    r = waitpid(h->pid, &status, block ? 0 : WNOHANG);
  } while (r < 0 && errno == EINTR);
  if (r == h->pid || r < 0) h->ended = true;
  return h->ended;
}

}  // namespace

LogViewer& GetLogViewer() { return installed_viewer ? *installed_viewer : default_viewer; }
void SetLogViewer(LogViewer* viewer) { installed_viewer = viewer; }
void SetViewerTextUtf8(bool utf8) { viewer_text_utf8 = utf8; }

BOOL CreateProcessA(const char* application, char* command_line, void*, void*, BOOL, DWORD, void*,
                    const char* current_directory, STARTUPINFOA* startup, PROCESS_INFORMATION* process) {
  std::string line = command_line ? command_line : "";
  Program program;
  std::vector<std::string> args;
  if (application && application[0]) {
    program.path = application;
    program.wordpad = EndsWithNoCase(program.path, "wordpad.exe");
    if (!IsHostFile(program.path, &program.host)) program.host.clear();
    args = SplitArguments(line);
    if (!args.empty()) args.erase(args.begin());  // the program's own name
  } else {
    program = FindProgram(line);
    args = SplitArguments(std::string_view(line).substr(program.args_at));
  }
  Handle* h = program.wordpad ? StartViewer(args, current_directory)
                              : StartProgram(program, args, current_directory, startup);
  GetLogViewer().ProcessStarted(line, current_directory ? current_directory : "", h != nullptr);
  if (!h) return FALSE;
  if (h->gate >= 0) {
    close(h->gate);  // the viewer command may start now
    h->gate = -1;
  }
  if (process) {
    process->hProcess = h;
    process->hThread = new Handle(Handle::kThread);
    process->dwProcessId = static_cast<DWORD>(h->pid > 0 ? h->pid : 0);
    process->dwThreadId = process->dwProcessId;
  } else {
    CloseHandle(h);
  }
  return TRUE;
}

BOOL ShellExecuteExA(SHELLEXECUTEINFOA* info) {
  if (info) info->hProcess = nullptr;
  return FALSE;  // no program is associated with any file here (see win.h)
}

DWORD WaitForSingleObject(HANDLE handle, DWORD timeout_ms) {
  auto* h = static_cast<Handle*>(handle);
  if (!h) return WAIT_FAILED;
  switch (h->kind) {
    case Handle::kThread:
    case Handle::kFile: return WAIT_OBJECT_0;
    case Handle::kViewer:
      if (!h->shown) {
        h->shown = true;
        GetLogViewer().Show(h->host_path, true);
      }
      return WAIT_OBJECT_0;
    case Handle::kProcess: break;
  }
  if (timeout_ms == INFINITE) {
    Reap(h, true);
    return WAIT_OBJECT_0;
  }
  struct timespec step = {0, 5 * 1000 * 1000};
  for (DWORD waited = 0;; waited += 5) {
    if (Reap(h, false)) return WAIT_OBJECT_0;
    if (waited >= timeout_ms) return WAIT_TIMEOUT;
    nanosleep(&step, nullptr);
  }
}

BOOL CloseHandle(HANDLE handle) {
  auto* h = static_cast<Handle*>(handle);
  if (!h || handle == INVALID_HANDLE_VALUE) return FALSE;
  if (h->kind == Handle::kViewer && !h->shown) GetLogViewer().Show(h->host_path, false);
  if (h->kind == Handle::kProcess) Reap(h, false);
  if (h->kind == Handle::kFile) ::close(h->fd);  // which also releases its lock
  delete h;
  return TRUE;
}

}  // namespace win
