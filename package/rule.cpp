// The depreciation rule object: walks the assets, their lump-sum items and
// the categories of one data set. Each walk is served from one open
// statement stepped forward; an index that is not the next one restarts or
// skips ahead, so any order of calls still gives the right record.
#include <cstring>
#include <string>

#include "component/component.h"
#include "package/store.h"
#include "platform/win.h"

namespace {

using package::TheStore;

// A statement stepped along a walk, with the index of the row it delivers
// next.
class Walk {
 public:
  ~Walk() { Finish(); }
  bool Start(const char* sql, const std::string& data_id, long count, int64_t asset_seq = -1) {
    Finish();
    sql_ = sql;
    data_id_ = data_id;
    asset_seq_ = asset_seq;
    count_ = count;
    return Restart();
  }
  // Steps to row index; true when the statement holds it.
  bool Seek(long index) {
    if (!stmt_ || generation_ != TheStore().generation() || index < 0) return false;
    if (index < next_ && !Restart()) return false;
    while (next_ <= index) {
      if (!TheStore().Step(stmt_)) {
        sqlite3_reset(stmt_);
        next_ = 0;
        return false;
      }
      ++next_;
    }
    return next_ == index + 1;
  }
  void Finish() {
    sqlite3_finalize(stmt_);
    stmt_ = nullptr;
    next_ = 0;
    count_ = 0;
  }
  sqlite3_stmt* stmt() const { return stmt_; }
  long count() const { return count_; }

 private:
  bool Restart() {
    if (stmt_ && generation_ == TheStore().generation()) {
      sqlite3_reset(stmt_);
    } else {
      sqlite3_finalize(stmt_);
      stmt_ = TheStore().Prepare(sql_);
      generation_ = TheStore().generation();
      if (!stmt_) return false;
      package::BindKey(stmt_, 1, data_id_);
      if (asset_seq_ >= 0) sqlite3_bind_int64(stmt_, 3, asset_seq_);
    }
    next_ = 0;
    return true;
  }

