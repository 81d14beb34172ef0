#include "export/output_commit.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <random>
#include <string_view>
#include <thread>

#include "platform/cp932.h"
#include "platform/win.h"

namespace outputcommit {
namespace {

constexpr char kRecordHead[] = "zel-commit 1";
constexpr char kRecordEnd[] = "end";

HANDLE OpenHandle(const char* path, DWORD access, DWORD flags) {
  HANDLE h = win::CreateFileA(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, flags, nullptr);
  return h == INVALID_HANDLE_VALUE ? nullptr : h;
}

// The byte that the locks cover lies far beyond any data: on Windows a
// locked range cannot be written, even by the run that holds it.
win::OVERLAPPED LockedRange() {
  win::OVERLAPPED overlapped = {};
  overlapped.OffsetHigh = 0x40000000u;
  return overlapped;
}

bool TryLock(HANDLE h) {
  win::OVERLAPPED overlapped = LockedRange();
  return win::LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &overlapped) != 0;
}

// A name as the record keeps it: relative to folder when it lies there.
std::string Recorded(const std::string& folder, const std::string& path) {
  if (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
      cp932::FindLast(path, '\\') == folder.size() - 1)
    return path.substr(folder.size());
  return path;
}

std::string Resolved(const std::string& folder, const std::string& name) {
  return cp932::FindLast(name, '\\') == std::string::npos ? folder + name : name;
}

// Writes the record text to a new temporary file in folder, flushed, and
// renames it into place; false when any of it failed (nothing is left).
bool PutRecord(const std::string& folder, const std::string& text) {
  static std::mt19937 tags{std::random_device{}()};
  std::string record = folder + kRecordName;
  for (int attempt = 0; attempt < 16; ++attempt) {
    char name[32];
    std::snprintf(name, sizeof name, "~zel%08X.tmp", static_cast<unsigned>(tags()));
    std::string temp = folder + name;
    if (temp.size() >= kPathBufferSize) return false;
    HANDLE h = win::CreateFileA(temp.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      if (win::GetLastError() == ERROR_FILE_EXISTS) continue;
      return false;
    }
    DWORD written = 0;
    bool ok = win::WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
              written == text.size() && win::FlushFileBuffers(h);
    win::CloseHandle(h);
    if (ok &&
        win::MoveFileExA(temp.c_str(), record.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      return true;
    win::DeleteFileA(temp.c_str());
    return false;
  }
  return false;
}

// The moves of folder's record; false when there is none or it is not whole.
bool ReadRecord(const std::string& folder, std::vector<std::pair<std::string, std::string>>* moves) {
  std::string record = folder + kRecordName;
  HANDLE h = OpenHandle(record.c_str(), GENERIC_READ, 0);
  if (h == nullptr) return false;
  std::string text;
  char buffer[4096];
  DWORD got = 0;
  // A record holds a few names; anything much larger is not one of ours.
  while (text.size() < (1u << 16) && win::ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0)
    text.append(buffer, got);
  win::CloseHandle(h);
  std::vector<std::string> lines;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find("\r\n", start);
    if (end == std::string::npos) return false;
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  if (lines.size() < 2 || lines.front() != kRecordHead || lines.back() != kRecordEnd || lines.size() % 2 != 0)
    return false;
  for (size_t i = 1; i + 1 < lines.size(); i += 2) {
    if (lines[i].empty() || lines[i + 1].empty()) return false;
    moves->emplace_back(Resolved(folder, lines[i]), Resolved(folder, lines[i + 1]));
  }
  return true;
}

bool IsTemporaryName(std::string_view name) {
  // "~zel", eight hex digits, ".tmp"
  if (name.size() != 16 || !name.starts_with("~zel") || !name.ends_with(".tmp")) return false;
  for (char c : name.substr(4, 8)) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

}  // namespace

FolderLock::Result FolderLock::Acquire(const char* folder, long timeout_ms, void (*notice)(const char*)) {
  Release();
  HANDLE h = OpenHandle(folder, GENERIC_READ, FILE_FLAG_BACKUP_SEMANTICS);
  if (h == nullptr) return Result::kNoFolder;
  // Tried every 50 ms: the wait is counted in tries, which a loaded machine
  // stretches a little, never shortens.
  constexpr long kStepMs = 50;
  bool told = false;
  for (long waited = 0; !TryLock(h); waited += kStepMs) {
    if (waited >= timeout_ms) {
      win::CloseHandle(h);
      return Result::kTimedOut;
    }
    if (!told && notice != nullptr) {
      notice("他の出力が同じ出力先に書き込んでいます。終わるのを待っています…");
      told = true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(kStepMs));
  }
  handle_ = h;
  return Result::kLocked;
}

void FolderLock::Release() {
  if (handle_ == nullptr) return;
  win::OVERLAPPED overlapped = LockedRange();
  win::UnlockFileEx(handle_, 0, 1, 0, &overlapped);
  win::CloseHandle(handle_);
  handle_ = nullptr;
}

void HeldTemporary::Hold(const char* path) {
  Let();
  handle_ = OpenHandle(path, GENERIC_READ | GENERIC_WRITE, 0);
  if (handle_ != nullptr) TryLock(handle_);
  signal_slot_ = win::RemoveOnTermination(path);
}

bool HeldTemporary::Flush() const { return handle_ != nullptr && win::FlushFileBuffers(handle_) != 0; }

void HeldTemporary::Let() {
  win::KeepOnTermination(signal_slot_);
  signal_slot_ = -1;
  if (handle_ != nullptr) win::CloseHandle(handle_);
  handle_ = nullptr;
}

std::string FolderOf(const char* path) {
  std::string text(path == nullptr ? "" : path);
  size_t slash = cp932::FindLast(text, '\\');
  return slash == std::string::npos ? "" : text.substr(0, slash + 1);
}

namespace {

// Gives the files of folder's commit record, if any, their final names and
// removes the record.
void FinishRecord(const std::string& dir) {
  std::vector<std::pair<std::string, std::string>> moves;
  if (ReadRecord(dir, &moves)) {
    for (const auto& [temp, final_name] : moves) {
      if (win::GetFileAttributesA(temp.c_str()) == INVALID_FILE_ATTRIBUTES) continue;  // renamed before
      win::MoveFileExA(temp.c_str(), final_name.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    }
  }
  win::DeleteFileA((dir + kRecordName).c_str());
}

}  // namespace

bool FinishInterrupted(const char* folder, long timeout_ms) {
  FolderLock lock;
  if (folder == nullptr || folder[0] == '\0') return true;
  FolderLock::Result result = lock.Acquire(folder, timeout_ms, nullptr);
  if (result == FolderLock::Result::kLocked) FinishRecord(folder);
  return result != FolderLock::Result::kTimedOut;
}

void Tidy(const char* folder) {
  std::string dir(folder == nullptr ? "" : folder);
  if (dir.empty()) return;
  FinishRecord(dir);
  // Leftovers: every temporary file whose lock nobody holds.
  std::vector<std::string> left;
  win::WIN32_FIND_DATAA found;
  HANDLE find = win::FindFirstFileA((dir + kTemporaryPattern).c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    if (found.dwFileAttributes == FILE_ATTRIBUTE_NORMAL && IsTemporaryName(found.cFileName))
      left.push_back(dir + found.cFileName);
  } while (win::FindNextFileA(find, &found));
  win::FindClose(find);
  for (const std::string& path : left) {
    HANDLE h = OpenHandle(path.c_str(), GENERIC_READ, 0);
    if (h == nullptr) continue;
    bool unheld = TryLock(h);
    win::CloseHandle(h);
    if (unheld) win::DeleteFileA(path.c_str());
  }
}

size_t Commit(const char* folder, const std::vector<std::pair<std::string, std::string>>& moves) {
  std::string dir(folder == nullptr ? "" : folder);
  std::string text = std::string(kRecordHead) + "\r\n";
  for (const auto& [temp, final_name] : moves) {
    for (const std::string& name : {temp, final_name}) {
      // A name the record cannot hold line by line is never committed.
      if (name.find_first_of("\r\n") != std::string::npos) return 0;
      text += Recorded(dir, name) + "\r\n";
    }
  }
  text += std::string(kRecordEnd) + "\r\n";
  // An ending signal waits for the renames: then nothing is left half done.
  win::HoldTermination(true);
  size_t done = 0;
  if (!dir.empty() && PutRecord(dir, text)) {
    for (const auto& [temp, final_name] : moves) {
      if (!win::MoveFileExA(temp.c_str(), final_name.c_str(),
                            MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        break;
      ++done;
    }
    win::DeleteFileA((dir + kRecordName).c_str());
  }
  win::HoldTermination(false);
  return done;
}

}  // namespace outputcommit
