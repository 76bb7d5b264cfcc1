#!/usr/bin/env bash
# The console and the service side by side under Wine on a virtual screen:
# Save & Activate makes the service reload, "Test Print" makes a label come
# out, and stopping the service makes the status message blink in red.
# Screenshots go to the artifacts folder beside bin/.
# Usage: wine_console_service_test.sh <bin dir>
set -euo pipefail

bin=$(cd "$1" && pwd)
source "$(dirname "$0")/wine_test_lib.sh"
artifacts=$(artifacts_dir "$bin")
# The wineserver is made persistent for the service and killed at the end.
wine_test_prefix console CRATEMARK_CONSOLE_WINEPREFIX

keep_artifacts_in "$artifacts"
keep_on_failure "$artifacts/console-service-wine.log"
program=$(mktemp -d /tmp/cratemark-wine-console.XXXXXX)
keep_service_log "$program"
installed=0
console_pid=""
remove_at_exit "$program"
on_exit 'if [ "$installed" = 1 ]; then
    "$wine_run" sc stop srvCratemark >/dev/null 2>&1
    "$wine_run" "$program/CratemarkService.exe" /UNINSTALL /SILENT >/dev/null 2>&1
  fi'
on_exit '[ -n "$console_pid" ] && kill "$console_pid" 2>/dev/null'
starts() { grep -c 'Starting service' "$program/Cratemark.txt" 2>/dev/null || echo 0; }

cp "$bin/Cratemark.exe" "$bin/CratemarkService.exe" "$bin/XBENGINE.DLL" "$program/"
mkdir "$program/PreLabel" "$program/Label1" "$program/Label2"
printf 'SPLDirSource=PreLabel\r\nSPLDirDest=Label1\r\nSPLDirBackup=Label2\r\nLabelsText=Labels\r\nTimeText=Time:\r\nMapText=Map:\r\nTotalText=Total:\r\n' >"$program/Cratemark.cfg"
printf '<Reference> <Item Name>\r\n<Order Time>\r\n' >"$program/LabelDesign.txt"
make_printer_table "$program" PreLabel Label1 Label2

start_virtual_screen

"$wine_run" cmd /c exit >/dev/null 2>&1 || true  # prefix ready
wine_persistent_server

"$wine_run" "$program/CratemarkService.exe" /INSTALL /SILENT || fail "service install"
installed=1
"$wine_run" sc start srvCratemark >/dev/null || fail "sc start"
wait_for 30 grep -q '^0' "$program/Cratemark.err" || fail "no status 0 after start"

"$wine_run" "$program/Cratemark.exe" >"$artifacts/console-service-wine.log" 2>&1 &
console_pid=$!
window=""
wait_for 60 bash -c "xdotool search --name \"Veltrane's Cratemark\" >/dev/null 2>&1" ||
  fail "the console window did not appear"
window=$(xdotool search --name "Veltrane's Cratemark" | head -n1)

# Window-relative points of the tabs and buttons (the client area is 633 x 444).
click() { xdotool mousemove --window "$window" "$1" "$2" click 1; }
# Clicks a tab and then a button on its page until the condition holds:
# a click that came before the window or the page was ready is repeated.
# Both buttons used here may be pressed more than once.
click_until() {
  local tab_x=$1 button_x=$2 button_y=$3 deadline=$((SECONDS + $4)) next=0
  shift 4
  until "$@"; do
    [ $SECONDS -lt $deadline ] || return 1
    if [ $SECONDS -ge $next ]; then
      click "$tab_x" 10
      sleep 0.3
      click "$button_x" "$button_y"
      next=$((SECONDS + 4))
    fi
    sleep 0.2
  done
}
shot() { import -window root "$artifacts/console-service-$1.png"; }

# Any pure red in the status message area, in one of several shots spread
# over a few seconds: the text blinks, and one shot may take longer than a
# blink phase, so two shots can both land on the dark phase.
status_red() {
  local geometry x y count
  geometry=$(xdotool getwindowgeometry "$window" | sed -n 's/.*Position: \([0-9]*\),\([0-9]*\).*/\1 \2/p')
  read -r x y <<<"$geometry"
  local deadline=$((SECONDS + $1))
  while [ $SECONDS -lt $deadline ]; do
    count=$(import -window root png:- | convert - -crop "490x20+$x+$((y + 423))" +repage txt:- |
      grep -c '#FF0000' || true)
    [ "$count" -gt 0 ] && return 0
    sleep 0.3
  done
  return 1
}

status_red 3 && fail "a status message shows while the service runs"

# Save & Activate: the marker makes the service reload.
before=$(starts)
reloaded() { [ "$(starts)" -gt "$before" ]; }
# "Setup", then "Save & Activate".
click_until 170 454 384 30 reloaded || fail "the service did not reload after Save & Activate"
wait_for 10 test ! -f "$program/CratemarkConfigChanged" || fail "marker not taken"
shot setup

# Test Print: the service turns the test job into a label for Label1.
# "Label Editor", then "Test Print".
click_until 110 523 395 30 test -f "$program/Label1/TestLabel.spl" || fail "no label came out"
grep -q 'Time: ' "$program/Label1/TestLabel.spl" || fail "label text: $(cat "$program/Label1/TestLabel.spl")"
click 25 10 # "Log Info"
# The log view shows the service's line about the label once the page is up.
log_shows_label() { grep -q 'Sending to .*Label1.TestLabel.spl' "$program/Cratemark.txt"; }
wait_for 10 log_shows_label || fail "no log line for the label"
sleep 1 # at least two console ticks, so the view holds that line
shot log-info

# Stopping the service: "Cratemark Service is not running!!!" blinks.
"$wine_run" sc stop srvCratemark >/dev/null || fail "sc stop"
wait_for 10 test ! -f "$program/Cratemark.txt" || fail "log not deleted at stop"
status_red 10 || fail "no red status message after the service stopped"
shot service-stopped
echo "PASS"
