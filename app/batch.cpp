// The batch: the data sets to export, the workers, the summary.
#include "app/batch.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <thread>  // also steady_clock (<chrono> itself holds texts that CP932 lacks)

#include "app/ZelExportApp.h"
#include "app/batch_rows.h"
#include "app/build_constants.h"
#include "component/component.h"
#include "export/asset_exporter.h"
#include "export/output_commit.h"
#include "platform/cp932.h"
#include "platform/win.h"

#ifdef _WIN32
#include <io.h>
#define ZEL_ISATTY(fd) _isatty(fd)
#else
#include <unistd.h>
#define ZEL_ISATTY(fd) isatty(fd)
#endif

namespace fs = std::filesystem;
using batch::Row;

namespace {

constexpr char kAssetFileName[] = "assets.csv";
constexpr char kSummaryName[] = "summary.csv";
constexpr char kStateFolder[] = ".batch";
constexpr long kHeaderLines = 7;  // the asset data file's header and its column names
constexpr int kMostJobs = 64;

using Clock = std::chrono::steady_clock;

// ---- Files ------------------------------------------------------------------------------------

fs::path Host(const std::string& windows_path) {
  std::string host;
  if (!win::ToHostPath(windows_path.c_str(), &host)) return fs::path();
  return win::HostFsPath(host);
}

bool ReadWhole(const fs::path& path, std::string* text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream all;
  all << in.rdbuf();
  *text = all.str();
  return true;
}

// Replaces path whole with text: a reader sees the old file or the new one.
bool WriteWhole(const fs::path& path, const std::string& text) {
  fs::path temp = path;
  temp += ".new";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out.flush()) return false;
  }
  std::error_code ec;
  fs::rename(temp, path, ec);
  return !ec;
}

// How often what starts a character of text: one pass, as the asset data
// file of a large data set is long.
size_t Count(std::string_view text, std::string_view what) {
  size_t n = 0;
  for (size_t i = 0; i < text.size(); i += cp932::CharLength(text, i))
    n += text.substr(i, what.size()) == what;
  return n;
}

// A data ID that names a folder of its own on every system: no character a
// file name cannot hold, not "." or "..", not the summary's or the state
// folder's name, no blank or period at its end (Windows drops them).
bool SoundFolderName(std::string_view id) {
  if (id.empty() || id[0] == '.' || id.back() == ' ' || id.back() == '.') return false;
  for (size_t i = 0; i < id.size(); i += cp932::CharLength(id, i)) {
    unsigned char c = static_cast<unsigned char>(id[i]);
    if (cp932::CharLength(id, i) == 1 && (c < 0x20 || c == 0x7F || std::strchr("\\/:*?\"<>|", c)))
      return false;
  }
  return true;
}

// The ASCII letters of text in lower case: Windows takes two names that
// differ only so for one folder.
std::string Folded(std::string_view text) {
  std::string out(text);
  for (size_t i = 0; i < out.size(); i += cp932::CharLength(out, i))
    if (out[i] >= 'A' && out[i] <= 'Z') out[i] = static_cast<char>(out[i] - 'A' + 'a');
  return out;
}

std::string OneLine(std::string text) {
  for (char& c : text)
    if (c == '\r' || c == '\n') c = ' ';
  return text;
}

Row RowOf(const StDATAINFO& record) {
  Row row;
  row.data_id = std::string(cp932::FieldText(record.szDataID, sizeof record.szDataID));
  row.data_no = std::to_string(record.lDataNo);
  row.company = OneLine(std::string(cp932::FieldText(record.szCompanyName, sizeof record.szCompanyName)));
  row.period = CZelExportApp::GetInfoText(1, &record) + 1;  // without its leading blank
  return row;
}

// ---- The state of a batch in its output folder ---------------------------------------------------

struct Batch {
  std::string out_dir;  // Windows path, ends with "\"
  std::string state;    // out_dir + ".batch\"
  bool resume = false;
  std::string verifier;                   // zelverify beside this program; empty: none
  std::map<int32_t, StDATAINFO> records;  // the store's data sets by number

