// Files on Windows: replaced in one step (MoveFileExW) and told apart by
// their volume and file index. Host paths are UTF-8 (platform/win.h).
#include <algorithm>
#include <string>

#include "platform/host_file.h"
#include "platform/win.h"

#include "platform/shell_win32.h"

#include <windows.h>

namespace hostfile {
namespace {

bool WriteFull(HANDLE file, std::string_view data) {
  while (!data.empty()) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(data.size(), 1u << 30)), written = 0;
    if (!WriteFile(file, data.data(), chunk, &written, nullptr) || written == 0) return false;
    data.remove_prefix(written);
  }
  return true;
}

std::wstring W(const std::string& path) { return win::HostFsPath(path).wstring(); }

// The folder of a host path ("." for a bare name).
std::wstring FolderOf(const std::wstring& path) {
  size_t slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return L".";
  return slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
}

// Where a path leads: the file's volume and index, or for a name that does
// not exist yet its folder's and the name in upper case (Windows names are
// compared without regard to case).
struct Identity {
  DWORD volume = 0, index_high = 0, index_low = 0;
  std::wstring name;  // empty for a file that exists
  bool operator==(const Identity&) const = default;
};

bool IdentifyExisting(const std::wstring& path, Identity* id) {
  HANDLE file = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info;
  bool ok = GetFileInformationByHandle(file, &info) != FALSE;
  CloseHandle(file);
  if (ok) *id = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow, L""};
  return ok;
}

bool Identify(const std::wstring& path, Identity* id) {
  if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return IdentifyExisting(path, id);
  DWORD error = GetLastError();
  if (error != ERROR_FILE_NOT_FOUND) return false;
  size_t slash = path.find_last_of(L"\\/");
  std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
  if (name.empty() || name == L"." || name == L"..") return false;
  if (!IdentifyExisting(FolderOf(path), id)) return false;
  CharUpperBuffW(name.data(), static_cast<DWORD>(name.size()));
  id->name = name;
  return true;
}

}  // namespace

bool SameFile(const std::string& a, const std::string& b) {
  Identity ia, ib;
  return Identify(W(a), &ia) && Identify(W(b), &ib) && ia == ib;
}

bool Replace(const std::string& temp, const std::string& path) {
  std::wstring from = W(temp), to = W(path);
  DWORD attributes = GetFileAttributesW(to.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
  // The data reaches the disk before the name changes.
  HANDLE file = CreateFileW(from.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool ok = FlushFileBuffers(file) != FALSE;
  ok = CloseHandle(file) && ok;
  return ok && MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

bool WriteWhole(const std::string& path, std::string_view content) {
  // A new name beside path: the process, the time and a counter.
  static unsigned counter = 0;
  std::string temp;
  HANDLE file = INVALID_HANDLE_VALUE;
  for (int tries = 0; tries < 100 && file == INVALID_HANDLE_VALUE; ++tries) {
    temp = path + "." + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount()) + "-" +
           std::to_string(++counter);
    file =
        CreateFileW(W(temp).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) return false;
  }
  if (file == INVALID_HANDLE_VALUE) return false;
  bool ok = WriteFull(file, content);
  ok = CloseHandle(file) && ok;
  if (ok) ok = Replace(temp, path);
  if (!ok) DeleteFileW(W(temp).c_str());
  return ok;
}

std::FILE* OpenFile(const std::string& path, const char* mode) {
  std::wstring wide_mode(mode, mode + std::char_traits<char>::length(mode));
  return _wfopen(W(path).c_str(), wide_mode.c_str());
}

}  // namespace hostfile
