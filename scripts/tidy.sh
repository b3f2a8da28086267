#!/usr/bin/env bash
# Runs clang-tidy over the project's own sources, against the compile commands
# of the test command's build (made first if missing). Run it before a
# submission: it takes a quarter of an hour on two cores, too long for the
# test command itself.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-test}
jobs=$(nproc)
if [[ ! -f "$build/compile_commands.json" ]]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVOLLO_BUILD_BENCH=ON
fi
# The sources include generated moc files, so the build must have run.
cmake --build "$build" -j "$jobs"

# Generated files themselves are not checked. The path-sensitive analyzer, the
# slow half, looks at the program; tests and benchmarks get the other checks.
run-clang-tidy -quiet -j "$jobs" -p "$build" "^$root/src/"
run-clang-tidy -quiet -j "$jobs" -p "$build" -checks='-clang-analyzer-*' "^$root/(tests|bench)/"
