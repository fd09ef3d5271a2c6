#!/usr/bin/env bash
# Installs every build, run and test dependency from Debian packages.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-base-dev-tools qt6-tools-dev-tools
  libqt6sql6-sqlite libqt6sql6-psql
  qt6-websockets-dev qt6-svg-dev qt6-webengine-dev qt6-image-formats-plugins
  libboost-dev
  libxlsxwriter-dev libminizip-dev
  rapidjson-dev libsimdjson-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  sqlite3 postgresql postgresql-client
  libcurl4-openssl-dev
  fonts-dejavu-core fonts-dejavu-extra curl
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all packages present"
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
echo "install-deps: installed ${#missing[@]} package(s)"
