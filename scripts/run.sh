#!/bin/sh
# One command for a fresh Debian 12 machine: install what is missing, build, start the program.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
"$ROOT/scripts/install-deps.sh"
# Only the programs: the tests and benchmarks build with scripts/test.sh.
"$ROOT/scripts/build.sh" -DYAOXIA_BUILD_TESTS=OFF -DYAOXIA_BUILD_BENCH=OFF
BIN="$ROOT/build/src/app"
# The embedded browser refuses to run its sandbox as root (a container, a fresh VM).
if [ "$(id -u)" -eq 0 ] && [ -z "${QTWEBENGINE_CHROMIUM_FLAGS:-}" ]; then
    export QTWEBENGINE_CHROMIUM_FLAGS="--no-sandbox"
fi
if [ -x "$BIN/yaoxia" ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ] || [ -n "${QT_QPA_PLATFORM:-}" ]; }; then
    exec "$BIN/yaoxia" "$@"
fi
# No desktop (or no desktop program yet): show the personal store with the command-line tool.
echo "run: no display; listing the personal certificate store with yaoxia-tool" >&2
exec "$BIN/yaoxia-tool" list my
