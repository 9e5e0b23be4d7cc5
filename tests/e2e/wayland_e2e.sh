#!/usr/bin/env bash
# The built program native on a Wayland desktop: a private weston on its
# headless backend (no X anywhere), the game on Qt's Wayland plugin. From
# screenshots: the window is 400 x 400 from edge to edge with Qt's own frame,
# the opening picture is drawn whole over the table first, then the dealt
# table is, every border, outline and stretch of bare table checked pixel by
# pixel as the scale test does.
#
# Each picture is looked at once it stands still: two shots in a row agree,
# so what is checked is a picture the compositor really shows, not one half
# painted. Until the opening picture has been seen, the game is held
# (SIGSTOP) while its screen is shot, so that a loaded machine cannot deal
# the table between two shots.
#
# Where weston or Qt's Wayland plugin is not installed or cannot start, the
# test exits with status 77, which CTest reports as skipped, with the reason.
# Usage: wayland_e2e.sh VIMBO
source "$(dirname "$0")/lib.sh"
vimbo=$1
# Debian's own Python: it starts at once, where a version manager's may not.
check="/usr/bin/python3 $(dirname "$0")/table_pixels.py"

skip() {
    echo "SKIPPED: $*"
    exit 77
}
command -v weston >/dev/null || skip "weston is not installed (Debian package weston)"
command -v weston-screenshooter >/dev/null || skip "weston-screenshooter is not installed (Debian package weston)"

WESTON_PID= GAME_PID=
# Whether the game has ended: gone, or a zombie.
ended() {
    local state
    state=$(awk '{print $3}' "/proc/$GAME_PID/stat" 2>/dev/null || true)
    [[ -z $state || $state == Z ]]
}
wayland_cleanup() {
    # Nothing on Wayland asks another program's window to close: the game is
    # ended by a signal, its waiting shell first (it would report the death).
    # A held game would keep the signal pending: it is let go first.
    [[ -n $APP_PID ]] && { kill "$APP_PID" 2>/dev/null || true; }
    APP_PID=
    if [[ -n $GAME_PID ]]; then
        kill -CONT "$GAME_PID" 2>/dev/null || true
        kill "$GAME_PID" 2>/dev/null || true
        # Ended before its folders are removed.
        for _ in $(seq 50); do
            ended && break
            sleep 0.1
        done
    fi
    if [[ -n $WESTON_PID ]]; then
        kill "$WESTON_PID" 2>/dev/null || true
        wait "$WESTON_PID" 2>/dev/null || true
    fi
    e2e_cleanup
}
trap wayland_cleanup EXIT

# The desktop: no panel, no clock, no animations, a plain background that no
# pixel of the game has, the on-screen keyboard not started. --debug lets
# weston-screenshooter in.
background="64,64,64"
cat >"$E2E_TMP/weston.ini" <<'EOF'
[core]
idle-time=0

[shell]
panel-position=none
background-color=0xff404040
locking=false
animation=none
close-animation=none
startup-animation=none
focus-animation=none

[input-method]
path=
EOF
mkdir -m 700 "$E2E_TMP/runtime" "$E2E_TMP/shooter"
export XDG_RUNTIME_DIR="$E2E_TMP/runtime" WAYLAND_DISPLAY=vimbo-e2e
unset DISPLAY QT_QPA_PLATFORM
env -u WAYLAND_DISPLAY weston --config="$E2E_TMP/weston.ini" --backend=headless-backend.so \
    --use-pixman --socket="$WAYLAND_DISPLAY" --width=1024 --height=768 --debug \
    >"$E2E_TMP/weston.log" 2>&1 &
WESTON_PID=$!

