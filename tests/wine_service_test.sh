#!/usr/bin/env bash
# The Windows service under Wine's service control manager: install, start,
# handle a job, pause, continue, stop, uninstall.
# Usage: wine_service_test.sh BIN_DIR
set -euo pipefail
bin_dir=$1
source_dir=$(cd "$(dirname "$0")/.." && pwd)
wine_run="$source_dir/tools/wine-run"
# A prefix of its own: the wineserver is made persistent and killed at the
# end, which must not touch other programs running in the shared prefix.
export CRATEMARK_WINEPREFIX="${CRATEMARK_SERVICE_WINEPREFIX:-$HOME/.cache/cratemark-wine-service}"
export WINEPREFIX="$CRATEMARK_WINEPREFIX"
export WINEDEBUG=-all

program=$(mktemp -d /tmp/cratemark-wine-service.XXXXXX)
installed=0
cleanup() {
  if [ "$installed" = 1 ]; then
    "$wine_run" sc stop srvCratemark >/dev/null 2>&1 || true
    "$wine_run" "$program/CratemarkService.exe" /UNINSTALL /SILENT >/dev/null 2>&1 || true
  fi
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$program"
}
trap cleanup EXIT

fail() { echo "FAILED: $*" >&2; [ -f "$program/Cratemark.txt" ] && cat "$program/Cratemark.txt" >&2; exit 1; }

# wait_for SECONDS CONDITION...
wait_for() {
  local deadline=$((SECONDS + $1)); shift
  until "$@"; do
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.2
  done
}

"$wine_run" cmd /c exit >/dev/null 2>&1 || true  # prefix ready
wineserver -p || true  # already persistent

cp "$bin_dir/CratemarkService.exe" "$bin_dir/XBENGINE.DLL" "$program/"
mkdir "$program/PreLabel" "$program/Label1" "$program/Label2"
printf 'SPLDirSource=PreLabel\r\nSPLDirDest=Label1\r\nSPLDirBackup=Label2\r\n' >"$program/Cratemark.cfg"
printf '<Reference>: <Item Name>\r\n' >"$program/LabelDesign.txt"

"$wine_run" "$program/CratemarkService.exe" /INSTALL /SILENT || fail "install"
installed=1
"$wine_run" sc start srvCratemark >/dev/null || fail "sc start"
wait_for 30 grep -q '^0' "$program/Cratemark.err" || fail "no status 0 after start"

{ printf 'Ann\r\n'; for i in $(seq 1 19); do printf '\r\n'; done; printf 'Soup\r\n'
  for i in $(seq 1 79); do printf '\r\n'; done; } >"$program/PreLabel/job.spl"
wait_for 15 test -f "$program/Label1/job.spl" || fail "job not delivered"
wait_for 5 test ! -f "$program/PreLabel/job.spl" || fail "job not deleted"
[ "$(cat "$program/Label1/job.spl")" = $'Ann: Soup\r' ] || fail "label text: $(cat -A "$program/Label1/job.spl")"

"$wine_run" "$bin_dir/service_control.exe" pause srvCratemark || fail "pause"
wait_for 10 test ! -f "$program/Cratemark.txt" || fail "log not deleted at pause"
"$wine_run" "$bin_dir/service_control.exe" continue srvCratemark || fail "continue"
wait_for 10 test -f "$program/Cratemark.txt" || fail "log not back at continue"
grep -q 'Stopping service' "$program/Cratemark.txt" || fail "earlier lines missing after continue"
grep -q 'Deleting' "$program/Cratemark.txt" || fail "job lines missing after continue"

"$wine_run" sc stop srvCratemark >/dev/null || fail "sc stop"
wait_for 10 test ! -f "$program/Cratemark.txt" || fail "log not deleted at stop"
"$wine_run" "$program/CratemarkService.exe" /UNINSTALL /SILENT || fail "uninstall"
installed=0
echo "wine service test passed"
