// zelverify: checks an asset data file written by the export programs, and
// the syurui.SSC and error log beside it. Findings and the summary go to
// standard output; exit status 0 without problems, 1 with problems, 2 when
// the file cannot be read or the command line is wrong.
#include <cstring>
#include <iostream>
#include <string>

#include "verify/verifier.h"

namespace {

// The usage is plain ASCII, so it reads the same in CP932 and UTF-8.
const char kUsage[] =
    "Usage: zelverify [--help] [--version] [--] PATH.csv\n"
    "\n"
    "Checks an asset data file written by ZelEna20ToMx13, ZelDio20ToMx13 or\n"
    "ZelTre20ToMx13, and the asset type file syurui.SSC and the error log\n"
    "(ZelEnaMx13SysErr.txt, ZelDioMx13SysErr.txt or ZelTreMx13SysErr.txt) beside\n"
    "it, for what the depreciation application relies on: the header lines, 151\n"
    "fields on every row, each column within its width, well-formed numbers, dates\n"
    "and amounts, codes of half-width letters and digits, no code twice, valid\n"
    "Shift_JIS and CR LF line ends.\n"
    "\n"
    "Each finding is printed as FILE:LINE: problem: column N \"NAME\": WHY (or\n"
    "warning:), then a summary: rows, breakdown rows, the remarks of the error\n"
    "log, problems and warnings. A problem is something the depreciation\n"
    "application cannot take; a warning is taken but may not arrive as meant.\n"
    "\n"
    "Exit status: 0 no problems (warnings allowed), 1 problems, 2 the file cannot\n"
    "be read or the command line is wrong.\n";

const char kVersion[] = "zelverify 1.0 (asset data file FILEVERSION=1.8, syurui.SSC FILEVERSION=1.1)\n";

int UsageError(const std::string& message) {
  std::cerr << "zelverify: " << message << "\n\n" << kUsage;
  return verify::kUnreadable;
}

}  // namespace

int main(int argc, char** argv) {
  std::string path;
  bool options_end = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (!options_end && arg == "--") {
      options_end = true;
    } else if (!options_end && (arg == "--help" || arg == "-h")) {
      std::cout << kUsage;
      return 0;
    } else if (!options_end && arg == "--version") {
      std::cout << kVersion;
      return 0;
    } else if (!options_end && arg.size() > 1 && arg[0] == '-') {
      return UsageError("unknown option " + arg);
    } else if (!path.empty()) {
      return UsageError("one asset data file at a time");
    } else {
      path = arg;
    }
  }
  if (path.empty()) return UsageError("no asset data file given");

  verify::Report report(&std::cout);
  verify::Summary summary;
  std::string why;
  const verify::ExitStatus status = verify::Verify(path, &report, &summary, &why);
  if (status == verify::kUnreadable) {
    std::cout.flush();
    std::cerr << "zelverify: " << path << " cannot be read: " << why << '\n';
    return status;
  }
  verify::PrintSummary(summary, report, std::cout);
  return status;
}
