#!/usr/bin/env bash
# Builds the release preset and runs the benchmarks: each prints its figures
# and their ratio to a peer or a limit measured in the same run, and marks
# every goal "met" or "NOT met". The exit status is 1 when a goal is not met.
#
#   tools/bench.sh                 every benchmark (about 10 minutes)
#   tools/bench.sh log composer    only those (log, console_tick, composer,
#                                  engine_walk, service_memory, turnaround,
#                                  render, render_fidelity,
#                                  printed_folder)
#
# Not part of the tests: figures depend on the machine and its load.
set -uo pipefail
cd "$(dirname "$0")/.."
cmake --preset linux-release >/dev/null
cmake --build --preset linux-release --target benchmarks cratemark-render >/dev/null || exit 2
bin=build/linux-release/bin
names=("$@")
[ ${#names[@]} -gt 0 ] || names=(log console_tick composer engine_walk service_memory turnaround render
  render_fidelity printed_folder)
status=0
for name in "${names[@]}"; do
  # Benchmarks that drive programs rather than link code are scripts.
  if [ -x "bench/${name}_bench.sh" ]; then
    "bench/${name}_bench.sh" "$bin" || status=1
    echo
    continue
  fi
  if [ ! -x "$bin/${name}_bench" ]; then
    echo "${name}_bench was not built (see tools/install-deps.sh)"
    status=1
    continue
  fi
  "$bin/${name}_bench" || status=1
  echo
done
exit $status
