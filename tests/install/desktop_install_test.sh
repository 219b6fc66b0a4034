#!/bin/bash
# Installs the component "desktop" of a build into a temporary prefix and checks what a desktop
# sees there: valid desktop entries, the .kvx type by name and by content (xdg-mime with the XDG
# folders pointed at the prefix, and not without them), the .kvx handler, and the actions'
# command lines. Usage: desktop_install_test.sh <build dir> [cmake]
set -u
build=${1:?build folder}
cmake=${2:-cmake}

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
# xdg-mime splits its data folders at spaces when it looks up handlers, so the main prefix has
# none; a second install below checks a prefix with a space in it.
prefix="$tmp/prefix"
share="$prefix/share"
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
ok() { echo "ok: $*"; }

for tool in desktop-file-validate xdg-mime update-mime-database update-desktop-database; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed"; exit 1; }
done

if ! "$cmake" --install "$build" --prefix "$prefix" --component desktop >"$tmp/install.log" 2>&1; then
    cat "$tmp/install.log"
    echo "FAIL: cmake --install"
    exit 1
fi
cat "$tmp/install.log"

# --- The files, in the XDG folders ---
for f in applications/yaoxia.desktop applications/yaoxia-decrypt.desktop mime/packages/yaoxia-kvx.xml \
    icons/hicolor/scalable/apps/yaoxia.svg icons/hicolor/scalable/mimetypes/application-x-kvx.svg \
    kio/servicemenus/yaoxia-encrypt.desktop kio/servicemenus/yaoxia-kvx.desktop \
    file-manager/actions/yaoxia-encrypt.desktop file-manager/actions/yaoxia-decrypt.desktop \
    file-manager/actions/yaoxia-properties.desktop nemo/actions/yaoxia-encrypt.nemo_action \
    nemo/actions/yaoxia-decrypt.nemo_action nemo/actions/yaoxia-properties.nemo_action; do
    [ -f "$share/$f" ] && ok "installed $f" || fail "missing $f"
done
[ -x "$share/kio/servicemenus/yaoxia-kvx.desktop" ] || fail "KDE service menu not executable"

# --- Registered at install time ---
[ -f "$share/mime/mime.cache" ] || fail "no mime.cache: update-mime-database did not run"
grep -q '^[0-9]*:application/x-kvx:\*\.kvx$' "$share/mime/globs2" 2>/dev/null || fail "*.kvx not in globs2"
grep -q '^application/x-kvx=.*yaoxia-decrypt\.desktop' "$share/applications/mimeinfo.cache" 2>/dev/null ||
    fail "the .kvx handler is not in mimeinfo.cache"

# --- desktop-file-validate: no errors (hints are allowed) ---
for d in yaoxia.desktop yaoxia-decrypt.desktop; do
    out=$(desktop-file-validate "$share/applications/$d" 2>&1)
    rc=$?
    if [ $rc -ne 0 ] || grep -qi 'error:' <<<"$out"; then
        echo "$out"
        fail "desktop-file-validate $d"
    else
        ok "desktop-file-validate $d ${out:+($out)}"
    fi
done

# --- xdg-mime with the XDG folders pointed at the prefix, no desktop session ---
home="$tmp/home"
mkdir -p "$home" "$tmp/config"
xdg() {
    local dirs=$1
    shift
    env -u XDG_CURRENT_DESKTOP -u KDE_FULL_SESSION -u KDE_SESSION_VERSION -u GNOME_DESKTOP_SESSION_ID \
        -u MATE_DESKTOP_SESSION_ID -u DESKTOP_SESSION -u XDG_SESSION_DESKTOP \
        HOME="$home" XDG_CONFIG_HOME="$tmp/config" XDG_CONFIG_DIRS="$tmp/config" \
        XDG_DATA_HOME="$home/.local/share" XDG_DATA_DIRS="$dirs" xdg-mime "$@" 2>&1
}
samples="$tmp/samples"
mkdir -p "$samples"
named="$samples/季度 报告 \"终稿\".doc.kvx"    # found by its name
printf 'not encrypted at all\n' >"$named"
marked="$samples/encrypted-without-extension"    # found by its content
printf 'KavexFileType=2;0.doc' >"$marked"
head -c 700 /dev/zero >>"$marked"
plain="$samples/plain.txt"
printf 'hello\n' >"$plain"

