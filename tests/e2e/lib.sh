# Shared steps of the tests that run the real program under Xvfb: a private X
# server, the window found and measured, pixels read back from screenshots.
set -euo pipefail

E2E_TMP=$(mktemp -d)
XVFB_PID=
APP_PID=

XVFB_LOCK="${TMPDIR:-/tmp}/vimbo-e2e-xvfb.lock"

e2e_cleanup() {
    [[ -n "$APP_PID" ]] && kill "$APP_PID" 2>/dev/null || true
    [[ -n "$XVFB_PID" ]] && stop_xvfb
    # E2E_KEEP=folder keeps the screenshots, for a person to look at.
    [[ -n "${E2E_KEEP:-}" ]] && cp "$E2E_TMP"/*.png "$E2E_KEEP"/ 2>/dev/null
    rm -rf "$E2E_TMP"
}
trap e2e_cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# A 1024 x 768 X server on a free display, no window manager.
#
# Servers start and stop one at a time on this machine (several tests run at
# once): a server that is going away removes its socket file last, and would
# take the socket of a new server that was just given the same display number.
start_xvfb() {
    local lock
    exec {lock}>"$XVFB_LOCK"
    flock -w 60 "$lock" || true
    exec {fd}<> <(:)
    Xvfb -displayfd "$fd" -screen 0 1024x768x24 -nolisten tcp >"$E2E_TMP/xvfb.log" 2>&1 {lock}>&- &
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
    exec {lock}>"$XVFB_LOCK"
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
    APP_CMD=("$@")
    # A server that stopped answering since it started (seen now and then with
    # many servers coming and going on a busy machine) is replaced first.
    xdpyinfo >/dev/null 2>&1 || { stop_xvfb; start_xvfb; }
    launch_app
}

launch_app() {
    rm -f "$E2E_TMP/status"
    ( "${APP_CMD[@]}" >"$E2E_TMP/app.log" 2>&1; echo $? >"$E2E_TMP/status" ) &
    APP_PID=$!
}

# A program that could not reach its brand-new server (now and then on a busy
# machine) is started once more on it: that says nothing about the program.
# Runs inside wait_window's subshell, so it keeps the same server and display;
# the status file tells the parent about the new run.
restart_if_display_lost() {
    [[ -s "$E2E_TMP/status" && ! -e "$E2E_TMP/restarted" ]] || return 0
    grep -q "could not connect to display" "$E2E_TMP/app.log" 2>/dev/null || return 0
    touch "$E2E_TMP/restarted"
    sleep 0.5
    launch_app
}

# Prints the id of the game's window once it is mapped.
wait_window() {
    local id=
    # Generous: a sanitizer build on a busy machine takes seconds to start.
    for _ in $(seq 600); do
        restart_if_display_lost
        id=$(xdotool search --onlyvisible --name '^Brennolt - Vimbo$' 2>/dev/null | head -n1 || true)
        [[ -n "$id" ]] && { echo "$id"; return; }
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

shoot() { import -window root "$E2E_TMP/$1.png"; }

# The colour of screen pixel (x, y) of a screenshot, as "r,g,b" (0..255).
pixel() {
    convert "$E2E_TMP/$1.png" -crop "1x1+$2+$3" -depth 8 txt:- |
        sed -n '2s/.*(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1,\2,\3/p'
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
