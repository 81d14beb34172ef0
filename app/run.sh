#!/bin/sh
# make run: in a terminal, the export dialog on the sample company; without
# a terminal (or with one the dialog cannot use), the bundled demo script
# exports the sample company and the files are listed.
#   sh app/run.sh BUILD_DIR [DEMO_DIR]
# Drive E: of the program is DEMO_DIR (BUILD_DIR/demo by default). Its store
# is made once, from the sample store; earlier exports and the remembered
# path stay there from one run to the next.
set -eu
build=${1:-build}
root=$(cd "$(dirname "$0")/.." && pwd)
case $build in /*) ;; *) build=$root/$build ;; esac
demo=${2:-$build/demo}
case $demo in /*) ;; *) demo=$(pwd)/$demo ;; esac
bin=$build/bin
program=$bin/ZelEna20ToMx13

# The demo store: the sample store with its default output folder and
# environment folder on drive E:. Made again only when the sample store has
# been rebuilt since.
if [ ! -f "$demo/package.db" ] || [ "$bin/package.db" -nt "$demo/package.db" ]; then
  mkdir -p "$demo"
  cp "$bin/package.db" "$demo/package.db.new"
  sqlite3 "$demo/package.db.new" "UPDATE package SET output_folder = 'E:\\out\\', env_folder = 'E:\\env\\';"
  mv "$demo/package.db.new" "$demo/package.db"
fi
ZEL_PACKAGE=$demo/package.db
ZEL_DRIVES="Z:fixed=/;E:fixed=$demo"
export ZEL_PACKAGE ZEL_DRIVES

# The files of drive E:'s output and environment folders with their
# modification times, so that what a run wrote can be told from what earlier
# runs left.
snapshot() {
  find "$demo/out" "$demo/env" -type f -printf '%T@ %p\n' 2>/dev/null | sort
}
mkdir -p "$demo"
before=$demo/.files-before-run
snapshot >"$before"

# Lists the files that this run wrote (new, or changed since it started).
list_files() {
  written=$(snapshot | grep -vxF -f "$before" | cut -d' ' -f2-) || true
  if [ -n "$written" ]; then
    printf '%s\n' "$written" | sed 's/^/  /'
  else
    echo "No file was written by this run (files of earlier runs stay in $demo/out)."
  fi
}

printf 'Drive E: is %s (E:\\out\\ is %s/out).\n' "$demo" "$demo"

if [ -t 0 ] && [ -t 1 ] && [ -z "${ZEL_UI_SCRIPT:-}" ]; then
  # The dialog in this terminal. Standard error goes to a file while the
  # screen is taken; a terminal that cannot be used falls back to the demo.
  errors=$demo/tty-errors.txt
  status=0
  ZEL_UI=tty "$program" 2>"$errors" || status=$?
  if ! grep -q "the dialog counts as quit" "$errors"; then
    cat "$errors" >&2
    echo "The program ended with exit status $status (drive E: is $demo)."
    list_files
    exit 0
  fi
  cat "$errors" >&2
  echo "The terminal cannot show the dialog; running the demo script instead."
fi

echo "Running $program with app/demo.script (transcript below)"
status=0
ZEL_UI=script ZEL_UI_SCRIPT=$root/app/demo.script "$program" || status=$?
echo
if [ "$status" -ne 0 ]; then
  echo "The demo ended with exit status $status." >&2
  exit 1
fi
echo "The demo exported the sample company (drive E: is $demo):"
list_files
echo "The files are Shift_JIS; read them with: iconv -f CP932 -t UTF-8 FILE"
