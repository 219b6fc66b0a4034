#!/bin/sh
# Installs the Debian 12 packages that building, running and testing need (only the missing ones).
set -eu

PACKAGES="
build-essential cmake ninja-build pkg-config git
clang libclang-rt-14-dev clang-format
openssl libssl-dev libcurl4-openssl-dev libldap2-dev libgsf-1-dev
libgtest-dev libgmock-dev
qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-l10n-tools libgl-dev
qt6-webengine-dev
fonts-wqy-microhei
xdg-utils desktop-file-utils shared-mime-info libfile-mimeinfo-perl
slapd ldap-utils
libnss3-dev libnss3-tools libsqlite3-dev
xvfb xauth
qt6-translations-l10n
"

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done

if [ -z "$missing" ]; then
    echo "install-deps: all packages present"
    exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    SUDO="sudo"
fi
echo "install-deps: installing$missing"
# slapd asks questions on install; the tests run their own slapd, so answer nothing.
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get update -qq
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing
