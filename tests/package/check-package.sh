#!/usr/bin/env bash
# Makes the Debian package from the build tree, unpacks it and runs what it holds; the desktop entry, the
# metainfo and the package itself must pass their validators. Run as: check-package.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(cd "$build" && cpack -G DEB -B "$work/out" >/dev/null)
deb=$(ls "$work"/out/tarvik_*_*.deb)
dpkg-deb -x "$deb" "$work/root"
version=$(ASAN_OPTIONS=detect_leaks=0 "$work/root/usr/bin/tarvik-cli" --version)
[[ "$version" =~ ^tarvik-cli\ [0-9]+\.[0-9]+\.[0-9]+$ ]] || { echo "unexpected version: $version" >&2; exit 1; }
for page in tarvik tarvik-cli; do
    [ -s "$work/root/usr/share/man/man1/$page.1.gz" ] || { echo "no manual page $page(1)" >&2; exit 1; }
done
desktop-file-validate "$work/root/usr/share/applications/io.github.tarvik.Tarvik.desktop"
appstreamcli validate --no-net "$work/root/usr/share/metainfo/io.github.tarvik.Tarvik.metainfo.xml" >/dev/null
# Errors fail; warnings and notes are reported.
lintian --fail-on error "$deb" 2>&1 | grep -v "root privileges" || true
lintian --fail-on error "$deb" >/dev/null 2>&1
echo "$deb: $version"
