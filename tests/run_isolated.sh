#!/usr/bin/env bash
# Runs one test program on a throw-away HOME and XDG tree.
set -u
# The program may be named relative to the caller's folder; the sandbox below
# becomes the working folder, so pin the path first.
case "$1" in /*) ;; */*) set -- "$PWD/$1" "${@:2}" ;; esac
sandbox=$(mktemp -d "${TMPDIR:-/tmp}/vollo-test.XXXXXX")
trap 'chmod -R u+rwx "$sandbox" 2>/dev/null; rm -rf "$sandbox"' EXIT
export HOME="$sandbox/home"
export XDG_DATA_HOME="$sandbox/home/.local/share"
export XDG_CACHE_HOME="$sandbox/home/.cache"
export XDG_CONFIG_HOME="$sandbox/home/.config"
export XDG_RUNTIME_DIR="$sandbox/runtime"
export XDG_DOCUMENTS_DIR="$sandbox/home/Documents"
mkdir -p "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" "$XDG_DOCUMENTS_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
# No session bus in tests: D-Bus callers must fall back by themselves.
unset DBUS_SESSION_BUS_ADDRESS
cd "$sandbox"
"$@"
