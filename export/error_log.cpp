// The error log: one entry per remark, written through the header-line
// accessor, each cut at 152 bytes on a character boundary and ended by CR LF.
#include <cstdarg>
#include <cstdio>

#include "export/asset_exporter.h"

int AssetExporter::WriteErrorLog(const char* text) {
  writer_.Remark(text);
  return 1;
}

void AssetExporter::Remarkf(const char* format, ...) {
  char text[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  WriteErrorLog(text);
}
