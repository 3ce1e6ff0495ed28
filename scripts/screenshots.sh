#!/usr/bin/env bash
# Renders the properties dialog and the about box, filled from a sample photograph, under Xvfb
# with a CJK font on the host (so that "宋体" shows real glyphs), into docs/*.png.
# Uses the Windows build this machine can run (i686, else x86_64) and that build's Wine prefix.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
sample=${1:-samples/Canon_40D.jpg}

if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    arch=i686 build=build/windows loader=wine
else
    arch=x86_64 build=build/windows64 loader=/usr/lib/wine/wine64
fi
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-$arch.cmake" >/dev/null
cmake --build "$build" -j"${JOBS:-2}" --target orvane_show_dialogs orvane_module page_extract dialog_closer

export WINEPREFIX=$PWD/$build/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=zh_CN.UTF-8
ORVANE_WINE=$loader sh tests/windows/prepare_wine_prefix.sh
mkdir -p docs
address="file:///Z:$(realpath "$sample")"

# shoot NAME [--about]: one picture of the screen, cut to the dialogs on it.
shoot() {
    xvfb-run -a -s "-screen 0 800x640x24" sh -c '
        "$1" "$2" "$3" $4 &
        sleep 6
        import -window root "$5"
        wineserver -k || true' shoot "$loader" "$build/tests/orvane_show_dialogs.exe" "$address" "${2:-}" "docs/$1.png"
    convert "docs/$1.png" -trim +repage "docs/$1.png"
    echo "screenshots: docs/$1.png"
}
shoot properties_dialog
shoot about_dialog --about

# The whole path: Orvane.dll registered by regsvr32 in a prefix of its own, the menu page's script
# from the module run after a stand-in for the browser, on the sample: the dialog it opens.
shoot_whole_path() {
    local prefix=$PWD/$build/wineprefix-screenshots
    rm -rf "$prefix"
    WINEPREFIX=$prefix ORVANE_WINE=$loader sh tests/windows/prepare_wine_prefix.sh
    xvfb-run -a -s "-screen 0 800x640x24" env WINEPREFIX="$prefix" ORVANE_WINE="$loader" sh -c '
        python3 tests/registration/script_paths.py show --module "$1/module/Orvane.dll" \
            --closer "$1/tests/registration/dialog_closer.exe" --extractor "$1/tests/registration/page_extract.exe" \
            --samples samples --strings resources/strings.def --expected tests/expected >/dev/null &
        sleep 15
        import -window root "$2"
        wineserver -k || true
        wait' shoot "$build" docs/menu_page_path.png
    convert docs/menu_page_path.png -trim +repage docs/menu_page_path.png
    echo "screenshots: docs/menu_page_path.png"
}
shoot_whole_path

# The Explorer verb: installed by regsvr32 /n /i:explorer in a prefix of its own, its command line
# read back from the registry and run on the sample, as Explorer would for "查看 Exif 信息(&V)".
shoot_explorer_verb() {
    local prefix=$PWD/$build/wineprefix-explorer
    rm -rf "$prefix"
    WINEPREFIX=$prefix ORVANE_WINE=$loader sh tests/windows/prepare_wine_prefix.sh
    WINEPREFIX=$prefix "$loader" regsvr32.exe /s /n /i:explorer "Z:$PWD/$build/module/Orvane.dll"
    local command
    command=$(WINEPREFIX=$prefix "$loader" reg query \
        'HKCU\Software\Classes\SystemFileAssociations\.jpg\shell\Orvane.ShowExif\command' /ve |
        tr -d '\r' | LC_ALL=C sed -n 's/.*REG_SZ *//p')  # the value's name is in code page 936
    command=${command//%1/Z:$(realpath "$sample" | tr / '\\')}
    WINEPREFIX=$prefix wineserver --wait  # a server started without a display would keep none
    # Each quoted part of the command becomes one argument of the loader.
    xvfb-run -a -s "-screen 0 800x640x24" env WINEPREFIX="$prefix" sh -c '
        eval "$1 $2" &
        sleep 15
        import -window root "$3"
        wineserver -k || true
        wait' shoot "$loader" "$command" docs/explorer_verb.png
    convert docs/explorer_verb.png -trim +repage docs/explorer_verb.png
    echo "screenshots: docs/explorer_verb.png"
}
shoot_explorer_verb
