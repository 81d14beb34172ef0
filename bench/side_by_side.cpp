// The whole program beside a plain SQLite dump of the same data: makes (once,
// cached) sample stores of the given sizes, then runs the export program,
// zelverify's check of that export (`zelverify FILE`), its control sheet
// against its store (`zelverify --report FILE.html --store STORE`) and
// `sqlite3 -csv STORE "SELECT * FROM assets" > FILE` in turn, and prints the
// median wall times, their ratios, the peak resident memory of each, and how
// the program's time grows with the size.
//
//   side_by_side --bin BUILD/bin --cache DIR [--pairs N] [--sizes 100000,1000000]
//
// Exit status 0 when every run worked (whatever the figures), 1 otherwise.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/test_env.h"

namespace {

namespace fs = std::filesystem;

// Runs argv with env as its only variables, standard input empty, standard
// output to out and error to err; waits.
testenv::ProgramResult Run(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                           const std::string& out, const std::string& err) {
  return testenv::RunProgram(
      {.argv = argv, .env = env, .clean_env = true, .output_file = out, .error_file = err});
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  size_t n = v.size();
  return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

std::string Arg(int argc, char** argv, const char* name, const char* fallback) {
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], name) == 0) return argv[i + 1];
  return fallback;
}

std::vector<long> Sizes(const std::string& list) {
  std::vector<long> sizes;
  for (size_t start = 0; start <= list.size();) {
    size_t comma = list.find(',', start);
    if (comma == std::string::npos) comma = list.size();
    if (comma > start) sizes.push_back(std::atol(list.substr(start, comma - start).c_str()));
    start = comma + 1;
  }
  return sizes;
}

struct Row {
  long assets;
  double program, dump, sheet, check;
  long program_kb, dump_kb, sheet_kb, check_kb;
};

}  // namespace

