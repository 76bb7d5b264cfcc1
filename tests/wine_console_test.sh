#!/usr/bin/env bash
# The Windows console under Wine on a virtual screen: it starts, shows each
# page, a second start ends at once, and a screenshot of each page is kept in
# the artifacts folder beside bin/ for a reviewer to open.
# Usage: wine_console_test.sh <bin dir>
set -euo pipefail

bin=$(cd "$1" && pwd)
source_dir=$(cd "$(dirname "$0")/.." && pwd)
artifacts=${CRATEMARK_ARTIFACTS_DIR:-$bin/../artifacts}
mkdir -p "$artifacts"
wine_run="$source_dir/tools/wine-run"
# A prefix of its own: killing its wineserver at the end ends every program
# started in it, so no console is left holding the single-instance mutex for
# the next run.
export CRATEMARK_WINEPREFIX="${CRATEMARK_UI_WINEPREFIX:-$HOME/.cache/cratemark-wine-ui}"
export WINEPREFIX="$CRATEMARK_WINEPREFIX"

work=$(mktemp -d)
xvfb_pid=""
console_pid=""
cleanup() {
  [ -n "$console_pid" ] && kill "$console_pid" 2>/dev/null || true
  wineserver -k >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

# A program folder with the programs, the engine and something to show.
cp "$bin/Cratemark.exe" "$work/"
for extra in CratemarkService.exe XBENGINE.DLL; do
  [ -f "$bin/$extra" ] && cp "$bin/$extra" "$work/"
done
printf 'SPLDirSource=PreLabel\r\nSPLDirDest=Label1\r\nSPLDirBackup=Label2\r\nLabelsText=Labels\r\nTimeText=Time:\r\nMapText=Map:\r\nTotalText=Total:\r\n' >"$work/Cratemark.cfg"
printf '<Label Header>\r\n<Reference>\r\n<Item Name>\r\n<Item Mod[1]>\r\n' >"$work/LabelDesign.txt"
printf '01/02/2026 10:00:00 : ! Starting service...\r\n' >"$work/Cratemark.txt"
printf '2\r\n' >"$work/Cratemark.err"
# The host's printer table, empty: the Setup page lists no printer.
(cd "$work" && dbfcreate TolvanSpool -s SubDir 20 >/dev/null)
mv "$work/TolvanSpool.dbf" "$work/TolvanSpool.DBF"

display=":$((100 + RANDOM % 400))"
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY="$display"
sleep 1

"$wine_run" "$work/Cratemark.exe" >"$artifacts/console-wine.log" 2>&1 &
console_pid=$!

window=""
for _ in $(seq 1 120); do
  window=$(xdotool search --name "Veltrane's Cratemark" 2>/dev/null | head -n1 || true)
  [ -n "$window" ] && break
  sleep 0.5
done
[ -n "$window" ] || fail "the console window did not appear"
sleep 2

# A second start by the same user ends at once with exit code 0.
start=$(date +%s)
timeout 60 "$wine_run" "$work/Cratemark.exe" || fail "second start exited with $?"
[ $(($(date +%s) - start)) -lt 30 ] || fail "second start did not end at once"
count=$(xdotool search --name "Veltrane's Cratemark" 2>/dev/null | wc -l)
[ "$count" -eq 1 ] || fail "$count console windows after a second start"

# The tabs sit at the top left of the client area.
shoot() {
  local x=$1 name=$2
  xdotool mousemove --window "$window" "$x" 10 click 1
  sleep 1.5
  import -window root "$artifacts/console-$name.png"
  echo "screenshot: $artifacts/console-$name.png"
}
shoot 110 label-editor
shoot 170 setup
shoot 25 log-info

# Still running: nothing on the way ended it.
kill -0 "$console_pid" 2>/dev/null || fail "the console ended while pages were shown"
echo "PASS"
