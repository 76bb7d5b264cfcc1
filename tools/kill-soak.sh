#!/usr/bin/env bash
# Kill soak: while orders keep arriving, the label service is killed with
# SIGKILL at random moments and started again, CYCLES times. Then one last
# run takes what is left and the result is told in one line:
#   kill-soak: cycles=300 jobs=... lost=0 incomplete=0 left_behind=0 seconds=...
# lost: an order neither waiting nor printed; incomplete: a label file that is
# not exactly the order's labels; left_behind: orders still waiting after the
# last run, and temporary files anywhere.
#
# Usage: tools/kill-soak.sh [--cycles N] [--bin DIR] [--max-seconds S] [--bindfs]
#   --cycles       kills (default 300, about ten minutes)
#   --bin          the folder with CratemarkService, libxbengine.so and tolvansim
#                  (default: build/linux-release/bin, else build/linux-debug/bin)
#   --max-seconds  stops cycling after this long, whatever the count (default 1800)
#   --bindfs       the service runs from a bindfs mount of the program folder
#                  (a FUSE file system: the quiet rule), the host writes beneath
# Exit status 0 when nothing was lost, incomplete or left behind.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

cycles=300
max_seconds=1800
bin=""
bindfs=""
while [ $# -gt 0 ]; do
  case "$1" in
    --cycles) cycles=$2; shift 2 ;;
    --bin) bin=$2; shift 2 ;;
    --max-seconds) max_seconds=$2; shift 2 ;;
    --bindfs) bindfs=1; shift ;;
    *) echo "kill-soak: unknown argument $1" >&2; exit 2 ;;
  esac
done
if [ -z "$bin" ]; then
  bin="$root/build/linux-release/bin"
  [ -x "$bin/CratemarkService" ] || bin="$root/build/linux-debug/bin"
fi
for file in CratemarkService libxbengine.so tolvansim; do
  if [ ! -e "$bin/$file" ]; then
    echo "kill-soak: $bin/$file is missing; build first" >&2
    exit 2
  fi
done

work=$(mktemp -d /tmp/cratemark-soak.XXXXXX)
# Where the service runs: the program folder, or a bindfs mount of it.
run=$work
service_pid=""
writer_pid=""
cleanup() {
  [ -n "$writer_pid" ] && kill "$writer_pid" 2>/dev/null && wait "$writer_pid" 2>/dev/null
  [ -n "$service_pid" ] && kill -KILL "$service_pid" 2>/dev/null && wait "$service_pid" 2>/dev/null
  if [ "$run" != "$work" ]; then
    fusermount -u "$run" 2>/dev/null || fusermount -uz "$run" 2>/dev/null
    rmdir "$run" 2>/dev/null
  fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

cp "$bin/CratemarkService" "$bin/libxbengine.so" "$work/"
mkdir -p "$work/PreLabel" "$work/Label1" "$work/Label2"
printf 'SPLDirSource=PreLabel\r\nSPLDirDest=Label1\r\nSPLDirBackup=Label2\r\nLabelsText=Labels\r\nTimeText=Time:\r\nMapText=Map:\r\nTotalText=Total:\r\n' \
  >"$work/Cratemark.cfg"
printf '<Reference>/<Item Name>/<Item Mod[1]>\r\n' >"$work/LabelDesign.txt"
sim="$bin/tolvansim"
if [ -n "$bindfs" ]; then
  run="$work.mnt"
  mkdir -p "$run"
  if ! bindfs "$work" "$run"; then
    echo "kill-soak: bindfs cannot mount $work (is /dev/fuse usable?)" >&2
    exit 2
  fi
fi

# Orders arrive every 0.5 to 2.5 s (the service takes one a second), one to
# three labels each; the expected labels of order N are "N-i/Soup/hot" for
# its labels i. The writer stops when the file "stop" appears.
write_orders() {
  local n=0
  : >"$work/orders.txt"
  while [ ! -e "$work/stop" ]; do
    n=$((n + 1))
    local name labels=() count=$((RANDOM % 3 + 1))
    name=$(printf 'j%05d' "$n")
    for i in $(seq "$count"); do labels+=("$name-$i|Soup|hot"); done
    "$sim" order "$work/PreLabel" "$name.spl" "${labels[@]}" >/dev/null 2>&1 &&
      echo "$name $count" >>"$work/orders.txt"
    sleep "$((RANDOM % 3)).$((RANDOM % 10))"
  done
}

start=$SECONDS
write_orders &
writer_pid=$!
done_cycles=0
while [ "$done_cycles" -lt "$cycles" ] && [ $((SECONDS - start)) -lt "$max_seconds" ]; do
  "$run/CratemarkService" >/dev/null 2>>"$work/service.err" &
  service_pid=$!
  # A random moment from 0 to 3 s: during start-up, between ticks, mid-job.
  sleep "$((RANDOM % 3)).$(printf '%03d' $((RANDOM % 1000)))"
  kill -KILL "$service_pid" 2>/dev/null
  wait "$service_pid" 2>/dev/null
  service_pid=""
  done_cycles=$((done_cycles + 1))
done
touch "$work/stop"
wait "$writer_pid" 2>/dev/null
writer_pid=""

# The last run takes every order still waiting; it gives up when no order
# has left for 20 s.
"$run/CratemarkService" >/dev/null 2>>"$work/service.err" &
service_pid=$!
waiting() { find "$work/PreLabel" -maxdepth 1 -name '*.spl' | wc -l; }
last=$(waiting) still=0
while [ "$last" -gt 0 ] && [ "$still" -lt 200 ]; do
  sleep 0.1
  now=$(waiting)
  if [ "$now" -lt "$last" ]; then still=0; else still=$((still + 1)); fi
  last=$now
done
sleep 1.5  # the tick that deleted the last job finishes
kill -TERM "$service_pid" 2>/dev/null
wait "$service_pid" 2>/dev/null
service_pid=""

jobs=0 lost=0 incomplete=0 left=0
while read -r name count; do
  [ -n "$name" ] || continue
  jobs=$((jobs + 1))
  expected=""
  for i in $(seq "$count"); do expected+="$name-$i/Soup/hot"$'\r\n'; done
  found=""
  for printer in Label1 Label2; do
    [ -f "$work/$printer/$name.spl" ] && found="$work/$printer/$name.spl"
  done
  if [ -f "$work/PreLabel/$name.spl" ]; then
    left=$((left + 1))
  elif [ -z "$found" ]; then
    lost=$((lost + 1))
    echo "kill-soak: $name is lost" >&2
  elif [ "$(cat "$found"; echo x)" != "${expected}x" ]; then
    incomplete=$((incomplete + 1))
    echo "kill-soak: incomplete labels in $found" >&2
  fi
done <"$work/orders.txt"
temps=$(find "$work" -name '*.tmp' | wc -l)
left=$((left + temps))
[ "$temps" -gt 0 ] && find "$work" -name '*.tmp' >&2

echo "kill-soak: cycles=$done_cycles${bindfs:+ bindfs} jobs=$jobs lost=$lost incomplete=$incomplete left_behind=$left seconds=$((SECONDS - start))"
[ "$lost" -eq 0 ] && [ "$incomplete" -eq 0 ] && [ "$left" -eq 0 ]
