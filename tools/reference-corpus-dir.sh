#!/usr/bin/env bash
# Prints the folder of a reference corpus, or nothing when there is none:
#   tools/reference-corpus-dir.sh dbf-corpus     real-world tables (check.py, tables/)
#   tools/reference-corpus-dir.sh zpl-reference  ZPL labels and pictures (score.py, labels/)
# The corpora are not part of the repository: they stand, read-only, in
# shared/ beside the checkout (CI: ../shared) or beside the folder of work
# trees (../../shared). CRATEMARK_DBF_CORPUS or CRATEMARK_ZPL_REFERENCE
# names another one.
set -uo pipefail
case ${1:-} in
  dbf-corpus) chosen=${CRATEMARK_DBF_CORPUS:-} marker=check.py inside=tables ;;
  zpl-reference) chosen=${CRATEMARK_ZPL_REFERENCE:-} marker=score.py inside=labels ;;
  *) echo "usage: $0 dbf-corpus|zpl-reference" >&2; exit 2 ;;
esac
source_dir=$(cd "$(dirname "$0")/.." && pwd)
for dir in ${chosen:+"$chosen"} "$source_dir/../shared/$1" "$source_dir/../../shared/$1"; do
  if [ -f "$dir/$marker" ] && [ -d "$dir/$inside" ]; then
    cd "$dir" && pwd
    exit 0
  fi
done
