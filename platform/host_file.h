// Files on the host: one file put in place of another in one step, and
// whether two host paths name one file. The win:: layer's MoveFileExA and
// PathIsSameFileA, and the tools that write files whole, go through here.
//
// Paths are host paths (the platform layer maps Windows paths to them).
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace hostfile {

// Gives the file temp the name path in one step, replacing whatever is
// there: temp's data reaches the disk first, a file that is replaced hands
// its permissions on to temp, and the folder entry is made durable after
// the rename. false on failure, with temp left in place for the caller to
// remove.
bool Replace(const std::string& temp, const std::string& path);

// True when the two paths name one file however they are spelled (another
// case on a host that folds case, "..", a symbolic or hard link, another root
// mapped to the same folder): the same device and inode. A file that does not
// exist yet is the same as another only when both are the same name in the
// same folder, which is where either would be created.
bool SameFile(const std::string& a, const std::string& b);

// Writes content to a new temporary file beside path and replaces path with
// it (Replace above), for the tools that write their files whole. A file
// that did not exist yet gets the permissions that creating it directly
// would give. On failure the previous file, if any, stays as it was and no
// temporary file is left behind.
bool WriteWhole(const std::string& path, std::string_view content);

// std::fopen by host path; on Windows through the wide API, so that a name
// outside the ANSI code page opens too.
std::FILE* OpenFile(const std::string& path, const char* mode);

}  // namespace hostfile
