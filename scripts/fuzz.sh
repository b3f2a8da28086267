#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in a tree of their own and runs each
# for a short while (FUZZ_SECONDS, 20 by default) from its seed corpus.
# New inputs go to a scratch folder, never into the seed corpus; a crash
# leaves its input in the scratch folder and fails the script.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${FUZZ_SECONDS:-20}
if ! command -v clang++ >/dev/null; then
    echo "fuzz: clang++ not found, fuzzing skipped"
    exit 0
fi
build="$root/build-fuzz"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVOLLO_BUILD_FUZZ=ON -DVOLLO_BUILD_TESTS=OFF -DVOLLO_BUILD_BENCH=OFF >/dev/null
targets=(shelllink jetdate placeholders recentlist query)
cmake --build "$build" -j "$(nproc)" --target "${targets[@]/#/fuzz_}"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# One fuzzer per core at a time: each is single-threaded.
fuzz_one() {
    local t=$1 log="$scratch/$1.log"
    mkdir -p "$scratch/$t"
    (cd "$scratch" && ASAN_OPTIONS=detect_leaks=1 "$build/bin/fuzz_$t" -max_total_time="$seconds" \
        -timeout=10 -rss_limit_mb=1024 -print_final_stats=1 "$scratch/$t" "$root/fuzz/corpus/$t" \
        >"$log" 2>&1)
}
declare -A pid
status=0
report() {
    local t=$1 log="$scratch/$1.log"
    if ! wait "${pid[$t]}"; then
        status=1
        tail -40 "$log"
        echo "fuzz_$t: FAILED, its input is kept in $scratch"
        trap - EXIT
    fi
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo '?')
    echo "fuzz_$t: $runs executions in ${seconds}s"
}
cores=$(nproc)
for i in "${!targets[@]}"; do
    fuzz_one "${targets[$i]}" &
    pid[${targets[$i]}]=$!
    if (( i >= cores - 1 )); then report "${targets[$((i - cores + 1))]}"; fi
done
first=$((${#targets[@]} - cores + 1))
((first < 0)) && first=0
for ((i = first; i < ${#targets[@]}; i++)); do
    report "${targets[$i]}"
done
exit $status
