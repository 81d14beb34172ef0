// The path functions that work on the text of a path alone. They are the
// program's own on Windows too: the system's A functions read a path in the
// ANSI code page, which need not be 932, and would take a trail byte of the
// value of "\" for a separator.
#include <string_view>

#include "platform/cp932.h"
#include "platform/win.h"

namespace win {

char* PathSkipRootA(const char* path) {
  if (!path || !path[0]) return nullptr;
  std::string_view p(path);
  if (p.size() >= 2 && p[0] == '\\' && p[1] == '\\') {
    // Network path: past "\\server\share\"; null without a share.
    size_t end_server = cp932::Find(p, '\\', 2);
    if (end_server == std::string_view::npos) return nullptr;
    size_t end_share = cp932::Find(p, '\\', end_server + 1);
    if (end_share == std::string_view::npos) return nullptr;
    return const_cast<char*>(path + end_share + 1);
  }
  if (cp932::IsLeadByte(static_cast<unsigned char>(p[0]))) return nullptr;
  if (p.size() >= 3 && p[1] == ':' && p[2] == '\\') return const_cast<char*>(path + 3);
  return nullptr;
}

namespace {

// "\", "\\server", "\\server\share" and "X:\" are roots.
bool IsRoot(std::string_view p) {
  if (p.empty()) return false;
  if (p[0] == '\\') {
    if (p.size() == 1) return true;
    if (p[1] != '\\') return false;
    std::string_view body = p.substr(2);
    size_t first = cp932::Find(body, '\\');
    return first == std::string_view::npos || cp932::Find(body, '\\', first + 1) == std::string_view::npos;
  }
  return p.size() == 3 && !cp932::IsLeadByte(static_cast<unsigned char>(p[0])) && p[1] == ':' && p[2] == '\\';
}

// Drops the last name of a path ("C:\a\b" -> "C:\a", "C:\a" -> "C:\",
// "C:a" -> "C:", "a" -> ""); false when nothing could be dropped.
bool DropLastName(char* path) {
  std::string_view p(path);
  size_t start = 0;
  if (start < p.size() && p[start] == '\\') ++start;
  if (start < p.size() && p[start] == '\\') ++start;
  size_t cut = start;
  for (size_t i = start; i < p.size(); i += cp932::CharLength(p, i)) {
    if (cp932::CharLength(p, i) == 2) {
      continue;
    } else if (p[i] == '\\') {
      cut = i;
    } else if (p[i] == ':') {
      // The drive's own "\" belongs to the root.
      cut = i + 1;
      if (cut < p.size() && p[cut] == '\\') cut = ++i + 1;
    }
  }
  if (cut >= p.size()) return false;
  path[cut] = '\0';
  return true;
}

}  // namespace

BOOL PathStripToRootA(char* path) {
  if (!path) return FALSE;
  while (!IsRoot(path))
    if (!DropLastName(path)) return FALSE;
  return TRUE;
}

void _splitpath(const char* path, char* drive, char* dir, char* fname, char* ext) {
  // Part sizes of the C runtime (_MAX_DRIVE, _MAX_DIR, _MAX_FNAME, _MAX_EXT).
  constexpr size_t kDrive = 3, kDir = 256, kName = 256, kExt = 256;
  std::string_view p(path ? path : "");
  std::string_view d;
  if (p.size() >= 2 && p[1] == ':' && !cp932::IsLeadByte(static_cast<unsigned char>(p[0]))) {
    d = p.substr(0, 2);
    p.remove_prefix(2);
  }
  // The directory runs to the last "\" or "/" that is a character of its own.
  size_t last_sep = std::string_view::npos;
  size_t last_dot = std::string_view::npos;
  for (size_t i = 0; i < p.size(); i += cp932::CharLength(p, i)) {
    if (cp932::CharLength(p, i) == 2) {
      continue;
    } else if (p[i] == '\\' || p[i] == '/') {
      last_sep = i;
      last_dot = std::string_view::npos;
    } else if (p[i] == '.') {
      last_dot = i;
    }
  }
  size_t name_start = last_sep == std::string_view::npos ? 0 : last_sep + 1;
  size_t name_end = last_dot == std::string_view::npos ? p.size() : last_dot;
  if (drive) cp932::CopyCut(drive, kDrive, d);
  if (dir) cp932::CopyCut(dir, kDir, p.substr(0, name_start));
  if (fname) cp932::CopyCut(fname, kName, p.substr(name_start, name_end - name_start));
  if (ext) cp932::CopyCut(ext, kExt, p.substr(name_end));
}

}  // namespace win
