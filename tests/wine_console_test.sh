#!/usr/bin/env bash
# The Windows console under Wine on a virtual screen: it starts, a second
# start ends at once, it shows each page, the program picture's balloon hint,
# the about box, which Enter closes, and the Label Editor's preview window with
# the tag check's warnings for text typed but not saved. A screenshot of each
# is kept in the artifacts folder beside bin/ for a reviewer to open.
# Usage: wine_console_test.sh <bin dir>
set -euo pipefail

bin=$(cd "$1" && pwd)
source "$(dirname "$0")/wine_test_lib.sh"
artifacts=$(artifacts_dir "$bin")
# Killing the prefix's wineserver at the end ends every program started in
# it, so no console is left holding the single-instance mutex for the next run.
wine_test_prefix ui CRATEMARK_UI_WINEPREFIX

keep_artifacts_in "$artifacts"
keep_on_failure "$artifacts/console-wine.log" "$artifacts/console-second-start.log"
work=$(mktemp -d)
console_pid=""
remove_at_exit "$work"
on_exit '[ -n "$console_pid" ] && kill "$console_pid" 2>/dev/null'

# A program folder with the programs, the engine and something to show.
cp "$bin/Cratemark.exe" "$work/"
for extra in CratemarkService.exe XBENGINE.DLL; do
  [ -f "$bin/$extra" ] && cp "$bin/$extra" "$work/"
done
printf 'SPLDirSource=PreLabel\r\nSPLDirDest=Label1\r\nSPLDirBackup=label2\r\nLabelsText=Labels\r\nTimeText=Time:\r\nMapText=Map:\r\nTotalText=Total:\r\n' >"$work/Cratemark.cfg"
# With printer control characters and two tags that would print as written.
printf '\002L\r\n<Label Header>\r\n<Reference>\r\n<Item Name>\r\n<Item Mod[1]>\r\n<Adress> <Item Mod[01]>\r\n\033E\r\n' >"$work/LabelDesign.txt"
printf '01/02/2026 10:00:00 : ! Starting service...\r\n01/02/2026 10:00:00 : ! Source Spool Directory is: "C:\\POS\\PreLabel"\r\n' >"$work/Cratemark.txt"
printf '2\r\n' >"$work/Cratemark.err"
# The host's printer table: the Setup page lists these and preselects the
# configured ones (Label2 for "label2": case is ignored).
make_printer_table "$work" PreLabel Label1 Label2 Kitchen

start_virtual_screen

"$wine_run" "$work/Cratemark.exe" >"$artifacts/console-wine.log" 2>&1 &
console_pid=$!

window=""
find_console() { window=$(xdotool search --name "Veltrane's Cratemark" 2>/dev/null | head -n1 || true); [ -n "$window" ]; }
wait_for 60 find_console || fail "the console window did not appear"

# The console's top-level windows on the screen (main window, about box,
# balloon hint), one line each.
visible_windows() { xdotool search --onlyvisible --class cratemark.exe 2>/dev/null || true; }
read -r window_x window_y < <(xdotool getwindowgeometry "$window" |
  sed -n 's/.*Position: \([0-9]*\),\([0-9]*\).*/\1 \2/p')
# A fingerprint of the page area (tabs and page, not the status bar, whose
# clock and blinking message change on their own).
page_sum() {
  import -window root -crop "633x420+$window_x+$window_y" +repage rgb:- 2>/dev/null | md5sum
}

# Clicks a tab (retried while the page does not change, in case the click
# came before the window was ready) and keeps a screenshot once the new page
# has been drawn: two fingerprints in a row that are equal and differ from
# the page before.
show_page() {
  local x=$1 name=$2 before last="" now tries=0
  before=$(page_sum)
  for tries in $(seq 0 59); do
    ((tries % 12 == 0)) && xdotool mousemove --window "$window" "$x" 10 click 1
    sleep 0.25
    now=$(page_sum)
    if [ "$now" != "$before" ] && [ "$now" = "$last" ]; then
      import -window root "$artifacts/console-$name.png"
      echo "screenshot: $artifacts/console-$name.png"
      return 0
    fi
    last=$now
  done
  fail "the page $name did not show"
}
# The first instance has painted its window before the second one starts.
painted() {
  local first second
  first=$(page_sum) && sleep 0.3 && second=$(page_sum) && [ "$first" = "$second" ]
}
wait_for 30 painted || fail "the console window was not painted"

# A second start by the same user ends at once with exit code 0. One retry
# when Wine itself fails to start the program (its log is kept): a second
# instance that misbehaves does so both times.
second_start() {
  local start=$SECONDS
  timeout 60 "$wine_run" "$work/Cratemark.exe" >"$artifacts/console-second-start.log" 2>&1 || return $?
  [ $((SECONDS - start)) -lt 30 ] || fail "second start did not end at once"
}
if ! second_start; then
  second_start || fail "second start exited with $? ($(tail -n 3 "$artifacts/console-second-start.log"))"
fi
count=$(xdotool search --name "Veltrane's Cratemark" 2>/dev/null | wc -l)
[ "$count" -eq 1 ] || fail "$count console windows after a second start"

show_page 110 label-editor
show_page 170 setup

# The program picture on the Setup page: its balloon hint while the mouse
# rests on it, the about box on a double click.
picture_x=512 picture_y=312
xdotool mousemove --window "$window" "$picture_x" "$picture_y"
has_second_window() { [ "$(visible_windows | wc -l)" -ge 2 ]; }
wait_for 10 has_second_window || fail "no balloon hint over the program picture"
sleep 0.5  # the balloon fades in
import -window root "$artifacts/console-setup-hint.png"
echo "screenshot: $artifacts/console-setup-hint.png"

