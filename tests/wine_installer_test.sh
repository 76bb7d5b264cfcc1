#!/usr/bin/env bash
# The Windows installer under Wine, from a clean start: a silent install into
# a fresh folder holding Tolvan's printer table leaves the service running and
# turning jobs into labels; a second install over the first keeps the user's
# design and settings and starts the service again; the silent uninstaller
# removes the service and the programs and leaves the user's files. The
# service is registered under its own account, also when an upgrade finds
# it under LocalSystem; the permissions the installer sets are read from
# what it asked icacls (Wine keeps no DACL), through a recorder in its place.
# Usage: wine_installer_test.sh SETUP_EXE BIN_DIR
set -euo pipefail
setup=$1
bin_dir=$2
source "$(dirname "$0")/wine_test_lib.sh"
# The wineserver is made persistent for the service and killed at the end.
wine_test_prefix installer CRATEMARK_INSTALLER_WINEPREFIX
# No menu entries on the Linux desktop for the Start-menu shortcut.
# icacls.exe=n: the recorder put in the system folder, not Wine's own.
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=;icacls.exe=n"
one_run_at_a_time installer-test

keep_artifacts_in "$(artifacts_dir "$bin_dir")"
program=$(mktemp -d /tmp/cratemark-wine-installer.XXXXXX)
keep_service_log "$program"
event_source='HKLM\System\CurrentControlSet\Services\EventLog\Application\srvCratemark'
start_menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs"
remove_at_exit "$program"
on_exit 'timeout 30 "$wine_run" "$bin_dir/service_control.exe" stop srvCratemark >/dev/null 2>&1
  timeout 30 "$wine_run" sc delete srvCratemark >/dev/null 2>&1
  timeout 30 "$wine_run" reg delete "$event_source" /f >/dev/null 2>&1
  timeout 30 "$wine_run" reg delete \
    "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Cratemark" /f >/dev/null 2>&1
  rm -f "$start_menu/Cratemark.lnk"'
trap 'echo "FAILED at line $LINENO: $BASH_COMMAND" >&2' ERR

state() { wine_step 30 "$bin_dir/service_control.exe" query srvCratemark | tr -d '\r'; }
is_state() { [ "$(state)" = "$1" ]; }
# Wine itself complains about the volume of Z:, which the installer asks for.
install() { wine_step 120 "$setup" /S "$@" "/D=Z:${program//\//\\}" 2>/dev/null; }

wine_step 120 cmd /c exit >/dev/null 2>&1 || true  # prefix ready
wine_persistent_server
icacls="$WINEPREFIX/drive_c/windows/system32/icacls.exe"
[ -f "$icacls.wine" ] || cp "$icacls" "$icacls.wine"
on_exit 'cp "$icacls.wine" "$icacls"; rm -f "$icacls.log"'
cp "$bin_dir/record_command.exe" "$icacls"
rm -f "$icacls.log"
service_key='HKLM\System\CurrentControlSet\Services\srvCratemark'
account() {
  wine_step 60 reg query "$service_key" /v ObjectName | tr -d '\r' | sed -n 's/^ *ObjectName *REG_SZ *//p'
}
# The icacls commands the installer ran, with the folder as DIR.
icacls_calls() {
  tr -d '\r' <"$icacls.log" | sed -e 's/^"[^"]*" //' -e "s|Z:${program//\//\\\\}|DIR|g"
}
# A registration left by an earlier run that was killed.
wine_step 30 sc delete srvCratemark >/dev/null 2>&1 || true

# Tolvan's folder: the printer table and the printers' spool folders.
mkdir "$program/PreLabel" "$program/Label1" "$program/Label2"
make_printer_table "$program" PreLabel Label1 Label2

install || fail "first install: exit status $?"
for file in Cratemark.exe CratemarkService.exe XBENGINE.DLL "Uninstall Cratemark.exe"; do
  [ -f "$program/$file" ] || fail "$file not installed"
done
cmp -s "$program/LabelDesign.txt" "$source_dir/tools/demo/LabelDesign.txt" ||
  fail "no sample design installed"
[ -f "$start_menu/Cratemark.lnk" ] || fail "no Start-menu entry"
wait_for 30 is_state RUNNING || fail "service $(state) after install"
registration=$(wine_step 60 reg query 'HKLM\System\CurrentControlSet\Services\srvCratemark' | tr -d '\r')
grep -qF 'ImagePath    REG_SZ    "Z:'"${program//\//\\}"'\CratemarkService.exe"' <<<"$registration" ||
  fail "registered program: $registration"
grep -qF 'EventMessageFile    REG_EXPAND_SZ    Z:'"${program//\//\\}"'\CratemarkService.exe' \
  <<<"$(wine_step 60 reg query "$event_source" | tr -d '\r')" || fail "no event source after install"
