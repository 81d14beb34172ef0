#!/bin/sh
# make test-windows: the Windows build under Wine.
#   sh windows/test-windows.sh WIN_BUILD LINUX_BUILD
# 1. the Windows unit tests (CTest runs each test program under Wine, with
#    an Xvfb display for the dialog back end's);
# 2. the three programs export the sample store through the script back end,
#    and their transcripts and files are byte for byte those of the Linux
#    build for the same store and script;
# 3. the real Windows dialog under Xvfb, driven by keys with xdotool: the
#    path typed, F12, the overwrite question answered, WordPad closed, the
#    end message confirmed, the files written. A picture of the dialog is
#    kept as WIN_BUILD/dialog.png;
# 4. a Windows user's machine under code pages 1252 and 932: Japanese paths
#    and names through zelpkg.exe and zelverify.exe, a refusal's message box,
#    the shipped package.db without WordPad (the .txt program shows the log,
#    a UTF-16 copy of it under 1252, the path remembered under %APPDATA%).
# Wine's own drive E: is pointed at the folder of each run, so that both
# builds see the same Windows paths.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
win=$(cd "$1" && pwd)
linux=$(cd "$2" && pwd)
wine=/usr/lib/wine/wine64
export WINEPREFIX="${WINEPREFIX:-$win/wine}" WINEDEBUG=-all
work=$win/e2e
failures=0
xvfb_pid=
program_pid=

fail() {
  echo "FAILED: $*" >&2
  failures=$((failures + 1))
}

cleanup() {
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  /usr/lib/wine/wineserver -k 2>/dev/null || true
}
trap cleanup EXIT

# ---- Wine: a prefix of the build's own, fonts for the Japanese texts -------
# The dialog's font and the message boxes' font fall back to IPA Gothic
# (fonts-ipafont-gothic); Wine draws the window frames itself, as there is
# no window manager on Xvfb. The ANSI code page stays Wine's default (1252),
# so the programs show that they need no 932 code page.
mkdir -p "$WINEPREFIX"
# One Wine server for the whole run (ended on exit): test programs started
# side by side then never race a server that is starting or stopping.
/usr/lib/wine/wineserver -p 2>/dev/null || true
$wine cmd /c exit >/dev/null 2>&1 || true
printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n"ＭＳ Ｐゴシック"="IPAPGothic"\r\n"ＭＳ ゴシック"="IPAGothic"\r\n"MS UI Gothic"="IPAPGothic"\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Managed"="N"\r\n' |
  iconv -f UTF-8 -t UTF-16 >"$win/wine-settings.reg"
$wine regedit /S "$(printf 'Z:%s' "$win/wine-settings.reg" | tr / '\\')"
$wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v Tahoma \
  /t REG_MULTI_SZ /d 'ipagp.ttf,IPAPGothic' /f >/dev/null

# A display of our own for every window the tests show.
display=:$((90 + $$ % 100))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=$display
sleep 1

# ---- 1. Unit tests ------------------------------------------------------------
echo "== Windows unit tests under Wine"
(cd "$win" && ctest --output-on-failure -j 2) || fail "Windows unit tests"

# ---- 2. The script back end: the same bytes as the Linux build ----------------
# A fresh folder with the store whose default output and environment folders
# lie on drive E:.
prepare() {  # prepare DIR STORE
  rm -rf "$1"
  mkdir -p "$1"
  cp "$2" "$1/package.db"
  sqlite3 "$1/package.db" "UPDATE package SET output_folder = 'E:\\out\\', env_folder = 'E:\\env\\';"
  cp "$root/app/demo.script" "$1/script.txt"
}
use_drive_e() { ln -sfn "$1" "$WINEPREFIX/dosdevices/e:"; }

echo "== The three programs, script back end, against the Linux build"
for program in ZelEna20ToMx13 ZelDio20ToMx13 ZelTre20ToMx13; do
  l=$work/$program-linux
  w=$work/$program-windows
  prepare "$l" "$linux/bin/package.db"
  prepare "$w" "$win/bin/package.db"
  status=0
  (cd "$l" && ZEL_PACKAGE="$l/package.db" ZEL_DRIVES="Z:fixed=/;E:fixed=$l" ZEL_UI=script \
    ZEL_UI_SCRIPT="$l/script.txt" "$linux/bin/$program" >"$l/transcript.jsonl" 2>"$l/stderr.txt") || status=$?
  [ "$status" -eq 0 ] || fail "$program on Linux ended with $status"
  use_drive_e "$w"
  status=0
  (cd "$w" && ZEL_PACKAGE='E:\package.db' ZEL_UI=script ZEL_UI_SCRIPT='E:\script.txt' \
    $wine "$win/bin/$program.exe" >"$w/transcript.jsonl" 2>"$w/stderr.txt") || status=$?
  [ "$status" -eq 0 ] || fail "$program on Windows ended with $status"
  cmp -s "$l/transcript.jsonl" "$w/transcript.jsonl" || fail "$program: the transcripts differ"
  files=$(cd "$l" && find out env -type f | sort)
  [ -n "$files" ] || fail "$program wrote no files"
  for f in $files; do
    cmp -s "$l/$f" "$w/$f" || fail "$program: $f differs"
  done
  [ "$(cd "$w" && find out env -type f | sort)" = "$files" ] || fail "$program: other files on Windows"
  echo "$program: $(echo "$files" | wc -l) files and the transcript alike"
