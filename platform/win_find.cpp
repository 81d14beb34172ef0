// Folder listings of our Windows stand-in: FindFirstFileA and its kin over
// readdir, matching names with at most one "*" as Windows matches them.
#include <dirent.h>
#include <sys/stat.h>

#include <cstring>
#include <string>
#include <string_view>

#include "platform/cp932.h"
#include "platform/host_map.h"
#include "platform/win.h"

namespace win {
namespace {

struct Finder {
  DIR* dir = nullptr;
  std::string host_folder;
  std::string prefix, suffix;  // of the name, around its "*"
  bool any = false;            // the pattern has a "*"
};

// The next entry that matches, in *data; false at the end.
bool NextMatch(Finder* f, WIN32_FIND_DATAA* data) {
  while (dirent* entry = ::readdir(f->dir)) {
    std::string_view host_name(entry->d_name);
    if (host_name == "." || host_name == "..") continue;
    std::string name = cp932::FromUtf8(std::string(host_name));
    if (name.empty() || name.size() >= sizeof data->cFileName) continue;
    bool match = f->any ? name.size() >= f->prefix.size() + f->suffix.size() && name.starts_with(f->prefix) &&
                              name.ends_with(f->suffix)
                        : name == f->prefix;
    if (!match) continue;
    struct ::stat st;
    std::string host = f->host_folder + "/" + entry->d_name;
    if (::lstat(host.c_str(), &st) != 0) continue;
    data->dwFileAttributes = S_ISLNK(st.st_mode)   ? FILE_ATTRIBUTE_REPARSE_POINT
                             : S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY
                             : S_ISREG(st.st_mode) ? FILE_ATTRIBUTE_NORMAL
                                                   : FILE_ATTRIBUTE_DEVICE;
    std::memcpy(data->cFileName, name.c_str(), name.size() + 1);
    return true;
  }
  return false;
}

}  // namespace

HANDLE FindFirstFileA(const char* pattern, WIN32_FIND_DATAA* data) {
  if (!pattern || !data) return INVALID_HANDLE_VALUE;
  std::string_view text(pattern);
  size_t slash = cp932::FindLast(text, '\\');
  if (slash == std::string_view::npos) return INVALID_HANDLE_VALUE;
  std::string folder(text.substr(0, slash + 1));
  std::string_view name = text.substr(slash + 1);
  auto* f = new Finder;
  size_t star = name.find('*');
  f->any = star != std::string_view::npos;
  f->prefix = std::string(name.substr(0, f->any ? star : name.size()));
  if (f->any) f->suffix = std::string(name.substr(star + 1));
  if (f->suffix.find('*') != std::string::npos || !ToHostPath(folder.c_str(), &f->host_folder) ||
      (f->dir = ::opendir(f->host_folder.c_str())) == nullptr || !NextMatch(f, data)) {
    FindClose(f);
    return INVALID_HANDLE_VALUE;
  }
  return f;
}

BOOL FindNextFileA(HANDLE find, WIN32_FIND_DATAA* data) {
  if (!find || find == INVALID_HANDLE_VALUE || !data) return FALSE;
  return NextMatch(static_cast<Finder*>(find), data) ? TRUE : FALSE;
}

BOOL FindClose(HANDLE find) {
  if (!find || find == INVALID_HANDLE_VALUE) return FALSE;
  auto* f = static_cast<Finder*>(find);
  if (f->dir) ::closedir(f->dir);
  delete f;
  return TRUE;
}

}  // namespace win
