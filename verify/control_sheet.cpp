#include "verify/control_sheet.h"

#include <ctime>
#include <filesystem>
#include <map>
#include <ostream>
#include <thread>

#include "export/output_paths.h"
#include "platform/cp932.h"
#include "platform/host_file.h"
#include "platform/win.h"
#include "verify/line_reader.h"
#include "verify/report_html.h"
#include "verify/sha256.h"
#include "verify/summary.h"

namespace verify {

namespace {

// Problems listed one by one on the page; the rest are counted.
constexpr size_t kListedProblems = 200;

// Groups the warnings by their wording without the values (quoted texts and
// numbers), and keeps the first problems.
class FindingDigest : public FindingObserver {
 public:
  explicit FindingDigest(ControlSheet* sheet) : sheet_(sheet) {}

  void Seen(const Finding& f) override {
    if (f.severity == Severity::kProblem) {
      if (sheet_->problems.size() < kListedProblems) sheet_->problems.push_back(f);
      ++sheet_->problem_count;
      return;
    }
    ++sheet_->warning_count;
    const auto [it, added] =
        groups_.try_emplace(f.file + '\n' + std::to_string(f.column) + '\n' + Wording(f.why), groups_.size());
    if (added) sheet_->warnings.push_back({f, 0});
    ++sheet_->warnings[it->second].count;
  }

 private:
  // Neither '"' nor a digit is ever the second byte of a double-byte
  // character.
  static std::string Wording(const std::string& why) {
    std::string shape;
    bool quoted = false;
    for (char c : why) {
      if (c == '"') {
        quoted = !quoted;
        if (quoted) shape += "\"\"";
      } else if (quoted) {
        continue;
      } else if (c < '0' || c > '9') {
        shape += c;
      } else if (shape.empty() || shape.back() != '#') {
        shape += '#';
      }
    }
    return shape;
  }

  ControlSheet* sheet_;
  std::map<std::string, size_t> groups_;
};

// Hands each row to the figures and to the remarks' matching.
class RowFan : public RowObserver {
 public:
  RowFan(FileTally* tally, RemarkRows* remarks) : tally_(tally), remarks_(remarks) {}
  void Row(long line, const std::vector<std::string_view>& fields) override {
    tally_->Row(fields);
    remarks_->Row(line, fields);
  }

