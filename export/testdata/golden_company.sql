-- A fixture company for the export's golden-file test. Amounts in
-- ten-thousandths of a yen; the expected files are worked out from these
-- values by hand (see make_golden.py).
UPDATE package SET current_user = 'u1';
INSERT INTO users (user_id, selected_first, selected_second) VALUES ('u1', 0, 1);
INSERT INTO datasets (data_no, data_id, company_name, period_start, period_end, data_kind, corp_kind)
  VALUES (1, 'C001', '株式会社ゼルマーゼルマーゼルマーゼルマーゼルマーゼルマーゼルマーゼルマーゼルマーゼルマーゼルマーゼルマーゼルマーゼルマーゼルマーゼルマーゼルマー商事部', 20240401, 20250331, 0, 0);
INSERT INTO assets (data_id, seq, code, type_code, name, quantity_text, memo, capex_link, acquisition_date, acquisition_cost, opening_book_value, method_code, useful_life, depreciation_rate, business_ratio, sga_share, depreciation_base, sga_amount, accumulated_depreciation, closing_book_value, computed_depreciation, entered_current_depreciation)
  VALUES ('C001', 1, '100001', 1, '本社ビル', '1棟', '本社', 'CX01', 20100401, 1000000000000, 800000000000, 6, 50, 20, 10000, 100, 1000000000000, 20000000000, 220000000000, 780000000000, 20000000000, 20000000000);
INSERT INTO assets (data_id, seq, code, type_code, name, quantity_text, memo, acquisition_date, acquisition_cost, compressed_amount, opening_book_value, method_code, useful_life, depreciation_rate, residual_rate, limit_kind, depreciable_limit, business_ratio, sga_share, months_numerator, months_denominator, residual_value, depreciation_base, sga_amount, mfg_amount, accumulated_depreciation, closing_book_value, months_entered, computed_depreciation, special_depreciation)
  VALUES ('C001', 2, '1234567', 2, '大型冷凍冷蔵倉庫設備一式（第二工場増設分）', '2基', '第二工場の増設に伴い取得した冷凍冷蔵設備です。', 20050401, 300000000000, 10000000000, 50000000000, 1, 15, 142, 10, 0, 950000, 8000, 60, 7, 12, 30000000000, 300000000000, 4200000000, 2800000000, 257000000000, 40000000000, 1, 7000000000, 3000000000);
INSERT INTO assets (data_id, seq, code, type_code, name, disposal_kind, acquisition_date, acquisition_cost, opening_book_value, method_code, useful_life, depreciation_rate, residual_rate, limit_kind, depreciable_limit, business_ratio, residual_value, depreciation_base, mfg_amount, accumulated_depreciation, disposal_date, disposal_price, computed_depreciation)
  VALUES ('C001', 3, '234567', 3, '旋盤', 4, 20070401, 50000000000, 30000000000, 2, 10, 100, 10, 1, 2500000000, 10000, 5000000000, 45000000000, 1234560000, 21234560000, 20241015, 3000000000, 1234567891);
INSERT INTO assets (data_id, seq, code, type_code, name, quantity_text, disposal_kind, method_ref_date, acquisition_date, acquisition_cost, opening_book_value, method_code, useful_life, depreciation_rate, business_ratio, sga_share, depreciation_base, sga_amount, mfg_amount, accumulated_depreciation, disposal_date, disposal_price, revised_cost, computed_depreciation)
  VALUES ('C001', 4, '12-4', 5, '応接セット', '5組', 5, 20120401, 20120501, 8000000000, 4000000000, 5, 8, 313, 10000, 50, 8000000000, 500000000, 500000000, 5000000000, 20250110, 500000000, 6000000000, 1000000000);
