// zelverify: checks an asset data file written by the export programs, and
// the syurui.SSC and error log beside it. Findings and the summary go to
// standard output; exit status 0 without problems, 1 with problems (or a
// difference against the store), 2 when a file cannot be read or written or
// the command line is wrong. --report, --summary and --json make the
// control sheet of the export (verify/control_sheet.h).
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <utility>

#include "export/output_commit.h"
#include "platform/win.h"
#include "verify/control_sheet.h"
#include "verify/verifier.h"

namespace {

// The usage is plain ASCII, so it reads the same in CP932 and UTF-8.
const char kUsage[] =
    "Usage: zelverify [--summary] [--json FILE] [--report FILE.html [--store STORE]] [--] PATH.csv\n"
    "       zelverify --help | --version\n"
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
    "The control sheet: the number of assets and breakdown rows and the sums of\n"
    "the acquisition cost (column 23), opening book value (42), current\n"
    "depreciation (67) and closing book value (81), per asset type and method.\n"
    "  --summary        print it as a table in place of the findings\n"
    "  --json FILE      write it as JSON to FILE\n"
    "  --report FILE    write it as an HTML page to print and sign: the files with\n"
    "                   their SHA-256, the figures, a chart, the error log's\n"
    "                   remarks with their rows, the findings\n"
    "  --store STORE    reconcile it with the package store STORE (its data set\n"
    "                   named by the file's folder, else its selected one): every\n"
    "                   difference is named, and makes the exit status 1\n"
    "\n"
    "Exit status: 0 no problems (warnings allowed), 1 problems or a difference\n"
    "against the store, 2 a file cannot be read or written, or the command line\n"
    "is wrong.\n";

const char kVersion[] = "zelverify 1.0 (asset data file FILEVERSION=1.8, syurui.SSC FILEVERSION=1.1)\n";

int UsageError(const std::string& message) {
  std::cerr << "zelverify: " << message << "\n\n" << kUsage;
  return verify::kUnreadable;
}

}  // namespace

int main(int argc, char** argv) {
  verify::SheetOptions sheet;
  std::string path;
  bool options_end = false;
  // The options that take a value, and where it goes.
  const std::pair<const char*, std::string*> valued[] = {
      {"--report", &sheet.html}, {"--store", &sheet.store}, {"--json", &sheet.json}};
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    std::string* value = nullptr;
    for (const auto& [name, target] : valued) {
      if (!options_end && arg == name) value = target;
    }
    if (value != nullptr) {
      if (i + 1 == argc || argv[i + 1][0] == '\0') return UsageError(arg + " needs a file name");
      *value = argv[++i];
    } else if (!options_end && arg == "--") {
      options_end = true;
    } else if (!options_end && (arg == "--help" || arg == "-h")) {
      std::cout << kUsage;
      return 0;
    } else if (!options_end && arg == "--version") {
      std::cout << kVersion;
      return 0;
    } else if (!options_end && arg == "--summary") {
      sheet.summary = true;
    } else if (!options_end && arg.size() > 1 && arg[0] == '-') {
      return UsageError("unknown option " + arg);
    } else if (!path.empty()) {
      return UsageError("one asset data file at a time");
    } else {
      path = arg;
    }
  }
  if (path.empty()) return UsageError("no asset data file given");
  // An export cut short among the renames of its files is finished first,
  // so that the files checked are one set.
  std::error_code error;
  std::string folder = win::FromHostPath(std::filesystem::absolute(path, error).parent_path().string());
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  if (!folder.empty() && !outputcommit::FinishInterrupted(folder.c_str(), 10000))
    std::cerr << "zelverify: " << path << ": an export into its folder is still being committed\n";
  if (!sheet.store.empty() && sheet.html.empty() && sheet.json.empty() && !sheet.summary)
    return UsageError("--store reconciles the control sheet: give --report, --summary or --json with it");
  if (!sheet.html.empty() || !sheet.json.empty() || sheet.summary) {
    sheet.asset_file = path;
    return verify::RunControlSheet(sheet, std::cout, std::cerr);
  }

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
