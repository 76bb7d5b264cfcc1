#!/usr/bin/env bash
# "Setup Tolvan Labels" on copies of Tolvan's label table as other xBase
# programs write them (tests/foreign_tables/make_tables.py): the Linux
# console in tmux, as a person would use it, once per table. A table it
# applies to may change only inside its first record's first 39 fields and
# the header's date; a table it refuses stays as it was, and the message
# names the reason. Messages and screens are kept in the artifacts folder.
# Usage: foreign_tables_test.sh <bin dir>
set -euo pipefail

bin=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
artifacts=${CRATEMARK_ARTIFACTS_DIR:-$bin/../artifacts}/foreign_tables
mkdir -p "$artifacts"
python=/usr/bin/python3  # Debian's, with python3-dbf
work=$(mktemp -d /tmp/cft.XXXXXX)
socket="cratemark-foreign-$$"
tm() { LC_ALL=C.UTF-8 tmux -u -L "$socket" "$@"; }
cleanup() {
  tm kill-server >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

source "$here/test_lib.sh"
screen() { tm capture-pane -p -t console; }
fail() {
  echo "FAIL ($case): $*" >&2
  screen >&2 || true
  exit 1
}
shows() { screen | grep -qF -- "$1"; }
wait_screen() { wait_for 10 shows "$1" || fail "the screen does not show \"$1\""; }
keys() { tm send-keys -t console "$@"; sleep 0.15; }
# The text of the message box that shows "Failed to set values", on one line.
message_text() {
  screen | "$python" -c '
import sys
rows = sys.stdin.read().splitlines()
top = next(i for i, r in enumerate(rows) if "Failed to set values" in r)
left = rows[top].rfind("\u2502", 0, rows[top].index("Failed to set values"))
right = rows[top].index("\u2502", left + 1)
words = []
for row in rows[top:]:
    if "[ OK ]" in row:
        break
    words += row[left + 1:right].split()
print(" ".join(words))'
}

"$python" "$here/foreign_tables/make_tables.py" "$work/tables"
tm new-session -d -s test -n console -x 160 -y 45 "sleep 600"
count=0
for table in "$work/tables"/*/; do
  case=$(basename "$table")
  program="$work/programs/$case"
  mkdir -p "$program/run"
  cp "$table"/LBLPRDEF.* "$program/"
  # The host's printer table, which the Setup page lists.
  (cd "$program" && dbfcreate TolvanSpool -s SubDir 20 >/dev/null &&
    dbfadd TolvanSpool.dbf PreLabel >/dev/null && mv TolvanSpool.dbf TolvanSpool.DBF)
  mapfile -t expect <"$table/expect"

  tm respawn-pane -k -t console \
    "export TERM=tmux-256color LC_ALL=C.UTF-8 XDG_RUNTIME_DIR=\"$program/run\"; \
     \"$bin/Cratemark\" --program-dir \"$program\"; echo EXITED; sleep 600"
  wait_screen "Log Info"
  keys F3 BTab BTab Enter  # the Setup page's last button
  wait_screen "Are you sure?"
  keys Enter  # Yes
  if [ "${expect[0]}" = applied ]; then
    wait_screen "Changes applied"
  else
    wait_screen "Failed to set values. Run REBASER"
    message=$(message_text)
    echo "$message" >"$artifacts/$case.txt"
    [[ "$message" == *"${expect[1]}"* ]] || fail "the message does not say \"${expect[1]}\": $message"
  fi
  screen >"$artifacts/$case-screen.txt"
  keys Enter F10
  wait_screen "EXITED"
  "$python" "$here/foreign_tables/check_table.py" "$table" "$program" "${expect[0]}" ||
    fail "the table is not as it should be"
  echo "ok: $case (${expect[0]})"
  count=$((count + 1))
done
[ "$count" -ge 8 ] || fail "only $count tables were tried"
