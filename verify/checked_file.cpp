#include "verify/checked_file.h"

namespace verify {

bool CheckedFile::Next(std::string_view* line, size_t* length) {
  LineReader::End end;
  if (!reader_.Next(line, &end, length)) return false;
  ++line_;
  if (end == LineReader::kLf) Problem(0, {}, "the line ends with LF alone, not CR LF");
  if (end == LineReader::kNone) Problem(0, {}, "the last line has no line end (CR LF)");
  return true;
}

void CheckedFile::ExpectLine(std::string_view line, std::initializer_list<std::string_view> texts) {
  for (std::string_view text : texts) {
    if (line == text) return;
  }
  std::string why = Quoted(line) + " in place of " + Quoted(*texts.begin());
  for (auto it = texts.begin() + 1; it != texts.end(); ++it) why += " or " + Quoted(*it);
  Problem(0, {}, why);
}

void CheckedFile::ExpectKindLine(std::string_view line, std::string_view what, std::string_view corporation,
                                 std::string_view individual) {
  if (line.empty()) {
    Warning(0, {},
            "the " + std::string(what) +
                " line is empty: the data set is neither a corporation nor an individual");
  } else {
    ExpectLine(line, {corporation, individual});
  }
}

void CheckedFile::ReportVerdict(long column, std::string_view name, const Verdict& verdict,
                                std::string_view note) {
  switch (verdict.kind) {
    case Verdict::kFine: return;
    case Verdict::kProblem: Problem(column, name, verdict.why, verdict.label); return;
    case Verdict::kOverWidth: Warning(column, name, verdict.why + std::string(note), verdict.label); return;
    case Verdict::kFormula: Warning(column, name, verdict.why, verdict.label); return;
    case Verdict::kOverLimit:
      Warning(column, name, "\"************\", an amount over the digit limit" + std::string(note),
              verdict.label);
      return;
  }
}

void SplitFields(std::string_view line, std::vector<std::string_view>* fields) {
  fields->clear();
  size_t start = 0;
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == ',') {
      fields->emplace_back(line.data() + start, i - start);
      start = i + 1;
    }
  }
  fields->emplace_back(line.data() + start, line.size() - start);
}

}  // namespace verify
