// The rows of a batch's summary: one per data set, as summary.csv holds
// them (CP932 text, CSV) and as the workers hand them to the batch.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace batch {

struct Row {
  std::string data_id;  // CP932
  std::string data_no;  // empty for a named data set that the store lacks
  std::string company;  // CP932, on one line
  std::string period;   // "2019/04/01～2020/03/31"
  long assets = 0;
  long rows = 0;  // lines of the asset data file after its header
  long errors = 0, warnings = 0;
  long problems = -1;  // zelverify's problems in the asset data file; -1: not counted
  std::string status;  // ok, remarks, failed, skipped
  double seconds = 0;
  std::string fingerprint;  // of the data set's store data; empty when not read
  std::string reason;       // why it failed or was skipped (CP932)
};

// The header line of summary.csv, without its line end.
const char* SummaryHeader();
// One row as a CSV line, without its line end.
std::string FormatRow(const Row& row);
// Reads a line made by FormatRow; false when it is not one.
bool ParseRow(std::string_view line, Row* row);
// The rows of a summary's text (header first); lines that are not rows are
// passed over.
std::vector<Row> ParseSummary(std::string_view text);

// A 64-bit FNV-1a hash, fed piece by piece.
class Fingerprint {
 public:
  void Add(const void* data, size_t size);
  std::string Hex() const;

 private:
  uint64_t hash_ = 14695981039346656037ull;
};

}  // namespace batch
