#include "verify/record_reader.h"

#include <algorithm>

namespace verify {

namespace {

constexpr long kFieldsPerRead = 100;  // what one Read takes
constexpr size_t kLineMax = 1023;     // the reading side's line buffer, less its terminator

std::vector<StTAFORMAT> CopyTable(const StTAFORMAT* table, long count, bool keep_required) {
  std::vector<StTAFORMAT> copy(table, table + count);
  if (!keep_required) {
    for (StTAFORMAT& f : copy) f.required = 0;
  }
  return copy;
}

size_t RecordSize(const std::vector<StTAFORMAT>& table) {
  size_t size = 0;
  for (const StTAFORMAT& f : table)
    size = std::max(size, static_cast<size_t>(f.offset) + static_cast<size_t>(f.size));
  return size;
}

char kName[] = "VERIFY";

}  // namespace

RecordReader::RecordReader(const StTAFORMAT* table, long count, bool keep_required)
    : table_(CopyTable(table, count, keep_required)),
      record_(RecordSize(table_) + 1),
      order_(static_cast<size_t>(count)),
      stream_(&span_),
      accessor_(kName, table_.data(), count, record_.data()) {
  for (long i = 0; i < count; ++i) order_[static_cast<size_t>(i)].column = static_cast<int32_t>(i);
  line_.reserve(kLineMax + 1);
  accessor_.Attach(&stream_);
  accessor_.SetMode(ClTextAccessor::DELIM_COMMA, ClTextAccessor::QUOTE_NONE);
  accessor_.SetSpaceFlag(1);
  accessor_.SetSelectFlag(0);
}

long RecordReader::Read(std::string_view line) {
  if (line.size() > kLineMax) return 2;
  const long count = static_cast<long>(order_.size());
  const long parts = std::max(1L, (count + kFieldsPerRead - 1) / kFieldsPerRead);
  line_.assign(line.begin(), line.end());
  line_.push_back('\n');
  // End each part of 100 fields with an LF in place of the comma after it.
  long commas = 0;
  for (char& c : line_) {
    if (c == ',' && ++commas % kFieldsPerRead == 0 && commas / kFieldsPerRead < parts) c = '\n';
  }
  span_.Set(line_.data(), line_.data() + line_.size());
  for (long part = 0; part < parts; ++part) {
    const long first = part * kFieldsPerRead;
    accessor_.SetOrder(order_.data() + first, std::min(kFieldsPerRead, count - first));
    const long result = accessor_.Read();
    // The end of the stream before a part means the line ended early.
    if (result != 0) return result == 1 ? 2 : result;
  }
  return 0;
}

}  // namespace verify