# weston-screenshooter writes wayland-screenshot-<time>.png into the folder it
# runs in; $E2E_TMP/$1.png here.
shoot() {
    rm -f "$E2E_TMP"/shooter/*
    (cd "$E2E_TMP/shooter" && weston-screenshooter) >"$E2E_TMP/shooter.log" 2>&1 || return 1
    mv "$E2E_TMP"/shooter/*.png "$E2E_TMP/$1.png" 2>/dev/null
}

# What a shot shows: "none" while the desktop is not drawn yet, "desktop"
# when it is and nothing is on it, else "window" and, in screen pixels, the
# window's outer edges (left top right bottom, inclusive), where the table's
# (0, 0) lies and how large the table is, and whether the table holds the
# opening picture: "opening" when no row and no column of it is mostly table
# green or of one colour (a table not yet covered, or covered in part, is).
look() {
    /usr/bin/python3 - "$E2E_TMP/$1.png" "$background" <<'EOF'
import subprocess, sys
ppm = subprocess.run(["convert", sys.argv[1], "-depth", "8", "ppm:-"], capture_output=True, check=True).stdout
header = ppm.split(maxsplit=4)
width, height, data = int(header[1]), int(header[2]), header[4]
ground = bytes(int(c) for c in sys.argv[2].split(","))
px = lambda x, y: data[3 * (y * width + x) : 3 * (y * width + x) + 3]
rows = [y for y in range(height) if data[3 * y * width : 3 * (y + 1) * width] != ground * width]
if not rows:
    print("desktop")
    sys.exit()
if px(0, 0) != ground and px(width - 1, height - 1) != ground:
    print("none")
    sys.exit()
top, bottom = rows[0], rows[-1]
cols = [x for x in range(width) if any(px(x, y) != ground for y in range(top, bottom + 1))]
left, right = cols[0], cols[-1]
# The frame and the menu bar are greys; the table is the first colour below
# them down the window's middle (for 20 rows: no glyph of the caption is as
# tall), and across from its left edge. The frame is as wide at the sides and
# the bottom as at the left.
grey = lambda p: p[0] == p[1] == p[2]
middle = (left + right) // 2
oy = next((y for y in range(top, bottom - 20) if not any(grey(px(middle, y + i)) for i in range(20))), None)
if oy is None:
    print("window", left, top, right, bottom, "- - - - other")
    sys.exit()
ox = next((x for x in range(left, middle) if not grey(px(x, oy + 10))), None)
if ox is None:
    print("window", left, top, right, bottom, "- - - - other")
    sys.exit()
border = ox - left
w, h = right - border - ox + 1, bottom - border - oy + 1
green = b"\x00\x80\x00"
lines = [[px(x, y) for x in range(ox, ox + w)] for y in range(oy, oy + h)]
lines += [[px(x, y) for y in range(oy, oy + h)] for x in range(ox, ox + w)]
opening = all(line.count(green) < len(line) / 2 and len(set(line)) > 4 for line in lines)
print("window", left, top, right, bottom, ox, oy, w, h, "opening" if opening else "other")
EOF
}

# The desktop is up once a shot shows its plain background.
for _ in $(seq 300); do
    if ! kill -0 "$WESTON_PID" 2>/dev/null; then
        why=$(tail -n1 "$E2E_TMP/weston.log")
        skip "weston did not start${why:+: $why}"
    fi
    shoot ready && [[ $(look ready) == desktop ]] && break
    sleep 0.1
done
[[ $(look ready 2>/dev/null) == desktop ]] ||
    skip "weston shows no desktop: $(tail -n1 "$E2E_TMP/shooter.log" "$E2E_TMP/weston.log" | tr '\n' ' ')"

# The game's own id from its first line, for holding it still and for seeing
# it end (start_app writes no status for a failing program: -e ends its shell
# first).
start_app sh -c 'echo $$ >"$0/game.pid"; exec env QT_QPA_PLATFORM=wayland SDL_AUDIODRIVER=dummy \
    DBUS_SESSION_BUS_ADDRESS="unix:path=$0/no-session-bus" "$1"' "$E2E_TMP" "$vimbo"
for _ in $(seq 100); do
    [[ -s $E2E_TMP/game.pid ]] && break
    sleep 0.05
done
GAME_PID=$(cat "$E2E_TMP/game.pid" 2>/dev/null || true)
[[ -n $GAME_PID ]] || fail "the program did not start"

# One still picture in $1: the screen shot until two shots in a row agree;
# LOOK is what look says of it. With "hold" the game is held meanwhile.
still() {
    local previous= now=
    [[ $2 != hold ]] || kill -STOP "$GAME_PID" 2>/dev/null || true
    for _ in $(seq 50); do
        shoot "$1" || continue
        now=$(identify -format '%#' "$E2E_TMP/$1.png")
        [[ $now == "$previous" ]] && break
        previous=$now
    done
    [[ -n $now && $now == "$previous" ]] || fail "the screen never stood still"
    LOOK=$(look "$1")
    [[ $2 != hold ]] || kill -CONT "$GAME_PID" 2>/dev/null || true
}

# The dealt table checked as table_pixels.py checks a window of its own: the
# table cut out and laid on a 400 x 400 table, as on X without a frame.
dealt() { # shot ox oy w h
    convert "$E2E_TMP/$1.png" -crop "$4x$5+$2+$3" +repage -background '#008000' -extent 400x400 \
        "$E2E_TMP/$1-table.png"
    $check "$E2E_TMP/$1-table.png" 1 0 0 0 card:100,10 card:20,120 card:100,120 card:180,120 \
        card:100,230 outline:20,10 outline:180,10 outline:20,230 outline:180,230 stock:330,230
}

# The opening picture first, then the dealt table; generous, for a
# sanitizer build on a busy machine. The game runs free until its window
# shows, and again once the opening picture has been seen.
mapped= opening= dealt= out="no window"
deadline=$((SECONDS + 60))
while [[ -z $dealt ]] && ((SECONDS < deadline)); do
    if ended; then
        grep -q "Wayland plugin is not installed" "$E2E_TMP/app.log" && skip "$(cat "$E2E_TMP/app.log")"
        fail "the program ended: $(cat "$E2E_TMP/app.log")"
    fi
    sleep 0.1
    if [[ -z $mapped ]]; then
        shoot poll || continue
        [[ $(look poll) == window* ]] || continue
        mapped=1
    fi
    still shot "${opening:-hold}"
    read -r kind left top right bottom ox oy w h picture <<<"$LOOK"
    [[ $kind == window && $ox != - ]] || continue
    if [[ $picture == opening ]]; then
        [[ -n $opening ]] || cp "$E2E_TMP/shot.png" "$E2E_TMP/opening.png"
        opening="$left,$top"
    elif out=$(dealt shot "$ox" "$oy" "$w" "$h"); then
        [[ -n $opening ]] || fail "the table was dealt with no opening picture before it"
        [[ $opening == "$left,$top" ]] || fail "the window moved from $opening to $left,$top"
        dealt=1
    else
        continue
    fi
    ((right - left + 1 == 400 && bottom - top + 1 == 400)) ||
        fail "the window is not 400 x 400 from edge to edge: $left,$top to $right,$bottom"
done
[[ -n $opening ]] || fail "no opening picture, and no dealt table: $out"
[[ -n $dealt ]] || fail "no dealt table after the opening picture: $out"
mv "$E2E_TMP/shot.png" "$E2E_TMP/dealt.png"

! ended || fail "the program ended: $(cat "$E2E_TMP/app.log")"
[[ ! -s $E2E_TMP/app.log ]] || fail "the program printed: $(cat "$E2E_TMP/app.log")"
echo "wayland: a 400 x 400 window, the opening picture whole, then the dealt table whole"
