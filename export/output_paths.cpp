#include "export/output_paths.h"

#include "platform/sibling_path.h"

bool DeriveOutputPath(const char* output_path, const char* file_name, char* out) {
  out[0] = '\0';
  if (output_path == nullptr) return false;
  return pathname::SiblingPath(output_path, file_name, out, kPathBufferSize) == pathname::SiblingResult::kOk;
}
