#!/bin/bash
# Writes jpeg-digests.tsv: for each JPEG of the test corpus that must load, the size and the
# 64-bit FNV-1a digest of the RGB pixels that libjpeg's own djpeg decodes from it (3 bytes a pixel,
# R G B, top row first). jpeg_decoder_test decodes the same files and must find the same digests.
#
# Greyscale files come out of djpeg as PGM; each grey byte is repeated three times, which is how a
# grey picture looks as RGB. The one CMYK file (Adobe, YCCK) is included too: djpeg's PPM writer
# converts CMYK to RGB itself, assuming Adobe's inverted CMYK, which that file declares.
#
# Usage: make-jpeg-digests.sh [corpus folder]   (needs djpeg from libjpeg-turbo-progs, python3)
set -euo pipefail

corpus=${1:-$(dirname "$0")/../corpus}
out=$(dirname "$0")/jpeg-digests.tsv
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# The files the README marks LOAD, plus the CMYK file whose preferred outcome is a load.
mapfile -t names < <(
    grep -oE '^\| `[^`]+\.jpe?g` \|.*\| (LOAD|ROBUST \(LOAD [0-9x]+ with correct colours)' "$corpus/README.md" |
        sed -E 's/^\| `([^`]+)`.*/\1/' | sort -u)

{
    printf '# path\twidth\theight\tfnv1a64 of RGB rows (made by make-jpeg-digests.sh with %s)\n' \
        "$(djpeg -version 2>&1 | head -n 1)"
    for name in "${names[@]}"; do
        path=$(cd "$corpus" && find . -name "$name" -printf '%P\n')
        [ -n "$path" ] || { echo "not in the corpus: $name" >&2; exit 1; }
        # A picture of another kind under a JPEG name (the loader reads by content) is not djpeg's.
        [ "$(head -c 2 "$corpus/$path" | od -An -tx1 | tr -d ' ')" = ffd8 ] || continue
        djpeg -ppm "$corpus/$path" > "$tmp/out.pnm"
        python3 - "$path" "$tmp/out.pnm" <<'EOF'
import sys

path, pnm = sys.argv[1], sys.argv[2]
data = open(pnm, "rb").read()
fields, pos = [], 0
while len(fields) < 4:  # magic, width, height, maxval; no comments in djpeg output
    while data[pos:pos + 1].isspace():
        pos += 1
    start = pos
    while not data[pos:pos + 1].isspace():
        pos += 1
    fields.append(data[start:pos])
pixels = data[pos + 1:]
magic, width, height = fields[0], int(fields[1]), int(fields[2])
if magic == b"P5":
    pixels = bytes(b for g in pixels for b in (g, g, g))
elif magic != b"P6":
    sys.exit(f"{path}: unexpected djpeg output {magic!r}")
assert len(pixels) == width * height * 3, path
digest = 0xCBF29CE484222325
for b in pixels:
    digest = ((digest ^ b) * 0x100000001B3) & 0xFFFFFFFFFFFFFFFF
print(f"{path}\t{width}\t{height}\t{digest:016x}")
EOF
    done
} > "$out"
echo "wrote $out ($(grep -vc '^#' "$out") pictures)"
