#include "verify/verifier.h"

#include <filesystem>
#include <optional>
#include <ostream>
#include <system_error>

#include "export/output_paths.h"
#include "verify/columns.h"
#include "platform/win.h"
#include "verify/error_log.h"
#include "verify/line_reader.h"
#include "verify/remark_rows.h"
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

// Hands each row on to the caller's observer and to the matching of the
// error log's remarks with their rows.
class MatchedRows : public RowObserver {
 public:
  MatchedRows(RowObserver* next, const std::vector<LogEntry>* remarks) : next_(next), rows_(remarks) {}
  void Row(long line, const std::vector<std::string_view>& fields) override {
    if (next_ != nullptr) next_->Row(line, fields);
    rows_.Row(line, fields);
  }
  const std::vector<RemarkRow>& Finish() { return rows_.Finish(); }

 private:
  RowObserver* next_;
  RemarkRows rows_;
};

// Each warning of a lump-sum asset with more than 99 items, at the row of
// its 99th item: the rows after it are missing from the file.
void ReportItemLimits(const std::vector<LogEntry>& remarks, const std::vector<RemarkRow>& rows,
                      const Summary& summary, Report* report) {
  const std::string log_name = fs::path(summary.log_file).filename().string();
  for (size_t i = 0; i < remarks.size(); ++i) {
    if (!IsItemLimitRemark(remarks[i])) continue;
    const std::string remark = "remark " + std::to_string(i + 1) + " of " + log_name;
    if (rows[i].line == 0) {
      report->Warning(
          summary.log_file, 0,
          remark + ": a lump-sum asset has more than 99 items, but no row of the file is its 99th");
      continue;
    }
    report->Add(Severity::kWarning, summary.asset_file, rows[i].line, 1, AssetColumnName(0),
                "lump-sum asset " + Quoted(std::string_view(rows[i].code).substr(0, 6)) +
                    " has more than 99 items: the 100th and later are not in the file (" + remark + ")",
                "item limit");
  }
}

}  // namespace

ExitStatus Verify(const std::string& path, Report* report, Summary* summary, std::string* why,
                  CheckDetail* detail) {
  CheckedFile assets(path, report);
  if (!assets.Open(path, why)) return kUnreadable;
  summary->asset_file = path;
  // A file beside it that is there but no regular file is refused as the
  // asset data file is: a FIFO would keep the check waiting for a writer.
  std::vector<std::string> beside = {Beside(path, kAssetTypeFileName)};
  for (const char* name : kErrorLogNames) beside.push_back(Beside(path, name));
  for (const std::string& file : beside) {
    if (const std::string kind = NotRegularFile(file); !kind.empty()) {
      *why = file + " beside it is " + kind + ", not a regular file";
      return kUnreadable;
    }
  }

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

  // Matching remarks with rows needs the log's remarks kept: they are read
  // again for it where the control sheet has not kept them.
  const std::vector<LogEntry>* remarks = detail != nullptr ? &detail->remarks : nullptr;
  std::vector<LogEntry> kept;
  if (remarks == nullptr && log.item_limits() > 0) {
    ErrorLog again;
    again.KeepEntries();
    std::string again_why;
    if (again.Load(summary->log_file, &again_why)) kept = std::move(again.entries());
    remarks = &kept;
  }
  RowObserver* rows = detail != nullptr ? detail->rows : nullptr;
  std::optional<MatchedRows> matched;
  if (log.item_limits() > 0) rows = &matched.emplace(rows, remarks);

  const std::string log_name = win::HostPathString(win::HostFsPath(summary->log_file).filename());
  summary->assets = CheckAssetFile(&assets, summary->types_read ? &types : nullptr, &log, log_name, rows);
  if (assets.failed()) {
    *why = "a read error at line " + std::to_string(assets.line_number() + 1);
    return kUnreadable;
  }
  if (matched) ReportItemLimits(*remarks, matched->Finish(), *summary, report);
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
