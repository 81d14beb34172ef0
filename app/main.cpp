// The program's entry point: the one application object, run by the
// framework. The build constants of the program are linked beside it.
//
// A run takes no arguments and is configured by the environment; --help and
// --version say how. A drive map that cannot serve the program ends the run
// before anything is shown, with each problem on standard error.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/ZelExportApp.h"
#include "app/build_constants.h"
#include "platform/program_args.h"
#include "platform/ui/backend.h"

CZelExportApp theApp;

namespace {

void PrintHelp(const char* name) {
  std::printf(
      "usage: %s [--help | --version]\n"
      "\n"
      "Exports the fixed-asset data of the company data set that the current user\n"
      "of the Zelmar package has selected. A dialog asks for the asset data file;\n"
      "the asset type file syurui.SSC and the error log are written beside it.\n"
      "  error log:    %s\n"
      "  last path in: %s, in the package's environment folder\n"
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
      "2 the files could not be written, 3 a script error.\n",
      name, build::kErrorLogName, build::kEnvFileName);
}

}  // namespace

int main(int argc, char** argv) {
  win::UseUtf8CommandLine(&argc, &argv);
  const char* name = argc > 0 && argv[0][0] ? argv[0] : "ZelExport";
  if (const char* slash = std::strrchr(name, '/')) name = slash + 1;
  if (argc > 1) {
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
      PrintHelp(name);
      return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
      std::printf("%s %s\n", name, ZEL_VERSION);
      return 0;
    }
    std::fprintf(stderr, "usage: %s [--help | --version]\n", name);
    return ui::kEarlyEndStatus;
  }
  std::vector<std::string> problems = ui::StartUpProblems();
  for (const std::string& problem : problems) std::fprintf(stderr, "%s: %s\n", name, problem.c_str());
  if (!problems.empty()) return ui::kEarlyEndStatus;
  return ui::RunApplication(theApp);
}
