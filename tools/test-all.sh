#!/usr/bin/env bash
# Builds both targets and runs every test: natively on Linux (debug, with
# sanitizers) and the Windows build under Wine, then every fuzz target for a
# few seconds. All run even when one fails; the script fails when any build,
# test or fuzz target failed.
set -uo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh test || exit 1
failed=()
for preset in linux-debug windows; do
  echo "=== $preset ==="
  # Tests run one at a time (no -j): the Wine tests share a prefix, and the
  # cross-process lock tests want the machine to themselves.
  if cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset"; then
    ctest --preset "$preset" --timeout 600 || failed+=("$preset tests")
  else
    failed+=("$preset build")
  fi
done
# Every fuzz target a few seconds (the longer run: see the README).
echo "=== fuzz ==="
tools/fuzz.sh 5 || failed+=("fuzz")
# Screenshots of the Windows console under Wine, for a reviewer to open.
shots=(build/windows/artifacts/*.png)
[ -e "${shots[0]}" ] && printf 'Screenshot: %s\n' "${shots[@]}"
# The terminal console's screens, read back from tmux.
[ -d build/linux-debug/artifacts/terminal_console ] &&
  echo "Terminal screens: build/linux-debug/artifacts/terminal_console/"
if [ ${#failed[@]} -gt 0 ]; then
  echo "FAILED: ${failed[*]}" >&2
  exit 1
fi
echo "All tests passed on Linux and under Wine."
