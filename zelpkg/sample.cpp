#include "zelpkg/sample.h"

#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace package {
namespace {

// Store texts are UTF-8 whatever the source's execution character set.
std::string S(const char8_t* text) { return reinterpret_cast<const char*>(text); }

class Rng {
 public:
  explicit Rng(uint64_t seed) : engine_(seed) {}
  // Uniform in [0, n).
  int64_t Below(int64_t n) { return static_cast<int64_t>(engine_() % static_cast<uint64_t>(n)); }
  int64_t Between(int64_t lo, int64_t hi) { return lo + Below(hi - lo + 1); }
  int32_t Date(int first_year, int years) {
    return static_cast<int32_t>((first_year + Below(years)) * 10000 + Between(1, 12) * 100 + Between(1, 28));
  }

 private:
  std::mt19937_64 engine_;
};

constexpr int64_t kYen = 10000;  // amounts are ten-thousandths of a yen

struct Asset {
  std::string data_id = "D0001";
  int64_t seq = 0;
  std::string code, name, quantity_text, memo, capex_link;
  int64_t type_code = 1, disposal_kind = 0, method_ref_date = 0, acquisition_date = 0;
  int64_t acquisition_cost = 0, compressed_amount = 0, opening_book_value = 0;
  int64_t method_code = 6, useful_life = 10, depreciation_rate = 100, residual_rate = 0;
  int64_t limit_kind = 0, depreciable_limit = 0, business_ratio = 10000, sga_share = 100;
  int64_t months_numerator = 12, months_denominator = 12, residual_value = 0, depreciation_base = 0;
  int64_t sga_amount = 0, mfg_amount = 0, accumulated_depreciation = 0, closing_book_value = 0;
  int64_t disposal_date = 0, disposal_price = 0, months_entered = 0, revised_cost = 0;
  int64_t computed_depreciation = 0, special_depreciation = 0, increased_depreciation = 0;
  int64_t entered_current_depreciation = 0;
  int items = 0;  // lump-sum items to write
};

const char kAssetInsert[] =
    "INSERT INTO assets (data_id, seq, code, type_code, name, quantity_text, memo, disposal_kind, "
    "capex_link, method_ref_date, acquisition_date, acquisition_cost, compressed_amount, "
    "opening_book_value, method_code, useful_life, depreciation_rate, residual_rate, limit_kind, "
    "depreciable_limit, business_ratio, sga_share, months_numerator, months_denominator, "
    "residual_value, depreciation_base, sga_amount, mfg_amount, accumulated_depreciation, "
    "closing_book_value, disposal_date, disposal_price, months_entered, revised_cost, "
    "computed_depreciation, special_depreciation, increased_depreciation, "
    "entered_current_depreciation) VALUES "
    "(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)";
const char kItemInsert[] =
    "INSERT INTO lump_items (data_id, asset_seq, seq, name, acquisition_date, acquisition_cost, quantity) "
    "VALUES (?,?,?,?,?,?,?)";

// The six-character code of an asset number: digits while they suffice,
// then base 36, so that a large sample still has unique six-byte codes.
std::string CodeOf(int64_t n) {
  char buffer[24];
  if (n < 1000000) {
    std::snprintf(buffer, sizeof(buffer), "%06lld", static_cast<long long>(n));
    return buffer;
  }
  static const char kDigits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  std::string code(6, '0');
  for (int i = 5; i >= 0 && n > 0; --i, n /= 36) code[i] = kDigits[n % 36];
  code[0] = 'Z';
  return code;
}

// Plausible depreciation figures for a cost, method and life.
void Depreciate(Asset& a, Rng& rng) {
  bool old_method = a.method_code == 1 || a.method_code == 2 || a.method_code == 3;
  a.useful_life = a.method_code == 7 ? 3 : a.useful_life;
  a.depreciation_rate = a.useful_life > 0 ? 1000 / a.useful_life : 0;
  a.residual_rate = old_method ? 100 : 0;
  a.residual_value = old_method ? a.acquisition_cost / 10 : 0;
  // The limit is a rate of 95 % (kind 0) or an amount of a twentieth of the
  // cost (kind 1), as its kind says.
  a.limit_kind = old_method ? rng.Below(2) : 0;
  a.depreciable_limit = !old_method ? 0 : a.limit_kind == 1 ? a.acquisition_cost / 20 : 95 * kYen;
  a.depreciation_base = a.acquisition_cost - a.compressed_amount;
  int64_t yearly = a.useful_life > 0 ? a.depreciation_base / a.useful_life / kYen * kYen : 0;
  int64_t years = 1 + rng.Below(a.useful_life > 1 ? a.useful_life - 1 : 1);
  a.accumulated_depreciation = yearly * (years - 1);
  if (a.accumulated_depreciation > a.depreciation_base - kYen) a.accumulated_depreciation = 0;
  a.opening_book_value = a.acquisition_cost - a.accumulated_depreciation;
  a.computed_depreciation = yearly;
  a.sga_amount = yearly * a.sga_share / 100;
  a.mfg_amount = yearly - a.sga_amount;
  a.closing_book_value = a.opening_book_value - yearly;
  a.accumulated_depreciation += yearly;
}

const std::vector<std::string>& AssetNames() {
  static const std::vector<std::string> names = {
      S(u8"本社ビル"),       S(u8"第二倉庫"), S(u8"空調設備"),   S(u8"駐車場舗装"),
      S(u8"フォークリフト"), S(u8"旋盤"),     S(u8"営業車"),     S(u8"配送用トラック"),
      S(u8"ノートパソコン"), S(u8"複合機"),   S(u8"応接セット"), S(u8"サーバー機"),
      S(u8"看板"),           S(u8"金型"),     S(u8"創立費")};
  return names;
}

Asset RandomAsset(int64_t seq, Rng& rng) {
  static const int64_t kMethods[] = {1, 2, 3, 5, 6, 6, 6, 7, 8};
  Asset a;
  a.seq = seq;
  a.code = CodeOf(seq);
  a.type_code = rng.Between(1, 9);
  const std::string& base =
      AssetNames()[static_cast<size_t>(rng.Below(static_cast<int64_t>(AssetNames().size())))];
  a.name = base + " " + std::to_string(seq);
  static const char8_t* const kQuantities[] = {u8"1台", u8"2台", u8"1式", u8"1棟", u8"", u8"3個"};
  a.quantity_text = S(kQuantities[rng.Below(6)]);
  if (rng.Below(10) == 0) a.memo = S(u8"リース満了後に買取り");
  if (rng.Below(20) == 0) a.capex_link = "CX-" + std::to_string(2000 + rng.Below(25));
  a.acquisition_date = rng.Date(1995, 30);
  a.method_ref_date = a.acquisition_date;
  a.acquisition_cost = rng.Between(100, 50000) * 1000 * kYen;
  if (rng.Below(25) == 0) a.compressed_amount = a.acquisition_cost / 5;
  a.method_code = kMethods[rng.Below(9)];
  a.useful_life = rng.Between(2, 50);
  if (rng.Below(5) == 0) a.sga_share = 60;
  if (rng.Below(30) == 0) a.business_ratio = 8000;
  if (rng.Below(40) == 0) {
    a.months_entered = 1;
    a.months_numerator = rng.Between(1, 12);
  }
  Depreciate(a, rng);
  if (rng.Below(50) == 0) {  // a lump-sum asset with a few items
    a.method_code = 4;
    a.type_code = 10;
    a.useful_life = 3;
    a.items = static_cast<int>(rng.Between(1, 5));
  }
  return a;
}

// The cases every sample holds, in seq order from 1.
std::vector<Asset> FixedAssets(Rng& rng) {
  std::vector<Asset> fixed;
  for (int64_t method = 1; method <= 8; ++method) {  // seq 1-8: every method code
    Asset a = RandomAsset(static_cast<int64_t>(fixed.size()) + 1, rng);
    a.method_code = method;
    a.items = 0;
    if (method == 4) {
      a.type_code = 10;
      a.name = S(u8"一括償却資産 パソコン周辺機器");
      a.items = 3;
    }
    Depreciate(a, rng);
    fixed.push_back(a);
  }
  auto next = [&]() {
    Asset a = RandomAsset(static_cast<int64_t>(fixed.size()) + 1, rng);
    a.items = 0;
    if (a.method_code == 4) a.method_code = 6;
    return a;
  };
  Asset a = next();  // 9: a lump-sum asset with more items than a file takes
  a.method_code = 4;
  a.type_code = 10;
  a.name = S(u8"一括償却資産 事務用品一式");
  a.items = 150;
  fixed.push_back(a);
  a = next();  // 10: sold
  a.disposal_kind = 4;
  a.disposal_date = 20240930;
  a.disposal_price = 1200000 * kYen;
  fixed.push_back(a);
  a = next();  // 11: retired
  a.disposal_kind = 5;
  a.disposal_date = 20250115;
  fixed.push_back(a);
  a = next();  // 12: a code longer than six characters
  a.code = "A1234567890";
  fixed.push_back(a);
  a = next();  // 13: the code of asset 1 again
  a.code = fixed[0].code;
  fixed.push_back(a);
  a = next();  // 14: an amount beyond eleven digits
  a.acquisition_cost = 123456789012LL * kYen;
  Depreciate(a, rng);
  fixed.push_back(a);
  a = next();  // 15: a code with a symbol
  a.code = "A-01#";
  fixed.push_back(a);
  a = next();  // 16: texts longer than their fields, double-byte throughout
  a.name.clear();
  for (int i = 0; i < 12; ++i) a.name += S(u8"工場用大型精密加工機械設備");
  a.memo.clear();
  for (int i = 0; i < 6; ++i) a.memo += S(u8"移設済み（第二工場）、");
  a.quantity_text = S(u8"１２台");
  a.capex_link = "CAPEX-2024-0001-XYZ-LONG";
  fixed.push_back(a);
  a = next();  // 17: land
  a.type_code = 11;
  a.name = S(u8"本社敷地");
  a.method_code = 0;
  a.useful_life = 0;
  a.depreciation_rate = 0;
  fixed.push_back(a);
  a = next();  // 18: lump-sum type under the old straight-line method
  a.type_code = 10;
  a.method_code = 2;
  fixed.push_back(a);
  return fixed;
}

struct Inserter {
  sqlite3* db;
  sqlite3_stmt* asset = nullptr;
  sqlite3_stmt* item = nullptr;
  std::string* error;

