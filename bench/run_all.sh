#!/bin/bash
# Runs every benchmark and prints one Markdown table: work, measured,
# baseline, ratio, target, met.
#
#   bench/run_all.sh [build-folder] [--pairs N] [--million N] [--no-million] [--no-tmpfs]
#
# build-folder defaults to build-test; missing benchmarks are built there.
# Each first-start measurement runs beside its own baseline (walk, symlink,
# INSERT) before and after it, in a fresh folder each time, N times (default
# 3): the table gives the median ratio and the spread. One more pair runs on
# tmpfs (/dev/shm) unless --no-tmpfs. --million N runs the million-document
# benchmark at N documents instead of 1,000,000 (N/50 folders).
set -u
here=$(cd "$(dirname "$0")" && pwd)
build=build-test
pairs=3
million=1000000
tmpfs=1
while [ $# -gt 0 ]; do
    case "$1" in
    --pairs) pairs=$2; shift ;;
    --million) million=$2; shift ;;
    --no-million) million=0 ;;
    --no-tmpfs) tmpfs=0 ;;
    -h|--help) sed -n 2,12p "$0"; exit 0 ;;
    *) build=$1 ;;
    esac
    shift
done
[ -d "$build" ] || { echo "no build folder $build" >&2; exit 2; }
bin="$build/bin"
benches="bench_mainwindow bench_repository bench_discovery bench_factlist"
missing=""
for b in $benches; do [ -x "$bin/$b" ] || missing="$missing $b"; done
if [ -n "$missing" ]; then
    cmake -S "$here/.." -B "$build" -DVOLLO_BUILD_BENCH=ON >/dev/null &&
        cmake --build "$build" -j2 --target $missing || exit 2
fi
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
export QT_QPA_PLATFORM=offscreen

# Field after a marker text on the line that holds it.
grab() { grep -F -- "$2" "$1" | head -1 | sed -n "s/.*$3 *\([0-9.]*\).*/\1/p"; }
median() { sort -g | awk '{v[NR]=$1} END {if (NR==0) print ""; else if (NR%2) print v[(NR+1)/2]; else print (v[NR/2]+v[NR/2+1])/2}'; }
spread() { sort -g | awk 'NR==1{lo=$1} {hi=$1} END {if (NR) printf "%s–%s", lo, hi}'; }
met() { awk -v m="$1" -v t="$3" -v op="$2" 'BEGIN { if (m=="") {print "no"; exit}
    ok = (op=="<=") ? m<=t : (op=="<") ? m<t : m>=t; print ok ? "yes" : "no" }'; }
row() { printf '| %s | %s | %s | %s | %s | %s |\n' "$1" "$2" "$3" "$4" "$5" "$6"; }

echo "load before the run: $(cut -d' ' -f1-3 /proc/loadavg), $(nproc) cores" >&2
for i in $(seq 1 "$pairs"); do
    "$bin/bench_mainwindow" 100000 >"$out/main$i.txt" 2>&1
done
if [ "$tmpfs" = 1 ] && [ -d /dev/shm ]; then
    TMPDIR=/dev/shm "$bin/bench_mainwindow" 100000 >"$out/maintmpfs.txt" 2>&1
fi
"$bin/bench_repository" 100000 >"$out/repo.txt" 2>&1
"$bin/bench_discovery" >"$out/disc.txt" 2>&1
"$bin/bench_factlist" >"$out/list.txt" 2>&1
if [ "$million" -gt 0 ]; then
    "$bin/bench_mainwindow" "$million" >"$out/million.txt" 2>&1
fi
echo "load after the run: $(cut -d' ' -f1-3 /proc/loadavg)" >&2

