#include "verify/store_figures.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>
#include <unordered_map>
#include <vector>

#include "export/value_format.h"
#include "platform/cp932.h"
#include "platform/win.h"

namespace verify {

namespace {

constexpr int64_t kYen = 10000;  // the store counts ten-thousandths of a yen
constexpr size_t kAssetCodeBytes = 6;
constexpr long kMostItems = 99;  // a lump-sum asset has at most 99 breakdown rows
// Sizes of the component's text fields, terminator included.
constexpr size_t kDataIdField = 16, kCodeField = 16, kCategoryNameField = 82, kCompanyField = 260;
constexpr size_t kTypeNameBytes = 12;  // what syurui.SSC keeps of a type's name

struct Finalize {
  void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using Statement = std::unique_ptr<sqlite3_stmt, Finalize>;

struct Close {
  void operator()(sqlite3* db) const { sqlite3_close(db); }
};

// A text value as the component puts it into a field of size bytes: a BLOB
// as CP932 bytes, TEXT converted from UTF-8, either up to its first NUL and
// cut without splitting a character.
std::string FieldValue(sqlite3_stmt* s, int col, size_t size) {
  const bool blob = sqlite3_column_type(s, col) == SQLITE_BLOB;
  const char* bytes = blob ? static_cast<const char*>(sqlite3_column_blob(s, col))
                           : reinterpret_cast<const char*>(sqlite3_column_text(s, col));
  std::string_view raw(bytes != nullptr ? bytes : "", bytes != nullptr ? sqlite3_column_bytes(s, col) : 0);
  raw = raw.substr(0, raw.find('\0'));
  // ASCII is the same in both; only other text needs converting.
  const bool ascii = std::all_of(raw.begin(), raw.end(), [](char c) { return (c & 0x80) == 0; });
  std::string text = blob || ascii ? std::string(raw) : cp932::FromUtf8(raw);
  text.resize(cp932::CutLength(text, size - 1));
  return text;
}

// A text as a field of the comma-separated files carries it.
std::string AsField(std::string text) {
  OneField(text.data(), text.size());
  return text;
}

// The asset type code as column 3 and syurui.SSC carry it: two digits, the
// first two characters of a longer number.
std::string TypeText(int64_t code) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d", static_cast<int32_t>(code));
  return std::string(text, 2);
}

std::string MethodText(int64_t type_code, int64_t method) {
  if (type_code == 11) return "非償却資産";
  switch (method) {
    case 1: return "旧定率法";
    case 2: return "旧定額法";
    case 3: return "均等法";
    case 5:
    case 8: return "定率法";
    case 6: return "定額法";
    case 7: return "少額資産";
    default: return "";
  }
}

constexpr int kLumpSum = 4, kSmallAmount = 7;

// Whether the file carries the current depreciation of an asset (column 67).
bool CurrentWritten(int64_t method, int64_t acquired, int64_t reference, int64_t entered) {
  constexpr int64_t kReformed = 20070401, kRate250To = 20130331;
  return (entered != 0 && method != kSmallAmount) ||
         ((method == 5 || method == 6 || method == 8) && acquired < kReformed) ||
         ((method == 1 || method == 2) && acquired >= kReformed) ||
         (method == 8 && reference <= kRate250To) || (method == 5 && reference > kRate250To);
}

// An amount column's figure: the whole yen, or over the digit limit
// (more than 99,999,999,999 yen, less than -9,999,999,999 yen, fraction
// included).
void AddAmount(int64_t amount, Amount* to) {
  const Yen yen = amount / kYen;
  if (amount > 999'999'999'990'000 || amount < -99'999'999'990'000) {
    ++to->over_limit;
    to->over_limit_sum += yen;
  } else {
    to->sum += yen;
  }
}

// The current depreciation: computed + special + increased, whole yen cut
// toward zero; over the limit when its text needs more than the column's
// 12 bytes or a part sum leaves the working range of 10^14 yen.
void AddCurrent(int64_t computed, int64_t special, int64_t increased, Amount* to) {
  constexpr Yen kRange = static_cast<Yen>(100'000'000'000'000) * kYen;
  const Yen part = static_cast<Yen>(computed) + special;
  const Yen yen = (part + increased) / kYen;
  if (yen >= 1'000'000'000'000 || yen <= -100'000'000'000 || part >= kRange || part <= -kRange) {
    ++to->over_limit;
    to->over_limit_sum += yen;
  } else {
    to->sum += yen;
  }
}

class StoreReader {
 public:
  StoreReader(StoreFigures* out, std::string* why) : out_(out), why_(why) {}

