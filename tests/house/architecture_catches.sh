#!/usr/bin/env bash
# The architecture check finds what it is there to find: in a small tree of its own, a
# drawing file that includes the canvas and a raster file that includes a widget.
# usage: architecture_catches.sh CHECK_ARCHITECTURE QTWIDGETS_INCLUDE_DIR
set -euo pipefail
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
mkdir -p "$tree/src/drawing" "$tree/src/raster" "$tree/src/app"
printf '#include "canvas/TGISPanel.h"\n#include "platform/Colour.h"\n' >"$tree/src/drawing/Up.cpp"
printf '#include <QWidget>\n#include <QImage>\n' >"$tree/src/raster/Widget.cpp"
printf '#include "dialogs/TLayerForm.h"\n#include <QWidget>\n' >"$tree/src/app/Fine.cpp"
if out=$("$1" "$tree" "$2"); then
  echo "FAIL: the check passed a tree with two offences"; echo "$out"; exit 1
fi
echo "$out"
grep -q 'drawing/Up.cpp: includes canvas/TGISPanel.h' <<<"$out" || { echo "FAIL: missed the upward include"; exit 1; }
grep -q 'raster/Widget.cpp: includes <QWidget>' <<<"$out" || { echo "FAIL: missed the widget"; exit 1; }
[ "$(grep -c ": includes" <<<"$out")" -eq 2 ] || { echo "FAIL: flagged what is allowed"; exit 1; }
echo "caught both"
