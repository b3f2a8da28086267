#!/usr/bin/env bash
# Makes docs/screenshot.png: the main window on a virtual X display, right
# after a first start collected a handful of sample documents. Runs on a
# throw-away HOME, so nothing of yours is shown or touched.
# usage: scripts/screenshot.sh [build-dir]    (default: build)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
[ -x "$build/bin/vollo" ] || { echo "screenshot: build Vollo first ($build/bin/vollo)" >&2; exit 1; }
for tool in xvfb-run xdotool import; do
    command -v "$tool" >/dev/null || { echo "screenshot: $tool is missing (scripts/setup.sh)" >&2; exit 1; }
done
mkdir -p "$root/docs"
export VOLLO_PROGRAM="$build/bin/vollo" VOLLO_SHOT="$root/docs/screenshot.png" QT_QPA_PLATFORM=xcb

# shellcheck disable=SC2016 # expanded inside the sandbox
xvfb-run -a -s "-screen 0 1366x768x24" "$root/tests/run_isolated.sh" bash -c '
    set -eu
    docs="$XDG_DOCUMENTS_DIR"
    mkdir -p "$docs/会議" "$docs/写真"
    for f in 企画書.docx 見積書.xlsx 会議/議事録_2026-11.odt 会議/発表資料.pdf 写真/旅行.jpg \
        メモ.txt 年間予定.ods 報告書.pdf; do
        head -c $((RANDOM % 60000 + 2000)) /dev/urandom >"$docs/$f"
    done
    "$VOLLO_PROGRAM" & pid=$!
    trap "kill $pid 2>/dev/null || true" EXIT
    # The first start asks whether to collect the documents folder: yes.
    for _ in $(seq 50); do
        question=$(xdotool search --onlyvisible --name "^Vollo$" 2>/dev/null | tail -1 || true)
        [ -n "$question" ] && break
        sleep 0.2
    done
    sleep 1
    xdotool windowfocus --sync "$question" key Return
    sleep 3
    main=$(xdotool search --onlyvisible --name "^Vollo$" | tail -1)
    import -window "$main" "$VOLLO_SHOT"
'
echo "wrote $root/docs/screenshot.png"
