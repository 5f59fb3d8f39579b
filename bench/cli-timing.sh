#!/usr/bin/env bash
# Whole-program timing of the main job: velmora-cli on 1000 × 1000 JPEGs, side by side with
# ImageMagick reducing the same picture to 30 colours (colour reduction only, no threads).
# Every job runs RUNS times, in turn with ImageMagick's (A B A B …, so that a machine whose speed
# drifts slows both alike). Printed are the median wall time, the median CPU time (user + system)
# and the median peak memory (largest resident set) of every job, and their ratios to
# ImageMagick's.
# Goals for --formats json,bmp: at most 0.35 × ImageMagick's CPU time, and a peak memory no higher
# than its; the line "goals" says which hold. The whole default job has no goal beside ImageMagick's
# colour reduction: most of its time is the workbook's million cells (zlib and libxlsxwriter's
# formatting) and the PDFs, written side by side; it measures 7 to 9 × ImageMagick's CPU time and
# about 5 × its wall time.
# On both pictures the perceptual build (--perceptual) at 100 colours runs beside the usual build at
# 100 colours, and beside ImageMagick's -colors 30 as it comes, with its own dithering: its goal is
# a CPU time no higher than ImageMagick's (the line "goal of --perceptual"); the dithered
# perceptual build is shown beside it.
# Without ImageMagick's convert the jobs are timed alone and no ratio is printed.
# First comes velmora-cli's start: --version beside /bin/true (what starting any process costs),
# in turn, each run starting the program STARTS times from one shell; the goal is at most 1.5 × the
# CPU time of /bin/true (the line "goal of --version").
# Usage: bench/cli-timing.sh [BUILD_DIR] [RUNS] [STARTS]   (default build/release, 11 runs, 200 starts)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
runs=${2:-11}
starts=${3:-200}
# The bench picture, and a photograph of 195 000 colours (sea, sky and dune grass).
pictures=(bench/data/bench-1000.jpg bench/data/dune-1000.jpg)
cli=$build/cli/velmora-cli
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

convert=$(command -v convert || true)
[[ -n $convert ]] || echo "ImageMagick's convert is not installed: velmora-cli is timed alone, without ratios"

median() { sort -n | sed -n "$(((runs + 1) / 2))p"; }

# Runs the command once; appends its wall seconds, CPU seconds and peak KiB to $scratch/NAME.*.
run_once() { # name, command...
    local name=$1
    shift
    /usr/bin/time -f '%e %U %S %M' -o "$scratch/time" "$@" >/dev/null 2>&1
    read -r w u s m <"$scratch/time"
    echo "$w" >>"$scratch/$name.wall"
    awk -v u="$u" -v s="$s" 'BEGIN { printf "%.3f\n", u + s }' >>"$scratch/$name.cpu"
    echo "$m" >>"$scratch/$name.peak"
}

