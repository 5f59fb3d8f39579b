#!/usr/bin/env bash
# Whole-program timing of the main job: velmora-cli on a 1000 × 1000 JPEG, side by side with
# ImageMagick reducing the same picture to 30 colours (colour reduction only, no threads).
# Prints, over RUNS runs each, the median wall time, the median CPU time (user + system) and the
# largest peak memory of every job, and the ratios of the medians to ImageMagick's.
# Goals: the whole default job at most 8 × ImageMagick; --formats json,bmp under half of it.
# Usage: bench/cli-timing.sh [BUILD_DIR] [RUNS]   (default build/release, 11 runs)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
runs=${2:-11}
picture=bench/data/bench-1000.jpg
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

median() { sort -n | sed -n "$(((runs + 1) / 2))p"; }

# Sets wall, cpu and peak (MiB) for the command.
measure() {
    : >"$scratch/walls"
    : >"$scratch/cpus"
    peak=0
    for _ in $(seq "$runs"); do
        /usr/bin/time -f '%e %U %S %M' -o "$scratch/time" "$@" >/dev/null 2>&1
        read -r w u s m <"$scratch/time"
        echo "$w" >>"$scratch/walls"
        awk -v u="$u" -v s="$s" 'BEGIN { printf "%.2f\n", u + s }' >>"$scratch/cpus"
        ((m > peak)) && peak=$m
    done
    wall=$(median <"$scratch/walls")
    cpu=$(median <"$scratch/cpus")
    peak=$((peak / 1024))
}

measure convert "$picture" -dither None -colors 30 "$scratch/im.bmp"
im_wall=$wall
im_cpu=$cpu
printf '%-44s %6s s wall %6s s CPU %4s MiB\n' "convert -dither None -colors 30" "$wall" "$cpu" "$peak"

cli=$build/cli/velmora-cli
job() { # label, arguments...
    local label=$1
    shift
    measure "$cli" "$picture" "$@" --out "$scratch/out"
    printf '%-44s %6s s wall %6s s CPU %4s MiB   %5.1f x wall %5.1f x CPU\n' "$label" "$wall" "$cpu" "$peak" \
        "$(awk -v a="$wall" -v b="$im_wall" 'BEGIN { print a / b }')" "$(awk -v a="$cpu" -v b="$im_cpu" 'BEGIN { print a / b }')"
}
job "velmora-cli, every file"
job "velmora-cli --formats json,bmp" --formats json,bmp
job "velmora-cli --formats xlsx" --formats xlsx
job "velmora-cli --formats pdf" --formats pdf
job "velmora-cli --no-pdf" --no-pdf
job "velmora-cli --dither --no-pdf" --dither --no-pdf