  bool Fail() {
    *error = sqlite3_errmsg(db);
    return false;
  }
  bool Prepare() {
    return (sqlite3_prepare_v2(db, kAssetInsert, -1, &asset, nullptr) == SQLITE_OK &&
            sqlite3_prepare_v2(db, kItemInsert, -1, &item, nullptr) == SQLITE_OK) ||
           Fail();
  }
  ~Inserter() {
    sqlite3_finalize(asset);
    sqlite3_finalize(item);
  }
  static void Text(sqlite3_stmt* s, int i, const std::string& v) {
    sqlite3_bind_text(s, i, v.c_str(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
  }
  bool Put(const Asset& a, Rng& rng) {
    sqlite3_stmt* s = asset;
    int i = 0;
    Text(s, ++i, a.data_id);
    sqlite3_bind_int64(s, ++i, a.seq);
    Text(s, ++i, a.code);
    sqlite3_bind_int64(s, ++i, a.type_code);
    Text(s, ++i, a.name);
    Text(s, ++i, a.quantity_text);
    Text(s, ++i, a.memo);
    sqlite3_bind_int64(s, ++i, a.disposal_kind);
    Text(s, ++i, a.capex_link);
    for (int64_t v : {a.method_ref_date,
                      a.acquisition_date,
                      a.acquisition_cost,
                      a.compressed_amount,
                      a.opening_book_value,
                      a.method_code,
                      a.useful_life,
                      a.depreciation_rate,
                      a.residual_rate,
                      a.limit_kind,
                      a.depreciable_limit,
                      a.business_ratio,
                      a.sga_share,
                      a.months_numerator,
                      a.months_denominator,
                      a.residual_value,
                      a.depreciation_base,
                      a.sga_amount,
                      a.mfg_amount,
                      a.accumulated_depreciation,
                      a.closing_book_value,
                      a.disposal_date,
                      a.disposal_price,
                      a.months_entered,
                      a.revised_cost,
                      a.computed_depreciation,
                      a.special_depreciation,
                      a.increased_depreciation,
                      a.entered_current_depreciation})
      sqlite3_bind_int64(s, ++i, v);
    if (sqlite3_step(s) != SQLITE_DONE) return Fail();
    sqlite3_reset(s);
    for (int n = 1; n <= a.items; ++n) {
      Text(item, 1, a.data_id);
      sqlite3_bind_int64(item, 2, a.seq);
      sqlite3_bind_int64(item, 3, n);
      Text(item, 4, S(u8"備品") + " " + std::to_string(n) + S(u8"号"));
      sqlite3_bind_int64(item, 5, a.acquisition_date);
      sqlite3_bind_int64(item, 6, rng.Between(10, 199) * 1000 * kYen);
      sqlite3_bind_int64(item, 7, rng.Between(1, 20) * 100);
      if (sqlite3_step(item) != SQLITE_DONE) return Fail();
      sqlite3_reset(item);
    }
    return true;
  }
};

bool Exec(sqlite3* db, const std::string& sql, std::string* error) {
  char* message = nullptr;
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) == SQLITE_OK) return true;
  *error = message ? message : "SQL failed";
  sqlite3_free(message);
  return false;
}

std::string Categories(const std::string& data_id) {
  // The names of the codes (the guide's category table: the code decides
  // the tax-return asset type); in the asset type file method 2 reads
  // 定額法, 1 定率法, 4 一括決算, and 2 for code 9 均等償却.
  static const char8_t* const kNames[] = {
      u8"建物",         u8"構築物",     u8"機械及び装置", u8"建物附属設備", u8"工具器具及び備品",
      u8"無形固定資産", u8"車両運搬具", u8"生物",         u8"繰延資産",     u8"一括償却資産",
      u8"土地"};
  static const int kMethods[] = {2, 2, 1, 2, 1, 2, 1, 2, 2, 4, 0};
  std::string sql;
  for (int i = 0; i < 11; ++i)
    sql += "INSERT INTO categories (data_id, seq, code, name, method_code, residual_ratio) VALUES ('" +
           data_id + "', " + std::to_string(i + 1) + ", " + std::to_string(i + 1) + ", '" + S(kNames[i]) +
           "', " + std::to_string(kMethods[i]) + ", " + (i == 3 ? "5" : "0") + ");";
  return sql;
}

}  // namespace