  std::string Folder(const std::string& id) const { return out_dir + id + "\\"; }
  std::string StateFile(int32_t no, const char* ext) const { return state + std::to_string(no) + ext; }
  // A data set's row of this run (".row"), or of the run that --resume
  // goes on from (".kept").
  fs::path RowFile(int32_t no, const char* ext = ".row") const { return Host(StateFile(no, ext)); }

  bool ReadRow(int32_t no, Row* row, const char* ext = ".row") const {
    std::string text;
    if (!ReadWhole(RowFile(no, ext), &text)) return false;
    std::vector<Row> rows = batch::ParseSummary(text);
    if (rows.size() != 1) return false;
    *row = rows[0];
    return true;
  }
  bool WriteRow(int32_t no, const Row& row, const char* ext = ".row") const {
    return WriteWhole(RowFile(no, ext), batch::FormatRow(row) + "\r\n");
  }
};

// Reads every data set of the store.
std::map<int32_t, StDATAINFO> WalkDataSets() {
  std::map<int32_t, StDATAINFO> records;
  ClSetData* sets = ClDataMgr::Inst()->GetSetObject(5, 1);
  if (sets == nullptr) return records;
  long cursor = 0;
  sets->GetDatCursor(&cursor);
  sets->ReadyDat(cursor, 0);
  for (;;) {
    StDATAINFO record;
    std::memset(&record, 0, sizeof record);
    if (sets->WalkDat(&record, cursor) != 0) break;
    records[record.lDataNo] = record;
  }
  sets->ReleaseDatCursor(cursor);
  return records;
}

// ---- One data set -----------------------------------------------------------------------------------

// The fingerprint of everything the export reads of a data set: its record,
// every asset with its items, and its categories. False when a read failed.
bool ReadFingerprint(const StDATAINFO& record, Row* row) {
  batch::Fingerprint print;
  print.Add(&record, sizeof record);
  ClRuleGenkashokyaku rule;
  rule.AttachSetMgr(ClDataMgr::Inst()->GetSetMgr());
  rule.SetCurDataID(row->data_id.c_str());
  rule.AttachOptLink(ClLinkMgr::Inst()->GetOptLink());
  long count = 0;
  bool sound = rule.MoveReady(nullptr, 0, 0) == 0 && rule.GetCount(&count) == 0;
  for (long i = 0; sound && i < count; ++i) {
    StKOTEISHISANINFO master;
    StKOTEINENINFO year;
    StKOTEITSUKIINFO month;
    std::memset(&master, 0, sizeof master);
    std::memset(&year, 0, sizeof year);
    std::memset(&month, 0, sizeof month);
    sound = rule.Move(i, &master, &year, &month) == 0;
    print.Add(&master, sizeof master);
    print.Add(&year, sizeof year);
    print.Add(&month, sizeof month);
    if (!sound || master.sMethodCode != kMethodLumpSum) continue;
    long items = 0;
    sound = rule.MoveReadyIkkatsu(master.assetKey) == 0 && rule.GetIkkatsuCount(&items) == 0;
    for (long j = 0; sound && j < items; ++j) {
      StIKKATSUINFO item;
      std::memset(&item, 0, sizeof item);
      sound = rule.MoveIkkatsu(j, &item) == 0;
      print.Add(&item, sizeof item);
    }
    rule.MoveFinishIkkatsu();
  }
  StSHISANKUBUNINFO* categories = nullptr;
  long category_count = 0;
  sound = sound && rule.LoadShisanKubunInfo(&categories, &category_count) == 0;
  if (sound && categories != nullptr) print.Add(categories, sizeof *categories * category_count);
  if (categories != nullptr) win::CoTaskMemFree(categories);
  rule.MoveFinish();
  row->assets = sound ? count : 0;
  row->fingerprint = sound ? print.Hex() : "";
  return sound;
}

// True when the folder of a row written earlier is still as that run left it.
bool FolderWhole(const Batch& b, const Row& row) {
  std::error_code ec;
  std::set<std::string> expected = {kAssetFileName, kAssetTypeFileName};
  if (row.errors + row.warnings > 0) expected.insert(build::kErrorLogName);
  std::set<std::string> found;
  for (const fs::directory_entry& entry : fs::directory_iterator(Host(b.Folder(row.data_id)), ec)) {
    if (!entry.is_regular_file(ec)) return false;
    found.insert(entry.path().filename().string());
  }
  return !ec && found == expected;
}

