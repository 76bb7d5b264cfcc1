#!/usr/bin/env bash
# The Linux console in a real terminal, driven in tmux as a person would,
# beside the real label service, a simulated Tolvan spooler and real tables:
# what only a real terminal shows. Keys as the terminal sends them (function
# keys, Alt, Shift, UTF-8 typing), the files the console writes (settings,
# design, a test job that the service prints, Tolvan's label table checked
# with dbfread), the versions of the installed programs in the about box,
# the log view following the service, a resize below the smallest size and
# back, one instance per user, and the terminal given back on F10, Ctrl-C,
# SIGTERM and SIGHUP. Pages, focus, message boxes and the layout at every
# size are the fake-screen test's (console/formMain_terminal_test.cpp).
# Every check reads the screen back with capture-pane; the screens are kept
# in the artifacts folder. Runs at 80x24 and at a larger size.
# Usage: terminal_console_test.sh <bin dir>
set -euo pipefail
source "$(dirname "$0")/test_lib.sh"

bin=$(cd "$1" && pwd)
artifacts=${CRATEMARK_ARTIFACTS_DIR:-$bin/../artifacts}/terminal_console
mkdir -p "$artifacts"
python=/usr/bin/python3  # Debian's, with python3-dbf and python3-dbfread
socket=""
work=$(mktemp -d /tmp/cmt.XXXXXX)
pids=()

