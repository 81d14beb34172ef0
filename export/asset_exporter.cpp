#include "export/asset_exporter.h"

#include <cstdio>
#include <cstring>
#include <new>

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

}  // namespace

AssetExporter::AssetExporter() : date_source_(TodayFromClock) {}

AssetExporter::~AssetExporter() {
  // The writer, then the rule object, then the path go with the members.
  if (rule_ != nullptr) rule_->MoveFinish();
}

void AssetExporter::SetOutputPath(const char* path) {
  output_path_[0] = '\0';
  type_file_path_[0] = '\0';
  error_log_path_[0] = '\0';
  // A path over 260 bytes stays empty: it is never shortened into another
  // file's name, and nothing is opened.
  size_t n = path == nullptr ? 0 : cp932::FieldLength(path, kPathBufferSize);
  if (n >= kPathBufferSize) return;
  std::memcpy(output_path_, path, n);
  output_path_[n] = '\0';
  DeriveOutputPath(DerivedFile::kTypeFile, output_path_, type_file_path_);
  DeriveOutputPath(DerivedFile::kErrorLog, output_path_, error_log_path_);
}

int AssetExporter::OpenOutput(int16_t kind, const char* path) {
  char derived[kPathBufferSize] = {};
  const char* target = derived;
  switch (kind) {
    case kAssetDataFile:
      target = path;
      break;
    case kTypeFile:
      DeriveOutputPath(DerivedFile::kTypeFile, path, derived);
      break;
    case kErrorLogFile:
      DeriveOutputPath(DerivedFile::kErrorLog, path, derived);
      break;
    default:
      return 1;
  }
  return writer_.Open(static_cast<OutputKind>(kind), target) ? 1 : 0;
}

int AssetExporter::CloseOutput(int16_t kind) {
  if (kind >= 0 && kind < kOutputKinds) writer_.Close(static_cast<OutputKind>(kind));
  return 1;
}

int AssetExporter::OpenAssetFile(StDATAINFO* record) {
  char path[kPathBufferSize];
  std::memcpy(path, output_path_, sizeof path);
  OpenOutput(kErrorLogFile, path);
  OpenOutput(kAssetDataFile, path);
  WriteHeader(record);
  return 1;
}

int AssetExporter::CreateRule() {
  std::unique_ptr<ClRuleGenkashokyaku> rule(new (std::nothrow) ClRuleGenkashokyaku());
  if (!rule) return 0;
  rule->AttachSetMgr(ClDataMgr::Inst()->GetSetMgr());
  char data_id[sizeof(StDATAINFO::szDataID) + 1] = {};
  ClSetData* sets = ClDataMgr::Inst()->GetSetObject(5, 1);
  StDATAINFO* selected = sets != nullptr ? sets->GetSelectedInfo() : nullptr;
  if (selected != nullptr) {
    std::string_view id = cp932::FieldText(selected->szDataID, sizeof selected->szDataID);
    std::memcpy(data_id, id.data(), id.size());
  }
  rule->SetCurDataID(data_id);
  rule->AttachOptLink(ClLinkMgr::Inst()->GetOptLink());
  rule_ = std::move(rule);
  return 1;
}

int AssetExporter::ExportAssets() {
  if (!rule_ && !CreateRule()) return 0;
  rule_->MoveReady(nullptr, 0, 0);
  long count = 0;
  rule_->GetCount(&count);

  MasterBuffer master;
  StKOTEINENINFO year;
  StKOTEITSUKIINFO month;
  StIKKATSUINFO item;
  uint8_t key[16];
  std::memset(&item, 0, sizeof item);
  for (long i = 0; i < count; ++i) {
    std::memset(&master, 0, sizeof master);
    std::memset(&year, 0, sizeof year);
    std::memset(&month, 0, sizeof month);
    rule_->Move(i, &master.record, &year, &month);
    if (master.record.sMethodCode == 4) {
      std::memcpy(key, master.record.assetKey, sizeof key);
      rule_->MoveReadyIkkatsu(key);
      long items = 0;
      rule_->GetIkkatsuCount(&items);
      for (long j = 0; j < items && j < kMaxItemsPassed; ++j) {
        std::memset(&item, 0, sizeof item);
        rule_->MoveIkkatsu(j, &item);
        std::memset(item.szBreakdownNo, 0, sizeof item.szBreakdownNo);
        std::snprintf(item.szBreakdownNo, sizeof item.szBreakdownNo, "%ld", j + 1);
        if (WriteRow(&master.record, &year, &month, &item) == 0) break;
      }
      rule_->MoveFinishIkkatsu();
    } else if (WriteRow(&master.record, &year, &month, &item) == 0) {
      break;
    }
  }
  CloseOutput(kAssetDataFile);
  CloseOutput(kErrorLogFile);
  return 1;
}

int AssetExporter::ExportAssetTypes(StDATAINFO* record) {
  char path[kPathBufferSize];
  std::memcpy(path, output_path_, sizeof path);
  OpenOutput(kTypeFile, path);
  WriteTypeHeader(record);
  if (!rule_ && !CreateRule()) return 0;
  StSHISANKUBUNINFO* categories = nullptr;
  long count = 0;
  rule_->LoadShisanKubunInfo(&categories, &count);
  for (long i = 0; i < count && categories != nullptr; ++i) WriteTypeRow(&categories[i]);
  CloseOutput(kTypeFile);
  if (categories != nullptr) win::CoTaskMemFree(categories);
  return 1;
}

bool AssetExporter::Succeeded() const { return FailedOutput() < 0; }

int AssetExporter::FailedOutput() const {
  for (int k = 0; k < kOutputKinds; ++k) {
    const OutputFileStatus& s = writer_.Status(static_cast<OutputKind>(k));
    if (!s.opened || s.write_failed || !s.closed) return k;
  }
  return -1;
}

const char* AssetExporter::OutputPath(int16_t kind) const {
  switch (kind) {
    case kAssetDataFile: return output_path_;
    case kTypeFile: return type_file_path_;
    case kErrorLogFile: return error_log_path_;
    default: return "";
  }
}
