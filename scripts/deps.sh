#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the outside peers need, when they are missing.
# Idempotent; runs as root or through sudo.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config dpkg-dev file
  qt6-base-dev libgl-dev
  libtinyxml-dev libxml2-utils
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  python3 python3-xlrd python3-olefile python3-pyvisa-py python3-numpy python3-pandas python3-xlwt
  libreoffice-calc-nogui
  ghostscript
  xvfb xauth
  fonts-wqy-microhei fonts-liberation
  qt6-translations-l10n
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

# Node.js may come from outside Debian's packages; only a missing command asks for them.
command -v npm >/dev/null 2>&1 || missing+=(nodejs npm)

if ((${#missing[@]})); then
  echo "deps: installing ${missing[*]}"
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# A decimal-comma locale, so that tests prove number texts do not follow the process locale.
if ! locale -a 2>/dev/null | grep -qi '^de_DE.utf8$'; then
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  if ! dpkg-query -W -f='${Status}' locales 2>/dev/null | grep -q 'install ok installed'; then
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq locales >/dev/null
  fi
  $sudo sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
  $sudo locale-gen >/dev/null
fi

# Node peers of the workbook tests (the xlsx package) live beside those tests.
top="$(cd "$(dirname "$0")/.." && pwd)"
if [ -f "$top/tests/peer/package.json" ] && [ ! -d "$top/tests/peer/node_modules" ]; then
  (cd "$top/tests/peer" && npm install --no-audit --no-fund --silent)
fi
