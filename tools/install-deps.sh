#!/usr/bin/env bash
# Installs the Debian packages one set of work needs, when missing:
#   demo   builds the Linux service and the host simulator (tools/run-demo.sh)
#   build  both targets (Linux and the Windows cross build), the installer,
#          the Debian package, the fuzz targets and the benchmarks
#   test   everything the tests need on top of that: Wine, a virtual screen,
#          tmux, other xBase programs, lintian (tools/test-all.sh); the default
# Usage: install-deps.sh [demo|build|test]
set -euo pipefail
set_name=${1:-test}
demo=(
  # the Linux build of the service and the simulator (the configure step
  # also looks for GoogleTest and ncurses, whose targets it defines)
  cmake ninja-build g++ pkg-config libsystemd-dev libncurses-dev libgtest-dev libgmock-dev
  # the label renderer: barcodes (zint; its source for the Windows build is
  # fetched by tools/fetch-zint-source.sh, which needs dpkg-dev and patch),
  # stb's font rasteriser and PNG writer, the printer fonts (Liberation
  # Sans Narrow Bold stands in for the printer's font 0)
  libzint-dev libstb-dev fonts-dejavu-core fonts-dejavu-extra fonts-liberation
)
build=(
  "${demo[@]}"
  # the Windows cross build (with GoogleTest's source; its binutils bring
  # windmc for the event log's message table) and its installer
  googletest g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-tools nsis
  # the benchmarks, the engine walk against shapelib's C API (tools/bench.sh)
  libbenchmark-dev libshp-dev
  # the fuzz targets (tools/fuzz.sh)
  clang libclang-rt-14-dev
  # the Debian package; the Windows build's zint source (dpkg-dev, patch)
  dpkg-dev binutils patch
)
test=(
  "${build[@]}"
  # the console's test in tmux
  tmux
  # Windows tests under Wine; the window tests draw on a virtual screen and
  # take screenshots, and need Wine's X11 libraries and fonts for that
  wine wine64 fonts-wine fonts-liberation libfreetype6 libfontconfig1 libxrender1 libxcursor1
  libxi6 libxrandr2 libxinerama1 libxcomposite1 libxfixes3 xvfb xdotool imagemagick
  # xBase programs we did not write, for the table format tests
  python3 python3-dbfread python3-dbf shapelib
  # locking around the Wine prefix (flock); running a program as another user (setpriv)
  util-linux
  # the Debian package's checks
  lintian systemd adduser
  # readers that check what the label renderer draws, and zint's own tool
  # for the benchmark; the reference corpus's scorer (numpy, PIL)
  zbar-tools tesseract-ocr zint python3-numpy python3-pil
  # a FUSE mount of the program folder, for the job rule on a network share
  # (its leases know nothing of writers beneath it); fusermount comes with it
  bindfs
)
case "$set_name" in
  demo) packages=("${demo[@]}") ;;
  build) packages=("${build[@]}") ;;
  test) packages=("${test[@]}") ;;
  *)
    echo "usage: $0 [demo|build|test]" >&2
    exit 2
    ;;
esac
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
# npm fetches the renderer the fidelity benchmark compares against; any npm
# will do (a Node.js from elsewhere brings its own), so only its absence
# asks for Debian's.
if [ "$set_name" = test ] && ! command -v npm >/dev/null; then
  missing+=(npm)
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing (set $set_name): ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  if [ "$set_name" = test ]; then
    # With recommended packages, as on the machines the tests were checked
    # on (Wine's window tests rely on some of them).
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}"
  else
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends \
      "${missing[@]}"
  fi
fi
