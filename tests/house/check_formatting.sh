#!/usr/bin/env bash
# Every C++ source is formatted as the committed .clang-format says.
# usage: check_formatting.sh SOURCE_DIR
set -euo pipefail
cd "$1"
mapfile -t files < <(find src tests bench tools -name '*.cpp' -o -name '*.h' | sort)
if ! clang-format --dry-run --Werror "${files[@]}" 2>"${TMPDIR:-/tmp}/penwright-format.$$"; then
  grep -E '^[^ ].*(error|warning):' "${TMPDIR:-/tmp}/penwright-format.$$" | cut -d: -f1 | sort -u |
    sed 's/^/not formatted: /'
  rm -f "${TMPDIR:-/tmp}/penwright-format.$$"
  echo "run: clang-format -i on the files above"
  exit 1
fi
rm -f "${TMPDIR:-/tmp}/penwright-format.$$"
echo "${#files[@]} files formatted"
