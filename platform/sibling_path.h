// Paths of files that live beside another file: the folder part of a path
// (up to and including its last "\", double-byte aware) followed by a name.
// The export derives its error log and asset type file this way, and the
// dialog refuses output paths for which the derivation has no sound result.
#pragma once

#include <cstddef>

namespace pathname {

enum class SiblingResult {
  kOk,
  kNoFolder,    // the path holds no "\": the sibling would be the file itself
  kTooLong,     // the sibling would exceed 260 bytes
  kSameAsFile,  // the sibling names the file itself (same name, any case)
};

// Length of the folder part of path: up to and including its last "\" (a
// trail byte of that value does not count), 0 when it has none.
size_t FolderPartLength(const char* path);

// Writes folder part of path + name into out (capacity out_size, at least
// kPathBufferSize). On any result but kOk, out holds the empty text.
SiblingResult SiblingPath(const char* path, const char* name, char* out, size_t out_size);

}  // namespace pathname
