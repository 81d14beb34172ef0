#include "verify/remark_rows.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "export/value_format.h"
#include "platform/cp932.h"
#include "verify/figures.h"

namespace verify {

namespace {

constexpr size_t kCode = 0, kType = 2, kMethod = 4, kName = 9, kQuantity = 13, kMemo = 149;
constexpr size_t kAssetCodeBytes = 6, kBreakdownCodeBytes = 8;
// How far past an unmatched remark a row with an amount over the digit
// limit looks for its amount remark.
constexpr size_t kResync = 16;

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}
bool Contains(std::string_view text, std::string_view part) {
  return cp932::FindText(text, part) != std::string_view::npos;
}

// A value the remark names as delivered, against the field that holds it cut
// (and made fit for a field): one begins the other. A value the log cut off
// (its remark is at most 152 bytes) matches any field.
bool Begins(std::string value, std::string_view field) {
  OneField(value.data(), value.size());
  const size_t n = std::min(value.size(), field.size());
  return value.compare(0, n, field.substr(0, n)) == 0;
}

std::string CodeColumn(std::string_view code) {
  char part[kAssetCodeBytes + 1];
  CodePart(code, kAssetCodeBytes, part);
  return part;
}

bool IsAmountRemark(const LogEntry& remark) { return remark.error && StartsWith(remark.message, "金額｢"); }

}  // namespace

bool RemarkRows::Matches(const LogEntry& remark, const std::vector<std::string_view>& fields) {
  const std::string& m = remark.message;
  const bool breakdown = fields[kMethod] == kLumpSumMethod;
  const std::string_view code = fields[kCode];
  if (IsAmountRemark(remark)) {
    if (stars_ == 0) return false;
    --stars_;
    return true;
  }
  if (StartsWith(m, "資産コード+内訳付番｢")) {
    const std::string value = BracketAfter(m, "資産コード+内訳付番");
    if (Contains(m, "重複")) return value == code;
    // The asset code and the item number, run together: the number ends it.
    const std::string number =
        code.size() > kAssetCodeBytes
            ? std::to_string(std::atoi(std::string(code.substr(kAssetCodeBytes)).c_str()))
            : "";
    return breakdown && value.size() >= number.size() &&
           value.compare(value.size() - number.size(), number.size(), number) == 0;
  }
  if (StartsWith(m, "資産コード｢")) {
    const std::string value = BracketAfter(m, "資産コード");
    if (Contains(m, "半角英数以外")) return value == code;
    if (Contains(m, "資産・内訳コード")) return BracketAfter(m, "資産・内訳コード") == code;
    return !breakdown && CodeColumn(value) == code;  // too long, or a duplicate: named as delivered
  }
  if (StartsWith(m, "資産種類コード｢")) {
    char type[16];
    std::snprintf(type, sizeof type, "%02d", std::atoi(BracketAfter(m, "資産種類コード").c_str()));
    return !breakdown && fields[kType] == std::string_view(type, 2);
  }
  if (StartsWith(m, "資産名称｢")) return !breakdown && Begins(BracketAfter(m, "資産名称"), fields[kName]);
  if (StartsWith(m, "内訳名称｢")) return breakdown && Begins(BracketAfter(m, "内訳名称"), fields[kName]);
  if (StartsWith(m, "メモ欄｢")) return !breakdown && Begins(BracketAfter(m, "メモ欄"), fields[kMemo]);
  if (StartsWith(m, "数量｢")) return BracketAfter(m, "数量") == fields[kQuantity];
  return true;  // a remark of another kind stays where it stands
}

// The warning that a lump-sum asset has more than 99 items comes right
// after its 99th row.
void RemarkRows::TakeLimitWarnings() {
  const std::string_view code = last_.code;
  const bool ninety_ninth = code.size() == kBreakdownCodeBytes && code.substr(kAssetCodeBytes) == "99";
  // One such warning an asset: a second one waits for the next 99th row.
  if (ninety_ninth && rows_.size() < remarks_->size() && IsItemLimitRemark((*remarks_)[rows_.size()]))
    rows_.push_back(last_);
}

void RemarkRows::Row(long line, const std::vector<std::string_view>& fields) {
  TakeLimitWarnings();
  stars_ = std::count(fields.begin(), fields.end(), kOverLimitText);
  const RemarkRow here{line, std::string(fields[kCode])};
  const std::vector<LogEntry>& remarks = *remarks_;
  auto take = [&] {
    while (rows_.size() < remarks.size() && !IsItemLimitRemark(remarks[rows_.size()]) &&
           Matches(remarks[rows_.size()], fields)) {
      rows_.push_back(here);
    }
  };
  take();
  // A row with an amount over the limit has its remark next: remarks that
  // no row took before it are passed over.
  if (stars_ > 0) {
    const size_t from = rows_.size();
    for (size_t i = from; i < std::min(remarks.size(), from + kResync); ++i) {
      if (!IsAmountRemark(remarks[i])) continue;
      rows_.resize(i);
      take();
      break;
    }
  }
  last_ = here;
}

const std::vector<RemarkRow>& RemarkRows::Finish() {
  TakeLimitWarnings();
  rows_.resize(remarks_->size());
  return rows_;
}

}  // namespace verify
