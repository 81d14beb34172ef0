// Helpers of the export tests: the exporter writing into a scratch folder,
// and the written files split into lines, fields and log entries.
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
