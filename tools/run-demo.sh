#!/usr/bin/env bash
# Watch Cratemark work: builds, lays out a program folder with a simulated
# Tolvan (printers PreLabel, Label1, Label2), starts Label1's spooler and the
# label service, sends a few orders and shows the labels as they print and
# the activity log. Ctrl-C at any moment stops everything it started.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

# Headings stand out in a terminal; plain text when the output is captured.
if [ -t 1 ]; then
  say() { printf '\n\033[1m== %s\033[0m\n' "$*"; }
else
  say() { printf '\n== %s\n' "$*"; }
fi

program=""
build_log=$(mktemp /tmp/cratemark-demo-build.XXXXXX.log)
cleanup() {
  trap - EXIT INT TERM
  # Every background job of this shell, also one started an instant before
  # the interrupt and not yet remembered anywhere else.
  local pids
  pids=$(jobs -p)
  if [ -n "$pids" ]; then
    kill -TERM $pids 2>/dev/null || true
    # A process that does not stop within five seconds is ended hard.
    for _ in $(seq 50); do
      kill -0 $pids 2>/dev/null || break
      sleep 0.1
    done
    kill -KILL $pids 2>/dev/null || true
    wait $pids 2>/dev/null || true
  fi
  [ -n "$program" ] && rm -rf "$program"
  rm -f "$build_log"
}
trap cleanup EXIT
trap 'echo; echo "Interrupted: stopping the service and the spooler."; exit 130' INT TERM

# run_quietly TITLE COMMAND...: the command's output is shown only when it fails.
run_quietly() {
  local title=$1
  shift
  if ! "$@" >"$build_log" 2>&1; then
    cat "$build_log"
    echo "$title failed." >&2
    exit 1
  fi
}

# wait_for SECONDS COMMAND...: polls until the command succeeds.
wait_for() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    if [ $SECONDS -ge $deadline ]; then
      echo "Gave up waiting for: $*" >&2
      return 1
    fi
    sleep 0.2
  done
}

say "Checking the build tools"
tools/install-deps.sh demo
say "Building the service and the Tolvan simulator (the first build takes a few minutes)"
run_quietly "Configuring" cmake --preset linux-release
run_quietly "Building" cmake --build build/linux-release --target CratemarkService tolvansim xbengine

bin="$root/build/linux-release/bin"
program=$(mktemp -d /tmp/cratemark-demo.XXXXXX)

say "Laying out a program folder: $program"
cp "$bin/CratemarkService" "$bin/libxbengine.so" "$program/"
cp "$root/tools/demo/LabelDesign.txt" "$program/"
"$bin/tolvansim" printers "$program" PreLabel Label1 Label2
printf 'SPLDirSource=PreLabel\r\nSPLDirDest=Label1\r\nSPLDirBackup=Label2\r\nLabelsText=Labels\r\nTimeText=Time:\r\nMapText=Map:\r\nTotalText=Total:\r\n' \
  >"$program/Cratemark.cfg"
echo "   CratemarkService, libxbengine.so   the label service and the xBase engine"
echo "   LabelDesign.txt                    the label design, with its tags"
echo "   Cratemark.cfg                      orders come from PreLabel, labels go to Label1"
echo "                                      (Label2 is the backup printer)"
echo "   TolvanSpool.DBF, PreLabel/ Label1/ Label2/   Tolvan's printers"

say "Starting Tolvan's spooler for Label1: what it prints is shown below"
"$bin/tolvansim" serve "$program/Label1" 2>/dev/null &
wait_for 10 test -f "$program/Label1/LOCKSPL.DBF"

say "Starting the label service"
"$program/CratemarkService" &
wait_for 10 grep -qs 'Backup Spool Directory' "$program/Cratemark.txt"
sleep 0.5 # the source lock table is opened after the last directory line
status=$(tr -d '\r\n' <"$program/Cratemark.err")
if [ "$status" != 0 ]; then
  tr -d '\r' <"$program/Cratemark.txt"
  echo "The service reports status $status instead of 0." >&2
  exit 1
fi
echo "   Running with status 0: settings, design and printers all in order."

# order NAME DESCRIPTION "REFERENCE|ITEM|MODIFIER..."...: Tolvan prints an
# order to PreLabel; waits until its labels have come out of Label1.
order() {
  local name=$1 description=$2
  shift 2
  sleep 1 # time to read what came before
  say "Tolvan prints $description to PreLabel"
  "$bin/tolvansim" order "$program/PreLabel" "$name" "$@"
  wait_for 15 test ! -e "$program/PreLabel/$name"
  wait_for 15 test ! -e "$program/Label1/$name"
}

order order1001.spl "order 1001 (two labels)" \
  "Ann Smith|2 Margherita Pizza|extra basil|well done" "Ann Smith|Garlic Bread"
order order1002.spl "order 1002 (three labels)" \
  "Bob Newman|Fish and Chips|no vinegar" "Bob Newman|Apple Pie|custard|warm" \
  "Bob Newman|Lemonade"

say "The service's activity log (Cratemark.txt)"
tr -d '\r' <"$program/Cratemark.txt"
say "Status (Cratemark.err): $(tr -d '\r\n' <"$program/Cratemark.err"), all in order"

say "Stopping the service and the spooler"
cleanup
echo "Done. Run tools/run-demo.sh again to watch once more."
