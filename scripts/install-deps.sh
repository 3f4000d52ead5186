#!/bin/sh
# Installs, with apt-get, every package the build, the tests and the tool need.
# Idempotent: packages that are already installed are left alone, and nothing
# is fetched when all of them are present.
set -eu

PACKAGES="
  build-essential
  cmake
  pkg-config
  libboost-dev
  librdkit-dev
  zlib1g-dev
  libcairo2-dev
  libxlsxwriter-dev
  unzip
  libcli11-dev
  nlohmann-json3-dev
  libgtest-dev
  libgmock-dev
  libbenchmark-dev
  locales
  chromium
  clang
  libclang-rt-14-dev
"

missing=""
for p in $PACKAGES; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $p"
  fi
done

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi

if [ -n "$missing" ]; then
  echo "Installing:$missing"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  # shellcheck disable=SC2086
  $SUDO apt-get install -y -qq --no-install-recommends $missing
fi

# The tests read numbers under a locale whose decimal separator is a comma.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  echo "Generating the de_DE.UTF-8 locale"
  $SUDO localedef -i de_DE -c -f UTF-8 de_DE.UTF-8
fi