// zelverify beside this program (a Windows path), or empty when there is
// none. The programs do not link the verifier: it is a tool of its own.
std::string VerifierBeside() {
  char program[kPathBufferSize] = {};
  const DWORD n = win::GetModuleFileNameA(nullptr, program, sizeof program);
  const size_t slash = n < sizeof program ? cp932::FindLast(program, '\\') : std::string_view::npos;
  if (slash == std::string_view::npos) return "";
#ifdef _WIN32
  const std::string path = std::string(program, slash + 1) + "zelverify.exe";
#else
  const std::string path = std::string(program, slash + 1) + "zelverify";
#endif
  std::error_code ec;
  return fs::is_regular_file(Host(path), ec) ? path : "";
}

// A path as an argument of a program started on this computer: its host
// form, in the command line's code page.
std::string Argument(const std::string& windows_path) {
  std::string host;
  return "\"" + cp932::FromUtf8(win::ToHostPath(windows_path.c_str(), &host) ? host : "") + "\"";
}

// Counts zelverify's problems in the asset data file of folder into the row.
// The verifier runs as a program: its control sheet (JSON) and what it
// prints go to files of the state folder, not to the batch's output. Empty
// when counted; else why not, and the count stays unknown.
std::string CountProblems(const Batch& b, int32_t no, const std::string& folder, Row* row) {
  if (b.verifier.empty()) return "no zelverify beside the program: problems not counted";
  const std::string json = b.StateFile(no, ".json"), printed = b.StateFile(no, ".out");
  std::error_code ec;
  fs::remove(Host(json), ec);
  fs::remove(Host(printed), ec);
  win::SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
  HANDLE out =
      win::CreateFileA(printed.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited, CREATE_NEW, 0, nullptr);
  std::string command =
      "\"" + b.verifier + "\" --json " + Argument(json) + " " + Argument(folder + kAssetFileName);
  win::STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = startup.hStdError = out;
  win::PROCESS_INFORMATION process = {};
  const bool ran = out != INVALID_HANDLE_VALUE &&
                   win::CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                                       nullptr, nullptr, &startup, &process) != 0;
  if (out != INVALID_HANDLE_VALUE) win::CloseHandle(out);
  if (ran) {
    win::WaitForSingleObject(process.hProcess, INFINITE);
    win::CloseHandle(process.hThread);
    win::CloseHandle(process.hProcess);
  }
  std::string sheet, said;
  ReadWhole(Host(json), &sheet);
  ReadWhole(Host(printed), &said);
  fs::remove(Host(json), ec);
  fs::remove(Host(printed), ec);
  // The sheet's own count is its last "problems" key: a quote inside a
  // text of the sheet is escaped, so no text can end like the key.
  const size_t at = sheet.rfind("\"problems\": ");
  char* end = nullptr;
  const long count = at == std::string::npos ? -1 : std::strtol(sheet.c_str() + at + 12, &end, 10);
  if (ran && count >= 0 && end != sheet.c_str() + at + 12) {
    row->problems = count;
    return "";
  }
  if (!ran) return "zelverify could not be started: problems not counted";
  said = said.substr(0, said.find('\n'));
  return "zelverify could not check the files: " + cp932::FromUtf8(said.empty() ? "no control sheet" : said);
}

