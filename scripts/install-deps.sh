#!/usr/bin/env bash
# Installs the cross toolchain, GoogleTest sources, 32-bit Wine, Xvfb and the test fonts on Debian 12.
# Quick when everything is there already.
set -euo pipefail
packages=(cmake make g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix mingw-w64-i686-dev
          binutils-mingw-w64-i686 libz-mingw-w64-dev googletest wine wine32:i386 xvfb xauth
          fonts-dejavu-core fonts-dejavu-extra)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
if [ "$(id -u)" -ne 0 ]; then
  echo "missing packages (run as root to install): ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
apt-get update -q
apt-get install -y -q --no-install-recommends "${missing[@]}"
