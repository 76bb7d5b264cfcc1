#!/usr/bin/env bash
# The Debian package from the release build: it builds, lintian finds no
# errors, systemd accepts its unit, and the tree it installs runs the service
# as the unit starts it (as the unit's user when run as root): the service
# reports ready, handles a job in a site's folder, beats the watchdog and
# reports stopping, all through a stand-in for systemd's notification socket.
# As root it runs the package's postinst, which creates the service's system
# user on this machine (as installing the package would).
# Usage: debian_package_test.sh SOURCE_DIR
set -euo pipefail
source_dir=$1
cd "$source_dir"
source tests/test_lib.sh
trap 'echo "FAILED at line $LINENO: $BASH_COMMAND" >&2' ERR
fail() {
  echo "FAILED: $*" >&2
  if [ -n "${site:-}" ] && [ -f "$site/Cratemark.txt" ]; then cat "$site/Cratemark.txt" >&2; fi
  if [ -n "${work:-}" ] && [ -f "$work/service.err" ]; then cat "$work/service.err" >&2; fi
  exit 1
}

# The package carries release programs, never this sanitizer build's. One
# build of that folder at a time (other test runs may want it too).
mkdir -p build
exec 9>build/linux-release.lock
flock -w 600 9 || fail "another build holds build/linux-release.lock"
cmake --preset linux-release >/dev/null
package=$(cmake --build --preset linux-release --target deb | tail -n 1)
exec 9>&-
[ -f "$package" ] || fail "no package: $package"

lintian --fail-on error "$package" 2>/dev/null || fail "lintian reports errors"

