#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite: once in a normal build, once
# under AddressSanitizer, LeakSanitizer and UndefinedBehaviorSanitizer, then
# fuzzes the readers of outside input for a short while each. The project's
# own sources must also be formatted and pass clang-tidy.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
jobs=$(nproc)

find "$root/src" "$root/tests" "$root/bench" -name '*.cpp' -o -name '*.h' |
    xargs clang-format --dry-run -Werror

cmake -S "$root" -B "$root/build-test" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVOLLO_BUILD_BENCH=ON
cmake --build "$root/build-test" -j "$jobs"
ctest --test-dir "$root/build-test" --output-on-failure -j "$jobs"

# After the build, so that the generated moc files the sources include exist;
# generated files themselves are not checked. The path-sensitive analyzer, the
# slow half, looks at the program; tests and benchmarks get the other checks.
run-clang-tidy -quiet -j "$jobs" -p "$root/build-test" "^$root/src/"
run-clang-tidy -quiet -j "$jobs" -p "$root/build-test" -checks='-clang-analyzer-*' \
    "^$root/(tests|bench)/"

cmake -S "$root" -B "$root/build-asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVOLLO_SANITIZE=ON -DVOLLO_BUILD_BENCH=OFF
cmake --build "$root/build-asan" -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir "$root/build-asan" --output-on-failure -j "$jobs"

bash "$root/scripts/fuzz.sh"
