#!/usr/bin/env bash
# Watch Cratemark work: builds, lays out a program folder with a simulated
# Tolvan (printers PreLabel, Label1, Label2), starts Label1's spooler and the
# label service, sends a few orders and shows the labels as they print and
# the activity log. Ctrl-C at any moment stops everything it started.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

tools/install-deps.sh
cmake --preset linux-release >/dev/null
cmake --build build/linux-release --target CratemarkService tolvansim xbengine

bin="$root/build/linux-release/bin"
program=$(mktemp -d /tmp/cratemark-demo.XXXXXX)
pids=()
cleanup() {
  trap - EXIT INT TERM
  for pid in "${pids[@]}"; do kill -TERM "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$program"
}
trap cleanup EXIT
trap 'echo; echo "Interrupted."; exit 130' INT TERM

echo "== Program folder: $program"
cp "$bin/CratemarkService" "$bin/libxbengine.so" "$program/"
cp "$root/tools/demo/LabelDesign.txt" "$program/"
"$bin/tolvansim" printers "$program" PreLabel Label1 Label2
printf 'SPLDirSource=PreLabel\r\nSPLDirDest=Label1\r\nSPLDirBackup=Label2\r\nLabelsText=Labels\r\nTimeText=Time:\r\nMapText=Map:\r\nTotalText=Total:\r\n' \
  >"$program/Cratemark.cfg"

echo "== Starting Tolvan's spooler for Label1 (its output is the label printer)"
"$bin/tolvansim" serve "$program/Label1" &
pids+=($!)
echo "== Starting the label service"
"$program/CratemarkService" &
pids+=($!)
sleep 1.5

echo "== Tolvan prints order 1001 (two labels) to PreLabel"
"$bin/tolvansim" order "$program/PreLabel" order1001.spl \
  "Ann Smith|2 Margherita Pizza|extra basil|well done" "Ann Smith|Garlic Bread"
sleep 2.5
echo "== Tolvan prints order 1002 (three labels) to PreLabel"
"$bin/tolvansim" order "$program/PreLabel" order1002.spl \
  "Bob O'Neill|Fish and Chips|no vinegar" "Bob O'Neill|Apple Pie|custard|warm" \
  "Bob O'Neill|Lemonade"
sleep 3

echo "== Activity log (Cratemark.txt)"
cat "$program/Cratemark.txt"
echo "== Status (Cratemark.err): $(tr -d '\r' <"$program/Cratemark.err")"
echo "== Stopping"
