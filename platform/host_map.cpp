// The drive map and the network shares: how Windows paths reach host files.
#include "platform/host_map.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/cp932.h"
#include "platform/win.h"

namespace win {
namespace {

struct Maps {
  bool loaded = false;
  DriveEntry drives[26];
  std::vector<ShareEntry> shares;
  std::vector<std::string> problems;  // malformed entries, one line each
};

Maps& TheMaps() {
  static Maps maps;
  return maps;
}

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

const ShareEntry* FindIn(const std::vector<ShareEntry>& shares, std::string_view server,
                         std::string_view share) {
  for (const ShareEntry& s : shares)
    if (cp932::EqualNoCase(s.server, server) && cp932::EqualNoCase(s.share, share)) return &s;
  return nullptr;
}

std::vector<std::string> SplitList(const std::string& text) {
  std::vector<std::string> out;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(';', start);
    if (end == std::string::npos) end = text.size();
    if (end > start) out.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return out;
}

// A host folder as given, without a trailing "/" unless it is "/" itself.
std::string TrimHostDir(std::string dir) {
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  return dir;
}

int DriveTypeByName(const std::string& name) {
  static const char* const kNames[] = {"unknown", "noroot", "removable", "fixed",
                                       "remote",  "cdrom",  "ramdisk"};
  for (int i = 0; i < 7; ++i)
    if (cp932::EqualNoCase(name, kNames[i])) return i;
  if (name.size() == 1 && name[0] >= '0' && name[0] <= '6') return name[0] - '0';
  return -1;
}

// An entry as a message shows it: a long one is cut (on a UTF-8 character
// boundary) and marked, so that the message stays one readable line.
std::string Shown(const std::string& entry) {
  if (entry.size() <= 80) return entry;
  size_t n = 60;
  while (n > 0 && (static_cast<unsigned char>(entry[n]) & 0xC0) == 0x80) --n;
  return entry.substr(0, n) + "...(" + std::to_string(entry.size()) + " bytes)";
}

// A variable's value; an empty one counts as unset.
const char* Variable(const char* name, const char* unset) {
  const char* value = std::getenv(name);
  return value && value[0] ? value : unset;
}

// "L:TYPE=/host/dir"; false with the reason when the entry is malformed.
bool ParseDrive(const std::string& entry, char* letter, DriveEntry* d, std::string* why) {
  size_t eq = entry.find('=');
  *letter = entry.empty() ? 0 : Upper(entry[0]);
  if (entry.size() < 3 || entry[1] != ':' || eq == std::string::npos || *letter < 'A' || *letter > 'Z') {
    *why = "is not L:TYPE=/host/dir";
    return false;
  }
  d->type = DriveTypeByName(entry.substr(2, eq - 2));
  if (d->type < 0) {
    *why = "has no drive type of unknown, noroot, removable, fixed, remote, cdrom, ramdisk or 0 to 6";
    return false;
  }
  d->host = TrimHostDir(entry.substr(eq + 1));
  // A relative folder would move with the current directory.
  if (!d->host.empty() && d->host[0] != '/') {
    *why = "has a host folder that does not start with /";
    return false;
  }
  d->mapped = true;
  return true;
}

// "server/share=/host/dir"; false with the reason when the entry is malformed.
bool ParseShare(const std::string& entry, ShareEntry* s, std::string* why) {
  size_t eq = entry.find('=');
  size_t slash = entry.find('/');
  if (eq == std::string::npos || slash == std::string::npos || slash == 0 || slash + 1 >= eq) {
    *why = "is not server/share=/host/dir";
    return false;
  }
  s->server = cp932::FromUtf8(entry.substr(0, slash));
  s->share = cp932::FromUtf8(entry.substr(slash + 1, eq - slash - 1));
  s->host = TrimHostDir(entry.substr(eq + 1));
  // "\\server\share\" starts every path of the share: a root that leaves no
  // room in a Windows path (259 bytes) could name no file at all.
  size_t root = 4 + s->server.size() + s->share.size();
  if (root >= 259) {
    *why = "names a share too long for a Windows path (\\\\server\\share\\ is " + std::to_string(root) +
           " bytes; a path holds 259)";
    return false;
  }
  if (s->host.empty() || s->host[0] != '/') {
    *why = "has a host folder that does not start with /";
    return false;
  }
  return true;
}

// Malformed entries are left out of the map and said in maps.problems.
void Load(Maps& maps) {
  for (auto& d : maps.drives) d = DriveEntry();
  maps.shares.clear();
  maps.problems.clear();
  auto complain = [&](const char* variable, const std::string& entry, const std::string& why) {
    maps.problems.push_back(std::string(variable) + ": the entry \"" + Shown(entry) + "\" " + why);
  };
  for (const std::string& entry : SplitList(Variable("ZEL_DRIVES", "Z:fixed=/"))) {
    char letter = 0;
    DriveEntry d;
    std::string why;
    if (!ParseDrive(entry, &letter, &d, &why))
      complain("ZEL_DRIVES", entry, why);
    else if (maps.drives[letter - 'A'].mapped)
      complain("ZEL_DRIVES", entry, std::string("maps drive ") + letter + ": a second time");
    else
      maps.drives[letter - 'A'] = d;
  }
  for (const std::string& entry : SplitList(Variable("ZEL_SHARES", ""))) {
    ShareEntry s;
    std::string why;
    if (!ParseShare(entry, &s, &why))
      complain("ZEL_SHARES", entry, why);
    else if (FindIn(maps.shares, s.server, s.share))
      complain("ZEL_SHARES", entry, "lists its share a second time");
    else
      maps.shares.push_back(s);
  }
  maps.loaded = true;
}

Maps& Loaded() {
  Maps& maps = TheMaps();
  if (!maps.loaded) Load(maps);
  return maps;
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Splits a CP932 path into its names at "\" and "/" (a trail byte is never
// taken for one); empty names are dropped.
std::vector<std::string> SplitNames(std::string_view path) {
  std::vector<std::string> names;
  std::string current;
  for (size_t i = 0; i < path.size(); i += cp932::CharLength(path, i)) {
    size_t n = cp932::CharLength(path, i);
    if (n == 1 && IsSeparator(path[i])) {
      if (!current.empty()) names.push_back(current);
      current.clear();
    } else {
      current.append(path.substr(i, n));
    }
  }
  if (!current.empty()) names.push_back(current);
  return names;
}

// Host path of names below a host root; "." and ".." are resolved so that a
// path never climbs above its root, as Windows treats them.
std::string JoinBelowRoot(const std::string& root, std::string_view rest) {
  std::vector<std::string> kept;
  for (const std::string& name : SplitNames(rest)) {
    if (name == ".") continue;
    if (name == "..") {
      if (!kept.empty()) kept.pop_back();
      continue;
    }
    kept.push_back(cp932::ToUtf8(name));
  }
  std::string host = root;
  for (const std::string& name : kept) {
    if (host.empty() || host.back() != '/') host += '/';
    host += name;
  }
  if (host.empty()) host = "/";
  return host;
}

std::string HostCurrentDirectory() {
  char buffer[4096];
  if (!getcwd(buffer, sizeof(buffer))) return "/";
  return buffer;
}

}  // namespace

void ReloadMappings() { TheMaps().loaded = false; }

std::filesystem::path HostFsPath(const std::string& host) { return std::filesystem::path(host); }
std::string HostPathString(const std::filesystem::path& path) { return path.string(); }

bool CreateNewHostFile(const std::string& host) {
  int fd = ::open(host.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

const DriveEntry* FindDrive(char letter) {
  letter = Upper(letter);
  if (letter < 'A' || letter > 'Z') return nullptr;
  const DriveEntry& d = Loaded().drives[letter - 'A'];
  return d.mapped ? &d : nullptr;
}

bool OnCdrom(const char* path) {
  if (!path || !path[0] || path[1] != ':') return false;
  const DriveEntry* d = FindDrive(path[0]);
  return d && d->type == DRIVE_CDROM;
}

const ShareEntry* FindShare(std::string_view server, std::string_view share) {
  return FindIn(Loaded().shares, server, share);
}

std::vector<std::string> HostMapProblems() {
  std::vector<std::string> problems = Loaded().problems;
  char exe[4096];
  ssize_t n = ::readlink("/proc/self/exe", exe, sizeof(exe) - 1);
  if (n > 0) {
    std::string folder(exe, static_cast<size_t>(n));
    folder.erase(folder.rfind('/') + 1);
    if (folder.size() > 1) folder.pop_back();
    if (FromHostPath(folder).empty())
      problems.push_back("the program's folder " + folder +
                         " is on no drive of ZEL_DRIVES and no share of ZEL_SHARES");
  }
  return problems;
}

std::vector<std::string> HostMapWarnings() {
  std::vector<std::string> warnings;
  auto check = [&](const std::string& host, const std::string& name) {
    struct stat st;
    if (!host.empty() && (::stat(host.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)))
      warnings.push_back(name + " stands for " + host +
                         ", which is no folder here: paths on it are refused until it exists");
  };
  const Maps& maps = Loaded();
  for (int i = 0; i < 26; ++i)
    if (maps.drives[i].mapped && maps.drives[i].type != DRIVE_NO_ROOT_DIR)
      check(maps.drives[i].host, std::string("ZEL_DRIVES: drive ") + char('A' + i) + ":");
  for (const ShareEntry& s : maps.shares)
    check(s.host, "ZEL_SHARES: share " + cp932::ToUtf8(s.server + "/" + s.share));
  return warnings;
}

std::string HostPathHint(const char* path) {
  if (path == nullptr || path[0] != '/') return std::string();
  std::string host = cp932::ToUtf8(path);
  std::string windows = FromHostPath(host);
  std::string hint =
      host + " is a path of this computer; the program takes Windows paths on the drives of ZEL_DRIVES";
  if (windows.empty()) return hint + ", and none of them holds it: map a drive to its folder";
  return hint + ": type " + cp932::ToUtf8(windows);
}

bool ParseUnc(std::string_view path, std::string_view* server, std::string_view* share,
              std::string_view* rest) {
  if (path.size() < 2 || path[0] != '\\' || path[1] != '\\') return false;
  std::string_view body = path.substr(2);
  size_t end_server = cp932::Find(body, '\\');
  if (end_server == std::string_view::npos) {
    *server = body;
    *share = {};
    *rest = {};
    return true;
  }
  *server = body.substr(0, end_server);
  std::string_view after = body.substr(end_server + 1);
  size_t end_share = cp932::Find(after, '\\');
  *share = after.substr(0, end_share);
  *rest = end_share == std::string_view::npos ? std::string_view() : after.substr(end_share);
  return true;
}

bool ToHostPath(const char* path, std::string* host) {
  if (!path || !host) return false;
  std::string_view p(path);
  if (p.empty()) return false;
  std::string_view server, share, rest;
  if (ParseUnc(p, &server, &share, &rest)) {
    if (server.empty() || share.empty()) return false;
    const ShareEntry* s = FindShare(server, share);
    if (!s || s->host.empty()) return false;
    *host = JoinBelowRoot(s->host, rest);
    return true;
  }
  if (p.size() >= 2 && p[1] == ':') {
    const DriveEntry* d = FindDrive(p[0]);
    if (!d || d->type == DRIVE_NO_ROOT_DIR || d->host.empty()) return false;
    std::string_view below = p.substr(2);
    if (below.empty() || !IsSeparator(below[0])) {
      // "C:name": relative to the current directory when it is on that
      // drive, else to the drive's root (we keep no per-drive directories).
      std::string cwd = FromHostPath(HostCurrentDirectory());
      if (!cwd.empty() && Upper(cwd[0]) == Upper(p[0])) {
        std::string full = cwd + "\\" + std::string(below);
        return ToHostPath(full.c_str(), host);
      }
    }
    *host = JoinBelowRoot(d->host, below);
    return true;
  }
  if (IsSeparator(p[0])) {
    // "\name": the root of the current directory's drive or share.
    std::string cwd = FromHostPath(HostCurrentDirectory());
    if (cwd.empty()) return false;
    std::string root;
    if (ParseUnc(cwd, &server, &share, &rest))
      root = "\\\\" + std::string(server) + "\\" + std::string(share);
    else
      root = cwd.substr(0, 2);
    return ToHostPath((root + std::string(p)).c_str(), host);
  }
  // A relative name: below the process's current directory, resolved as a
  // full Windows path so that ".." stops at the root as on Windows.
  std::string cwd = FromHostPath(HostCurrentDirectory());
  if (!cwd.empty()) return ToHostPath((cwd + "\\" + std::string(p)).c_str(), host);
  std::string base = HostCurrentDirectory();
  for (const std::string& name : SplitNames(p)) {
    if (base.back() != '/') base += '/';
    base += cp932::ToUtf8(name);
  }
  *host = base;
  return true;
}

std::string FromHostPath(const std::string& host) {
  if (host.empty() || host[0] != '/') return std::string();
  const std::string* best_root = nullptr;
  std::string prefix;
  auto consider = [&](const std::string& root, const std::string& windows_root) {
    if (root.empty()) return;
    bool inside =
        root == "/" || host == root || (host.compare(0, root.size(), root) == 0 && host[root.size()] == '/');
    if (inside && (!best_root || root.size() > best_root->size())) {
      best_root = &root;
      prefix = windows_root;
    }
  };
  Maps& maps = Loaded();
  for (int i = 0; i < 26; ++i) {
    const DriveEntry& d = maps.drives[i];
    if (d.mapped && d.type != DRIVE_NO_ROOT_DIR)
      consider(d.host, std::string(1, static_cast<char>('A' + i)) + ":\\");
  }
  for (const ShareEntry& s : maps.shares) consider(s.host, "\\\\" + s.server + "\\" + s.share + "\\");
  if (!best_root) return std::string();
  std::string rest = host.substr(best_root->size() == 1 ? 1 : best_root->size());
  while (!rest.empty() && rest[0] == '/') rest.erase(0, 1);
  for (char& c : rest)
    if (c == '/') c = '\\';
  return prefix + cp932::FromUtf8(rest);
}

}  // namespace win
