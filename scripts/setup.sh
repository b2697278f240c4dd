#!/usr/bin/env bash
# Installs every Debian package the build and the tests need. Safe to run again: it does nothing
# when everything is already there.
set -euo pipefail

packages=(
  g++-multilib cmake make
  libgtest-dev:i386 libbenchmark-dev:i386 librapidcheck-dev:i386
  g++-mingw-w64-i686 binutils-mingw-w64-i686
  wine wine32:i386 xvfb xauth
  fonts-wine fonts-liberation locales pngcheck libstb-dev
  clang libclang-rt-14-dev
  zip unzip python3
)

missing=()
dpkg --print-foreign-architectures 2>/dev/null | grep -qx i386 || missing+=(arch:i386)
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

cmd="dpkg --add-architecture i386 && apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends ${packages[*]}"
if [ "$(id -u)" -ne 0 ]; then
  echo "Missing: ${missing[*]}" >&2
  echo "Run as root: $cmd" >&2
  exit 1
fi
echo "setup: installing ${missing[*]}"
dpkg --add-architecture i386
apt-get update -q
DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${packages[@]}"
