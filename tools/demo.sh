#!/bin/bash
# Shows what the system can do, under Wine: the help viewer opened on its
# bundled help page, and the skin library's window, buttons and message box.
# Pictures go to build/demo/. Without a display a private X server is used;
# with one, the viewer stays open on it for DEMO_SECONDS (default 15) unless
# it is closed sooner.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${TARN_WIN32_BUILD:-$here/build/win32}
out=$here/build/demo
mkdir -p "$out"
winpath() { printf 'Z:%s' "$1" | sed 's#/#\\#g'; }

echo "== Help viewer on its bundled help page =="
viewer=$out/viewer
mkdir -p "$viewer"
cp "$build/bin/helpview.exe" "$viewer/"
cp "$here"/helpview/demo/helpview.{sys,skl,htm} "$viewer/"
rm -f "$out/helpview.png"
driver=("$build/demo/helpview_demo.exe" "$(winpath "$viewer")" "$(winpath "$out/helpview.png")")
if [ -n "${DISPLAY:-}" ]; then
    TARN_KEEP_DISPLAY=1 TARN_WIN32_BUILD=$build "$here/tools/run-win32" "${driver[@]}" "${DEMO_SECONDS:-15}"
else
    TARN_WIN32_BUILD=$build "$here/tools/run-win32" "${driver[@]}" 0
fi
[ -f "$out/helpview.png" ] || { echo "demo: no picture of the viewer was made" >&2; exit 1; }
echo "picture: build/demo/helpview.png"
echo "Note: Wine here has no HTML engine (Debian ships no Gecko for it). The"
echo "browser control is created and told to show the page, but its area stays"
echo "empty; on Windows the page appears there."

echo "== Skinned window, 3D button and message box (skin library stand-in) =="
(cd "$out" && TARN_WIN32_BUILD=$build TARN_SCREENSHOT_DIR="$(winpath "$out")" \
    "$here/tools/run-win32" "$build/tests/themekit_skin_test.exe" --gtest_filter='*Screenshot*' >/dev/null)
ls "$out"/themekit*.png >/dev/null 2>&1 || { echo "demo: no picture of the skin was made" >&2; exit 1; }
for png in "$out"/themekit*.png; do echo "picture: ${png#$here/}"; done
