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
  clang-format zip unzip python3 ccache
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
# A mirror in the middle of a sync fails one index now and then (seen: bookworm-security's i386
# list); the lists that did arrive still serve, so a failed update is only a warning.
for try in 1 2 3; do
  apt-get update -q && break
  echo "setup: apt-get update failed (try $try of 3)" >&2
  sleep 5
done
install() { DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "$@" "${packages[@]}"; }
# Without one of the indexes the i386 and amd64 candidates of a library can differ, which multiarch
# refuses; the release's own suite then gives both architectures the same version.
install || install -t "$(. /etc/os-release && echo "$VERSION_CODENAME")"
