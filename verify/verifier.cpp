#include "verify/verifier.h"

#include <filesystem>
#include <ostream>
#include <system_error>

#include "export/output_paths.h"
#include "platform/win.h"
#include "verify/error_log.h"
#include "verify/type_file.h"

namespace verify {

namespace fs = std::filesystem;

namespace {

// A file beside the asset data file, named as the findings show it.
std::string Beside(const std::string& path, const char* name) {
  const fs::path folder = win::HostFsPath(path).parent_path();
  return folder.empty() ? std::string(name) : win::HostPathString(folder / name);
}

// The error log beside the file: the newest of the three programs' logs
// (a folder may hold the logs of several programs); the others are named in
// warnings. Empty when there is none: a clean export deletes its log.
std::string FindErrorLog(const std::string& path, Report* report) {
  std::string newest;
  fs::file_time_type newest_time;
  std::vector<std::string> found;
  for (const char* name : kErrorLogNames) {
    const std::string log = Beside(path, name);
    std::error_code ec;
    const fs::file_time_type time = fs::last_write_time(win::HostFsPath(log), ec);
    if (ec) continue;
    found.push_back(log);
    if (newest.empty() || time > newest_time) {
      newest = log;
      newest_time = time;
    }
  }
  for (const std::string& log : found) {
    if (log != newest)
      report->Warning(log, 0, "an older error log beside the file, not read; " + newest + " is");
  }
  return newest;
}

TypeList ReadTypes(const std::string& shown, Report* report, bool* read) {
  CheckedFile file(shown, report);
  std::string why;
  std::error_code ec;
  if (!fs::exists(win::HostFsPath(shown), ec)) {
    report->Problem(shown, 0, "missing: the asset types of the asset data file are not beside it");
    return {};
  }
  if (!file.Open(shown, &why)) {
    report->Problem(shown, 0, "cannot be read: " + why);
    return {};
  }
  TypeList types = CheckTypeFile(&file);
  if (file.failed()) {
    report->Problem(shown, 0, "cannot be read to its end (a read error)");
    return {};
  }
  *read = true;
  return types;
}

}  // namespace

ExitStatus Verify(const std::string& path, Report* report, Summary* summary, std::string* why,
                  CheckDetail* detail) {
  CheckedFile assets(path, report);
  if (!assets.Open(path, why)) return kUnreadable;
  summary->asset_file = path;

  ErrorLog log;
  if (detail != nullptr) log.KeepEntries();
  summary->log_file = FindErrorLog(path, report);
  if (!summary->log_file.empty()) {
    std::string log_why;
    if (!log.Load(summary->log_file, &log_why)) {
      report->Warning(summary->log_file, 0, "cannot be read: " + log_why);
      summary->log_file.clear();
    }
  }
  summary->remarks = log.remarks();
  summary->errors = log.errors();
  summary->warnings = log.warnings();
  if (detail != nullptr) detail->remarks = std::move(log.entries());

  summary->type_file = Beside(path, kAssetTypeFileName);
  const TypeList types = ReadTypes(summary->type_file, report, &summary->types_read);
  summary->types = types.rows;
  if (detail != nullptr) detail->type_names = types.codes;

  const std::string log_name = win::HostPathString(win::HostFsPath(summary->log_file).filename());
  summary->assets = CheckAssetFile(&assets, summary->types_read ? &types : nullptr, &log, log_name,
                                   detail != nullptr ? detail->rows : nullptr);
  if (assets.failed()) {
    *why = "a read error at line " + std::to_string(assets.line_number() + 1);
    return kUnreadable;
  }
  return report->problems() > 0 ? kProblems : kClean;
}

void PrintSummary(const Summary& s, const Report& report, std::ostream& out) {
  out << s.asset_file << ": " << s.assets.rows << (s.assets.rows == 1 ? " row" : " rows") << ", "
      << s.assets.breakdown_rows << " of them breakdown rows\n";
  if (s.types_read) out << s.type_file << ": " << s.types << " asset types\n";
  if (s.log_file.empty()) {
    out << "no error log beside the file (an export without remarks leaves none)\n";
  } else {
    out << s.log_file << ": " << s.remarks << " remarks (" << s.errors << " errors, " << s.warnings
        << " warnings)\n";
  }
  out << report.problems() << (report.problems() == 1 ? " problem, " : " problems, ") << report.warnings()
      << (report.warnings() == 1 ? " warning\n" : " warnings\n");
}

}  // namespace verify
