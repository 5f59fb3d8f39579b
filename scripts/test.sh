#!/usr/bin/env bash
# Installs what is missing, builds everything, and runs every test in the sanitizer build
# (AddressSanitizer and UndefinedBehaviorSanitizer). The release build is made too, so that the
# benchmarks and the optimised program are known to compile. A warning in the project's own code
# fails either build.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

cmake --preset release -DVELMORA_WARNINGS_AS_ERRORS=ON >/dev/null
cmake --build --preset release

cmake --preset sanitize -DVELMORA_WARNINGS_AS_ERRORS=ON >/dev/null
cmake --build --preset sanitize
ctest --preset sanitize -j2
