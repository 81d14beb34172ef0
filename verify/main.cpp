// zelverify: checks an asset data file written by the export programs, and
// the syurui.SSC and error log beside it. Findings and the summary go to
// standard output; exit status 0 without problems, 1 with problems (or a
// difference against the store), 2 when a file cannot be read or written, 64
// when the command line is wrong. --report, --summary and --json make the
// control sheet of the export (verify/control_sheet.h).
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "export/output_commit.h"
#include "platform/command_line.h"
#include "platform/cp932.h"
#include "platform/program_args.h"
#include "platform/win.h"
#include "verify/control_sheet.h"
#include "verify/verifier.h"

namespace {

// The options; the usage, the parsing and the words offered for a mistyped
// option come from this table.
const cmdline::Option kOptions[] = {
    {"--all", "", "every finding on a line of its own, in the order found"},
    {"--max-lines", "N",
     "at most N lines of findings (default 30, or no limit with --all; 0: no limit); one more line "
     "counts the rest"},
    {"--summary", "", "print the control sheet as a table in place of the findings"},
    {"--json", "FILE", "write the control sheet as JSON to FILE"},
    {"--report", "FILE.html",
     "write the control sheet as an HTML page to print and sign: the files with their SHA-256, the "
     "figures, a chart, the error log's remarks with their rows, the findings"},
    {"--store", "STORE",
     "reconcile the control sheet with the package store STORE (its data set named by the file's "
     "folder, else its selected one): every difference is named, and makes the exit status 1"},
};
const cmdline::Command kCommand = {"zelverify", "PATH.csv", kOptions};

// The help is plain ASCII, so it reads the same in CP932 and UTF-8.
const char kAbout[] =
    "Checks an asset data file written by ZelEna20ToMx13, ZelDio20ToMx13 or\n"
    "ZelTre20ToMx13, and the asset type file syurui.SSC and the error log\n"
    "(ZelEnaMx13SysErr.txt, ZelDioMx13SysErr.txt or ZelTreMx13SysErr.txt) beside\n"
    "it, for what the depreciation application relies on: the header lines, 151\n"
    "fields on every row, each column within its width, well-formed numbers, dates\n"
    "and amounts, codes of half-width letters and digits, no code twice, valid\n"
    "Shift_JIS and CR LF line ends. A PATH.csv that starts with \"-\" follows \"--\".\n"
    "\n"
    "Each finding is printed as FILE:LINE: problem: column N \"NAME\": WHY (or\n"
    "warning:), then a summary: rows, breakdown rows, the remarks of the error\n"
    "log, problems and warnings. A problem is something the depreciation\n"
    "application cannot take; a warning is taken but may not arrive as meant.\n"
    "Findings of one kind in one column are printed once, with how many there\n"
    "are and their first lines, problems first.\n"
    "\n"
    "The control sheet: the number of assets and breakdown rows and the sums of\n"
    "the acquisition cost (column 23), opening book value (42), current\n"
    "depreciation (67) and closing book value (81), per asset type and method.\n";

const char kExitStatus[] =
    "Exit status: 0 no problems (warnings allowed), 1 problems or a difference\n"
    "against the store, 2 a file cannot be read or written, 64 a wrong command\n"
    "line.\n";

const char kVersion[] = "zelverify 1.0 (asset data file FILEVERSION=1.8, syurui.SSC FILEVERSION=1.1)\n";

}  // namespace

int main(int argc, char** argv) {
  win::UseUtf8CommandLine(&argc, &argv);
  const std::vector<std::string> args(argv + std::min(argc, 1), argv + argc);
  const cmdline::Parsed parsed = cmdline::Parse(kCommand, args);
  switch (parsed.outcome) {
    case cmdline::Parsed::kHelp:
      std::cout << cmdline::Synopsis(kCommand) << '\n'
                << kAbout << '\n'
                << cmdline::OptionHelp(kCommand) << '\n'
                << kExitStatus;
      return 0;
    case cmdline::Parsed::kVersion: std::cout << kVersion; return 0;
    case cmdline::Parsed::kUsageError: return cmdline::UsageError(kCommand, parsed.error);
    case cmdline::Parsed::kRun: break;
  }
  verify::SheetOptions sheet;
  const std::string path = parsed.operands[0];
  sheet.summary = parsed.Has("--summary");
  sheet.json = parsed.Value("--json");
  sheet.html = parsed.Value("--report");
  sheet.store = parsed.Value("--store");
  sheet.print.all = parsed.Has("--all");
  if (parsed.Has("--max-lines")) {
    const std::string n = parsed.Value("--max-lines");
    char* end = nullptr;
    sheet.print.max_lines = std::strtol(n.c_str(), &end, 10);
    if (n.empty() || *end != '\0' || sheet.print.max_lines < 0)
      return cmdline::UsageError(kCommand, "--max-lines needs a number of lines (0: no limit)");
  }
  // An export cut short among the renames of its files is finished first,
  // so that the files checked are one set.
  std::error_code error;
  std::string folder = win::FromHostPath(
      win::HostPathString(std::filesystem::absolute(win::HostFsPath(path), error).parent_path()));
  if (!folder.empty() && (folder.back() != '\\' || cp932::EndsWithDoubleByte(folder))) folder += '\\';
  if (!folder.empty() && !outputcommit::FinishInterrupted(folder.c_str(), 10000))
    std::cerr << "zelverify: " << path << ": an export into its folder is still being committed\n";
  if (!sheet.store.empty() && sheet.html.empty() && sheet.json.empty() && !sheet.summary)
    return cmdline::UsageError(
        kCommand, "--store reconciles the control sheet: give --report, --summary or --json with it");
  if (!sheet.html.empty() || !sheet.json.empty() || sheet.summary) {
    sheet.asset_file = path;
    return verify::RunControlSheet(sheet, std::cout, std::cerr);
  }

  verify::Report report(&std::cout, false, sheet.print);
  verify::Summary summary;
  std::string why;
  const verify::ExitStatus status = verify::Verify(path, &report, &summary, &why);
  report.Flush();
  if (status == verify::kUnreadable) {
    std::cout.flush();
    std::cerr << "zelverify: " << path << " cannot be read: " << why << '\n';
    return status;
  }
  verify::PrintSummary(summary, report, std::cout);
  return status;
}