# Sets wall, cpu (seconds) and peak (MiB) to the medians of NAME's runs.
medians() { # name
    wall=$(median <"$scratch/$1.wall")
    cpu=$(median <"$scratch/$1.cpu")
    peak=$(awk '{ printf "%.1f\n", $1 / 1024 }' "$scratch/$1.peak" | median)
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

# A start takes milliseconds, less than the clock of a single run resolves: a run is STARTS starts.
# (/bin/true gets no argument: GNU's answers --version too, and sets up its locale to do so.)
# shellcheck disable=SC2016 # the inner shell expands them
start_many='i=0; n=$1; shift; while [ $i -lt "$n" ]; do "$0" "$@" >/dev/null; i=$((i + 1)); done'
echo "Start, $runs runs of $starts starts each:"
rm -f "$scratch"/*.wall "$scratch"/*.cpu "$scratch"/*.peak
for _ in $(seq "$runs"); do
    run_once true sh -c "$start_many" /bin/true "$starts"
    run_once version sh -c "$start_many" "$cli" "$starts" --version
done
medians true
true_cpu=$cpu
medians version
start_ratio=$(ratio "$cpu" "$true_cpu")
per_start() { awk -v c="$1" -v n="$starts" 'BEGIN { printf "%.2f", c * 1000 / n }'; }
printf '  %-66s %6s ms CPU a start\n' "/bin/true" "$(per_start "$true_cpu")"
printf '  %-66s %6s ms CPU a start   %5s x CPU\n' "velmora-cli --version" "$(per_start "$cpu")" "$start_ratio"
printf '  goal of --version: CPU at most 1.5 x /bin/true %s (%s x)\n' \
    "$(awk -v r="$start_ratio" 'BEGIN { print (r <= 1.5 ? "holds" : "missed") }')" "$start_ratio"

for picture in "${pictures[@]}"; do
    echo "$picture, $runs runs each:"
    jobs=("--formats json,bmp")
    [[ $picture == "${pictures[0]}" ]] && jobs+=("" "--formats xlsx" "--formats pdf" "--no-pdf" "--dither --no-pdf")
    jobs+=("--colors 100 --formats json,bmp" "--colors 100 --perceptual --formats json,bmp"
        "--colors 100 --perceptual --dither --formats json,bmp")
    rm -f "$scratch"/*.wall "$scratch"/*.cpu "$scratch"/*.peak
    for _ in $(seq "$runs"); do
        for j in "${!jobs[@]}"; do
            if [[ -n $convert ]]; then
                # The perceptual jobs beside ImageMagick's -colors 30 as it is, with its dithering.
                if [[ ${jobs[$j]} == *--perceptual* ]]; then
                    run_once "im$j" "$convert" "$picture" -colors 30 "$scratch/im.bmp"
                else
                    run_once "im$j" "$convert" "$picture" -dither None -colors 30 "$scratch/im.bmp"
                fi
            fi
            # shellcheck disable=SC2086 # the job's options are words
            run_once "cli$j" "$cli" "$picture" ${jobs[$j]} --out "$scratch/out"
        done
    done
    for j in "${!jobs[@]}"; do
        label="velmora-cli ${jobs[$j]:-(every file)}"
        medians "cli$j"
        cli_wall=$wall cli_cpu=$cpu cli_peak=$peak
        if [[ -z $convert ]]; then
            printf '  %-66s %6s s wall %6s s CPU %6s MiB\n' "$label" "$cli_wall" "$cli_cpu" "$cli_peak"
            continue
        fi
        medians "im$j"
        [[ $j == 0 ]] && printf '  %-66s %6s s wall %6s s CPU %6s MiB\n' "convert -dither None -colors 30" "$wall" "$cpu" "$peak"
        [[ ${jobs[$j]} == "--colors 100 --perceptual --formats json,bmp" ]] &&
            printf '  %-66s %6s s wall %6s s CPU %6s MiB\n' "convert -colors 30 (its own dithering)" "$wall" "$cpu" "$peak"
        cpu_ratio=$(ratio "$cli_cpu" "$cpu")
        peak_ratio=$(ratio "$cli_peak" "$peak")
        printf '  %-66s %6s s wall %6s s CPU %6s MiB   %5s x wall %5s x CPU %5s x peak\n' "$label" "$cli_wall" \
            "$cli_cpu" "$cli_peak" "$(ratio "$cli_wall" "$wall")" "$cpu_ratio" "$peak_ratio"
        if [[ $j == 0 ]]; then
            cpu_goal=$(awk -v r="$cpu_ratio" 'BEGIN { print (r <= 0.35 ? "holds" : "missed") }')
            peak_goal=$(awk -v r="$peak_ratio" 'BEGIN { print (r <= 1 ? "holds" : "missed") }')
            printf '  goals of --formats json,bmp: CPU at most 0.35 x %s (%s x), peak at most 1 x %s (%s x)\n' \
                "$cpu_goal" "$cpu_ratio" "$peak_goal" "$peak_ratio"
        elif [[ ${jobs[$j]} == "--colors 100 --perceptual --formats json,bmp" ]]; then
            cpu_goal=$(awk -v r="$cpu_ratio" 'BEGIN { print (r <= 1 ? "holds" : "missed") }')
            printf '  goal of --perceptual at 100 colours: CPU at most 1 x convert -colors 30 %s (%s x)\n' \
                "$cpu_goal" "$cpu_ratio"
        fi
    done
done