INSERT INTO assets (data_id, seq, code, type_code, name, quantity_text, acquisition_date, acquisition_cost, compressed_amount, opening_book_value, method_code, useful_life, depreciation_rate, business_ratio, sga_share, residual_value, depreciation_base, sga_amount, accumulated_depreciation, computed_depreciation, entered_current_depreciation)
  VALUES ('C001', 5, '資産01', 7, 'パソコン', '3台', 20240601, 1500000000, 100000000, 1500000000, 7, 4, 250, 10000, 100, 10000, 1500000000, 1500000000, 1500000000, 1500000000, 1500000000);
INSERT INTO assets (data_id, seq, code, type_code, name, quantity_text, method_ref_date, acquisition_date, acquisition_cost, compressed_amount, method_code, useful_life, depreciation_rate, business_ratio, sga_share, computed_depreciation, increased_depreciation)
  VALUES ('C001', 6, 'A00006', 5, '検査装置', '1式', 20100101, 20110101, 1000000000000000, -100000000000000, 8, 10, 200, 10000, 100, 10000000000000000, 50000000);
INSERT INTO assets (data_id, seq, code, type_code, name, acquisition_date, acquisition_cost, opening_book_value, method_code, useful_life, depreciation_rate, business_ratio, sga_share, depreciation_base, sga_amount, accumulated_depreciation, closing_book_value, computed_depreciation)
  VALUES ('C001', 7, 'A00007', 123, 'ソフトウェア', 20230401, 6000000000, 4800000000, 3, 5, 200, 10000, 100, 6000000000, 1200000000, 2400000000, 3600000000, 1200000000);
INSERT INTO assets (data_id, seq, code, type_code, name, quantity_text, acquisition_date, acquisition_cost, opening_book_value, method_code, useful_life, depreciation_rate, residual_rate, limit_kind, depreciable_limit, business_ratio, sga_share, residual_value, depreciation_base, sga_amount, mfg_amount, accumulated_depreciation, closing_book_value, computed_depreciation)
  VALUES ('C001', 8, 'A00008', 10, '車両運搬具', '1台', 20060401, 20000000000, 3000000000, 2, 6, 167, 10, 0, 950000, 5000, 30, 2000000000, 18000000000, 300000000, 700000000, 18000000000, 2000000000, 1000000000);
INSERT INTO assets (data_id, seq, code, type_code, name, quantity_text, memo, acquisition_date, acquisition_cost, opening_book_value, method_code, business_ratio, sga_share, closing_book_value)
  VALUES ('C001', 9, 'A00009', 11, '土地', '500坪', '1番地の土地は本社敷地として使用中です。F', 20000101, 500000000000, 500000000000, 6, 10000, 100, 500000000000);
INSERT INTO assets (data_id, seq, code, type_code, name, method_code, business_ratio, sga_share)
  VALUES ('C001', 10, 'L00010', 5, '事務用品一式', 4, 10000, 70);
INSERT INTO assets (data_id, seq, code, type_code, name, method_code, business_ratio, sga_share)
  VALUES ('C001', 11, 'L00011', 5, '部品一式', 4, 10000, 100);
INSERT INTO assets (data_id, seq, code, type_code, name, acquisition_date, acquisition_cost, method_code, useful_life, depreciation_rate, business_ratio, sga_share)
  VALUES ('C001', 12, '000777', 1, '金型', 20200401, 1000000000, 6, 2, 1000, 10000, 100);
INSERT INTO assets (data_id, seq, code, type_code, name, method_code, business_ratio, sga_share)
  VALUES ('C001', 13, '777', 1, '金型一括', 4, 10000, 100);
INSERT INTO assets (data_id, seq, code, type_code, name, method_code, business_ratio, sga_share)
  VALUES ('C001', 14, 'XL00010', 1, '重複一括', 4, 10000, 100);
INSERT INTO assets (data_id, seq, code, type_code, name, method_code, business_ratio, sga_share)
  VALUES ('C001', 15, '12345678', 1, '長い番号', 4, 10000, 100);
