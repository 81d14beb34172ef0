// Inside the platform layer: the drive map (ZEL_DRIVES) and the network
// shares (ZEL_SHARES) as parsed, for the calls that need more than
// win::ToHostPath (drive types, share roots).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace win {

struct DriveEntry {
  bool mapped = false;
  int type = 1;      // what GetDriveTypeA returns
  std::string host;  // host folder of the root; empty for a drive without one
};

struct ShareEntry {
  std::string server;  // CP932
  std::string share;   // CP932
  std::string host;
};

// The mapped drive of a letter (either case), or null when it is not mapped.
const DriveEntry* FindDrive(char letter);
// True when path is on a mapped CD-ROM drive: nothing is made, changed or
// removed there, whatever the host folder allows.
bool OnCdrom(const char* path);
// The listed share (names compared without regard to case), or null.
const ShareEntry* FindShare(std::string_view server, std::string_view share);
// What keeps the map from serving the program, one line each (UTF-8): every
// malformed ZEL_DRIVES or ZEL_SHARES entry, named (such an entry is left out
// of the map), a letter or share listed twice, and the program's own folder
// on no mapped drive or share. Empty when the map is sound. An empty
// ZEL_DRIVES counts as unset.
std::vector<std::string> HostMapProblems();
// What the map serves only in part, one line each (UTF-8): every drive or
// share whose host folder does not exist (or is no folder), which paths on
// it would meet only when the dialog checks them.
std::vector<std::string> HostMapWarnings();
// Splits "\\server\share\rest" (rest keeps its leading "\"); false when the
// path does not start with two backslashes. A missing share is empty.
bool ParseUnc(std::string_view path, std::string_view* server, std::string_view* share,
              std::string_view* rest);

}  // namespace win