done

# ---- 3. The Windows dialog under Xvfb ----------------------------------------------
echo "== The Windows dialog under Xvfb, driven by keys"

# The visible window whose name matches, waited for up to a minute.
window() {
  i=0
  while [ $i -lt 120 ]; do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 || true)
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    sleep 0.5
    i=$((i + 1))
  done
  return 1
}
# Gives the window the focus and presses the keys.
press() {  # press WINDOW KEY...
  w=$1
  shift
  sleep 1
  xdotool windowfocus --sync "$w" 2>/dev/null || true
  xdotool key --delay 50 "$@"
}
# The same, again while the window
# stays (a window just shown may not listen yet); false when it never goes.
press_away() {  # press_away WINDOW KEY...
  w=$1
  shift
  for try in 1 2 3 4 5; do
    sleep 1
    xdotool windowfocus --sync "$w" 2>/dev/null || true
    xdotool key --delay 50 "$@"
    sleep 1
    xdotool getwindowname "$w" >/dev/null 2>&1 || return 0
    xdotool search --onlyvisible --name . 2>/dev/null | grep -qx "$w" || return 0
  done
  return 1
}
picture() { xwd -id "$1" -silent | xwdtopnm 2>/dev/null | pnmtopng >"$2"; }

d=$work/dialog
prepare "$d" "$win/bin/package.db"
mkdir -p "$d/out"
printf 'an older file\r\n' >"$d/out/assets.csv"
use_drive_e "$d"
(cd "$d" && ZEL_PACKAGE='E:\package.db' $wine "$win/bin/ZelEna20ToMx13.exe" >"$d/stdout.txt" 2>"$d/stderr.txt"; echo $? >"$d/status") &
program_pid=$!
if dialog=$(window '集計条件'); then
  xdotool windowfocus --sync "$dialog" 2>/dev/null || true
  # The default path is selected in the edit: typing replaces it. (Typed
  # Japanese reaches the edit in the back end's own test; xdotool's keymap
  # juggling for it is not reliable enough here.)
  xdotool type --delay 40 'E:\out\assets.csv'
  sleep 1
  picture "$dialog" "$win/dialog.png"
  press "$dialog" F12
  # The file exists: the overwrite question (shown before the dialog ends);
  # Enter takes its first button, Yes.
  if box=$(window '^減価償却$'); then press_away "$box" Return || fail "the question stays"; else
    fail "no overwrite question"
  fi
  # The sample company's remarks: WordPad shows the error log; the program
  # waits until it is closed.
  if wordpad=$(window 'Wordpad'); then press_away "$wordpad" alt+F4 || fail "WordPad stays"; else
    fail "WordPad did not open the error log"
  fi
  if box=$(window '^減価償却$'); then press_away "$box" Return || fail "the end message stays"; else
    fail "no end message"
  fi
  i=0
  while [ ! -s "$d/status" ] && [ $i -lt 120 ]; do sleep 0.5; i=$((i + 1)); done
  [ "$(cat "$d/status" 2>/dev/null)" = 0 ] || fail "the dialog run ended with status $(cat "$d/status" 2>/dev/null)"
  program_pid=
  e=$work/ZelEna20ToMx13-linux/out
  cmp -s "$d/out/assets.csv" "$e/固定資産.csv" || fail "the dialog run's asset data file differs"
  cmp -s "$d/out/syurui.SSC" "$e/syurui.SSC" || fail "the dialog run's asset type file differs"
  cmp -s "$d/out/ZelEnaMx13SysErr.txt" "$e/ZelEnaMx13SysErr.txt" || fail "the dialog run's error log differs"
  iconv -f CP932 -t UTF-8 "$d/env/ZelEna20ToMx13.env" | grep -q 'E:\\out\\assets.csv$' ||
    fail "the dialog run did not remember its path"
  [ -s "$win/dialog.png" ] && echo "dialog picture: $win/dialog.png"
