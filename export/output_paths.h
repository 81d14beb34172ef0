// The files written beside the asset data file: the asset type file
// "syurui.SSC" and the program's error log, whose name each program hands
// to the exporter. The exporter derives their paths here, and run control
// names the same files in its end report through the exporter. (The dialog
// refuses the output paths that have no sound result with the same sibling
// rule, platform/sibling_path.h.)
#pragma once

#include "platform/wintypes.h"

// The asset type file's name, the same for every program.
inline constexpr char kAssetTypeFileName[] = "syurui.SSC";

// Derives the path of the file named file_name in output_path's folder into
// out (kPathBufferSize bytes). Returns false, with out empty, when there is
// no sound result: the output path has no "\", the derived path would
// exceed 260 bytes, or it would name the asset data file itself. Nothing
// may be written to a file whose derivation failed.
bool DeriveOutputPath(const char* output_path, const char* file_name, char* out);
