// CreateProcessA and the wait on Windows: the process is started with
// CreateProcessW. WordPad's part goes to the installed log viewer instead
// when that viewer takes it (the automation back end records the start and
// counts WordPad as closed at once, as on Linux).
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <string_view>

#include "platform/cp932.h"
#include "platform/shell_win32.h"
#include "platform/viewer.h"
#include "platform/wide.h"
#include "platform/win.h"

#include <windows.h>

namespace win {
namespace {

// Without a user interface WordPad itself opens the log.
class NoteViewer : public LogViewer {
 public:
  void Show(const std::string&, bool) override {}
  bool ReplacesWordpad() const override { return false; }
};

NoteViewer default_viewer;
LogViewer* installed_viewer = nullptr;

// A WordPad start that the viewer took: what our HANDLE points to.
struct ViewerHandle {
  std::string host_path;
  bool shown = false;
};
std::set<void*>& ViewerHandles() {
  static std::set<void*> handles;
  return handles;
}
ViewerHandle* AsViewer(HANDLE handle) {
  return ViewerHandles().count(handle) ? static_cast<ViewerHandle*>(handle) : nullptr;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The file named by a WordPad command line (its first argument, quotes
// dropped), made absolute with folder; false when the program part of the
// line is not WordPad. As on Linux, the program part ends at the first
// "wordpad.exe" followed by a blank or the end, or is the quoted first word.
bool WordpadFile(std::string_view line, const char* folder, std::string* file, size_t* args_at) {
  size_t start = 0;
  while (start < line.size() && IsBlank(line[start])) ++start;
  size_t args = std::string::npos;
  if (start < line.size() && line[start] == '"') {
    size_t close = line.find('"', start + 1);
    std::string_view program =
        line.substr(start + 1, close == std::string_view::npos ? close : close - start - 1);
    if (program.size() < 11 ||
        cp932::FindNoCase(program, "wordpad.exe", program.size() - 11) == std::string_view::npos)
      return false;
    args = close == std::string_view::npos ? line.size() : close + 1;
  } else {
    for (size_t at = cp932::FindNoCase(line, "wordpad.exe", start); at != std::string::npos;
         at = cp932::FindNoCase(line, "wordpad.exe", at + 1)) {
      size_t end = at + 11;
      if (end == line.size() || IsBlank(line[end])) {
        args = end;
        break;
      }
    }
    if (args == std::string::npos) return false;
  }
  *args_at = args;
  // The first argument: blanks separate, double quotes group and are dropped.
  std::string arg;
  bool quoted = false, any = false;
  for (size_t i = args; i < line.size(); i += cp932::CharLength(line, i)) {
    if (cp932::CharLength(line, i) == 2) {
      arg.append(line.substr(i, 2));
      any = true;
    } else if (line[i] == '"') {
      quoted = !quoted;
      any = true;
    } else if (IsBlank(line[i]) && !quoted) {
      if (any) break;
    } else {
      arg += line[i];
      any = true;
    }
  }
  bool relative = !arg.empty() && !(arg.size() >= 2 && arg[1] == ':') && arg[0] != '\\';
  if (relative && folder && folder[0]) {
    std::string base = folder;
    if (base.back() != '\\' || cp932::EndsWithDoubleByte(base)) base += '\\';
    arg = base + arg;
  }
  *file = arg;
  return true;
}

// The file that a viewer is to open for the text file at path (CP932): the
// file itself where the ANSI code page is 932; elsewhere a UTF-16 copy
// (with its byte order mark) in the folder Zelmar of the temporary folder,
// under its own name, which a viewer reading that page shows whole. The
// copy is kept there for the viewer, and replaced by the next one.
std::wstring ViewerFile(const std::string& path) {
  std::wstring wide = Wide(path);
  if (::GetACP() == 932) return wide;
  std::ifstream in(std::filesystem::path(wide), std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  if (!in.is_open() || in.bad()) return wide;
  wchar_t temp[MAX_PATH + 1];
  DWORD n = ::GetTempPathW(MAX_PATH + 1, temp);
  if (n == 0 || n > MAX_PATH) return wide;
  std::wstring folder = std::wstring(temp, n) + L"Zelmar";
  ::CreateDirectoryW(folder.c_str(), nullptr);
  std::wstring copy = folder + L"\\" + wide.substr(wide.find_last_of(L"\\/") + 1);
  std::wstring text = L"\xFEFF" + Wide(content.str());
  std::ofstream out(std::filesystem::path(copy), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(text.data()), static_cast<std::streamsize>(text.size() * 2));
  out.close();
  return out ? copy : wide;
}

bool EndsWithNoCase(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() &&
         cp932::FindNoCase(text, tail, text.size() - tail.size()) != std::string_view::npos;
}

}  // namespace

LogViewer& GetLogViewer() { return installed_viewer ? *installed_viewer : default_viewer; }
void SetLogViewer(LogViewer* viewer) { installed_viewer = viewer; }

BOOL CreateProcessA(const char* application, char* command_line, void* process_security,
                    void* thread_security, BOOL inherit_handles, DWORD creation_flags, void* environment,
                    const char* current_directory, STARTUPINFOA* startup, PROCESS_INFORMATION* process) {
  std::string line = command_line ? command_line : "";
  std::string folder = current_directory ? current_directory : "";
  LogViewer& viewer = GetLogViewer();
  std::string file;
  size_t args_at = 0;
  bool wordpad = !application && WordpadFile(line, current_directory, &file, &args_at);
  if (viewer.ReplacesWordpad() && wordpad) {
    auto* h = new ViewerHandle;
    ToHostPath(file.c_str(), &h->host_path);
    ViewerHandles().insert(h);
    viewer.ProcessStarted(line, folder, true);
    if (process) {
      *process = {h, nullptr, 0, 0};
    } else {
      CloseHandle(h);
    }
    return TRUE;
  }

  ::STARTUPINFOW info = {};
  info.cb = sizeof info;
  if (startup) {
    info.dwFlags = startup->dwFlags;
    info.wShowWindow = startup->wShowWindow;
    info.hStdInput = startup->hStdInput;
    info.hStdOutput = startup->hStdOutput;
    info.hStdError = startup->hStdError;
  }
  std::wstring wapplication = Wide(application ? application : "");
  std::wstring wline = Wide(line);  // CreateProcessW may write into it
  if (wordpad) {
    std::wstring shown = ViewerFile(file);
    if (shown != Wide(file)) wline = Wide(line.substr(0, args_at)) + L" \"" + shown + L"\"";
  }
  std::wstring wfolder = Wide(folder);
  ::PROCESS_INFORMATION started = {};
  BOOL ok =
      ::CreateProcessW(application ? wapplication.c_str() : nullptr, wline.data(),
                       static_cast<LPSECURITY_ATTRIBUTES>(process_security),
                       static_cast<LPSECURITY_ATTRIBUTES>(thread_security), inherit_handles, creation_flags,
                       environment, current_directory ? wfolder.c_str() : nullptr, &info, &started);
  viewer.ProcessStarted(line, folder, ok != FALSE);
  if (!ok) return FALSE;
  if (process) {
    *process = {started.hProcess, started.hThread, started.dwProcessId, started.dwThreadId};
  } else {
    ::CloseHandle(started.hThread);
    ::CloseHandle(started.hProcess);
  }
  return TRUE;
}

BOOL ShellExecuteExA(SHELLEXECUTEINFOA* info) {
  if (!info || !info->lpFile) return FALSE;
  info->hProcess = nullptr;
  std::string file = info->lpFile;
  std::wstring wfile = EndsWithNoCase(file, ".txt") ? ViewerFile(file) : Wide(file);
  std::wstring verb = Wide(info->lpVerb ? info->lpVerb : "");
  std::wstring folder = Wide(info->lpDirectory ? info->lpDirectory : "");
  void* process = nullptr;
  bool keep = (info->fMask & SEE_MASK_NOCLOSEPROCESS) != 0;
  if (!shell::Execute(info->lpVerb ? verb.c_str() : nullptr, wfile.c_str(),
                      info->lpDirectory ? folder.c_str() : nullptr, info->nShow, keep ? &process : nullptr))
    return FALSE;
  info->hProcess = process;
  return TRUE;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD timeout_ms) {
  if (!handle) return WAIT_FAILED;
  if (ViewerHandle* v = AsViewer(handle)) {
    if (!v->shown) {
      v->shown = true;
      GetLogViewer().Show(v->host_path, true);
    }
    return WAIT_OBJECT_0;
  }
  // The wait keeps the program's windows painted: paint messages are
  // handled while the process runs, every other message waits in the queue.
  DWORD started = ::GetTickCount();
  for (;;) {
    DWORD left = INFINITE;
    if (timeout_ms != INFINITE) {
      DWORD waited = ::GetTickCount() - started;
      left = waited >= timeout_ms ? 0 : timeout_ms - waited;
    }
    DWORD r = ::MsgWaitForMultipleObjects(1, &handle, FALSE, left, QS_PAINT);
    if (r != WAIT_OBJECT_0 + 1) return r;
    ::MSG msg;
    while (::PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  }
}

BOOL CloseHandle(HANDLE handle) {
  if (!handle) return FALSE;
  if (ViewerHandle* v = AsViewer(handle)) {
    if (!v->shown) GetLogViewer().Show(v->host_path, false);
    ViewerHandles().erase(handle);
    delete v;
    return TRUE;
  }
  return ::CloseHandle(handle);
}

}  // namespace win
