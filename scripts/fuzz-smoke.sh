#!/bin/sh
# Builds the libFuzzer targets with clang and runs each for a short while over its seed corpus.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
FUZZ_DIR=${FUZZ_DIR:-$ROOT/build-fuzz}
SECONDS_EACH=${FUZZ_SECONDS:-20}
cmake -S "$ROOT" -B "$FUZZ_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang \
      -DCMAKE_CXX_COMPILER=clang++ -DYAOXIA_BUILD_FUZZ=ON -DYAOXIA_BUILD_GUI=OFF \
      -DYAOXIA_BUILD_TESTS=OFF -DYAOXIA_BUILD_BENCH=OFF >/dev/null
cmake --build "$FUZZ_DIR" -j "$(nproc)"
status=0
for target in "$FUZZ_DIR"/fuzz/*_fuzz; do
    [ -x "$target" ] || continue
    name=$(basename "$target" _fuzz)
    corpus="$ROOT/fuzz/corpus/$name"
    work=$(mktemp -d)
    [ -d "$corpus" ] && cp -r "$corpus"/. "$work"/ 2>/dev/null || true
    echo "fuzz: $name for ${SECONDS_EACH}s"
    if ! YAOXIA_HOME="$work/home" "$target" -max_total_time="$SECONDS_EACH" -rss_limit_mb=2048 \
            -print_final_stats=0 "$work" >"$work.log" 2>&1; then
        echo "fuzz: $name FAILED"; tail -40 "$work.log"; status=1
    fi
    rm -rf "$work" "$work.log"
done
exit $status
