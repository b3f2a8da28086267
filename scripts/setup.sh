#!/usr/bin/env bash
# Installs whatever the build, the tests and the program need and is missing.
set -euo pipefail
packages=(build-essential cmake ninja-build pkg-config qt6-base-dev qt6-base-dev-tools
    libsqlite3-dev libicu-dev libglib2.0-dev libglib2.0-bin fonts-ipafont-gothic xdg-utils
    shared-mime-info hicolor-icon-theme adwaita-icon-theme qt6-translations-l10n ccache clang
    libclang-rt-14-dev clang-format clang-tidy desktop-file-utils appstream librsvg2-bin man-db
    file dpkg-dev xvfb xauth sqlite3 libxxhash-dev qt6-tools-dev qt6-l10n-tools qt6-wayland weston)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
