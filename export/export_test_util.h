// Helpers of the export tests: the exporter writing into a scratch folder,
// the written files split into lines, fields and log entries, and the header
// lines the tests' company gets (which the verifier's tests read as well).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "component/records.h"
#include "export/asset_exporter.h"
#include "platform/test_env.h"
#include "platform/win.h"

namespace export_test {

// The error log name the tests hand to the exporter: the first program's.
inline constexpr char kErrorLogName[] = "ZelEnaMx13SysErr.txt";

inline std::string ReadFile(const std::string& host) {
  std::ifstream in(win::HostFsPath(host), std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Splits text at sep; a text ending in sep gives no empty last part.
inline std::vector<std::string> Split(const std::string& text, const std::string& sep) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(sep, start);
    if (end == std::string::npos) end = text.size();
    parts.push_back(text.substr(start, end - start));
    start = end + sep.size();
  }
  return parts;
}

inline std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  size_t start = 0;
  while (true) {
    size_t end = line.find(',', start);
    fields.push_back(line.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) return fields;
    start = end + 1;
  }
}

inline void FixedDate(int* year, int* month, int* day) {
  *year = 2026;
  *month = 3;
  *day = 9;
}

// The asset file's six lines before the column names, for 株式会社テスト, a
// corporation, with the year 2024/4/1 to 2025/3/31.
inline std::vector<std::string> AssetFileHeader() {
  return {"バージョン=20. 0. 1. 0(FILEVERSION=1.8)",
          "顧問先コード=",
          "顧問先名称=株式会社テスト",
          "法人個人区分=法人",
          "事業年度開始日=20240401",
          "事業年度終了日=20250331"};
}

// The type file's lines before its rows, for the corporation 0004 法人関与先
// on FixedDate's day.
inline std::vector<std::string> TypeFileHeader() {
  const std::string rule = ";" + std::string(93, '/');
  return {rule,
          ";減価償却 資産種類ファイル",
          ";顧問先\t\t：[0004 法人関与先]",
          ";日付\t\t：2026/3/9",
          ";備考\t\t：",
          ";",
          rule,
          "",
          "[Commonlnf]",
          "SisanSyuruiCDKetasuu=2",
          "HoujinKojinKubun=1",
          "Version=20. 0. 1. 0(FILEVERSION=1.1)",
          "",
          "[Datalnf]",
          "SisanSyurui=1",
          "",
          "[SisanSyurui]"};
}

inline StKOTEISHISANINFO Asset(const char* code, int16_t method = 6) {
  StKOTEISHISANINFO m{};
  std::memcpy(m.szCode, code, std::min(std::strlen(code), sizeof m.szCode));
  m.sMethodCode = method;
  m.lTypeCode = 1;
  return m;
}

inline StIKKATSUINFO Item(int number, const char* name = "") {
  StIKKATSUINFO item{};
  std::snprintf(item.szBreakdownNo, sizeof item.szBreakdownNo, "%d", number);
  std::memcpy(item.szName, name, std::min(std::strlen(name), sizeof item.szName));
  return item;
}

inline CY Yen(int64_t yen) { return CY{yen * 10000}; }

// Runs the asset part of an export over hand-made records through the
// exporter into a scratch folder, and keeps what was written: the data rows
// split into fields and the error log.
class RowRun {
 public:
  RowRun() {
    exporter_.SetOutputPath(dir_.Windows("out.csv").c_str());
    StDATAINFO info{};
    exporter_.OpenAssetFile(&info);
  }
  void Finish() {
    if (finished_) return;
    finished_ = true;
    exporter_.CloseOutput(0);
    exporter_.CloseOutput(2);
    exporter_.CommitOutputs();
    std::vector<std::string> lines = Split(ReadFile(dir_.Host("out.csv")), "\r\n");
    for (size_t i = 7; i < lines.size(); ++i) rows_.push_back(Fields(lines[i]));
    log_ = ReadFile(dir_.Host(kErrorLogName));
  }
  const std::vector<std::vector<std::string>>& rows() {
    Finish();
    return rows_;
  }
  const std::string& log() {
    Finish();
    return log_;
  }
  AssetExporter& exporter() { return exporter_; }

 private:
  testenv::ScratchDir dir_{"zel_export"};
  AssetExporter exporter_{kErrorLogName};
  bool finished_ = false;
  std::string log_;
  std::vector<std::vector<std::string>> rows_;
};

}  // namespace export_test
