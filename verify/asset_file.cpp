#include "verify/asset_file.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <vector>

#include "export/value_format.h"
#include "verify/code_lines.h"
#include "verify/columns.h"
#include "verify/field_check.h"

namespace verify {

namespace {

constexpr long kHeaderLines = 6;
constexpr long kColumnNameLine = 7;
constexpr size_t kHeaderLineWidth = 152;
constexpr std::string_view kBreakdownMethod = "一括決算";
constexpr size_t kAssetCodeBytes = 6;
constexpr size_t kBreakdownCodeBytes = 8;

class AssetChecker {
 public:
  AssetChecker(CheckedFile* file, const TypeList* types, ErrorLog* log, const std::string& log_name,
               RowObserver* rows)
      : file_(file),
        types_(types),
        log_(log),
        log_name_(log_name),
        rows_(rows),
        // The export leaves columns empty that the reading side would
        // require: only the checks of the values apply.
        table_(FormatTable(kAssetColumns, kAssetColumnCount, false)) {
    for (const StTAFORMAT& f : table_) roles_.push_back(RoleOf(f, true));
    for (long i = 0; i < kAssetColumnCount; ++i) {
      if (i > 0) column_name_line_ += ',';
      column_name_line_ += AssetColumnName(i);
    }
  }

  AssetSummary Run();

 private:
  void HeaderLine(long number, std::string_view line, size_t length);
  void ColumnNameLine(std::string_view line);
  void Row(std::string_view line, size_t length);
  void Code(std::string_view code, bool breakdown);
  void CodeProblem(const char* kind, std::string_view why, bool remarked);
  std::string RemarkNote(const Remark* remark) const;
  void TypeWarnings();
  void RegisterRules();