else
  fail "the dialog did not appear"
fi

# ---- 4. A Windows user's machine, with the English and the Japanese code page ------
# Wine takes the ANSI code page from the Unix locale: C.UTF-8 gives 1252,
# ja_JP.UTF-8 gives 932 (the locale is made here when missing).
locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$' || localedef -i ja_JP -f UTF-8 ja_JP.UTF-8 ||
  fail "no Japanese locale for Wine"
dist=$win/dist
accessories="$WINEPREFIX/drive_c/Program Files/Windows NT/Accessories"
appdata=$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming
documents=$WINEPREFIX/drive_c/users/$(id -un)/Documents
# The viewer's copy in %TEMP%\Zelmar (where %TEMP% lies depends on Wine's version).
temp_copies() { find "$WINEPREFIX/drive_c/users" -path '*Temp/Zelmar/ZelEnaMx13SysErr.txt' 2>/dev/null; }
for cp in 1252 932; do
  if [ "$cp" = 932 ]; then loc=ja_JP.UTF-8; else loc=C.UTF-8; fi
  echo "== A Windows user's machine, code page $cp"
  u=$work/user-$cp
  rm -rf "$u"
  mkdir -p "$u/出力" "$u/csv"
  cp "$root"/docs/example-*.csv "$u/csv/"
  use_drive_e "$u"
  zelpkg() { (cd "$u" && LC_ALL=$loc $wine "$dist/zelpkg.exe" "$@"); }
  import_args="--assets E:\\csv\\example-assets.csv --items E:\\csv\\example-items.csv
    --categories E:\\csv\\example-categories.csv --period 2024-04-01 2025-03-31"

  # A Japanese store path and company name through zelpkg.exe's UTF-16 command line.
  # shellcheck disable=SC2086
  zelpkg import 'E:\出力\会計.db' $import_args --data-set T1 --company テスト商事株式会社 >"$u/import.txt" 2>&1 ||
    fail "cp $cp: zelpkg.exe import into E:\\出力\\会計.db: $(cat "$u/import.txt")"
  [ "$(sqlite3 "$u/出力/会計.db" "SELECT company_name FROM datasets WHERE data_id = 'T1'" 2>&1)" = テスト商事株式会社 ] ||
    fail "cp $cp: the company name was not stored whole"
  zelpkg check 'E:\出力\会計.db' >"$u/check.txt" 2>&1 || fail "cp $cp: zelpkg.exe check: $(cat "$u/check.txt")"
  zelpkg sample 'E:\出力\サンプル.db' >"$u/sample.txt" 2>&1 && [ -s "$u/出力/サンプル.db" ] ||
    fail "cp $cp: zelpkg.exe sample E:\\出力\\サンプル.db: $(cat "$u/sample.txt")"
  # A name that Shift_JIS cannot hold is refused by name; nothing is stored.
  # shellcheck disable=SC2086
  if zelpkg import 'E:\出力\会計.db' $import_args --data-set T2 --company 'テスト😀商事' >"$u/emoji.txt" 2>&1 ||
    ! grep -q 'Shift_JIS' "$u/emoji.txt" || [ -n "$(sqlite3 "$u/出力/会計.db" "SELECT 1 FROM datasets WHERE data_id = 'T2'")" ]; then
    fail "cp $cp: a company name without a Shift_JIS form was not refused: $(cat "$u/emoji.txt")"
  fi
  # The programs' files from that store, then zelverify.exe on its Japanese path.
  printf 'set 1007 E:\\出力\\固定資産.csv\nkey F12\nanswer ok\n' >"$u/script.txt"
  (cd "$u" && LC_ALL=$loc ZEL_PACKAGE='E:\出力\会計.db' ZEL_UI_SCRIPT='E:\script.txt' \
    $wine "$dist/ZelEna20ToMx13.exe" >"$u/transcript.jsonl" 2>"$u/stderr.txt") ||
    fail "cp $cp: the export from the Japanese store: $(cat "$u/stderr.txt")"
  status=0
  (cd "$u" && LC_ALL=$loc $wine "$dist/zelverify.exe" 'E:\出力\固定資産.csv' >"$u/verify.txt" 2>&1) || status=$?
  [ "$status" -lt 2 ] && grep -q 'rows' "$u/verify.txt" ||
    fail "cp $cp: zelverify.exe on E:\\出力\\固定資産.csv ended with $status: $(cat "$u/verify.txt")"

  # A refusal in a message box: a double-click with a store that is not there.
  (set +e; cd "$u" && LC_ALL=$loc ZEL_PACKAGE='E:\nope.db' $wine "$dist/ZelEna20ToMx13.exe" >/dev/null 2>&1
    echo $? >"$u/refusal-status") &
  program_pid=$!
  if box=$(window '^減価償却$'); then
    picture "$box" "$win/refusal-$cp.png"
    press_away "$box" Return || fail "cp $cp: the refusal's box stays"
  else
    fail "cp $cp: no message box for a missing store"
  fi
  wait "$program_pid" 2>/dev/null || true
  program_pid=
  [ "$(cat "$u/refusal-status" 2>/dev/null)" = 1 ] || fail "cp $cp: the refused run did not end with 1"

  # The shipped package.db on a machine without WordPad: the first path lies
  # in Documents, the log opens with the .txt program (Notepad), and the
  # path is remembered under %APPDATA%\Zelmar.
  cp "$dist/package.db" "$u/package.db"
  [ -d "$accessories" ] && mv "$accessories" "$accessories.away"
  rm -rf "$appdata/Zelmar"
  temp_copies | xargs -r rm -f
  rm -f "$documents/assets.csv" "$documents/syurui.SSC" "$documents/ZelEnaMx13SysErr.txt"
  (set +e; cd "$u" && LC_ALL=$loc ZEL_PACKAGE='E:\package.db' $wine "$dist/ZelEna20ToMx13.exe" >/dev/null 2>&1
    echo $? >"$u/dialog-status") &
  program_pid=$!
  if dialog=$(window '集計条件'); then
    # The path offered is the first folder and "*.csv": the name replaces
    # "*.csv", the folder stays.
    sleep 1
    xdotool windowfocus --sync "$dialog" 2>/dev/null || true
    xdotool key --delay 50 End BackSpace BackSpace BackSpace BackSpace BackSpace
    xdotool type --delay 40 'assets.csv'
    press "$dialog" F12
    # A question on the way (a folder to make, a file to replace) is answered Yes.
    viewer=
    i=0
    while [ -z "$viewer" ] && [ $i -lt 120 ]; do
      viewer=$(xdotool search --onlyvisible --name 'Notepad|メモ帳' 2>/dev/null | head -n 1 || true)
      box=$(xdotool search --onlyvisible --name '^減価償却$' 2>/dev/null | head -n 1 || true)
      if [ -z "$viewer" ] && [ -n "$box" ]; then press_away "$box" Return || true; fi
      sleep 0.5
      i=$((i + 1))
    done
    if [ -n "$viewer" ]; then press_away "$viewer" alt+F4 || fail "cp $cp: the viewer stays"; else
      fail "cp $cp: without WordPad the log did not open with the .txt program"
    fi
    if box=$(window '^減価償却$'); then press_away "$box" Return || fail "cp $cp: the end message stays"; else
      fail "cp $cp: no end message"
    fi
  else
    fail "cp $cp: the dialog did not appear with the shipped package.db"
  fi
  wait "$program_pid" 2>/dev/null || true
  program_pid=
  [ "$(cat "$u/dialog-status" 2>/dev/null)" = 0 ] || fail "cp $cp: the run without WordPad ended with $(cat "$u/dialog-status")"
  [ -d "$accessories.away" ] && mv "$accessories.away" "$accessories"
  [ -s "$documents/assets.csv" ] || fail "cp $cp: no asset data file in Documents"
  iconv -f CP932 -t UTF-8 "$appdata/Zelmar/ZelEna20ToMx13.env" 2>/dev/null | grep -q 'Documents\\assets\.csv$' ||
    fail "cp $cp: the path was not remembered under %APPDATA%\\Zelmar"
  if [ "$cp" = 932 ]; then
    [ -z "$(temp_copies)" ] || fail "cp 932: the viewer got a copy, not the log"
  else
    copy=$(temp_copies | head -n 1)
    [ -n "$copy" ] && [ "$(head -c 2 "$copy" | od -An -tx1 | tr -d ' ')" = fffe ] &&
      [ "$(tail -c +3 "$copy" | iconv -f UTF-16LE -t UTF-8)" = "$(iconv -f CP932 -t UTF-8 "$documents/ZelEnaMx13SysErr.txt")" ] ||
      fail "cp 1252: the viewer did not get a UTF-16 copy of the log"
  fi
  rm -f "$documents/assets.csv" "$documents/syurui.SSC" "$documents/ZelEnaMx13SysErr.txt"
done
# The two code pages wrote the same files.
cmp -s "$work/user-1252/出力/固定資産.csv" "$work/user-932/出力/固定資産.csv" ||
  fail "the exports under code pages 1252 and 932 differ"

if [ "$failures" -eq 0 ]; then
  echo "test-windows: all checks passed"
else
  echo "test-windows: $failures checks failed" >&2
  exit 1
fi
