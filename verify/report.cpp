#include "verify/report.h"

#include <ostream>

#include "platform/cp932.h"

namespace verify {

namespace {

constexpr long kGroupedLines = 30;

// The why without its numbers: findings that differ only in them are of
// one kind.
std::string WithoutNumbers(std::string_view why) {
  std::string kind;
  for (char c : why) {
    if (c < '0' || c > '9') {
      kind += c;
    } else if (kind.empty() || kind.back() != '#') {
      kind += '#';
    }
  }
  return kind;
}

}  // namespace

Report::Report(std::ostream* out, bool keep, PrintOptions print) : out_(out), keep_(keep), print_(print) {
  if (print_.max_lines < 0) print_.max_lines = print_.all ? 0 : kGroupedLines;
}

void Report::Add(Severity severity, const std::string& file, long line, long column, std::string_view name,
                 std::string_view why, std::string_view kind) {
  Finding finding{severity, file, line, column, std::string(name), std::string(why), std::string(kind)};
  ++(severity == Severity::kProblem ? problems_ : warnings_);
  if (observer_ != nullptr) observer_->Seen(finding);
  if (out_ != nullptr && print_.all) Print(Format(finding));
  if (out_ != nullptr && !print_.all) {
    const std::string key = (severity == Severity::kProblem ? "p" : "w") + file + '\0' +
                            std::to_string(column) + '\0' +
                            (kind.empty() ? WithoutNumbers(why) : finding.kind);
    const auto [at, added] = group_of_.emplace(key, groups_.size());
    if (added) groups_.push_back({finding, 0, {}});
    Group& group = groups_[at->second];
    ++group.count;
    if (group.lines.size() < kLinesShown) group.lines.push_back(line);
  }
  if (keep_) kept_.push_back(std::move(finding));
}

void Report::Print(const std::string& text) {
  if (print_.max_lines > 0 && printed_ >= print_.max_lines) {
    ++left_out_;
    return;
  }
  ++printed_;
  *out_ << text << '\n';
}

void Report::Flush() {
  if (out_ == nullptr) return;
  // Problems first, so that no number of warnings hides one.
  for (Severity severity : {Severity::kProblem, Severity::kWarning}) {
    for (const Group& group : groups_) {
      if (group.first.severity != severity) continue;
      std::string text = Format(group.first);
      if (group.count > 1) {
        text += " (" + std::to_string(group.count) + " like this, on lines";
        for (size_t i = 0; i < group.lines.size(); ++i)
          text += (i > 0 ? ", " : " ") + std::to_string(group.lines[i]);
        if (group.count > static_cast<long>(group.lines.size()))
          text += " and " + std::to_string(group.count - static_cast<long>(group.lines.size())) + " more";
        text += ")";
      }
      Print(text);
    }
  }
  groups_.clear();
  group_of_.clear();
  if (left_out_ > 0) {
    *out_ << left_out_ << (left_out_ == 1 ? " more line" : " more lines")
          << " of findings not shown (--max-lines N shows N, 0 every one)\n";
    left_out_ = 0;
  }
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
