#include "export/asset_exporter.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "component/component.h"
#include "platform/cp932.h"
#include "platform/win.h"

namespace {

void TodayFromClock(int* year, int* month, int* day) {
  win::SYSTEMTIME now{};
  win::GetLocalTime(&now);
  *year = now.wYear;
  *month = now.wMonth;
  *day = now.wDay;
}

#pragma pack(push, 1)
// The master record with one spare zero byte after it.
struct MasterBuffer {
  StKOTEISHISANINFO record;
  uint8_t spare;
};
#pragma pack(pop)
static_assert(sizeof(MasterBuffer) == 545);

constexpr long kMaxItemsPassed = 100;

// The component may deliver any bytes. Its texts are made valid Shift_JIS
// before anything quotes them, so that a lone lead byte at the end of a name
// cannot join the bracket or separator that follows it in a row or a remark.
template <size_t N>
void MakeFieldValid(char (&field)[N]) {
  cp932::MakeValid(field, cp932::FieldLength(field, N));
}

void MakeTextsValid(StKOTEISHISANINFO& m) {
  MakeFieldValid(m.szCode);
  MakeFieldValid(m.szName);
  MakeFieldValid(m.szQuantity);
  MakeFieldValid(m.szMemo);
  MakeFieldValid(m.szCapexLink);
}

void MakeTextsValid(StIKKATSUINFO& item) { MakeFieldValid(item.szName); }

}  // namespace

AssetExporter::AssetExporter(const char* error_log_name)
    : error_log_name_(error_log_name), date_source_(TodayFromClock) {}

AssetExporter::~AssetExporter() {
  // The builder, the writer, the rule object and the paths go with the
  // members, in this order.
  if (rule_ != nullptr) rule_->MoveFinish();
}

void AssetExporter::SetOutputPaths(const OutputPaths& paths) {
  // The writer refers to the paths of its files: none of them may be
  // renamed or removed under a name the exporter no longer holds.
  for (int k = 0; k < kOutputKinds; ++k) writer_.Discard(static_cast<OutputKind>(k));
  paths_ = paths;
}

void AssetExporter::SetOutputPath(const char* path) { SetOutputPaths(OutputPaths(path, error_log_name_)); }

int AssetExporter::OpenOutput(int16_t kind) {
  if (kind < 0 || kind >= kOutputKinds) return 1;
  return writer_.Open(static_cast<OutputKind>(kind), paths_.Path(kind)) ? 1 : 0;
}

int AssetExporter::CloseOutput(int16_t kind) {
  if (kind >= 0 && kind < kOutputKinds) writer_.Close(static_cast<OutputKind>(kind));
  return 1;
}

bool AssetExporter::TakeOutputFolder() {
  std::string folder = outputcommit::FolderOf(paths_.Path(kAssetDataFile));
  if (folder.empty()) return true;
  using Result = outputcommit::FolderLock::Result;
  Result result = folder_lock_.Acquire(folder.c_str(), lock_timeout_ms_, notice_);
  if (result == Result::kTimedOut) return false;
  // What a run cut short left there is finished or removed before this run
  // adds anything.
  if (result == Result::kLocked) outputcommit::Tidy(folder.c_str());
  return true;
}

int AssetExporter::OpenAssetFile(StDATAINFO* record) {
  if (!TakeOutputFolder()) {
    busy_ = true;
    return 1;
  }
  OpenOutput(kErrorLogFile);
  OpenOutput(kAssetDataFile);
  WriteHeader(record);
  return 1;
}

int AssetExporter::CreateRule() {
  std::unique_ptr<ClRuleGenkashokyaku> rule(new (std::nothrow) ClRuleGenkashokyaku());
  if (!rule) return 0;
  rule->AttachSetMgr(ClDataMgr::Inst()->GetSetMgr());
  char data_id[sizeof(StDATAINFO::szDataID) + 1] = {};
  std::string_view id = pinned_id_;
  ClSetData* sets = pinned_ ? nullptr : ClDataMgr::Inst()->GetSetObject(5, 1);
  StDATAINFO* selected = sets != nullptr ? sets->GetSelectedInfo() : nullptr;
  if (selected != nullptr) id = cp932::FieldText(selected->szDataID, sizeof selected->szDataID);
  std::memcpy(data_id, id.data(), std::min(id.size(), sizeof data_id - 1));
  rule->SetCurDataID(data_id);
  rule->AttachOptLink(ClLinkMgr::Inst()->GetOptLink());
  rule_ = std::move(rule);
  return 1;
}

