// The component's record filling: a store whose data sets, assets, lump-sum
// items and categories hold values of every SQLite type (integers of any
// size, reals, texts and blobs of any bytes, NULL) from the input, walked
// through the component's public calls. The results may be failures; every
// record must come back with its texts ended inside their fields, and
// nothing may be written past a record.
//
// Input: byte 0 picks the schema (bit 0: the declared one with its types
// and NOT NULLs, else the same columns without types or constraints) and the
// data ID handed to the rule object (bit 1: from the input, else "D1"); then
// the counts of data sets, assets, items and categories, one byte each; then
// the rows' values, each a kind byte and its bytes (see Value).
#include <sqlite3.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "component/component.h"
#include "fuzz/support.h"
#include "package/schema.h"
#include "platform/win.h"

namespace {

// Takes bytes off the input; past its end every byte is 0.
struct Input {
  const uint8_t* p;
  size_t n;
  uint8_t Byte() {
    if (n == 0) return 0;
    --n;
    return *p++;
  }
  uint64_t Bytes(int count) {
    uint64_t v = 0;
    for (int i = 0; i < count; ++i) v |= static_cast<uint64_t>(Byte()) << (8 * i);
    return v;
  }
  std::string Text(size_t length) {
    std::string s;
    while (s.size() < length && n > 0) s += static_cast<char>(Byte());
    return s;
  }
};

// Binds one value of the kind the next byte names: 0 NULL, 1 a small
// integer, 2-3 an integer of 1 to 8 bytes, 4 a real, 5 a text, 6 a blob, 7
// the data ID "D1". A text or blob is up to 199 bytes, or up to 550 in steps.
void BindValue(sqlite3_stmt* stmt, int index, Input& in) {
  const uint8_t kind = in.Byte();
  auto length = [&in] {
    size_t n = in.Byte();
    return n < 200 ? n : (n - 200) * 10;
  };
  switch (kind % 8) {
    case 0: sqlite3_bind_null(stmt, index); break;
    case 1: sqlite3_bind_int64(stmt, index, static_cast<int8_t>(kind) >> 3); break;
    case 2:
    case 3: {
      int bytes = (kind >> 3) % 8 + 1;
      uint64_t v = in.Bytes(bytes);
      if (bytes < 8 && (v >> (8 * bytes - 1)) & 1) v |= ~uint64_t{0} << (8 * bytes);  // sign-extend
      sqlite3_bind_int64(stmt, index, static_cast<int64_t>(v));
      break;
    }
    case 4: {
      uint64_t bits = in.Bytes(8);
      double d;
      std::memcpy(&d, &bits, sizeof d);
      sqlite3_bind_double(stmt, index, d);
      break;
    }
    case 5: {
      std::string s = in.Text(length());
      sqlite3_bind_text(stmt, index, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
      break;
    }
    case 6: {
      std::string s = in.Text(length());
      sqlite3_bind_blob(stmt, index, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
      break;
    }
    default: sqlite3_bind_text(stmt, index, "D1", 2, SQLITE_STATIC); break;
  }
}

// The column names of every table of the store's schema.
const std::map<std::string, std::vector<std::string>>& Tables() {
  static const auto tables = [] {
    std::map<std::string, std::vector<std::string>> out;
    sqlite3* db = nullptr;
    std::string error;
    fuzz::Check(sqlite3_open(":memory:", &db) == SQLITE_OK && package::CreateSchema(db, &error),
                "the schema");
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT t.name, c.name FROM sqlite_master t, pragma_table_info(t.name) c "
                       "WHERE t.type = 'table' ORDER BY t.name, c.cid",
                       -1, &stmt, nullptr);
    while (sqlite3_step(stmt) == SQLITE_ROW)
      out[reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0))].push_back(
          reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1)));
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return out;
  }();
  return tables;
}

void Exec(sqlite3* db, const std::string& sql) { sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr); }

// Rows of one table, every column a value from the input; a row the schema
// refuses is left out.
void InsertRows(sqlite3* db, const std::string& table, int rows, Input& in) {
  const size_t columns = Tables().at(table).size();
  std::string sql = "INSERT OR REPLACE INTO " + table + " VALUES (?";
  for (size_t i = 1; i < columns; ++i) sql += ", ?";
  sql += ")";
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) return;
  for (int r = 0; r < rows; ++r) {
    for (size_t c = 0; c < columns; ++c) BindValue(stmt, static_cast<int>(c) + 1, in);
    sqlite3_step(stmt);
    sqlite3_reset(stmt);
  }
  sqlite3_finalize(stmt);
}

