#!/usr/bin/env bash
# Builds the Debian package of Vollo in a release build of its own and leaves
# it in dist/. Install it with: sudo apt install ./dist/vollo_*.deb
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-package"
bash "$root/scripts/setup.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DVOLLO_BUILD_TESTS=OFF -DVOLLO_BUILD_BENCH=OFF
cmake --build "$build" -j "$(nproc)"
mkdir -p "$root/dist"
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$root/dist"
rm -rf "$root/dist/_CPack_Packages"
ls "$root"/dist/vollo_*.deb
