#!/bin/bash
# Installs everything the two Windows builds, the native builds and the
# tests need on a fresh Debian 12 machine. Safe to run again: it installs
# only what is missing.
#   tools/setup.sh               install what is missing
#   tools/setup.sh --if-missing  the same, silent when nothing is missing
#                                (make build and test run it first)
#   tools/setup.sh --if-missing --demo
#                                only what make demo needs: the compiler of
#                                the one architecture the demo runs on, Wine,
#                                the X server and sox (make demo runs it)
# 32-bit Wine is installed only where a real probe (tools/probe-32bit) finds
# that this machine can run 32-bit code; elsewhere the 32-bit build is still
# made and checked, and its Wine suite is not run.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
quiet=0
demo=0
for argument in "$@"; do
    case $argument in
    --if-missing) quiet=1 ;;
    --demo) demo=1 ;;
    *) echo "usage: tools/setup.sh [--if-missing] [--demo]" >&2; exit 2 ;;
    esac
done

# The probe assembles a 32-bit program, so binutils comes first.
if command -v as >/dev/null 2>&1 && "$here/tools/probe-32bit" >/dev/null; then
    can32=1
else
    can32=0
fi
# The demo's tools: its one architecture's compiler, Wine, the X server,
# sox for the picture of what was played, the native compiler that makes
# the samples, and the GoogleTest sources, which the configure step reads.
packages=(wine wine64 xvfb xauth cmake make googletest g++ binutils fonts-wine sox)
if [ "$can32" = 1 ]; then
    packages+=(wine32:i386 g++-mingw-w64-i686)
else
    packages+=(g++-mingw-w64-x86-64)
fi
# Everything else: both builds, the native, sanitizer and fuzzing builds,
# and the platform toolchain's stand-ins (clang-cl, lld-link, llvm-dlltool,
# llvm-pdbutil, with Wine's platform headers) for the .lib files, the
# MSVC-style host and the symbol checks.
if [ "$demo" = 0 ]; then
    packages+=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 clang libclang-rt-14-dev lld llvm libwine-dev)
fi

need_i386=0
if [ "$can32" = 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    need_i386=1
fi
missing=()
declare -A listed
for p in "${packages[@]}"; do
    [ -n "${listed[$p]:-}" ] && continue
    listed[$p]=1
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

# apt's own output goes to this log; a failure shows its end.
log=$here/build/setup.log
installed=0
if [ "$need_i386" = 1 ] || [ ${#missing[@]} -gt 0 ]; then
    what="packages with apt-get, once"
    [ "$demo" = 1 ] && what="packages that the demo needs with apt-get, once; make test adds the rest"
    echo "setup: installing ${#missing[@]} $what (about 1 to 3 minutes; log: ${log#$here/}):"
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
    tools="every tool"
    [ "$demo" = 1 ] && tools="every tool the demo needs"
    if [ "$can32" = 1 ]; then
        echo "setup: $tools is there (this machine runs 32-bit code: both Wine suites can run)"
    else
        echo "setup: $tools is there (this machine cannot run 32-bit code: $("$here/tools/probe-32bit"))"
        [ "$demo" = 1 ] || echo "setup: the 64-bit Wine suite runs; the 32-bit build is made and checked without Wine"
    fi
fi
