#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, CRATEMARK_FUZZ=ON, AddressSanitizer and
# UBSan) in build/fuzz and runs each for a while on its seeds (fuzz/corpus/;
# the table targets also on the real-world tables of shared/dbf-corpus beside
# the checkout, when there is one).
#
#   tools/fuzz.sh [SECONDS] [TARGET...]    default 30 s each, every target
#
# What a target learns grows in build/fuzz/corpus/<target> between runs. A
# crash (or a broken check) leaves its input as build/fuzz/<target>-crash-*,
# and the script goes on with the other targets, then fails.
set -uo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
shift || true
# Every target, as fuzz/targets.txt lists them.
mapfile -t all_targets < <(awk '/^[a-z]/ { print $1 }' fuzz/targets.txt)
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${all_targets[@]}")
build=${CRATEMARK_FUZZ_BUILD:-build/fuzz}

clang_cxx=$(command -v clang++ || command -v clang++-14 || true)
clang_c=$(command -v clang || command -v clang-14 || true)
if [ -z "$clang_cxx" ] || [ -z "$clang_c" ]; then
  echo "fuzz: clang is missing (tools/install-deps.sh installs it)" >&2
  exit 1
fi

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER="$clang_c" -DCMAKE_CXX_COMPILER="$clang_cxx" -DCRATEMARK_FUZZ=ON \
  >/dev/null || exit 1
cmake --build "$build" --target "${targets[@]}" || exit 1

# The real-world tables as seeds of the table targets, laid out as those
# targets read their input: the whole input is the table, its second half is
# the memo file. So a table with a memo file becomes the table padded to the
# memo's size (or the memo padded to the table's), then the memo. Made at run
# time from the corpus, which stays outside the repository under its
# licences. Prints the seed folder, or nothing without a corpus.
table_seeds() {
  local corpus out table base memo ext seed t m l
  corpus=$(tools/reference-corpus-dir.sh dbf-corpus)
  [ -n "$corpus" ] || return 0
  out="$build/seeds/dbf-corpus"
  rm -rf "$out" && mkdir -p "$out"
  for table in "$corpus"/tables/*.[dD][bB][fF]; do
    base=${table%.*}
    memo=""
    for ext in dbt DBT fpt FPT; do [ -f "$base.$ext" ] && memo="$base.$ext"; done
    seed="$out/$(basename "$table")"
    cat "$table" >"$seed"
    if [ -n "$memo" ]; then
      t=$(stat -c %s "$table")
      m=$(stat -c %s "$memo")
      l=$((t > m ? t : m))
      truncate -s "$l" "$seed" && cat "$memo" >>"$seed" && truncate -s $((2 * l)) "$seed"
    fi
  done
  echo "$out"
}
dbf_seeds=$(table_seeds)

# Scratch files on a memory file system when there is one: the readers sync
# what they write.
[ -d /dev/shm ] && export TMPDIR=/dev/shm
failed=()
for target in "${targets[@]}"; do
  corpus="$build/corpus/$target"
  mkdir -p "$corpus"
  echo "=== $target: $seconds s"
  # Jobs and designs of a few pages say all there is to say to the composer;
  # longer ones only slow it down.
  max_len=65536
  [ "$target" = label_composer_fuzz ] && max_len=16384
  seeds=("fuzz/corpus/$target")
  case "$target" in
    dbf_open_fuzz | dbf_table_fuzz) [ -n "$dbf_seeds" ] && seeds+=("$dbf_seeds") ;;
  esac
  # -timeout: one input taking longer than 10 s is a finding too (a hang).
  if ! "$build/bin/$target" -max_total_time="$seconds" -max_len="$max_len" -timeout=10 \
       -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$build/$target-" \
       "$corpus" "${seeds[@]}" 2>"$build/$target.log"; then
    tail -n 40 "$build/$target.log" >&2
    failed+=("$target")
  else
    grep -E "^stat::number_of_executed_units|^Done" "$build/$target.log" | tr '\n' ' '
    echo
  fi
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "FUZZ FAILED: ${failed[*]} (inputs in $build)" >&2
  exit 1
fi
