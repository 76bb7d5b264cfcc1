#!/usr/bin/env bash
# Fetches zint's source from Debian (the Windows build compiles it; Debian
# ships libzint only as Linux binaries) and unpacks it into the cache folder
# that cmake/Zint.cmake looks in. Uses a private package list, so the
# machine's apt setup is not touched. What was fetched once is kept: a later
# refusal of the download does not break the build.
#   tools/fetch-zint-source.sh [CACHE_DIR]   (default ~/.cache/cratemark)
set -euo pipefail
cache=${1:-${HOME}/.cache/cratemark}
target=$cache/zint
if [ -f "$target/backend/zint.h" ]; then
  exit 0
fi
work=$cache/apt
mkdir -p "$work/lists/partial" "$work/cache/archives/partial" "$work/src"
uri=$(awk '/^URIs:/ {print $2; exit}' /etc/apt/sources.list.d/debian.sources 2>/dev/null || true)
uri=${uri:-http://deb.debian.org/debian}
echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $uri bookworm main" \
  >"$work/src.list"
opts=(-o "Dir::Etc::SourceList=$work/src.list" -o Dir::Etc::SourceParts=/dev/null
      -o "Dir::State::Lists=$work/lists" -o "Dir::Cache=$work/cache")
if ! ls "$work"/src/zint_*.orig.tar.* >/dev/null 2>&1; then
  apt-get "${opts[@]}" update -qq
  (cd "$work/src" && apt-get "${opts[@]}" source --download-only zint)
fi
orig=$(ls "$work"/src/zint_*.orig.tar.* | head -1)
rm -rf "$target.new"
mkdir -p "$target.new"
tar -xf "$orig" -C "$target.new" --strip-components=1
# Debian's patches, when they came, are applied as Debian builds the library.
debian_tar=$(ls "$work"/src/zint_*.debian.tar.* 2>/dev/null | head -1 || true)
if [ -n "$debian_tar" ]; then
  tar -xf "$debian_tar" -C "$target.new"
  if [ -f "$target.new/debian/patches/series" ]; then
    while read -r patch; do
      case "$patch" in ''|'#'*) continue ;; esac
      patch -d "$target.new" -p1 -s <"$target.new/debian/patches/$patch"
    done <"$target.new/debian/patches/series"
  fi
fi
rm -rf "$target"
mv "$target.new" "$target"
echo "zint source in $target"
