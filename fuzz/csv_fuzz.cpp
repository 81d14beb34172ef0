// zelpkg's CSV reader, which imports users' files: the input is the file,
// read record by record to its end.
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/support.h"
#include "zelpkg/csv.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::ClearScratch();
  const std::string file = fuzz::ScratchDir() + "/import.csv";
  fuzz::WriteFile(file, std::string_view(reinterpret_cast<const char*>(data), size));
  package::CsvReader reader;
  std::string why;
  fuzz::Check(reader.Open(file, &why), "a file in the scratch folder can be opened");
  std::vector<std::string> fields;
  long line = 0, last = 0;
  size_t bytes = 0, records = 0;
  for (why.clear(); reader.Next(&fields, &line, &why); why.clear()) {
    fuzz::Check(line > last, "records start on later lines");
    fuzz::Check(!fields.empty() || !why.empty(), "a record has a field");
    last = line;
    for (const std::string& f : fields) bytes += f.size();
    fuzz::Check(bytes <= size, "fields hold no more than the file");
    fuzz::Check(++records <= size + 1, "every record takes a byte of the file");
  }
  return 0;
}