int AssetExporter::ExportAssets() {
  if (busy_) return 0;
  if (!rule_ && !CreateRule()) {
    read_failed_ = true;
    return 0;
  }
  long count = 0;
  // A read that fails stops the walk: the component has said why, and rows
  // made of cleared records would look like real assets.
  read_failed_ = read_failed_ || rule_->MoveReady(nullptr, 0, 0) != 0 || rule_->GetCount(&count) != 0;
  if (read_failed_) count = 0;

  MasterBuffer master;
  StKOTEINENINFO year;
  StKOTEITSUKIINFO month;
  StIKKATSUINFO item;
  uint8_t key[16];
  std::memset(&item, 0, sizeof item);
  // A row that could not be written fails the run: nothing of it will be
  // kept, so the walk stops there.
  bool row_failed = false;
  if (progress_ != nullptr) progress_(0, count);
  for (long i = 0; i < count; ++i) {
    std::memset(&master, 0, sizeof master);
    std::memset(&year, 0, sizeof year);
    std::memset(&month, 0, sizeof month);
    if (rule_->Move(i, &master.record, &year, &month) != 0) {
      read_failed_ = true;
      break;
    }
    MakeTextsValid(master.record);
    if (master.record.sMethodCode == kMethodLumpSum) {
      std::memcpy(key, master.record.assetKey, sizeof key);
      long items = 0;
      if (rule_->MoveReadyIkkatsu(key) != 0 || rule_->GetIkkatsuCount(&items) != 0) {
        read_failed_ = true;
        break;
      }
      for (long j = 0; j < items && j < kMaxItemsPassed; ++j) {
        std::memset(&item, 0, sizeof item);
        if (rule_->MoveIkkatsu(j, &item) != 0) {
          read_failed_ = true;
          break;
        }
        MakeTextsValid(item);
        std::memset(item.szBreakdownNo, 0, sizeof item.szBreakdownNo);
        std::snprintf(item.szBreakdownNo, sizeof item.szBreakdownNo, "%ld", j + 1);
        if (WriteRow(&master.record, &year, &month, &item) == 0) {
          row_failed = true;
          break;
        }
      }
      rule_->MoveFinishIkkatsu();
      if (read_failed_ || row_failed) break;
    } else if (WriteRow(&master.record, &year, &month, &item) == 0) {
      break;
    }
    if (progress_ != nullptr) progress_(i + 1, count);
  }
  CloseOutput(kAssetDataFile);
  CloseOutput(kErrorLogFile);
  return read_failed_ ? 0 : 1;
}

int AssetExporter::ExportAssetTypes(StDATAINFO* record) {
  // After a failed read nothing of the run is kept, so there is nothing to
  // add to it.
  if (read_failed_ || busy_) {
    CommitOutputs();
    return 0;
  }
  OpenOutput(kTypeFile);
  WriteTypeHeader(record);
  if (!rule_ && !CreateRule()) {
    read_failed_ = true;
    CommitOutputs();
    return 0;
  }
  StSHISANKUBUNINFO* categories = nullptr;
  long count = 0;
  if (rule_->LoadShisanKubunInfo(&categories, &count) != 0) read_failed_ = true;
  // A damaged key can hide rows without any read failing: the export counts
  // as read only once the store has shown that nothing was hidden.
  if (!read_failed_ && rule_->CheckComplete() != 0) read_failed_ = true;
  // Every read is done: the walk ends here rather than at destruction, so
  // that the store's read transaction does not keep other programs from
  // writing while the end report (and the log viewer) is on screen.
  rule_->MoveFinish();
  for (long i = 0; i < count && categories != nullptr && !read_failed_; ++i) WriteTypeRow(&categories[i]);
  CloseOutput(kTypeFile);
  if (categories != nullptr) win::CoTaskMemFree(categories);
  CommitOutputs();
  return read_failed_ ? 0 : 1;
}

bool AssetExporter::CommitOutputs() {
  if (read_failed_ || busy_) {
    for (int k = 0; k < kOutputKinds; ++k) writer_.Discard(static_cast<OutputKind>(k));
  } else {
    writer_.CommitAll();
  }
  // The next run into the folder may begin.
  folder_lock_.Release();
  return Succeeded();
}

bool AssetExporter::Succeeded() const {
  bool all = !read_failed_ && !busy_;
  for (int k = 0; k < kOutputKinds; ++k) all = all && writer_.Status(static_cast<OutputKind>(k)).committed;
  return all;
}

unsigned AssetExporter::FailedOutputs() const {
  unsigned failed = 0;
  for (int k = 0; k < kOutputKinds; ++k) {
    if (!writer_.Sound(static_cast<OutputKind>(k))) failed |= 1u << k;
  }
  return failed;
}

unsigned AssetExporter::ChangedOutputs() const {
  unsigned changed = 0;
  for (int k = 0; k < kOutputKinds; ++k) {
    const OutputFileStatus& s = writer_.Status(static_cast<OutputKind>(k));
    if (s.committed || s.touched) changed |= 1u << k;
  }
  return changed;
}

int AssetExporter::FailedOutput() const {
  for (int k = 0; k < kOutputKinds; ++k) {
    if (FailedOutputs() & (1u << k)) return k;
  }
  return -1;
}

int32_t AssetExporter::WriteRow(StKOTEISHISANINFO* master, StKOTEINENINFO* year, StKOTEITSUKIINFO*,
                                StIKKATSUINFO* item) {
  ClTextAccessor& accessor = writer_.asset_row;
  writer_.files[kAssetDataFile].Attach(&accessor);
  accessor.SetMode(ClTextAccessor::DELIM_COMMA, ClTextAccessor::QUOTE_NONE);
  if (master == nullptr || year == nullptr || item == nullptr) return 1;
  AssetRow row(writer_.asset_row.record);
  if (!rows_.Build(*master, *year, *item, &row)) return 1;
  row.ApplyMask(&accessor);
  return writer_.WriteLine(kAssetDataFile, &accessor) ? 1 : 0;
}

int AssetExporter::WriteErrorLog(const char* text) {
  writer_.Remark(text);
  return 1;
}