[ "$(account)" = 'NT SERVICE\srvCratemark' ] || fail "service account after install: $(account)"
# Each installed file alone, the service's Modify on the folder after the
# registration that makes its account known.
file_acl='/inheritance:r /grant:r *S-1-5-18:F *S-1-5-32-544:F *S-1-5-32-545:RX'
folder_acl='/inheritance:r /grant:r *S-1-5-18:(OI)(CI)F *S-1-5-32-544:(OI)(CI)F *S-1-5-32-545:(OI)(CI)RX'
expected_calls=""
for file in Cratemark.exe CratemarkService.exe XBENGINE.DLL cratemark-render.exe LICENSE-zint.txt \
  "Uninstall Cratemark.exe" fonts fonts\\LiberationSansNarrow-Bold.ttf fonts\\DejaVuSansMono-Bold.ttf \
  fonts\\DejaVuSansMono.ttf fonts\\LICENSE-DejaVu.txt fonts\\LICENSE-Liberation.txt; do
  acl=$file_acl
  [ "$file" != fonts ] || acl=$folder_acl
  expected_calls+="\"DIR\\$file\" $acl"$'\n'
done
expected_calls+='"DIR" /grant "NT SERVICE\srvCratemark:(OI)(CI)M"'
[ "$(icacls_calls)" = "$expected_calls" ] ||
  fail "icacls calls:"$'\n'"$(icacls_calls)"$'\n'"expected:"$'\n'"$expected_calls"
[ "$(wine_step 30 "$bin_dir/service_control.exe" describe srvCratemark | tr -d '\r')" = \
  "Prints box labels for Tolvan's orders" ] || fail "no description after install"

# The console's Save & Activate: settings, then the change marker.
printf 'SPLDirSource=PreLabel\r\nSPLDirDest=Label1\r\nSPLDirBackup=Label2\r\n' >"$program/Cratemark.cfg"
: >"$program/CratemarkConfigChanged"
drop_job "$program/PreLabel" first Ann Soup
wait_for 20 test -f "$program/Label1/first.spl" || fail "first job not delivered"
grep -q 'Order for: Ann' "$program/Label1/first.spl" || fail "label: $(cat "$program/Label1/first.spl")"

# The user changes the design and the settings; an upgrade keeps both, and
# the restarted service reads them.
printf 'Custom <Reference> / <Item Name>\r\n' >"$program/LabelDesign.txt"
printf 'SPLDirSource=PreLabel\r\nSPLDirDest=Label2\r\nSPLDirBackup=Label1\r\n' >"$program/Cratemark.cfg"
design_before=$(cat "$program/LabelDesign.txt")
settings_before=$(cat "$program/Cratemark.cfg")
# As an earlier version registered it.
wine_step 60 reg add "$service_key" /v ObjectName /t REG_SZ /d LocalSystem /f >/dev/null ||
  fail "ObjectName not set to LocalSystem"
rm -f "$icacls.log"
install '/ALERT=C:\alerts\alert.cmd' || fail "second install: exit status $?"
[ "$(account)" = 'NT SERVICE\srvCratemark' ] || fail "service account after the upgrade: $(account)"
[ "$(icacls_calls)" = "$expected_calls" ] || fail "icacls calls of the upgrade:"$'\n'"$(icacls_calls)"
alert_command_value | grep -qF 'AlertCommand    REG_SZ    C:\alerts\alert.cmd' ||
  fail "alert command after /ALERT=: $(alert_command_value)"
[ "$(cat "$program/LabelDesign.txt")" = "$design_before" ] || fail "design replaced"
[ "$(cat "$program/Cratemark.cfg")" = "$settings_before" ] || fail "settings replaced"
wait_for 30 is_state RUNNING || fail "service $(state) after the second install"
drop_job "$program/PreLabel" second Bea Tea
wait_for 20 test -f "$program/Label2/second.spl" || fail "second job not delivered by the new settings"
[ "$(tr -d '\r' <"$program/Label2/second.spl")" = 'Custom Bea / Tea' ] ||
  fail "label: $(cat -A "$program/Label2/second.spl")"

rm -f "$icacls.log"
wine_step 60 "$program/Uninstall Cratemark.exe" /S 2>/dev/null || fail "uninstall: exit status $?"
# The uninstaller runs on from a copy of itself.
wait_for 60 test ! -f "$program/CratemarkService.exe" || fail "programs not removed"
wait_for 30 test ! -f "$program/Uninstall Cratemark.exe" || fail "uninstaller not removed"
[ "$(state)" = ABSENT ] || fail "service $(state) after uninstall"
if wine_step 60 reg query "$event_source" >/dev/null 2>&1; then fail "event source left after uninstall"; fi
[ -z "$(alert_command_value)" ] || fail "alert command left after uninstall: $(alert_command_value)"
for file in Cratemark.exe XBENGINE.DLL; do
  [ ! -f "$program/$file" ] || fail "$file left behind"
done
[ ! -f "$start_menu/Cratemark.lnk" ] || fail "Start-menu entry left behind"
[ "$(icacls_calls)" = '"DIR" /remove:g "NT SERVICE\srvCratemark"' ] ||
  fail "icacls calls of the uninstall: $(icacls_calls)"
for file in LabelDesign.txt Cratemark.cfg TolvanSpool.DBF Label1/first.spl Label2/second.spl; do
  [ -f "$program/$file" ] || fail "the user's $file removed"
done
[ "$(cat "$program/LabelDesign.txt")" = "$design_before" ] || fail "design changed by uninstall"
echo "wine installer test passed"
