# Sourced by the tests/wine_*_test.sh scripts: a Wine prefix of the test's
# own, one cleanup list, failure reporting, waiting, a virtual screen and the
# host's printer table.
#
# wine_test_prefix NAME: Wine runs in ~/.cache/cratemark-wine-NAME (or the
# folder in the variable the caller names as its second argument). A prefix
# of its own lets the test kill its wineserver at the end without touching
# programs of other prefixes.
source_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$source_dir/tests/test_lib.sh"
wine_run="$source_dir/tools/wine-run"
export WINEDEBUG=${WINEDEBUG:--all}

wine_test_prefix() {
  local override=${2:-}
  export CRATEMARK_WINEPREFIX="${!override:-$HOME/.cache/cratemark-wine-$1}"
  export WINEPREFIX="$CRATEMARK_WINEPREFIX"
  mkdir -p "$(dirname "$WINEPREFIX")"
}

# wine_persistent_server: after the prefix's first Wine call. A server that
# Wine starts by itself ends as soon as only Wine's own processes are left,
# and a service started through Wine's service manager counts as one of
# them: the server would end, and take the service with it, a few seconds
# after the last command of the test. "wineserver -p" given while a server
# runs changes nothing, so the running one is ended and a persistent one
# started in its place.
wine_persistent_server() {
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  wineserver -p
}

# on_exit COMMAND: run at exit, last registered first; then the prefix's
# wineserver ends, the virtual screen goes and the folders given to
# remove_at_exit are removed, once nothing runs from them any more.
cleanup_commands=()
cleanup_folders=()
on_exit() { cleanup_commands=("$1" "${cleanup_commands[@]}"); }
remove_at_exit() { cleanup_folders+=("$1"); }
run_cleanup() {
  local command
  for command in "${cleanup_commands[@]}"; do eval "$command" || true; done
  wineserver -k >/dev/null 2>&1 || true
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null || true
  [ ${#cleanup_folders[@]} -eq 0 ] || rm -rf "${cleanup_folders[@]}"
}
trap run_cleanup EXIT

# fail MESSAGE: ends the test, showing the activity log of the program folder
# ($program) when there is one.
fail() {
  echo "FAILED: $*" >&2
  if [ -n "${program:-}" ] && [ -f "$program/Cratemark.txt" ]; then cat "$program/Cratemark.txt" >&2; fi
  exit 1
}


# start_virtual_screen: Xvfb on a free-looking display, DISPLAY exported.
xvfb_pid=""
start_virtual_screen() {
  local display=":$((100 + RANDOM % 400))"
  Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY="$display"
  wait_for 20 xdotool getdisplaygeometry >/dev/null 2>&1 || fail "no virtual screen"
}

# artifacts_dir BIN_DIR: where screenshots go for a reviewer to open (the
# artifacts folder beside bin/ unless CRATEMARK_ARTIFACTS_DIR says otherwise).
artifacts_dir() {
  local dir=${CRATEMARK_ARTIFACTS_DIR:-$1/../artifacts}
  mkdir -p "$dir" && echo "$dir"
}

# make_printer_table DIR PRINTER...: the host's TolvanSpool.DBF listing the
# printers' spool folders, written by shapelib's tools as the host would.
make_printer_table() {
  local dir=$1 printer
  shift
  (cd "$dir" && dbfcreate TolvanSpool -s SubDir 20 >/dev/null &&
    for printer in "$@"; do dbfadd TolvanSpool.dbf "$printer" >/dev/null; done) || fail "printer table"
  mv "$dir/TolvanSpool.dbf" "$dir/TolvanSpool.DBF"
}
