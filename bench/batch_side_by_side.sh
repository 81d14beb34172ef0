#!/bin/sh
# The batch export of an accounting office beside what one would script
# without it: a store of 500 data sets of 200 assets each, exported
#   - once per data set in script mode (the selection set, then the program
#     run through its dialog script), as a script does it today;
#   - by one batch with --jobs 1 and with --jobs 2;
# and, for scale, one export of a single store of 100,000 assets.
# usage: batch_side_by_side.sh BIN_DIR WORK_DIR
set -eu
bin=$1
work=$2
sets=${BATCH_BENCH_SETS:-500}
mkdir -p "$work"
cd "$work"
export ZEL_DRIVES="Z:fixed=/"

if [ ! -f office.db ]; then
  "$bin/zelpkg" sample office.db.tmp --assets 200 --force >/dev/null
  # D0001 copied into data sets 4.. with amounts of their own; D0002 and
  # the past-results D0003 go, so that all the data sets are alike.
  sqlite3 office.db.tmp "
    WITH RECURSIVE n(no) AS (SELECT 4 UNION ALL SELECT no + 1 FROM n WHERE no < $sets + 2)
    INSERT INTO datasets(data_no, data_id, company_name, period_start, period_end)
      SELECT no, 'C' || no, '顧問先 ' || no, 20240401, 20250331 FROM n;
    DELETE FROM datasets WHERE data_no IN (2, 3);
    INSERT INTO assets SELECT d.data_id, a.seq, a.code, a.type_code, a.name, a.quantity_text, a.memo,
      a.disposal_kind, a.capex_link, a.method_ref_date, a.acquisition_date, a.acquisition_cost + d.data_no,
      a.compressed_amount, a.opening_book_value, a.method_code, a.useful_life, a.depreciation_rate,
      a.residual_rate, a.limit_kind, a.depreciable_limit, a.business_ratio, a.sga_share, a.months_numerator,
      a.months_denominator, a.residual_value, a.depreciation_base, a.sga_amount, a.mfg_amount,
      a.accumulated_depreciation, a.closing_book_value, a.disposal_date, a.disposal_price, a.months_entered,
      a.revised_cost, a.computed_depreciation, a.special_depreciation, a.increased_depreciation,
      a.entered_current_depreciation
      FROM assets a JOIN datasets d ON d.data_no > 3 WHERE a.data_id = 'D0001';
    INSERT INTO lump_items SELECT d.data_id, i.asset_seq, i.seq, i.name, i.acquisition_date,
      i.acquisition_cost, i.quantity FROM lump_items i JOIN datasets d ON d.data_no > 3 WHERE i.data_id = 'D0001';
    INSERT INTO categories SELECT d.data_id, c.seq, c.code, c.name, c.method_code, c.residual_ratio
      FROM categories c JOIN datasets d ON d.data_no > 3 WHERE c.data_id = 'D0001';"
  mv office.db.tmp office.db
fi
if [ ! -f large.db ]; then "$bin/zelpkg" sample large.db --assets 100000 --force >/dev/null; fi

now() { date +%s.%N; }
span() { echo "$2 - $1" | bc; }
export ZEL_PACKAGE="$work/office.db"

rm -rf scripted && mkdir scripted
t0=$(now)
for no in $(sqlite3 office.db "SELECT data_no FROM datasets ORDER BY data_no"); do
  sqlite3 office.db "UPDATE users SET selected_second = $no WHERE user_id = 'user01'"
  mkdir -p "scripted/$no"
  printf 'set 1007 Z:%s\\scripted\\%s\\assets.csv\nkey F12\nanswer ok\n' "$(echo "$work" | tr / '\\\\')" "$no" \
    > scripted.script
  ZEL_UI_SCRIPT=scripted.script "$bin/ZelEna20ToMx13" >/dev/null || true
done
t1=$(now)
sync
rm -rf batch1 batch2
t2=$(now)
"$bin/ZelEna20ToMx13" --batch batch1 --jobs 1 >/dev/null 2>&1 || true
t3=$(now)
sync
t4=$(now)
"$bin/ZelEna20ToMx13" --batch batch2 --jobs 2 >/dev/null 2>&1 || true
t5=$(now)
sync
rm -rf large && mkdir large
printf 'set 1007 Z:%s\\large\\assets.csv\nkey F12\nanswer ok\n' "$(echo "$work" | tr / '\\\\')" > large.script
t6=$(now)
ZEL_PACKAGE="$work/large.db" ZEL_UI_SCRIPT=large.script "$bin/ZelEna20ToMx13" >/dev/null || true
t7=$(now)

echo "batch export of $sets data sets of 200 assets (seconds):"
echo "  once per data set, script mode: $(span "$t0" "$t1")"
echo "  --batch --jobs 1:               $(span "$t2" "$t3")"
echo "  --batch --jobs 2:               $(span "$t4" "$t5")"
echo "  one export of 100,000 assets:   $(span "$t6" "$t7")"