tm() { LC_ALL=C.UTF-8 tmux -u -L "$socket" "$@"; }
cleanup() {
  if [ -n "$socket" ]; then tm kill-server >/dev/null 2>&1 || true; fi
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

screen() { tm capture-pane -p -t console; }
shows() { screen | grep -qF -- "$1"; }
hides() { ! shows "$1"; }
fail() {
  echo "FAIL ($size): $*" >&2
  echo "--- screen:" >&2
  screen >&2 || true
  exit 1
}
# wait_screen TEXT [SECONDS] / wait_gone TEXT [SECONDS]: until the screen
# shows TEXT / no longer shows it.
wait_screen() { wait_for "${2:-8}" shows "$1" || fail "the screen does not show \"$1\""; }
wait_gone() { wait_for "${2:-8}" hides "$1" || fail "the screen still shows \"$1\""; }
wait_file() { wait_for 8 test -e "$1" || fail "no file $1"; }
# file_is FILE TEXT: the file holds exactly TEXT.
file_is() { printf '%s' "$2" | cmp -s - "$1"; }
keys() { tm send-keys -t console "$@"; sleep 0.15; }
keep() { screen >"$artifacts/$size-$1.txt"; }
# tab_to TEXT: Tab until the screen shows TEXT (the hint of the control reached).
tab_to() {
  local tabs=0
  until shows "$1"; do
    [ $tabs -lt 8 ] || fail "Tab does not reach \"$1\""
    keys Tab
    tabs=$((tabs + 1))
  done
}

# start_console: the console in the pane; the pane reports how it ended and
# whether the terminal is back in its usual mode (line editing and echo on).
start_console() {
  rm -f "$program/console.pid"
  tm respawn-pane -k -t console \
    "export TERM=$terminal LC_ALL=$locale; \
     sh -c 'echo \$\$ >\"$program/console.pid\"; exec $launch'; \
     echo \"EXITED \$?\"; stty -a | tr ' ;' '\n\n' | grep -xE -- '-?(icanon|echo)' | tr '\n' ' '; \
     echo; sleep 600"
  wait_file "$program/console.pid"
  console_pid=$(cat "$program/console.pid")
  wait_screen "Log Info"
}
# expect_restored: the console ended and the terminal is as it was.
expect_restored() {
  wait_screen "EXITED 0"
  wait_screen "icanon"  # the modes, as stty reports them after the exit
  shows "icanon echo" || fail "terminal modes not restored"
  [ "$(tm display -p -t console '#{alternate_on}')" = 0 ] || fail "still on the alternate screen"
  kill -0 "$console_pid" 2>/dev/null && fail "the console still runs"
  return 0
}

# make_program_dir: the programs, three printers, a design and a copy of
# Tolvan's label printer definition: 39 fields of the kinds the console
# writes, one more that must keep its value, and one record.
make_program_dir() {
  mkdir -p "$program/run"
  cp "$bin/Cratemark" "$bin/CratemarkService" "$bin/libxbengine.so" "$program/"
  "$bin/tolvansim" printers "$program" PreLabel Label1 Label2
  printf 'Ref: <Reference>\r\nItem: <Item Name>\r\n' >"$program/LabelDesign.txt"
  (cd "$program" && "$python" - <<'PY'
import dbf
specs = []
for i in range(1, 40):
    kind = "L" if i in (23, 32, 35, 38, 39) else "N(5,0)"
    specs.append("F%02d %s" % (i, kind))
specs.append("PRINTER C(10)")
table = dbf.Table("LBLPRDEF.DBF", "; ".join(specs), codepage="cp1252")
table.open(dbf.READ_WRITE)
table.append(tuple([7 if f != "L" else True for f in
                    ["L" if i in (23, 32, 35, 38, 39) else "N" for i in range(1, 40)]] + ["Zebra"]))
table.close()
PY
  )
  [ -f "$program/LBLPRDEF.DBF" ] || mv "$program"/[Ll][Bb][Ll]*.[Dd][Bb][Ff] "$program/LBLPRDEF.DBF"
}

# Log Info first: without a service its status message blinks; a second
# start by the same user ends at once, saying why.
check_start() {
  wait_screen "Cratemark Service is not running!!!"
  wait_screen "Veltrane's Cratemark"
  keep log-info-no-service
  [ -f "$program/Cratemark.cfg" ] || fail "no settings file created at start"
  local out
  out=$("$program/Cratemark" 2>&1 </dev/null) || fail "second start failed"
  [ "$out" = "Cratemark is already running for this user." ] || fail "second start said: $out"
}

# Setup: each printer chosen by typing its first letter, the captions typed,
# Save & Activate by its Alt key; the settings and the change marker written.
check_setup_page() {
  keys F3
  wait_screen "Source Printer:"
  wait_screen "PreLabel"
  keys P Tab L Tab L L  # source, destination, backup
  tab_to "Double click for info."  # past the help, which scrolls on a small terminal
  keys Tab Labels Tab Time: Tab Map: Tab Total:
  keep setup
  keys M-s
  local expected=$'SPLDirSource=PreLabel\r\nSPLDirDest=Label1\r\nSPLDirBackup=Label2\r\nLabelsText=Labels\r\nTimeText=Time:\r\nMapText=Map:\r\nTotalText=Total:\r\n'
  wait_file "$program/CratemarkConfigChanged"
  file_is "$program/Cratemark.cfg" "$expected" || fail "settings: $(cat -A "$program/Cratemark.cfg")"
  file_is "$program/CratemarkConfigChanged" "$expected" || fail "the marker differs"
  keys F1
  wait_screen "-> Configuration file saved!"
  wait_screen "*** Restarting Application ***"
}

# Label Editor: a tag from the list goes in at the caret, a line is typed
# (with UTF-8 where the terminal has it), the preview stands beside the
# editor (over it when narrow) and follows it; the design is saved in its
# own encoding, and "Revert to Last" takes the saved design back.
check_label_editor() {
  keys F2
  wait_screen "<Revenue Center>"  # the list is up (at 80 x 24 its last tags lie below)
  wait_screen "Ref: <Reference>"
  keys End  # the last tag: cut at 80 columns, it is named whole in the hint line
  [ "$cols" -gt 80 ] || wait_screen "<Transaction Description>  Double click on a tag"
  keys Up Up Up Up Up Enter  # <Phone>, inserted at the start of the first line
  wait_screen "<Phone>Ref: <Reference>"
  keys Enter "Mods: <Item Mod[1]>"
  if [ "$locale" = C.UTF-8 ]; then
    keys Home "Größe " End
    wait_screen "Größe Mods: <Item Mod[1]>"
  fi
  keep label-editor
  keys M-v
  wait_screen "Label Preview"
  wait_screen "202-111-2222Ref: Customer Name"
  keys F6 Escape  # the keyboard to the preview, which Esc closes
  wait_gone "Label Preview"
  rm -f "$program/CratemarkConfigChanged"
  keys M-s  # Save Design
  wait_file "$program/CratemarkConfigChanged"
  local design=$'<Phone>Ref: <Reference>\r\nMods: <Item Mod[1]>\r\nItem: <Item Name>\r\n'
  # Saved in the design's own encoding: here the ANSI code page (1252).
  [ "$locale" = C.UTF-8 ] && design=$'<Phone>Ref: <Reference>\r\nGr\xf6\xdfe Mods: <Item Mod[1]>\r\nItem: <Item Name>\r\n'
  file_is "$program/LabelDesign.txt" "$design" || fail "design: $(cat -A "$program/LabelDesign.txt")"
  # A misspelt tag, typed but not saved, shows in the preview's tag check.
  # Back on the page the tag list has the keyboard; Enter inserts its tag
  # and hands it on.
  keys F1 F2 Enter " <Adress>"
  keys M-v
  wait_screen "<Adress>: unknown tag"
  keep label-preview
  keys F6 Escape
  wait_gone "Label Preview"
  keys M-r
  wait_gone "<Adress>"
  file_is "$program/LabelDesign.txt" "$design" || fail "design changed by the preview"
  # A ZPL label, typed but not saved, shows as its picture: half blocks in
  # the UTF-8 terminal, ASCII shades in the plain one.
  keys F1 F2 Enter
  tm send-keys -t console -l '^XA^PW400^LL300^FO10,10^GB380,280,8^FS^FO30,40^A0N,60,60^FDTable 12^FS^XZ'
  sleep 0.15
  keys M-v
  wait_screen "Picture / text"
  if [ "$locale" = C.UTF-8 ]; then wait_screen "▀▀▀▀▀▀▀▀"; else wait_screen "========"; fi
  keep label-preview-zpl
  keys F6 Escape
  wait_gone "Label Preview"
  keys M-r
  wait_gone "Table 12"
  file_is "$program/LabelDesign.txt" "$design" || fail "design changed by the preview"
}

# The service and Label1's spooler start; the console sees the service, and
# a test print goes through it to the label printer. The log view keeps
# where the user scrolled to while the log stays the same.
check_service() {
  "$bin/tolvansim" serve "$program/Label1" >"$program/spooler.out" 2>&1 &
  pids+=($!)
  "$program/CratemarkService" >"$program/service.out" 2>&1 &
  pids+=($!)
  service_pid=$!
  keys F1
  wait_screen "! Starting service..." 15
  wait_gone "Cratemark Service is not running!!!"
  keep log-info
  keys F2
  wait_screen "Test"
  keys M-p
  keys F1
  wait_screen "Loading from" 15
  wait_screen "Deleting" 15
  wait_for 10 grep -q "202-111-2222Ref: Customer Name" "$program/spooler.out" ||
    fail "no label printed: $(cat "$program/spooler.out")"
  keep log-info-test-print
  # The view opened at the newest line ("Deleting" above); taken to the
  # oldest, it stays there while the timer ticks.
  keys Home
  wait_screen " 1/"
  sleep 1.2  # two ticks of the console's timer
  shows " 1/" || fail "the log view lost its scroll position"
}

# History: the test print just delivered is listed; Reprint and Reprint
# Label go through the service again, marked REPRINT; an order waiting in
# Unprinted comes first, shows what was ordered and is removed after a yes.
check_history() {
  printf '<Reprint>|Ref: <Reference>\r\n' >"$program/LabelDesign.txt"
  mkdir -p "$program/Unprinted"
  printf 'Bob Smith\r\n2 Soup\r\n' >"$program/Unprinted/odd.spl"
  keys F4
  wait_screen "TestLabel.spl"
  wait_screen "* NOT PRINTED"
  wait_screen "1 order waits in Unprinted"
  keys Down Down  # the second row: the test print
  wait_screen "1: 99 Item Name Goes Here"
  keep history
  keys M-p
  wait_screen "Reprint-TestLabel-1.spl;"
  keys Enter
  wait_for 15 grep -q "REPRINT|Ref: Customer Name" "$program/spooler.out" ||
    fail "no reprint printed: $(cat "$program/spooler.out")"
  tab_to "Choose a label for Reprint Label"
  keys Down  # its first label
  keys M-l
  # The first number free again: the service has taken the first reprint.
  wait_screen "Sent label 1 of TestLabel.spl again as"
  keys Enter
  wait_for 15 sh -c "! ls '$program/PreLabel' | grep -q Reprint-" || fail "the label was not taken"
  [ "$(grep -c "REPRINT|Ref: Customer Name" "$program/spooler.out")" -ge 2 ] ||
    fail "no reprinted label: $(cat "$program/spooler.out")"
  keys M-f  # read again
  tab_to "Choose an order to see its labels"
  keys Home  # the first row
  wait_screen "Bob Smith"
  keep history-unprinted
  keys M-m
  wait_screen "Remove the order odd.spl from Unprinted?"
  keys y
  wait_gone "* NOT PRINTED"
  [ ! -e "$program/Unprinted/odd.spl" ] || fail "the waiting order was not removed"
}

# "Setup Tolvan Labels" (the page's last button): Yes writes the 39 values
# into the real table, the other field keeps its value.
check_setup_tolvan_labels() {
  keys F3 BTab BTab Enter
  wait_screen "This will reset the Label Setup in Tolvan. Are you sure?"
  wait_screen "WARNING!!!!"
  keep setup-tolvan-labels
  keys Enter  # Yes is the default answer
  wait_screen "Changes applied"
  keys Enter
  wait_gone "Changes applied"
  (cd "$program" && "$python" - <<'PY') || fail "the label table does not hold the 39 values"
import dbfread
records = list(dbfread.DBF("LBLPRDEF.DBF"))
assert len(records) == 1, records
values = list(records[0].values())
expected = [99, 21, 120, 0, 55, 1, 0, 11, 0, 10, 0, 8, 0, 9, 12, 0, 1, 1, 1, 1, 2, 0, False,
            5, 0, 6, 0, 7, 0, 4, 0, False, 3, 0, False, 1, 0, False, False]
assert values[:39] == expected, values
assert values[39] == "Zebra", values
PY
}

# The about box shows the versions of the programs beside it; a terminal
# made too small says so, and the console draws again once it is larger.
check_about_and_resize() {
  keys F3
  tab_to "Double click for info."
  keys Enter
  # The versions are read from the whole program files, tens of MB in a
  # sanitizer build, at a few MB a second there.
  wait_screen "Cratemark v1.1.1.5" 40
  wait_screen "CratemarkService v1.0.0.0"
  keep about
  keys Enter
  wait_gone "Cratemark v1.1.1.5"
  tm resize-window -t console -x 60 -y 20
  wait_screen "too small"
  keep too-small
  tm resize-window -t console -x "$cols" -y "$rows"
  wait_screen "Setup Tolvan"
}

# F10, Ctrl-C, SIGTERM and SIGHUP (a lost SSH session) give the terminal
# back; ended while it asks whether to reset Tolvan's label setup, it writes
# nothing.
check_ways_out() {
  keys F10
  expect_restored
  start_console
  keys C-c
  expect_restored
  local signal
  for signal in TERM HUP; do
    start_console
    kill -s "$signal" "$console_pid"
    expect_restored
  done
  start_console
  keys F3 BTab BTab Enter
  wait_screen "Are you sure?"
  local written
  written=$(stat -c %.9Y "$program/LBLPRDEF.DBF")
  kill -s TERM "$console_pid"
  expect_restored
  [ "$(stat -c %.9Y "$program/LBLPRDEF.DBF")" = "$written" ] || fail "the label table was written"
}

# run_at COLUMNS ROWS TERM LOCALE [--program-dir]: with --program-dir the
# console runs from the build folder and is told where the program folder is.
run_at() {
  cols=$1
  rows=$2
  size="${cols}x${rows}"
  terminal=$3
  locale=$4
  program="$work/$size"
  launch="\"$program/Cratemark\""
  [ "${5:-}" = --program-dir ] && launch="\"$bin/Cratemark\" --program-dir \"$program\""
  export XDG_RUNTIME_DIR="$program/run"  # the one-instance lock of this run alone
  make_program_dir
  socket="cratemark-test-$$-$size"  # a tmux server of its own for each run
  tm new-session -d -s test -n console -x "$cols" -y "$rows" "sleep 600"
  start_console
  check_start
  check_setup_page
  check_label_editor
  check_service
  check_history
  check_setup_tolvan_labels
  check_about_and_resize
  check_ways_out
  kill "$service_pid"
  tm kill-server >/dev/null 2>&1 || true
  echo "ok: $size"
}

# A plain terminal without Unicode, and a large one with it.
run_at 80 24 screen C
run_at 140 40 tmux-256color C.UTF-8 --program-dir
