#!/usr/bin/env bash
# compare.sh LINUX_BUILD WINDOWS_BUILD [SECONDS] — window-fps of the Linux build and of
# the Windows build under Wine, one after the other on one fresh Xvfb, each from its
# build folder (where the textures lie).
set -euo pipefail
linux=$(realpath "$1") windows=$(realpath "$2") seconds=${3:-3}
for n in $(seq 80 89); do
    [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] || break
done
Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
export DISPLAY=":$n"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

echo "== Linux (SDL2), $DISPLAY"
(cd "$linux" && bench/window_fps/window-fps "$seconds")
echo "== Windows (Win32) under Wine, $DISPLAY"
(cd "$windows" && ./wine-run bench/window_fps/window-fps.exe "$seconds")
"$windows/island-wine" --stop