// Exports one data set into a temporary folder and puts it in place whole.
// Fills the row's counts and status; on failure nothing of the data set is
// left under its folder's name.
void ExportInto(const Batch& b, int32_t no, const StDATAINFO& record, Row* row) {
  const std::string temp = b.StateFile(no, ".tmp\\");
  const fs::path host_temp = Host(temp), host_final = Host(b.Folder(row->data_id));
  const fs::path host_old = Host(b.StateFile(no, ".old"));
  std::error_code ec;
  fs::remove_all(host_temp, ec);
  fs::create_directory(host_temp, ec);

  StDATAINFO copy = record;
  AssetExporter exporter(build::kErrorLogName);
  exporter.SetOutputPath((temp + kAssetFileName).c_str());
  if (exporter.Paths().Derivation() != pathname::SiblingResult::kOk) {
    row->reason = "the output folder's path is too long";
  } else {
    exporter.OpenAssetFile(&copy);
    exporter.ExportAssets();
    exporter.ExportAssetTypes(&copy);
    if (exporter.ReadFailed()) {
      row->reason = "the data could not be read";
    } else if (!exporter.Succeeded()) {
      row->reason =
          std::string("a file could not be written: ") + exporter.Paths().Shown(exporter.FailedOutput());
    }
  }
  std::string note;  // why the problems were not counted
  if (row->reason.empty()) {
    std::string asset_file, log;
    ReadWhole(host_temp / kAssetFileName, &asset_file);
    const fs::path host_log = host_temp / build::kErrorLogName;
    ReadWhole(host_log, &log);
    // As the end report of a run: an error log without remarks goes.
    if (log.empty()) fs::remove(host_log, ec);
    row->rows = static_cast<long>(Count(asset_file, "\n")) - kHeaderLines;
    row->errors = static_cast<long>(Count(log, "＜ERROR＞"));
    row->warnings = static_cast<long>(Count(log, "＜WARNING＞"));
    note = CountProblems(b, no, temp, row);
    row->status = row->errors + row->warnings + std::max(row->problems, 0L) > 0 ? "remarks" : "ok";
    // An earlier folder of this data set goes aside first: a folder cannot
    // be renamed over another that holds files.
    fs::remove_all(host_old, ec);
    if (fs::exists(host_final, ec)) fs::rename(host_final, host_old, ec);
    if (!ec) fs::rename(host_temp, host_final, ec);
    if (ec) row->reason = "its folder could not be put in place: " + ec.message();
    fs::remove_all(host_old, ec);
  }
  if (!row->reason.empty()) {
    row->status = "failed";
    row->rows = row->errors = row->warnings = 0;
    row->problems = -1;
    fs::remove_all(host_final, ec);
  } else {
    row->reason = note;
  }
  fs::remove_all(host_temp, ec);
}

void RunOne(const Batch& b, int32_t no) {
  const Clock::time_point start = Clock::now();
  const StDATAINFO& record = b.records.at(no);
  Row row = RowOf(record);
  if (!ReadFingerprint(record, &row)) {
    row.status = "failed";
    row.reason = "the data could not be read";
    std::error_code ec;
    fs::remove_all(Host(b.Folder(row.data_id)), ec);
  } else {
    Row earlier;
    if (b.resume && b.ReadRow(no, &earlier, ".kept") &&
        (earlier.status == "ok" || earlier.status == "remarks") && earlier.fingerprint == row.fingerprint &&
        FolderWhole(b, earlier)) {
      b.WriteRow(no, earlier);  // still current: its row stands
      return;
    }
    // The exporter reads the data set to export from the selection.
    ClDataMgr::Inst()->GetSetObject(5, 1)->PinSelectedNo(no);
    ExportInto(b, no, record, &row);
  }
  row.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  b.WriteRow(no, row);
}

// A batch holds the lock of its output folder while it runs (the lock an
// export holds on its folder): one batch at a time writes there, and a
// worker that finds the lock free knows that its batch has ended (killed)
// and stops. The lock goes with the process.
bool LockOutput(const std::string& folder, outputcommit::FolderLock* lock) {
  return lock->Acquire(folder.c_str(), 0, nullptr) == outputcommit::FolderLock::Result::kLocked;
}

bool BatchEnded(const Batch& b) {
  outputcommit::FolderLock probe;
  return LockOutput(b.out_dir.substr(0, b.out_dir.size() - 1), &probe);
}

// Takes the data sets of the job list one at a time, as long as no other
// worker has claimed them; after_each runs after each one. A worker stops
// once its batch has ended, rather than export on for nobody.
template <typename AfterEach>
void Work(const Batch& b, bool worker, AfterEach after_each) {
  std::string jobs;
  ReadWhole(Host(b.state + "jobs"), &jobs);
  std::istringstream in(jobs);
  for (long no; in >> no;) {
    if (worker && BatchEnded(b)) break;
    HANDLE claim = win::CreateFileA(b.StateFile(static_cast<int32_t>(no), ".claim").c_str(), GENERIC_WRITE, 0,
                                    nullptr, CREATE_NEW, 0, nullptr);
    if (claim == INVALID_HANDLE_VALUE) continue;
    win::CloseHandle(claim);
    if (b.records.count(static_cast<int32_t>(no)) != 0) RunOne(b, static_cast<int32_t>(no));
    after_each();
  }
}

