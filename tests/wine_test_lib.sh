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
# The service manager is then booted by a command of ours: it and every
# service it starts inherit that command's environment and error output, so
# with keep_artifacts_in they write Wine's messages into wine-services.log,
# with Wine's event-log channel on (Wine keeps no event log: ReportEvent's
# text goes to that channel) for them alone.
wine_persistent_server() {
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  wineserver -p
  if [ -n "$kept_dir" ]; then
    WINEDEBUG="${CRATEMARK_SERVICE_WINEDEBUG:-+eventlog}" timeout 60 "$wine_run" sc query \
      srvCratemark >/dev/null 2>>"$kept_dir/wine-services.log" || true
  fi
}

# one_run_at_a_time NAME: other build folders run these tests too, in the
# same prefix; two runs would share the service name and kill each other's
# wineserver. Not the prefix's own lock file, which tools/wine-run takes
# while it boots a new prefix: holding that would block our first Wine call.
one_run_at_a_time() {
  exec 9>"$WINEPREFIX.$1.lock"
  flock -w 240 9 || { echo "FAILED: another run holds $WINEPREFIX.$1.lock" >&2; exit 1; }
}

# wine_step SECONDS COMMAND...: a Windows program that must end in time; a
# message box waiting for a click (nothing may show under SILENT) fails here
# instead of hanging the test.
wine_step() {
  local seconds=$1
  shift
  timeout "$seconds" "$wine_run" "$@"
}

# remove_service_at_exit BIN_DIR: the service is stopped and its
# registration deleted at exit while $installed is 1.
installed=0
remove_service_at_exit() {
  service_control="$1/service_control.exe"
  on_exit 'if [ "$installed" = 1 ]; then
    timeout 30 "$wine_run" "$service_control" stop srvCratemark >/dev/null 2>&1
    timeout 30 "$wine_run" sc delete srvCratemark >/dev/null 2>&1
  fi'
}

# keep_artifacts_in DIR: when the test fails, what says why stays in
# DIR/<test>/ and the test prints where: the service's activity log as last
# seen (keep_service_log), its event-log entries (events.txt, from Wine's
# event-log channel) and Wine's own output for the service (wine-services.log),
# beside the files named with keep_on_failure. A test that passes leaves none.
kept_dir=""
kept_files=()
service_log_keeper=""
keep_artifacts_in() {
  kept_dir="$1/$(basename "$0" .sh)"
  rm -rf "$kept_dir"
  mkdir -p "$kept_dir"
}
keep_on_failure() { kept_files+=("$@"); }

# keep_service_log FOLDER: copies the service's log and status file out of
# FOLDER twice a second while the test runs; the service deletes its log when
# it stops, which is when a failure is often looked at.
keep_service_log() {
  local folder=$1
  [ -n "$kept_dir" ] || return 0
  (
    while :; do
      for file in Cratemark.txt Cratemark.err; do
        if [ -f "$folder/$file" ] && cp "$folder/$file" "$kept_dir/.$file" 2>/dev/null; then
          mv -f "$kept_dir/.$file" "$kept_dir/$file" || true
        fi
      done
      sleep 0.5
    done
  ) &
  service_log_keeper=$!
}

report_kept() {
  local status=$1
  if [ -n "$service_log_keeper" ]; then
    kill "$service_log_keeper" 2>/dev/null || true
    wait "$service_log_keeper" 2>/dev/null || true
  fi
  [ -n "$kept_dir" ] || return 0
  if [ "$status" -eq 0 ]; then
    rm -rf "$kept_dir"
    return 0
  fi
  if [ -f "$kept_dir/wine-services.log" ]; then
    grep -a -e ':eventlog:' -e 'ReportEvent' "$kept_dir/wine-services.log" >"$kept_dir/events.txt" || true
  fi
  echo "Kept for this failure in $kept_dir/:" >&2
  if [ -f "$kept_dir/Cratemark.txt" ]; then
    echo "  Cratemark.txt       the service's activity log, as last seen" >&2
  fi
  if [ -f "$kept_dir/events.txt" ]; then echo "  events.txt          its event-log entries" >&2; fi
  if [ -f "$kept_dir/wine-services.log" ]; then
    echo "  wine-services.log   Wine's output for the service manager and the service" >&2
  fi
  local file
  for file in "${kept_files[@]}"; do
    if [ -e "$file" ]; then echo "  $file" >&2; fi
  done
  return 0
}

# on_exit COMMAND: run at exit, last registered first; then the prefix's
# wineserver ends, the virtual screen goes and the folders given to
# remove_at_exit are removed, once nothing runs from them any more.
cleanup_commands=()
cleanup_folders=()
on_exit() { cleanup_commands=("$1" "${cleanup_commands[@]}"); }
remove_at_exit() { cleanup_folders+=("$1"); }
run_cleanup() {
  local status=$? command
  report_kept "$status"
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

# alert_command_value: what "reg query" says of the service's alert command
# ("AlertCommand    REG_SZ    ..."), nothing when there is none.
alert_command_value() {
  timeout 30 "$wine_run" reg query 'HKLM\SYSTEM\CurrentControlSet\Services\srvCratemark\Parameters' \
    /v AlertCommand 2>/dev/null | tr -d '\r' | grep -F AlertCommand || true
}
