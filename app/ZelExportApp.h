// Run control: the program's application object. The whole run takes place
// in InitInstance: connect to the package, check that package and program
// fit, load the selected data set, show the export conditions dialog, run
// the export and report; ExitInstance disconnects on every path.
//
// Exit status: 0 after an export whose files were all written, 1 when the
// run ended early, 2 when the export could not write its files.
#pragma once

#include <cstdint>

#include "component/component.h"
#include "platform/ui/dialog.h"

class AssetExporter;
class OutputPaths;

class CZelExportApp : public ui::CWinApp {
 public:
  CZelExportApp() = default;

  BOOL InitInstance() override;
  int ExitInstance() override;

  // Fills record with the data set that the current user has selected; the
  // record stays cleared when none matches. 0 only for a null record.
  int LoadDataInfo(StDATAINFO* record);
  // The company line (kind 0) or the period line (kind 1) of record, in one
  // shared buffer of 256 bytes that every call overwrites.
  static const char* GetInfoText(int16_t kind, const StDATAINFO* record);
  // Starts the program of command_line in folder; with wait, returns only
  // after it has ended, and input given meanwhile is thrown away. 0 when it
  // could not be started.
  int ExecProcess(char* command_line, const char* folder, bool wait);
  // 1 when the installed package supports this program (OrvikDef.ini in
  // the current folder); otherwise 0, after its message when show is set.
  int CheckProgramLevel(int show);
  // Makes the folder of the program file the current directory.
  void EnterProgramFolder();

  static constexpr int kExportCode = 1005;
  static constexpr int kQuitCode = 1006;
  static constexpr int kExportFailedStatus = 2;
  // How long an export waits for another that writes into the same folder.
  static constexpr long kOutputLockWaitMs = 120000;

 private:
  // The end report on the files of the run: the viewer on a non-empty error
  // log, then one of the two end messages; or the failure message when a
  // file was not written.
  void ReportEnd(const OutputPaths& files, const AssetExporter& exporter);
  // True when the selected data set is still the one shown (the record
  // loaded at start-up, byte for byte); otherwise says which data set the
  // dialog showed and that nothing was exported.
  bool SameDataSetSelected(const StDATAINFO& shown);
  ClSetData* set_data_ = nullptr;  // the component's; fetched once
};
