#!/usr/bin/env bash
# Builds the static JPEG library for the cross toolchain into BUILD_DIR/jpeg (lib/libjpeg.a
# and its headers), from Debian's libjpeg-turbo source package: there is no mingw package
# of it. Quick when it is built already. Needs root only on a machine without a deb-src
# entry for the Debian archive or without dpkg-dev.
#
#   scripts/build-jpeg.sh BUILD_DIR [JOBS]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(mkdir -p "${1:?usage: build-jpeg.sh BUILD_DIR [JOBS]}" && cd "$1" && pwd)
jobs=${2:-${JOBS:-$(nproc)}}
prefix=$build/jpeg
stamp=$prefix/.built

[ -f "$stamp" ] && [ -f "$prefix/lib/libjpeg.a" ] && exit 0

need_root() {
  if [ "$(id -u)" -ne 0 ]; then
    echo "build-jpeg.sh: $1 (run as root once)" >&2
    exit 1
  fi
}

# A deb-src entry for the archive the machine already uses, so the source matches its release.
if ! apt-get source --print-uris -q libjpeg-turbo >/dev/null 2>&1; then
  need_root "no deb-src entry for the Debian archive"
  . /etc/os-release
  codename=${VERSION_CODENAME:?no release codename in /etc/os-release}
  uri=""
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    uri=$(awk -v c="$codename" '
      /^$/ { if (deb && suite) { print u; exit } deb = suite = 0; u = "" }
      /^Types:/ && / deb( |$)/ { deb = 1 }
      /^URIs:/ { u = $2 }
      /^Suites:/ { for (i = 2; i <= NF; i++) if ($i == c) suite = 1 }
      END { if (deb && suite) print u }' /etc/apt/sources.list.d/debian.sources | head -n1)
  fi
  if [ -z "$uri" ] && [ -f /etc/apt/sources.list ]; then
    uri=$(sed -nE "s/^deb (\[[^]]*\] )?([^ ]+) $codename( .*)?\$/\2/p" /etc/apt/sources.list | head -n1)
  fi
  uri=${uri:-http://deb.debian.org/debian}
  printf 'Types: deb-src\nURIs: %s\nSuites: %s\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
    "$uri" "$codename" >/etc/apt/sources.list.d/qz-jpeg-src.sources
  apt-get update -q
fi
if ! command -v dpkg-source >/dev/null; then
  need_root "dpkg-dev is needed to unpack the source package"
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends dpkg-dev
fi

work=$build/jpeg-work
rm -rf "$work" "$prefix"
mkdir -p "$work"
( cd "$work" && apt-get source -q libjpeg-turbo >/dev/null 2>&1 ) || {
  echo "build-jpeg.sh: apt-get source libjpeg-turbo failed" >&2
  exit 1
}
src=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name 'libjpeg-turbo-*' | head -n1)
[ -n "$src" ] || { echo "build-jpeg.sh: no unpacked source in $work" >&2; exit 1; }

# Only the static library, without the SIMD code (it would need an assembler).
cmake -S "$src" -B "$work/build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
  -DCMAKE_CROSSCOMPILING_EMULATOR= -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release -DENABLE_SHARED=OFF \
  -DENABLE_STATIC=ON -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF -DWITH_JAVA=OFF >/dev/null
cmake --build "$work/build" -j "$jobs" --target jpeg-static >/dev/null

mkdir -p "$prefix/lib" "$prefix/include"
cp "$work/build/libjpeg.a" "$prefix/lib/"
cp "$src/jpeglib.h" "$src/jmorecfg.h" "$src/jerror.h" "$work/build/jconfig.h" "$prefix/include/"
rm -rf "$work"
touch "$stamp"