  const char* sql_ = nullptr;
  std::string data_id_;
  int64_t asset_seq_ = -1;
  sqlite3_stmt* stmt_ = nullptr;
  uint64_t generation_ = 0;
  long next_ = 0;
  long count_ = 0;
};

const char kAssetSql[] =
    "SELECT seq, code, type_code, name, quantity_text, memo, disposal_kind, capex_link, "
    "method_ref_date, acquisition_date, acquisition_cost, compressed_amount, opening_book_value, "
    "method_code, useful_life, depreciation_rate, residual_rate, limit_kind, depreciable_limit, "
    "business_ratio, sga_share, months_numerator, months_denominator, residual_value, "
    "depreciation_base, sga_amount, mfg_amount, accumulated_depreciation, closing_book_value, "
    "disposal_date, disposal_price, months_entered, revised_cost, computed_depreciation, "
    "special_depreciation, increased_depreciation, entered_current_depreciation "
    "FROM assets WHERE data_id IN (?1, ?2) ORDER BY seq";
const char kItemSql[] =
    "SELECT name, acquisition_date, acquisition_cost, quantity FROM lump_items "
    "WHERE data_id IN (?1, ?2) AND asset_seq = ?3 ORDER BY seq";
const char kCategorySql[] =
    "SELECT code, name, method_code, residual_ratio FROM categories "
    "WHERE data_id IN (?1, ?2) ORDER BY seq";

long Count(const char* sql, const std::string& data_id, int64_t asset_seq = -1) {
  sqlite3_stmt* stmt = TheStore().Prepare(sql);
  if (!stmt) return 0;
  package::BindKey(stmt, 1, data_id);
  if (asset_seq >= 0) sqlite3_bind_int64(stmt, 3, asset_seq);
  long n = TheStore().Step(stmt) ? static_cast<long>(sqlite3_column_int64(stmt, 0)) : 0;
  sqlite3_finalize(stmt);
  return n;
}

// The asset key: the asset's seq (8 bytes, little-endian) and a mark, so
// that a cleared key selects nothing.
const uint8_t kKeyMark[8] = {'Z', 'E', 'L', 'A', 'S', 'S', 'E', 'T'};

void MakeKey(int64_t seq, uint8_t* key) {
  for (int i = 0; i < 8; ++i) key[i] = static_cast<uint8_t>(static_cast<uint64_t>(seq) >> (8 * i));
  std::memcpy(key + 8, kKeyMark, 8);
}

bool ReadKey(const uint8_t* key, int64_t* seq) {
  if (!key || std::memcmp(key + 8, kKeyMark, 8) != 0) return false;
  uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | key[i];
  *seq = static_cast<int64_t>(v);
  return true;
}

int64_t I(sqlite3_stmt* s, int col) { return sqlite3_column_int64(s, col); }
CY Amount(sqlite3_stmt* s, int col) { return CY{I(s, col)}; }

void FillAsset(sqlite3_stmt* s, StKOTEISHISANINFO* m, StKOTEINENINFO* y) {
  if (m) {
    MakeKey(I(s, 0), m->assetKey);
    package::FillText(s, 1, m->szCode, sizeof(m->szCode));
    m->lTypeCode = static_cast<int32_t>(I(s, 2));
    package::FillText(s, 3, m->szName, sizeof(m->szName));
    package::FillText(s, 4, m->szQuantity, sizeof(m->szQuantity));
    package::FillText(s, 5, m->szMemo, sizeof(m->szMemo));
    m->sDisposalKind = static_cast<int16_t>(I(s, 6));
    package::FillText(s, 7, m->szCapexLink, sizeof(m->szCapexLink));
    m->lMethodRefDate = static_cast<int32_t>(I(s, 8));
    m->lAcquisitionDate = static_cast<int32_t>(I(s, 9));
    m->cyAcquisitionCost = Amount(s, 10);
    m->cyCompressedAmount = Amount(s, 11);
    m->cyOpeningBookValue = Amount(s, 12);
    m->sMethodCode = static_cast<int16_t>(I(s, 13));
    m->sUsefulLife = static_cast<int16_t>(I(s, 14));
    m->lDepreciationRate = static_cast<int32_t>(I(s, 15));
    m->lResidualRate = static_cast<int32_t>(I(s, 16));
    m->ucLimitKind = static_cast<uint8_t>(I(s, 17));
    m->cyDepreciableLimit = Amount(s, 18);
    m->sBusinessRatio = static_cast<int16_t>(I(s, 19));
    m->sSgaShare = static_cast<int16_t>(I(s, 20));
    m->sMonthsNumerator = static_cast<int16_t>(I(s, 21));
    m->sMonthsDenominator = static_cast<int16_t>(I(s, 22));
    m->cyResidualValue = Amount(s, 23);
    m->cyDepreciationBase = Amount(s, 24);
    m->cySgaAmount = Amount(s, 25);
    m->cyMfgAmount = Amount(s, 26);
    m->cyAccumulatedDepreciation = Amount(s, 27);
    m->cyClosingBookValue = Amount(s, 28);
    m->lDisposalDate = static_cast<int32_t>(I(s, 29));
    m->cyDisposalPrice = Amount(s, 30);
    m->ucMonthsEntered = static_cast<uint8_t>(I(s, 31));
    SetRevisedCost(*m, I(s, 32));
  }
  if (y) {
    y->cyComputedDepreciation = Amount(s, 33);
    y->cySpecialDepreciation = Amount(s, 34);
    y->cyIncreasedDepreciation = Amount(s, 35);
    y->cyEnteredCurrentDepreciation = Amount(s, 36);
  }
}

}  // namespace

struct ClRuleGenkashokyaku::Impl {
  Walk assets;
  Walk items;
};

