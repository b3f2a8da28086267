#!/usr/bin/env bash
# Runs the real program natively under Wayland: weston's headless compositor
# on a private socket, Qt's wayland platform plugin, the throw-away HOME of
# run_isolated.sh. The repository holds a size and a position stored under
# X11. Checks that the window is mapped with content at the stored size, that
# the layout's minimum size reached the compositor, that SIGTERM ends the
# program the way closing its window does (size and bar stored, the X11
# position kept), and that Qt's Wayland plugin warned about nothing, moving
# the window included.
# usage: check_wayland.sh <vollo>
set -euo pipefail
program=$1
fail() { echo "FAIL: $*" >&2; exit 1; }
command -v weston >/dev/null || { echo "SKIP: weston is not installed"; exit 77; }
: "${XDG_RUNTIME_DIR:?run under tests/run_isolated.sh}"

work=$(mktemp -d "${TMPDIR:-/tmp}/vollo-wayland.XXXXXX")
socket="vollo-test-$$"
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"' EXIT

repository="$XDG_DATA_HOME/Vollo/reposit.db"
mkdir -p "$(dirname "$repository")"
cp "$(dirname "$program")/vollo.db" "$repository"
sqlite3 "$repository" "UPDATE setting SET firstStart = 1, nLeft = 600, nTop = 900,
    nWidth = 10500, nHeight = 7500 WHERE ID = 1"

weston --backend=headless-backend.so --socket="$socket" --idle-time=0 \
    --width=1280 --height=800 >"$work/weston.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -S "$XDG_RUNTIME_DIR/$socket" ] && break; sleep 0.1; done
[ -S "$XDG_RUNTIME_DIR/$socket" ] || fail "weston did not start: $(cat "$work/weston.log")"

log="$work/vollo.log"
# In the sanitizer build: libwayland-client keeps a few of its own proxies
# past exit; that is the library's, not Vollo's, and only it is let off.
echo "leak:libwayland-client.so" >"$work/lsan.supp"
export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$work/lsan.supp:print_suppressions=0"
# Without Qt's own decorations the window's geometry is the program's own size.
env -u DISPLAY WAYLAND_DISPLAY="$socket" QT_QPA_PLATFORM=wayland WAYLAND_DEBUG=client \
    QT_WAYLAND_DISABLE_WINDOWDECORATION=1 "$program" >"$work/out.log" 2>"$log" &
vollo=$!
pids+=($vollo)
# Mapped: titled, configured by the compositor, and a buffer drawn on it.
for _ in $(seq 100); do
    grep -q 'attach(wl_buffer' "$log" && break
    kill -0 "$vollo" 2>/dev/null || break
    sleep 0.1
done
if grep -q "Could not find the Qt platform plugin \"wayland\"" "$log"; then
    echo "SKIP: Qt's wayland platform plugin is not installed"
    exit 77
fi
grep -q 'set_title("Vollo")' "$log" || fail "no window titled Vollo: $(grep -v '^\[' "$log")"
grep -q 'xdg_toplevel@[0-9]*\.configure(' "$log" || fail "the compositor never configured the window"
grep -q 'attach(wl_buffer' "$log" || fail "the window was never drawn"
grep -q 'set_window_geometry(0, 0, 700, 500)' "$log" || fail "the stored size was not restored: $(grep -o "set_window_geometry([^)]*)" "$log" | tr "\n" " ")"
grep -q 'set_min_size([1-9]' "$log" || fail "the layout's minimum size did not reach the compositor"

kill -TERM "$vollo"
status=0
for _ in $(seq 50); do kill -0 "$vollo" 2>/dev/null || break; sleep 0.1; done
wait "$vollo" || status=$?
[ "$status" -eq 0 ] || fail "SIGTERM ended the program with status $status"

warnings=$(grep -v '^\[' "$log" | grep -i 'wayland' || true)
[ -z "$warnings" ] || fail "warnings from the Wayland plugin: $warnings"
stored=$(sqlite3 "$repository" "SELECT nLeft, nTop, nWidth, nHeight FROM setting WHERE ID = 1")
[ "$stored" = "600|900|10500|7500" ] || fail "stored placement after closing: $stored"
bar=$(sqlite3 "$repository" "SELECT Extra FROM resource WHERE Key = 'SplitterLeft'")
[ "${bar:-0}" -gt 0 ] || fail "the bar's place was not stored"
echo "ran under Wayland (weston headless); stored $stored, bar at $bar"
