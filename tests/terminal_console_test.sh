#!/usr/bin/env bash
# The Linux console in a terminal, driven in tmux as a person would, beside
# the real label service and a simulated Tolvan spooler: it chooses the
# printers and saves, edits and saves the design, sends a test print and
# sees the service's log lines, prepares a copy of Tolvan's label table
# (checked with dbfread), opens and closes the about box, says when the
# terminal is too small, keeps one instance per user, and gives the terminal
# back on F10, Ctrl-C, SIGTERM and SIGHUP. Every check reads the screen
# back with capture-pane; the screens are kept in the artifacts folder.
# Runs at 80x24 and at a larger size.
# Usage: terminal_console_test.sh <bin dir>
set -euo pipefail

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
fail() {
  echo "FAIL ($size): $*" >&2
  echo "--- screen:" >&2
  screen >&2 || true
  exit 1
}
# wait_screen TEXT [SECONDS]: until the screen shows TEXT.
wait_screen() {
  local deadline=$((SECONDS + ${2:-8}))
  until screen | grep -qF -- "$1"; do
    [ $SECONDS -lt $deadline ] || fail "the screen does not show \"$1\""
    sleep 0.1
  done
}
# wait_gone TEXT [SECONDS]: until the screen no longer shows TEXT.
wait_gone() {
  local deadline=$((SECONDS + ${2:-8}))
  while screen | grep -qF -- "$1"; do
    [ $SECONDS -lt $deadline ] || fail "the screen still shows \"$1\""
    sleep 0.1
  done
}
wait_file() {
  local deadline=$((SECONDS + 8))
  until [ -e "$1" ]; do
    [ $SECONDS -lt $deadline ] || fail "no file $1"
    sleep 0.1
  done
}
# file_is FILE TEXT: the file holds exactly TEXT.
file_is() { printf '%s' "$2" | cmp -s - "$1"; }
keys() { tm send-keys -t console "$@"; sleep 0.15; }
keep() { screen >"$artifacts/$size-$1.txt"; }
# tab_to TEXT: Tab until the screen shows TEXT (the hint of the control reached).
tab_to() {
  local tabs=0
  until screen | grep -qF -- "$1"; do
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
  screen | grep -q "icanon echo" || fail "terminal modes not restored"
  [ "$(tm display -p -t console '#{alternate_on}')" = 0 ] || fail "still on the alternate screen"
  kill -0 "$console_pid" 2>/dev/null && fail "the console still runs"
  return 0
}

