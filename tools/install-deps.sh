#!/usr/bin/env bash
# Installs the Debian packages the build, the tests, the benchmarks, the fuzz
# target and the demo need, when missing.
set -euo pipefail
packages=(
  # the build, both targets
  cmake ninja-build g++ libgtest-dev libgmock-dev googletest libbenchmark-dev
  # the console's terminal face on Linux, and its test in tmux
  libncurses-dev pkg-config tmux
  g++-mingw-w64-x86-64-posix mingw-w64-tools
  # the fuzz targets (tools/fuzz.sh)
  clang libclang-rt-14-dev
  # Windows tests under Wine; the window tests draw on a virtual screen and
  # take screenshots, and need Wine's X11 libraries and fonts for that
  wine wine64 fonts-wine fonts-liberation libfreetype6 libfontconfig1 libxrender1 libxcursor1
  libxi6 libxrandr2 libxinerama1 libxcomposite1 libxfixes3 xvfb xdotool imagemagick
  # xBase programs we did not write, for the table format tests
  python3 python3-dbfread python3-dbf shapelib
  # the engine walk benchmark against shapelib's C API (tools/bench.sh)
  libshp-dev
  # locking around the Wine prefix (flock); running a program as another user (setpriv)
  util-linux
  # the service's systemd notifications
  pkg-config libsystemd-dev
  # the label renderer: barcodes (zint; its source for the Windows build is
  # fetched by tools/fetch-zint-source.sh, which needs dpkg-dev and patch),
  # stb's font rasteriser and PNG writer, the printer fonts; the readers that
  # check what it draws, and zint's own tool for the benchmark
  libzint-dev libstb-dev fonts-dejavu-core fonts-dejavu-extra patch
  zbar-tools tesseract-ocr zint
  # the Windows installer, and the Debian package with its checks
  nsis dpkg-dev binutils lintian systemd adduser
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  # With recommended packages, as on the machines the tests were checked on
  # (Wine's window tests rely on some of them).
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}"
fi
