// The files of an export: the asset data file that the user chose and,
// beside it, the asset type file "syurui.SSC" and the program's error log.
// OutputPaths derives the three paths once from the chosen path: the dialog
// refuses a path that gives no sound result, run control hands the same
// value to the exporter and names the files from it in its end report.
#pragma once

#include <cstdint>

#include "platform/sibling_path.h"
#include "platform/wintypes.h"

// The asset type file's name, the same for every program.
inline constexpr char kAssetTypeFileName[] = "syurui.SSC";

// The output files, numbered as the exporter's OpenOutput and CloseOutput
// take them.
enum OutputKind : int16_t { kAssetDataFile = 0, kTypeFile = 1, kErrorLogFile = 2, kOutputKinds = 3 };

// Each path is a Windows path in CP932, at most 260 bytes: the text that
// messages show is also what the file layer (OutputWriter, the win:: calls)
// opens, since that layer maps Windows paths to the host itself. A path is
// never cut into another file's name: one without a sound form stays empty,
// and nothing is written to it.
class OutputPaths {
 public:
  // No files: every path is empty.
  OutputPaths() = default;
  // The asset data file output_path and its two siblings; error_log_name is
  // the program's error log. An output path over 260 bytes leaves all three
  // empty (kTooLong).
  OutputPaths(const char* output_path, const char* error_log_name);

  // kOk when all three paths are sound; otherwise why the first that is not
  // (the error log, then the asset type file) has none: the output path has
  // no "\", a path would exceed 260 bytes, or the sibling would be the asset
  // data file itself.
  pathname::SiblingResult Derivation() const { return derivation_; }
  // The path of file kind; empty when it has no sound form or kind names no
  // file.
  const char* Path(int kind) const;
  // The path that a message names for file kind: its own, or the asset data
  // file's when it has none (the file the user asked for).
  const char* Shown(int kind) const;

 private:
  char paths_[kOutputKinds][kPathBufferSize] = {};
  pathname::SiblingResult derivation_ = pathname::SiblingResult::kNoFolder;
};
