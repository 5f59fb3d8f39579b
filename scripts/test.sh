#!/usr/bin/env bash
# Installs what is missing, builds everything, and runs every test in the sanitizer build
# (AddressSanitizer and UndefinedBehaviorSanitizer). The release build is made too, so that the
# benchmarks and the optimised program are known to compile. A warning in the project's own code
# fails either build.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

# Configured as scripts/run-sample.sh configures it (the presets turn warnings into errors), so
# either script reuses the build the other made.
cmake --preset release >/dev/null
cmake --build --preset release

cmake --preset sanitize >/dev/null
cmake --build --preset sanitize

# The picture decoders and the scheme file reader under libFuzzer (clang; see fuzz/README.md): half
# a minute each, seeded with the test corpus and the scheme files of the tests. Any crash, sanitizer
# report, input slower than 2 s or memory blow-up fails the run; its input is kept in
# build/fuzz/findings/ for replaying.
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target fuzz_bmp fuzz_jpeg fuzz_png fuzz_webp fuzz_gif fuzz_tiff fuzz_heif \
    fuzz_scheme_file
fuzz_scratch=$(mktemp -d)
trap 'rm -rf "$fuzz_scratch"' EXIT
mkdir -p build/fuzz/findings
run_fuzzer() { # target, then the name patterns of its seed files
    local target=$1 seeds="$fuzz_scratch/$1-seeds" work="$fuzz_scratch/$1-work"
    shift
    mkdir -p "$seeds" "$work"
    for pattern in "$@"; do
        find tests/corpus tests/data -name "$pattern" -exec cp {} "$seeds" \;
    done
    if ! "build/fuzz/fuzz/$target" -max_total_time=30 -timeout=2 -rss_limit_mb=2560 -max_len=65536 \
        -artifact_prefix="build/fuzz/findings/$target-" "$work" "$seeds" >"$fuzz_scratch/$target.log" 2>&1; then
        tail -n 60 "$fuzz_scratch/$target.log"
        echo "$target failed; the input is in build/fuzz/findings/" >&2
        exit 1
    fi
    grep -E '^(#[0-9]+ +DONE|Done [0-9]+ runs)' "$fuzz_scratch/$target.log" || true
}
run_fuzzer fuzz_bmp '*.bmp'
run_fuzzer fuzz_jpeg '*.jpg' '*.jpeg'
run_fuzzer fuzz_png '*.png'
run_fuzzer fuzz_webp '*.webp'
run_fuzzer fuzz_gif '*.gif'
run_fuzzer fuzz_tiff '*.tif' '*.tiff'
run_fuzzer fuzz_heif '*.heic' '*.heif'
run_fuzzer fuzz_scheme_file '*.json' '*.velmora'

# The test suite last, so that its summary closes the output.
ctest --preset sanitize -j2
