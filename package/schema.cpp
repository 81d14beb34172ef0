#include "package/schema.h"

namespace package {

const char kSchemaSql[] = R"SQL(
CREATE TABLE package (
  product_name    TEXT    NOT NULL DEFAULT 'Zelmar',
  initiate_result INTEGER NOT NULL DEFAULT 0,
  syslink_result  INTEGER NOT NULL DEFAULT 0,
  output_folder   TEXT    NOT NULL DEFAULT '',
  env_folder      TEXT    NOT NULL DEFAULT '',
  current_user    TEXT    NOT NULL DEFAULT ''
);
CREATE TABLE users (
  user_id TEXT PRIMARY KEY,
  selected_first  INTEGER NOT NULL DEFAULT 0,
  selected_second INTEGER NOT NULL DEFAULT 0
);
CREATE TABLE datasets (
  data_no INTEGER PRIMARY KEY, data_id TEXT NOT NULL UNIQUE,
  company_name TEXT NOT NULL DEFAULT '', period_start INTEGER NOT NULL DEFAULT 0,
  period_end INTEGER NOT NULL DEFAULT 0, data_kind INTEGER NOT NULL DEFAULT 0,
  corp_kind INTEGER NOT NULL DEFAULT 0
);
CREATE TABLE assets (
  data_id TEXT NOT NULL, seq INTEGER NOT NULL,
  code TEXT NOT NULL DEFAULT '', type_code INTEGER NOT NULL DEFAULT 0,
  name TEXT NOT NULL DEFAULT '', quantity_text TEXT NOT NULL DEFAULT '',
  memo TEXT NOT NULL DEFAULT '', disposal_kind INTEGER NOT NULL DEFAULT 0,
  capex_link TEXT NOT NULL DEFAULT '', method_ref_date INTEGER NOT NULL DEFAULT 0,
  acquisition_date INTEGER NOT NULL DEFAULT 0, acquisition_cost INTEGER NOT NULL DEFAULT 0,
  compressed_amount INTEGER NOT NULL DEFAULT 0, opening_book_value INTEGER NOT NULL DEFAULT 0,
  method_code INTEGER NOT NULL DEFAULT 0, useful_life INTEGER NOT NULL DEFAULT 0,
  depreciation_rate INTEGER NOT NULL DEFAULT 0, residual_rate INTEGER NOT NULL DEFAULT 0,
  limit_kind INTEGER NOT NULL DEFAULT 0, depreciable_limit INTEGER NOT NULL DEFAULT 0,
  business_ratio INTEGER NOT NULL DEFAULT 0, sga_share INTEGER NOT NULL DEFAULT 0,
  months_numerator INTEGER NOT NULL DEFAULT 0, months_denominator INTEGER NOT NULL DEFAULT 0,
  residual_value INTEGER NOT NULL DEFAULT 0, depreciation_base INTEGER NOT NULL DEFAULT 0,
  sga_amount INTEGER NOT NULL DEFAULT 0, mfg_amount INTEGER NOT NULL DEFAULT 0,
  accumulated_depreciation INTEGER NOT NULL DEFAULT 0, closing_book_value INTEGER NOT NULL DEFAULT 0,
  disposal_date INTEGER NOT NULL DEFAULT 0, disposal_price INTEGER NOT NULL DEFAULT 0,
  months_entered INTEGER NOT NULL DEFAULT 0, revised_cost INTEGER NOT NULL DEFAULT 0,
  computed_depreciation INTEGER NOT NULL DEFAULT 0, special_depreciation INTEGER NOT NULL DEFAULT 0,
  increased_depreciation INTEGER NOT NULL DEFAULT 0,
  entered_current_depreciation INTEGER NOT NULL DEFAULT 0,
  PRIMARY KEY (data_id, seq)
);
CREATE TABLE lump_items (
  data_id TEXT NOT NULL, asset_seq INTEGER NOT NULL, seq INTEGER NOT NULL,
  name TEXT NOT NULL DEFAULT '', acquisition_date INTEGER NOT NULL DEFAULT 0,
  acquisition_cost INTEGER NOT NULL DEFAULT 0, quantity INTEGER NOT NULL DEFAULT 0,
  PRIMARY KEY (data_id, asset_seq, seq)
);
CREATE TABLE categories (
  data_id TEXT NOT NULL, seq INTEGER NOT NULL, code INTEGER NOT NULL,
  name TEXT NOT NULL DEFAULT '', method_code INTEGER NOT NULL DEFAULT 0,
  residual_ratio INTEGER NOT NULL DEFAULT 0,
  PRIMARY KEY (data_id, seq)
);
CREATE TABLE saved_orders (
  data_id TEXT NOT NULL, name TEXT NOT NULL, columns BLOB NOT NULL,
  PRIMARY KEY (data_id, name)
);
)SQL";

bool CreateSchema(sqlite3* db, std::string* error) {
  char* message = nullptr;
  std::string sql = std::string(kSchemaSql) + "INSERT INTO package DEFAULT VALUES;";
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
    *error = message ? message : "cannot create the schema";
    sqlite3_free(message);
    return false;
  }
  return true;
}

}  // namespace package