// ---- The batch ------------------------------------------------------------------------------------

struct Entry {
  int32_t no = -1;  // -1: not in the store
  Row row;
  bool job = false;  // exported by the workers
  bool done = false;
};

class Progress {
 public:
  Progress(size_t total) : total_(total), terminal_(ZEL_ISATTY(2) != 0) {}
  void Done(const Row& row) {
    ++done_;
    rows_ += row.rows;
    double seconds = std::chrono::duration<double>(Clock::now() - start_).count();
    std::string company = cp932::ToUtf8(row.company);
    if (terminal_) {
      std::fprintf(stderr, "\r\x1b[K%zu/%zu  %s  %.0f rows/s", done_, total_, company.c_str(),
                   seconds > 0 ? rows_ / seconds : 0.0);
      if (done_ == total_) std::fputc('\n', stderr);
    } else {
      std::fprintf(stderr, "%zu/%zu %s %s %s %.2fs\n", done_, total_, cp932::ToUtf8(row.data_id).c_str(),
                   row.status.c_str(), company.c_str(), row.seconds);
    }
    std::fflush(stderr);
  }

 private:
  size_t total_, done_ = 0;
  long rows_ = 0;
  bool terminal_;
  Clock::time_point start_ = Clock::now();
};

std::string SummaryText(const std::vector<Entry>& entries) {
  std::string text = std::string(batch::SummaryHeader()) + "\r\n";
  for (const Entry& e : entries)
    if (e.done) text += batch::FormatRow(e.row) + "\r\n";
  return text;
}

// Starts a worker process of this program on the batch's output folder.
bool StartWorker(const Batch& b, win::PROCESS_INFORMATION* process) {
  char program[kPathBufferSize] = {};
  win::GetModuleFileNameA(nullptr, program, sizeof program);
  std::string folder = b.out_dir.substr(0, b.out_dir.size() - 1);
  std::string command = std::string("\"") + program + "\" --batch-worker \"" + folder + "\"";
  if (b.resume) command += " --resume";
  win::STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  return win::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                             process) != 0;
}

// Which of the store's data sets the batch covers, in data-number order,
// then the named ones the store lacks; the rows of those it does not export.
std::vector<Entry> PlanEntries(const Batch& b, const BatchOptions& options) {
  std::set<std::string> named(options.data_ids.begin(), options.data_ids.end());
  const bool every = named.empty();
  std::vector<Entry> entries;
  std::map<std::string, std::string> folders;  // folded folder name -> data ID
  for (const auto& [no, record] : b.records) {
    Entry e;
    e.no = no;
    e.row = RowOf(record);
    // Only those named, also after the last of them has been found.
    if (!every && named.erase(e.row.data_id) == 0) continue;
    auto [other, fresh] = folders.emplace(Folded(e.row.data_id), e.row.data_id);
    if (record.sDataKind == kDataKindPastResults) {
      e.row.status = "skipped";
      e.row.reason = "past-results data";
    } else if (!SoundFolderName(e.row.data_id) || Folded(e.row.data_id) == kSummaryName) {
      e.row.status = "failed";
      e.row.reason = "the data ID cannot name a folder";
    } else if (!fresh) {
      e.row.status = "failed";
      e.row.reason = "its folder would be that of data set " + other->second;
    } else {
      e.job = true;
    }
    entries.push_back(e);
  }
  for (const std::string& id : named) {
    Entry e;
    e.row.data_id = id;
    e.row.status = "failed";
    e.row.reason = "no such data set in the store";
    entries.push_back(e);
  }
  return entries;
}

