// Windows paths and the drive map: ZEL_DRIVES and ZEL_SHARES from the input,
// and Windows paths through the platform's path functions and the dialog's
// path checks. Folders are created and removed only under a fixed map whose
// every root lies in the scratch folder, and every path that this map lets
// through must stay inside it.
//
// Input: line 1 ZEL_DRIVES, line 2 ZEL_SHARES, then up to eight paths (CP932
// bytes), one a line.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "dialog/PathChecks.h"
#include "fuzz/support.h"
#include "platform/win.h"

namespace {

const char* const kBases[] = {"s", "r", "t", "u", "z", "share", "ro"};

// A heap copy of exactly the text and its terminator, plus extra bytes, so
// that a write past them is caught.
std::unique_ptr<char[]> Copy(const std::string& text, size_t extra = 0) {
  std::unique_ptr<char[]> copy(new char[text.size() + 1 + extra]);
  std::memcpy(copy.get(), text.c_str(), text.size() + 1);
  return copy;
}

bool Inside(const std::string& host) {
  const std::string& root = fuzz::ScratchDir();
  if (host.compare(0, root.size(), root) != 0) return false;
  if (host.size() > root.size() && host[root.size()] != '/') return false;
  std::string_view rest = std::string_view(host).substr(root.size());
  return rest.find("/../") == std::string_view::npos &&
         !(rest.size() >= 3 && rest.substr(rest.size() - 3) == "/..");
}

// Fresh base folders under the scratch folder, the fixed map over them, and
// the current directory on drive S:.
void UseScratchMap() {
  const std::string& root = fuzz::ScratchDir();
  fuzz::ClearScratch();
  for (const char* base : kBases) mkdir((root + "/" + base).c_str(), 0755);
  chmod((root + "/ro").c_str(), 0555);
  std::string drives = "S:fixed=" + root + "/s;R:removable=" + root + "/r;T:cdrom=" + root +
                       "/t;U:ramdisk=" + root + "/u;Z:unknown=" + root + "/z;N:noroot=";
  std::string shares = "srv/share=" + root + "/share;srv/ro=" + root + "/ro";
  setenv("ZEL_DRIVES", drives.c_str(), 1);
  setenv("ZEL_SHARES", shares.c_str(), 1);
  win::ReloadMappings();
  fuzz::Check(chdir((root + "/s").c_str()) == 0, "the scratch drive is the current directory");
}

// The calls that only look: the path functions and the dialog's checks.
void Look(const std::string& path) {
  const char* p = path.c_str();
  const size_t len = std::strlen(p);
  std::string host;
  if (win::ToHostPath(p, &host)) win::FromHostPath(host);
  win::FromHostPath(path);
  fuzz::Check(win::GetDriveTypeA(p) <= DRIVE_RAMDISK, "a drive type is one of seven");

  const char* after_root = win::PathSkipRootA(p);
  fuzz::Check(after_root == nullptr || (after_root >= p && after_root <= p + len),
              "the root is inside the path");
  auto root = Copy(path);
  win::PathStripToRootA(root.get());
  fuzz::Check(std::strncmp(root.get(), p, std::strlen(root.get())) == 0, "the root is a prefix of the path");

  // The parts are as large as the C runtime's; a path that fits them is
  // split without losing or adding a byte.
  std::unique_ptr<char[]> drive(new char[3]), dir(new char[256]), fname(new char[256]), ext(new char[256]);
  win::_splitpath(p, drive.get(), dir.get(), fname.get(), ext.get());
  if (len < 256) {
    std::string joined = std::string(drive.get()) + dir.get() + fname.get() + ext.get();
    fuzz::Check(joined == std::string_view(p, len), "the split parts make the path");
  }

  outpath::HasValidCharacters(p);
  outpath::IsValidDrive(p);
  outpath::IsUsableDrive(p[0], 6);
  outpath::FolderExists(p);
  fuzz::Check(outpath::FolderPartLength(p) <= len, "the folder part is inside the path");
  fuzz::Check(outpath::FilePart(p) == p + outpath::FolderPartLength(p),
              "the file part follows the folder part");
  for (size_t capacity : {len + 1, len + 2}) {
    auto closed = Copy(path, capacity - len - 1);
    if (outpath::AddBackslash(closed.get(), capacity))
      fuzz::Check(std::strlen(closed.get()) < capacity && closed.get()[std::strlen(closed.get()) - 1] == '\\',
                  "a closed text ends with a backslash");
  }
  auto folder = Copy(path);
  outpath::ToFolderPath(folder.get());
  fuzz::Check(std::strlen(folder.get()) <= len, "the folder path is no longer than the path");
  if (len > 0) outpath::IsDoubleByteAt(p, len - 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // libFuzzer reads its corpus by relative names: the current directory
  // moves to drive S: for one input only.
  static const std::string start = std::filesystem::current_path().string();
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::string drives(fuzz::NextLine(&input));
  std::string shares(fuzz::NextLine(&input));
  std::string paths[8];
  int count = 0;
  while (!input.empty() && count < 8) paths[count++] = std::string(fuzz::NextLine(&input));

  // The map from the input: only calls that look.
  UseScratchMap();
  setenv("ZEL_DRIVES", drives.c_str(), 1);
  setenv("ZEL_SHARES", shares.c_str(), 1);
  win::ReloadMappings();
  win::GetDriveTypeA(nullptr);
  for (int i = 0; i < count; ++i) Look(paths[i]);

  // The scratch map: every reachable path is inside the scratch folder, its
  // Windows form leads back to it, and folders may be made and removed.
  UseScratchMap();
  for (int i = 0; i < count; ++i) {
    const char* p = paths[i].c_str();
    Look(paths[i]);
    std::string host;
    if (win::ToHostPath(p, &host)) {
      fuzz::Check(Inside(host), "a mapped path stays inside its root");
      std::string back;
      fuzz::Check(win::ToHostPath(win::FromHostPath(host).c_str(), &back) && back == host,
                  "the Windows form of a host path leads back to it");
    }
    if (outpath::CreateFolderTree(p)) fuzz::Check(outpath::FolderExists(p), "a created folder tree exists");
    outpath::RemoveCreatedFolders(p, i + 1 < count ? paths[i + 1].c_str() : nullptr);
  }
  fuzz::Check(chdir(start.c_str()) == 0, "back to the first current directory");
  return 0;
}
