#include "export/output_paths.h"

#include <cstring>

#include "platform/cp932.h"

OutputPaths::OutputPaths(const char* output_path, const char* error_log_name) {
  size_t n = output_path == nullptr ? 0 : cp932::FieldLength(output_path, kPathBufferSize);
  if (n >= kPathBufferSize) {
    derivation_ = pathname::SiblingResult::kTooLong;
    return;
  }
  char* data = paths_[kAssetDataFile];
  if (n > 0) std::memcpy(data, output_path, n);
  derivation_ = pathname::SiblingResult::kOk;
  for (OutputKind kind : {kErrorLogFile, kTypeFile}) {
    const char* name = kind == kErrorLogFile ? error_log_name : kAssetTypeFileName;
    pathname::SiblingResult result = pathname::SiblingPath(data, name, paths_[kind], kPathBufferSize);
    if (derivation_ == pathname::SiblingResult::kOk) derivation_ = result;
  }
}

const char* OutputPaths::Path(int kind) const { return kind >= 0 && kind < kOutputKinds ? paths_[kind] : ""; }

const char* OutputPaths::Shown(int kind) const {
  const char* path = Path(kind);
  return path[0] != '\0' ? path : paths_[kAssetDataFile];
}
