// zelverify's reading of an export's error log: the input is the log, read
// and then asked for what the asset file's check asks of it.
#include <cstdint>
#include <string>

#include "fuzz/support.h"
#include "verify/error_log.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  fuzz::ClearScratch();
  const std::string file = fuzz::ScratchDir() + "/log.txt";
  fuzz::WriteFile(file, input);
  verify::ErrorLog log;
  log.KeepEntries();
  std::string why;
  fuzz::Check(log.Load(file, &why), "a log in the scratch folder can be read");
  fuzz::Check(log.remarks() == log.errors() + log.warnings(), "remarks are errors and warnings");
  fuzz::Check(log.entries().size() == static_cast<size_t>(log.remarks()), "every remark is kept");
  long last = 0;
  while (const verify::Remark* amount = log.NextAmount()) {
    fuzz::Check(amount->number > last && amount->number <= log.remarks(), "amounts come in log order");
    last = amount->number;
  }
  for (const verify::LogEntry& entry : log.entries()) {
    std::string value = verify::BracketAfter(entry.message, "");
    fuzz::Check(value.size() <= entry.message.size(), "a bracketed value lies inside its message");
    log.NextQuantity(value);
    log.HasDuplicateRemark(value);
  }
  return 0;
}
