#!/usr/bin/env bash
# The built program under Xvfb: its window's place, size and caption, the
# opening picture at about one second, the dealt table at about four and a
# half, and a clean end with status 0 when the window is asked to close.
# Usage: startup_e2e.sh VIMBO X_CLOSE
source "$(dirname "$0")/lib.sh"
vimbo=$1 x_close=$2

start_xvfb
start_app env SDL_AUDIODRIVER=dummy "$vimbo"
started=$(date +%s%3N)
id=$(wait_window)

info=$(xwininfo -id "$id")
grep -q 'Absolute upper-left X: *312$' <<<"$info" || fail "not centred across: $info"
grep -q 'Absolute upper-left Y: *184$' <<<"$info" || fail "not centred down: $info"
grep -q 'Width: 400$' <<<"$info" || fail "not 400 wide: $info"
grep -q 'Height: 400$' <<<"$info" || fail "not 400 high: $info"
[[ $(xdotool getwindowname "$id") == "Brennolt - Vimbo" ]] || fail "caption"

# Sleeps until `$1` milliseconds after the start.
at() {
    local left=$(($1 - ($(date +%s%3N) - started)))
    ((left > 0)) && sleep "$(printf '%d.%03d' $((left / 1000)) $((left % 1000)))"
    return 0
}

at 1000
shoot title
# The opening picture covers the table: the middle of the table is not the
# plain table green, and no card or outline is there yet.
read -r tx ty < <(echo 312 $((184 + 30)))
green=0
for p in "200 150" "100 250" "300 60" "30 30"; do
    read -r x y <<<"$p"
    [[ $(pixel title $((tx + x)) $((ty + y))) == "0,128,0" ]] && green=$((green + 1))
done
[[ $green -lt 4 ]] || fail "no opening picture at one second"

at 4500
shoot table
read -r ox oy < <(table_origin "$id" table)
[[ $((oy - 184)) -ge 15 && $((oy - 184)) -le 40 ]] || fail "odd menu bar height: $((oy - 184))"
p() { pixel table $((ox + $1)) $((oy + $2)); }
[[ $(p 5 5) == "0,128,0" ]] || fail "the table is not green: $(p 5 5)"
for corner in "20 10" "180 10" "20 230" "180 230"; do
    read -r x y <<<"$corner"
    [[ $(p "$x" "$y") == "255,255,0" ]] || fail "no yellow outline at $corner: $(p "$x" "$y")"
    [[ $(p $((x + 31)) $((y + 51))) != "" ]] || fail "unreadable pixel"
done
[[ $(p 361 280) != "0,128,0" ]] || fail "no stock picture"
for cell in "100 10" "20 120" "100 120" "180 120" "100 230"; do
    read -r x y <<<"$cell"
    [[ $(p "$x" "$y") == "0,0,0" ]] || fail "no card border at $cell: $(p "$x" "$y")"
    [[ $(p $((x + 3)) $((y + 50))) != "0,128,0" ]] || fail "no card face at $cell"
done

"$x_close" "$id"
status=$(wait_exit)
[[ $status == 0 ]] || fail "exit status $status"
echo "startup: window, opening picture, table and exit as expected"
