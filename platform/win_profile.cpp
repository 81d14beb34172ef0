// GetPrivateProfileStringA: reads a Windows INI file the way Windows does.
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/cp932.h"
#include "platform/win.h"
#include "platform/win_buffers.h"

namespace win {
namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

// A value in matching single or double quotes loses them.
std::string_view Unquote(std::string_view v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    return v.substr(1, v.size() - 2);
  return v;
}

bool ReadFile(const char* file, std::string* contents) {
  std::string path = file ? file : "";
  if (path.empty()) return false;
  // A bare file name lies in the Windows directory.
  if (cp932::Find(path, '\\') == std::string::npos && cp932::Find(path, '/') == std::string::npos &&
      !(path.size() >= 2 && path[1] == ':')) {
    char windir[kPathBufferSize];
    UINT n = GetWindowsDirectoryA(windir, sizeof(windir));
    if (n == 0 || n >= sizeof(windir)) return false;
    path = std::string(windir) + "\\" + path;
  }
  std::string host;
  if (!ToHostPath(path.c_str(), &host)) return false;
  std::ifstream in(host, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  *contents = s.str();
  return true;
}

}  // namespace

DWORD GetPrivateProfileStringA(const char* section, const char* key, const char* fallback, char* buffer,
                               DWORD size, const char* file) {
  std::string_view def = Trim(fallback ? fallback : "");
  std::string contents;
  if (!ReadFile(file, &contents)) {
    if (!section || !key) return DeliverList({}, buffer, size);
    return Deliver(def, buffer, size);
  }
  std::vector<std::string> sections, keys;
  bool in_section = false;
  std::istringstream lines(contents);
  std::string raw;
  while (std::getline(lines, raw)) {
    std::string_view line = Trim(raw);
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      size_t close = cp932::Find(line, ']');
      std::string_view name =
          Trim(line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
      // Only the first section of the name is searched, as Windows does.
      if (in_section) break;
      sections.emplace_back(name);
      in_section = section && cp932::EqualNoCase(name, section);
      continue;
    }
    if (!in_section) continue;
    size_t eq = cp932::Find(line, '=');
    std::string_view name = Trim(line.substr(0, eq));
    if (!key) {
      keys.emplace_back(name);
      continue;
    }
    if (!cp932::EqualNoCase(name, key)) continue;
    std::string_view value = eq == std::string_view::npos ? std::string_view() : Trim(line.substr(eq + 1));
    return Deliver(Unquote(value), buffer, size);
  }
  if (!section) return DeliverList(sections, buffer, size);
  if (!key) return DeliverList(keys, buffer, size);
  return Deliver(def, buffer, size);
}

}  // namespace win
