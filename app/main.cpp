// The program's entry point: the one application object, run by the
// framework. The build constants of the program are linked beside it.
//
// A dialog run takes no arguments and is configured by the environment;
// --batch exports every data set without a dialog. --help and --version say
// how, and any other argument is a usage error (exit 64). A
// drive map that cannot serve the program ends the run before anything is
// shown, with each problem on standard error.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/ZelExportApp.h"
#include "app/batch.h"
#include "app/build_constants.h"
#include "platform/command_line.h"
#include "platform/program_args.h"
#include "platform/ui/backend.h"

CZelExportApp theApp;

namespace {

// The program's options besides --help and --version. A dialog run takes
// none; the others make a batch. (A batch's worker processes are started
// with "--batch-worker OUTDIR [--resume]", which is no option for people.)
const cmdline::Option kOptions[] = {
    {"--batch", "OUTDIR",
     "export every data set of the store without a dialog, each into OUTDIR\\<data ID>\\ as "
     "assets.csv, syurui.SSC and the error log, and write OUTDIR\\summary.csv"},
    {"--data-set", "ID", "with --batch: only this data set (may be given more than once)", cmdline::kRepeats},
    {"--jobs", "N", "with --batch: N data sets side by side (default: the number of cores)"},
    {"--resume", "", "with --batch: keep the folders whose data has not changed since"},
};

cmdline::Command ThisCommand(const char* name) { return {name, "", kOptions}; }

void PrintHelp(const cmdline::Command& command) {
  std::printf(
      "%s\n"
      "Exports the fixed-asset data of the company data set that the current user\n"
      "of the Zelmar package has selected. A dialog asks for the asset data file;\n"
      "the asset type file syurui.SSC and the error log are written beside it.\n"
      "  error log:    %s\n"
      "  last path in: %s, in the package's environment folder\n"
      "\n"
      "%s"
      "\n"
      "Environment:\n"
      "  ZEL_PACKAGE    the package store, a SQLite file made with zelpkg\n"
      "                 (default: package.db in the program's folder)\n"
      "  ZEL_DRIVES     the drive map: ';'-separated L:TYPE=/host/dir entries, TYPE one of\n"
      "                 unknown, noroot, removable, fixed, remote, cdrom, ramdisk\n"
      "                 (default, also when empty: Z:fixed=/)\n"
      "  ZEL_SHARES     network shares: ';'-separated server/share=/host/dir entries\n"
      "  ZEL_UI         tty (the dialog full screen in this terminal) or script\n"
      "                 (default: script when ZEL_UI_SCRIPT is set, else tty when\n"
      "                 standard input and output are terminals)\n"
      "  ZEL_UI_SCRIPT  the script that drives the dialog; the transcript (JSON Lines)\n"
      "                 goes to standard output\n"
      "  ZEL_VIEWER     a host command that shows the error log in place of WordPad\n"
      "                 (the log's path is its last argument)\n"
      "  ZEL_WINDIR     the Windows folder (default: C:\\WINDOWS)\n"
      "\n"
      "Exit status: 0 exported, 1 ended early (refused, quit, past-results data),\n"
      "2 the files could not be written, 3 a script error, 64 a wrong command line.\n"
      "A batch: 0 every data set ok, 1 some with remarks, 2 any failed, 64 a wrong\n"
      "command line.\n",
      cmdline::Synopsis(command).c_str(), build::kErrorLogName, build::kEnvFileName,
      cmdline::OptionHelp(command).c_str());
}

}  // namespace

int main(int argc, char** argv) {
  win::UseUtf8CommandLine(&argc, &argv);
  const char* name = argc > 0 && argv[0][0] ? argv[0] : "ZelExport";
  if (const char* slash = std::strrchr(name, '/')) name = slash + 1;
  const cmdline::Command command = ThisCommand(name);
  const std::vector<std::string> args(argv + std::min(argc, 1), argv + argc);
  const bool worker = (args.size() == 2 || (args.size() == 3 && args[2] == "--resume")) &&
                      args[0] == "--batch-worker";
  const cmdline::Parsed parsed = worker ? cmdline::Parsed{} : cmdline::Parse(command, args);
  switch (parsed.outcome) {
    case cmdline::Parsed::kHelp: PrintHelp(command); return 0;
    case cmdline::Parsed::kVersion: std::printf("%s %s\n", name, ZEL_VERSION); return 0;
    case cmdline::Parsed::kUsageError: return cmdline::UsageError(command, parsed.error);
    case cmdline::Parsed::kRun: break;
  }
  if (worker || parsed.Has("--batch")) {
    BatchOptions options;
    std::string why;
    const bool ok = worker ? ParseBatchArguments(args[1], {}, "", args.size() == 3, &options, &why)
                           : ParseBatchArguments(parsed.Value("--batch"), parsed.values.count("--data-set")
                                                                              ? parsed.values.at("--data-set")
                                                                              : std::vector<std::string>{},
                                                 parsed.Value("--jobs"), parsed.Has("--resume"), &options, &why);
    if (!ok) return cmdline::UsageError(command, why);
    options.worker = worker;
    std::vector<std::string> problems = ui::StartUpProblems();
    for (const std::string& problem : problems) std::fprintf(stderr, "%s: %s\n", name, problem.c_str());
    if (!problems.empty()) return kBatchFailed;
    return RunBatch(theApp, options);
  }
  for (const char* batch_only : {"--data-set", "--jobs", "--resume"})
    if (parsed.Has(batch_only)) return cmdline::UsageError(command, std::string(batch_only) + " goes with --batch OUTDIR");
  std::vector<std::string> problems = ui::StartUpProblems();
  for (const std::string& problem : problems) std::fprintf(stderr, "%s: %s\n", name, problem.c_str());
  if (!problems.empty()) return ui::kEarlyEndStatus;
  for (const std::string& warning : ui::StartUpWarnings())
    std::fprintf(stderr, "%s: warning: %s\n", name, warning.c_str());
  return ui::RunApplication(theApp);
}
