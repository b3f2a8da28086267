#!/usr/bin/env bash
# Installs a build tree into a throw-away DESTDIR, checks every installed
# desktop file with its own validator, and starts the installed program from
# there: the prefix it was built for does not exist, so it must find its
# template relative to itself.
# usage: check_install.sh <build-dir>
set -euo pipefail
build=$1
root=$(mktemp -d "${TMPDIR:-/tmp}/vollo-install.XXXXXX")
trap 'rm -rf "$root"' EXIT
prefix=/opt/vollo-check
DESTDIR="$root" cmake --install "$build" --prefix "$prefix" >/dev/null
p="$root$prefix"
fail() { echo "FAIL: $*" >&2; exit 1; }

for f in bin/vollo share/vollo/vollo.db share/applications/org.vollo.Vollo.desktop \
    share/metainfo/org.vollo.Vollo.metainfo.xml share/man/man1/vollo.1.gz share/bash-completion/completions/vollo \
    share/zsh/vendor-completions/_vollo \
    share/icons/hicolor/scalable/apps/org.vollo.Vollo.svg share/vollo/translations/vollo_en.qm \
    share/kio/servicemenus/org.vollo.Vollo.desktop share/nemo/actions/org.vollo.Vollo.nemo_action \
    share/nemo/actions/org.vollo.Vollo.categories.nemo_action "share/vollo/file-manager-scripts/Add to Vollo" \
    "share/vollo/file-manager-scripts/Vollo categories…"; do
    [ -f "$p/$f" ] || fail "not installed: $f"
done
for size in 16 32 48 64 128 256; do
    png="$p/share/icons/hicolor/${size}x${size}/apps/org.vollo.Vollo.png"
    [ -f "$png" ] || fail "icon missing: ${size}x${size}"
    file "$png" | grep -q "$size x $size" || fail "icon is not ${size}x${size}: $(file "$png")"
done

desktop-file-validate "$p/share/applications/org.vollo.Vollo.desktop"
appstreamcli validate --no-net --pedantic "$p/share/metainfo/org.vollo.Vollo.metainfo.xml" >/dev/null ||
    appstreamcli validate --no-net --pedantic "$p/share/metainfo/org.vollo.Vollo.metainfo.xml"
warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$p/share/man/man1/vollo.1.gz" 2>&1 >/dev/null || true)
[ -z "$warnings" ] || fail "man page: $warnings"

"$p/bin/vollo" --version | grep -qx "Vollo [0-9.]*" || fail "--version"
# The English catalogue is found relative to the moved program.
LANG=C.UTF-8 LANGUAGE=en "$p/bin/vollo" --help | grep -q "without moving them" || fail "--help is not in English"
# The first start makes the repository from the template before any window;
# the start then waits for the user, so it is ended after a few seconds.
status=0
QT_QPA_PLATFORM=offscreen timeout 5 "$p/bin/vollo" >/dev/null 2>&1 || status=$?
[ -f "$XDG_DATA_HOME/Vollo/reposit.db" ] || fail "the moved installation made no repository (status $status)"
echo "installed and validated under $p"
