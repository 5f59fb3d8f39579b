#!/usr/bin/env bash
# Whole-program timing of the main job: velmora-cli on a 1000 × 1000 JPEG, side by side with
# ImageMagick reducing the same picture to 30 colours (colour reduction only, no threads).
# Prints the median wall time of each over RUNS runs, and one whole run with the PDFs (time and
# peak memory).
# Usage: bench/cli-timing.sh [BUILD_DIR] [RUNS]   (default build/release, 11 runs)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
runs=${2:-11}
picture=bench/data/bench-1000.jpg
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

median_wall() { # command...
    local times=()
    for _ in $(seq "$runs"); do
        /usr/bin/time -f '%e %M' -o "$scratch/time" "$@" >/dev/null 2>&1
        times+=("$(cut -d' ' -f1 "$scratch/time")")
    done
    printf '%s\n' "${times[@]}" | sort -n | sed -n "$(((runs + 1) / 2))p"
}

cli=$build/cli/velmora-cli
echo "velmora-cli, 30 colours, no PDFs:           $(median_wall "$cli" "$picture" --no-pdf --out "$scratch/a") s"
echo "velmora-cli, 30 colours, dithered, no PDFs: $(median_wall "$cli" "$picture" --dither --no-pdf --out "$scratch/b") s"
echo "convert -dither None -colors 30:            $(median_wall convert "$picture" -dither None -colors 30 "$scratch/im.bmp") s"
/usr/bin/time -f '%e %M' -o "$scratch/whole" "$cli" "$picture" --out "$scratch/c" >/dev/null
read -r wall peak <"$scratch/whole"
echo "velmora-cli with chart.pdf and legend.pdf:  $wall s (one run), peak memory $((peak / 1024)) MiB"
