#!/bin/bash
# Ends an export of a large store at random moments, by SIGKILL and by the
# signals a user or the system sends (TERM, INT, HUP), and checks after each
# that the output folder holds the previous set of files or the new one,
# never a mix, and that no temporary file is left once the next export (or
# zelverify) has run. Under strace each flush is slowed down, so that many
# of the ends fall inside the commit of the three files.
#
#   tests/kill_export.sh [BIN_DIR]     (KILLS=20 ASSETS=200000 by default)
set -eu
set -m  # background runs in their own process groups: INT reaches them
BIN=$(cd "${1:-build/bin}" && pwd)
KILLS=${KILLS:-20}
ASSETS=${ASSETS:-200000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/e/out" "$work/e/env"
for store in old new; do
  seed=1
  [ $store = new ] && seed=2
  "$BIN/zelpkg" sample "$work/$store.db" --assets "$ASSETS" --seed $seed >/dev/null
  sqlite3 "$work/$store.db" "UPDATE package SET output_folder = 'E:\\out\\', env_folder = 'E:\\env\\';"
done
sqlite3 "$work/new.db" "UPDATE datasets SET corp_kind = 3;"
export ZEL_DRIVES="Z:fixed=/;E:fixed=$work/e" ZEL_UI=script ZEL_VIEWER=true
printf 'set 1007 E:\\out\\a.csv\nkey F12\nanswer yes\nanswer ok\n' >"$work/overwrite"
printf 'set 1007 E:\\out\\a.csv\nkey F12\nanswer ok\n' >"$work/first"

export_of() {  # export_of STORE SCRIPT
  ZEL_PACKAGE="$work/$1.db" ZEL_UI_SCRIPT="$work/$2" "$BIN/ZelEna20ToMx13" >/dev/null 2>&1
}
set_sum() { cat "$work/e/out/a.csv" "$work/e/out/syurui.SSC" "$work/e/out/ZelEnaMx13SysErr.txt" 2>/dev/null | md5sum; }
leftovers() { ls "$work/e/out" | grep -c '^~zel' || true; }

export_of new first
new_sum=$(set_sum)
start=$(date +%s%N)
export_of old overwrite
took_ms=$((($(date +%s%N) - start) / 1000000))
old_sum=$(set_sum)
[ "$old_sum" != "$new_sum" ] || { echo "the two sets do not differ"; exit 1; }

signals=(KILL TERM INT HUP)
use_strace=0
command -v strace >/dev/null && use_strace=1
mixed=0 left=0 old_sets=0 new_sets=0
for ((i = 1; i <= KILLS; i++)); do
  signal=${signals[$((i % 4))]}
  slow=$((use_strace && i % 2 == 0))
  if [ $slow = 1 ]; then
    ZEL_PACKAGE="$work/new.db" ZEL_UI_SCRIPT="$work/overwrite" \
      strace -f -qq -o /dev/null -e inject=fsync:delay_enter=300000 "$BIN/ZelEna20ToMx13" >/dev/null 2>&1 &
    window=$((took_ms + 3000))
  else
    export_of new overwrite &
    window=$took_ms
  fi
  tracer=$!
  sleep "$(awk -v ms=$((RANDOM * window / 32768)) 'BEGIN { print ms / 1000 }')"
  target=$tracer
  [ $slow = 1 ] && target=$(pgrep -P "$tracer" -n || echo "$tracer")
  kill -s "$signal" "$target" 2>/dev/null || true
  wait "$tracer" || true
  # Whatever the end, zelverify finishes a commit cut short first.
  "$BIN/zelverify" "$work/e/out/a.csv" >/dev/null 2>&1 || true
  sum=$(set_sum)
  if [ "$sum" = "$old_sum" ]; then
    old_sets=$((old_sets + 1))
  elif [ "$sum" = "$new_sum" ]; then
    new_sets=$((new_sets + 1))
  else
    mixed=$((mixed + 1))
    echo "end $i ($signal): a mixed set"
  fi
  # A signal other than KILL takes the run's temporary files with it; the
  # next export removes what a killed run left.
  if [ "$signal" != KILL ] && [ "$(leftovers)" != 0 ]; then
    echo "end $i ($signal): temporary files left: $(ls "$work/e/out")"
    left=$((left + 1))
  fi
  export_of old overwrite || true
  if [ "$(leftovers)" != 0 ] || [ "$(set_sum)" != "$old_sum" ]; then
    echo "end $i ($signal): the next export left $(ls "$work/e/out")"
    left=$((left + 1))
  fi
done
echo "$KILLS ends: $old_sets old sets, $new_sets new sets, $mixed mixed, $left with temporary files left"
[ $mixed = 0 ] && [ $left = 0 ]