bool MakeStore(const std::string& path, bool declared, int datasets, int assets, int items, int categories,
               Input& in) {
  unlink(path.c_str());
  sqlite3* db = nullptr;
  if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) {
    sqlite3_close(db);
    return false;
  }
  Exec(db, "PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF");
  if (declared) {
    std::string error;
    package::CreateSchema(db, &error);
  } else {
    for (const auto& [table, columns] : Tables()) {
      std::string sql = "CREATE TABLE " + table + " (";
      for (size_t i = 0; i < columns.size(); ++i) sql += (i ? ", " : "") + columns[i];
      Exec(db, sql + ")");
    }
    Exec(db, "INSERT INTO package DEFAULT VALUES");
  }
  InsertRows(db, "datasets", datasets, in);
  InsertRows(db, "assets", assets, in);
  InsertRows(db, "lump_items", items, in);
  InsertRows(db, "categories", categories, in);
  sqlite3_close(db);
  return true;
}

// A record in a heap block of exactly its size, so that a write past it is
// caught, cleared first.
template <class T>
std::unique_ptr<T, decltype(&std::free)> Record() {
  void* block = std::malloc(sizeof(T));
  std::memset(block, 0, sizeof(T));
  return {static_cast<T*>(block), &std::free};
}

template <size_t N>
void CheckText(const char (&field)[N], const char* what) {
  fuzz::Check(std::memchr(field, '\0', N) != nullptr, what);
}

void WalkAssets(ClRuleGenkashokyaku& rule, Input& in) {
  long count = -1;
  rule.MoveReady(nullptr, 0, 0);
  fuzz::Check(rule.GetCount(&count) == 0 && count >= 0, "an asset count");
  // One step beyond the last asset, and one index from the input out of turn.
  const long out_of_turn = static_cast<int8_t>(in.Byte());
  for (long i = 0; i <= count + 1 && i < 64; ++i) {
    const long index = i == count + 1 ? out_of_turn : i;
    auto master = Record<StKOTEISHISANINFO>();
    auto year = Record<StKOTEINENINFO>();
    auto month = Record<StKOTEITSUKIINFO>();
    if (rule.Move(index, master.get(), year.get(), month.get()) != 0) continue;
    CheckText(master->szCode, "an asset code ends in its field");
    CheckText(master->szName, "an asset name ends in its field");
    CheckText(master->szQuantity, "a quantity text ends in its field");
    CheckText(master->szMemo, "a memo ends in its field");
    CheckText(master->szCapexLink, "a capital expenditure link ends in its field");
    RevisedCost(*master);

    long items = -1;
    rule.MoveReadyIkkatsu(master->assetKey);
    fuzz::Check(rule.GetIkkatsuCount(&items) == 0 && items >= 0, "an item count");
    for (long j = 0; j <= items && j < 64; ++j) {
      auto item = Record<StIKKATSUINFO>();
      if (rule.MoveIkkatsu(j, item.get()) == 0) CheckText(item->szName, "an item name ends in its field");
    }
    rule.MoveFinishIkkatsu();
  }
  rule.MoveFinish();
}

void WalkDataSets() {
  ClSetData* sets = ClDataMgr::Inst()->GetSetObject(5, 1);
  long cursor = 0;
  sets->GetDatCursor(&cursor);
  sets->ReadyDat(cursor, 0);
  for (int i = 0; i < 64; ++i) {
    auto record = Record<StDATAINFO>();
    if (sets->WalkDat(record.get(), cursor) != 0) break;
    CheckText(record->szDataID, "a data ID ends in its field");
    CheckText(record->szCompanyName, "a company name ends in its field");
  }
  sets->ReleaseDatCursor(cursor);
  StDATAINFO* selected = sets->GetSelectedInfo();
  CheckText(selected->szDataID, "the selected data ID ends in its field");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string store = [] {
    std::string path = fuzz::ScratchDir() + "/package.db";
    setenv("ZEL_PACKAGE", path.c_str(), 1);
    return path;
  }();
  Input in{data, size};
  const uint8_t flags = in.Byte();
  const int datasets = in.Byte() % 4, assets = in.Byte() % 8, items = in.Byte() % 8,
            categories = in.Byte() % 6;
  const std::string data_id = (flags & 2) ? in.Text(in.Byte() % 24) : std::string("D1");
  if (!MakeStore(store, flags & 1, datasets, assets, items, categories, in)) return 0;

  ClZelConnect::Inst()->Initiate();
  {
    ClRuleGenkashokyaku rule;
    rule.AttachSetMgr(ClDataMgr::Inst()->GetSetMgr());
    rule.SetCurDataID(data_id.c_str());
    rule.AttachOptLink(ClLinkMgr::Inst()->GetOptLink());
    WalkAssets(rule, in);

    StSHISANKUBUNINFO* categories_array = nullptr;
    long category_count = -1;
    if (rule.LoadShisanKubunInfo(&categories_array, &category_count) == 0) {
      fuzz::Check(category_count >= 0 && (category_count == 0 || categories_array != nullptr),
                  "a category array");
      for (long i = 0; i < category_count; ++i)
        CheckText(categories_array[i].szName, "a category name ends in its field");
    }
    win::CoTaskMemFree(categories_array);
  }
  WalkDataSets();
  ClZelConnect::Inst()->Release();
  return 0;
}
