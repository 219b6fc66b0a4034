#!/bin/sh
# Fails when a tracked C++ file differs from what clang-format makes of it.
set -eu
cd "$(dirname "$0")/.."
bad=0
for f in $(git ls-files '*.cpp' '*.h'); do
    if ! clang-format --dry-run -Werror "$f" >/dev/null 2>&1; then
        echo "format: $f needs clang-format -i"
        bad=1
    fi
done
exit $bad
