#!/usr/bin/env bash
# Packs a build tree as a .deb, unpacks it into a throw-away root and runs the
# unpacked program; checks that the dependencies were taken from the program,
# and that lintian finds no error in it.
# usage: check_package.sh <build-dir>
set -euo pipefail
build=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/vollo-package.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >/dev/null
deb=$(ls "$work"/out/vollo_*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
echo "$depends" | grep -q "libqt6widgets6" || fail "no Qt dependency found in: $depends"
echo "$depends" | grep -q "libsqlite3" || fail "no SQLite dependency found in: $depends"
dpkg-deb -x "$deb" "$work/root"
for f in usr/bin/vollo usr/share/vollo/vollo.db usr/share/applications/org.vollo.Vollo.desktop \
    usr/share/metainfo/org.vollo.Vollo.metainfo.xml usr/share/man/man1/vollo.1.gz \
    usr/share/icons/hicolor/scalable/apps/org.vollo.Vollo.svg usr/share/vollo/translations/vollo_en.qm; do
    [ -f "$work/root/$f" ] || fail "not in the package: $f"
done
version=$(env -i "$work/root/usr/bin/vollo" --version)
[ "$version" = "Vollo $(dpkg-deb -f "$deb" Version)" ] || fail "unpacked program says: $version"
# Debian's own checker: errors fail; what it leaves is shown.
if command -v lintian >/dev/null; then
    report=$(lintian --no-tag-display-limit "$deb" 2>&1 || true)
    echo "$report"
    ! echo "$report" | grep -q '^E:' || fail "lintian reports errors"
else
    echo "lintian is not installed: the package was not checked by it"
fi
echo "$(basename "$deb"): $version; Depends: $depends"
