-- A tiny company for the export programs: 株式会社さくら工業, business year
-- 2024-04-01 to 2025-03-31, six assets (one of them a lump-sum asset with
-- three items) and the six asset categories they use.
--
-- Run it into a new, empty store:
--   build/bin/zelpkg init sakura.db
--   sqlite3 sakura.db < docs/example-company.sql
--
-- Units: amounts are ten-thousandths of a yen, written here as yen * 10000;
-- dates are integers YYYYMMDD (0 for none); business_ratio is hundredths of
-- a percent (10000 = 100 %); depreciation_rate is thousandths (27 = 0.027);
-- sga_share is a percent; item quantities are hundredths (300 = 3.00).

-- The package: who is logged in, and where the dialog starts (E:\out\) and
-- keeps the last output path (E:\env\). Map drive E: with ZEL_DRIVES.
UPDATE package SET current_user = 'tanaka', output_folder = 'E:\out\', env_folder = 'E:\env\';

-- The user has selected data set no. 1 (selected_second = datasets.data_no).
INSERT INTO users (user_id, selected_first, selected_second) VALUES ('tanaka', 1, 1);

-- corp_kind 0: a corporation; data_kind 0: current data (99 would be past
-- results, which are never exported).
INSERT INTO datasets (data_no, data_id, company_name, period_start, period_end, data_kind, corp_kind)
  VALUES (1, 'SAKURA', '株式会社さくら工業', 20240401, 20250331, 0, 0);

-- The asset categories, as syurui.SSC lists them. method_code here: 1 定率法,
-- 2 定額法, 4 一括決算; residual_ratio 0 means the usual 10 %.
INSERT INTO categories (data_id, seq, code, name, method_code, residual_ratio) VALUES
  ('SAKURA', 1, 1, '建物', 2, 0),
  ('SAKURA', 2, 3, '機械及び装置', 1, 0),
  ('SAKURA', 3, 5, '工具器具及び備品', 1, 0),
  ('SAKURA', 4, 7, '車両運搬具', 1, 0),
  ('SAKURA', 5, 10, '一括償却資産', 4, 0),
  ('SAKURA', 6, 11, '土地', 0, 0);

-- 1. A factory building, straight-line method (6) over 38 years.
--    20 % of the depreciation is administration, 80 % manufacturing.
INSERT INTO assets (data_id, seq, code, type_code, name, quantity_text, method_code,
    useful_life, depreciation_rate, method_ref_date, acquisition_date, acquisition_cost,
    opening_book_value, depreciation_base, computed_depreciation, accumulated_depreciation,
    closing_book_value, business_ratio, sga_share, sga_amount, mfg_amount)
  VALUES ('SAKURA', 1, '101', 1, '本社工場 建屋', '1棟', 6,
    38, 27, 20150401, 20150401, 50000000 * 10000,
    37850000 * 10000, 50000000 * 10000, 1350000 * 10000, 13500000 * 10000,
    36500000 * 10000, 10000, 20, 270000 * 10000, 1080000 * 10000);

-- 2. A lathe, declining-balance method (5) at 0.200, all manufacturing.
INSERT INTO assets (data_id, seq, code, type_code, name, quantity_text, method_code,
    useful_life, depreciation_rate, method_ref_date, acquisition_date, acquisition_cost,
    opening_book_value, depreciation_base, computed_depreciation, accumulated_depreciation,
    closing_book_value, business_ratio, sga_share, sga_amount, mfg_amount)
  VALUES ('SAKURA', 2, '201', 3, 'NC旋盤', '1台', 5,
    10, 200, 20200701, 20200701, 3000000 * 10000,
    1305600 * 10000, 1305600 * 10000, 261120 * 10000, 1955520 * 10000,
    1044480 * 10000, 10000, 0, 0, 261120 * 10000);

-- 3. Two notebooks, a small-amount asset (7) written off in the year.
INSERT INTO assets (data_id, seq, code, type_code, name, quantity_text, method_code,
    useful_life, acquisition_date, acquisition_cost, computed_depreciation,
    accumulated_depreciation, closing_book_value, business_ratio, sga_share, sga_amount)
  VALUES ('SAKURA', 3, '301', 5, 'ノートパソコン', '2台', 7,
    4, 20240510, 180000 * 10000, 180000 * 10000,
    180000 * 10000, 0, 10000, 100, 180000 * 10000);

-- 4. A lump-sum asset (method 4): its items below become the rows.
INSERT INTO assets (data_id, seq, code, type_code, name, method_code, useful_life,
    acquisition_date, acquisition_cost, business_ratio, sga_share)
  VALUES ('SAKURA', 4, '401', 10, '一括償却資産(令和6年度)', 4, 3,
    20240601, 450000 * 10000, 10000, 100);
INSERT INTO lump_items (data_id, asset_seq, seq, name, acquisition_date, acquisition_cost, quantity) VALUES
  ('SAKURA', 4, 1, '事務机', 20240601, 150000 * 10000, 300),
  ('SAKURA', 4, 2, '複合機', 20240801, 180000 * 10000, 100),
  ('SAKURA', 4, 3, 'タブレット端末', 20241015, 120000 * 10000, 200);

-- 5. Land (type 11): not depreciated.
INSERT INTO assets (data_id, seq, code, type_code, name, quantity_text, method_code,
    acquisition_date, acquisition_cost, opening_book_value, closing_book_value,
    business_ratio, sga_share)
  VALUES ('SAKURA', 5, '501', 11, '本社工場 敷地', '1,200㎡', 0,
    20150401, 80000000 * 10000, 80000000 * 10000, 80000000 * 10000,
    10000, 100);

-- 6. A company car used 80 % for business, sold on 30 November 2024 after
--    8 of 12 months. Its memo is longer than the 40 bytes the file takes,
--    so the export writes a warning to the error log.
INSERT INTO assets (data_id, seq, code, type_code, name, quantity_text, memo, method_code,
    useful_life, depreciation_rate, method_ref_date, acquisition_date, acquisition_cost,
    opening_book_value, depreciation_base, computed_depreciation, accumulated_depreciation,
    closing_book_value, business_ratio, sga_share, sga_amount, months_entered,
    months_numerator, months_denominator, disposal_kind, disposal_date, disposal_price)
  VALUES ('SAKURA', 6, '701', 7, '営業車', '1台', '下取りで売却。後継車はリース契約(2025年度)', 6,
    6, 167, 20190401, 20190401, 2400000 * 10000,
    396000 * 10000, 2400000 * 10000, 267200 * 10000, 2271200 * 10000,
    0, 8000, 100, 213760 * 10000, 1,
    8, 12, 4, 20241130, 500000 * 10000);
