#!/usr/bin/env bash
# Installs every Debian package Velmora needs to build, test, benchmark, fuzz and package
# (`cpack -G DEB` reads the programs' library needs with dpkg-shlibdeps, after `file` has told it
# which installed files are programs), and what the package depends on besides the libraries
# (packaging/CMakeLists.txt), so that `dpkg -i` of it works on the machine that made it.
# Idempotent: quiet and quick when everything is already there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-translations-l10n
  libjpeg62-turbo-dev libxlsxwriter-dev
  libspng-dev libwebp-dev libgif-dev libtiff-dev libheif-dev libde265-0
  nlohmann-json3-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  fonts-symbola fonts-liberation2 fonts-dejavu-core
  xvfb xauth
  desktop-file-utils appstream groff-base
  file dpkg-dev
  python3 python3-openpyxl python3-fonttools poppler-utils
  libjpeg-turbo-progs imagemagick time
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then sudo=(); else sudo=(sudo); fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
