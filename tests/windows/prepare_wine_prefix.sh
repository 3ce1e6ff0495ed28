#!/bin/sh
# Creates the build's Wine prefix once (WINEPREFIX from the test's environment); later runs
# find the mark and skip that. A run broken off half-way leaves no mark and starts over.
set -eu
wine="${ORVANE_WINE:-wine}"
mark="$WINEPREFIX/.orvane-prefix-ready"
if [ ! -f "$mark" ]; then
    "$wine" wineboot.exe --init
    wineserver --wait
    touch "$mark"
fi
# Wine draws the windows' frames itself: under Xvfb no window manager does, and a caption
# must belong to its window for the dialog tests and the screenshots.
managed=$("$wine" reg query 'HKCU\Software\Wine\X11 Driver' /v Managed 2>/dev/null | tr -d '\r' | grep -c 'REG_SZ *N$' || true)
if [ "$managed" -eq 0 ]; then
    "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
    wineserver --wait
fi