ClRuleGenkashokyaku::ClRuleGenkashokyaku() : impl_(new Impl) {}
ClRuleGenkashokyaku::~ClRuleGenkashokyaku() { delete impl_; }

long ClRuleGenkashokyaku::AttachOptLink(ClOptLink* link) {
  opt_link_ = link;
  return link ? 0 : 1;
}

long ClRuleGenkashokyaku::MoveReady(void* /*filter*/, long /*a*/, long /*b*/) {
  std::string id = data_id_;
  long n = Count("SELECT count(*) FROM assets WHERE data_id IN (?1, ?2)", id);
  return impl_->assets.Start(kAssetSql, id, n) ? 0 : 1;
}

long ClRuleGenkashokyaku::GetCount(long* count) {
  if (!count) return 1;
  *count = impl_->assets.count();
  return 0;
}

long ClRuleGenkashokyaku::Move(long index, StKOTEISHISANINFO* master, StKOTEINENINFO* year,
                               StKOTEITSUKIINFO* /*month*/) {
  if (!impl_->assets.Seek(index)) return 1;
  FillAsset(impl_->assets.stmt(), master, year);
  return 0;
}

long ClRuleGenkashokyaku::MoveFinish() {
  impl_->assets.Finish();
  return 0;
}

long ClRuleGenkashokyaku::MoveReadyIkkatsu(const uint8_t* key) {
  int64_t seq = 0;
  impl_->items.Finish();
  if (!ReadKey(key, &seq)) return 1;
  std::string id = data_id_;
  long n = Count("SELECT count(*) FROM lump_items WHERE data_id IN (?1, ?2) AND asset_seq = ?3", id, seq);
  return impl_->items.Start(kItemSql, id, n, seq) ? 0 : 1;
}

long ClRuleGenkashokyaku::GetIkkatsuCount(long* count) {
  if (!count) return 1;
  *count = impl_->items.count();
  return 0;
}

long ClRuleGenkashokyaku::MoveIkkatsu(long index, StIKKATSUINFO* item) {
  if (!impl_->items.Seek(index)) return 1;
  if (item) {
    sqlite3_stmt* s = impl_->items.stmt();
    package::FillText(s, 0, item->szName, sizeof(item->szName));
    item->lAcquisitionDate = static_cast<int32_t>(I(s, 1));
    item->cyAcquisitionCost = Amount(s, 2);
    item->lQuantity = static_cast<int32_t>(I(s, 3));
  }
  return 0;
}

long ClRuleGenkashokyaku::MoveFinishIkkatsu() {
  impl_->items.Finish();
  return 0;
}

long ClRuleGenkashokyaku::LoadShisanKubunInfo(StSHISANKUBUNINFO** array, long* count) {
  if (array) *array = nullptr;
  if (count) *count = 0;
  if (!array || !count) return 1;
  std::string id = data_id_;
  long n = Count("SELECT count(*) FROM categories WHERE data_id IN (?1, ?2)", id);
  Walk walk;
  if (!walk.Start(kCategorySql, id, n)) return 1;
  auto* out = static_cast<StSHISANKUBUNINFO*>(win::CoTaskMemAlloc(sizeof(StSHISANKUBUNINFO) * (n > 0 ? n : 1)));
  if (!out) return 1;
  std::memset(out, 0, sizeof(StSHISANKUBUNINFO) * (n > 0 ? n : 1));
  long filled = 0;
  while (filled < n && walk.Seek(filled)) {
    sqlite3_stmt* s = walk.stmt();
    StSHISANKUBUNINFO& c = out[filled];
    c.lCode = static_cast<int32_t>(I(s, 0));
    package::FillText(s, 1, c.szName, sizeof(c.szName));
    c.sMethodCode = static_cast<int16_t>(I(s, 2));
    c.lResidualRatio = static_cast<int32_t>(I(s, 3));
    ++filled;
  }
  *array = out;
  *count = filled;
  return 0;
}