  CheckedFile* file_;
  const TypeList* types_;
  ErrorLog* log_;
  std::string log_name_;
  RowObserver* rows_;
  std::vector<StTAFORMAT> table_;
  std::vector<Role> roles_;
  std::string column_name_line_;
  std::vector<std::string_view> fields_;
  AssetSummary summary_;
  CodeLines codes_;       // every code
  CodeLines lump_codes_;  // the asset code parts of breakdown rows
  struct Unlisted {
    long rows = 0;
    long first_line = 0;
  };
  std::map<std::string, Unlisted> unlisted_types_;
};

AssetSummary AssetChecker::Run() {
  std::string_view line;
  size_t length = 0;
  while (file_->Next(&line, &length)) {
    const long number = file_->line_number();
    if (number <= kHeaderLines) {
      HeaderLine(number, line, length);
    } else if (number == kColumnNameLine) {
      ColumnNameLine(line);
    } else {
      Row(line, length);
    }
  }
  if (file_->line_number() < kColumnNameLine) {
    file_->report()->Problem(file_->shown(), 0,
                             "the file ends after " + std::to_string(file_->line_number()) +
                                 " lines; its header block and column-name line have 7");
  }
  TypeWarnings();
  return summary_;
}

void AssetChecker::HeaderLine(long number, std::string_view line, size_t length) {
  if (length > kHeaderLineWidth) {
    file_->Problem(0, {}, std::to_string(length) + " bytes, more than the 152 of a header line");
    return;
  }
  // Lines 3, 5 and 6 carry values of the data set after their keys.
  constexpr std::string_view kCompany = "顧問先名称=";
  constexpr std::string_view kStart = "事業年度開始日=";
  constexpr std::string_view kEnd = "事業年度終了日=";
  switch (number) {
    case 1: file_->ExpectLine(line, {"バージョン=20. 0. 1. 0(FILEVERSION=1.8)"}); break;
    case 2: file_->ExpectLine(line, {"顧問先コード="}); break;
    case 3:
      if (line.substr(0, kCompany.size()) != kCompany) {
        file_->Problem(0, {}, Quoted(line) + " in place of \"顧問先名称=\" and the company name");
      } else if (std::string fault = EncodingFault(line.substr(kCompany.size())); !fault.empty()) {
        file_->Problem(0, {}, "the company name has " + fault);
      }
      break;
    case 4:
      file_->ExpectKindLine(line, "corporation/individual", "法人個人区分=法人", "法人個人区分=個人");
      break;
    default: {  // 5 and 6: the period's start and end
      const std::string_view key = number == 5 ? kStart : kEnd;
      if (line.substr(0, key.size()) != key || !IsDateText(line.substr(key.size()))) {
        file_->Problem(0, {}, Quoted(line) + " in place of " + Quoted(key) + " and a date (yyyymmdd, or 0)");
      }
      break;
    }
  }
}

void AssetChecker::ColumnNameLine(std::string_view line) {
  if (line == column_name_line_) return;
  std::vector<std::string_view> expected;
  SplitFields(column_name_line_, &expected);
  SplitFields(line, &fields_);
  for (size_t i = 0; i < std::min(fields_.size(), expected.size()); ++i) {
    if (fields_[i] != expected[i]) {
      file_->Problem(static_cast<long>(i) + 1, {},
                     Quoted(fields_[i]) + " in place of the column name " + Quoted(expected[i]));
      return;
    }
  }
  file_->Problem(0, {},
                 std::to_string(fields_.size()) + " names in the column-name line, " +
                     std::to_string(expected.size()) + " expected (the last name ends with a comma)");
}

void AssetChecker::Row(std::string_view line, size_t length) {
  ++summary_.rows;
  if (length > kMaxLineBytes) {
    file_->Problem(0, {}, std::to_string(length) + " bytes, more than the 1023 a line may have");
    return;
  }
  SplitFields(line, &fields_);
  if (fields_.size() != static_cast<size_t>(kAssetColumnCount)) {
    file_->Problem(0, {}, std::to_string(fields_.size()) + " fields, 151 expected");
    return;
  }
  const bool breakdown = fields_[kMethodColumn] == kBreakdownMethod;
  if (breakdown) ++summary_.breakdown_rows;
  if (rows_ != nullptr) rows_->Row(file_->line_number(), fields_);

  // Every refusal of the reading side (a line over 1023 bytes, a field
  // count other than 151, a quote, a text over its width, a malformed
  // number) is one of the problems below; a test holds the two together.
  bool code_fine = false;
  for (long i = 0; i < kAssetColumnCount; ++i) {
    const std::string_view field = fields_[i];
    if (field.empty()) continue;  // most columns of a row; none is required here
    Verdict verdict = CheckField(table_[i], roles_[i], field);
    if (i == kCodeColumn) code_fine = verdict.kind != Verdict::kProblem;
    if (verdict.kind == Verdict::kFine) continue;
    // An amount over the digit limit and a quantity over its digits have
    // remarks of their own in the error log.
    std::string note = "; the depreciation application may not take it";
    if (verdict.kind == Verdict::kOverLimit ||
        (verdict.kind == Verdict::kOverWidth && i == kQuantityColumn)) {
      const Remark* remark =
          verdict.kind == Verdict::kOverLimit ? log_->NextAmount() : log_->NextQuantity(field);
      note = RemarkNote(remark);
      if (remark == nullptr)
        verdict.label = verdict.kind == Verdict::kOverLimit ? "unremarked over limit" : "unremarked digits";
    }
    file_->ReportVerdict(i + 1, AssetColumnName(i), verdict, note);
  }
  if (code_fine) Code(fields_[kCodeColumn], breakdown);
  if (!breakdown) RegisterRules();
  if (!breakdown && types_ != nullptr && types_->codes.count(std::string(fields_[kTypeColumn])) == 0) {
    Unlisted& unlisted = unlisted_types_[std::string(fields_[kTypeColumn])];
    if (unlisted.rows++ == 0) unlisted.first_line = file_->line_number();
  }
}

// What the register's rules (zelpkg import and check) refuse or warn of,
// as far as an asset's row shows it, as warnings (the depreciation
// application takes the row as it is): a row without a method came from a
// method code the export does not know; an acquisition cost is never
// negative.
void AssetChecker::RegisterRules() {
  const std::string_view method = fields_[kMethodColumn];
  if (method.empty()) {
    file_->Warning(kMethodColumn + 1, AssetColumnName(kMethodColumn),
                   "empty: the asset's method code is none the export knows, so the depreciation "
                   "application cannot tell how to depreciate it; correct it in the store (zelpkg check "
                   "names it) and export again",
                   "no method");
    return;
  }
  const std::string_view cost = fields_[kCostColumn];
  if (!cost.empty() && cost[0] == '-')
    file_->Warning(kCostColumn + 1, AssetColumnName(kCostColumn),
                   Quoted(cost) + ": an acquisition cost is never negative; correct it in the store (zelpkg "
                   "check names it)",
                   "negative cost");
}

void AssetChecker::Code(std::string_view code, bool breakdown) {
  const std::string shown = Quoted(code);
  if (!CheckChars(code)) {
    CodeProblem("code characters", shown + " has characters other than half-width letters and digits",
                log_->HasCharacterRemark(code));
    return;
  }
  const size_t expected = breakdown ? kBreakdownCodeBytes : kAssetCodeBytes;
  if (code.size() != expected) {
    CodeProblem(
        "code length",
        shown + (breakdown ? " has " + std::to_string(code.size()) +
                                 " characters; the code of a breakdown row (一括決算) has 8"
                           : " has " + std::to_string(code.size()) +
                                 " characters; the code of an asset has 6 (8 only in a breakdown row, "
                                 "一括決算)"),
        false);
    return;
  }
  if (breakdown && (code.substr(6) == "00" || !std::all_of(code.begin() + 6, code.end(),
                                                           [](char c) { return c >= '0' && c <= '9'; }))) {
    CodeProblem("breakdown number",
                shown + " ends in the breakdown number " + Quoted(code.substr(6)) + ", not 01 to 99", false);
    return;
  }
  const long line = file_->line_number();
  const int64_t first = codes_.Add(CodeLines::Key(code), line);
  if (first != line) {
    CodeProblem("duplicate code", shown + " is the code of line " + std::to_string(first) + " too",
                log_->HasDuplicateRemark(code));
    return;
  }
  const uint64_t asset_part = CodeLines::Key(code.substr(0, kAssetCodeBytes));
  if (breakdown) {
    if (const int64_t asset = codes_.Find(asset_part); asset != 0) {
      CodeProblem("asset code part",
                  shown + ": its asset code part " + Quoted(code.substr(0, kAssetCodeBytes)) +
                      " is the code of the asset on line " + std::to_string(asset),
                  log_->HasDuplicateRemark(code));
    }
    lump_codes_.Add(asset_part, line);
  } else if (const int64_t lump = lump_codes_.Find(asset_part); lump != 0) {
    CodeProblem("code of a breakdown",
                shown + " is the asset code part of the breakdown row on line " + std::to_string(lump),
                log_->HasDuplicateRemark(code));
  }
}

void AssetChecker::CodeProblem(const char* kind, std::string_view why, bool remarked) {
  file_->Problem(kCodeColumn + 1, AssetColumnName(kCodeColumn),
                 std::string(why) + (remarked ? "; the error log has the matching remark"
                                              : "; the error log has no remark for it"),
                 std::string(kind) + (remarked ? ", remarked" : ""));
}

std::string AssetChecker::RemarkNote(const Remark* remark) const {
  if (remark == nullptr) return "; the error log has no remark for it";
  return "; see remark " + std::to_string(remark->number) + " of " + log_name_ + " (" +
         Quoted(remark->value) + ")";
}

void AssetChecker::TypeWarnings() {
  std::vector<std::pair<std::string, Unlisted>> unlisted(unlisted_types_.begin(), unlisted_types_.end());
  std::sort(unlisted.begin(), unlisted.end(),
            [](const auto& a, const auto& b) { return a.second.first_line < b.second.first_line; });
  for (const auto& [type, u] : unlisted) {
    file_->report()->Add(Severity::kWarning, file_->shown(), u.first_line, kTypeColumn + 1,
                         AssetColumnName(kTypeColumn),
                         "asset type " + Quoted(type) + " is not listed in syurui.SSC (" +
                             std::to_string(u.rows) + (u.rows == 1 ? " row)" : " rows, the first here)"));
  }
}

}  // namespace

AssetSummary CheckAssetFile(CheckedFile* file, const TypeList* types, ErrorLog* log,
                            const std::string& log_name, RowObserver* rows) {
  return AssetChecker(file, types, log, log_name, rows).Run();
}

}  // namespace verify
