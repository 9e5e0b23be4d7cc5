#!/usr/bin/env bash
# Playing with the real pointer under Xvfb: turn the stock, drag the turned
# card off the grid and see it come back to the waste pile, then drag it and
# an ace where the rules take them and see them stay.
# Usage: pointer_e2e.sh SCRIPTED_VIMBO X_CLOSE
source "$(dirname "$0")/lib.sh"
vimbo=$1 x_close=$2

# Top 4 of clubs, left ace of coins, centre 3 of cups, right king of swords,
# bottom ace of cups; the stock starts with the 3 of coins.
deck=24,1,13,40,11,3
for v in $(seq 2 40); do [[ ",$deck," == *",$v,"* ]] || deck+=",$v"; done

start_xvfb
start_app env SDL_AUDIODRIVER=dummy VIMBO_E2E_DECK="$deck" "$vimbo"
id=$(wait_window)
sleep 3.6 # the opening picture
shoot dealt
read -r ox oy < <(table_origin "$id" dealt)

# Pointer moves in table coordinates.
to() { xdotool mousemove $((ox + $1)) $((oy + $2)); }
drag() { # from-x from-y to-x to-y
    to "$1" "$2"; xdotool mousedown 1
    local i
    for i in 1 2 3 4 5 6; do to $(($1 + ($3 - $1) * i / 6)) $(($2 + ($4 - $2) * i / 6)); sleep 0.02; done
    xdotool mouseup 1; sleep 0.2
}
p() { pixel "$1" $((ox + $2)) $((oy + $3)); }
region() { convert "$E2E_TMP/$1.png" -crop "64x102+$((ox + $2))+$((oy + $3))" -format '%#' info:; }

to 360 280; xdotool click 1; sleep 0.3
shoot turned
[[ $(p turned 260 230) == "0,0,0" ]] || fail "no card turned onto the waste pile"
waste=$(region turned 260 230)

drag 290 280 380 60 # off the grid, over the right margin
shoot returned
[[ $(region returned 260 230) == "$waste" ]] || fail "the card did not come back to the waste pile"
[[ $(p returned 380 60) == "0,128,0" ]] || fail "a card was left off the grid"

top_before=$(region returned 100 10)
drag 290 280 130 60 # the 3 of coins onto the 4 of clubs
drag 50 170 50 60   # the ace of coins onto the top-left foundation
shoot played
[[ $(p played 260 230) == "0,128,0" ]] || fail "the waste pile still shows a card"
[[ $(region played 100 10) == "$waste" ]] || fail "the 3 of coins does not lie on the 4 of clubs"
[[ $(region played 100 10) != "$top_before" ]] || fail "the top cell did not change"
[[ $(p played 20 10) == "0,0,0" ]] || fail "the ace does not cover the foundation outline"
[[ $(p played 20 120) == "0,128,0" ]] || fail "the ace's old cell is not empty"

"$x_close" "$id"
status=$(wait_exit)
[[ $status == 0 ]] || fail "exit status $status"
echo "pointer: stock turn, return, and two accepted drags as expected"
