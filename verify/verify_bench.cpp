// zelverify's checks over an asset data file of 1,000,000 rows (about 300
// MB), made from the ordinary rows of the export tests' expected file under
// codes of their own, with syurui.SSC beside it. Reports the time, the bytes
// per second and the peak memory of the process (the code set is the only
// part that grows with the file).
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/test_env.h"
#include "verify/verifier.h"

namespace {

namespace fs = std::filesystem;

const std::string kGolden = VERIFY_GOLDEN_DIR;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// A six-character code of letters and digits for row n.
std::string CodeOf(long n) {
  static const char kDigits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  std::string code(6, '0');
  for (int i = 5; i >= 0 && n > 0; --i, n /= 36) code[static_cast<size_t>(i)] = kDigits[n % 36];
  return code;
}

// Writes the file of `rows` rows into folder; returns its path.
std::string MakeFile(const std::string& folder, long rows) {
  const std::string golden = ReadFile(kGolden + "/golden_assets.csv");
  std::vector<std::string> lines;
  for (size_t start = 0; start < golden.size();) {
    const size_t end = golden.find("\r\n", start);
    lines.push_back(golden.substr(start, end - start));
    start = end + 2;
  }
  // The rows of ordinary assets (a breakdown row's method is 一括決算),
  // without their codes.
  std::vector<std::string> tails;
  for (size_t i = 7; i < lines.size(); ++i) {
    if (lines[i].find(",一括決算,") == std::string::npos)
      tails.push_back(lines[i].substr(lines[i].find(',')));
  }
  const std::string path = folder + "/assets.csv";
  std::ofstream out(path, std::ios::binary);
  for (size_t i = 0; i < 7; ++i) out << lines[i] << "\r\n";
  for (long n = 0; n < rows; ++n)
    out << CodeOf(n + 1) << tails[static_cast<size_t>(n) % tails.size()] << "\r\n";
  fs::copy_file(kGolden + "/golden_syurui.SSC", folder + "/syurui.SSC");
  return path;
}

void BM_VerifyAssetFile(benchmark::State& state) {
  testenv::ScratchDir folder("zel_verify_bench");
  const long rows = state.range(0);
  const std::string path = MakeFile(folder.path(), rows);
  for (auto _ : state) {
    verify::Report report(nullptr);
    verify::Summary summary;
    std::string why;
    benchmark::DoNotOptimize(verify::Verify(path, &report, &summary, &why));
    if (summary.assets.rows != rows) state.SkipWithError("not every row was read");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(fs::file_size(path)));
  state.counters["rows/s"] = benchmark::Counter(
      static_cast<double>(rows) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}
BENCHMARK(BM_VerifyAssetFile)->Arg(1000000)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