# run_at COLUMNS ROWS TERM LOCALE [--program-dir]: with --program-dir the
# console runs from the build folder and is told where the program folder is.
run_at() {
  size="$1x$2"
  terminal=$3
  locale=$4
  program="$work/$size"
  mkdir -p "$program/run"
  launch="\"$program/Cratemark\""
  [ "${5:-}" = --program-dir ] && launch="\"$bin/Cratemark\" --program-dir \"$program\""
  export XDG_RUNTIME_DIR="$program/run"  # the one-instance lock of this run alone
  cp "$bin/Cratemark" "$bin/CratemarkService" "$bin/libxbengine.so" "$program/"
  "$bin/tolvansim" printers "$program" PreLabel Label1 Label2
  printf 'Ref: <Reference>\r\nItem: <Item Name>\r\n' >"$program/LabelDesign.txt"
  # A copy of Tolvan's label printer definition: 39 fields of the kinds the
  # console writes, one more that must keep its value, and one record.
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

  socket="cratemark-test-$$-$size"  # a tmux server of its own for each run
  tm new-session -d -s test -n console -x "$1" -y "$2" "sleep 600"
  start_console

  # Log Info first; without a service its status message blinks.
  wait_screen "Cratemark Service is not running!!!"
  wait_screen "Veltrane's Cratemark"
  keep log-info-no-service
  [ -f "$program/Cratemark.cfg" ] || fail "no settings file created at start"

  # A second start by the same user ends at once, saying why.
  out=$("$program/Cratemark" 2>&1 </dev/null) || fail "second start failed"
  [ "$out" = "Cratemark is already running for this user." ] || fail "second start said: $out"

  # Setup: the lists sorted, each printer chosen by typing its first letter.
  keys F3
  wait_screen "Source Printer:"
  wait_screen "PreLabel"
  keys P Tab L Tab L L  # source, destination, backup
  tab_to "Double click for info."  # past the help, which scrolls on a small terminal
  keys Tab  # the first caption
  keys Labels Tab Time: Tab Map: Tab Total:
  keep setup
  keys M-s  # Save & Activate
  expected=$'SPLDirSource=PreLabel\r\nSPLDirDest=Label1\r\nSPLDirBackup=Label2\r\nLabelsText=Labels\r\nTimeText=Time:\r\nMapText=Map:\r\nTotalText=Total:\r\n'
  wait_file "$program/CratemarkConfigChanged"
  file_is "$program/Cratemark.cfg" "$expected" || fail "settings: $(cat -A "$program/Cratemark.cfg")"
  file_is "$program/CratemarkConfigChanged" "$expected" || fail "the marker differs"
  keys F1
  wait_screen "-> Configuration file saved!"
  wait_screen "*** Restarting Application ***"

  # Label Editor: a tag from the list goes in at the caret, then a new line.
  keys F2
  wait_screen "<Transaction"
  wait_screen "Ref: <Reference>"
  keys End  # the last tag: cut at 80 columns, it is named whole in the hint line
  [ "$1" -gt 80 ] || wait_screen "<Transaction Description>  Double click on a tag"
  keys Up Up Up Up Enter  # <Phone>, inserted at the start of the first line
  wait_screen "<Phone>Ref: <Reference>"
  keys Enter "Mods: <Item Mod[1]>"
  if [ "$locale" = C.UTF-8 ]; then
    keys Home "Größe " End
    wait_screen "Größe Mods: <Item Mod[1]>"
  fi
  keep label-editor
  # The preview stands beside the editor (over it when narrow) and follows it.
  keys M-v
  wait_screen "Label Preview"
  wait_screen "202-111-2222Ref: Customer Name"
  keys F6 Escape  # the keyboard to the preview, which Esc closes
  wait_gone "Label Preview"
  rm -f "$program/CratemarkConfigChanged"
  keys M-s  # Save Design
  wait_file "$program/CratemarkConfigChanged"
  design=$'<Phone>Ref: <Reference>\r\nMods: <Item Mod[1]>\r\nItem: <Item Name>\r\n'
  # Saved in the design's own encoding: here the ANSI code page (1252).
  [ "$locale" = C.UTF-8 ] && design=$'<Phone>Ref: <Reference>\r\nGr\xf6\xdfe Mods: <Item Mod[1]>\r\nItem: <Item Name>\r\n'
  file_is "$program/LabelDesign.txt" "$design" || fail "design: $(cat -A "$program/LabelDesign.txt")"
  # A misspelt tag, typed but not saved, shows in the preview's tag check;
  # "Revert to Last" then takes the saved design back. Back on the page the
  # tag list has the keyboard; Enter inserts its tag and hands it on.
  keys F1 F2 Enter " <Adress>"
  keys M-v
  wait_screen "<Adress>: unknown tag"
  keep label-preview
  keys F6 Escape
  wait_gone "Label Preview"
  keys M-r
  wait_gone "<Adress>"
  file_is "$program/LabelDesign.txt" "$design" || fail "design changed by the preview"

  # The service and Label1's spooler start; the console sees the service.
  "$bin/tolvansim" serve "$program/Label1" >"$program/spooler.out" 2>&1 &
  pids+=($!)
  "$program/CratemarkService" >"$program/service.out" 2>&1 &
  pids+=($!)
  service_pid=$!
  keys F1
  wait_screen "! Starting service..." 15
  wait_gone "Cratemark Service is not running!!!"
  keep log-info

  # A test print goes through the service to the label printer.
  keys F2
  wait_screen "Test"
  keys M-p
  keys F1
  wait_screen "Loading from" 15
  wait_screen "Deleting" 15
  local deadline=$((SECONDS + 10))
  until grep -q "202-111-2222Ref: Customer Name" "$program/spooler.out"; do
    [ $SECONDS -lt $deadline ] || fail "no label printed: $(cat "$program/spooler.out")"
    sleep 0.1
  done
  keep log-info-test-print

  # The log view keeps where the user scrolled to while the log stays the same.
  keys Down Down
  wait_screen " 3/"
  sleep 1.2  # two ticks of the console's timer
  screen | grep -qF " 3/" || fail "the log view lost its scroll position"

  # "Setup Tolvan Labels": No changes nothing, Yes writes the 39 values.
  keys F3 BTab BTab Enter  # the last button of the page
  wait_screen "This will reset the Label Setup in Tolvan. Are you sure?"
  wait_screen "WARNING!!!!"
  keep setup-tolvan-labels
  keys n
  wait_screen "Aborted modification"
  keys Enter
  wait_gone "Aborted modification"
  keys Enter
  wait_screen "Are you sure?"
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

  # The about box: Enter on the program picture opens it, Enter closes it.
  keys F3
  tab_to "Double click for info."  # the three lists, the help when it scrolls, the picture
  keys Enter
  wait_screen "Cratemark v1.1.1.5"
  wait_screen "CratemarkService v1.0.0.0"
  keep about
  keys Enter
  wait_gone "Cratemark v1.1.1.5"

  # Too small: said plainly; back to size: drawn again.
  tm resize-window -t console -x 60 -y 20
  wait_screen "too small"
  keep too-small
  tm resize-window -t console -x "$1" -y "$2"
  wait_screen "Setup Tolvan"

  keys F10
  expect_restored

  # Ctrl-C, SIGTERM and SIGHUP (a lost SSH session) give the terminal back too.
  start_console
  keys C-c
  expect_restored
  for signal in TERM HUP; do
    start_console
    kill -s "$signal" "$console_pid"
    expect_restored
  done
  # Ended while it asks whether to reset Tolvan's label setup: nothing is written.
  start_console
  keys F3 BTab BTab Enter
  wait_screen "Are you sure?"
  written=$(stat -c %.9Y "$program/LBLPRDEF.DBF")
  kill -s TERM "$console_pid"
  expect_restored
  [ "$(stat -c %.9Y "$program/LBLPRDEF.DBF")" = "$written" ] || fail "the label table was written"

  kill "$service_pid"
  tm kill-server >/dev/null 2>&1 || true
  echo "ok: $size"
}

# A plain terminal without Unicode, and a large one with it.
run_at 80 24 screen C
run_at 140 40 tmux-256color C.UTF-8 --program-dir
