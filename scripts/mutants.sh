#!/bin/bash
# Mutation check of the tests: puts the small faults listed in scripts/mutants/list.txt into the
# code one at a time, rebuilds only the tests each fault names, runs them and reports whether they
# caught it. A command for people (it takes a while), not part of CI.
#
#   scripts/mutants.sh [-b BUILD_DIR] [-k] [ID_REGEX]
#     -b  a configured build dir (default build-test)
#     -k  skip the first pass that checks the named tests pass on the unchanged code
#     ID_REGEX  only the faults whose id matches
#
# Refuses to start on a tree with uncommitted changes, and always puts the source back (also on
# Ctrl-C), so `git status` is clean afterwards.
set -u
ROOT=$(cd "$(dirname "$0")/.." && pwd)
LIST="$ROOT/scripts/mutants/list.txt"
BUILD_DIR="$ROOT/build-test"
BASELINE=1
while getopts "b:k" opt; do
    case $opt in
    b) BUILD_DIR=$(cd "$OPTARG" && pwd) ;;
    k) BASELINE=0 ;;
    *) sed -n '2,12p' "$0" >&2; exit 2 ;;
    esac
done
shift $((OPTIND - 1))
ONLY=${1:-}
JOBS=${JOBS:-2}
TEST_TIMEOUT=${TEST_TIMEOUT:-300}

cd "$ROOT" || exit 2
if [ -n "$(git status --porcelain --untracked-files=no)" ]; then
    echo "mutants: the work tree has uncommitted changes; commit or stash them first" >&2
    exit 2
fi
if [ ! -f "$BUILD_DIR/build.ninja" ]; then
    echo "mutants: $BUILD_DIR is not a configured Ninja build dir" >&2
    exit 2
fi

WORK=$(mktemp -d)
CURRENT=""
restore() {
    if [ -n "$CURRENT" ]; then
        git checkout -q -- "$CURRENT"
        CURRENT=""
    fi
}
cleanup() {
    restore
    rm -rf "$WORK"
}
trap cleanup EXIT
trap 'echo; echo "mutants: interrupted, source restored" >&2; exit 130' INT TERM

# Blocks of "key: value" lines -> one tab-separated line per fault: id, tests, file, old, new.
awk '
    /^#/ { next }
    /^[a-z]+: / { k = $1; sub(/:$/, "", k); v = $0; sub(/^[a-z]+: /, "", v); f[k] = v; next }
    /^[[:space:]]*$/ { if (f["id"] != "") print f["id"] "\t" f["tests"] "\t" f["file"] "\t" f["old"] "\t" f["new"]; delete f }
    END { if (f["id"] != "") print f["id"] "\t" f["tests"] "\t" f["file"] "\t" f["old"] "\t" f["new"] }
' "$LIST" >"$WORK/faults.tsv"

# The test programs; AUTOMOC's helper targets (test_X_autogen...) are no programs.
ALL_TARGETS=$(ninja -C "$BUILD_DIR" -t targets all | sed -n 's/^\(test_[A-Za-z0-9_]*\): phony$/\1/p' |
    grep -v '_autogen' | sort -u)

targetsFor() { echo "$ALL_TARGETS" | grep -E -- "^test_($1)" ; }

executableOf() {
    find "$BUILD_DIR" -type f -name "$1" -perm -u+x -print -quit
}

# Runs the test executables; returns 1 as soon as one fails.
runTests() {
    local t exe home rt
    for t in "$@"; do
        exe=$(executableOf "$t")
        [ -n "$exe" ] || { echo "no executable for $t" >>"$WORK/log"; return 1; }
        home=$(mktemp -d "$WORK/home.XXXXXX")
        rt=$(mktemp -d "$WORK/rt.XXXXXX")
        chmod 700 "$rt"
        # The environment ctest gives the tests (tests/gui/CMakeLists.txt), the embedded browser's
        # flags included.
        if ! (cd "$(dirname "$exe")" && env QT_QPA_PLATFORM=offscreen YAOXIA_HOME="$home" \
            XDG_RUNTIME_DIR="$rt" QTWEBENGINE_CHROMIUM_FLAGS="--no-sandbox --disable-gpu" \
            timeout -k 10 "$TEST_TIMEOUT" "$exe") >>"$WORK/log" 2>&1; then
            rm -rf "$home" "$rt"
            return 1
        fi
        rm -rf "$home" "$rt"
    done
    return 0
}

# Replaces the one occurrence of OLD in FILE by NEW; fails when OLD is not there exactly once.
applyFault() {
    python3 - "$1" "$2" "$3" <<'EOF'
import sys
path, old, new = sys.argv[1:4]
text = open(path, encoding="utf-8").read()
if text.count(old) != 1:
    sys.exit(1)
open(path, "w", encoding="utf-8").write(text.replace(old, new))
EOF
}

FAILING=" "
if [ "$BASELINE" = 1 ]; then
    # A fault only counts as caught by tests that pass without it.
    mapfile -t base < <(cut -f1,2 "$WORK/faults.tsv" | while IFS=$'\t' read -r id tests; do
        [ -z "$ONLY" ] || [[ $id =~ $ONLY ]] || continue
        targetsFor "$tests"
    done | sort -u)
    echo "mutants: building and running ${#base[@]} test programs on the unchanged code"
    if ! ninja -C "$BUILD_DIR" -j"$JOBS" "${base[@]}" >"$WORK/log" 2>&1; then
        tail -30 "$WORK/log"
        echo "mutants: the tests do not build" >&2
        exit 1
    fi
    for t in "${base[@]}"; do
        if ! runTests "$t"; then
            echo "mutants: $t fails without any fault; its faults are not counted"
            FAILING="$FAILING$t "
        fi
    done
fi

caught=0 missed=0 broken=0 total=0
missedIds=""
while IFS=$'\t' read -r id tests file old new; do
    [ -z "$ONLY" ] || [[ $id =~ $ONLY ]] || continue
    total=$((total + 1))
    mapfile -t targets < <(targetsFor "$tests")
    if [ ${#targets[@]} = 0 ]; then
        printf '%-44s NO TESTS match %s\n' "$id" "$tests"
        broken=$((broken + 1))
        continue
    fi
    bad=""
    for t in "${targets[@]}"; do [[ $FAILING == *" $t "* ]] && bad="$bad $t"; done
    if [ -n "$bad" ]; then
        printf '%-44s NOT RUN (failing without it:%s)\n' "$id" "$bad"
        broken=$((broken + 1))
        continue
    fi
    CURRENT=$file
    if ! applyFault "$file" "$old" "$new"; then
        CURRENT=""
        printf '%-44s STALE (the text is not in %s exactly once)\n' "$id" "$file"
        broken=$((broken + 1))
        continue
    fi
    : >"$WORK/log"
    if ! ninja -C "$BUILD_DIR" -j"$JOBS" "${targets[@]}" >>"$WORK/log" 2>&1; then
        printf '%-44s DOES NOT BUILD\n' "$id"
        broken=$((broken + 1))
    elif runTests "${targets[@]}"; then
        printf '%-44s MISSED  (%s)\n' "$id" "${targets[*]}"
        missed=$((missed + 1))
        missedIds="$missedIds $id"
    else
        printf '%-44s caught\n' "$id"
        caught=$((caught + 1))
    fi
    restore
done <"$WORK/faults.tsv"

echo "mutants: caught $caught of $total faults ($missed missed, $broken not run)"
[ -z "$missedIds" ] || echo "missed:$missedIds"
[ "$missed" = 0 ] && [ "$broken" = 0 ]
