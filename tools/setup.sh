#!/bin/bash
# Installs everything the build and the tests need on a fresh Debian 12
# machine. Safe to run again: it installs only what is missing.
set -euo pipefail
packages=(g++-mingw-w64-i686 wine wine32:i386 xvfb xauth cmake make googletest
          clang libclang-rt-14-dev g++ fonts-wine sox)
need_i386=0
dpkg --print-foreign-architectures | grep -qx i386 || need_i386=1
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "$need_i386" = 1 ] || [ ${#missing[@]} -gt 0 ]; then
    sudo=""; [ "$(id -u)" = 0 ] || sudo=sudo
    [ "$need_i386" = 1 ] && $sudo dpkg --add-architecture i386
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
echo "setup: all tools present"
