// The files written beside the asset data file: the asset type file
// "syurui.SSC" and the program's error log. The exporter derives their paths
// here, and run control names the same files in its end report through the
// exporter. (The dialog refuses the output paths that have no sound result
// with the same sibling rule, platform/sibling_path.h.)
#pragma once

#include <cstddef>

// Buffer size of every path: 260 bytes and the terminator.
constexpr size_t kPathBufferSize = 261;

enum class DerivedFile {
  kTypeFile,  // the output path's folder followed by "syurui.SSC"
  kErrorLog,  // the output path's folder followed by the program's log name
};

// Derives the path into out (kPathBufferSize bytes). Returns false, with out
// empty, when there is no sound result: the output path has no "\", the
// derived path would exceed 260 bytes, or it would name the asset data file
// itself. Nothing may be written to a file whose derivation failed.
bool DeriveOutputPath(DerivedFile file, const char* output_path, char* out);

// True when both derivations succeed: an export to output_path can write all
// three files.
bool OutputPathHasSoundSiblings(const char* output_path);
