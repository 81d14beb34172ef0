// The asset type file "syurui.SSC": a comment block, two key sections and
// one row per asset category.
#include <cstdio>
#include <cstring>

#include "export/asset_exporter.h"
#include "export/asset_types.h"
#include "platform/cp932.h"

namespace {

// ";" and 93 "/".
constexpr char kRuleLine[] =
    ";/////////////////////////////////////////////////////////////////////////////////////////////";
static_assert(sizeof kRuleLine - 1 == 94);

const char* TypeMethodText(int32_t code, int16_t method) {
  const bool deferred = code == kTypeDeferredAsset;
  switch (method) {
    case kMethodOldDecliningBalance: return deferred ? "均等償却" : "定率法";
    case kMethodOldStraightLine: return deferred ? "均等償却" : "定額法";
    case kMethodEqualInstallments: return deferred ? "均等償却" : "定率法";
    case kMethodLumpSum: return "一括決算";
    default: return "定率法";
  }
}

}  // namespace

int AssetExporter::WriteTypeHeader(StDATAINFO* record) {
  StDATAINFO empty{};
  const StDATAINFO& data = record != nullptr ? *record : empty;
  bool corporation = IsCorporation(data.ucCorpKind);
  bool individual = IsIndividual(data.ucCorpKind);
  int year = 0, month = 0, day = 0;
  date_source_(&year, &month, &day);
  char date_line[64];
  std::snprintf(date_line, sizeof date_line, ";日付\t\t：%d/%d/%d", year, month, day);

  const char* lines[] = {
      kRuleLine,
      ";減価償却 資産種類ファイル",
      corporation  ? ";顧問先\t\t：[0004 法人関与先]"
      : individual ? ";顧問先\t\t：[0004 個人関与先]"
                   : "",
      date_line,
      ";備考\t\t：",
      ";",
      kRuleLine,
      "",
      "[Commonlnf]",
      "SisanSyuruiCDKetasuu=2",
      corporation  ? "HoujinKojinKubun=1"
      : individual ? "HoujinKojinKubun=2"
                   : "",
      "Version=20. 0. 1. 0(FILEVERSION=1.1)",
      "",
      "[Datalnf]",
      "SisanSyurui=1",
      "",
      "[SisanSyurui]",
  };
  static_assert(sizeof lines / sizeof lines[0] == 17);
  for (const char* line : lines) writer_.WriteHeaderLine(kTypeFile, line);
  return 1;
}

int AssetExporter::WriteTypeRow(StSHISANKUBUNINFO* category) {
  ClTextAccessor& accessor = writer_.type_row;
  writer_.files[kTypeFile].Attach(&accessor);
  accessor.SetMode(ClTextAccessor::DELIM_COMMA, ClTextAccessor::QUOTE_NONE);
  unsigned char* record = writer_.type_row.record;
  std::memset(record, 0, sizeof writer_.type_row.record);
  const StTAFORMAT* f = TypeRowFormat();
  auto text = [&](int i, std::string_view value) {
    // Each text is cut at its column's width; the name is cut beforehand
    // without splitting a character.
    size_t n = value.size() < static_cast<size_t>(f[i].width) ? value.size() : f[i].width;
    char* field = reinterpret_cast<char*>(record + f[i].offset);
    std::memcpy(field, value.data(), n);
    OneField(field, n);
  };
  auto int32 = [&](int i, int32_t value) { std::memcpy(record + f[i].offset, &value, sizeof value); };
  auto currency = [&](int i, int64_t value) { std::memcpy(record + f[i].offset, &value, sizeof value); };

  const int32_t code = category->lCode;
  const int16_t method = category->sMethodCode;
  const bool non_depreciable = code == kTypeLand;
  const bool deferred = code == kTypeDeferredAsset;

  char code_text[16];
  std::snprintf(code_text, sizeof code_text, "%02d", code);
  text(0, code_text);
  std::string_view name = cp932::FieldText(category->szName, sizeof category->szName);
  text(1, name.substr(0, cp932::CutLength(name, 12)));
  text(2, deferred ? "繰延資産" : "有形固定資産");
  text(3, non_depreciable ? "非償却資産" : "償却資産");
  if (!non_depreciable) {
    text(4, TypeMethodText(code, method));
    text(5, "除却日まで償却");
  }
  int32(6, deferred || non_depreciable ? 0 : (category->lResidualRatio != 0 ? category->lResidualRatio : 10));
  int32(7, code == kTypeLumpSumDepreciable ? 10 : (deferred || non_depreciable) ? 0 : 5);
  text(8, TaxReturnType(code));
  constexpr int64_t kHundred = 100 * 10000;
  const int64_t ratios[6] = {0, kHundred, kHundred, kHundred, 0, kHundred};
  for (int i = 0; i < 6; ++i) currency(9 + i, non_depreciable ? 0 : ratios[i]);
  text(15, "該当しない");
  writer_.WriteLine(kTypeFile, &accessor);
  return 1;
}