INSERT INTO assets (data_id, seq, code, type_code, name, quantity_text, method_ref_date, acquisition_date, acquisition_cost, opening_book_value, method_code, useful_life, depreciation_rate, business_ratio, depreciation_base, mfg_amount, accumulated_depreciation, closing_book_value, computed_depreciation, increased_depreciation)
  VALUES ('C001', 16, 'A00016', 3, '工作機械', '1000000', 20140401, 20140501, 30000000000, 24000000000, 5, 10, 200, 10000, 24000000000, 5000000000, 10800000000, 19200000000, 4800000000, 200000000);
INSERT INTO assets (data_id, seq, code, type_code, name, method_code, business_ratio, sga_share)
  VALUES ('C001', 17, 'L00017', 5, '空の一括', 4, 10000, 100);
INSERT INTO assets (data_id, seq, code, type_code, name, method_code)
  VALUES ('C001', 18, 'A00018', 4, 'その他', 0);
INSERT INTO lump_items (data_id, asset_seq, seq, name, acquisition_date, acquisition_cost, quantity)
  VALUES ('C001', 10, 1, '事務机', 20240401, 1200000000, 300);
INSERT INTO lump_items (data_id, asset_seq, seq, name, acquisition_date, acquisition_cost, quantity)
  VALUES ('C001', 10, 2, 'キャビネット（スチール製・両開き・鍵付き）大型', 20240401, 800000000, 200);
INSERT INTO lump_items (data_id, asset_seq, seq, name, acquisition_date, acquisition_cost, quantity)
  VALUES ('C001', 10, 3, '椅子', 20240402, 0, 100000000);
INSERT INTO lump_items (data_id, asset_seq, seq, name, acquisition_date, acquisition_cost, quantity)
  VALUES ('C001', 13, 1, '型A', 20200401, 100000000, 100);
INSERT INTO lump_items (data_id, asset_seq, seq, name, acquisition_date, acquisition_cost, quantity)
  VALUES ('C001', 13, 2, '型B', 20200401, 100000000, 100);
INSERT INTO lump_items (data_id, asset_seq, seq, name, acquisition_date, acquisition_cost, quantity)
  VALUES ('C001', 14, 1, '重複1', 0, 0, 0);
INSERT INTO lump_items (data_id, asset_seq, seq, name, acquisition_date, acquisition_cost, quantity)
  VALUES ('C001', 14, 2, '重複2', 0, 0, 0);
INSERT INTO lump_items (data_id, asset_seq, seq, name, acquisition_date, acquisition_cost, quantity)
  VALUES ('C001', 15, 1, '部品', 20240501, 10000000, 100);
-- 150 items: only the first 99 become rows.
INSERT INTO lump_items (data_id, asset_seq, seq, name, acquisition_date, acquisition_cost, quantity)
  WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 150)
  SELECT 'C001', 11, i, '部品' || printf('%03d', i), 20240501, i * 10000000, 100 FROM n;
INSERT INTO categories (data_id, seq, code, name, method_code, residual_ratio) VALUES ('C001', 1, 1, '建物', 2, 0);
INSERT INTO categories (data_id, seq, code, name, method_code, residual_ratio) VALUES ('C001', 2, 2, '構築物', 1, 0);
INSERT INTO categories (data_id, seq, code, name, method_code, residual_ratio) VALUES ('C001', 3, 3, '機械及び装置', 5, 0);
INSERT INTO categories (data_id, seq, code, name, method_code, residual_ratio) VALUES ('C001', 4, 5, '工具器具備品等', 6, 0);
INSERT INTO categories (data_id, seq, code, name, method_code, residual_ratio) VALUES ('C001', 5, 9, '繰延資産', 3, 0);
INSERT INTO categories (data_id, seq, code, name, method_code, residual_ratio) VALUES ('C001', 6, 10, '車両', 2, 5);
INSERT INTO categories (data_id, seq, code, name, method_code, residual_ratio) VALUES ('C001', 7, 11, '土地', 0, 0);
INSERT INTO categories (data_id, seq, code, name, method_code, residual_ratio) VALUES ('C001', 8, 12, '一括償却資産', 4, 0);
