#include "dialog/EnvFile.h"

#include <cstdio>
// <chrono> itself holds a literal that has no CP932 form; <thread> brings
// the durations that sleep_for takes.
#include <thread>

#include "platform/cp932.h"
#include "platform/sibling_path.h"
#include "platform/win.h"

namespace envfile {
namespace {

enum class ReadStatus { kOk, kMissing, kFailed };

// Reads the whole file at path into *content. Only a regular file is read:
// a FIFO in its place could block the program, a device feed it anything.
ReadStatus ReadRegular(const std::string& path, std::string* content) {
  content->clear();
  HANDLE file =
      win::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    DWORD error = win::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ReadStatus::kMissing
                                                                          : ReadStatus::kFailed;
  }
  bool ok = win::GetFileType(file) == FILE_TYPE_DISK;
  char chunk[8192];
  while (ok) {
    DWORD n = 0;
    ok = win::ReadFile(file, chunk, sizeof chunk, &n, nullptr) != FALSE;
    if (!ok || n == 0) break;
    content->append(chunk, n);
  }
  win::CloseHandle(file);
  if (!ok) content->clear();
  return ok ? ReadStatus::kOk : ReadStatus::kFailed;
}

// Gives path the content in one step: written to a new temporary file in
// folder (path's), its data on the disk, then renamed over path, whose
// permissions it takes over. On failure the previous file stays as it was
// and no temporary file is left behind.
bool WriteWhole(const std::string& folder, const std::string& path, std::string_view content) {
  char temp[kPathBufferSize];
  if (content.size() > 0xFFFFFFFFu || win::GetTempFileNameA(folder.c_str(), "zel", 0, temp) == 0)
    return false;
  HANDLE file =
      win::CreateFileA(temp, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  bool ok = file != INVALID_HANDLE_VALUE;
  if (ok) {
    DWORD written = 0;
    ok = win::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr) &&
         win::FlushFileBuffers(file);
    ok = win::CloseHandle(file) && ok;
  }
  ok = ok && win::MoveFileExA(temp, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!ok) win::DeleteFileA(temp);
  return ok;
}

// The lock of a folder, held from construction to destruction. A folder
// that cannot be locked leaves the caller to go on unlocked; one that another
// program holds locked is waited for, at most wait_ms, then given up.
class FolderLock {
 public:
  FolderLock(const std::string& folder, int wait_ms)
      : folder_(win::CreateFileA(folder.c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr)) {
    if (folder_ == INVALID_HANDLE_VALUE) return;
    const int kStepMs = 20;
    for (int waited = 0;; waited += kStepMs) {
      if (win::LockFileEx(folder_, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 0xFFFFFFFFu,
                          0xFFFFFFFFu, &range_))
        return;
      if (win::GetLastError() != ERROR_LOCK_VIOLATION) break;
      if (waited >= wait_ms) {
        timed_out_ = true;
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(kStepMs));
    }
    win::CloseHandle(folder_);
    folder_ = INVALID_HANDLE_VALUE;
  }
  ~FolderLock() {
    if (folder_ == INVALID_HANDLE_VALUE) return;
    win::UnlockFileEx(folder_, 0, 0xFFFFFFFFu, 0xFFFFFFFFu, &range_);
    win::CloseHandle(folder_);
  }
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

  // True when another program held the lock for the whole wait.
  bool TimedOut() const { return timed_out_; }

 private:
  win::OVERLAPPED range_ = {};
  HANDLE folder_;
  bool timed_out_ = false;
};

}  // namespace

std::string MakeKey(std::string_view user_id, int32_t first, int32_t second) {
  char numbers[32];
  std::snprintf(numbers, sizeof numbers, "/%d/%d:", static_cast<int>(first), static_cast<int>(second));
  return std::string(user_id) + numbers;
}

bool FindEntry(std::string_view content, std::string_view key, EntrySpan* span) {
  if (key.empty()) return false;
  // LF is never a trail byte, so every line starts right after one.
  for (size_t line = 0; line < content.size();) {
    size_t lf = content.find('\n', line);
    size_t end = lf == std::string_view::npos ? content.size() : lf;
    if (content.compare(line, key.size(), key) == 0 && line + key.size() <= end) {
      span->line_start = line;
      span->value_start = line + key.size();
      span->value_end = end;
      span->next_line = lf == std::string_view::npos ? content.size() : lf + 1;
      return true;
    }
    if (lf == std::string_view::npos) break;
    line = lf + 1;
  }
  return false;
}

std::string ReplaceEntry(std::string_view content, std::string_view key, std::string_view path) {
  // Every line of the key goes, so that the new entry is the one a load
  // finds, also in a file that was edited by hand.
  std::string out;
  EntrySpan span;
  while (FindEntry(content, key, &span)) {
    out.append(content.substr(0, span.line_start));
    content.remove_prefix(span.next_line);
  }
  out.append(content);
  // A file whose last line lost its LF would otherwise swallow the new key.
  if (!out.empty() && out.back() != '\n') out += '\n';
  out.append(key);
  out.append(path);
  out += '\n';
  return out;
}

int LoadEntry(const std::string& path, std::string_view key, char* buffer, size_t capacity) {
  if (capacity > 0) buffer[0] = '\0';
  std::string content;
  if (capacity == 0 || ReadRegular(path, &content) != ReadStatus::kOk) return 0;
  EntrySpan span;
  if (!FindEntry(content, key, &span)) return 0;
  std::string_view value(content.data() + span.value_start, span.value_end - span.value_start);
  // Cut short, the path would name another file.
  if (value.size() >= capacity) return 0;
  cp932::CopyCut(buffer, capacity, value);
  return 1;
}

int SaveEntry(const std::string& path, std::string_view key, std::string_view value, int lock_wait_ms) {
  // Two runs saving at once would each rewrite what they read and lose the
  // other's entry; the lock makes the read, the change and the replacement
  // one step. Locking the folder rather than the file keeps the lock valid
  // across the rename that replaces the file. Without it (a folder that
  // cannot be locked) the save goes on.
  std::string folder = path.substr(0, pathname::FolderPartLength(path.c_str()));
  if (folder.empty()) folder = ".";
  FolderLock lock(folder, lock_wait_ms);
  // A holder that does not let go must not keep the end of the export
  // waiting: the path is then not remembered, and the run says so.
  if (lock.TimedOut()) {
    std::fprintf(stderr,
                 "The output path was not remembered: the environment file %s stayed locked by another "
                 "program for %g s.\n",
                 cp932::ToUtf8(path).c_str(), lock_wait_ms / 1000.0);
    return 0;
  }
  std::string content;
  if (ReadRegular(path, &content) == ReadStatus::kFailed) return 0;
  return WriteWhole(folder, path, ReplaceEntry(content, key, value)) ? 1 : 0;
}

}  // namespace envfile
