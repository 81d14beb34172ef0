// The control sheet: the check of an export's three files together with
// what a person signs for, the figures per asset type and method (the
// number of assets and breakdown rows, the sums of 取得価額, 期首帳簿価額,
// 当期償却額 and 期末帳簿価額), reconciled with the store when one is given;
// shown as an HTML page, a table on the terminal, or JSON for a program.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "verify/error_log.h"
#include "verify/reconcile.h"
#include "verify/remark_rows.h"
#include "verify/report.h"
#include "verify/verifier.h"

namespace verify {

struct SheetOptions {
  std::string asset_file;
  std::string html;      // --report: the page to write
  std::string store;     // --store: the store to reconcile with
  std::string json;      // --json: the figures for a program
  bool summary = false;  // --summary: the table on standard output in place of the findings
  PrintOptions print;    // --all, --max-lines: how the findings are printed
};

// One of the three files: its path, and its size and digest when it could
// be read.
struct FileFacts {
  const char* role = "";
  std::string path;
  bool read = false;
  uint64_t size = 0;
  std::string sha256;
  std::string why;  // why it could not be read
};

// Findings of one kind (same file, column and wording but for the values).
struct FindingGroup {
  Finding first;
  long count = 0;
};

struct ControlSheet {
  Summary check;            // what the check read and found
  std::string program;      // the export program, known from its error log's name
  FileHeader header;        // CP932
  std::string export_date;  // syurui.SSC's date line (y/m/d)
  std::string made;         // when the sheet was made, local time
  std::string store_path;
  std::string data_set;  // the store's data ID (CP932)
  FileFacts files[3];    // asset data file, syurui.SSC, error log
  Reconciliation figures;
  std::vector<LogEntry> remarks;
  std::vector<RemarkRow> remark_rows;  // one for each remark
  std::vector<Finding> problems;       // the first ones
  std::vector<FindingGroup> warnings;  // grouped
  long problem_count = 0, warning_count = 0;
};

// Runs the check and writes what the options ask for; findings and messages
// as zelverify prints them. Returns the exit status: that of the check, 1
// when the store differs, 2 when a file cannot be read or written.
int RunControlSheet(const SheetOptions& options, std::ostream& out, std::ostream& err);

}  // namespace verify