// Prepares the state folder: what a killed batch left is cleared, the rows
// of finished data sets are kept for --resume (also those that only
// summary.csv still names), and the job list is written.
bool PrepareState(const Batch& b, const std::vector<Entry>& entries) {
  std::error_code ec;
  const fs::path state = Host(b.state);
  if (!b.resume) fs::remove_all(state, ec);
  fs::create_directories(state, ec);
  if (ec) return false;
  for (const fs::directory_entry& entry : fs::directory_iterator(state, ec)) {
    fs::path kept = entry.path();
    if (entry.path().extension() == ".row") fs::rename(entry.path(), kept.replace_extension(".kept"), ec);
    if (entry.path().extension() != ".kept") fs::remove_all(entry.path(), ec);
  }
  std::string jobs;
  std::map<std::string, int32_t> numbers;
  for (const Entry& e : entries) {
    if (e.job) jobs += std::to_string(e.no) + "\n";
    if (e.no >= 0) numbers[e.row.data_id] = e.no;
  }
  if (b.resume) {
    std::string text;
    ReadWhole(Host(b.out_dir + kSummaryName), &text);
    for (const Row& row : batch::ParseSummary(text)) {
      auto it = numbers.find(row.data_id);
      Row kept;
      if (it != numbers.end() && row.data_no == std::to_string(it->second) &&
          !b.ReadRow(it->second, &kept, ".kept"))
        b.WriteRow(it->second, row, ".kept");
    }
  }
  return WriteWhole(Host(b.state + "jobs"), jobs);
}

int RunWhole(Batch& b, const BatchOptions& options) {
  std::vector<Entry> entries = PlanEntries(b, options);
  if (!PrepareState(b, entries)) {
    std::fprintf(stderr, "the output folder %s cannot be written\n", cp932::ToUtf8(b.out_dir).c_str());
    return kBatchFailed;
  }
  const fs::path summary = Host(b.out_dir + kSummaryName);
  Progress progress(entries.size());
  size_t jobs = 0;
  for (Entry& e : entries) {
    jobs += e.job ? 1 : 0;
    if (e.job) continue;
    e.done = true;
    progress.Done(e.row);
  }
  // Collects the rows the workers have left: one look at the state folder
  // rather than one per data set still to come.
  std::map<int32_t, Entry*> by_number;
  for (Entry& e : entries)
    if (e.job) by_number[e.no] = &e;
  auto collect = [&] {
    bool fresh = false;
    std::error_code ec;
    for (const fs::directory_entry& file : fs::directory_iterator(Host(b.state), ec)) {
      if (file.path().extension() != ".row") continue;
      auto it =
          by_number.find(static_cast<int32_t>(std::strtol(file.path().stem().string().c_str(), nullptr, 10)));
      if (it == by_number.end() || it->second->done || !b.ReadRow(it->first, &it->second->row)) continue;
      it->second->done = true;
      fresh = true;
      progress.Done(it->second->row);
    }
    if (fresh) WriteWhole(summary, SummaryText(entries));
  };
  WriteWhole(summary, SummaryText(entries));

  int workers = options.jobs > 0 ? options.jobs : static_cast<int>(std::thread::hardware_concurrency());
  workers = std::max(1, std::min<int>(workers, static_cast<int>(jobs)));
  if (workers <= 1) {
    Work(b, false, collect);
  } else {
    std::vector<win::PROCESS_INFORMATION> processes;
    for (int i = 0; i < workers; ++i) {
      win::PROCESS_INFORMATION process = {};
      if (StartWorker(b, &process)) processes.push_back(process);
    }
    // With no worker running, the batch does the work itself.
    if (processes.empty()) Work(b, false, collect);
    for (size_t running = processes.size(); running > 0;) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      collect();
      running = 0;
      for (const win::PROCESS_INFORMATION& p : processes)
        running += win::WaitForSingleObject(p.hProcess, 0) == WAIT_TIMEOUT ? 1 : 0;
    }
    for (win::PROCESS_INFORMATION& p : processes) {
      win::CloseHandle(p.hThread);
      win::CloseHandle(p.hProcess);
    }
  }
  collect();
  // A data set whose worker ended before it could say how it went.
  for (Entry& e : entries) {
    if (e.done) continue;
    e.row = RowOf(b.records.at(e.no));
    e.row.status = "failed";
    e.row.reason = "its worker ended without a result";
    e.done = true;
    progress.Done(e.row);
  }

  std::string text = SummaryText(entries);
  bool written = WriteWhole(summary, text);
  if (written) {
    std::error_code ec;
    fs::remove_all(Host(b.state), ec);
  } else {
    std::fprintf(stderr, "%s cannot be written\n", cp932::ToUtf8(b.out_dir + kSummaryName).c_str());
  }
  std::string shown = cp932::ToUtf8(text);
  shown.erase(std::remove(shown.begin(), shown.end(), '\r'), shown.end());
  std::fputs(shown.c_str(), stdout);

  int status = written ? kBatchAllOk : kBatchFailed;
  for (const Entry& e : entries) {
    if (e.row.status == "failed") status = kBatchFailed;
    if (e.row.status == "remarks" && status == kBatchAllOk) status = kBatchRemarks;
  }
  return status;
}

