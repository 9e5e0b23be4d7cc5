# Checks shared by the install and package tests: what an installed tree
# holds, and the installed game played as a player starts it.
# Source after ../e2e/lib.sh.

appid=io.github.brennolt.vimbo
tests_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
pcm() { /usr/bin/python3 "$tests_dir/e2e/pcm.py" "$@"; }

# Everything a player's machine needs, under the install prefix $1, with the
# command in its folder $2 (bin, or games as Debian keeps a game's command).
check_layout() {
    local prefix=$1 bindir=${2:-bin} f
    [[ -x $prefix/lib/vimbo/vimbo && ! -L $prefix/lib/vimbo/vimbo ]] ||
        fail "no game executable in $prefix/lib/vimbo"
    # The game reads its sounds from its own folder, so they must lie beside it.
    for f in carta.wav Music/5carte.mid Music/finale.mid; do
        [[ -s $prefix/lib/vimbo/$f ]] || fail "no $f beside the game"
    done
    # A relative link, so the tree still works after moving (DESTDIR, a package).
    [[ $(readlink "$prefix/$bindir/vimbo") == ../lib/vimbo/vimbo ]] ||
        fail "$bindir/vimbo is not a link to ../lib/vimbo/vimbo: $(readlink "$prefix/$bindir/vimbo")"
    [[ $(PATH=$prefix/$bindir command -v vimbo) == "$prefix/$bindir/vimbo" ]] ||
        fail "no vimbo on the PATH"
    # The manual page, and the terms and history every Debian package carries.
    for f in man/man6/vimbo.6.gz doc/vimbo/changelog.gz; do
        gzip -t "$prefix/share/$f" 2>/dev/null || fail "no compressed share/$f"
    done
    zgrep -q '^\.SH KEYBOARD' "$prefix/share/man/man6/vimbo.6.gz" || fail "the manual page has no keys"
    grep -q 'Copyright (c) Brennolt' "$prefix/share/doc/vimbo/copyright" ||
        fail "no copyright file with the game's rights notice"

    local desktop=$prefix/share/applications/vimbo.desktop
    local metainfo=$prefix/share/metainfo/$appid.metainfo.xml
    local png=$prefix/share/icons/hicolor/32x32/apps/vimbo.png
    local svg=$prefix/share/icons/hicolor/scalable/apps/vimbo.svg
    for f in "$desktop" "$metainfo" "$png" "$svg"; do
        [[ -s $f ]] || fail "missing ${f#"$prefix"/}"
    done
    desktop-file-validate "$desktop" || fail "the desktop entry does not validate"
    appstreamcli validate --no-net --pedantic "$metainfo" >"$E2E_TMP/appstream.log" ||
        fail "the metainfo does not validate: $(cat "$E2E_TMP/appstream.log")"

    # The launcher entry, the icon and the metainfo name one another.
    grep -qx 'Exec=vimbo' "$desktop" || fail "the launcher does not start the vimbo command"
    grep -qx 'Icon=vimbo' "$desktop" || fail "the launcher names another icon"
    grep -q '<launchable type="desktop-id">vimbo.desktop</launchable>' "$metainfo" ||
        fail "the metainfo names another launcher entry"
    grep -q "<id>$appid</id>" "$metainfo" || fail "the metainfo file is not named after its id"

    # The bitmap icon is the game's icon at 32 px: the blue plus across the
    # middle and a yellow square in each corner's frame.
    [[ $(identify -format '%m %wx%h' "$png") == "PNG 32x32" ]] || fail "icon is not a 32 px PNG"
    convert "$png" -depth 8 "rgb:$E2E_TMP/icon.rgb"
    icon() { E2E_SCREEN=32 pixel icon "$1" "$2"; }
    [[ $(icon 16 16) == "63,127,224" ]] || fail "no blue plus in the icon: $(icon 16 16)"
    for corner in "5 5" "26 5" "5 26" "26 26"; do
        read -r x y <<<"$corner"
        [[ $(icon "$x" "$y") == "255,224,32" ]] || fail "no yellow square at $corner of the icon"
    done
    cmp -s "$svg" "$tests_dir/../resources/icon.svg" ||
        fail "the scalable icon is not the game's icon"
}

# Starts the installed game by its command from a folder of its own, as a
# launcher does, under Xvfb with the sound written to a file: the table is
# dealt, the music plays, a stock turn rustles over it, and closing the window
# ends the program with status 0. The music and the rustle prove the game
# found its sound files beside itself, not in the working folder.
play_installed() {
    local prefix=$1 x_close=$2 bindir=${3:-bin}
    local out="$E2E_TMP/out.raw"
    mkdir "$E2E_TMP/elsewhere"
    cd "$E2E_TMP/elsewhere" || fail "no working folder"

    start_xvfb
    start_app env PATH="$prefix/$bindir:$PATH" SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$out" vimbo
    local id ox oy
    id=$(wait_window)
    sleep 4.5 # the opening picture, then a second of music
    shoot dealt
    read -r ox oy < <(table_origin "$id" dealt)
    [[ $(pixel dealt $((ox + 5)) $((oy + 5))) == "0,128,0" ]] || fail "no table"
    [[ $(pixel dealt $((ox + 100)) $((oy + 10))) == "0,0,0" ]] || fail "no card dealt"

    local mark music rustle status
    mark=$(stat -c %s "$out" 2>/dev/null || echo 0)
    ((mark > 44100 * 4)) || fail "hardly any sound written: $mark bytes"
    music=$(pcm "$out" $((mark - 44100 * 4)))
    ((music > 1000)) || fail "no music: Music/5carte.mid not found beside the game? (peak $music)"

    mark=$(stat -c %s "$out")
    xdotool mousemove $((ox + 360)) $((oy + 280)) click 1
    sleep 0.6
    rustle=$(pcm "$out" "$mark")
    ((rustle > music + 3000)) ||
        fail "no rustle at a stock turn: carta.wav not found beside the game? (peak $rustle, music $music)"

    "$x_close" "$id"
    status=$(wait_exit)
    [[ $status == 0 ]] || fail "exit status $status"
    [[ -z $(ls -A "$E2E_TMP/elsewhere") ]] || fail "the game wrote into the working folder"
    echo "installed game: table, music $music, rustle $rustle, clean exit"
}
