#!/usr/bin/env bash
# The table at a screen scale factor (QT_SCALE_FACTOR, as a high-density
# screen or a desktop set to 150 % gives it): after the deal, after cards
# dragged across others, refused, returned and dropped, after a new game and
# with each panel up, every border, outline and stretch of bare table is
# checked pixel by pixel in device pixels. The grid stays the game's own: a
# drop at x = 251 still lands in the right-hand column, one at 252 off the grid
# (the game measures a drop from the card's face, a pixel inside its border,
# so those are the pointer at 252 and 253).
# Usage: scale_e2e.sh FACTOR SCRIPTED_VIMBO X_CLOSE
source "$(dirname "$0")/lib.sh"
factor=$1 vimbo=$2 x_close=$3
check="/usr/bin/python3 $(dirname "$0")/table_pixels.py"

# Top 4 of clubs, left ace of coins, centre 3 of cups, right king of swords,
# bottom ace of cups; the stock starts with the 3 of coins.
deck=24,1,13,40,11,3
for v in $(seq 2 40); do [[ ",$deck," == *",$v,"* ]] || deck+=",$v"; done

E2E_SCREEN=1280x1280x24 start_xvfb # room for the window at 3 x 400 pixels
start_app env SDL_AUDIODRIVER=dummy QT_SCALE_FACTOR="$factor" VIMBO_E2E_DECK="$deck" VIMBO_E2E_QUICK=1 "$vimbo"
id=$(wait_window)
eval "$(xdotool getwindowgeometry --shell "$id")"
menu=

# Device pixel of a table point given in logical pixels.
dev() { awk -v u="$1" -v s="$factor" 'BEGIN { printf "%d", u * s + 0.5 }'; }
to() { xdotool mousemove $((X + $(dev "$1"))) $((Y + $(dev $((menu + $2))))); }
drag() { # from-x from-y to-x to-y, in steps across whatever lies between
    to "$1" "$2"; xdotool mousedown 1
    local i
    for i in 1 2 3 4 5 6 7 8; do to $(($1 + ($3 - $1) * i / 8)) $(($2 + ($4 - $2) * i / 8)); sleep 0.02; done
    xdotool mouseup 1; sleep 0.3
}
# The menu bar's height in logical pixels, from shot $1: the first row below
# the window's top that is table green. Nothing while no table shows.
menu_height() {
    convert "$E2E_TMP/$1.ppm" -crop "1x61+$((X + 200))+$Y" -depth 8 txt:- |
        awk -F'[,:]' -v s="$factor" '/\(0,128,0\)/ { printf "%d", $2 / s + 0.5; exit }'
}
# Screenshots until two in a row agree and the last one checks out, or what
# was wrong after 20 s: a loaded machine paints the large window, or ends the
# opening picture, well after the game is asked to. The screen is taken raw
# (PPM): nothing to compress, and two shots compared byte for byte.
expect() { # shot item...
    local shot=$1 m out="the screen never stood still"
    local deadline=$((SECONDS + 20)) now="$E2E_TMP/$1.ppm" before="$E2E_TMP/before.ppm"
    rm -f "$before"
    while ((SECONDS < deadline)); do
        "${VIMBO_X_SHOT:?}" "$now"
        if [[ -e $before ]] && cmp -s "$now" "$before"; then
            # Measured on each shot until the first one checks out: the
            # opening picture may lie where the menu bar's edge is looked for.
            m=${menu:-$(menu_height "$shot")}
            [[ -n $m ]] && out=$($check "$now" "$factor" "$X" "$Y" "$m" "${@:2}") &&
                menu=$m && return
        fi
        mv "$now" "$before"
        sleep 0.1
    done
    fail "at $factor, $shot: $out"
}

plus="card:100,10 card:20,120 card:100,120 card:180,120 card:100,230"
corners="outline:20,10 outline:180,10 outline:20,230 outline:180,230"
expect dealt $plus $corners stock:330,230 # once the opening picture is gone

to 360 280; xdotool click 1; sleep 0.3 # the 3 of coins onto the waste pile
drag 130 280 253 300                 # the ace of cups off the grid, across an outline
expect refused $plus $corners stock:330,230 card:260,230

drag 130 280 252 300 # the ace of cups onto the bottom-right foundation
drag 290 280 130 60  # the 3 of coins across the king onto the 4 of clubs
drag 210 170 50 170  # the king across the 3 of cups onto the ace: refused
expect played card:100,10 card:20,120 card:100,120 card:180,120 card:180,230 \
    outline:20,10 outline:180,10 outline:20,230 stock:330,230

xdotool key alt+g Return # Shuffle cards
expect again $plus $corners stock:330,230
xdotool key alt+i
expect info $plus $corners stock:330,230 info
xdotool key alt+r Return
expect rules rules

"$x_close" "$id"
status=$(wait_exit)
[[ $status == 0 ]] || fail "exit status $status"
echo "scale $factor: table, cards, outlines, stock and panels whole and sharp"
