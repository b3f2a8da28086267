#!/usr/bin/env bash
# Sets up, builds and starts Vollo.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVOLLO_BUILD_TESTS=OFF -DVOLLO_BUILD_BENCH=OFF
cmake --build "$root/build" --target vollo
exec "$root/build/bin/vollo" "$@"
