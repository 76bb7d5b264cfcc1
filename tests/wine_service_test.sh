#!/usr/bin/env bash
# The Windows service under Wine's service control manager: install (with the
# registration values), start, handle a job, pause, continue, interrogate,
# stop, uninstall. Every step that fails stops the test with its name.
# Usage: wine_service_test.sh BIN_DIR
set -euo pipefail
bin_dir=$1
source "$(dirname "$0")/wine_test_lib.sh"
# The wineserver is made persistent for the service and killed at the end.
wine_test_prefix service CRATEMARK_SERVICE_WINEPREFIX
one_run_at_a_time service-test

keep_artifacts_in "$(artifacts_dir "$bin_dir")"
program=$(mktemp -d /tmp/cratemark-wine-service.XXXXXX)
keep_service_log "$program"
remove_at_exit "$program"
remove_service_at_exit "$bin_dir"
trap 'echo "FAILED at line $LINENO: $BASH_COMMAND" >&2' ERR

control() { wine_step 30 "$bin_dir/service_control.exe" "$1" srvCratemark | tr -d '\r'; }

wine_step 120 cmd /c exit >/dev/null 2>&1 || true  # prefix ready
wine_persistent_server
# A registration left by an earlier run that was killed would make the
# install fail (with a message box).
wine_step 30 sc delete srvCratemark >/dev/null 2>&1 || true

cp "$bin_dir/CratemarkService.exe" "$bin_dir/XBENGINE.DLL" "$program/"
mkdir "$program/PreLabel" "$program/Label1" "$program/Label2"
printf 'SPLDirSource=PreLabel\r\nSPLDirDest=Label1\r\nSPLDirBackup=Label2\r\n' >"$program/Cratemark.cfg"
printf '<Reference>: <Item Name>\r\n' >"$program/LabelDesign.txt"

wine_step 60 "$program/CratemarkService.exe" /INSTALL /SILENT || fail "install"
installed=1
[ "$(control query)" = STOPPED ] || fail "not registered after install"
registration=$(wine_step 60 reg query 'HKLM\System\CurrentControlSet\Services\srvCratemark' | tr -d '\r')
for value in "DisplayName    REG_SZ    Veltrane's Cratemark Service" \
  "Start    REG_DWORD    0x2" "Type    REG_DWORD    0x10" "ErrorControl    REG_DWORD    0x1" \
  'ObjectName    REG_SZ    NT SERVICE\srvCratemark' \
  'ImagePath    REG_SZ    "Z:'"${program//\//\\}"'\CratemarkService.exe"'; do
  grep -qF "$value" <<<"$registration" || fail "registration lacks: $value"$'\n'"$registration"
done

[ "$(control describe)" = "Prints box labels for Tolvan's orders" ] ||
  fail "description: $(control describe)"
# One event source, whose messages come from the service program itself.
event_source='HKLM\System\CurrentControlSet\Services\EventLog\Application\srvCratemark'
source_values=$(wine_step 60 reg query "$event_source" | tr -d '\r')
for value in 'EventMessageFile    REG_EXPAND_SZ    Z:'"${program//\//\\}"'\CratemarkService.exe' \
  'TypesSupported    REG_DWORD    0x7'; do
  grep -qF "$value" <<<"$source_values" || fail "event source lacks: $value"$'\n'"$source_values"
done
# Each kind of entry reads as our text in Event Viewer, formatted from the
# registered module (IDs with the severity bits windmc gives them).
for event in '0xC0000001|The label service met an error: a reason' \
  '0x80000002|The label service has halted and prints no labels until this is put right: a reason' \
  '0xC0000003|The label service did not start: a reason'; do
  text=$(wine_step 30 "$bin_dir/service_control.exe" message "$(winepath -w "$program/CratemarkService.exe" 2>/dev/null)" \
    "${event%%|*}" "a reason" | tr -d '\r')
  [ "$text" = "${event#*|}" ] || fail "event ${event%%|*} reads: $text"
done

# An engine library every user may write: the start-up check names it once
# (Wine makes the DACL it reports from the Unix permissions).
chmod o+w "$program/XBENGINE.DLL"
wine_step 60 sc start srvCratemark >/dev/null || fail "sc start"
wait_for 30 grep -qs 'Backup Spool Directory' "$program/Cratemark.txt" || fail "no start lines"
wait_for 10 grep -qs 'WARNING: Everyday users can replace ".*XBENGINE.DLL", which the service runs (Everyone' \
  "$program/Cratemark.txt" || fail "no warning of the writable engine library"
