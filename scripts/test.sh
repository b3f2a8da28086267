#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite: once in a normal build, once
# under AddressSanitizer, LeakSanitizer and UndefinedBehaviorSanitizer, then
# fuzzes the readers of outside input for a short while each. The project's
# own sources must also be formatted. clang-tidy has a script of its own
# (scripts/tidy.sh): it reparses every file twice over and would take longer
# than all the rest together.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
jobs=$(nproc)

find "$root/src" "$root/tests" "$root/bench" -name '*.cpp' -o -name '*.h' |
    xargs clang-format --dry-run -Werror

# Line tables are all a failing test's stack or a profile needs; full debug
# information makes both builds a third slower.
cmake -S "$root" -B "$root/build-test" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVOLLO_BUILD_BENCH=ON \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG"
cmake --build "$root/build-test" -j "$jobs"
ctest --test-dir "$root/build-test" --output-on-failure -j "$jobs"

cmake -S "$root" -B "$root/build-asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVOLLO_SANITIZE=ON -DVOLLO_BUILD_BENCH=OFF \
    -DCMAKE_CXX_FLAGS_DEBUG="-g1"
cmake --build "$root/build-asan" -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir "$root/build-asan" --output-on-failure -j "$jobs"

bash "$root/scripts/fuzz.sh"
