#include "verify/report_html.h"

#include <algorithm>
#include <map>

#include "platform/cp932.h"

namespace verify {

namespace {

// Remarks listed on the page; the rest are counted.
constexpr size_t kListedRemarks = 500;

const char kStyle[] = R"(
@page { size: A4 landscape; margin: 10mm; }
body { font-family: "IPAexGothic", "IPAPGothic", "IPAGothic", "Noto Sans CJK JP", "Yu Gothic", "Meiryo", sans-serif;
       font-size: 10pt; color: #111; margin: 16px; }
h1 { font-size: 15pt; margin: 0 0 6px; }
h2 { font-size: 11pt; margin: 14px 0 4px; border-bottom: 1px solid #888; }
table { border-collapse: collapse; }
th, td { border: 1px solid #bbb; padding: 2px 6px; vertical-align: top; }
th { background: #eee; text-align: left; font-weight: normal; }
td.n { text-align: right; white-space: nowrap; font-variant-numeric: tabular-nums; }
td.side { color: #555; }
tr.file td { border-top: 2px solid #888; }
tr.total td { font-weight: bold; border-top: 3px double #333; }
.differs { color: #c00; font-weight: bold; }
td.diff { color: #c00; font-weight: bold; background: #fde8e8; }
.note { display: block; font-size: 7.5pt; color: #555; font-weight: normal; white-space: normal; }
.hash { font-family: monospace; font-size: 8pt; word-break: break-all; }
#verdict { font-size: 12pt; padding: 6px 10px; border: 2px solid #555; margin: 10px 0; }
#verdict.ok { color: #060; border-color: #060; }
#verdict.bad { color: #c00; border-color: #c00; }
#differences li { color: #c00; }
.facts th { width: 11em; }
.pair { display: flex; gap: 16px; align-items: flex-start; }
.pair > div { flex: 0 1 auto; }
.pair > div.chart { flex: 1 1 40%; min-width: 40%; }
.sign { margin-top: 18px; }
.sign td { width: 16em; height: 2.4em; }
svg text { font-size: 13px; fill: #111; }
@media print {
  body { margin: 0; font-size: 7pt; }
  h1 { font-size: 12pt; }
  h2 { font-size: 8.5pt; margin: 6px 0 2px; break-after: avoid; }
  th, td { padding: 0 4px; }
  #verdict { font-size: 9pt; padding: 3px 8px; margin: 6px 0; }
  .hash { font-size: 6.5pt; }
  tr, li, svg { break-inside: avoid; }
}
)";

// Text for HTML, from UTF-8.
std::string Esc(std::string_view utf8) {
  std::string out;
  for (char c : utf8) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}
// Text for HTML, from CP932.
std::string Cp(std::string_view cp932_text) { return Esc(cp932::ToUtf8(cp932_text)); }

std::string Num(Yen value) { return YenText(value, true); }

std::string Cell(const std::string& text, const std::string& cls = "n", const std::string& id = "") {
  return "<td" + (id.empty() ? "" : " id=\"" + id + "\"") + (cls.empty() ? "" : " class=\"" + cls + "\"") +
         ">" + text + "</td>";
}

std::string Plural(long n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

const char* const kCountIds[2] = {"assets", "breakdown-rows"};

class Page {
 public:
  explicit Page(const ControlSheet& sheet) : s_(sheet), r_(sheet.figures) {}

  std::string Make() {
    html_ = "<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"utf-8\">\n<title>Control sheet: " +
            Esc(s_.files[0].path) + "</title>\n<style>" + kStyle + "</style>\n</head>\n<body>\n";
    html_ += "<h1>Control sheet of an asset data export</h1>\n";
    html_ += "<div class=\"pair\">\n";
    Facts();
    html_ += "</div>\n";
    Verdict();
    html_ += "<div class=\"pair\"><div>\n";
    Figures();
    html_ += "</div><div class=\"chart\">\n";
    Chart();
    html_ += "</div></div>\n";
    Differences();
    Remarks();
    Findings();
    html_ +=
        "<table class=\"sign\"><tr><th>Checked "
        "by</th><td></td><th>Date</th><td></td><th>Signature</th><td></td>"
        "</tr></table>\n</body>\n</html>\n";
    return html_;
  }

 private:
  void Fact(const char* name, const std::string& html) {
    html_ +=
        std::string("<tr><th>") + name + "</th><td>" + (html.empty() ? "&mdash;" : html) + "</td></tr>\n";
  }

  void Facts() {
    html_ += "<table class=\"facts\">\n";
    Fact("Program",
         Esc(s_.program.empty() ? "not known: an export without remarks leaves no error log to tell"
                                : s_.program));
    Fact("Company", Cp(s_.header.company));
    Fact("Business year", Esc(s_.header.period_start + " to " + s_.header.period_end));
    Fact("Data set", s_.store_path.empty() ? "" : Cp(s_.data_set) + " in the store " + Esc(s_.store_path));
    Fact("Date of the export", Cp(s_.export_date) + " <span class=\"note\">as syurui.SSC gives it</span>");
    Fact("Sheet made", Esc(s_.made));
    html_ +=
        "</table>\n<div>\n<h2>Files</h2>\n<table class=\"files\"><tr><th>File</th><th>Path</th><th>Bytes</th>"
        "<th>SHA-256</th></tr>\n";
    for (const FileFacts& f : s_.files) {
      html_ += "<tr><td>" + Esc(f.role) + "</td><td>" + Esc(f.path) + "</td>";
      html_ += f.read ? Cell(Num(f.size)) + Cell(f.sha256, "hash")
                      : "<td colspan=\"2\" class=\"differs\">" + Esc(f.why) + "</td>";
      html_ += "</tr>\n";
    }
    html_ += "</table>\n</div>\n";
  }

  void Verdict() {
    const size_t differences = r_.differences.size();
    const bool bad = differences > 0 || s_.problem_count > 0;
    std::string text;
    if (!r_.with_store) {
      text = "The file's figures alone: no store was given to reconcile them with.";
    } else if (differences == 0) {
      text = "Reconciled: the files agree with the store, no difference.";
    } else {
      text = Plural(static_cast<long>(differences), "difference", "differences") + " against the store.";
    }
    text += " " + Plural(s_.problem_count, "problem", "problems") +
            " the depreciation application cannot take, " + Plural(s_.warning_count, "warning", "warnings") +
            ".";
    html_ += std::string("<p id=\"verdict\" class=\"") +
             (bad             ? "bad"
              : r_.with_store ? "ok"
                              : "") +
             "\">" + Esc(text) + "</p>\n";
  }

  // The notes on a file's figure: amounts over the digit limit and fields
  // that hold no amount.
  std::string FileNotes(const SheetLine& line, int f) const {
    const Amount& a = line.file.amounts[f];
    std::string notes;
    if (a.over_limit > 0) {
      notes += "<span class=\"note\">" + Plural(a.over_limit, "amount", "amounts") +
               " over the digit limit (************): " +
               (r_.with_store ? "the store's " + Num(line.store.amounts[f].over_limit_sum) + " taken"
                              : std::string("not in this sum")) +
               "</span>";
    }
    if (a.unreadable > 0)
      notes += "<span class=\"note\">" + Plural(a.unreadable, "field", "fields") + " with no amount</span>";
    return notes;
  }

  void Rows(const SheetLine& line, const std::string& name, const std::string& id) {
    const bool total = !id.empty();
    auto cell_id = [&](const char* side, const std::string& what) {
      return total ? "total-" + std::string(side) + "-" + what : std::string();
    };
    const long file_counts[2] = {line.file.assets, line.file.breakdown_rows};
    const long store_counts[2] = {line.store.assets, line.store.breakdown_rows};
    html_ += std::string("<tr class=\"file") + (total ? " total" : "") + "\"><td rowspan=\"" +
             (r_.with_store ? "3" : "1") + "\">" + name + "</td>" + Cell(r_.with_store ? "file" : "", "side");
    for (int c = 0; c < 2; ++c)
      html_ += Cell(std::to_string(file_counts[c]),
                    file_counts[c] != store_counts[c] && r_.with_store ? "n differs" : "n",
                    cell_id("file", kCountIds[c]));
    for (int f = 0; f < kFigureCount; ++f) {
      html_ += Cell(Num(ShownFileFigure(line, f, r_.with_store)) + FileNotes(line, f),
                    r_.with_store && FigureDiffers(line, f) ? "n differs" : "n",
                    cell_id("file", std::to_string(kFigureColumns[f])));
    }
    html_ += "</tr>\n";
    if (!r_.with_store) return;
    html_ += std::string("<tr") + (total ? " class=\"total\"" : "") + ">" + Cell("store", "side");
    for (int c = 0; c < 2; ++c)
      html_ += Cell(std::to_string(store_counts[c]), "n", cell_id("store", kCountIds[c]));
    for (int f = 0; f < kFigureCount; ++f) {
      const Amount& a = line.store.amounts[f];
      html_ += Cell(Num(a.sum + a.over_limit_sum), "n", cell_id("store", std::to_string(kFigureColumns[f])));
    }
    html_ += std::string("</tr>\n<tr") + (total ? " class=\"total\"" : "") + ">" + Cell("difference", "side");
    for (int c = 0; c < 2; ++c) {
      const long d = file_counts[c] - store_counts[c];
      html_ += Cell(std::to_string(d), d != 0 ? "n diff" : "n", cell_id("difference", kCountIds[c]));
    }
    for (int f = 0; f < kFigureCount; ++f) {
      const Amount &fa = line.file.amounts[f], &sa = line.store.amounts[f];
      std::string text = Num(fa.sum - sa.sum);
      if (fa.over_limit != sa.over_limit) {
        text += "<span class=\"note\">" + std::to_string(fa.over_limit) + " over the limit in the file, " +
                std::to_string(sa.over_limit) + " in the store</span>";
      }
      html_ += Cell(text, FigureDiffers(line, f) ? "n diff" : "n",
                    cell_id("difference", std::to_string(kFigureColumns[f])));
    }
    html_ += "</tr>\n";
  }

  void Figures() {
    html_ +=
        "<h2>Figures per asset type and method</h2>\n<table id=\"figures\">\n<tr><th>Asset type / method</th>"
        "<th></th><th>Assets</th><th>Breakdown rows</th>";
    for (int f = 0; f < kFigureCount; ++f) html_ += "<th>" + Cp(FigureName(f)) + "</th>";
    html_ += "</tr>\n";
    for (const SheetLine& line : r_.lines) Rows(line, Cp(LineName(line)), "");
    Rows(r_.total, "Total", "total");
    html_ +=
        "</table>\n<p class=\"note\">Amounts in whole yen as the file holds them (cut toward zero). "
        "Breakdown "
        "rows carry no asset type: the items of lump-sum assets form a line of their own, and its assets are "
        "the lump-sum assets with at least one row.</p>\n";
  }

  void Differences() {
    html_ += "<h2>Differences against the store</h2>\n";
    if (!r_.with_store) {
      html_ += "<p>No store given (zelverify --report FILE.html --store STORE ASSET_FILE reconciles).</p>\n";
      return;
    }
    if (r_.differences.empty()) {
      html_ += "<p id=\"no-differences\">None.</p>\n<ol id=\"differences\"></ol>\n";
      return;
    }
    html_ += "<ol id=\"differences\">\n";
    for (const std::string& d : r_.differences) html_ += "<li class=\"difference\">" + Cp(d) + "</li>\n";
    html_ += "</ol>\n";
  }

  // Acquisition cost and closing book value per asset type, as horizontal
  // bars (a negative figure draws no bar).
  void Chart() {
    std::map<std::string, std::pair<Yen, Yen>> types;  // label (CP932) -> the two figures
    for (const SheetLine& line : r_.lines) {
      auto& [cost, closing] =
          types[line.key.type.empty() ? std::string(line.key.method) : line.key.type + " " + line.type_name];
      cost += ShownFileFigure(line, kAcquisitionCost, r_.with_store);
      closing += ShownFileFigure(line, kClosingBookValue, r_.with_store);
    }
    Yen most = 1;
    for (const auto& [label, v] : types) most = std::max({most, v.first, v.second});
    constexpr int kLabel = 150, kBars = 330, kRow = 30, kTop = 28;
    const int height = kTop + kRow * static_cast<int>(types.size()) + 6;
    auto bar = [&](Yen value, int y, const char* colour) {
      const long width = value > 0 ? static_cast<long>(value * kBars / most) : 0;
      return "<rect x=\"" + std::to_string(kLabel) + "\" y=\"" + std::to_string(y) + "\" width=\"" +
             std::to_string(width) + "\" height=\"10\" fill=\"" + colour + "\"/><text x=\"" +
             std::to_string(kLabel + width + 6) + "\" y=\"" + std::to_string(y + 9) + "\">" + Num(value) +
             "</text>\n";
    };
    html_ += "<h2>" + Cp("取得価額") + " and " + Cp("期末帳簿価額") +
             " per asset type (the file's, yen)</h2>\n<svg id=\"chart\" xmlns=\"http://www.w3.org/2000/svg\" "
             "width=\"100%\" viewBox=\"0 0 600 " +
             std::to_string(height) + "\">\n";
    html_ +=
        "<rect x=\"150\" y=\"4\" width=\"12\" height=\"10\" fill=\"#3a6ea5\"/><text x=\"168\" y=\"13\">" +
        Cp("取得価額") +
        "</text><rect x=\"260\" y=\"4\" width=\"12\" height=\"10\" fill=\"#e39b2d\"/>"
        "<text x=\"278\" y=\"13\">" +
        Cp("期末帳簿価額") + "</text>\n";
    int y = kTop;
    for (const auto& [label, v] : types) {
      html_ += "<text x=\"0\" y=\"" + std::to_string(y + 15) + "\">" + Cp(label) + "</text>\n";
      html_ += bar(v.first, y, "#3a6ea5") + bar(v.second, y + 12, "#e39b2d");
      y += kRow;
    }
    html_ += "</svg>\n";
  }

  void Remarks() {
    html_ += "<h2>Remarks of the error log</h2>\n";
    if (s_.remarks.empty()) {
      html_ += "<p>" +
               Esc(s_.check.log_file.empty() ? "No error log beside the file: the export had no remark."
                                             : "The error log holds no remark.") +
               "</p>\n";
      return;
    }
    html_ += "<table id=\"remarks\"><tr><th>No.</th><th>Kind</th><th>Line</th><th>" + Cp("資産コード") +
             "</th><th>Remark</th></tr>\n";
    for (size_t i = 0; i < std::min(s_.remarks.size(), kListedRemarks); ++i) {
      const LogEntry& e = s_.remarks[i];
      const RemarkRow& row = s_.remark_rows[i];
      std::string message = Cp(e.message);
      for (size_t at; (at = message.find('\n')) != std::string::npos;) message.replace(at, 1, "<br>");
      html_ += "<tr>" + Cell(std::to_string(i + 1)) +
               Cell(e.error ? "ERROR" : "WARNING", e.error ? "differs" : "") +
               Cell(row.line > 0 ? std::to_string(row.line) : "&mdash;") + Cell(Cp(row.code), "") +
               Cell(message, "") + "</tr>\n";
    }
    html_ += "</table>\n";
    if (s_.remarks.size() > kListedRemarks)
      html_ += "<p>and " + std::to_string(s_.remarks.size() - kListedRemarks) + " remarks more.</p>\n";
  }

  void Findings() {
    html_ +=
        "<h2>Findings of zelverify</h2>\n<div id=\"findings\">\n<p>" +
        Esc(Plural(s_.problem_count, "problem", "problems") + ", " +
            Plural(s_.warning_count, "warning", "warnings") + "; " + std::to_string(s_.check.assets.rows) +
            " rows, " + std::to_string(s_.check.assets.breakdown_rows) + " of them breakdown rows") +
        ".</p>\n";
    if (!s_.problems.empty()) {
      html_ += "<ol class=\"problems\">\n";
      for (const Finding& f : s_.problems)
        html_ += "<li class=\"differs\">" + Esc(Report::Format(f)) + "</li>\n";
      html_ += "</ol>\n";
      if (s_.problem_count > static_cast<long>(s_.problems.size()))
        html_ += "<p>and " + std::to_string(s_.problem_count - static_cast<long>(s_.problems.size())) +
                 " problems more.</p>\n";
    }
    if (!s_.warnings.empty()) {
      html_ += "<table class=\"warnings\"><tr><th>Warnings</th><th>The first of them</th></tr>\n";
      for (const FindingGroup& g : s_.warnings)
        html_ += "<tr>" + Cell(std::to_string(g.count)) + Cell(Esc(Report::Format(g.first)), "") + "</tr>\n";
      html_ += "</table>\n";
    }
    html_ += "</div>\n";
  }

  const ControlSheet& s_;
  const Reconciliation& r_;
  std::string html_;
};

}  // namespace

std::string ReportHtml(const ControlSheet& sheet) { return Page(sheet).Make(); }

}  // namespace verify
