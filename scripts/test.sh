#!/bin/sh
# One command for a fresh Debian 12 machine: install what is missing, build with warnings as
# errors, run every test (GUI tests offscreen), then a short smoke pass of every fuzz target.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
"$ROOT/scripts/install-deps.sh"

BUILD_DIR=${BUILD_DIR:-$ROOT/build-test}
BUILD_DIR="$BUILD_DIR" BUILD_TYPE=Debug "$ROOT/scripts/build.sh" -DYAOXIA_WERROR=ON

export QT_QPA_PLATFORM=offscreen
RUNTIME=$(mktemp -d)
chmod 700 "$RUNTIME"
export XDG_RUNTIME_DIR="$RUNTIME"
# Tests never touch the user's real data.
export YAOXIA_HOME="$RUNTIME/home"
mkdir -p "$YAOXIA_HOME"

status=0
if command -v git >/dev/null 2>&1 && [ -d "$ROOT/.git" ]; then
    "$ROOT/scripts/check-format.sh" || status=1
fi
ctest --test-dir "$BUILD_DIR" --output-on-failure -j "$(nproc)" --timeout 600 || status=1

if [ "${SKIP_FUZZ:-0}" != 1 ]; then
    "$ROOT/scripts/fuzz-smoke.sh" || status=1
fi
rm -rf "$RUNTIME"
exit $status
