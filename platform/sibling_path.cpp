#include "platform/sibling_path.h"

#include <cstring>
#include <string_view>

#include "platform/cp932.h"

namespace pathname {

size_t FolderPartLength(const char* path) {
  size_t sep = cp932::FindLast(path, '\\');
  return sep == std::string_view::npos ? 0 : sep + 1;
}

SiblingResult SiblingPath(const char* path, const char* name, char* out, size_t out_size) {
  constexpr size_t kMaxPath = 260;
  if (out_size > 0) out[0] = '\0';
  size_t folder_len = FolderPartLength(path);
  if (folder_len == 0) return SiblingResult::kNoFolder;
  size_t name_len = std::strlen(name);
  if (folder_len + name_len > kMaxPath || folder_len + name_len >= out_size) return SiblingResult::kTooLong;
  // Windows names are compared without regard to case.
  if (cp932::EqualNoCase(path + folder_len, name)) return SiblingResult::kSameAsFile;
  std::memcpy(out, path, folder_len);
  std::memcpy(out + folder_len, name, name_len + 1);
  return SiblingResult::kOk;
}

}  // namespace pathname