 private:
  FileTally* tally_;
  RemarkRows* remarks_;
};

// The first lines of a file (without their line ends, CP932).
std::vector<std::string> FirstLines(const std::string& path, size_t count) {
  std::vector<std::string> lines;
  LineReader in;
  std::string why;
  std::string_view line;
  LineReader::End end;
  size_t length = 0;
  if (!in.Open(path, &why)) return lines;
  while (lines.size() < count && in.Next(&line, &end, &length)) lines.emplace_back(line);
  return lines;
}

std::string After(const std::string& line, std::string_view key) {
  return line.compare(0, key.size(), key) == 0 ? line.substr(key.size()) : std::string();
}

void ReadHeaders(const std::string& asset_file, const std::string& type_file, ControlSheet* sheet) {
  constexpr size_t kHeaderLineWidth = 152;
  const std::vector<std::string> lines = FirstLines(asset_file, 6);
  if (lines.size() == 6) {
    sheet->header.company = After(lines[2], "顧問先名称=");
    sheet->header.company_cut = lines[2].size() >= kHeaderLineWidth - 1;
    sheet->header.period_start = After(lines[4], "事業年度開始日=");
    sheet->header.period_end = After(lines[5], "事業年度終了日=");
  }
  const std::vector<std::string> types = FirstLines(type_file, 4);
  if (types.size() == 4) sheet->export_date = After(types[3], ";日付\t\t：");
}

void Digest(FileFacts* facts) {
  if (facts->path.empty()) {
    facts->why = "none beside the file (an export without remarks leaves none)";
    return;
  }
  facts->read = DigestFile(facts->path, &facts->size, &facts->sha256, &facts->why);
}

// Called before the second thread starts: std::localtime's one result
// (the same call on both systems) is shared by nobody.
std::string Now() {
  const std::time_t now = std::time(nullptr);
  char text[32] = "";
  if (const std::tm* local = std::localtime(&now)) std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", local);
  return text;
}

bool Write(const std::string& path, const std::string& content, const char* what, std::ostream& err) {
  if (hostfile::WriteWhole(path, content)) return true;
  err << "zelverify: the " << what << " " << path << " cannot be written\n";
  return false;
}

}  // namespace

int RunControlSheet(const SheetOptions& options, std::ostream& out, std::ostream& err) {
  ControlSheet sheet;
  sheet.made = Now();
  const std::filesystem::path asset_folder = win::HostFsPath(options.asset_file).parent_path();
  const std::string folder = win::HostPathString(asset_folder);
  auto beside = [&folder](const char* name) {
    return folder.empty() ? std::string(name) : folder + "/" + name;
  };
  const char* const roles[3] = {"asset data file", "asset type file", "error log"};
  for (int i = 0; i < 3; ++i) sheet.files[i].role = roles[i];
  sheet.files[0].path = options.asset_file;
  sheet.files[1].path = beside(kAssetTypeFileName);
  // The page and the JSON never replace a file they are made of.
  std::vector<std::string> inputs = {sheet.files[0].path, sheet.files[1].path, options.store};
  for (const char* log : kErrorLogNames) inputs.push_back(beside(log));
  for (const std::string* output : {&options.html, &options.json}) {
    for (const std::string& input : inputs) {
      if (!output->empty() && !input.empty() && hostfile::SameFile(*output, input)) {
        err << "zelverify: " << *output
            << " is a file the control sheet is made of; it is not written over\n";
        return kUnreadable;
      }
    }
  }

  // The store and the digests are read on a second thread while this one
  // checks the files.
  StoreFigures store;
  bool store_read = false;
  std::string store_why;
  std::thread side_work([&] {
    Digest(&sheet.files[0]);
    Digest(&sheet.files[1]);
    if (!options.store.empty()) {
      const std::string folder_name = win::HostPathString(asset_folder.filename());
      store_read = ReadStoreFigures(options.store, folder_name, &store, &store_why);
    }
  });

  Report report(options.summary ? nullptr : &out, false, options.print);
  FindingDigest digest(&sheet);
  report.Observe(&digest);
  FileTally tally;
  CheckDetail detail;
  RemarkRows remark_rows(&detail.remarks);
  RowFan fan(&tally, &remark_rows);
  detail.rows = &fan;
  std::string why;
  const ExitStatus checked = Verify(options.asset_file, &report, &sheet.check, &why, &detail);
  side_work.join();
  report.Flush();
  if (checked == kUnreadable) {
    out.flush();
    err << "zelverify: " << options.asset_file << " cannot be read: " << why << '\n';
    return kUnreadable;
  }
  if (!options.store.empty() && !store_read) {
    out.flush();
    err << "zelverify: the store " << options.store << " cannot be read: " << store_why << '\n';
    return kUnreadable;
  }

  sheet.files[2].path = sheet.check.log_file;
  Digest(&sheet.files[2]);
  const std::string log_name = win::HostPathString(win::HostFsPath(sheet.check.log_file).filename());
  if (log_name.size() > 6) sheet.program = log_name.substr(0, 6) + "20ToMx13";
  ReadHeaders(options.asset_file, sheet.files[1].path, &sheet);
  sheet.remark_rows = remark_rows.Finish();
  sheet.remarks = std::move(detail.remarks);
  tally.side().type_names = std::move(detail.type_names);
  if (!options.store.empty()) {
    sheet.store_path = options.store;
    sheet.data_set = store.data_id;
  }
  sheet.figures = Reconcile(&tally.side(), sheet.header, options.store.empty() ? nullptr : &store);

  if (options.summary) out << SummaryTable(sheet);
  PrintSummary(sheet.check, report, out);
  for (const std::string& difference : sheet.figures.differences)
    out << options.store << ": difference: " << cp932::ToUtf8(difference) << '\n';
  if (sheet.figures.with_store && sheet.figures.differences.empty())
    out << options.store << ": no difference against the files\n";
  if (!options.json.empty() && !Write(options.json, SheetJson(sheet), "JSON file", err)) return kUnreadable;
  if (!options.html.empty()) {
    if (!Write(options.html, ReportHtml(sheet), "report", err)) return kUnreadable;
    out << "control sheet written to " << options.html << '\n';
  }
  return sheet.figures.differences.empty() ? checked : kProblems;
}

}  // namespace verify
