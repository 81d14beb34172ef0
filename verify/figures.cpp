#include "verify/figures.h"

#include <algorithm>
#include <tuple>

#include "verify/code_lines.h"

namespace verify {

namespace {

constexpr size_t kCodeColumn = 0, kTypeColumn = 2, kMethodColumn = 4;
constexpr size_t kAssetCodeBytes = 6;
// The first item of a lump-sum asset: its breakdown part.
constexpr std::string_view kFirstItem = "01";

}  // namespace

void Figures::Add(const Figures& other) {
  assets += other.assets;
  breakdown_rows += other.breakdown_rows;
  for (int f = 0; f < kFigureCount; ++f) {
    amounts[f].sum += other.amounts[f].sum;
    amounts[f].over_limit += other.amounts[f].over_limit;
    amounts[f].over_limit_sum += other.amounts[f].over_limit_sum;
    amounts[f].unreadable += other.amounts[f].unreadable;
  }
}

Figures& Side::Count(std::string_view type, std::string_view method, std::string_view code) {
  // Rows of one line often come together: the last line is looked at first.
  if (last_ == table.end() || last_->first.type != type || last_->first.method != method)
    last_ = table.try_emplace(GroupKey{std::string(type), std::string(method)}).first;
  const auto it = last_;
  if (!code.empty() && code.size() <= sizeof(uint64_t)) codes.push_back({CodeLines::Key(code), &it->first});
  return it->second;
}

void Side::SortCodes() {
  std::sort(codes.begin(), codes.end(), [](const CodedRow& a, const CodedRow& b) {
    return std::tie(a.code, *a.group) < std::tie(b.code, *b.group);
  });
}

std::string CodeText(uint64_t code) {
  std::string text(reinterpret_cast<const char*>(&code), sizeof code);
  return text.substr(0, text.find('\0'));
}

void AddAmountText(std::string_view text, Amount* amount) {
  if (text.empty()) return;
  if (text == kOverLimitText) {
    ++amount->over_limit;
    return;
  }
  const bool negative = text[0] == '-';
  const std::string_view digits = text.substr(negative ? 1 : 0);
  // An amount column holds at most 12 bytes; 30 digits still fit the sum.
  if (digits.empty() || digits.size() > 30 ||
      !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    ++amount->unreadable;
    return;
  }
  Yen value = 0;
  for (char c : digits) value = value * 10 + (c - '0');
  amount->sum += negative ? -value : value;
}

void FileTally::Row(const std::vector<std::string_view>& fields) {
  const std::string_view code = fields[kCodeColumn];
  const bool breakdown = fields[kMethodColumn] == kLumpSumMethod;
  Figures& figures =
      side_.Count(breakdown ? std::string_view() : fields[kTypeColumn], fields[kMethodColumn], code);
  if (breakdown) {
    ++figures.breakdown_rows;
    if (code.size() > kAssetCodeBytes && code.substr(kAssetCodeBytes) == kFirstItem) ++figures.assets;
  } else {
    ++figures.assets;
  }
  for (int f = 0; f < kFigureCount; ++f) AddAmountText(fields[kFigureColumns[f] - 1], &figures.amounts[f]);
}

std::string YenText(Yen value, bool grouped) {
  const bool negative = value < 0;
  // The magnitude of the smallest value does not fit; count down from it
  // digit by digit instead.
  std::string digits;
  do {
    const int digit = static_cast<int>(value % 10);
    digits += static_cast<char>('0' + (digit < 0 ? -digit : digit));
    value /= 10;
    if (grouped && value != 0 && digits.size() % 4 == 3) digits += ',';
  } while (value != 0);
  if (negative) digits += '-';
  std::reverse(digits.begin(), digits.end());
  return digits;
}

}  // namespace verify
