// zelverify's check of an asset data file: the input is the file, checked
// beside an error log and an asset type list made from its first line, so
// that the checks that consult them run too.
//
// Input: line 1 an error log's text (its LFs written as "|"), the rest the
// asset data file.
#include <algorithm>
#include <cstdint>
#include <string>

#include "fuzz/support.h"
#include "verify/asset_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::string log_text(fuzz::NextLine(&input));
  std::replace(log_text.begin(), log_text.end(), '|', '\n');
  fuzz::ClearScratch();
  const std::string file = fuzz::ScratchDir() + "/a.csv", log_file = fuzz::ScratchDir() + "/log.txt";
  fuzz::WriteFile(file, input);
  fuzz::WriteFile(log_file, log_text);

  verify::Report report(nullptr);
  verify::ErrorLog log;
  std::string why;
  fuzz::Check(log.Load(log_file, &why), "a log in the scratch folder can be read");
  verify::TypeList types;
  types.codes = {{"1", "建物"}, {"7", "器具備品"}};
  verify::CheckedFile checked("a.csv", &report);
  fuzz::Check(checked.Open(file, &why), "a file in the scratch folder can be opened");
  verify::AssetSummary summary = verify::CheckAssetFile(&checked, &types, &log, "log.txt");
  fuzz::Check(summary.breakdown_rows >= 0 && summary.breakdown_rows <= summary.rows,
              "breakdown rows are some of the rows");
  return 0;
}
