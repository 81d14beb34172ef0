// zelverify's check of an asset type file (syurui.SSC): the input is the
// file.
#include <cstdint>
#include <string>

#include "fuzz/support.h"
#include "verify/type_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::ClearScratch();
  const std::string file = fuzz::ScratchDir() + "/syurui.SSC";
  fuzz::WriteFile(file, std::string_view(reinterpret_cast<const char*>(data), size));
  verify::Report report(nullptr);
  verify::CheckedFile checked("syurui.SSC", &report);
  std::string why;
  fuzz::Check(checked.Open(file, &why), "a file in the scratch folder can be opened");
  verify::TypeList types = verify::CheckTypeFile(&checked);
  fuzz::Check(types.codes.size() <= static_cast<size_t>(types.rows), "each listed code comes from a row");
  return 0;
}
