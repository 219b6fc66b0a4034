#!/bin/sh
# Renders every page and main dialog with sample data offscreen into PNG files in OUTDIR, for the
# README, the help and reviews:  scripts/screenshots.sh OUTDIR [AREA...]
# BUILD_DIR (default build-test) must be a configured build dir; the program is built if needed.
set -eu
[ $# -ge 1 ] || { echo "usage: $0 OUTDIR [AREA...]" >&2; exit 2; }
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD_DIR=${BUILD_DIR:-$ROOT/build-test}
OUT=$(mkdir -p "$1" && cd "$1" && pwd)
shift
ninja -C "$BUILD_DIR" yaoxia-screenshots >/dev/null
RUNTIME=$(mktemp -d)
chmod 700 "$RUNTIME"
trap 'rm -rf "$RUNTIME"' EXIT
# The embedded browser paints without a GPU, and as root only without its sandbox.
QTWEBENGINE_CHROMIUM_FLAGS=${QTWEBENGINE_CHROMIUM_FLAGS:---no-sandbox --disable-gpu} \
    QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$RUNTIME" YAOXIA_HOME="$RUNTIME/home" \
    "$BUILD_DIR/shots/yaoxia-screenshots" "$OUT" "$@"