about=""
find_about() {
  local id
  for id in $(visible_windows); do
    if xdotool getwindowgeometry "$id" | grep -q 'Geometry: 408x241'; then about=$id; return 0; fi
  done
  return 1
}
for _ in 1 2 3; do
  xdotool mousemove --window "$window" "$picture_x" "$picture_y" click --repeat 2 --delay 80 1
  wait_for 5 find_about && break
done
[ -n "$about" ] || fail "a double click on the program picture did not open the about box"
# Its face is the white panel (a black face means nothing painted it).
read -r about_x about_y < <(xdotool getwindowgeometry "$about" |
  sed -n 's/.*Position: \([0-9]*\),\([0-9]*\).*/\1 \2/p')
white_pixels() {
  import -window root -crop "402x219+$about_x+$about_y" +repage txt:- | grep -c '#FFFFFF' || true
}
panel_drawn() { [ "$(white_pixels)" -gt 20000 ]; }
wait_for 5 panel_drawn || fail "the about box shows no white panel"
import -window root "$artifacts/console-about.png"
echo "screenshot: $artifacts/console-about.png"

# Enter presses OK, the default button. Without a window manager the box has
# the keyboard only once it is given the X focus.
about_open() { visible_windows | grep -qx "$about"; }
about_closed() { ! about_open; }
for _ in 1 2 3 4 5; do
  xdotool windowfocus "$about" >/dev/null 2>&1 || true
  xdotool key Return
  wait_for 2 about_closed && break
done
about_open && fail "Enter did not close the about box"

show_page 25 log-info

# The Label Editor's preview: text typed at the end of the design (not
# saved) and the fourth button, "Pre&view", which opens a window beside the
# console with the label and the tag check's warnings.
show_page 110 label-editor
xdotool windowfocus "$window" >/dev/null 2>&1 || true
xdotool mousemove --window "$window" 400 200 click 1
xdotool key ctrl+End
xdotool type --delay 40 'Tel <Phon> <Item Mod[n]>'
preview=""
find_preview() { preview=$(xdotool search --name "Label Preview" 2>/dev/null | head -n1 || true); [ -n "$preview" ]; }
for _ in 1 2 3; do
  xdotool mousemove --window "$window" 385 395 click 1
  wait_for 5 find_preview && break
done
[ -n "$preview" ] || fail "the Preview button did not open the preview window"
read -r preview_x preview_y preview_w preview_h < <(xdotool getwindowgeometry "$preview" |
  sed -n 's/.*Position: \([0-9]*\),\([0-9]*\).*/\1 \2/p; s/.*Geometry: \([0-9]*\)x\([0-9]*\).*/\1 \2/p' | paste -sd' ')
preview_sum() {
  import -window root -crop "${preview_w}x${preview_h}+$preview_x+$preview_y" +repage rgb:- 2>/dev/null | md5sum
}
# Drawn: its face is steady and shows more than a few colours (text on the
# views, not a blank window).
preview_drawn() {
  local first second colours
  first=$(preview_sum) && sleep 0.4 && second=$(preview_sum) && [ "$first" = "$second" ] || return 1
  colours=$(import -window root -crop "${preview_w}x${preview_h}+$preview_x+$preview_y" +repage -format %k info: 2>/dev/null)
  [ "${colours:-0}" -gt 8 ]
}
wait_for 15 preview_drawn || fail "the preview window was not drawn"
import -window root "$artifacts/console-label-preview.png"
echo "screenshot: $artifacts/console-label-preview.png"

# A ZPL design in place of the text: the preview shows the label's picture.
# The picture stands on the image control's grey ground, which the text
# views do not have.
grey_dots() {
  import -window root -crop "${preview_w}x${preview_h}+$preview_x+$preview_y" +repage txt:- 2>/dev/null |
    grep -c '#808080' || true
}
[ "$(grey_dots)" -lt 100 ] || fail "the text preview already shows a picture"
xdotool windowfocus "$window" >/dev/null 2>&1 || true
# The editor's left part, clear of the preview window.
xdotool mousemove --window "$window" 250 150 click 1
xdotool key ctrl+Home shift+ctrl+End
xdotool type --delay 20 '^XA^PW400^LL300^FO10,10^GB380,280,6^FS^FO30,40^A0N,60,60^FDTable 12^FS^FO30,150^BY2^BCN,80,Y^FD12345^FS^XZ'
picture_shown() { [ "$(grey_dots)" -gt 1000 ] && preview_drawn; }
wait_for 15 picture_shown || fail "the preview did not change to the label's picture"
import -window root "$artifacts/console-label-preview-zpl.png"
echo "screenshot: $artifacts/console-label-preview-zpl.png"

# The History page: an order the service kept, and one waiting in Unprinted.
now_ns=$(date +%s%N)
mkdir -p "$work/Printed" "$work/Unprinted"
{
  printf 'Cratemark printed order 1\r\nTime=%s\r\nName=1001.spl\r\nWhere=printer\r\n' "$now_ns"
  printf 'Printer=Label1\r\n\r\n'
  for i in $(seq 0 99); do
    case $i in 0) printf 'Ann Smith' ;; 20) printf 'Soup' ;; 21) printf 'no salt' ;; esac
    printf '\r\n'
  done
} >"$work/Printed/000000000001-$now_ns.job"
printf 'Bob Smith\r\n2 Tea\r\n' >"$work/Unprinted/1000.spl"
show_page 215 history

# Still running: nothing on the way ended it.
kill -0 "$console_pid" 2>/dev/null || fail "the console ended while pages were shown"
echo "PASS"
