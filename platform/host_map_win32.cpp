// Host paths on Windows: the Windows path itself, in UTF-8 (what SQLite and
// the C++ library's streams take). There is no drive map: every drive and
// share is the system's own.
#include <string>

#include "platform/cp932.h"
#include "platform/win.h"

#include <windows.h>

namespace win {

bool ToHostPath(const char* path, std::string* host) {
  if (!path || !path[0] || !host) return false;
  *host = cp932::ToUtf8(path);
  return true;
}

std::string FromHostPath(const std::string& host) {
  std::string windows = cp932::FromUtf8(host);
  for (size_t i = 0; i < windows.size(); i += cp932::CharLength(windows, i))
    if (windows[i] == '/') windows[i] = '\\';
  return windows;
}

std::string HostPathHint(const char*) { return std::string(); }

void ReloadMappings() {}

std::filesystem::path HostFsPath(const std::string& host) {
  return std::filesystem::path(std::u8string(host.begin(), host.end()));
}

std::string HostPathString(const std::filesystem::path& path) {
  std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

bool CreateNewHostFile(const std::string& host) {
  HANDLE file = ::CreateFileW(HostFsPath(host).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  ::CloseHandle(file);
  return true;
}

}  // namespace win
