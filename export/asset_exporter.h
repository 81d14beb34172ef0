// AssetExporter: writes the three output files of a run, the asset data
// file, the asset type file "syurui.SSC" and the error log, from the assets
// and asset categories of the selected data set.
//
// Run control creates one per run, sets the output path, and calls
// OpenAssetFile, ExportAssets and ExportAssetTypes in this order. The
// exporter owns the component's rule object (created by the first walk),
// the output writer (accessors, files, code register) and the path.
//
// Failures of single values become remarks in the error log; failures of
// the files do not stop the run but are kept: Succeeded() tells whether all
// three files were opened, fully written and closed, and FailedOutput()
// which one was not.
#pragma once

#include <cstdint>
#include <memory>

#include "component/records.h"
#include "export/output_writer.h"

class ClRuleGenkashokyaku;

class AssetExporter {
 public:
  AssetExporter();
  virtual ~AssetExporter();
  AssetExporter(const AssetExporter&) = delete;
  AssetExporter& operator=(const AssetExporter&) = delete;

  // The full Windows path of the asset data file (at most 260 bytes; a
  // longer path is kept empty, so nothing is written).
  void SetOutputPath(const char* path);
  const char* GetOutputPath() const { return output_path_; }

  // Opens the error log and the asset data file and writes the header.
  int OpenAssetFile(StDATAINFO* record);
  // Walks the assets into rows; closes both files. 0 when the rule object
  // cannot be created.
  int ExportAssets();
  // Writes the asset type file. 0 when the rule object cannot be created.
  int ExportAssetTypes(StDATAINFO* record);

  int OpenOutput(int16_t kind, const char* path);
  int CloseOutput(int16_t kind);
  int CreateRule();

  int WriteHeader(StDATAINFO* record);
  int32_t WriteRow(StKOTEISHISANINFO* master, StKOTEINENINFO* year, StKOTEITSUKIINFO* month,
                   StIKKATSUINFO* item);
  int WriteTypeHeader(StDATAINFO* record);
  int WriteTypeRow(StSHISANKUBUNINFO* category);
  int WriteErrorLog(const char* text);

  // True when all three files were opened, fully written and closed.
  bool Succeeded() const;
  // The first output file that was not (OutputKind), or -1.
  int FailedOutput() const;
  // The Windows path of output file kind; empty when it has no sound form.
  const char* OutputPath(int16_t kind) const;

  // Today's date for the asset type file; tests fix it.
  using DateSource = void (*)(int* year, int* month, int* day);
  void SetDateSource(DateSource source) { date_source_ = source; }

 private:
  void WriteAssetRow(const StKOTEISHISANINFO& master, const StKOTEINENINFO& year);
  void WriteBreakdownRow(const StKOTEISHISANINFO& master, const StIKKATSUINFO& item);
  void AmountColumn(AssetRow& row, int column, int64_t amount);
  void RealColumn(AssetRow& row, int column, double value);
  void CurrentDepreciationColumn(AssetRow& row, const StKOTEINENINFO& year);
  void RatioColumns(AssetRow& row, const StKOTEISHISANINFO& master);
  void NameColumn(AssetRow& row, std::string_view name, const char* label);
  void LogCutText(const char* label, std::string_view text);
  void Remarkf(const char* format, ...) __attribute__((format(printf, 2, 3)));

  // Declared in reverse order of destruction: the writer goes first, then
  // the rule object, then the path.
  char output_path_[kPathBufferSize] = {};
  char type_file_path_[kPathBufferSize] = {};  // empty when it has no sound form
  char error_log_path_[kPathBufferSize] = {};
  std::unique_ptr<ClRuleGenkashokyaku> rule_;  // deleted through its virtual destructor
  OutputWriter writer_;
  DateSource date_source_ = nullptr;
};