  bool Read(const std::string& path, const std::string& folder_name) {
    // A FIFO or device would block the opening or never end.
    std::error_code ec;
    const std::filesystem::path host = win::HostFsPath(path);
    if (!std::filesystem::is_regular_file(host, ec)) {
      *why_ = std::filesystem::exists(host, ec) ? "not a regular file" : "missing";
      return false;
    }
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    db_.reset(db);
    if (rc != SQLITE_OK) return Fail();
    // One read transaction: the figures come from one state of the store.
    return Exec("BEGIN") && DataSet(folder_name) && Categories() && Assets() && Items();
  }

 private:
  bool Fail() {
    *why_ = db_ ? sqlite3_errmsg(db_.get()) : "out of memory";
    return false;
  }
  bool Exec(const char* sql) {
    return sqlite3_exec(db_.get(), sql, nullptr, nullptr, nullptr) == SQLITE_OK || Fail();
  }
  // A statement over the data set's rows: ?1 its data ID as TEXT, ?2 the
  // same as CP932 bytes (a store may hold either).
  Statement Prepare(const char* sql, bool bind_data_set) {
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db_.get(), sql, -1, &s, nullptr) != SQLITE_OK) return nullptr;
    if (bind_data_set) {
      const std::string text = cp932::ToUtf8(out_->data_id);
      sqlite3_bind_text(s, 1, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
      sqlite3_bind_blob(s, 2, out_->data_id.data(), static_cast<int>(out_->data_id.size()), SQLITE_TRANSIENT);
    }
    return Statement(s);
  }
  // Steps s; false at the end, and on an error (failed_ says so).
  bool Step(sqlite3_stmt* s) {
    const int rc = sqlite3_step(s);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) failed_ = true;
    return rc == SQLITE_ROW;
  }
  bool Done() { return !failed_ || Fail(); }

  bool DataSet(const std::string& folder_name) {
    Statement s = Prepare(
        "SELECT data_id, company_name, period_start, period_end, 0 FROM datasets WHERE data_id = ?1 "
        "UNION ALL SELECT d.data_id, d.company_name, d.period_start, d.period_end, 1 FROM package p "
        "JOIN users u ON u.user_id = p.current_user JOIN datasets d ON d.data_no = u.selected_second "
        "ORDER BY 5 LIMIT 1",
        false);
    if (!s) return Fail();
    sqlite3_bind_text(s.get(), 1, folder_name.data(), static_cast<int>(folder_name.size()), SQLITE_TRANSIENT);
    if (!Step(s.get())) {
      if (failed_) return Fail();
      *why_ = "the store names no data set to export (no data set selected for its user)";
      return false;
    }
    out_->data_id = FieldValue(s.get(), 0, kDataIdField);
    out_->company = FieldValue(s.get(), 1, kCompanyField);
    out_->period_start = sqlite3_column_int64(s.get(), 2);
    out_->period_end = sqlite3_column_int64(s.get(), 3);
    return true;
  }