with_prefix="$share:/usr/share"
t=$(xdg "$with_prefix" query filetype "$named")
[ "$t" = "application/x-kvx" ] && ok "by name: $t" || fail "by name: '$t'"
t=$(xdg "$with_prefix" query filetype "$marked")
[ "$t" = "application/x-kvx" ] && ok "by content: $t" || fail "by content: '$t'"
t=$(xdg "$with_prefix" query filetype "$plain")
[ "$t" != "application/x-kvx" ] && ok "a plain file stays $t" || fail "a plain file taken as .kvx"
t=$(xdg "/usr/share" query filetype "$named")
[ "$t" != "application/x-kvx" ] && ok "without the prefix: $t" || fail "the type is known without the prefix"
t=$(xdg "$with_prefix" query default application/x-kvx)
[ "$t" = "yaoxia-decrypt.desktop" ] && ok "handler: $t" || fail "handler: '$t'"

# --- The command lines: the switch and the path as two arguments ---
exec_of() { grep -m1 '^Exec=' "$1" | cut -d= -f2-; }
check_exec() {
    local file=$1 want=$2 got
    got=$(exec_of "$share/$file")
    [ "$got" = "$want" ] && ok "$file: $got" || fail "$file: Exec '$got', want '$want'"
}
check_exec applications/yaoxia.desktop "yaoxia"
check_exec applications/yaoxia-decrypt.desktop "yaoxia /D %F"
check_exec file-manager/actions/yaoxia-encrypt.desktop "yaoxia /E %F"
check_exec file-manager/actions/yaoxia-decrypt.desktop "yaoxia /D %F"
check_exec file-manager/actions/yaoxia-properties.desktop "yaoxia /P %f"
check_exec nemo/actions/yaoxia-encrypt.nemo_action "yaoxia /E %F"
check_exec nemo/actions/yaoxia-decrypt.nemo_action "yaoxia /D %F"
check_exec nemo/actions/yaoxia-properties.nemo_action "yaoxia /P %F"
grep -qx 'Exec=yaoxia /E %F' "$share/kio/servicemenus/yaoxia-encrypt.desktop" || fail "KDE encrypt action"
grep -qx 'Exec=yaoxia /D %F' "$share/kio/servicemenus/yaoxia-kvx.desktop" || fail "KDE decrypt action"
grep -qx 'Exec=yaoxia /P %f' "$share/kio/servicemenus/yaoxia-kvx.desktop" || fail "KDE properties action"
grep -qx 'Name=加密' "$share/file-manager/actions/yaoxia-encrypt.desktop" || fail "action name 加密"
grep -qx 'Name=解密' "$share/kio/servicemenus/yaoxia-kvx.desktop" || fail "action name 解密"
grep -qx 'Name=属性' "$share/nemo/actions/yaoxia-properties.nemo_action" || fail "action name 属性"

# --- A prefix with a space and Chinese characters in it ---
spaced="$tmp/钥匣 安装"
"$cmake" --install "$build" --prefix "$spaced" --component desktop >"$tmp/spaced.log" 2>&1 || fail "install into '$spaced'"
[ -f "$spaced/share/mime/mime.cache" ] && [ -f "$spaced/share/applications/mimeinfo.cache" ] &&
    ok "databases built in '$spaced'" || fail "databases not built in '$spaced'"

# --- A staged install leaves the databases alone ---
stage="$tmp/stage"
DESTDIR="$stage" "$cmake" --install "$build" --prefix /opt/yaoxia-test --component desktop >"$tmp/staged.log" 2>&1 ||
    fail "staged install"
[ -f "$stage/opt/yaoxia-test/share/mime/packages/yaoxia-kvx.xml" ] || fail "staged install misses the type"
[ ! -e "$stage/opt/yaoxia-test/share/mime/mime.cache" ] && ok "staged install: databases left alone" ||
    fail "staged install built the MIME database"

if [ $failures -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "all desktop integration checks passed"
