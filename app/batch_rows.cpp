#include "app/batch_rows.h"

#include <cstdio>
#include <cstdlib>

namespace batch {

namespace {

// A field in double quotes when it holds a separator or a quote; neither
// byte can be the trail byte of a CP932 character.
std::string Quote(const std::string& text) {
  if (text.find_first_of(",\"") == std::string::npos) return text;
  std::string out = "\"";
  for (char c : text) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

std::vector<std::string> SplitFields(std::string_view line) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    char c = line[i];
    if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
      fields.back() += '"';
      ++i;
    } else if (c == '"') {
      quoted = !quoted;
    } else if (c == ',' && !quoted) {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  return fields;
}

bool ToLong(const std::string& text, long* value) {
  char* end = nullptr;
  *value = std::strtol(text.c_str(), &end, 10);
  return !text.empty() && *end == '\0';
}

}  // namespace

const char* SummaryHeader() {
  return "data_id,data_no,company,period,assets,rows,errors,warnings,problems,status,seconds,fingerprint,"
         "reason";
}

std::string FormatRow(const Row& r) {
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%.2f", r.seconds);
  return Quote(r.data_id) + "," + r.data_no + "," + Quote(r.company) + "," + Quote(r.period) + "," +
         std::to_string(r.assets) + "," + std::to_string(r.rows) + "," + std::to_string(r.errors) + "," +
         std::to_string(r.warnings) + "," + (r.problems < 0 ? "" : std::to_string(r.problems)) + "," +
         r.status + "," + seconds + "," + r.fingerprint + "," + Quote(r.reason);
}

bool ParseRow(std::string_view line, Row* r) {
  std::vector<std::string> f = SplitFields(line);
  if (f.size() != 13) return false;
  r->data_id = f[0];
  r->data_no = f[1];
  r->company = f[2];
  r->period = f[3];
  r->status = f[9];
  r->fingerprint = f[11];
  r->reason = f[12];
  r->seconds = std::strtod(f[10].c_str(), nullptr);
  r->problems = -1;
  return ToLong(f[4], &r->assets) && ToLong(f[5], &r->rows) && ToLong(f[6], &r->errors) &&
         ToLong(f[7], &r->warnings) && (f[8].empty() || ToLong(f[8], &r->problems)) && !r->data_id.empty() &&
         r->status != "status";
}

std::vector<Row> ParseSummary(std::string_view text) {
  std::vector<Row> rows;
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    Row row;
    if (ParseRow(line, &row)) rows.push_back(row);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
  }
  return rows;
}

void Fingerprint::Add(const void* data, size_t size) {
  const unsigned char* bytes = static_cast<const unsigned char*>(data);
  for (size_t i = 0; i < size; ++i) hash_ = (hash_ ^ bytes[i]) * 1099511628211ull;
}

std::string Fingerprint::Hex() const {
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash_));
  return text;
}

}  // namespace batch
