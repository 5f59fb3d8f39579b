#!/bin/bash
# Writes bmp-digests.tsv beside this script: for every bitmap of the test corpus that must load
# (or whose preferred outcome is to load), the picture size and the 64-bit FNV-1a digest of its
# pixels as ImageMagick decodes them (8-bit R, G, B per pixel, top row first). The BMP reader's
# test decodes the same files and compares digests, so the expected pixels come from an
# independent decoder. Run it again only when the corpus changes:
#
#   tests/data/make-bmp-digests.sh [corpus folder]     (default: tests/corpus)
#
# Needs ImageMagick 6 and python3.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
corpus="${1:-$here/../corpus}"
out="$here/bmp-digests.tsv"
scratch="$(mktemp)"
trap 'rm -f "$scratch"' EXIT
# ImageMagick's own binary: alpha must be dropped from the output, never blended with a
# background, since a bitmap reader keeps the colours of transparent pixels.
convert="${CONVERT:-/usr/bin/convert}"

# Files where ImageMagick's answer is not the right one. The reader's test checks each of them
# by hand instead.
declare -A left_out=(
    # 16-bit and odd bit-field masks: ImageMagick widens 5- and 6-bit channels by bit
    # replication (5-bit 3 becomes 24, not 3 * 255 / 31 = 24.7 rounded to 25), leaves narrow
    # channels short of 255 (2-3-1 and 4-4-4-4 top out at 192 and 240) and drops the low bits of
    # 10- and 11-bit channels (1023 becomes 254). We scale every channel so that its brightest
    # value is 255, rounding to nearest.
    [bmpsuite/g/rgb16.bmp]=scaling
    [bmpsuite/g/rgb16-565.bmp]=scaling
    [bmpsuite/q/rgb16faketrns.bmp]=scaling
    [bmpsuite/q/rgb16-231.bmp]=scaling
    [bmpsuite/q/rgba16-4444.bmp]=scaling
    [bmpsuite/q/rgba16-5551.bmp]=scaling
    [bmpsuite/q/rgb32-111110.bmp]=scaling
    [bmpsuite/q/rgba32-1010102.bmp]=scaling
    [bmpsuite/q/rgba32-61754.bmp]=scaling
    [bmp-variants/var-cat-rgb555-16bit-451x300.bmp]=scaling
    [bmp-variants/var-astronaut-rgb565-v3-512x512.bmp]=scaling
    [bmp-variants/var-coffee-rgb565-bitfields-v5-600x400.bmp]=scaling
    # ImageMagick 6 misreads the palette of 64-byte OS/2 2.x headers.
    [bmpsuite/q/pal8os2v2.bmp]=os2v2
    [bmp-variants/var-cat-os2v2-pal8-451x300.bmp]=os2v2
    # ImageMagick refuses these: a palette of 300 entries, and a file-size field that lies.
    [bmpsuite/q/pal8oversizepal.bmp]=refused
    [bmpsuite/b/badfilesize.bmp]=refused
    # ImageMagick stops with "unexpected end-of-file" at the early end-of-bitmap code.
    [bmpsuite/q/pal4rlecut.bmp]=refused
)

# "LOAD" rows and "ROBUST (LOAD … preferred …)" rows of the corpus README, as folder/file.
loadable() {
    python3 - "$corpus/README.md" <<'EOF'
import re, sys
folder = None
for line in open(sys.argv[1], encoding="utf-8"):
    heading = re.match(r"^## .*\(`([^`]+)`", line)
    if heading:
        folder = heading.group(1)
        continue
    cells = [c.strip() for c in line.strip().strip("|").split("|")]
    if folder and len(cells) >= 3 and cells[0].startswith("`") and cells[0].endswith(".bmp`"):
        expected = cells[2]
        if expected.startswith("LOAD") or re.match(r"ROBUST \(LOAD [^;]*preferred", expected):
            print(folder + "/" + cells[0].strip("`"))
EOF
}

fnv1a64() {
    python3 -c '
import sys
h = 0xcbf29ce484222325
for byte in sys.stdin.buffer.read():
    h = ((h ^ byte) * 0x100000001b3) & 0xFFFFFFFFFFFFFFFF
print(format(h, "016x"))'
}

{
    echo "# file (relative to the corpus)	width	height	FNV-1a 64 of R,G,B bytes, top row first"
    echo "# written by make-bmp-digests.sh from ImageMagick's decoding; do not edit by hand"
    loadable | sort | while read -r file; do
        if [[ -n "${left_out[$file]:-}" ]]; then
            continue
        fi
        # ImageMagick exits non-zero on mere warnings (a file-size field that does not match):
        # accept its pixels whenever it delivers all of them.
        read -r width height < <("$convert" "$corpus/$file" -format '%w %h\n' info: 2>/dev/null || true)
        "$convert" "$corpus/$file" -depth 8 rgb:"$scratch" 2>/dev/null || true
        if [[ -z "${width:-}" || "$(stat -c %s "$scratch" 2>/dev/null || echo 0)" -ne $((width * height * 3)) ]]; then
            echo "ImageMagick cannot decode $file" >&2
            exit 1
        fi
        printf '%s\t%s\t%s\t%s\n' "$file" "$width" "$height" "$(fnv1a64 < "$scratch")"
        rm -f "$scratch"
    done
} > "$out"
echo "wrote $(grep -vc '^#' "$out") digests to $out"
