#include "dialog/PathChecks.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/cp932.h"
#include "platform/win.h"

namespace outpath {

namespace {

constexpr std::string_view kForbidden = "/:,;*?\"><|";
constexpr size_t npos = std::string_view::npos;

bool IsNetworkPath(std::string_view p) { return p.size() >= 2 && p[0] == '\\' && p[1] == '\\'; }

// Copies path into a path buffer (kPathBufferSize bytes); false when it does not fit.
bool CopyPath(char* dst, const char* path) {
  size_t len = std::strlen(path);
  if (len >= kPathBufferSize) return false;
  std::memcpy(dst, path, len + 1);
  return true;
}

// A folder path reduced by ToFolderPath and closed with "\", split into its
// root (closed with "\") and the rest after the root.
struct SplitFolder {
  char folder[kPathBufferSize];
  char root[kPathBufferSize];
  std::string_view rest;
};

bool SplitRootAndRest(const char* path, SplitFolder* out) {
  if (!CopyPath(out->folder, path)) return false;
  if (!ToFolderPath(out->folder) || !AddBackslash(out->folder, kPathBufferSize)) return false;
  const char* rest = win::PathSkipRootA(out->folder);
  if (rest == nullptr) return false;
  out->rest = std::string_view(rest);
  std::memcpy(out->root, out->folder, kPathBufferSize);
  if (!win::PathStripToRootA(out->root) || !AddBackslash(out->root, kPathBufferSize)) return false;
  return true;
}

// The level of a folder: root, the first n bytes of rest, and "\".
void LevelPath(const SplitFolder& f, size_t n, char* out) {
  std::string level = std::string(f.root) + std::string(f.rest.substr(0, n)) + "\\";
  cp932::CopyCut(out, kPathBufferSize, level);
}

}  // namespace

size_t FolderPartLength(const char* path) {
  size_t sep = cp932::FindLast(path, '\\');
  return sep == npos ? 0 : sep + 1;
}

const char* FilePart(const char* path) { return path + FolderPartLength(path); }

bool HasValidCharacters(const char* path) {
  std::string_view p(path);
  // No Windows name holds a control character. Trail bytes start at 0x40,
  // so every such byte is a character of its own.
  for (char c : p) {
    if (static_cast<unsigned char>(c) < 0x20) return false;
  }
  std::string_view rest;
  if (IsNetworkPath(p)) {
    if (cp932::FindText(p, "\\\\", 3) != npos) return false;
    rest = p.substr(2);
  } else {
    if (cp932::FindText(p, "\\\\") != npos) return false;
    size_t colon = cp932::Find(p, ':');
    rest = colon == npos ? p : p.substr(colon + 1);
  }
  for (char c : kForbidden) {
    if (cp932::Find(rest, c) != npos) return false;
  }
  return true;
}

bool IsValidDrive(const char* path) {
  std::string_view p(path);
  if (IsNetworkPath(p)) {
    std::string share;
    size_t server_end = cp932::Find(p, '\\', 3);
    if (server_end != npos) {
      size_t share_end = cp932::Find(p, '\\', server_end + 1);
      if (share_end != npos) share = std::string(p.substr(0, share_end));
    }
    return win::_access(share.c_str(), 6) == 0;
  }
  if (cp932::FindText(p, "\\\\", 1) != npos) return false;
  return IsUsableDrive(p.empty() ? '\0' : p[0], 6);
}

bool IsUsableDrive(char letter, int mode) {
  char upper;
  if (letter >= 'A' && letter <= 'Z') {
    upper = letter;
  } else if (letter >= 'a' && letter <= 'z') {
    upper = static_cast<char>(letter - 'a' + 'A');
  } else {
    return false;
  }
  const char root[4] = {upper, ':', '\\', '\0'};
  switch (win::GetDriveTypeA(root)) {
    case DRIVE_UNKNOWN:
    case DRIVE_CDROM:
    case DRIVE_RAMDISK: return false;
    case DRIVE_NO_ROOT_DIR: return true;
    case DRIVE_REMOVABLE:
    case DRIVE_FIXED:
    case DRIVE_REMOTE: return win::_access(root, mode) == 0;
    default: return true;
  }
}

int AddBackslash(char* text, size_t capacity) {
  size_t len = std::strlen(text);
  if (len == 0) return 0;
  if (!cp932::EndsWithDoubleByte(std::string_view(text, len)) && text[len - 1] == '\\') return 1;
  if (len + 1 >= capacity) return 0;
  text[len] = '\\';
  text[len + 1] = '\0';
  return 1;
}

int ToFolderPath(char* text) {
  size_t len = std::strlen(text);
  if (len == 0) return 0;
  // Each part is at most as long as the whole text.
  std::string drive(len + 1, '\0'), dir(len + 1, '\0'), fname(len + 1, '\0'), ext(len + 1, '\0');
  win::_splitpath(text, drive.data(), dir.data(), fname.data(), ext.data());
  std::string result = std::string(drive.c_str()) + dir.c_str();
  // The split caps its parts at the C runtime's sizes; a directory cut short
  // would name another folder, so such a path has no folder part here.
  std::string_view after(text + std::min(result.size(), len));
  if (cp932::Find(after, '\\') != npos || cp932::Find(after, '/') != npos) result.clear();
  if (result.empty()) {
    text[0] = '\0';
    return 0;
  }
  bool closed = !cp932::EndsWithDoubleByte(result) && result.back() == '\\';
  if (!closed && result.size() < len) result += '\\';
  cp932::CopyCut(text, len + 1, result);
  return 1;
}

int FolderExists(const char* path) {
  char folder[kPathBufferSize];
  if (!CopyPath(folder, path) || !ToFolderPath(folder)) return 0;
  return win::PathIsDirectoryA(folder) ? 1 : 0;
}

int IsDoubleByteAt(const char* text, size_t pos) { return cp932::IsDoubleByteAt(text, pos) ? 1 : 0; }

bool CreateFolderTree(const char* folder) {
  SplitFolder f;
  if (folder[0] == '\0' || !SplitRootAndRest(folder, &f) || f.rest.empty()) return false;
  char kept[kPathBufferSize];
  std::memcpy(kept, f.root, kPathBufferSize);
  for (size_t i = 0; i < f.rest.size(); i += cp932::CharLength(f.rest, i)) {
    if (cp932::CharLength(f.rest, i) == 2 || f.rest[i] != '\\') continue;
    char level[kPathBufferSize];
    LevelPath(f, i, level);
    if (FolderExists(level)) {
      std::memcpy(kept, level, kPathBufferSize);
    } else if (!win::CreateDirectoryA(level, nullptr)) {
      RemoveCreatedFolders(level, kept);
      return false;
    }
  }
  return true;
}

int RemoveCreatedFolders(const char* path, const char* kept) {
  SplitFolder p, k;
  if (!SplitRootAndRest(path, &p)) return 0;
  std::string_view kept_rest;
  if (kept != nullptr) {
    if (!SplitRootAndRest(kept, &k)) return 0;
    if (!cp932::EqualNoCase(p.root, k.root) || k.rest.size() > p.rest.size() ||
        !cp932::EqualNoCase(p.rest.substr(0, k.rest.size()), k.rest)) {
      return 0;
    }
    // The kept folder is the level that ends where its closing "\" stands.
    kept_rest = k.rest.substr(0, k.rest.empty() ? 0 : k.rest.size() - 1);
  }
  // Positions of the separators from the second byte on, deepest last.
  std::string_view rest = p.rest;
  size_t seps[kPathBufferSize];
  size_t count = 0;
  for (size_t i = 0; i < rest.size(); i += cp932::CharLength(rest, i)) {
    if (i >= 1 && cp932::CharLength(rest, i) == 1 && rest[i] == '\\') seps[count++] = i;
  }
  while (count > 0) {
    size_t n = seps[--count];
    if (kept != nullptr && !k.rest.empty() && cp932::EqualNoCase(rest.substr(0, n), kept_rest)) return 1;
    char level[kPathBufferSize];
    LevelPath(p, n, level);
    if (win::PathIsDirectoryA(level)) {
      if (!win::RemoveDirectoryA(level)) return 0;
      if (kept == nullptr) return 1;
    }
  }
  return 1;
}

}  // namespace outpath