chmod o-w "$program/XBENGINE.DLL"
[ "$(control query)" = RUNNING ] || fail "not running after start"
[ "$(tr -d '\r\n' <"$program/Cratemark.err")" = 0 ] || fail "status $(cat "$program/Cratemark.err")"

drop_job "$program/PreLabel" job Ann Soup
wait_for 15 test -f "$program/Label1/job.spl" || fail "job not delivered"
wait_for 5 test ! -f "$program/PreLabel/job.spl" || fail "job not deleted"
[ "$(cat "$program/Label1/job.spl")" = $'Ann: Soup\r' ] || fail "label text: $(cat -A "$program/Label1/job.spl")"

# The console reading the log (sharing writing and deleting) never fails the
# service's append; a name used twice never replaces labels that wait.
"$wine_run" "$bin_dir/service_control.exe" hold "$(winepath -w "$program/Cratemark.txt" 2>/dev/null)" 8 &
holder=$!
sleep 2
drop_job "$program/PreLabel" job Bob Tea
wait_for 15 test -f "$program/Label1/job-2.spl" || fail "second job of the name not delivered beside the first"
[ "$(cat "$program/Label1/job.spl")" = $'Ann: Soup\r' ] || fail "the first labels were replaced"
wait_for 5 grep -q 'Sending to .*job-2.spl' "$program/Cratemark.txt" || fail "log line of the free name missing"
wait "$holder" || fail "holding the log open"

# A label printer's folder that cannot be written: the backup takes the labels.
mv "$program/Label1" "$program/Label1.away"
drop_job "$program/PreLabel" away Cy Pie
wait_for 15 test -f "$program/Label2/away.spl" || fail "labels not sent to the backup"
grep -q 'Could not write to' "$program/Cratemark.txt" || fail "write failure not logged"
mv "$program/Label1.away" "$program/Label1"

# Settings that cannot be read at a reload halt with a log line and a
# status, and are tried again until they can be.
mv "$program/Cratemark.cfg" "$program/Cratemark.cfg.away"
mkdir "$program/Cratemark.cfg"
: >"$program/CratemarkConfigChanged"
wait_for 15 grep -q 'The service takes no job' "$program/Cratemark.txt" || fail "no line for the failed reload"
[ "$(tr -d '\r\n' <"$program/Cratemark.err")" = 9 ] || fail "status $(cat "$program/Cratemark.err") for a failed reload"
rmdir "$program/Cratemark.cfg"
mv "$program/Cratemark.cfg.away" "$program/Cratemark.cfg"
status_is() { [ "$(tr -d '\r\n' <"$program/Cratemark.err")" = "$1" ]; }
wait_for 30 status_is 0 || fail "not running again after the settings came back"

# A job of another layout is kept, unchanged, in Unprinted.
printf 'odd\r\n' >"$program/PreLabel/odd.tmp" && mv "$program/PreLabel/odd.tmp" "$program/PreLabel/odd.spl"
wait_for 20 test -f "$program/Unprinted/odd.spl" || fail "job of another layout not kept"
[ "$(cat "$program/Unprinted/odd.spl")" = $'odd\r' ] || fail "kept job changed"

[ "$(control pause)" = PAUSED ] || fail "pause"
wait_for 10 test ! -f "$program/Cratemark.txt" || fail "log not deleted at pause"
[ "$(control continue)" = RUNNING ] || fail "continue"
wait_for 10 test -f "$program/Cratemark.txt" || fail "log not back at continue"
grep -q 'Stopping service' "$program/Cratemark.txt" || fail "earlier lines missing after continue"
grep -q 'Deleting' "$program/Cratemark.txt" || fail "job lines missing after continue"
[ "$(control interrogate)" = RUNNING ] || fail "interrogate"
[ "$(grep -c 'WARNING: Everyday users' "$program/Cratemark.txt")" = 1 ] ||
  fail "the warning is not once per start"

[ "$(control stop)" = STOPPED ] || fail "stop"
wait_for 10 test ! -f "$program/Cratemark.txt" || fail "log not deleted at stop"
wine_step 60 "$program/CratemarkService.exe" /UNINSTALL /SILENT || fail "uninstall"
installed=0
[ "$(control query)" = ABSENT ] || fail "still registered after uninstall"
if wine_step 60 reg query "$event_source" >/dev/null 2>&1; then fail "event source left after uninstall"; fi
echo "wine service test passed"
