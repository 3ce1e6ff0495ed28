#!/bin/sh
# `cmake --install` into a fresh prefix: the installed program lists a sample as the stored
# output says, and its manual page is where man looks and renders without a warning.
# Usage: cli_install_test.sh CMAKE BUILD_DIR SAMPLES_DIR EXPECTED_DIR
set -eu
cmake=$1
build=$2
samples=$3
expected=$4
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

"$cmake" --install "$build" --prefix "$prefix" >/dev/null
"$prefix/bin/orvane" "$samples/Canon_40D.jpg" >"$prefix/listing.txt"
cmp "$expected/Canon_40D.txt" "$prefix/listing.txt"

page=$prefix/share/man/man1/orvane.1
# man formats with groff; -ww reports every problem with the page's markup.
warnings=$(groff -man -Tutf8 -ww -z "$page" 2>&1)
if [ -n "$warnings" ]; then
    echo "cli_install_test: groff warns about orvane.1:"
    echo "$warnings"
    exit 1
fi
for section in NAME SYNOPSIS DESCRIPTION OPTIONS "EXIT STATUS" EXAMPLES; do
    groff -man -Tutf8 "$page" 2>/dev/null | sed 's/\x1b\[[0-9;]*m//g; s/.\x08//g' | grep -qx "$section" ||
        { echo "cli_install_test: orvane.1 has no $section section"; exit 1; }
done
echo "cli_install_test: $prefix/bin/orvane and its manual page installed and working"
