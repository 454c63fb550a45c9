#!/bin/bash
# Starts the help viewer from the package `make dist` made, as it comes:
# unpacked into a folder of its own, the viewer started from its bin folder
# with nothing but its sample files beside it and the stand-ins' folder on
# the DLL search path (as a host ships the real libraries beside it), in a
# Wine prefix and on an X display of its own (tools/wine-session). The
# package's helpview-send.exe then finds the viewer's window by its class
# and has it show its start page, closes it, and the viewer must end with
# exit code 0. Every architecture this machine runs: bin64/ always, bin/
# where tools/probe-32bit says 32-bit code runs.
#   tests/dist_viewer_check.sh <dist folder>
# Ends with one line per architecture, or with what went wrong and the
# viewer's own output.
set -uo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "$1")
version=$(sed -n 's/.*TARN_VERSION_TEXT "\([0-9.]*\)".*/\1/p' "$here/resources/module_version.h")
zip=$out/tarn-support-$version.zip
[ -f "$zip" ] || { echo "package viewer: there is no package at $zip (make dist)" >&2; exit 1; }

# run_viewer <architecture> <bin folder> <stand-ins folder>, inside the
# session: WINE is the architecture's loader.
run_viewer() {
    local arch=$1 bin=$2 stand_ins=$3
    local log=$bin/../viewer-output.txt
    # How long the viewer has to show its window, and to end once told to:
    # it takes a second or two, but not on a loaded machine.
    local limit=60
    winpath() { printf 'Z:%s' "$1" | sed 's#/#\\#g'; }
    fail() {
        echo "package viewer $arch: $*" >&2
        if [ -s "$log" ]; then
            echo "  the viewer's output:" >&2
            sed 's/^/  | /' "$log" >&2
        fi
        [ -n "${viewer:-}" ] && kill "$viewer" 2>/dev/null
        exit 1
    }
    # Without its texts the viewer says so in a message box and waits.
    [ -s "$bin/helpview.sys" ] || fail "there is no helpview.sys beside the viewer: it would show a message and exit"
    export WINEPATH
    WINEPATH=$(winpath "$stand_ins")
    # Started as from Explorer: in its own folder, with no arguments, so it
    # shows its start page, helpview.htm.
    (cd "$bin" && exec "$WINE" helpview.exe) >"$log" 2>&1 </dev/null &
    viewer=$!
    send() { "$WINE" "$(winpath "$bin/helpview-send.exe")" "$@" >"$bin/../send-output.txt" 2>&1 </dev/null; }
    # Its window: helpview-send answers 1 until a window of the viewer's
    # class takes the command.
    local start=$SECONDS status=1
    while [ $((SECONDS - start)) -lt $limit ]; do
        if ! kill -0 "$viewer" 2>/dev/null; then
            wait "$viewer"
            local code=$? why=
            # Wine's exit status is the low byte of the exit code.
            case $code in
            2) why=" (it found no interface texts)" ;;
            53) why=" (0xC0000135: a library it imports was not found; themekit.dll and jaocx20.dll are in $stand_ins)" ;;
            esac
            fail "the viewer ended with exit code $code before its window appeared$why"
        fi
        send navigate "file://$(winpath "$bin/helpview.htm")"
        status=$?
        [ $status = 0 ] && break
        [ $status = 1 ] || fail "helpview-send navigate ended with $status: $(tr -d '\r' <"$bin/../send-output.txt")"
        sleep 0.5
    done
    [ $status = 0 ] ||
        fail "no window of class TARNHELP appeared within $limit s; the viewer still runs (showing a message?)"
    echo "-- package viewer $arch: its window appeared after $((SECONDS - start)) s and took a navigate command"
    send close || fail "helpview-send close ended with $?: $(tr -d '\r' <"$bin/../send-output.txt")"
    start=$SECONDS
    while kill -0 "$viewer" 2>/dev/null && [ $((SECONDS - start)) -lt $limit ]; do
        sleep 0.2
    done
    kill -0 "$viewer" 2>/dev/null && fail "the viewer still runs $limit s after helpview-send close"
    wait "$viewer"
    local code=$?
    viewer=
    [ $code = 0 ] || fail "the viewer ended with exit code $code after helpview-send close"
    send close
    [ $? = 1 ] || fail "a viewer's window is still there after the viewer ended"
}
export -f run_viewer

arches=(win64)
if reason=$("$here/tools/probe-32bit"); then
    arches=(win32 win64)
else
    echo "-- package viewer win32: not run: this machine cannot run 32-bit code ($reason)"
fi
for arch in "${arches[@]}"; do
    suffix=
    [ "$arch" = win64 ] && suffix=64
    # The package anew each time; the prefix (session/wineprefix) is kept.
    work=$out/viewer-run/$arch
    rm -rf "$work/package"
    mkdir -p "$work/package" "$work/session"
    (cd "$work/package" && cmake -E tar xf "$zip") || { echo "package viewer: $zip cannot be unpacked" >&2; exit 1; }
    echo "$arch" >"$work/session/wine-arch"
    package=$work/package/tarn-support-$version
    TARN_WIN_BUILD=$work/session "$here/tools/wine-session" \
        bash -c 'run_viewer "$@"' _ "$arch" "$package/bin$suffix" "$package/stand-ins$suffix" || exit 1
    echo "package viewer $arch: started from the package, showed its window, closed by helpview-send"
done