bool WriteSample(sqlite3* db, const SampleOptions& options, std::string* error) {
  Rng rng(options.seed);
  std::string setup =
      "BEGIN;"
      "UPDATE package SET product_name = 'Zelmar', current_user = 'user01';"
      "INSERT INTO users VALUES ('user01', 1, 1), ('user02', 1, 2);"
      "INSERT INTO datasets VALUES (1, 'D0001', '" +
      S(u8"株式会社ゼルマー商事") +
      "', 20240401, 20250331, 0, 0);"
      "INSERT INTO datasets VALUES (2, 'D0002', '" +
      S(u8"山田　太郎（個人事業）") +
      "', 20240101, 20241231, 0, 3);"
      "INSERT INTO datasets VALUES (3, 'D0003', '" +
      S(u8"株式会社ゼルマー商事（過年度）") + "', 20230401, 20240331, 99, 0);" + Categories("D0001") +
      Categories("D0002");
  if (!Exec(db, setup, error)) return false;
  Inserter insert{db, nullptr, nullptr, error};
  if (!insert.Prepare()) return false;
  std::vector<Asset> fixed = FixedAssets(rng);
  for (int64_t seq = 1; seq <= options.assets; ++seq) {
    Asset a = seq <= static_cast<int64_t>(fixed.size()) ? fixed[static_cast<size_t>(seq - 1)]
                                                        : RandomAsset(seq, rng);
    if (!insert.Put(a, rng)) return false;
  }
  for (int64_t seq = 1; seq <= 12; ++seq) {  // the individual's few assets
    Asset a = RandomAsset(seq, rng);
    a.data_id = "D0002";
    if (!insert.Put(a, rng)) return false;
  }
  return Exec(db, "COMMIT;", error);
}

}  // namespace package
