#!/usr/bin/env bash
# The main job without a display: installs what is missing, builds the release programs and makes
# a scheme from the bundled sample picture into ./out (picture.bmp, scheme.json, scheme.xlsx,
# chart.pdf, legend.pdf).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

# The same release build as scripts/test.sh's, made only as far as the sample and the package
# need: the two programs, velmora-cli's module of Qt parts and the compressed manual pages.
# scripts/test.sh builds the rest (tests, benchmarks, velmora-demo) in the same folder and builds
# none of these again.
cmake --preset release >/dev/null
cmake --build --preset release --target velmora-cli velmora-cli-qt velmora velmora_compressed_docs

mkdir -p out
./build/release/cli/velmora-cli samples/cat-chelsea-451x300.jpg --width 120 --colors 30 --out out "$@"
echo "Scheme written to $(pwd)/out:"
ls -l out
echo
echo "Start the window program with: build/release/app/velmora"
