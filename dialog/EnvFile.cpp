#include "dialog/EnvFile.h"

#include <cstdio>

#include "platform/cp932.h"
#include "platform/host_file.h"

namespace envfile {

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

int LoadEntry(const std::string& host_path, std::string_view key, char* buffer, size_t capacity) {
  if (capacity > 0) buffer[0] = '\0';
  std::string content;
  if (capacity == 0 || hostfile::ReadRegular(host_path, &content) != hostfile::ReadStatus::kOk) return 0;
  EntrySpan span;
  if (!FindEntry(content, key, &span)) return 0;
  std::string_view value(content.data() + span.value_start, span.value_end - span.value_start);
  // Cut short, the path would name another file.
  if (value.size() >= capacity) return 0;
  cp932::CopyCut(buffer, capacity, value);
  return 1;
}

int SaveEntry(const std::string& host_path, std::string_view key, std::string_view path) {
  // Two runs saving at once would each rewrite what they read and lose the
  // other's entry; the lock makes the read, the change and the replacement
  // one step. Without it (a folder that cannot be locked) the save goes on.
  hostfile::FolderLock lock(host_path);
  std::string content;
  switch (hostfile::ReadRegular(host_path, &content)) {
    case hostfile::ReadStatus::kOk:
    case hostfile::ReadStatus::kMissing: break;
    case hostfile::ReadStatus::kNotRegular:
    case hostfile::ReadStatus::kFailed: return 0;
  }
  return hostfile::WriteWhole(host_path, ReplaceEntry(content, key, path)) ? 1 : 0;
}

}  // namespace envfile
