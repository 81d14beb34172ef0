// Report: where the verifier's findings go. A problem is something the
// depreciation application cannot take; a warning is something it takes but
// that may not arrive as meant. Each finding is printed at once as
//   FILE:LINE: problem: column N "NAME": WHY
// (line, column and name left out where they do not apply), in UTF-8; the
// column names and reasons are CP932 inside and converted at the output.
#pragma once

#include <iosfwd>
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

struct Finding {
  Severity severity = Severity::kProblem;
  std::string file;  // host path, as shown
  long line = 0;     // 1-based; 0 for the file as a whole
  long column = 0;   // 1-based; 0 for the line as a whole
  std::string name;  // column name (CP932), empty without a column
  std::string why;   // CP932
};

class Report {
 public:
  // out: where findings are printed (null: nowhere). keep: also keep every
  // finding in memory (for tests; a large file may have many).
  explicit Report(std::ostream* out, bool keep = false) : out_(out), keep_(keep) {}

  void Add(Severity severity, const std::string& file, long line, long column, std::string_view name,
           std::string_view why);
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

  // The printed form of a finding (UTF-8, no line end).
  static std::string Format(const Finding& finding);

 private:
  std::ostream* out_;
  bool keep_;
  FindingObserver* observer_ = nullptr;
  long problems_ = 0;
  long warnings_ = 0;
  std::vector<Finding> kept_;
};

// A value quoted for a message: at most 60 bytes of it, never cutting a
// double-byte character, with "..." when it was longer.
std::string Quoted(std::string_view value);

}  // namespace verify
