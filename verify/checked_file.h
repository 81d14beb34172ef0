// CheckedFile: one of the files under check, read line by line, with the
// findings that concern any line of it: every line ends with CR LF. Also the
// helpers that both comma-separated files share: splitting a line into its
// fields and matching the fixed lines of a header block.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "verify/field_check.h"
#include "verify/line_reader.h"
#include "verify/report.h"

namespace verify {

class CheckedFile {
 public:
  // shown: the path as findings name it.
  CheckedFile(std::string shown, Report* report) : shown_(std::move(shown)), report_(report) {}

  bool Open(const std::string& host, std::string* why) {
    host_ = host;
    return reader_.Open(host, why);
  }
  const std::string& host() const { return host_; }

  // The next line (without line end; at most LineReader::kKept bytes of it)
  // and its full length; reports a line that does not end with CR LF.
  // False at the end of the file or on a read error (failed()).
  bool Next(std::string_view* line, size_t* length);
  bool failed() const { return reader_.failed(); }
  long line_number() const { return line_; }

  // Findings about the current line (column 0: the line as a whole).
  // kind: what kind of finding, for grouping (Report::Add).
  void Problem(long column, std::string_view name, std::string_view why, std::string_view kind = {}) {
    report_->Add(Severity::kProblem, shown_, line_, column, name, why, kind);
  }
  void Warning(long column, std::string_view name, std::string_view why, std::string_view kind = {}) {
    report_->Add(Severity::kWarning, shown_, line_, column, name, why, kind);
  }
  Report* report() { return report_; }
  const std::string& shown() const { return shown_; }

  // A header line that must be one of texts: reports it otherwise.
  void ExpectLine(std::string_view line, std::initializer_list<std::string_view> texts);
  // A header line that names the data set's kind: corporation or
  // individual, or empty for a data set that is neither (a warning that
  // names the line as what).
  void ExpectKindLine(std::string_view line, std::string_view what, std::string_view corporation,
                      std::string_view individual);

  // Reports the verdict on a field; note is added to an over-width or
  // over-limit verdict (where the writer may have remarked on it).
  void ReportVerdict(long column, std::string_view name, const Verdict& verdict, std::string_view note);

 private:
  std::string shown_;
  std::string host_;
  Report* report_;
  LineReader reader_;
  long line_ = 0;
};

// The fields of a line split at every comma (no field is quoted; a comma is
// never the second byte of a double-byte character).
void SplitFields(std::string_view line, std::vector<std::string_view>* fields);

// The most bytes a line may have to be read back (the reading side's line
// buffer).
constexpr size_t kMaxLineBytes = 1023;

}  // namespace verify
