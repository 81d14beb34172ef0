// Files that users keep, on Windows: read only when they are regular files,
// replaced whole (MoveFileExW), and changed under a lock of their folder (a
// named mutex, as Windows cannot lock a folder itself). Host paths are UTF-8
// (platform/win.h).
#include <algorithm>
#include <string>

#include "platform/host_file.h"
#include "platform/win.h"

#include "platform/shell_win32.h"

#include <windows.h>

namespace hostfile {
namespace {

std::wstring W(const std::string& path) { return win::HostFsPath(path).wstring(); }

// The folder of a host path ("." for a bare name).
std::wstring FolderOf(const std::wstring& path) {
  size_t slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return L".";
  return slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
}

bool WriteFull(HANDLE file, std::string_view data) {
  while (!data.empty()) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(data.size(), 1u << 30)), written = 0;
    if (!WriteFile(file, data.data(), chunk, &written, nullptr) || written == 0) return false;
    data.remove_prefix(written);
  }
  return true;
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

std::string Utf8(const std::wstring& text) {
  std::u8string u8 = std::filesystem::path(text).u8string();
  return std::string(u8.begin(), u8.end());
}

}  // namespace

bool SameFile(const std::string& a, const std::string& b) {
  Identity ia, ib;
  return Identify(W(a), &ia) && Identify(W(b), &ib) && ia == ib;
}

std::string ProgramFile() {
  std::wstring path(32768, L'\0');
  DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  if (n == 0 || n >= path.size()) return "";
  path.resize(n);
  return Utf8(path);
}

std::string AbsolutePath(const std::string& path) {
  std::wstring wide = W(path);
  if (path.empty() || !win::shell::IsRelative(wide.c_str())) return path;
  std::wstring full(32768, L'\0');
  DWORD n = GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (n == 0 || n >= full.size()) return path;
  full.resize(n);
  return Utf8(full);
}

ReadStatus ReadRegular(const std::string& path, std::string* content) {
  content->clear();
  std::wstring wide = W(path);
  DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ReadStatus::kMissing
                                                                          : ReadStatus::kFailed;
  }
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return ReadStatus::kNotRegular;
  HANDLE file =
      CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return ReadStatus::kFailed;
  // A pipe or a device under a file's name is never read.
  if (GetFileType(file) != FILE_TYPE_DISK) {
    CloseHandle(file);
    return ReadStatus::kNotRegular;
  }
  char chunk[8192];
  for (;;) {
    DWORD n = 0;
    if (!ReadFile(file, chunk, sizeof chunk, &n, nullptr)) {
      CloseHandle(file);
      content->clear();
      return ReadStatus::kFailed;
    }
    if (n == 0) break;
    content->append(chunk, n);
  }
  CloseHandle(file);
  return ReadStatus::kOk;
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

FolderLock::FolderLock(const std::string& file_path) {
  // One mutex per folder, named after a digest of its full path in upper
  // case (Windows names are compared without regard to case; a mutex name
  // may not be as long as a path).
  std::wstring folder = FolderOf(W(file_path));
  std::wstring full(32768, L'\0');
  DWORD n = GetFullPathNameW(folder.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (n == 0 || n >= full.size()) return;
  full.resize(n);
  CharUpperBuffW(full.data(), n);
  uint64_t digest = 14695981039346656037ull;  // FNV-1a
  for (wchar_t c : full) digest = (digest ^ static_cast<uint16_t>(c)) * 1099511628211ull;
  std::wstring name = L"Local\\zel-folder-lock-" + std::to_wstring(digest);
  HANDLE mutex = CreateMutexW(nullptr, FALSE, name.c_str());
  if (!mutex) return;
  DWORD r = WaitForSingleObject(mutex, INFINITE);
  if (r != WAIT_OBJECT_0 && r != WAIT_ABANDONED) {
    CloseHandle(mutex);
    return;
  }
  // A kernel handle fits in 32 bits (as Windows documents for exchanging
  // handles with 32-bit processes).
  fd_ = HandleToLong(mutex);
}

FolderLock::~FolderLock() {
  if (fd_ < 0) return;
  HANDLE mutex = LongToHandle(fd_);
  ReleaseMutex(mutex);
  CloseHandle(mutex);
}

}  // namespace hostfile
