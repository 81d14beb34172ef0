#include "verify/report.h"

#include <ostream>

#include "platform/cp932.h"

namespace verify {

void Report::Add(Severity severity, const std::string& file, long line, long column, std::string_view name,
                 std::string_view why) {
  Finding finding{severity, file, line, column, std::string(name), std::string(why)};
  ++(severity == Severity::kProblem ? problems_ : warnings_);
  if (out_ != nullptr) *out_ << Format(finding) << '\n';
  if (observer_ != nullptr) observer_->Seen(finding);
  if (keep_) kept_.push_back(std::move(finding));
}

std::string Report::Format(const Finding& f) {
  std::string text = f.file;
  if (f.line > 0) text += ":" + std::to_string(f.line);
  text += f.severity == Severity::kProblem ? ": problem: " : ": warning: ";
  if (f.column > 0) {
    text += "column " + std::to_string(f.column);
    if (!f.name.empty()) text += " \"" + cp932::ToUtf8(f.name) + "\"";
    text += ": ";
  }
  return text + cp932::ToUtf8(f.why);
}

std::string Quoted(std::string_view value) {
  constexpr size_t kShown = 60;
  std::string text = "\"";
  text.append(value.substr(0, cp932::CutLength(value, kShown)));
  if (value.size() > kShown) text += "...";
  return text + "\"";
}

}  // namespace verify
