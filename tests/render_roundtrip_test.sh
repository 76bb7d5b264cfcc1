#!/usr/bin/env bash
# cratemark-render's images read back by readers we did not write: every
# barcode kind by zbarimg (zbar reads no Data Matrix, so that one is only
# drawn), text of font 0 by tesseract; and the command line's names, codes
# and messages.
# For the Windows build (BIN_DIR holds cratemark-render.exe) the same checks
# run under Wine, and with a Linux build's BIN_DIR beside it the two builds
# must draw the same dots, for these labels, one of every kind drawn and
# the reference corpus's labels when the corpus is beside the checkout.
#   tests/render_roundtrip_test.sh BIN_DIR [LINUX_BIN_DIR]
set -uo pipefail
bin=$1
linux_bin=${2:-}
here=$(cd "$(dirname "$0")" && pwd)
labels=$here/render_labels
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
if [ -f "$bin/cratemark-render.exe" ]; then
  render() { "$here/../tools/wine-run" "$bin/cratemark-render.exe" "$@"; }
else
  render() { "$bin/cratemark-render" "$@"; }
fi
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

render "$labels/barcodes.zpl" -o "$out/barcodes.png" >/dev/null 2>"$out/err" ||
  fail "barcodes.zpl: $(cat "$out/err")"
decoded=$(zbarimg -q "$out/barcodes.png" 2>/dev/null)
for expected in CODE-128:ORDER1234 CODE-39:ABC123 EAN-13:5901234123457 \
                QR-Code:https://example.com/o/1234 CODE-128:TURNED42; do
  grep -qxF "$expected" <<<"$decoded" || fail "zbarimg did not read $expected (read: $decoded)"
done

render "$labels/text.zpl" -o "$out/text.png" >/dev/null || fail "text.zpl not drawn"
read_text=$(tesseract "$out/text.png" - 2>/dev/null | tr -s ' \n' '  ')
for words in "Table Twelve" "No onions extra cheese" "Pickup at noon" "Burger Deluxe"; do
  grep -qiF "$words" <<<"$read_text" || fail "tesseract did not read \"$words\" (read: $read_text)"
done

# Several labels: numbered files, the undrawn command on stderr.
render "$labels/two_labels.zpl" -o "$out/two.png" >"$out/names" 2>"$out/err" ||
  fail "two_labels.zpl not drawn"
[ -f "$out/two-1.png" ] && [ -f "$out/two-2.png" ] && [ ! -e "$out/two.png" ] ||
  fail "two labels did not give two-1.png and two-2.png"
grep -qF "^BZ at line 2: not drawn" "$out/err" || fail "no warning for ^BZ: $(cat "$out/err")"
tesseract "$out/two-2.png" - 2>/dev/null | grep -qi second || fail "the second label is not the second"

# Plain text at another resolution and size.
printf 'Table 12\r\nAlice\r\n' >"$out/plain.txt"
render "$out/plain.txt" --dpmm 12 --size 50x30 >/dev/null || fail "plain text not drawn"
size=$(python3 -c 'import struct,sys; d=open(sys.argv[1],"rb").read(24); print("%dx%d" % struct.unpack(">II", d[16:24]))' "$out/plain.png")
[ "$size" = 600x360 ] || fail "plain.png is $size, not 600x360"

# Composed as the service composes: the design's tags filled from the job.
printf '^XA\r\n^FO20,20^A0N,50,50^FD<Item Name>^FS\r\n^XZ\r\n' >"$out/LabelDesign.txt"
{ for i in $(seq 0 19); do echo "line$i"; done; echo "Cheeseburger"; for i in $(seq 21 99); do echo; done; } \
  >"$out/1234.spl"
render --design "$out/LabelDesign.txt" --job "$out/1234.spl" -o "$out/job.png" >/dev/null ||
  fail "--design --job not drawn"
tesseract "$out/job.png" - 2>/dev/null | grep -qi cheeseburger || fail "the composed label lacks the item"

# Errors: a missing file is 1, a wrong command line 2, each with a message.
render "$out/missing.zpl" 2>"$out/err"; [ $? -eq 1 ] || fail "a missing file is not exit code 1"
grep -q missing.zpl "$out/err" || fail "the message does not name the missing file"
render "$labels/text.zpl" --dpmm 7 2>/dev/null; [ $? -eq 2 ] || fail "--dpmm 7 is not exit code 2"
render 2>/dev/null; [ $? -eq 2 ] || fail "no arguments is not exit code 2"

# The same image on both targets, dot for dot: the labels above and one
# label of every kind the renderer draws (fonts, blocks, turns, barcodes,
# shapes, graphics).
if [ -n "$linux_bin" ] && [ -x "$linux_bin/cratemark-render" ]; then
  render "$labels/kinds.zpl" -o "$out/kinds.png" >/dev/null 2>&1 || fail "kinds.zpl not drawn"
  pairs=()
  for label in barcodes text; do
    "$linux_bin/cratemark-render" "$labels/$label.zpl" -o "$out/$label-linux.png" >/dev/null
    pairs+=("$out/$label.png" "$out/$label-linux.png")
  done
  "$linux_bin/cratemark-render" "$labels/kinds.zpl" -o "$out/kinds-linux.png" >/dev/null 2>&1
  for i in 1 2 3; do pairs+=("$out/kinds-$i.png" "$out/kinds-linux-$i.png"); done
  # And the reference corpus's labels (4 x 4 in), when it stands beside the
  # checkout.
  corpus=$("$here/../tools/reference-corpus-dir.sh" zpl-reference)
  for label in ${corpus:+"$corpus"/labels/*.zpl}; do
    name=$(basename "$label" .zpl)
    render "$label" --size 101.6x101.6 -o "$out/corpus-$name.png" >/dev/null 2>&1
    "$linux_bin/cratemark-render" "$label" --size 101.6x101.6 -o "$out/corpus-$name-linux.png" \
      >/dev/null 2>&1
    pairs+=("$out/corpus-$name.png" "$out/corpus-$name-linux.png")
  done
  python3 - "${pairs[@]}" <<'PY' || fail "the targets' images differ"
import subprocess, sys
def dots(path):
    return subprocess.run(["convert", path, "-depth", "8", "gray:-"], check=True,
                          capture_output=True).stdout
pairs = list(zip(sys.argv[1::2], sys.argv[2::2]))
differing = 0
for windows, linux in pairs:
    try:
        a, b = dots(windows), dots(linux)
    except subprocess.CalledProcessError:
        print("%s: not drawn on both targets" % windows.rsplit("/", 1)[-1])
        differing += 1
        continue
    differ = sum(x != y for x, y in zip(a, b)) + abs(len(a) - len(b))
    if differ:
        print("%s: %d of %d dots differ" % (windows.rsplit("/", 1)[-1], differ, len(a)))
        differing += 1
print("%d of %d images the same on both targets" % (len(pairs) - differing, len(pairs)))
sys.exit(0 if differing == 0 else 1)
PY
fi

[ $failures -eq 0 ] && echo "render round trips: all passed"
exit $((failures > 0))
