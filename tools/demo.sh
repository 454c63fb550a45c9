#!/bin/bash
# Shows the three modules working together, under Wine: the example host
# application (examples/host) runs its scripted tour. It selects a sample in
# the folder tree, plays it through the audio bridge with the equalizer and
# rotate on (the rendering engine writes what it plays to a WAVE file),
# opens the help viewer, sends it to another page and closes it, and saves
# pictures. Then sox draws the rendered output, and the skin library's own
# pictures are added. Everything goes to build/demo/.
# Without a display a private X server is used; with one, the tour runs in
# real windows on it. TARN_DPI=<n> shows the host at n DPI (96 when unset):
# the tour runs in the Wine prefix for that DPI (tools/wine-session), where
# the host, being DPI aware, lays itself out for n DPI.
#   tools/demo.sh            the demo
#   tools/demo.sh --scaling  says which scaling the demo shows, and fails on
#                            a TARN_DPI that is no DPI (make demo starts
#                            with it, before it builds)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${TARN_WIN_BUILD:-$here/build/win32}
arch=$(cat "$build/wine-arch" 2>/dev/null || echo win32)
out=$here/build/demo
winpath() { printf 'Z:%s' "$1" | sed 's#/#\\#g'; }
rel() { printf '%s' "${1#$here/}"; }
dpi=${TARN_DPI:-96}
case $dpi in
[1-9][0-9] | [1-9][0-9][0-9]) ;;
*)
    echo "demo: TARN_DPI=$dpi is not a screen DPI (a number such as 96, 144 or 192)" >&2
    exit 1
    ;;
esac
scaling="$dpi DPI ($((dpi * 100 / 96)) percent scaling)"
if [ "${1:-}" = --scaling ]; then
    echo "-- the demo shows the host at $scaling$([ "$dpi" = 96 ] && echo "; TARN_DPI=<n> make demo shows it at n DPI")"
    exit 0
fi

mkdir -p "$out"
rm -rf "$out"/host-*.png "$out"/help-viewer.png "$out"/tour-*.txt "$out"/tour-output.* "$out"/themekit*.png \
    "$out"/helpview.png "$out"/viewer

echo "== The host application's tour on the $arch build at $scaling (examples/host: folder tree, audio bridge, help viewer) =="
session=(env TARN_WIN_BUILD="$build")
if [ -n "${DISPLAY:-}" ]; then
    session+=(TARN_KEEP_DISPLAY=1)
    echo "(in real windows on $DISPLAY)"
fi
# Each step of the tour is shown as it starts; the whole output is kept.
set +e
"${session[@]}" TARN_ENGINE_OUTPUT="$(winpath "$out/tour-output.wav")" \
    "$here/tools/run-wine" "$build/host/host.exe" /tour /out "$(winpath "$out")" 2>&1 |
    tee "$out/tour-log.txt" | sed -u -n -e 's/^tour: /  - /p' -e '/^-- /p' -e '/^wine-session: /p'
status=${PIPESTATUS[0]}
set -e
if [ ! -s "$out/tour-summary.txt" ]; then
    tail -n 20 "$out/tour-log.txt" | sed 's/^/  | /' >&2
    echo "demo: the tour wrote no summary (exit code $status; whole log: $(rel "$out/tour-log.txt"))" >&2
    exit 1
fi
echo
echo "-- the tour's summary:"
tr -d '\r' <"$out/tour-summary.txt" | sed 's/^/  /'
[ "$status" = 0 ] || { echo "demo: the tour did not go as planned (exit code $status)" >&2; exit 1; }

echo
echo "== A picture of the rendered output (sox) =="
if command -v sox >/dev/null 2>&1 && [ -s "$out/tour-output.wav" ]; then
    # Up to 4 kHz, where the tone and the sweep are.
    sox "$out/tour-output.wav" -n rate 8k spectrogram -x 800 -Y 500 -z 60 \
        -t "The tone as the engine rendered it: equalizer and rotate on" \
        -c "left channel above, right below" -o "$out/tour-output.png"
    echo "  spectrogram: $(rel "$out/tour-output.png")"
    echo "  Rotate swings the sound between the sides: each channel falls silent in"
    echo "  turn (the right near 0.9 s and 4.5 s, the left near 2.7 s and 6.2 s). The"
    echo "  rising sweep is brighter where it passes the raised 1 kHz band."
else
    echo "  (no picture: sox is missing or the engine wrote nothing; make setup installs sox)"
fi

echo
echo "== The skin library's window, 3D button and message box (stand-in) =="
# Its pictures come from a test program, which the demo does not build. The
# skin draws in fixed pixels for programs that are not DPI aware, which the
# system stretches: they are taken at 96 DPI whatever the tour's scaling.
if [ -x "$build/tests/themekit_skin_test.exe" ]; then
    (cd "$out" && env -u TARN_DPI TARN_WIN_BUILD="$build" TARN_SCREENSHOT_DIR="$(winpath "$out")" \
        "$here/tools/run-wine" "$build/tests/themekit_skin_test.exe" --gtest_filter='*Screenshot*' >/dev/null)
    for png in "$out"/themekit*.png; do [ -f "$png" ] && echo "  picture: $(rel "$png")"; done
    [ "$dpi" = 96 ] || echo "  (at 96 DPI: the skin draws for programs that are not DPI aware, and Windows stretches them)"
else
    echo "  (its pictures come with the tests: after make build, make demo shows them too)"
fi

echo
echo "== Where to look =="
echo "  $(rel "$out")/host-main.png      the host at $dpi DPI: folder tree in its colours, what is playing"
echo "  $(rel "$out")/host-effects.png   the effects dialog the audio bridge reads, at $dpi DPI"
echo "  $(rel "$out")/help-viewer.png    the help viewer, after the host sent it to a page"
echo "  $(rel "$out")/tour-output.wav    what the engine played, and tour-output.png, its picture"
echo "  $(rel "$out")/tour-summary.txt   the summary above"
echo "Note: Wine here has no HTML engine (Debian ships no Gecko for it). The viewer's"
echo "browser control is created and told to show each page, but its page area stays"
echo "empty; on Windows the page appears there."
if [ "$dpi" != 96 ]; then
    echo "The host is DPI aware and draws itself at $dpi DPI. The help viewer is not: Windows"
    echo "stretches its 96-DPI picture to the scaling. Wine stretches nothing, so its picture"
    echo "here has the viewer's 96-DPI size, with the system's fonts at $dpi DPI in its bar."
fi
echo "Use the host yourself, on your display: TARN_KEEP_DISPLAY=1 TARN_WIN_BUILD=$(rel "$build") tools/run-wine $(rel "$build")/host/host.exe"
echo "(put TARN_DPI=<n> before it to run it at n DPI)"
