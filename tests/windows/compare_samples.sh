#!/bin/sh
# orvane.exe under Wine lists every sample photograph byte for byte as the native program does:
# the stored outputs were made and checked with the native build.
set -u
program=$1
samples=$2
expected=$3
actual=$(mktemp -d)
trap 'rm -rf "$actual"' EXIT
status=0
cd "$samples" || exit 1
for picture in *.jpg; do
    name=${picture%.jpg}
    # Text mode on Windows writes CR LF; the stored outputs have LF.
    "${ORVANE_WINE:-wine}" "$program" --json "$picture" 2>/dev/null | tr -d '\r' >"$actual/$name.json"
    "${ORVANE_WINE:-wine}" "$program" "$picture" 2>/dev/null | tr -d '\r' >"$actual/$name.txt"
    for kind in json txt; do
        if ! cmp -s "$expected/$name.$kind" "$actual/$name.$kind"; then
            echo "compare_samples: $name.$kind differs from the native output:"
            diff "$expected/$name.$kind" "$actual/$name.$kind" | head -20
            status=1
        fi
    done
done
[ "$status" -eq 0 ] && echo "compare_samples: $(ls "$actual" | wc -l) outputs as the native program's"
exit "$status"
