#!/usr/bin/env bash
# Renders the properties dialog, the about box, the dialog the menu page opens and the one the
# Explorer verb opens, filled from a sample photograph, under Xvfb into docs/*.png, as a user of
# a Chinese Windows would see them: Wine's own fonts (the caption buttons are Marlett glyphs), a
# CJK font in place of "宋体", the picture opened from the user's Pictures folder.
# Uses the Windows build this machine can run (i686, else x86_64), in Wine prefixes of its own.
set -euo pipefail
cd "$(dirname "$0")/.."
sample=${1:-samples/Canon_40D.jpg}

# What only the pictures need, so the tests' set stays as it is: Wine's own fonts, the CJK font,
# xdotool to drive the dialogs and optipng.
bash scripts/setup.sh fonts-wine fonts-wqy-microhei xdotool optipng
# WenQuanYi Micro Hei: of the Debian CJK fonts tried (also Zen Hei, AR PL UMing, Droid Sans
# Fallback) the one whose 9-point text is drawn smoothly and whose labels fit their columns.
cjk_font="WenQuanYi Micro Hei"

if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    arch=i686 build=build/windows loader=wine
else
    arch=x86_64 build=build/windows64 loader=/usr/lib/wine/wine64
fi
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-$arch.cmake" >/dev/null
cmake --build "$build" -j"${JOBS:-2}" --target orvane_show_dialogs orvane_module page_extract dialog_closer

export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=zh_CN.UTF-8
mkdir -p docs
screen="-screen 0 800x640x24"

# new_prefix NAME: a fresh prefix (WINEPREFIX is set to it) dressed for the pictures, with the
# sample in the user's Pictures folder; sets `picture` to its Windows path.
new_prefix() {
    export WINEPREFIX=$PWD/$build/$1
    rm -rf "$WINEPREFIX"
    ORVANE_WINE=$loader sh tests/windows/prepare_wine_prefix.sh
    # Debian's Wine doesn't look in its own font folder; every Wine looks in the prefix's.
    cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
    local face
    for face in 宋体 SimSun 新宋体 NSimSun "MS Shell Dlg"; do
        "$loader" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /d "$cjk_font" /f >/dev/null
    done
    local profile
    profile=$("$loader" cmd.exe /c 'echo %USERPROFILE%' | tr -d '\r')
    picture="$profile\\Pictures\\$(basename "$sample")"
    local folder
    folder=$("$loader" winepath.exe -u "$profile\\Pictures" | tr -d '\r')
    mkdir -p "$folder"
    cp "$sample" "$folder/"
    wineserver --wait  # a server started without a display would keep none
}

# file_address WINDOWS-PATH: the "file:///" address the browser hands over for a local picture.
file_address() { echo "file:///${1//\\//}"; }

# finish PNG: cut to the windows on the screen and keep the file small.
finish() {
    convert "$1" -trim +repage "$1"
    optipng -quiet -o2 "$1"
    echo "screenshots: $1"
}

# Under Xvfb no window manager hands out activation: a dialog shown at start is drawn inactive,
# with a grey caption and its selection hidden, and a picture without any other colour is saved
# as a greyscale PNG. Closing a box it owns gives the activation back to it, so a shot that
# wants the dialog active opens the about box first and closes it.
activate_by_about() {
    cat <<'EOF'
about=$(timeout 30 xdotool search --sync --name "^关于 ")
sleep 1
xdotool windowfocus "$about" key Return
sleep 1
EOF
}

# A dialog opened another way (menu page, Explorer verb) gets the about box from its own menu.
open_about_from_menu() {
    cat <<'EOF'
dialog=$(timeout 60 xdotool search --sync --name "^Exif ")
sleep 3
xdotool windowfocus "$dialog"
eval "$(xdotool getwindowgeometry --shell "$dialog")"
# The second and third rows, as show_dialogs selects them; the menu over the selection.
xdotool mousemove $((X + 60)) $((Y + 77)) click 1 keydown shift mousemove $((X + 60)) $((Y + 93)) click 1 keyup shift
sleep 1
xdotool click 3
sleep 1
xdotool key b
EOF
}

new_prefix wineprefix-pictures
address=$(file_address "$picture")
xvfb-run -a -s "$screen" sh -c '
    "$1" "$2" "$3" --about &
    '"$(activate_by_about)"'
    xdotool key shift+Tab  # from the OK button to the list, which then shows its selection
    sleep 1
    import -window root "$4"
    wineserver -k || true' shoot "$loader" "$build/tests/orvane_show_dialogs.exe" "$address" docs/properties_dialog.png
finish docs/properties_dialog.png
xvfb-run -a -s "$screen" sh -c '
    "$1" "$2" "$3" --about &
    timeout 30 xdotool search --sync --name "^关于 " >/dev/null
    sleep 2
    import -window root "$4"
    wineserver -k || true' shoot "$loader" "$build/tests/orvane_show_dialogs.exe" "$address" docs/about_dialog.png
finish docs/about_dialog.png

# The whole path: Orvane.dll registered by regsvr32 in a prefix of its own, the menu page's script
# from the module run after a stand-in for the browser, on the picture: the dialog it opens.
new_prefix wineprefix-screenshots
xvfb-run -a -s "$screen" env ORVANE_WINE="$loader" sh -c '
    python3 tests/registration/script_paths.py show --module "$1/module/Orvane.dll" \
        --closer "$1/tests/registration/dialog_closer.exe" --extractor "$1/tests/registration/page_extract.exe" \
        --samples samples --strings resources/strings.def --expected tests/expected --picture "$3" >/dev/null &
    '"$(open_about_from_menu)"'
    '"$(activate_by_about)"'
    import -window root "$2"
    wineserver -k || true
    wait' shoot "$build" docs/menu_page_path.png "$(file_address "$picture")"
finish docs/menu_page_path.png

# The Explorer verb: installed by regsvr32 /n /i:explorer in a prefix of its own, its command line
# read back from the registry and run on the picture, as Explorer would for "查看 Exif 信息(&V)".
# Wine's file windows build their context menu from a fixed list and show no registered verb, so
# the picture is the dialog the verb opens.
new_prefix wineprefix-explorer
"$loader" regsvr32.exe /s /n /i:explorer "Z:$PWD/$build/module/Orvane.dll"
command=$("$loader" reg query \
    'HKCU\Software\Classes\SystemFileAssociations\.jpg\shell\Orvane.ShowExif\command' /ve |
    tr -d '\r' | LC_ALL=C sed -n 's/.*REG_SZ *//p')  # the value's name is in code page 936
command=${command//%1/"$picture"}
wineserver --wait
# Each quoted part of the command becomes one argument of the loader.
xvfb-run -a -s "$screen" sh -c '
    eval "$1 $2" &
    '"$(open_about_from_menu)"'
    '"$(activate_by_about)"'
    import -window root "$3"
    wineserver -k || true
    wait' shoot "$loader" "$command" docs/explorer_verb.png
finish docs/explorer_verb.png