// Connects as start-up does; the batch shows no message box.
bool Connect(CZelExportApp& app) {
  ClZelConnect* connect = ClZelConnect::Inst();
  connect->SetAppTitle("減価償却");
  connect->SetAppType(build::kAppType);
  connect->SetUseDataType(3);
  if (connect->Initiate() != 0) return false;
  app.EnterProgramFolder();
  if (!app.CheckProgramLevel(0)) {
    std::fprintf(stderr, "the installed package does not support this program (OrvikDef.ini, MX13=2)\n");
    return false;
  }
  return connect->ExpSysLink() == 0;
}

}  // namespace

// ---- Command line ---------------------------------------------------------------------------------

bool ParseBatchArguments(const std::string& out_dir, const std::vector<std::string>& data_ids,
                         const std::string& jobs, bool resume, BatchOptions* options, std::string* why) {
  if (out_dir.empty()) {
    *why = "--batch needs an output folder";
    return false;
  }
  std::string dir = out_dir;
  const bool windows_form = (dir.size() > 2 && dir[1] == ':' && dir[2] == '\\') || dir.rfind("\\\\", 0) == 0;
  if (!windows_form) {
    std::error_code ec;
    std::u8string host = fs::absolute(win::HostFsPath(dir), ec).lexically_normal().u8string();
    dir = win::FromHostPath(std::string(host.begin(), host.end()));
  }
  while (dir.size() > 1 && dir.back() == '\\' && !cp932::EndsWithDoubleByte(dir)) dir.pop_back();
  if (dir.empty() || dir.find('"') != std::string::npos) {
    *why = "the output folder " + out_dir + " is on no drive";
    return false;
  }
  options->out_dir = dir;
  for (const std::string& id : data_ids) {
    if (id.empty()) {
      *why = "--data-set needs a data ID";
      return false;
    }
    options->data_ids.push_back(cp932::FromUtf8(id));
  }
  if (!jobs.empty()) {
    char* end = nullptr;
    const long n = std::strtol(jobs.c_str(), &end, 10);
    if (*end != '\0' || n < 1 || n > kMostJobs) {
      *why = "--jobs takes a number from 1 to " + std::to_string(kMostJobs) + ", not " + jobs;
      return false;
    }
    options->jobs = static_cast<int>(n);
  }
  options->resume = resume;
  return true;
}

int RunBatch(CZelExportApp& app, const BatchOptions& options) {
  int status = kBatchFailed;
  if (Connect(app)) {
    Batch b;
    b.out_dir = options.out_dir + "\\";
    b.state = b.out_dir + kStateFolder + "\\";
    b.resume = options.resume;
    b.verifier = VerifierBeside();
    b.records = WalkDataSets();
    std::error_code ec;
    fs::create_directories(Host(b.out_dir), ec);
    if (options.worker) {
      Work(b, true, [] {});
      status = 0;
    } else if (ec || Host(b.out_dir).empty()) {
      std::fprintf(stderr, "the output folder %s cannot be made\n", cp932::ToUtf8(options.out_dir).c_str());
    } else {
      // One batch at a time in an output folder: two would clear each
      // other's state and claims.
      outputcommit::FolderLock lock;
      if (!LockOutput(options.out_dir, &lock))
        std::fprintf(stderr, "another batch is writing to %s\n", cp932::ToUtf8(options.out_dir).c_str());
      else
        status = RunWhole(b, options);
    }
  }
  app.ExitInstance();
  return status;
}
