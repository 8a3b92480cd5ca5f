#!/usr/bin/env bash
# penwright-convert on every pair of formats, and on bad input: clear messages, the exit
# status, and an output file that a failed conversion leaves as it was.
# usage: convert_pairs.sh PENWRIGHT_CONVERT DXF_SAMPLE_WRITER
set -uo pipefail
convert=$1
sample=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
# No X server: the converter must not need one.
unset DISPLAY WAYLAND_DISPLAY

"$sample" "$dir/sample.dxf" >/dev/null || fail "no sample"
entities() { sed -n 's/.*: \([0-9]*\) entities in.*/\1/p' <<<"$1"; }

# Every input format into every output format; each output read back where we can read it.
"$convert" "$dir/sample.dxf" "$dir/sample.rtv" >/dev/null || fail "dxf to rtv"
"$convert" "$dir/sample.dxf" "$dir/sample.wmf" >/dev/null || fail "dxf to wmf"
for in in dxf rtv wmf; do
  for out in rtv dxf wmf svg; do
    target="$dir/from-$in.$out"
    message=$("$convert" "$dir/sample.$in" "$target" 2>&1) || fail "$in to $out: $message"
    [ -s "$target" ] || fail "$in to $out wrote nothing"
    n=$(entities "$message")
    [ "$n" -gt 0 ] || fail "$in to $out read no entities: $message"
    case $out in
      svg) grep -q '<svg' "$target" || fail "$in to svg is no SVG" ;;
      wmf) wmf2svg -o "$dir/check.svg" "$target" 2>/dev/null || fail "$in to wmf: wmf2svg refuses it" ;;
      *) back=$("$convert" "$target" "$dir/back.dxf" 2>&1) || fail "$in to $out reads back: $back"
         [ "$(entities "$back")" = "$n" ] || fail "$in to $out: $n entities, $(entities "$back") back" ;;
    esac
  done
done
# The DXF sample's ten finite entities survive DXF and RTV; a text's line breaks included.
[ "$(entities "$("$convert" "$dir/from-rtv.dxf" "$dir/x.rtv")")" = 10 ] || fail "entities lost"

# --help, and wrong arguments.
"$convert" --help | grep -q "Usage: penwright-convert IN OUT" || fail "--help"
"$convert" 2>/dev/null; [ $? = 2 ] || fail "no arguments: status"
"$convert" "$dir/sample.dxf" "$dir/out.png" 2>"$dir/err"; [ $? = 2 ] || fail ".png: status"
grep -q "must end in .rtv, .dxf, .wmf or .svg" "$dir/err" || fail ".png: message"

# Bad input: status 1, a message naming the file, the old output untouched.
echo "keep me" >"$dir/old.dxf"
expect_bad() { # input, expected message part
  "$convert" "$1" "$dir/old.dxf" 2>"$dir/err" >/dev/null; status=$?
  [ $status = 1 ] || fail "$1: status $status"
  grep -q -- "$(basename "$1")" "$dir/err" || fail "$1: the message does not name it: $(cat "$dir/err")"
  grep -q -- "$2" "$dir/err" || fail "$1: expected '$2' in: $(cat "$dir/err")"
  [ "$(cat "$dir/old.dxf")" = "keep me" ] || fail "$1: the old output was changed"
}
expect_bad "$dir/missing.dxf" "cannot open"
echo "plain text" >"$dir/text.dxf"; expect_bad "$dir/text.dxf" "not a DXF file"
head -c 700 "$dir/sample.dxf" >"$dir/cut.dxf"; expect_bad "$dir/cut.dxf" "ends inside"
head -c 100 "$dir/sample.wmf" >"$dir/cut.wmf"; expect_bad "$dir/cut.wmf" "ends before its last record"
head -c 200 "$dir/sample.rtv" >"$dir/cut.rtv"; expect_bad "$dir/cut.rtv" "ends inside a record"
echo "<svg/>" >"$dir/in.svg"; expect_bad "$dir/in.svg" "not a drawing file"
echo "converter: all pairs and bad input as expected"
