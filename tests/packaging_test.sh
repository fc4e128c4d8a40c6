#!/usr/bin/env bash
# Installs the build into a scratch prefix and validates what lands there: the
# program, the desktop entry, the AppStream metainfo, the man page, the licence
# and the icons.
set -euo pipefail
build=$1
prefix=$2
rm -rf "$prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null

fail=0
expect() { [ -e "$prefix/$1" ] || { echo "not installed: $1"; fail=1; }; }
expect bin/quorvane
expect libexec/quorvane/quorvane-window
expect libexec/quorvane/quorvane_mail.so
expect share/applications/quorvane.desktop
expect share/metainfo/org.quorvane.Quorvane.metainfo.xml
expect share/man/man1/quorvane.1
expect share/doc/Quorvane/LICENSE
for size in 16 32 48 64 128 256; do expect "share/icons/hicolor/${size}x${size}/apps/quorvane.png"; done

desktop-file-validate "$prefix/share/applications/quorvane.desktop" || fail=1
appstreamcli validate --no-net --strict "$prefix/share/metainfo/org.quorvane.Quorvane.metainfo.xml" >/dev/null || {
  appstreamcli validate --no-net --strict "$prefix/share/metainfo/org.quorvane.Quorvane.metainfo.xml"
  fail=1
}
# man prints its warnings on standard error; any of them fails the check.
warnings=$(MANWIDTH=80 man --warnings -l "$prefix/share/man/man1/quorvane.1" 2>&1 >/dev/null || true)
[ -z "$warnings" ] || { echo "man page warnings:"; echo "$warnings"; fail=1; }
grep -q 'GNU GENERAL PUBLIC LICENSE' "$prefix/share/doc/Quorvane/LICENSE" || fail=1

rm -rf "$prefix"
[ "$fail" -eq 0 ] && echo "packaging: all installed files valid"
exit "$fail"