int main(int argc, char** argv) {
  const std::string bin = fs::absolute(Arg(argc, argv, "--bin", "build/bin")).string();
  const std::string cache = fs::absolute(Arg(argc, argv, "--cache", "build/bench-data")).string();
  const int pairs = std::max(1, std::atoi(Arg(argc, argv, "--pairs", "3").c_str()));
  const std::vector<long> sizes = Sizes(Arg(argc, argv, "--sizes", "100000,1000000"));
  const char* path = std::getenv("PATH");
  const std::vector<std::string> base_env = {std::string("PATH=") + (path ? path : "/usr/bin:/bin"),
                                             "LANG=C.UTF-8"};
  fs::create_directories(cache);

  std::vector<Row> rows;
  for (long assets : sizes) {
    const std::string store = cache + "/assets-" + std::to_string(assets) + ".db";
    if (!fs::exists(store)) {
      std::printf("making %s (once; kept for later runs)\n", store.c_str());
      std::fflush(stdout);
      const std::string part = store + ".part";
      fs::remove(part);
      testenv::ProgramResult made = Run({bin + "/zelpkg", "sample", part, "--assets", std::to_string(assets)},
                                        base_env, "/dev/null", cache + "/zelpkg.err");
      if (made.status != 0) {
        std::fprintf(stderr, "zelpkg sample failed (status %d)\n", made.status);
        return 1;
      }
      fs::rename(part, store);
    }
    // Drive E: is a folder of its own; the script exports to E:\out\bench.csv.
    const std::string drive = cache + "/run-" + std::to_string(assets);
    fs::create_directories(drive + "/out");
    const std::string script = drive + "/export.script";
    std::ofstream(script) << "set 1007 E:\\out\\bench.csv\nkey F12\nanswer ok\n";
    std::vector<std::string> env = base_env;
    env.push_back("ZEL_UI=script");
    env.push_back("ZEL_UI_SCRIPT=" + script);
    env.push_back("ZEL_PACKAGE=" + store);
    env.push_back("ZEL_DRIVES=Z:fixed=/;E:fixed=" + drive);

    std::vector<double> program, dump, sheet, check;
    Row row{assets, 0, 0, 0, 0, 0, 0, 0, 0};
    for (int p = 0; p < pairs; ++p) {
      for (const auto& entry : fs::directory_iterator(drive + "/out")) fs::remove(entry.path());
      // Each run starts with the write-back of earlier runs (and of the
      // benchmarks before) done, so that it does not compete with the next.
      sync();
      testenv::ProgramResult a = Run({bin + "/ZelEna20ToMx13"}, env, "/dev/null", drive + "/program.err");
      sync();
      // Exit status 1: the sample company's problems (duplicate codes on purpose).
      testenv::ProgramResult v = Run({bin + "/zelverify", drive + "/out/bench.csv"}, base_env,
                                     drive + "/check.out", drive + "/check.err");
      if (v.status > 1) {
        std::fprintf(stderr, "zelverify failed with status %d (see %s/check.err)\n", v.status, drive.c_str());
        return 1;
      }
      check.push_back(v.seconds);
      row.check_kb = std::max(row.check_kb, v.peak_kb);
      sync();
      testenv::ProgramResult c = Run(
          {bin + "/zelverify", "--report", drive + "/sheet.html", "--store", store, drive + "/out/bench.csv"},
          base_env, drive + "/sheet.out", drive + "/sheet.err");
      if (c.status > 1) {
        std::fprintf(stderr, "zelverify failed with status %d (see %s/sheet.err)\n", c.status, drive.c_str());
        return 1;
      }
      sheet.push_back(c.seconds);
      row.sheet_kb = std::max(row.sheet_kb, c.peak_kb);
      sync();
      testenv::ProgramResult b = Run({"sqlite3", "-csv", store, "SELECT * FROM assets"}, base_env,
                                     drive + "/dump.csv", drive + "/dump.err");
      if (a.status != 0 || b.status != 0) {
        std::fprintf(stderr, "a run failed: program %d (see %s/program.err), dump %d\n", a.status,
                     drive.c_str(), b.status);
        return 1;
      }
      program.push_back(a.seconds);
      dump.push_back(b.seconds);
      row.program_kb = std::max(row.program_kb, a.peak_kb);
      row.dump_kb = std::max(row.dump_kb, b.peak_kb);
    }
    row.program = Median(program);
    row.dump = Median(dump);
    row.sheet = Median(sheet);
    row.check = Median(check);
    rows.push_back(row);
  }

  std::printf("\n%10s  %11s  %9s  %13s  %16s  %13s\n", "assets", "program (s)", "dump (s)", "program/dump",
              "program RSS (MB)", "dump RSS (MB)");
  for (const Row& r : rows)
    std::printf("%10ld  %11.3f  %9.3f  %13.2f  %16.1f  %13.1f\n", r.assets, r.program, r.dump,
                r.program / r.dump, r.program_kb / 1024.0, r.dump_kb / 1024.0);
  std::printf("(medians of %d alternating pairs; peak RSS is the largest of the runs)\n", pairs);
  std::printf("\n%10s  %11s  %9s  %15s  %14s  %9s  %15s  %14s\n", "assets", "program (s)", "check (s)",
              "check/program", "check RSS (MB)", "sheet (s)", "sheet/program", "sheet RSS (MB)");
  for (const Row& r : rows)
    std::printf("%10ld  %11.3f  %9.3f  %15.2f  %14.1f  %9.3f  %15.2f  %14.1f\n", r.assets, r.program, r.check,
                r.check / r.program, r.check_kb / 1024.0, r.sheet, r.sheet / r.program, r.sheet_kb / 1024.0);
  std::printf(
      "(check: zelverify of the program's export; sheet: zelverify --report --store of it; both run after "
      "it)\n");
  if (rows.size() >= 2) {
    const Row& small = rows.front();
    const Row& large = rows.back();
    double growth = large.program / small.program;
    std::printf("program time(%ld)/time(%ld) = %.2f for %.0f times the assets\n", large.assets, small.assets,
                growth, static_cast<double>(large.assets) / small.assets);
  }
  return 0;
}
