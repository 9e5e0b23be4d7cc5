# The game every run of faults_e2e.sh and nothing_written_e2e.sh goes through,
# on top of lib.sh: the dealt table looked at, stock turns, a drag, a new game
# and both options from the keyboard, and checks that the window is the only
# one. Screens are read raw (3 bytes a pixel), cheap enough to poll.

# A quiet desktop session for the program: no session bus to start one of
# (libdbus would spawn dbus-launch on an X display without one), and a
# private runtime folder as a login provides.
quiet_session_env() {
    mkdir -m 700 "$E2E_TMP/runtime"
    export XDG_RUNTIME_DIR="$E2E_TMP/runtime"
    export DBUS_SESSION_BUS_ADDRESS="unix:path=$E2E_TMP/no-session-bus"
}

# Table coordinates, once table_at has found the table.
tp() { pixel "$1" $((OX + $2)) $((OY + $3)); }

# Finds the table's (0, 0) below the menu bar of window $WIN in screenshot $1: sets
# OX, OY; false while no table green shows there. One look at the whole
# column, not a process a pixel: this runs over and over until the opening
# picture has gone.
table_at() {
    eval "$(xdotool getwindowgeometry --shell "$WIN")"
    local y
    y=$(/usr/bin/python3 -c '
import sys
grab, x, top = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
with open(grab, "rb") as f:
    screen = f.read()
for y in range(top, top + 61):
    at = (y * 1024 + x) * 3
    if screen[at:at + 3] == bytes((0, 128, 0)):
        print(y)
        break' "$E2E_TMP/$1.rgb" $((X + 200)) "$Y")
    [[ -n $y ]] || return 1
    OX=$X OY=$y
}

# Polls the screen (about $3 seconds) until table point ($1, $2) does or does
# not ($4 = !) show colour $5; the last screenshot is left in "poll".
poll_until() {
    local x=$1 y=$2 tries=$(($3 * 10)) negate=$4 want=$5 got
    for _ in $(seq "$tries"); do
        shoot poll
        got=$(tp poll "$x" "$y")
        if [[ $negate == "!" ]]; then [[ $got != "$want" ]] && return 0
        else [[ $got == "$want" ]] && return 0; fi
        sleep 0.1
    done
    return 1
}

# The game's window, found and its table located once the opening picture
# (a little over three seconds, or $1) has given way to the dealt table.
# Nothing is looked at before then: each look costs the machine a screenshot
# and a few processes, which the other tests running beside this one want.
wait_table() {
    WIN=$(wait_window)
    sleep "${1:-3}"
    local _
    for _ in $(seq 100); do
        shoot table
        # The dealt table: the yellow outlines are drawn once the opening
        # picture has gone.
        table_at table && [[ $(tp table 180 230) == "255,255,0" ]] && break
        sleep 0.1
    done
    table_at table || fail "no table green below the menu bar"
    only_window "at the deal"
    check_table table
}

# What startup_e2e.sh sees on a dealt table: green, four outlines, the stock,
# five cards in the plus.
check_table() {
    local shot=$1 corner cell x y
    [[ $(tp "$shot" 5 5) == "0,128,0" ]] || fail "the table is not green: $(tp "$shot" 5 5)"
    for corner in "20 10" "180 10" "20 230" "180 230"; do
        read -r x y <<<"$corner"
        [[ $(tp "$shot" "$x" "$y") == "255,255,0" ]] || fail "no yellow outline at $corner"
    done
    [[ $(tp "$shot" 361 280) != "0,128,0" ]] || fail "no stock picture"
    for cell in "100 10" "20 120" "100 120" "180 120" "100 230"; do
        read -r x y <<<"$cell"
        [[ $(tp "$shot" "$x" "$y") == "0,0,0" ]] || fail "no card border at $cell"
        [[ $(tp "$shot" $((x + 3)) $((y + 50))) != "0,128,0" ]] || fail "no card face at $cell"
    done
}

# Fails when any visible window with a name other than the game's is up: a
# message box, a dialog, a second main window.
only_window() {
    local others
    others=$(xdotool search --onlyvisible --name . 2>/dev/null | grep -vx "$WIN" || true)
    [[ -z $others ]] || fail "another window is up ($1): $(for w in $others; do
        xdotool getwindowname "$w"; done | paste -sd, -)"
}

to() { xdotool mousemove $((OX + $1)) $((OY + $2)); }

# The xdotool commands of a drag with the left button from table point
# ($1, $2) to ($3, $4), in a few steps; drag runs them.
drag_steps() {
    local i
    echo mousemove $((OX + $1)) $((OY + $2)) mousedown 1
    for i in 1 2 3 4; do
        echo mousemove $((OX + $1 + ($3 - $1) * i / 4)) $((OY + $2 + ($4 - $2) * i / 4)) sleep 0.01
    done
    echo mouseup 1
}
drag() {
    # shellcheck disable=SC2046
    xdotool $(drag_steps "$@")
}

stock_steps() { echo mousemove $((OX + 360)) $((OY + 280)) click 1; }
stock_turn() {
    # shellcheck disable=SC2046
    xdotool $(stock_steps)
}

# Menu commands from the keyboard, the menu given time to open.
menu_keys() {
    xdotool windowfocus --sync "$WIN"
    xdotool key "$1"
    sleep 0.25
    shift
    xdotool key "$@"
    sleep 0.15
}

# The scripted game on a freshly dealt table.
play_session() {
    stock_turn
    poll_until 260 230 3 "" "0,0,0" || fail "no card turned onto the waste pile"
    stock_turn
    sleep 0.2
    only_window "after the stock turns"

    # The turned card dragged off the grid comes back to the waste pile.
    drag 291 281 380 60
    sleep 0.3
    shoot dragged
    [[ $(tp dragged 380 60) == "0,128,0" ]] || fail "a card was left off the grid"
    [[ $(tp dragged 260 230) == "0,0,0" ]] || fail "the dragged card did not come back"

    # A new game from the keyboard: Alt+G, Return on "Shuffle cards". The
    # new deal has no card on the waste pile.
    menu_keys alt+g Return
    poll_until 260 230 3 "" "0,128,0" || fail "no new game from Alt+G, Return"
    shoot newgame
    check_table newgame
    only_window "after the new game"

    # Both options from the keyboard: "Card rustle" is the first entry of
    # Alt+O, "Music" the second. The game plays on.
    menu_keys alt+o Return
    menu_keys alt+o Down Return
    only_window "after the options"
    stock_turn
    poll_until 260 230 3 "" "0,0,0" || fail "no stock turn after the options"
    only_window "at the end of the game"
}

# Asks the window to close; the program must end with status 0.
close_and_exit() {
    "$X_CLOSE" "$WIN"
    local status
    status=$(wait_exit)
    [[ $status == 0 ]] || fail "exit status $status"
}

# Fails if the program said anything beyond Qt's own notes (runtime folder,
# size hints without a window manager).
quiet_log() {
    local said
    said=$(grep -vE 'QStandardPaths|propagateSizeHints' "$E2E_TMP/app.log" || true)
    [[ -z $said ]] || fail "the program printed: $said"
}
