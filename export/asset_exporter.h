// AssetExporter: writes the three output files of a run, the asset data
// file, the asset type file "syurui.SSC" and the error log, from the assets
// and asset categories of the selected data set.
//
// Run control creates one per run with the program's error log name, sets
// the output paths, and calls
// OpenAssetFile, ExportAssets and ExportAssetTypes in this order. The
// exporter owns the component's rule object (created by the first walk),
// the output writer (accessors, files), the row builder (with the code
// register) and the paths. It walks the assets, has the builder make each
// row, and hands the row to the writer and the remarks to the error log.
//
// Failures of single values become remarks in the error log. A read of the
// component that fails stops the export at once. The files are written to
// temporary files beside their final names and take those names together at
// the end of ExportAssetTypes (CommitOutputs), only when every read and every
// file succeeded; otherwise nothing of the run reaches the final names.
// Succeeded() tells whether the run's files are in place, FailedOutputs()
// which were not, ReadFailed() whether the component's data could not be
// read.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "component/records.h"
#include "export/asset_row_builder.h"
#include "export/output_commit.h"
#include "export/output_paths.h"
#include "export/output_writer.h"

class ClRuleGenkashokyaku;

class AssetExporter {
 public:
  // error_log_name: the program's error log, written beside the asset data
  // file; kept by pointer (a constant of the program).
  explicit AssetExporter(const char* error_log_name);
  virtual ~AssetExporter();
  AssetExporter(const AssetExporter&) = delete;
  AssetExporter& operator=(const AssetExporter&) = delete;

  // The files of the run, derived from the asset data file's path. Files of
  // an earlier path that were not committed are discarded.
  void SetOutputPaths(const OutputPaths& paths);
  // The same from the full Windows path of the asset data file (at most 260
  // bytes; a longer path is kept empty, so nothing is written).
  void SetOutputPath(const char* path);
  // Each file's Windows path; empty when it has no sound form.
  const OutputPaths& Paths() const { return paths_; }

  // The data ID whose assets and categories are walked. Unpinned, the walk
  // takes the data set selected when it starts.
  void PinDataID(std::string_view data_id) {
    pinned_id_ = data_id;
    pinned_ = true;
  }

  // Opens the error log and the asset data file and writes the header.
  int OpenAssetFile(StDATAINFO* record);
  // Walks the assets into rows; closes both files. A row that cannot be
  // written stops the walk (the run has failed). 0 when the rule object
  // cannot be created or a read of the component failed.
  int ExportAssets();
  // Writes the asset type file, then commits the three files. 0 when the
  // rule object cannot be created or a read of the component failed (also
  // an earlier one: the files are then discarded unwritten).
  int ExportAssetTypes(StDATAINFO* record);
  // Gives the files opened in this run their final names when every read
  // and every one of them was sound; otherwise removes them all.
  // ExportAssetTypes ends with it; callers that write files by hand call it
  // themselves. Returns Succeeded().
  bool CommitOutputs();

  // Opens output file kind (OutputKind) under its path; 0 when it cannot be
  // opened, 1 when it is open or kind names no file.
  int OpenOutput(int16_t kind);
  int CloseOutput(int16_t kind);
  int CreateRule();

  int WriteHeader(StDATAINFO* record);
  // Writes the row of an ordinary asset, or of one item of a lump-sum asset
  // (the month record is read by no column). 0 when the row could not be
  // written to the asset data file, which fails the run; 1 otherwise, also
  // when the records give no row (the 100th item, a null record).
  int32_t WriteRow(StKOTEISHISANINFO* master, StKOTEINENINFO* year, StKOTEITSUKIINFO* month,
                   StIKKATSUINFO* item);
  int WriteTypeHeader(StDATAINFO* record);
  int WriteTypeRow(StSHISANKUBUNINFO* category);
  int WriteErrorLog(const char* text);

  // True when every read succeeded and all three files were written,
  // closed and given their final names.
  bool Succeeded() const;
  // True when a read of the component failed (or the rule object could not
  // be made): the export stopped and wrote nothing under the final names.
  bool ReadFailed() const { return read_failed_; }
  // The output files that could not be written (opened, filled, closed and
  // given their name), one bit per OutputKind (1 << kind); 0 when none.
  unsigned FailedOutputs() const;
  // The first of them (OutputKind), or -1.
  int FailedOutput() const;
  // The output files that stand under their final names, one bit per
  // OutputKind: after a failed run, the files it did change.
  unsigned ChangedOutputs() const;
  // True when another run held the output folder for longer than the wait
  // (SetOutputLockWait): nothing was read or written.
  bool OutputBusy() const { return busy_; }

  // How long OpenAssetFile waits for another run that writes into the same
  // folder (runs into one folder take turns: output_commit.h), and whom it
  // tells that it waits (null: nobody).
  using NoticeSink = void (*)(const char* text);
  void SetOutputLockWait(long timeout_ms, NoticeSink notice) {
    lock_timeout_ms_ = timeout_ms;
    notice_ = notice;
  }

  // Today's date for the asset type file; tests fix it.
  using DateSource = void (*)(int* year, int* month, int* day);
  void SetDateSource(DateSource source) { date_source_ = source; }

  // Told how far the asset walk has come: assets done of the total, once
  // before the first asset and after each one. Null (the default) for none.
  using ProgressSink = void (*)(long done, long total);
  void SetProgressSink(ProgressSink sink) { progress_ = sink; }

 private:
  // Declared in reverse order of destruction: the builder (and its code
  // register) goes first, then the writer, the rule object and the paths,
  // which the writer's files refer to until they are committed or discarded.
  // Takes the output folder's lock, then finishes or removes what a run
  // cut short left there; false when another run kept the lock too long.
  bool TakeOutputFolder();

  const char* const error_log_name_;
  OutputPaths paths_;
  outputcommit::FolderLock folder_lock_;       // outlives the writer: its files go under the lock
  std::unique_ptr<ClRuleGenkashokyaku> rule_;  // deleted through its virtual destructor
  OutputWriter writer_;
  AssetRowBuilder rows_{&writer_};  // its remarks go to the error log
  DateSource date_source_ = nullptr;
  ProgressSink progress_ = nullptr;
  bool read_failed_ = false;
  bool pinned_ = false;
  std::string pinned_id_;
  bool busy_ = false;
  long lock_timeout_ms_ = 120000;
  NoticeSink notice_ = nullptr;
};
