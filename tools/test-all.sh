#!/usr/bin/env bash
# Builds both targets and runs every test: natively on Linux (debug, with
# sanitizers) and the Windows build under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
for preset in linux-debug windows; do
  echo "=== $preset ==="
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset" --timeout 600
done
