#!/usr/bin/env bash
# Builds the engine's libFuzzer target (clang, CRATEMARK_FUZZ=ON) in its own
# build folder and feeds it arbitrary table and memo bytes for a while.
#
#   tools/fuzz-engine.sh [SECONDS]      default 30
#
# The corpus grows in build/fuzz/corpus between runs; a crash leaves its input
# as build/fuzz/crash-* and ends the script with a failure.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
build=${CRATEMARK_FUZZ_BUILD:-build/fuzz}

clang_cxx=$(command -v clang++ || command -v clang++-14 || true)
clang_c=$(command -v clang || command -v clang-14 || true)
if [ -z "$clang_cxx" ] || [ -z "$clang_c" ]; then
  echo "fuzz-engine: clang is missing (tools/install-deps.sh installs it)" >&2
  exit 1
fi

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER="$clang_c" -DCMAKE_CXX_COMPILER="$clang_cxx" -DCRATEMARK_FUZZ=ON >/dev/null
cmake --build "$build" --target dbf_open_fuzz

corpus="$build/corpus"
mkdir -p "$corpus"
if [ -z "$(ls -A "$corpus")" ]; then
  # Seeds: small sound tables, so the fuzzer starts inside the format.
  python3 - "$corpus" <<'PY'
import struct, sys, os

def table(fields, records):
    record_length = 1 + sum(width for _, _, width, _ in fields)
    header_length = 32 + 32 * len(fields) + 1
    out = struct.pack('<B3BIHH20x', 3, 124, 1, 1, len(records), header_length, record_length)
    offset = 1
    for name, kind, width, decimals in fields:
        out += struct.pack('<11sc4xBB14x', name.encode(), kind.encode(), width, decimals)
        offset += width
    out += b'\r'
    for record in records:
        out += record.encode('latin-1')
    return out + b'\x1a'

plain = table([('NAME', 'C', 10, 0), ('QTY', 'N', 5, 0), ('OK', 'L', 1, 0), ('DAY', 'D', 8, 0)],
              [' Widget        7T20240229', '*Gone         -1F        '])
memo = table([('NOTE', 'M', 10, 0)], ['          1'])
memo_file = struct.pack('<I', 2) + bytes(508) + b'two\r\nlines\x1a\x1a'
with open(os.path.join(sys.argv[1], 'plain.dbf'), 'wb') as f:
    f.write(plain)
# The target reads the second half of its input as the memo file.
with open(os.path.join(sys.argv[1], 'memo.dbf'), 'wb') as f:
    f.write(memo + bytes(len(memo_file) - len(memo)) + memo_file)
PY
fi

echo "Fuzzing the engine for $seconds s (corpus: $corpus)"
status=0
"$build/bin/dbf_open_fuzz" -max_total_time="$seconds" -max_len=8192 -print_final_stats=1 \
  -artifact_prefix="$build/" "$corpus" &
fuzzer=$!
wait "$fuzzer" || status=$?
rm -f "/tmp/xb_fuzz_$fuzzer.dbf" "/tmp/xb_fuzz_$fuzzer.dbt"
exit "$status"
