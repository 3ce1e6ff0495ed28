#!/bin/sh
# Creates the build's Wine prefix once (WINEPREFIX from the test's environment); later runs
# find the mark and return at once. A run broken off half-way leaves no mark and starts over.
set -eu
mark="$WINEPREFIX/.orvane-prefix-ready"
[ -f "$mark" ] && exit 0
"${ORVANE_WINE:-wine}" wineboot.exe --init
wineserver --wait
touch "$mark"
