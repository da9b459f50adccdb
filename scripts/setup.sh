#!/usr/bin/env bash
# Installs every Debian package the build, the tests, the benchmarks and the demo need.
# Works as root, or through sudo for anyone else. Safe to run again.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libqt6sql6-psql libqt6svg6 qt6-svg-dev
  qt6-qpa-plugins libgl-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  sqlite3 libsqlite3-dev postgresql postgresql-client
  cups cups-client cups-bsd printer-driver-cups-pdf libcups2-dev
  fonts-wqy-zenhei fonts-dejavu-core
  poppler-utils xvfb xauth
  # the workbook export writes .xlsx through libxlsxwriter; its tests read the workbooks
  # back with LibreOffice Calc, headless
  libxlsxwriter-dev libreoffice-calc-nogui
)

# The fuzz targets (fuzz/build.sh) build with clang's libFuzzer; they are not part of the
# test suite, so their compiler is installed only when asked: PQ_WITH_FUZZ=1.
if [ "${PQ_WITH_FUZZ:-0}" = "1" ]; then
  PACKAGES+=(clang-14 libclang-rt-14-dev)
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
