// The header block and the column-name line of the asset data file.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "export/asset_exporter.h"
#include "platform/cp932.h"

int AssetExporter::WriteHeader(StDATAINFO* record) {
  StDATAINFO empty{};
  const StDATAINFO& data = record != nullptr ? *record : empty;
  writer_.files[kAssetDataFile].Attach(&writer_.header_line);
  writer_.header_line.SetMode(ClTextAccessor::DELIM_COMMA, ClTextAccessor::QUOTE_NONE);

  char line[512];
  writer_.WriteHeaderLine(kAssetDataFile, "バージョン=20. 0. 1. 0(FILEVERSION=1.8)");
  writer_.WriteHeaderLine(kAssetDataFile, "顧問先コード=");
  std::string_view company = cp932::FieldText(data.szCompanyName, sizeof data.szCompanyName);
  int n =
      std::snprintf(line, sizeof line, "顧問先名称=%.*s", static_cast<int>(company.size()), company.data());
  OneLine(line, std::min(static_cast<size_t>(n), sizeof line - 1));  // the name stays on its line
  writer_.WriteHeaderLine(kAssetDataFile, line);
  writer_.WriteHeaderLine(kAssetDataFile, IsCorporation(data.ucCorpKind)  ? "法人個人区分=法人"
                                          : IsIndividual(data.ucCorpKind) ? "法人個人区分=個人"
                                                                          : "");
  std::snprintf(line, sizeof line, "事業年度開始日=%d", data.lPeriodStart);
  writer_.WriteHeaderLine(kAssetDataFile, line);
  std::snprintf(line, sizeof line, "事業年度終了日=%d", data.lPeriodEnd);
  writer_.WriteHeaderLine(kAssetDataFile, line);

  ClTextAccessor& names = writer_.column_names;
  writer_.files[kAssetDataFile].Attach(&names);
  names.SetMode(ClTextAccessor::DELIM_COMMA, ClTextAccessor::QUOTE_NONE);
  std::memset(writer_.column_names.record, 0, sizeof writer_.column_names.record);
  const StTAFORMAT* format = ColumnNameFormat();
  for (long i = 0; i < kAssetColumnCount; ++i) {
    char* field = reinterpret_cast<char*>(writer_.column_names.record) + format[i].offset;
    cp932::CopyCut(field, static_cast<size_t>(format[i].size), AssetColumnLineName(i));
  }
  writer_.WriteLine(kAssetDataFile, &names);
  return 1;
}
