#!/usr/bin/env bash
# The Windows console's notification area under Wine on a virtual screen: the
# balloon it asks for when it starts beside a halted service (a screenshot of
# what Wine draws is kept, and Wine's systray trace shows what was asked for),
# the window hidden by its close button while the service's log can be read,
# with the console still running; the Setup page's "Start at logon in the
# notification area" writing and removing the user's Run value; and "/TRAY"
# starting it with no window.
# Usage: wine_console_tray_test.sh <bin dir>
set -euo pipefail

bin=$(cd "$1" && pwd)
source "$(dirname "$0")/wine_test_lib.sh"
artifacts=$(artifacts_dir "$bin")
wine_test_prefix ui CRATEMARK_UI_WINEPREFIX

keep_artifacts_in "$artifacts"
keep_on_failure "$artifacts/console-tray-wine.log"
work=$(mktemp -d)
console_pid=""
remove_at_exit "$work"
on_exit '[ -n "$console_pid" ] && kill "$console_pid" 2>/dev/null'

cp "$bin/Cratemark.exe" "$work/"
[ -f "$bin/XBENGINE.DLL" ] && cp "$bin/XBENGINE.DLL" "$work/"
printf 'SPLDirSource=PreLabel\r\nSPLDirDest=Label1\r\nSPLDirBackup=Label2\r\n' >"$work/Cratemark.cfg"
printf '01/02/2026 10:00:00 : ! Starting service...\r\n' >"$work/Cratemark.txt"
printf '2\r\n' >"$work/Cratemark.err"
make_printer_table "$work" PreLabel Label1 Label2

run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
run_value() { "$wine_run" reg query "$run_key" /v Cratemark 2>/dev/null | tr -d '\r' | grep -i 'Cratemark' || true; }

# Before Wine's first call: the prefix's desktop comes up on this screen.
start_virtual_screen
"$wine_run" reg delete "$run_key" /v Cratemark /f >/dev/null 2>&1 || true

# The systray channel traces each Shell_NotifyIconW: NIM_ADD (0) for the
# icon, NIM_MODIFY (1) only for a balloon.
WINEDEBUG=trace+systray "$wine_run" "$work/Cratemark.exe" >"$artifacts/console-tray-wine.log" 2>&1 &
console_pid=$!

window=""
find_console() { window=$(xdotool search --onlyvisible --name "Veltrane's Cratemark" 2>/dev/null | head -n1 || true); [ -n "$window" ]; }
wait_for 60 find_console || fail "the console window did not appear"

# Status 2 at start: a balloon saying the label printer is not configured.
asked_for_balloon() { grep -q 'Shell_NotifyIconW dwMessage = 1,' "$artifacts/console-tray-wine.log"; }
wait_for 20 asked_for_balloon || fail "the console asked for no balloon"
# Wine draws balloons in a window of its own (explorer's), when it has a tray.
other_window() {
  xdotool search --onlyvisible --name '.' 2>/dev/null | grep -vx "$window" | head -n1 | grep -q .
}
wait_for 10 other_window || echo "note: Wine under Xvfb drew no tray window"
# News that comes while the tray stands: labels at the backup printer.
printf '01/02/2026 10:01:00 : ! Alert backup: Labels for Label1 print on the backup printer Label2: Label1 is down\r\n' >>"$work/Cratemark.txt"
balloons() { grep -c 'Shell_NotifyIconW dwMessage = 1,' "$artifacts/console-tray-wine.log" || true; }
second_balloon() { [ "$(balloons)" -ge 2 ]; }
wait_for 20 second_balloon || fail "no balloon asked for the backup alert line"
# Wine draws the balloon beside its tray window for a few seconds, when it
# draws it at all: the screenshot with the most of the screen lit is kept.
best=0
for i in $(seq 1 12); do
  sleep 0.5
  import -window root "$work/shot.png"
  lit=$(convert "$work/shot.png" -crop 1024x160+0+0 +repage -threshold 50% -format '%[fx:int(mean*163840)]' info:)
  if [ "$lit" -gt "$best" ]; then
    best=$lit
    cp "$work/shot.png" "$artifacts/console-tray-balloon.png"
  fi
done
echo "screenshot: $artifacts/console-tray-balloon.png"

# The Setup page's check box writes the Run value, a second click removes it.
xdotool mousemove --window "$window" 170 10 click 1
sleep 1
box_x=412 box_y=349
xdotool mousemove --window "$window" "$box_x" "$box_y" click 1
has_run_value() { run_value | grep -qi 'Cratemark.exe" /TRAY'; }
wait_for 20 has_run_value || fail "no Run value after the check box ($(run_value))"
echo "Run value: $(run_value)"
import -window root "$artifacts/console-tray-logon-box.png"
echo "screenshot: $artifacts/console-tray-logon-box.png"
xdotool mousemove --window "$window" "$box_x" "$box_y" click 1
no_run_value() { [ -z "$(run_value)" ]; }
wait_for 20 no_run_value || fail "the Run value stayed after the box was cleared"

# Closing while the service's log can be read hides the window; the console
# goes on in the notification area.
xdotool mousemove --window "$window" 300 200 click 1
xdotool key --window "$window" alt+F4
window_gone() { ! xdotool search --onlyvisible --name "Veltrane's Cratemark" 2>/dev/null | grep -q .; }
wait_for 20 window_gone || fail "the window stayed after closing"
sleep 1
kill -0 "$console_pid" 2>/dev/null || fail "closing the window ended the console"
kill "$console_pid" 2>/dev/null || true
wineserver -k >/dev/null 2>&1 || true
wait "$console_pid" 2>/dev/null || true
console_pid=""

# Started at logon: the icon only, no window.
"$wine_run" "$work/Cratemark.exe" /TRAY >>"$artifacts/console-tray-wine.log" 2>&1 &
console_pid=$!
started() { xdotool search --name "Veltrane's Cratemark" 2>/dev/null | grep -q .; }
wait_for 60 started || fail "the console did not start with /TRAY"
sleep 2
xdotool search --onlyvisible --name "Veltrane's Cratemark" 2>/dev/null | grep -q . &&
  fail "/TRAY showed the window"
kill -0 "$console_pid" 2>/dev/null || fail "the console with /TRAY ended"
echo "PASS"
