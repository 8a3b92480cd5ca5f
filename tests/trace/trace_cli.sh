#!/usr/bin/env bash
# penwright-trace on real scan files (PNG, JPEG, a G4 TIFF) into every drawing format, with
# the drawings read back by an independent reader; bad scans and wrong arguments.
# usage: trace_cli.sh PENWRIGHT_TRACE PENWRIGHT_CONVERT
set -uo pipefail
trace=$1
convert=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
# No X server: the tracer must not need one.
unset DISPLAY WAYLAND_DISPLAY

# A 300 × 200 sheet with a cross of strokes two pixels wide meeting at (150, 100), and a
# one-pixel diagonal from (20, 20) to (100, 60), as PNG, JPEG of quality 75 and a G4 TIFF.
magick=$(command -v /usr/bin/convert) || fail "ImageMagick is missing"
"$magick" -size 300x200 xc:white -fill none -stroke black -strokewidth 2 \
  -draw "line 20,100 280,100" -draw "line 150,20 150,180" \
  -strokewidth 1 -draw "line 20,20 100,60" "$dir/cross.png" || fail "no sample scan"
"$magick" "$dir/cross.png" -quality 75 "$dir/cross.jpg" || fail "no JPEG"
"$magick" "$dir/cross.png" -monochrome -compress Group4 "$dir/cross.tif" || fail "no TIFF"

# Each scan into a DXF that ezdxf reads: open polylines whose vertices lie on the strokes
# (map y = 200 − row), ends meeting at the junction.
for scan in cross.png cross.jpg cross.tif; do
  out=$("$trace" "$dir/$scan" -o "$dir/$scan.dxf" 2>&1) || fail "$scan: $out"
  grep -q "written to $dir/$scan.dxf" <<<"$out" || fail "$scan: no summary: $out"
  /usr/bin/python3 - "$dir/$scan.dxf" <<'PY' || fail "$scan: the DXF is not as expected"
import sys, ezdxf
doc = ezdxf.readfile(sys.argv[1])
lines = [e for e in doc.modelspace() if e.dxftype() in ("POLYLINE", "LWPOLYLINE")]
assert 5 <= len(lines) <= 6, f"{len(lines)} polylines"
def on_stroke(x, y):
    row = 200 - y
    return (abs(row - 100) <= 2 and 18 <= x <= 282) or (abs(x - 150) <= 2 and 18 <= row <= 182) \
        or (18 <= x <= 102 and abs(row - (20 + (x - 20) / 2)) <= 2)
ends = 0
for line in lines:
    points = [(p[0], p[1]) for p in line.points()]
    assert not line.is_closed, "a closed polyline"
    assert line.dxf.layer == "Penwright", line.dxf.layer
    for x, y in points:
        assert on_stroke(x, y), f"vertex {(x, y)} off the strokes"
    ends += sum(abs(x - 150) <= 2 and abs(200 - y - 100) <= 2 for x, y in (points[0], points[-1]))
assert ends == 4, f"{ends} ends at the junction"
PY
done

# RTV and SVG; options as the panels name them; the RTV read back by the converter.
"$trace" -q --outlines --tolerance=1 --speck 3 --layer=Ink "$dir/cross.png" -o "$dir/c.rtv" ||
  fail "to rtv"
back=$("$convert" "$dir/c.rtv" "$dir/back.dxf") || fail "the RTV does not read back: $back"
grep -q ": 2 entities in" <<<"$back" || fail "outlines of two regions expected: $back"
grep -q "Ink" "$dir/back.dxf" || fail "the layer name is lost"
"$trace" -q --dark-lines=100 "$dir/cross.jpg" -o "$dir/c.svg" || fail "to svg"
grep -q "<svg" "$dir/c.svg" || fail "no SVG"
"$trace" -q --color-range=60 --color=000000 "$dir/cross.png" -o "$dir/range.dxf" ||
  fail "colour range"
"$trace" -q --pure-color "$dir/cross.tif" -o "$dir/pure.dxf" || fail "pure colour"

# --help, and wrong arguments: status 2 and a message.
"$trace" --help | grep -q "Usage: penwright-trace" || fail "--help"
"$trace" 2>/dev/null; [ $? = 2 ] || fail "no arguments: status"
expect_usage() { # expected message part, arguments
  local want=$1; shift
  "$trace" "$@" 2>"$dir/err" >/dev/null; status=$?
  [ $status = 2 ] || fail "$*: status $status"
  grep -q -- "$want" "$dir/err" || fail "$*: expected '$want' in: $(cat "$dir/err")"
}
expect_usage "give either -o OUT or --out-dir DIR" "$dir/cross.png"
expect_usage "must end in .rtv, .dxf or .svg" "$dir/cross.png" -o "$dir/out.png"
expect_usage "use --out-dir for 2" "$dir/cross.png" "$dir/cross.jpg" -o "$dir/x.dxf"
expect_usage "from 1 to 255" --dark-lines=0 "$dir/cross.png" -o "$dir/x.dxf"
expect_usage "unknown option" --thin "$dir/cross.png" -o "$dir/x.dxf"
expect_usage "rtv, dxf or svg" --format=png "$dir/cross.png" --out-dir "$dir"

# A bad scan among good ones: status 1, a message naming it, the others still traced,
# and no drawing for it.
mkdir "$dir/out"
expect_usage "would both be written to" "$dir/cross.png" "$dir/cross.tif" --out-dir "$dir/out"
cp "$dir/cross.tif" "$dir/other.tif"
echo "not a scan" >"$dir/bad.png"
head -c 300 "$dir/cross.png" >"$dir/cut.png"
"$trace" -q "$dir/cross.png" "$dir/bad.png" "$dir/cut.png" "$dir/missing.tif" "$dir/other.tif" \
  --out-dir "$dir/out" --format svg 2>"$dir/err"; status=$?
[ $status = 1 ] || fail "bad scans: status $status"
for name in bad.png cut.png missing.tif; do
  grep -q "$name" "$dir/err" || fail "no message names $name: $(cat "$dir/err")"
done
[ -s "$dir/out/cross.svg" ] && [ -s "$dir/out/other.svg" ] || fail "the good scans were not traced"
[ "$(ls "$dir/out" | wc -l)" = 2 ] || fail "drawings of bad scans: $(ls "$dir/out")"
echo "tracer: scans, formats, options and bad input as expected"
