#include "verify/error_log.h"

#include <algorithm>

#include "export/value_format.h"
#include "platform/cp932.h"
#include "verify/line_reader.h"

namespace verify {

namespace {

constexpr std::string_view kErrorTag = "＜ERROR＞";
constexpr std::string_view kWarningTag = "＜WARNING＞";

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}
bool Contains(std::string_view text, std::string_view part) {
  return cp932::FindText(text, part) != std::string_view::npos;
}

}  // namespace

bool IsItemLimitRemark(const LogEntry& remark) {
  return !remark.error && StartsWith(remark.message, "連携可能な最大内訳件数");
}

// Both brackets are single bytes that may also be the second
// byte of a double-byte character, so the search goes by characters.
std::string BracketAfter(std::string_view text, std::string_view after) {
  size_t at = cp932::FindText(text, after);
  if (at == std::string_view::npos) return {};
  const size_t open = cp932::FindText(text, "｢", at + after.size());
  if (open == std::string_view::npos) return {};
  const size_t close = cp932::Find(text, "｣"[0], open + 1);
  if (close == std::string_view::npos) return {};
  return std::string(text.substr(open + 1, close - open - 1));
}

bool ErrorLog::Load(const std::string& path, std::string* why) {
  LineReader in;
  if (!in.Open(path, why)) return false;
  std::string_view line;
  LineReader::End end;
  size_t length = 0;
  bool boundary = true;  // the line before ended an entry, or there was none
  bool blank = false;    // the line before was the LF that opens an entry
  bool in_entry = false;
  bool error = false;
  bool first = true;  // the next line is the entry's first message line
  std::string message;
  while (in.Next(&line, &end, &length)) {
    if (in_entry) {
      if (!first) message += '\n';
      first = false;
      message.append(line.substr(0, 512 - std::min<size_t>(message.size(), 512)));
      if (end != LineReader::kLf) {
        Index(error, message);
        in_entry = false;
        boundary = true;
        blank = false;
      }
      continue;
    }
    if (blank && end == LineReader::kLf && (line == kErrorTag || line == kWarningTag)) {
      error = line == kErrorTag;
      ++(error ? errors_ : warnings_);
      in_entry = true;
      first = true;
      message.clear();
      continue;
    }
    blank = boundary && end == LineReader::kLf && line.empty();
    boundary = end != LineReader::kLf;
  }
  if (in_entry) Index(error, message);  // the log ends inside its last entry
  if (in.failed()) {
    *why = "a read error";
    return false;
  }
  return true;
}

void ErrorLog::Index(bool error, const std::string& message) {
  if (keep_entries_) entries_.push_back({error, message});
  const long number = remarks();
  if (!error) {
    if (IsItemLimitRemark({error, message})) ++item_limits_;
    if (StartsWith(message, "数量｢")) quantities_.push_back({number, BracketAfter(message, "数量")});
    return;
  }
  if (StartsWith(message, "金額｢")) {
    amounts_.push_back({number, BracketAfter(message, "金額")});
  } else if (Contains(message, "半角英数以外の文字")) {
    bad_codes_.insert(BracketAfter(message, "資産コード"));
  } else if (Contains(message, "資産・内訳コード｢")) {
    duplicates_.insert(BracketAfter(message, "資産・内訳コード"));
  } else if (StartsWith(message, "資産コード+内訳付番｢") && Contains(message, "重複")) {
    duplicates_.insert(BracketAfter(message, "資産コード+内訳付番"));
  } else if (StartsWith(message, "資産コード｢") && Contains(message, "重複")) {
    // This remark names the code as the package holds it; column 1 holds
    // its code part.
    const std::string code = BracketAfter(message, "資産コード");
    char part[7];
    CodePart(code, 6, part);
    duplicates_.insert(part);
  }
}

const Remark* ErrorLog::NextAmount() {
  return next_amount_ < amounts_.size() ? &amounts_[next_amount_++] : nullptr;
}

const Remark* ErrorLog::NextQuantity(std::string_view value) {
  for (size_t i = next_quantity_; i < quantities_.size(); ++i) {
    if (quantities_[i].value == value) {
      next_quantity_ = i + 1;
      return &quantities_[i];
    }
  }
  return nullptr;
}

}  // namespace verify
