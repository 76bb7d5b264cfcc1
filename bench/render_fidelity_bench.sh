#!/usr/bin/env bash
# Render fidelity: cratemark-render and the best open ZPL renderer we know,
# zpl-renderer-js 3.4.0 (npm, MIT; installed into the build folder and run
# as a black box through bench/zpl_peer_render.mjs), scored in the same run
# by the reference corpus's scorer against the pictures in the corpus.
#   bench/render_fidelity_bench.sh [BIN_DIR]
# The corpus: CRATEMARK_ZPL_REFERENCE, else ../shared/zpl-reference beside
# the repository. Goals: a mean F1 of 0.95 or more, 53 of 56 labels at 0.90
# or more and none below 0.80, every barcode decoded alike, and a mean F1
# no lower than the peer's. A peer npm cannot fetch is reported, not failed.
set -uo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
bin=${1:-$repo/build/linux-release/bin}
corpus=$("$repo/tools/reference-corpus-dir.sh" zpl-reference)
if [ -z "$corpus" ]; then
  echo "render_fidelity: no reference corpus (set CRATEMARK_ZPL_REFERENCE)"
  exit 1
fi
peer_dir=$(dirname "$bin")/zpl-peer
peer_package=zpl-renderer-js@3.4.0
if [ ! -d "$peer_dir/node_modules/zpl-renderer-js" ] && command -v npm >/dev/null; then
  mkdir -p "$peer_dir"
  npm install --prefix "$peer_dir" --no-audit --no-fund --silent "$peer_package" >/dev/null 2>&1 ||
    rm -rf "$peer_dir/node_modules/zpl-renderer-js"
fi

summary() { grep -E "^zpl corpus:" "$1" | tail -1; }
field() { sed -nE "s/.*$2.*/\\1/p" <<<"$1"; }

ours_log=$(mktemp)
peer_log=$(mktemp)
trap 'rm -f "$ours_log" "$peer_log"' EXIT
"$corpus/score.py" "$bin/cratemark-render" >"$ours_log" 2>&1
ours=$(summary "$ours_log")
echo "render_fidelity ours: ${ours:-no score}"
lowest=$(grep -E "^lowest F1:" "$ours_log" | sed -E 's/^lowest F1: [^ ]+ ([0-9.]+).*/\1/')
peer=""
if [ -d "$peer_dir/node_modules/zpl-renderer-js" ] && command -v node >/dev/null; then
  CRATEMARK_ZPL_PEER_DIR=$peer_dir "$corpus/score.py" "$repo/bench/zpl_peer_render.mjs" \
    >"$peer_log" 2>&1
  peer=$(summary "$peer_log")
  echo "render_fidelity peer ($peer_package): ${peer:-no score}"
else
  echo "render_fidelity peer ($peer_package): unavailable (npm could not install it)"
fi

mean=$(field "$ours" 'mean F1 ([0-9.]+),')
passing=$(field "$ours" ', ([0-9]+) of [0-9]+ at F1')
alike=$(field "$ours" 'barcodes ([0-9]+) of')
barcodes=$(field "$ours" 'barcodes [0-9]+ of ([0-9]+)')
peer_mean=$(field "$peer" 'mean F1 ([0-9.]+),')
met=$(python3 - "${mean:-0}" "${passing:-0}" "${lowest:-0}" "${alike:-0}" "${barcodes:-1}" \
  "${peer_mean:-}" <<'PY'
import sys
mean, passing, lowest, alike, barcodes = (float(v) for v in sys.argv[1:6])
peer = sys.argv[6]
ok = mean >= 0.95 and passing >= 53 and lowest >= 0.80 and alike == barcodes
ratio = ""
if peer:
    ok = ok and mean >= float(peer)
    ratio = ", %.2fx the peer's mean F1" % (mean / float(peer)) if float(peer) > 0 else ""
print(("met" if ok else "NOT met") + ratio)
PY
)
echo "render_fidelity: mean F1 ${mean:-?} (goal 0.95), ${passing:-?} labels at 0.90 (goal 53)," \
  "lowest ${lowest:-?} (goal 0.80), barcodes ${alike:-?} of ${barcodes:-?} alike: $met"
[[ $met == met* ]]
