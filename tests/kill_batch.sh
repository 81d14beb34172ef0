#!/bin/bash
# A batch whose own process is killed alone (kill PID, or "End task" on
# Windows), its worker processes left running: each worker stops after the
# data set it is on, rather than export the rest for nobody.
#
#   tests/kill_batch.sh [BIN_DIR]
set -eu
BIN=$(cd "${1:-build/bin}" && pwd)
SETS=40
work=$(mktemp -d)
workers=""
trap 'kill -KILL $workers 2>/dev/null || true; rm -rf "$work"' EXIT
cd "$work"
export ZEL_DRIVES="Z:fixed=/" ZEL_PACKAGE="$work/office.db"
"$BIN/zelpkg" sample office.db --assets 3000 >/dev/null
# Data sets 4 to SETS + 3, each a copy of D0001.
{
  echo "CREATE TEMP TABLE a AS SELECT * FROM assets WHERE data_id = 'D0001';"
  echo "CREATE TEMP TABLE i AS SELECT * FROM lump_items WHERE data_id = 'D0001';"
  echo "CREATE TEMP TABLE c AS SELECT * FROM categories WHERE data_id = 'D0001';"
  for no in $(seq 4 $((SETS + 3))); do
    echo "INSERT INTO datasets (data_no, data_id, company_name, period_start, period_end)
            VALUES ($no, 'C$no', 'client $no', 20240401, 20250331);"
    for t in a i c; do echo "UPDATE $t SET data_id = 'C$no';"; done
    echo "INSERT INTO assets SELECT * FROM a; INSERT INTO lump_items SELECT * FROM i;"
    echo "INSERT INTO categories SELECT * FROM c;"
  done
} | sqlite3 office.db

"$BIN/ZelEna20ToMx13" --batch "$work/out" --jobs 2 >/dev/null 2>&1 &
batch=$!
for _ in $(seq 1 3000); do
  ls out/.batch/*.row >/dev/null 2>&1 && break
  sleep 0.01
done
workers=$(pgrep -P "$batch" || true)
if [ -z "$workers" ]; then
  echo "kill batch: the batch started no workers"
  exit 1
fi
{
  kill -KILL "$batch"
  wait "$batch" || true
} 2>/dev/null
# Whether a worker still runs (a zombie that nobody has reaped does not).
running() {
  for pid in $workers; do
    state=$(sed 's/.*) //' "/proc/$pid/stat" 2>/dev/null | cut -c1)
    [ -n "$state" ] && [ "$state" != Z ] && return 0
  done
  return 1
}
for _ in $(seq 1 1000); do
  running || break
  sleep 0.01
done
if running; then
  echo "kill batch: the workers still run 10 s after their batch was killed"
  exit 1
fi
rows=$(ls out/.batch/*.row 2>/dev/null | wc -l)
if [ "$rows" -ge $((SETS / 2)) ]; then
  echo "kill batch: the workers exported $rows of $((SETS + 3)) data sets after their batch was killed"
  exit 1
fi
echo "kill batch: the workers stopped after $rows data sets"
