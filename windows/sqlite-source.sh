#!/bin/sh
# Makes the SQLite amalgamation (sqlite3.c, sqlite3.h) for the Windows build
# from Debian's own sqlite3 source package, the version that the Linux build
# links, with the compile options Debian builds it with (options.txt), and
# keeps them in DIR (under build-win/) for later builds.
#   sh windows/sqlite-source.sh DIR
# The source entry is made from the machine's own Debian package list, in a
# private apt folder inside DIR: the machine's apt setup is not touched.
# Needs apt-get, dpkg-dev (dpkg-source) and tclsh (tcl).
set -eu
dir=$1
[ -f "$dir/sqlite3.c" ] && [ -f "$dir/sqlite3.h" ] && [ -f "$dir/options.txt" ] && exit 0
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
apt=$dir/apt
rm -rf "$apt" "$dir/src" "$dir/amalgamation"
mkdir -p "$apt/sources.list.d" "$apt/lists/partial" "$apt/cache/archives/partial" "$dir/src" "$dir/amalgamation"

# deb-src entries for the machine's deb entries, in both list formats.
for f in /etc/apt/sources.list.d/*.sources; do
  [ -f "$f" ] && sed 's/^Types:.*/Types: deb-src/' "$f" >"$apt/sources.list.d/$(basename "$f")"
done
for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
  [ -f "$f" ] && sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "$f" >>"$apt/sources.list.d/machine.list"
done
set -- -o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$apt/sources.list.d" \
  -o Dir::State::Lists="$apt/lists" -o Dir::Cache="$apt/cache" -o APT::Sandbox::User=root
apt-get "$@" -qq update

# The version that the Linux build links; any version the lists hold if that
# one has left them.
version=$(dpkg-query -W -f='${Version}' libsqlite3-dev 2>/dev/null || true)
cd "$dir/src"
apt-get "$@" -qq source "sqlite3${version:+=$version}" >/dev/null 2>&1 || apt-get "$@" -qq source sqlite3 >/dev/null
source=$(find "$dir/src" -mindepth 1 -maxdepth 1 -type d -name 'sqlite3-*' | head -n 1)
[ -n "$source" ] || { echo "sqlite-source: no sqlite3 source unpacked" >&2; exit 1; }

# Debian's own options (debian/rules), so that both builds' SQLite behave
# alike (the dbstat table, the variable limit, ...).
grep -o -- '-DSQLITE_[A-Z0-9_]*\(=[^ \\]*\)\?' "$source/debian/rules" | sed 's/^-D//' | sort -u >"$dir/options.txt"

cd "$dir/amalgamation"
"$source/configure" --disable-tcl >configure.log 2>&1
make sqlite3.c >make.log 2>&1
cp sqlite3.c sqlite3.h "$dir/"
cd "$dir"
rm -rf "$apt" "$dir/src" "$dir/amalgamation"
echo "SQLite $(basename "$source") from Debian's source package: $dir/sqlite3.c"