ratios() { for f in "$out"/main[0-9]*.txt; do grab "$f" "$1" "$2"; done; }
first=$(ratios "first start vs walk+symlink+insert" "ratio" | median)
firstSpread=$(ratios "first start vs walk+symlink+insert" "ratio" | spread)
firstBase=$(for f in "$out"/main[0-9]*.txt; do grep -F "first start:" "$f" | sed -n 's/.*: \([0-9.]*\) s before, \([0-9.]*\) s after/\1 \2/p'; done | tr ' ' '\n' | median)
firstTime=$(for f in "$out"/main[0-9]*.txt; do grep -F "first start:" "$f" | sed -n 's/.*files: \([0-9.]*\) s;.*/\1/p'; done | median)
drop=$(ratios "drop of" "(ratio" | median)
dropSpread=$(ratios "drop of" "(ratio" | spread)
# The peak of the whole run: typing a query and the second start come after
# the lists are filled.
wholePeak() { grep -F "peak memory (ru_maxrss) over the whole run" "$1" | sed -n 's/.*: \([0-9.]*\) MB.*/\1/p'; }
peak=$(for f in "$out"/main[0-9]*.txt; do wholePeak "$f"; done | median)
tmpfsNote=""
if [ -f "$out/maintmpfs.txt" ]; then
    tmpfsNote=" (tmpfs $(grab "$out/maintmpfs.txt" "first start vs walk+symlink+insert" "ratio"))"
    tmpfsDrop=" (tmpfs $(grab "$out/maintmpfs.txt" "drop of" "(ratio"))"
fi

echo
row "Work" "Measured" "Baseline" "Ratio" "Target" "Met"
row "---" "---" "---" "---" "---" "---"
row "First start, 100,000 files, against walk + symlink + INSERT" "${firstTime:-?} s" "${firstBase:-?} s" \
    "${first:-?} (spread ${firstSpread:-?}, $pairs pairs)$tmpfsNote" "≤ 1.25×" "$(met "$first" "<=" 1.25)"
row "Drop of the rest of 100,000 documents on the root list, against the same baseline" "–" "–" \
    "${drop:-?} (spread ${dropSpread:-?})${tmpfsDrop:-}" "≤ 1.5×" "$(met "$drop" "<=" 1.5)"
row "Peak memory, 100,000 documents collected and listed" "${peak:-?} MB" "–" "–" "< 200 MB" "$(met "$peak" "<" 200)"
txRatio=$(grep -F "keyed sequence, one transaction" "$out/repo.txt" | sed -n 's/.*)  \([0-9.]*\)x.*/\1/p')
plain=$(grep -F "plain prepared INSERT" "$out/repo.txt" | sed -n 's/.*: *\([0-9]*\) files.*/\1/p')
txRate=$(grep -F "keyed sequence, one transaction" "$out/repo.txt" | sed -n 's/.*: *\([0-9]*\) files.*/\1/p')
autoRate=$(grep -F "keyed sequence, autocommit" "$out/repo.txt" | sed -n 's/.*: *\([0-9]*\) files.*/\1/p')
row "Keyed repository sequence, one transaction, against a plain prepared INSERT" "${txRate:-?} files/s" \
    "${plain:-?} files/s" "${txRatio:-?}" "≤ 6×" "$(met "$txRatio" "<=" 6)"
row "The same, autocommit" "${autoRate:-?} files/s" "–" "–" "≥ 20,000 files/s" "$(met "$autoRate" ">=" 20000)"
walk=$(grep -F "walk / find -printf" "$out/disc.txt" | sed -n 's/.*ratio \([0-9.]*\).*/\1/p')
walkT=$(grep -F "CPathFinder" "$out/disc.txt" | sed -n 's/.*CPathFinder *\([0-9.]*\) s.*/\1/p')
findT=$(grep -F "find -printf" "$out/disc.txt" | head -1 | sed -n 's/.*T@ *\([0-9.]*\) s.*/\1/p')
row "Walk of 100,000 files against \`find -printf %T@\`" "${walkT:-?} s" "${findT:-?} s" "${walk:-?}" "≤ 1.0×" "$(met "$walk" "<=" 1.0)"
# Both from the window's own path: rows filled from the stored facts.
sortR=$(grep -F "first click sorting by size" "$out/list.txt" | sed -n 's/.*ratio \([0-9.]*\).*/\1/p')
sortT=$(grep -F "first click sorting by size" "$out/list.txt" | sed -n 's/.*: *\([0-9.]*\) s.*/\1/p')
fillR=$(grep -F "values + fill" "$out/list.txt" | sed -n 's/.*ratio \([0-9.]*\).*/\1/p')
fillT=$(grep -F "values + fill" "$out/list.txt" | sed -n 's/.*: *\([0-9.]*\) s.*/\1/p')
loopT=$(grep -F "bare lstat+readlink+stat loop" "$out/list.txt" | sed -n 's/.*: *\([0-9.]*\) s.*/\1/p')
row "First click sorting 100,000 rows by size, against filling them" "${sortT:-?} s" "–" "${sortR:-?}" "≤ 0.1×" "$(met "$sortR" "<=" 0.1)"
row "Values + fill of 100,000 rows (the window's path, from stored facts) against lstat/readlink/stat" "${fillT:-?} s" "${loopT:-?} s" "${fillR:-?}" "≤ 1.5×" "$(met "$fillR" "<=" 1.5)"
if [ -f "$out/million.txt" ]; then
    m="$out/million.txt"
    n=$(printf "%'d" "$million")
    mr=$(grab "$m" "first start vs walk+symlink+insert" "ratio")
    row "1,000,000 documents (run at $n): first start against walk + symlink + INSERT" "$(grep -F "first start:" "$m" | sed -n 's/.*files: \([0-9.]*\) s;.*/\1 s/p')" "–" "${mr:-?}" "≤ 1.25×" "$(met "$mr" "<=" 1.25)"
    lt=$(grep -F "ShowTagFiles(0):" "$m" | sed -n 's/.*rows: \([0-9.]*\) s;.*/\1/p')
    row "1,000,000 documents (run at $n): root list shown cold" "${lt:-?} s" "–" "–" "≤ 3 s" "$(met "$lt" "<=" 3)"
    ct=$(grep -F "category click:" "$m" | sed -n 's/.*rows: \([0-9.]*\) s.*/\1/p')
    row "1,000,000 documents (run at $n): category click of 100,000 rows" "${ct:-?} s" "–" "–" "< 0.5 s" "$(met "$ct" "<" 0.5)"
    st=$(grep -F "second start, window drawn:" "$m" | sed -n 's/.*drawn: \([0-9.]*\) s.*/\1/p')
    sl=$(grep -F "second start, window drawn:" "$m" | sed -n 's/.*lists filled .* at \([0-9.]*\) s.*/\1/p')
    row "1,000,000 documents (run at $n): second start's window drawn" "${st:-?} s${sl:+ (lists filled at $sl s)}" "–" "–" "≤ 1 s" "$(met "$st" "<=" 1)"
    mp=$(wholePeak "$m")
    row "1,000,000 documents (run at $n): peak memory" "${mp:-?} MB" "–" "–" "< 1 GB" "$(met "$mp" "<" 1024)"
fi
if [ -n "${VOLLO_BENCH_KEEP:-}" ]; then cp -r "$out" "$VOLLO_BENCH_KEEP"; fi
