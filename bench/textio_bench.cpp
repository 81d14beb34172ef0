// Throughput of the text record library: one asset-data-sized row written
// to a file, and a line of about 900 bytes read back, split and stored.
#include <benchmark/benchmark.h>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "platform/test_env.h"
#include "textio/TextFile.h"
#include "textio/textaccessor.h"
#include "textio/textio_test_util.h"

namespace {

using textio_test::Column;

// A table of `columns` columns cycling through a 16-byte string, a currency
// with 0 to 3 decimals and a 4-byte integer, each in 24 record bytes, with
// the record filled.
struct Row {
  std::vector<StTAFORMAT> table;
  std::vector<char> record;
  explicit Row(int columns) : record(static_cast<size_t>(columns) * 24, 0) {
    for (int i = 0; i < columns; ++i) {
      char* at = record.data() + i * 24;
      switch (i % 3) {
        case 0:
          table.push_back(Column("col", 16, 0, i * 24, 17, 0));
          std::strcpy(at, "ABCDEFGHIJKL");
          break;
        case 1: {
          table.push_back(Column("col", 16, i % 4, i * 24, 8, 1));
          int64_t v = -1234567890123LL + i;
          std::memcpy(at, &v, 8);
          break;
        }
        default: {
          table.push_back(Column("col", 11, 0, i * 24, 4, 1));
          int32_t v = 20240331 + i;
          std::memcpy(at, &v, 4);
          break;
        }
      }
    }
  }
};

// Writes the 151-column row of the asset data file to a file.
void BM_WriteRow151(benchmark::State& state) {
  Row row(151);
  ClTextAccessor accessor(const_cast<char*>("G_INFO"), row.table.data(), 151, row.record.data());
  accessor.SetMode(ClTextAccessor::DELIM_COMMA, ClTextAccessor::QUOTE_NONE);
  for (int i = 0; i < 151; i += 7) accessor.SetMask(i, 1);
  testenv::ScratchDir dir("textio_bench");
  std::string path = dir.Windows("row.csv");
  ClTextFile file;
  if (file.Open(path.c_str(),
                static_cast<ClTextFile::TFOpenMode>(ClTextFile::TF_WRITE | ClTextFile::TF_OVERWRITE)) != 0) {
    state.SkipWithError("cannot open the output file");
    return;
  }
  file.Attach(&accessor);
  for (auto _ : state) {
    if (accessor.Write() != 0) {
      state.SkipWithError("write failed");
      break;
    }
  }
  file.Close();
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_WriteRow151);

// Reads 64-column rows of about 900 bytes (near the longest line that can
// be read), split and stored.
void BM_ReadRow64(benchmark::State& state) {
  Row row(64);
  ClTextAccessor writer(const_cast<char*>("OUT"), row.table.data(), 64, row.record.data());
  writer.SetMode(ClTextAccessor::DELIM_COMMA, ClTextAccessor::QUOTE_DOUBLE);
  std::stringstream text;
  writer.Attach(&text);
  for (int i = 0; i < 1000; ++i) writer.Write();

  std::vector<char> record(row.record.size());
  ClTextAccessor reader(const_cast<char*>("IN"), row.table.data(), 64, record.data());
  reader.SetMode(ClTextAccessor::DELIM_COMMA, ClTextAccessor::QUOTE_DOUBLE);
  reader.Attach(&text);
  for (auto _ : state) {
    long result = reader.Read();
    if (result == 1) {
      text.rdbuf()->pubseekpos(0, std::ios_base::in);
      result = reader.Read();
    }
    if (result != 0) {
      state.SkipWithError("read failed");
      break;
    }
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ReadRow64);

}  // namespace
