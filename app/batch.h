// Batch export: every data set of the store (or those named) exported
// without a dialog, each into a folder of its own under one output folder,
// with a summary of the run. An accounting office hands all its clients to
// the depreciation application in one run this way.
//
// Each data set goes through the same exporter as a dialog export, so its
// folder holds the same bytes as a dialog export of that data set on the same
// day: the asset data file "assets.csv", "syurui.SSC" and the program's
// error log (only when it has remarks). A folder is written under a
// temporary name and renamed whole, so a killed batch leaves only whole
// folders. The summary "summary.csv" (Shift_JIS, CR LF) is rewritten after
// every data set and keeps each one's fingerprint of its store data, which
// --resume compares to skip the folders that are still current.
//
// Side by side (--jobs N), data sets run in worker processes of this
// program, each with its own connection to the store: the package's
// connection, its data-set walks and the selection that the exporter reads
// are one per process, so threads would share (and race on) them. The
// workers take the data sets one at a time by claim files in the output
// folder's state folder ".batch", and leave each data set's summary row
// there for the batch to collect.
#pragma once

#include <string>
#include <vector>

class CZelExportApp;

struct BatchOptions {
  std::string out_dir;                // the output folder, a Windows path (CP932), absolute
  std::vector<std::string> data_ids;  // CP932; empty: every data set of the store
  int jobs = 0;                       // data sets side by side; 0: the number of cores
  bool resume = false;                // keep the folders whose data has not changed
  bool worker = false;                // a worker process that the batch started
};

// Exit statuses of a batch.
inline constexpr int kBatchAllOk = 0;
inline constexpr int kBatchRemarks = 1;
inline constexpr int kBatchFailed = 2;
inline constexpr int kBatchUsage = 64;

// Reads the options of a batch: its output folder (a Windows path, or a
// path of this computer), the data IDs named (UTF-8), --jobs's number (empty:
// not given) and --resume. False with the mistake in *why.
bool ParseBatchArguments(const std::string& out_dir, const std::vector<std::string>& data_ids,
                         const std::string& jobs, bool resume, BatchOptions* options, std::string* why);

// Connects to the package as a run does (without its messages), runs the
// batch or, for a worker, its share of it, and disconnects. The exit status.
int RunBatch(CZelExportApp& app, const BatchOptions& options);
