#!/usr/bin/env bash
# Installs every Debian package that building, running and testing ミルテ
# needs (skipping the install when all are present), then configures and
# builds the project into build/. Safe to run again and again.
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libvulkan-dev libx11-dev qt6-translations-l10n fonts-ipafont
  libgmime-3.0-dev libssl-dev openssl
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  dovecot-core dovecot-pop3d python3 python3-aiosmtpd
  xvfb xauth
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' \
    || missing+=("$p")
done
if ((${#missing[@]})); then
  SUDO=()
  [ "$(id -u)" -eq 0 ] || SUDO=(sudo)
  echo "Installing: ${missing[*]}"
  "${SUDO[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${SUDO[@]}" apt-get install -y \
    --no-install-recommends "${missing[@]}"
fi

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --parallel