work=$(mktemp -d /tmp/cratemark-deb-test.XXXXXX)
listener=""
service=""
cleanup() {
  [ -z "$service" ] || kill -KILL "$service" 2>/dev/null || true
  [ -z "$listener" ] || kill "$listener" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
chmod 0755 "$work"
root="$work/root"
dpkg-deb -x "$package" "$root"
for file in usr/lib/cratemark/CratemarkService usr/lib/cratemark/libxbengine.so \
  usr/bin/CratemarkService lib/systemd/system/cratemark@.service \
  usr/share/doc/cratemark/examples/LabelDesign.txt usr/bin/cratemark-render \
  usr/share/man/man1/cratemark-render.1.gz; do
  [ -e "$root/$file" ] || fail "the package lacks /$file"
done
# The label renderer as installed draws with the fonts of the packages it
# depends on.
printf '^XA^PW200^LL100^FO10,10^GB100,50,4^FS^FO10,60^A0N,30,30^FDok^FS^XZ' >"$work/label.zpl"
"$root/usr/bin/cratemark-render" "$work/label.zpl" -o "$work/label.png" >/dev/null ||
  fail "the installed cratemark-render did not draw a label"

# One instance per site, named by the site's folder.
site="$work/srv/tolvan-1"
mkdir -p "$site/PreLabel" "$site/Label1" "$site/Label2"
instance=$(systemd-escape --path "$site")
unit="cratemark@$instance.service"

# systemd-analyze loads the unit from the installed tree, with the system's
# targets beside it for the default dependencies; it reports what it rejects
# as text, which fails the test as much as its exit status.
cp -a /lib/systemd/system/*.target "$root/lib/systemd/system/"
verdict=$(systemd-analyze verify --man=no --root="$root" "$unit" 2>&1) ||
  fail "systemd-analyze verify: $verdict"
[ -z "$verdict" ] || fail "systemd-analyze verify: $verdict"

# The unit's command with its specifiers filled in as systemd fills them for
# this instance, its program taken from the installed tree.
unit_file="$root/lib/systemd/system/cratemark@.service"
setting() { sed -n "s/^$1=//p" "$unit_file"; }
folder=$(systemd-escape --unescape --path "$instance")
[ "$folder" = "$site" ] || fail "instance $instance names $folder, not $site"
read -r -a command <<<"$(setting ExecStart)"
for i in "${!command[@]}"; do
  word=${command[$i]//%f/$folder}
  word=${word//%I/$folder}
  command[$i]=${word//%i/$instance}
done
command[0]="$root${command[0]}"
user=$(setting User)
[ -n "$user" ] || fail "the unit names no user"
[ "$(setting ReadWritePaths)" = "%f" ] || fail "the unit may write outside the site's folder"

cp "$root/usr/share/doc/cratemark/examples/LabelDesign.txt" "$site/"
printf 'SPLDirSource=PreLabel\r\nSPLDirDest=Label1\r\nSPLDirBackup=Label2\r\n' >"$site/Cratemark.cfg"

as_user=()
if [ "$(id -u)" = 0 ]; then
  # The package's own maintainer script makes the user, and may run again.
  dpkg-deb -e "$package" "$work/control"
  "$work/control/postinst" configure || fail "postinst"
  "$work/control/postinst" configure || fail "postinst, run again"
  getent passwd "$user" >/dev/null || fail "postinst did not create the user $user"
  chown -R "$user:" "$site"
  chmod 0755 "$work/srv"
  as_user=(setpriv --reuid="$user" --regid="$user" --init-groups --no-new-privs --)
else
  echo "Not root: the service runs as $(id -un), not as the unit's user $user."
fi

# systemd's end of the notification socket: one line per message.
notify="$work/notify"
python3 -u -c '
import os, socket, sys
s = socket.socket(socket.AF_UNIX, socket.SOCK_DGRAM)
s.bind(sys.argv[1])
os.chmod(sys.argv[1], 0o777)
open(sys.argv[1] + ".bound", "w").close()
with open(sys.argv[2], "a") as out:
    while True:
        out.write(s.recv(4096).decode() + "\n")
        out.flush()
' "$notify" "$work/messages" &
listener=$!
wait_for 10 test -f "$notify.bound" || fail "notification socket not bound"
told() { grep -qx "$1" "$work/messages" 2>/dev/null; }

# The journal takes standard error; the test keeps it.
# With the unit's umask, as systemd would start it.
unit_umask="$(setting UMask)"
[ "$unit_umask" = 0027 ] || fail "UMask=$unit_umask in the unit"
(cd / && umask "$unit_umask" && NOTIFY_SOCKET="$notify" exec "${as_user[@]}" "${command[@]}") </dev/null \
  >"$work/service.out" 2>"$work/service.err" &
service=$!
wait_for 15 told READY=1 || fail "no READY=1"
[ "$(tr -d '\r\n' <"$site/Cratemark.err")" = 0 ] || fail "status $(cat "$site/Cratemark.err")"

drop_job "$site/PreLabel" job Ann Soup
[ -z "${as_user[*]}" ] || chown "$user:" "$site/PreLabel/job.spl"
wait_for 15 test -f "$site/Label1/job.spl" || fail "job not delivered"
wait_for 5 test ! -f "$site/PreLabel/job.spl" || fail "job not deleted"
grep -q 'Order for: Ann' "$site/Label1/job.spl" || fail "label text: $(cat "$site/Label1/job.spl")"
grep -q 'ITEM: Soup' "$site/Label1/job.spl" || fail "label text: $(cat "$site/Label1/job.spl")"
if [ -n "${as_user[*]}" ]; then
  [ "$(stat -c %U "$site/Label1/job.spl")" = "$user" ] || fail "labels not written by $user"
fi
# The order kept for reprints holds a customer's data: not world-readable.
wait_for 5 test -d "$site/Printed" || fail "no Printed folder"
[ "$(stat -c %a "$site/Printed")" = 750 ] || fail "Printed is $(stat -c %a "$site/Printed")"
for kept in "$site"/Printed/*.job; do
  [ "$(stat -c %a "$kept")" = 640 ] || fail "$kept is $(stat -c %a "$kept")"
done
wait_for 5 told WATCHDOG=1 || fail "no WATCHDOG=1"

kill -TERM "$service"
status=0
wait "$service" || status=$?
service=""
[ "$status" = 0 ] || fail "the service ended with status $status"
told STOPPING=1 || fail "no STOPPING=1"
[ ! -f "$site/Cratemark.txt" ] || fail "log not deleted at stop"
echo "debian package test passed: $(basename "$package")"