  bool Categories() {
    Statement s =
        Prepare("SELECT code, name FROM categories WHERE data_id = ?1 OR data_id = ?2 ORDER BY seq", true);
    if (!s) return Fail();
    while (Step(s.get())) {
      std::string name = FieldValue(s.get(), 1, kCategoryNameField);
      name.resize(cp932::CutLength(name, kTypeNameBytes));
      out_->side.type_names.emplace(TypeText(sqlite3_column_int64(s.get(), 0)), AsField(std::move(name)));
    }
    return Done();
  }

  bool Assets() {
    Statement s = Prepare(
        "SELECT seq, code, type_code, method_code, acquisition_date, method_ref_date, acquisition_cost, "
        "opening_book_value, closing_book_value, computed_depreciation, special_depreciation, "
        "increased_depreciation, entered_current_depreciation FROM assets WHERE data_id = ?1 OR data_id = ?2",
        true);
    if (!s) return Fail();
    sqlite3_stmt* row = s.get();
    auto value = [row](int col) { return sqlite3_column_int64(row, col); };
    while (Step(row)) {
      const std::string code = FieldValue(row, 1, kCodeField);
      char part[kAssetCodeBytes + 1];
      CodePart(code, kAssetCodeBytes, part);
      const std::string column1 = AsField(part);
      const int64_t type = value(2), method = value(3);
      if (method == kLumpSum) {
        // Its items become the rows; an asset without items leaves none.
        lump_sums_[value(0)].push_back(column1);
        continue;
      }
      Figures& f = out_->side.Count(TypeText(type), MethodText(type, method), column1);
      ++f.assets;
      AddAmount(value(6), &f.amounts[kAcquisitionCost]);
      if (method != kSmallAmount) AddAmount(value(7), &f.amounts[kOpeningBookValue]);
      AddAmount(value(8), &f.amounts[kClosingBookValue]);
      if (CurrentWritten(method, value(4), value(5), value(12)))
        AddCurrent(value(9), value(10), value(11), &f.amounts[kCurrentDepreciation]);
    }
    return Done();
  }

  // The items of every lump-sum asset in order; an item belongs to each
  // asset of the data set with its asset_seq. Each half of the query is one
  // range of the primary key, merged by SQLite without a sort.
  bool Items() {
    Statement s = Prepare(
        "SELECT asset_seq, acquisition_cost, seq FROM lump_items WHERE data_id = ?1 UNION ALL "
        "SELECT asset_seq, acquisition_cost, seq FROM lump_items WHERE data_id = ?2 ORDER BY 1, 3",
        true);
    if (!s) return Fail();
    int64_t asset = 0;
    long number = 0;
    const std::vector<std::string>* owners = nullptr;
    while (Step(s.get())) {
      const int64_t seq = sqlite3_column_int64(s.get(), 0);
      if (owners == nullptr || seq != asset) {
        asset = seq;
        number = 0;
        auto it = lump_sums_.find(seq);
        owners = it == lump_sums_.end() ? &none_ : &it->second;
      }
      if (++number > kMostItems) continue;
      char breakdown[4];
      std::snprintf(breakdown, sizeof breakdown, "%02ld", number);
      for (const std::string& owner : *owners) {
        Figures& f = out_->side.Count("", kLumpSumMethod, owner + breakdown);
        ++f.breakdown_rows;
        if (number == 1) ++f.assets;
        AddAmount(sqlite3_column_int64(s.get(), 1), &f.amounts[kAcquisitionCost]);
      }
    }
    return Done();
  }

  StoreFigures* out_;
  std::string* why_;
  std::unique_ptr<sqlite3, Close> db_;
  bool failed_ = false;
  // The column 1 code part of each lump-sum asset, by its seq.
  std::unordered_map<int64_t, std::vector<std::string>> lump_sums_;
  const std::vector<std::string> none_;
};

}  // namespace

bool ReadStoreFigures(const std::string& path, const std::string& folder_name, StoreFigures* out,
                      std::string* why) {
  if (!StoreReader(out, why).Read(path, folder_name)) return false;
  out->side.SortCodes();
  return true;
}

}  // namespace verify
