#include "verify/type_file.h"

#include <cstdio>
#include <string>
#include <vector>

#include "export/value_format.h"
#include "platform/cp932.h"
#include "verify/columns.h"
#include "verify/field_check.h"
#include "verify/record_reader.h"

namespace verify {

namespace {

constexpr long kHeaderLines = 17;
const std::string kRule = ";" + std::string(93, '/');

// ";日付\t\t：" and the day of writing as year/month/day without leading
// zeros.
bool IsDateLine(std::string_view line) {
  constexpr std::string_view kPrefix = ";日付\t\t：";
  if (line.substr(0, kPrefix.size()) != kPrefix) return false;
  const std::string rest(line.substr(kPrefix.size()));
  int year = 0, month = 0, day = 0;
  if (std::sscanf(rest.c_str(), "%4d/%2d/%2d", &year, &month, &day) != 3) return false;
  char canonical[32];
  std::snprintf(canonical, sizeof canonical, "%d/%d/%d", year, month, day);
  char date[16];
  std::snprintf(date, sizeof date, "%04d%02d%02d", year, month, day);
  return rest == canonical && IsDateText(date);
}

void CheckHeaderLine(CheckedFile* file, long number, std::string_view line) {
  switch (number) {
    case 1:
    case 7: file->ExpectLine(line, {kRule}); break;
    case 2: file->ExpectLine(line, {";減価償却 資産種類ファイル"}); break;
    case 3:
      file->ExpectKindLine(line, "client kind", ";顧問先\t\t：[0004 法人関与先]",
                           ";顧問先\t\t：[0004 個人関与先]");
      break;
    case 4:
      if (!IsDateLine(line))
        file->Problem(0, {}, Quoted(line) + " in place of \";日付\t\t：\" and a date y/m/d");
      break;
    case 5: file->ExpectLine(line, {";備考\t\t："}); break;
    case 6: file->ExpectLine(line, {";"}); break;
    case 9: file->ExpectLine(line, {"[Commonlnf]"}); break;
    case 10: file->ExpectLine(line, {"SisanSyuruiCDKetasuu=2"}); break;
    case 11:
      file->ExpectKindLine(line, "corporation/individual", "HoujinKojinKubun=1", "HoujinKojinKubun=2");
      break;
    case 12: file->ExpectLine(line, {"Version=20. 0. 1. 0(FILEVERSION=1.1)"}); break;
    case 14: file->ExpectLine(line, {"[Datalnf]"}); break;
    case 15: file->ExpectLine(line, {"SisanSyurui=1"}); break;
    case 17: file->ExpectLine(line, {"[SisanSyurui]"}); break;
    default:  // 8, 13, 16
      file->ExpectLine(line, {""});
      break;
  }
}

}  // namespace

TypeList CheckTypeFile(CheckedFile* file) {
  TypeList types;
  const std::vector<StTAFORMAT> formats = FormatTable(kTypeColumns, kTypeColumnCount, true);
  RecordReader reader(formats.data(), kTypeColumnCount, true);
  const std::vector<StTAFORMAT>& table = reader.table();
  std::vector<Role> roles;
  for (const StTAFORMAT& f : table) roles.push_back(RoleOf(f, false));
  std::vector<std::string_view> fields;
  std::string_view line;
  size_t length = 0;
  while (file->Next(&line, &length)) {
    const long number = file->line_number();
    if (number <= kHeaderLines) {
      CheckHeaderLine(file, number, line);
      continue;
    }
    ++types.rows;
    if (length > kMaxLineBytes) {
      file->Problem(0, {}, std::to_string(length) + " bytes, more than the 1023 a line may have");
      continue;
    }
    SplitFields(line, &fields);
    if (fields.size() != table.size()) {
      file->Problem(0, {},
                    std::to_string(fields.size()) + " fields, " + std::to_string(table.size()) + " expected");
      continue;
    }
    const long problems = file->report()->problems();
    for (size_t i = 0; i < fields.size(); ++i) {
      file->ReportVerdict(static_cast<long>(i) + 1, ItemName(table[i]),
                          CheckField(table[i], roles[i], fields[i]),
                          "; the depreciation application may not take it");
    }
    const std::string code(fields[0]);
    if (!CheckChars(code)) {
      file->Problem(1, ItemName(table[0]),
                    Quoted(code) + " has characters other than half-width letters and digits");
    } else if (!types.codes.emplace(code, fields[1]).second) {
      file->Warning(1, ItemName(table[0]), "asset type " + Quoted(code) + " is listed twice");
    }
    if (reader.Read(line) != 0 && file->report()->problems() == problems) {
      file->Problem(0, {}, "the reading side refuses the row");
    }
  }
  if (file->line_number() < kHeaderLines) {
    file->report()->Problem(
        file->shown(), 0,
        "the file ends after " + std::to_string(file->line_number()) + " lines; its header block has 17");
  }
  return types;
}

}  // namespace verify
