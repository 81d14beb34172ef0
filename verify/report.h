// Report: where the verifier's findings go. A problem is something the
// depreciation application cannot take; a warning is something it takes but
// that may not arrive as meant. A finding is printed as
//   FILE:LINE: problem: column N "NAME": WHY
// (line, column and name left out where they do not apply), in UTF-8; the
// column names and reasons are CP932 inside and converted at the output.
//
// By default findings of one kind in one column are grouped: the first is
// printed with how many there are and their first lines, problems before
// warnings, when the check ends (Flush). With `all` each finding is printed
// as it comes. Either way at most max_lines lines of findings are printed,
// and one more line says how many were left out.
#pragma once

#include <iosfwd>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace verify {

enum class Severity { kProblem, kWarning };

struct Finding;

// Is told of every finding as it is added (the control sheet groups them).
class FindingObserver {
 public:
  virtual ~FindingObserver() = default;
  virtual void Seen(const Finding& finding) = 0;
};

struct PrintOptions {
  bool all = false;     // every finding on a line of its own, in the order found
  long max_lines = -1;  // 0: no limit; -1: 30 grouped, no limit with all
};

struct Finding {
  Severity severity = Severity::kProblem;
  std::string file;  // host path, as shown
  long line = 0;     // 1-based; 0 for the file as a whole
  long column = 0;   // 1-based; 0 for the line as a whole
  std::string name;  // column name (CP932), empty without a column
  std::string why;   // CP932
  // What kind of finding it is, for grouping; empty: the why with its
  // numbers left out.
  std::string kind;
};

class Report {
 public:
  // out: where findings are printed (null: nowhere). keep: also keep every
  // finding in memory (for tests; a large file may have many).
  explicit Report(std::ostream* out, bool keep = false, PrintOptions print = {});

  void Add(Severity severity, const std::string& file, long line, long column, std::string_view name,
           std::string_view why, std::string_view kind = {});
  void Problem(const std::string& file, long line, std::string_view why) {
    Add(Severity::kProblem, file, line, 0, {}, why);
  }
  void Warning(const std::string& file, long line, std::string_view why) {
    Add(Severity::kWarning, file, line, 0, {}, why);
  }

  void Observe(FindingObserver* observer) { observer_ = observer; }

  long problems() const { return problems_; }
  long warnings() const { return warnings_; }
  const std::vector<Finding>& kept() const { return kept_; }

  // Prints the groups held back and the count of lines left out; call once
  // the check has ended.
  void Flush();

  // The printed form of a finding (UTF-8, no line end).
  static std::string Format(const Finding& finding);

 private:
  // Findings of one kind in one column of one file.
  struct Group {
    Finding first;
    long count = 0;
    std::vector<long> lines;  // the first few
  };
  static constexpr size_t kLinesShown = 5;

  void Print(const std::string& text);

  std::ostream* out_;
  bool keep_;
  PrintOptions print_;
  long printed_ = 0;
  long left_out_ = 0;
  std::map<std::string, size_t> group_of_;  // key -> index in groups_
  std::vector<Group> groups_;
  FindingObserver* observer_ = nullptr;
  long problems_ = 0;
  long warnings_ = 0;
  std::vector<Finding> kept_;
};

// A value quoted for a message: at most 60 bytes of it, never cutting a
// double-byte character, with "..." when it was longer.
std::string Quoted(std::string_view value);

}  // namespace verify
