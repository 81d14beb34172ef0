// zelpkg's CSV reader, which imports users' files: the input's first byte
// picks the encoding asked for (auto, UTF-8, CP932) and a small piece size,
// the rest is the file, read record by record to its end, and read again in
// the small pieces to the same records.
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/support.h"
#include "zelpkg/csv.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const package::Encoding encodings[] = {package::Encoding::kAuto, package::Encoding::kUtf8,
                                         package::Encoding::kCp932};
  const package::Encoding encoding = encodings[data[0] % 3];
  const size_t piece = 1 + data[0] / 3 % 13;
  ++data;
  --size;
  fuzz::ClearScratch();
  const std::string file = fuzz::ScratchDir() + "/import.csv";
  fuzz::WriteFile(file, std::string_view(reinterpret_cast<const char*>(data), size));
  package::CsvReader reader, small(piece);
  std::string why, small_why;
  long bad_line = 0, small_bad_line = 0;
  const bool opened = reader.Open(file, encoding, &why, &bad_line);
  fuzz::Check(small.Open(file, encoding, &small_why, &small_bad_line) == opened && small_why == why &&
                  small_bad_line == bad_line,
              "a file is refused alike in any pieces");
  if (!opened) {
    // A file that is not in the encoding is refused in one line.
    fuzz::Check(!why.empty() && why.find('\n') == std::string::npos, "a refusal is one line");
    return 0;
  }
  std::vector<std::string> fields, small_fields;
  long line = 0, last = 0, small_line = 0;
  size_t bytes = 0, records = 0;
  for (why.clear(); reader.Next(&fields, &line, &why); why.clear()) {
    fuzz::Check(line > last, "records start on later lines");
    fuzz::Check(!fields.empty() || !why.empty(), "a record has a field");
    last = line;
    fuzz::Check(small.Next(&small_fields, &small_line, &small_why) && small_fields == fields &&
                    small_line == line && small_why == why,
                "a record is the same in any pieces");
    for (const std::string& f : fields) bytes += f.size();
    // As UTF-8, a byte of the file (a half-width kana) takes at most three.
    fuzz::Check(bytes <= 3 * size, "fields hold no more than the file");
    fuzz::Check(++records <= size + 1, "every record takes a byte of the file");
  }
  fuzz::Check(!small.Next(&small_fields, &small_line, &small_why), "the pieces end with the file");
  return 0;
}
