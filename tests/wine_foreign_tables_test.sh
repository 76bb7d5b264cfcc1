#!/usr/bin/env bash
# "Setup Tolvan Labels" in the Windows console under Wine on a virtual
# screen, on the tables of tests/foreign_tables/make_tables.py, once per
# table: a click on the button, Enter for Yes, Enter on the answer. A table
# it applies to may change only inside its first record's first 39 fields
# and the header's date; a table it refuses stays as it was. A screenshot of
# each answer is kept in the artifacts folder.
# Usage: wine_foreign_tables_test.sh <bin dir>
set -euo pipefail

bin=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wine_test_lib.sh"
artifacts=$(artifacts_dir "$bin")/wine_foreign_tables
mkdir -p "$artifacts"
wine_test_prefix ui CRATEMARK_UI_WINEPREFIX
python=/usr/bin/python3  # Debian's, with python3-dbf

keep_artifacts_in "$(artifacts_dir "$bin")"
keep_on_failure "$artifacts"
work=$(mktemp -d)
console_pid=""
remove_at_exit "$work"
on_exit '[ -n "$console_pid" ] && kill "$console_pid" 2>/dev/null'

"$python" "$here/foreign_tables/make_tables.py" "$work/tables"
start_virtual_screen

window=""
find_console() { window=$(xdotool search --name "Veltrane's Cratemark" 2>/dev/null | head -n1 || true); [ -n "$window" ]; }
shown() { xdotool search --onlyvisible --class cratemark.exe 2>/dev/null || true; }
# The message box on top: a shown window other than the main one.
box=""
find_box() {
  box=$(shown | grep -vx "$window" | grep -vx "${1:-none}" | head -n1 || true)
  [ -n "$box" ]
}
is_gone() { ! shown | grep -qx "$1"; }
# Enter in message box $1; retried while it stays.
answer() {
  local tries
  for tries in 1 2 3 4 5; do
    xdotool windowfocus "$1" >/dev/null 2>&1 || true
    xdotool key Return
    wait_for 3 is_gone "$1" && return 0
  done
  return 1
}

count=0
for table in "$work/tables"/*/; do
  case=$(basename "$table")
  program="$work/programs/$case"
  mkdir -p "$program"
  cp "$bin/Cratemark.exe" "$bin/XBENGINE.DLL" "$program/"
  cp "$table"/LBLPRDEF.* "$program/"
  make_printer_table "$program" PreLabel Label1
  mapfile -t expect <"$table/expect"

  "$wine_run" "$program/Cratemark.exe" >"$artifacts/$case.log" 2>&1 &
  console_pid=$!
  wait_for 60 find_console || fail "$case: the console window did not appear"
  sleep 1
  # The Setup tab, then the button; the question is a second window.
  asked=""
  for tries in 1 2 3 4 5 6; do
    xdotool mousemove --window "$window" 170 10 click 1
    sleep 0.5
    xdotool mousemove --window "$window" 570 390 click 1
    if wait_for 3 find_box; then
      asked=$box
      break
    fi
  done
  [ -n "$asked" ] || fail "$case: no question after a click on Setup Tolvan Labels"
  answer "$asked" || fail "$case: the question did not close on Enter"
  wait_for 10 find_box "$asked" || fail "$case: no answer after Yes"
  sleep 0.5
  import -window root "$artifacts/$case.png"
  answer "$box" || fail "$case: the answer did not close on Enter"
  kill "$console_pid" 2>/dev/null || true
  wait "$console_pid" 2>/dev/null || true
  wineserver -k >/dev/null 2>&1 || true
  console_pid=""
  "$python" "$here/foreign_tables/check_table.py" "$table" "$program" "${expect[0]}" ||
    fail "$case: the table is not as it should be"
  echo "ok: $case (${expect[0]}), screenshot: $artifacts/$case.png"
  count=$((count + 1))
done
[ "$count" -ge 8 ] || fail "only $count tables were tried"
