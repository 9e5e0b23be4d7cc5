# Shared steps of the tests that run the real program under Xvfb: a private X
# server, the window found and measured, pixels read back from screenshots.
set -euo pipefail

E2E_TMP=$(mktemp -d)
XVFB_PID=
APP_PID=

# Without a runtime folder Qt makes one in the temporary folder and leaves it
# there: give every program of the test a private one, as a login would.
if [[ -z "${XDG_RUNTIME_DIR:-}" ]]; then
    mkdir -m 700 "$E2E_TMP/xdg-runtime"
    export XDG_RUNTIME_DIR="$E2E_TMP/xdg-runtime"
fi

# The lock that has X servers start and stop one at a time (see start_xvfb) is
# the temporary folder itself, opened for reading: any user can take it, and
# no lock file is left behind (a file made by one user could not be opened for
# writing by the next).
XVFB_LOCK="${TMPDIR:-/tmp}"

e2e_cleanup() {
    [[ -n "$APP_PID" ]] && kill "$APP_PID" 2>/dev/null || true
    [[ -n "$XVFB_PID" ]] && stop_xvfb
    # E2E_KEEP=folder keeps the screenshots, for a person to look at.
    [[ -n "${E2E_KEEP:-}" ]] && { cp "$E2E_TMP"/*.png "$E2E_TMP"/*.ppm "$E2E_TMP"/*.rgb "$E2E_KEEP"/ 2>/dev/null || true; }
    # A helper of a session (the accessibility bus, a speech module) may
    # still write there for a moment after its session has gone.
    local _
    for _ in 1 2 3 4 5; do
        rm -rf "$E2E_TMP" 2>/dev/null && [[ ! -e "$E2E_TMP" ]] && break
        sleep 0.2
    done
}
trap e2e_cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# A 1024 x 768 X server on a free display, no window manager; E2E_SCREEN
# (width x height x depth) asks for another screen.
#
# -noreset: by default an X server resets itself whenever its last client
# disconnects, and drops any client that connected meanwhile. Every xdpyinfo
# and xdotool call here is such a last client, so a game started between two
# of them would now and then fail with "could not connect to display".
#
# Servers start and stop one at a time on this machine (several tests run at
# once): a server that is going away removes its socket file last, and would
# take the socket of a new server that was just given the same display number.
start_xvfb() {
    local lock
    exec {lock}<"$XVFB_LOCK"
    flock -w 60 "$lock" || true
    exec {fd}<> <(:)
    Xvfb -displayfd "$fd" -screen 0 "${E2E_SCREEN:-1024x768x24}" -nolisten tcp -noreset >"$E2E_TMP/xvfb.log" 2>&1 {lock}>&- &
    XVFB_PID=$!
    # One read with one deadline: short reads in a loop could time out halfway
    # through the number under load and then take its newline for an empty answer.
    local display=
    read -r -t 10 -u "$fd" display || true
    [[ -n "$display" ]] || fail "Xvfb did not start"
    export DISPLAY=":$display"
    # The number comes when the server listens; make sure it also answers
    # before a program is pointed at it.
    local answered=
    for _ in $(seq 100); do
        xdpyinfo >/dev/null 2>&1 && { answered=1; break; }
        sleep 0.1
    done
    exec {lock}>&-
    [[ -n "$answered" ]] || fail "Xvfb on $DISPLAY does not answer"
}

stop_xvfb() {
    local lock
    exec {lock}<"$XVFB_LOCK"
    flock -w 60 "$lock" || true
    kill "$XVFB_PID" 2>/dev/null || true
    # Gone means a zombie (or nothing): by then it has removed its socket file.
    local state
    for _ in $(seq 100); do
        state=$(awk '{print $3}' "/proc/$XVFB_PID/stat" 2>/dev/null || true)
        [[ -z "$state" || "$state" == Z ]] && break
        sleep 0.1
    done
    kill -9 "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
    exec {lock}>&-
    XVFB_PID=
}

# Starts a program in the background; its exit status lands in $E2E_TMP/status.
start_app() {
    rm -f "$E2E_TMP/status"
    # (set -e would end the subshell at a failing program, before its status)
    ( "$@" >"$E2E_TMP/app.log" 2>&1 && status=0 || status=$?; echo "$status" >"$E2E_TMP/status" ) &
    APP_PID=$!
}

# Prints the id of the game's window once it is mapped.
wait_window() {
    local id=
    # Generous: a sanitizer build on a busy machine takes seconds to start.
    for _ in $(seq 600); do
        id=$(xdotool search --onlyvisible --name '^Brennolt - Vimbo$' 2>/dev/null | head -n1 || true)
        [[ -n "$id" ]] && { echo "$id"; return; }
        [[ -s "$E2E_TMP/status" ]] &&
            fail "the program ended with status $(cat "$E2E_TMP/status") before its window appeared"
        sleep 0.05
    done
    fail "the window never appeared"
}

# Waits for the program to end; prints its exit status.
wait_exit() {
    # Generous too: a sanitizer build checks for leaks on its way out.
    for _ in $(seq 600); do
        [[ -s "$E2E_TMP/status" ]] && { cat "$E2E_TMP/status"; return; }
        sleep 0.1
    done
    fail "the program did not end"
}

# A screenshot, $E2E_TMP/$1.rgb: the screen's bare pixels, 3 bytes each (the
# test's own tool; CTest gives its path).
shoot() { "${VIMBO_X_SHOT:?run through CTest, which names the screenshot tool}" "$E2E_TMP/$1.rgb"; }

# The colour of screen pixel (x, y) of a screenshot, as "r,g,b" (0..255).
pixel() {
    local width=${E2E_SCREEN:-1024}
    od -An -tu1 -j $((($3 * ${width%%x*} + $2) * 3)) -N3 "$E2E_TMP/$1.rgb" |
        awk '{ printf "%s,%s,%s", $1, $2, $3 }'
}

# Where the table's (0, 0) lies on the screen: below the menu bar.
table_origin() {
    local id=$1
    eval "$(xdotool getwindowgeometry --shell "$id")"
    # The menu bar is the first band from the top that is not table green.
    local y
    for y in $(seq "$Y" $((Y + 60))); do
        if [[ $(pixel "$2" $((X + 200)) "$y") == "0,128,0" ]]; then
            echo "$X $y"
            return
        fi
    done
    fail "no table green below the menu bar"
}
