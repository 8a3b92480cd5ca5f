#!/usr/bin/env bash
# `cmake --install` puts the program, its desktop entry, icon and file type where desktop
# environments look for them, and the desktop tools accept them.
# usage: install_desktop_files.sh BUILD_DIR
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
for f in bin/penwright bin/penwright-convert bin/penwright-trace share/applications/penwright.desktop \
         share/icons/hicolor/scalable/apps/penwright.svg share/mime/packages/penwright.xml; do
  [ -e "$prefix/$f" ] || { echo "FAIL: $f was not installed"; exit 1; }
done
desktop-file-validate "$prefix/share/applications/penwright.desktop"
update-mime-database "$prefix/share/mime"
grep -q 'application/x-penwright-rtv:\*\.rtv' "$prefix/share/mime/globs2" ||
  { echo "FAIL: *.rtv is not a Penwright drawing to the MIME database"; exit 1; }
echo "installed and valid"
