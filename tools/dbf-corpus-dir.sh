#!/usr/bin/env bash
# Prints the folder of the real-world table corpus (its check.py and tables/),
# or nothing when there is none. The corpus is not part of the repository:
# it stands, read-only, in shared/dbf-corpus beside the checkout (CI: ../shared)
# or beside the folder of work trees (../../shared). CRATEMARK_DBF_CORPUS
# names another one.
set -uo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
for dir in ${CRATEMARK_DBF_CORPUS:-} "$source_dir/../shared/dbf-corpus" \
           "$source_dir/../../shared/dbf-corpus"; do
  if [ -f "$dir/check.py" ] && [ -d "$dir/tables" ]; then
    cd "$dir" && pwd
    exit 0
  fi
done
