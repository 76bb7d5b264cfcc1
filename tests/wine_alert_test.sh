#!/usr/bin/env bash
# The alert command of the Windows service under Wine: /ALERT keeps it in the
# service's registry key and nothing in the program folder, /TESTALERT runs
# it, the running service runs it on a halt, /UNINSTALL removes it.
# Usage: wine_alert_test.sh BIN_DIR
set -euo pipefail
bin_dir=$1
source "$(dirname "$0")/wine_test_lib.sh"
# The service's own prefix: it shares the service name with the service test.
wine_test_prefix service CRATEMARK_SERVICE_WINEPREFIX
one_run_at_a_time service-test

keep_artifacts_in "$(artifacts_dir "$bin_dir")"
program=$(mktemp -d /tmp/cratemark-wine-alert.XXXXXX)
keep_service_log "$program"
remove_at_exit "$program"
remove_service_at_exit "$bin_dir"
trap 'echo "FAILED at line $LINENO: $BASH_COMMAND" >&2' ERR

wine_step 120 cmd /c exit >/dev/null 2>&1 || true  # prefix ready
wine_persistent_server
wine_step 30 sc delete srvCratemark >/dev/null 2>&1 || true

cp "$bin_dir/CratemarkService.exe" "$bin_dir/XBENGINE.DLL" "$program/"
mkdir "$program/PreLabel" "$program/Label1" "$program/Label2"
printf 'SPLDirSource=PreLabel\r\nSPLDirDest=Label1\r\nSPLDirBackup=Label2\r\n' >"$program/Cratemark.cfg"
# The script that records its arguments lives outside the program folder.
scripts=$(mktemp -d /tmp/cratemark-wine-alert-script.XXXXXX)
remove_at_exit "$scripts"
printf '@echo %%1^|%%2^|%%~3^|%%~4>>"%s"\r\n' "Z:${scripts//\//\\}\\alerts.txt" >"$scripts/alert.cmd"
command_line="C:\\windows\\system32\\cmd.exe /c Z:${scripts//\//\\}\\alert.cmd"
listing_before=$(ls -A "$program")

wine_step 60 "$program/CratemarkService.exe" /INSTALL /SILENT || fail "install"
installed=1
wine_step 30 "$program/CratemarkService.exe" /ALERT "$command_line" /SILENT || fail "/ALERT"
alert_command_value | grep -qF "AlertCommand    REG_SZ    $command_line" ||
  fail "registry value: $(alert_command_value)"
[ "$(ls -A "$program")" = "$listing_before" ] || fail "/ALERT wrote into the program folder: $(ls -A "$program")"

output=$(wine_step 60 "$program/CratemarkService.exe" /TESTALERT | tr -d '\r') || fail "/TESTALERT: $output"
grep -qF "exited with status 0" <<<"$output" || fail "/TESTALERT said: $output"
grep -qF "test|0|Z:" "$scripts/alerts.txt" || fail "test run recorded: $(cat "$scripts/alerts.txt")"

# A halt: the design is missing.
wine_step 60 sc start srvCratemark >/dev/null || fail "sc start"
wait_for 30 grep -qs '^halted|5|' "$scripts/alerts.txt" ||
  fail "no halted run: $(cat "$scripts/alerts.txt")"
grep -qF 'LabelDesign.txt does not exist.' "$scripts/alerts.txt" || fail "halted message: $(cat "$scripts/alerts.txt")"
grep -q '! Alert halted: ' "$program/Cratemark.txt" || fail "no log line for the alert"
wine_step 30 "$bin_dir/service_control.exe" stop srvCratemark >/dev/null || fail "stop"

wine_step 60 "$program/CratemarkService.exe" /UNINSTALL /SILENT || fail "uninstall"
installed=0
[ -z "$(alert_command_value)" ] || fail "value left after /UNINSTALL: $(alert_command_value)"
echo "wine_alert_test: passed"
