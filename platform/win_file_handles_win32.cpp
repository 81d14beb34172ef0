// File handles on Windows: each call forwards to the real API (the W
// functions for names), except a folder's lock, which Windows does not have.
#include <cstring>
#include <map>
#include <utility>
#include <mutex>
#include <string>

#include "platform/cp932.h"
#include "platform/wide.h"
#include "platform/win.h"

#include <windows.h>

namespace win {
namespace {

// A folder's lock: a named mutex of the folder's volume and file index, so
// that every name of the folder meets the same lock, held by the locking
// thread until UnlockFileEx. The map holds the mutex of each locked handle.
std::mutex folder_locks_guard;
// A handle's mutex and the folder's lock name. A mutex can be taken again
// by the thread that holds it, so that a lock held in this process is told
// by its name: a second handle on the folder waits, as on a locked file.
std::map<HANDLE, std::pair<HANDLE, std::wstring>> folder_locks;

bool HeldHere(const std::wstring& name) {
  std::lock_guard guard(folder_locks_guard);
  for (const auto& [file, held] : folder_locks)
    if (held.second == name) return true;
  return false;
}

bool FolderLockName(HANDLE file, std::wstring* name) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!::GetFileInformationByHandle(file, &info) || !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return false;
  *name = L"Local\\zel-folder-lock-" + std::to_wstring(info.dwVolumeSerialNumber) + L"-" +
          std::to_wstring(info.nFileIndexHigh) + L"-" + std::to_wstring(info.nFileIndexLow);
  return true;
}

::OVERLAPPED Position(const OVERLAPPED* overlapped) {
  ::OVERLAPPED position = {};
  if (overlapped) {
    position.Offset = overlapped->Offset;
    position.OffsetHigh = overlapped->OffsetHigh;
  }
  return position;
}

}  // namespace

HANDLE CreateFileA(const char* path, DWORD access, DWORD share_mode, void* security, DWORD disposition,
                   DWORD flags, HANDLE template_file) {
  return ::CreateFileW(Wide(path ? path : "").c_str(), access, share_mode,
                       static_cast<LPSECURITY_ATTRIBUTES>(security), disposition, flags, template_file);
}

DWORD GetFileType(HANDLE file) { return ::GetFileType(file); }

BOOL ReadFile(HANDLE file, void* buffer, DWORD size, DWORD* read, OVERLAPPED* overlapped) {
  if (overlapped) {
    ::SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return ::ReadFile(file, buffer, size, read, nullptr);
}

BOOL WriteFile(HANDLE file, const void* data, DWORD size, DWORD* written, OVERLAPPED* overlapped) {
  if (overlapped) {
    ::SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return ::WriteFile(file, data, size, written, nullptr);
}

BOOL FlushFileBuffers(HANDLE file) { return ::FlushFileBuffers(file); }

DWORD GetFinalPathNameByHandleA(HANDLE file, char* buffer, DWORD size, DWORD flags) {
  std::wstring wide(32768, L'\0');
  DWORD n = ::GetFinalPathNameByHandleW(file, wide.data(), static_cast<DWORD>(wide.size()), flags);
  if (n == 0 || n >= wide.size()) return 0;
  wide.resize(n);
  // "\\?\C:\..." and "\\?\UNC\server\share\..." as a program writes them.
  if (wide.rfind(L"\\\\?\\UNC\\", 0) == 0) {
    wide = L"\\\\" + wide.substr(8);
  } else if (wide.rfind(L"\\\\?\\", 0) == 0) {
    wide = wide.substr(4);
  }
  std::string narrow = Narrow(wide);
  if (narrow.size() >= size) return static_cast<DWORD>(narrow.size() + 1);
  std::memcpy(buffer, narrow.c_str(), narrow.size() + 1);
  return static_cast<DWORD>(narrow.size());
}

BOOL LockFileEx(HANDLE file, DWORD flags, DWORD reserved, DWORD bytes_low, DWORD bytes_high,
                OVERLAPPED* overlapped) {
  std::wstring name;
  if (!FolderLockName(file, &name)) {
    ::OVERLAPPED position = Position(overlapped);
    return ::LockFileEx(file, flags, reserved, bytes_low, bytes_high, &position);
  }
  while (HeldHere(name)) {
    if (flags & LOCKFILE_FAIL_IMMEDIATELY) {
      ::SetLastError(ERROR_LOCK_VIOLATION);
      return FALSE;
    }
    ::Sleep(20);
  }
  HANDLE mutex = ::CreateMutexW(nullptr, FALSE, name.c_str());
  if (!mutex) return FALSE;
  DWORD waited = ::WaitForSingleObject(mutex, (flags & LOCKFILE_FAIL_IMMEDIATELY) ? 0 : INFINITE);
  if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
    ::CloseHandle(mutex);
    ::SetLastError(ERROR_LOCK_VIOLATION);
    return FALSE;
  }
  std::lock_guard guard(folder_locks_guard);
  folder_locks[file] = {mutex, name};
  return TRUE;
}

BOOL UnlockFileEx(HANDLE file, DWORD reserved, DWORD bytes_low, DWORD bytes_high, OVERLAPPED* overlapped) {
  HANDLE mutex = nullptr;
  {
    std::lock_guard guard(folder_locks_guard);
    auto held = folder_locks.find(file);
    if (held != folder_locks.end()) {
      mutex = held->second.first;
      folder_locks.erase(held);
    }
  }
  if (!mutex) {
    ::OVERLAPPED position = Position(overlapped);
    return ::UnlockFileEx(file, reserved, bytes_low, bytes_high, &position);
  }
  ::ReleaseMutex(mutex);
  ::CloseHandle(mutex);
  return TRUE;
}

UINT GetTempFileNameA(const char* folder, const char* prefix, UINT unique, char* buffer) {
  wchar_t path[MAX_PATH];
  UINT number = ::GetTempFileNameW(Wide(folder ? folder : "").c_str(), Wide(prefix ? prefix : "").c_str(),
                                   unique, path);
  if (number == 0) return 0;
  std::string narrow = Narrow(path);
  if (!buffer || narrow.size() >= MAX_PATH) {
    if (unique == 0) ::DeleteFileW(path);
    ::SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  cp932::CopyCut(buffer, MAX_PATH, narrow);
  return number;
}

DWORD GetLastError() { return ::GetLastError(); }

}  // namespace win
