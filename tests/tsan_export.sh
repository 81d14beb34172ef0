#!/bin/sh
# The threads of a whole export under ThreadSanitizer: a store of some
# thousand assets (so that the store's read-ahead runs ahead of the rows),
# exported by the program through a script, and the files checked by
# zelverify (which reads ahead on a thread of its own); before that, a
# register of as many assets imported by zelpkg (which reads and parses a
# file on a thread of its own while it stores the rows). A report of the
# sanitizer ends a program with a status of its own and fails this script.
# Usage: tests/tsan_export.sh BUILD_DIR (a build made with ZEL_TSAN=ON)
set -eu
bin=$(cd "$1/bin" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
awk 'BEGIN { print "code,name,type_code,method_code,useful_life,acquisition_date,acquisition_cost"
  for (n = 1; n <= 5000; ++n) printf "A%d,\"Asset, %d\",1,6,%d,2020-04-01,%d.5\n", n, n, 1 + n % 50, 1000 * n }' \
  >"$work/assets.csv"
printf 'code,name,method_code\n1,Building,6\n' >"$work/categories.csv"
"$bin/zelpkg" import "$work/imported.db" --assets "$work/assets.csv" --categories "$work/categories.csv" \
  --data-set D1 --company C --period 2024-04-01 2025-03-31 || {
  echo "tsan export: the import of a register failed"
  exit 1
}
"$bin/zelpkg" sample "$work/package.db" --assets 5000 >/dev/null
sqlite3 "$work/package.db" "UPDATE package SET output_folder = 'E:\\out\\', env_folder = 'E:\\env\\';"
mkdir -p "$work/e/out"
printf 'set 1007 E:\\out\\a.csv\nkey F12\nanswer ok\n' >"$work/export.script"
status=0
ZEL_UI=script ZEL_UI_SCRIPT="$work/export.script" ZEL_PACKAGE="$work/package.db" \
  ZEL_DRIVES="Z:fixed=/;E:fixed=$work/e" "$bin/ZelEna20ToMx13" >"$work/transcript" 2>"$work/stderr" || status=$?
if [ "$status" -ne 0 ]; then
  cat "$work/stderr" "$work/transcript"
  echo "tsan export: the export ended with status $status"
  exit 1
fi
"$bin/zelverify" "$work/e/out/a.csv" >"$work/verify.txt" 2>&1 || status=$?
# zelverify: 0 clean, 1 problems found in the files (the sample's remarks);
# anything else is a failure of its own.
if [ "$status" -gt 1 ]; then
  cat "$work/verify.txt"
  echo "tsan export: zelverify ended with status $status"
  exit 1
fi
echo "tsan export: exported $(($(wc -l <"$work/e/out/a.csv") - 7)) rows and checked them"
