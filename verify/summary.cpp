#include "verify/summary.h"

#include <algorithm>
#include <vector>

#include "platform/cp932.h"

namespace verify {

namespace {

// A figure's cell: the file's figure, "*" when amounts over the digit limit
// are not in it as they stand.
std::string FigureCell(const SheetLine& line, int figure, bool with_store) {
  const Amount& a = line.file.amounts[figure];
  return YenText(ShownFileFigure(line, figure, with_store), true) +
         (a.over_limit + a.unreadable > 0 ? " *" : "");
}

// The line's rows: the file's, and the store's and the difference with a
// store. True when a cell is marked with "*".
bool AddSides(const SheetLine& line, const std::string& name, bool with_store,
              std::vector<std::vector<std::string>>* rows) {
  std::vector<std::string> file = {name, with_store ? "file" : "", std::to_string(line.file.assets),
                                   std::to_string(line.file.breakdown_rows)};
  bool marked = false;
  for (int f = 0; f < kFigureCount; ++f) {
    file.push_back(FigureCell(line, f, with_store));
    marked = marked || file.back().back() == '*';
  }
  rows->push_back(std::move(file));
  if (!with_store) return marked;
  std::vector<std::string> store = {"", "store", std::to_string(line.store.assets),
                                    std::to_string(line.store.breakdown_rows)};
  std::vector<std::string> diff = {"", "difference", std::to_string(line.file.assets - line.store.assets),
                                   std::to_string(line.file.breakdown_rows - line.store.breakdown_rows)};
  for (int f = 0; f < kFigureCount; ++f) {
    const Amount &fa = line.file.amounts[f], &sa = line.store.amounts[f];
    store.push_back(YenText(sa.sum + sa.over_limit_sum, true));
    diff.push_back(YenText(fa.sum - sa.sum, true) + (fa.over_limit != sa.over_limit ? " *" : ""));
    marked = marked || fa.over_limit != sa.over_limit;
  }
  rows->push_back(std::move(store));
  rows->push_back(std::move(diff));
  return marked;
}

// A JSON string of a UTF-8 text.
std::string JsonText(const std::string& utf8) {
  std::string out = "\"";
  for (char c : utf8) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + "\"";
}
std::string Str(const std::string& cp932_text) { return JsonText(cp932::ToUtf8(cp932_text)); }

const char* const kFigureKeys[kFigureCount] = {"acquisition_cost", "opening_book_value",
                                               "current_depreciation", "closing_book_value"};

std::string FiguresJson(const Figures& f, bool store) {
  std::string json = "{\"assets\": " + std::to_string(f.assets) +
                     ", \"breakdown_rows\": " + std::to_string(f.breakdown_rows);
  for (int i = 0; i < kFigureCount; ++i) {
    const Amount& a = f.amounts[i];
    json += std::string(", \"") + kFigureKeys[i] + "\": {\"sum\": " + YenText(a.sum) +
            ", \"over_limit\": " + std::to_string(a.over_limit);
    json += store ? ", \"over_limit_sum\": " + YenText(a.over_limit_sum)
                  : ", \"unreadable\": " + std::to_string(a.unreadable);
    json += "}";
  }
  return json + "}";
}

std::string LineJson(const SheetLine& line, bool with_store) {
  std::string json = "{\"type\": " + Str(line.key.type) + ", \"type_name\": " + Str(line.type_name) +
                     ", \"method\": " + Str(line.key.method) + ", \"file\": " + FiguresJson(line.file, false);
  if (with_store) json += ", \"store\": " + FiguresJson(line.store, true);
  return json + "}";
}

}  // namespace

std::string SummaryTable(const ControlSheet& sheet) {
  const Reconciliation& r = sheet.figures;
  std::vector<std::vector<std::string>> rows = {
      {"asset type / method", r.with_store ? "side" : "", "assets", "breakdown rows"}};
  for (int f = 0; f < kFigureCount; ++f) rows[0].push_back(FigureName(f));
  bool marked = false;
  for (const SheetLine& line : r.lines)
    marked = AddSides(line, LineName(line), r.with_store, &rows) || marked;
  marked = AddSides(r.total, "total", r.with_store, &rows) || marked;
  // A CP932 text takes as many columns as it has bytes: a double-byte
  // character is a full-width one.
  std::vector<size_t> widths(rows[0].size());
  for (const auto& row : rows) {
    for (size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], row[c].size());
  }
  std::string table;
  for (const auto& row : rows) {
    std::string line;
    for (size_t c = 0; c < row.size(); ++c) {
      if (c == 1 && !r.with_store) continue;
      const std::string pad(widths[c] - row[c].size(), ' ');
      line += c < 2 ? row[c] + pad + "  " : "  " + pad + row[c];
    }
    table += cp932::ToUtf8(line.substr(0, line.find_last_not_of(' ') + 1)) + "\n";
  }
  if (marked) {
    table += r.with_store
                 ? "*: amounts over the digit limit (\"************\"); the store's figures are taken "
                   "for them, and a difference marks a different number of them\n"
                 : "*: amounts over the digit limit (\"************\") or fields that hold no amount; "
                   "they are not in the sum\n";
  }
  return table;
}

std::string SheetJson(const ControlSheet& sheet) {
  const Reconciliation& r = sheet.figures;
  std::string json = "{\n  \"asset_file\": " + JsonText(sheet.files[0].path) +
                     ",\n  \"company\": " + Str(sheet.header.company) +
                     ",\n  \"period_start\": " + Str(sheet.header.period_start) +
                     ",\n  \"period_end\": " + Str(sheet.header.period_end) +
                     ",\n  \"program\": " + Str(sheet.program) +
                     ",\n  \"export_date\": " + Str(sheet.export_date) + ",\n  \"files\": [";
  for (const FileFacts& f : sheet.files) {
    json += std::string(&f == sheet.files ? "\n" : ",\n") + "    {\"role\": " + JsonText(f.role) +
            ", \"path\": " + JsonText(f.path) + ", \"read\": " + (f.read ? "true" : "false") +
            ", \"size\": " + std::to_string(f.size) + ", \"sha256\": " + Str(f.sha256) + "}";
  }
  json += "\n  ],\n  \"lines\": [";
  for (const SheetLine& line : r.lines)
    json += std::string(&line == r.lines.data() ? "\n    " : ",\n    ") + LineJson(line, r.with_store);
  json += "\n  ],\n  \"total\": " + LineJson(r.total, r.with_store);
  if (r.with_store) {
    json += ",\n  \"store\": " + JsonText(sheet.store_path) + ",\n  \"data_set\": " + Str(sheet.data_set) +
            ",\n  \"differences\": [";
    for (const std::string& d : r.differences)
      json += std::string(&d == r.differences.data() ? "\n    " : ",\n    ") + Str(d);
    json += "\n  ]";
  }
  json += ",\n  \"problems\": " + std::to_string(sheet.problem_count) +
          ",\n  \"warnings\": " + std::to_string(sheet.warning_count) +
          ",\n  \"remarks\": " + std::to_string(sheet.remarks.size()) + "\n}\n";
  return json;
}

}  // namespace verify
