#!/bin/bash
# Installs everything the two Windows builds, the native builds and the
# tests need on a fresh Debian 12 machine. Safe to run again: it installs
# only what is missing.
#   tools/setup.sh               install what is missing
#   tools/setup.sh --if-missing  the same, silent when nothing is missing
#                                (make build, test and demo run it first)
# 32-bit Wine is installed only where a real probe (tools/probe-32bit) finds
# that this machine can run 32-bit code; elsewhere the 32-bit build is still
# made and checked, and its Wine suite is not run.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
quiet=0
[ "${1:-}" = --if-missing ] && quiet=1

packages=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine64 xvfb xauth cmake make googletest
          clang libclang-rt-14-dev g++ binutils fonts-wine sox)
# The probe assembles a 32-bit program, so binutils comes first.
if command -v as >/dev/null 2>&1 && "$here/tools/probe-32bit" >/dev/null; then
    can32=1
    packages+=(wine32:i386)
else
    can32=0
fi

need_i386=0
if [ "$can32" = 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    need_i386=1
fi
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

# apt's own output goes to this log; a failure shows its end.
log=$here/build/setup.log
installed=0
if [ "$need_i386" = 1 ] || [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${#missing[@]} packages with apt-get, once (about 1 to 3 minutes; log: ${log#$here/}):"
    echo "       ${missing[*]:-(the i386 architecture)}"
    sudo=""
    [ "$(id -u)" = 0 ] || sudo=sudo
    [ "$need_i386" = 1 ] && $sudo dpkg --add-architecture i386
    "$here/tools/long-step" "reading the package lists" "$log.update" $sudo apt-get update -q || exit 1
    "$here/tools/long-step" "installing the packages" "$log" \
        env DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}" ||
        exit 1
    installed=1
    # The assembler may have just arrived: ask the probe again.
    if [ "$can32" = 0 ] && "$here/tools/probe-32bit" >/dev/null; then
        exec "$0" "$@"
    fi
fi
if [ "$installed" = 1 ]; then
    echo "setup: done"
fi
if [ "$quiet" = 0 ] || [ "$installed" = 1 ]; then
    if [ "$can32" = 1 ]; then
        echo "setup: every tool is there (this machine runs 32-bit code: both Wine suites can run)"
    else
        echo "setup: every tool is there (this machine cannot run 32-bit code: $("$here/tools/probe-32bit"))"
        echo "setup: the 64-bit Wine suite runs; the 32-bit build is made and checked without Wine"
    fi
fi
