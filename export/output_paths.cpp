#include "export/output_paths.h"

#include "app/build_constants.h"
#include "platform/sibling_path.h"

bool DeriveOutputPath(DerivedFile file, const char* output_path, char* out) {
  out[0] = '\0';
  if (output_path == nullptr) return false;
  const char* name = file == DerivedFile::kTypeFile ? "syurui.SSC" : build::kErrorLogName;
  return pathname::SiblingPath(output_path, name, out, kPathBufferSize) == pathname::SiblingResult::kOk;
}

bool OutputPathHasSoundSiblings(const char* output_path) {
  char derived[kPathBufferSize];
  return DeriveOutputPath(DerivedFile::kTypeFile, output_path, derived) &&
         DeriveOutputPath(DerivedFile::kErrorLog, output_path, derived);
}
