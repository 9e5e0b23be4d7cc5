# shellcheck shell=bash
# Orca, the screen reader, listening to the program under test: what a blind
# player hears is what Orca writes to its debug log as "SPEECH OUTPUT" lines
# ($ORCA_LOG; tests/e2e/orca_player.py reads them). Sourced after lib.sh, by a
# test that already runs on a session bus of its own (dbus-run-session) and
# has called start_xvfb; start_orca comes before the program starts or
# anything else asks for the accessibility bus. Where Orca cannot run here,
# start_orca exits 77 with the reason (SKIPPED).
#
# Nothing of the real user is read or written: HOME and the XDG folders are
# fresh ones under $E2E_TMP, speech goes to a speech-dispatcher of the
# test's own with a silent module and libao's null driver, and Orca's
# settings start from its defaults (key echo on).

ORCA_PID=
SPEECHD_PID=
OPENBOX_PID=
ORCA_LOG=

orca_skip() {
    echo "SKIPPED: $*"
    exit 77
}

# lib.sh's trap ends the program and the X server and removes $E2E_TMP; Orca,
# its speech server and the window manager go first, while their display is
# still there. E2E_KEEP=folder also keeps the logs.
declare -F orca_lib_cleanup >/dev/null ||
    eval "$(declare -f e2e_cleanup | sed '1s/^e2e_cleanup/orca_lib_cleanup/')"
e2e_cleanup() {
    stop_orca
    orca_lib_cleanup
}

# Ends a process of ours: politely, then for sure.
orca_end() {
    local pid=$1 _
    [[ -n $pid ]] || return 0
    kill "$pid" 2>/dev/null || return 0
    for _ in $(seq 30); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -9 "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}

stop_orca() {
    if [[ -n ${E2E_KEEP:-} && -d $E2E_TMP ]]; then
        cp "$E2E_TMP"/orca.log "$E2E_TMP"/app.log "$E2E_TMP"/speechd/*.log "$E2E_KEEP"/ 2>/dev/null || true
    fi
    orca_end "$ORCA_PID"
    ORCA_PID=
    orca_end "$SPEECHD_PID"
    SPEECHD_PID=
    orca_end "$OPENBOX_PID"
    OPENBOX_PID=
}

# The folders a desktop program reads and writes, all under $E2E_TMP.
orca_private_home() {
    export HOME="$E2E_TMP/home"
    export XDG_CONFIG_HOME="$HOME/.config"
    export XDG_DATA_HOME="$HOME/.local/share"
    export XDG_CACHE_HOME="$HOME/.cache"
    mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME"
    # Sound goes nowhere: the test reads what was said, not how it sounded.
    echo "default_driver=null" >"$HOME/.libao"
}

# A speech-dispatcher for this test alone, on a socket in $E2E_TMP: the
# desktop's own (on $XDG_RUNTIME_DIR) is neither used nor started.
orca_start_speechd() {
    local dir="$E2E_TMP/speechd" _
    mkdir -p "$dir"
    cp -r /etc/speech-dispatcher "$dir/conf"
    # Settings read later win: one module, whose sound would go to libao.
    # What is spoken is Orca's to say, and its log tells it; a synthesizer
    # would only turn it into sound nobody hears, and speech-dispatcher
    # takes a tenth of a second of the machine for every phrase it is
    # handed back as sound. So the module speaks each phrase by doing
    # nothing, and reports it spoken.
    cat >>"$dir/conf/speechd.conf" <<'EOF'
AudioOutputMethod "libao"
AddModule "quiet" "sd_generic" "quiet.conf"
DefaultModule quiet
EOF
    cat >"$dir/conf/modules/quiet.conf" <<'EOF'
GenericExecuteSynth "true"
AddVoice "en" "MALE1" "en"
EOF
    export SPEECHD_ADDRESS="unix_socket:$dir/speechd.sock"
    # -s: in the foreground, so that $! is the server; -t 0: it does not go
    # away between two tests' worth of silence.
    # ORCA_SPEECHD_LOG_LEVEL=4 has its log (speechd/speech-dispatcher.log)
    # show each message the synthesizer speaks.
    speech-dispatcher -s -t 0 -C "$dir/conf" -S "$dir/speechd.sock" -L "$dir" \
        -P "$dir/speechd.pid" ${ORCA_SPEECHD_LOG_LEVEL:+-l "$ORCA_SPEECHD_LOG_LEVEL"} \
        >"$dir/out.log" 2>&1 &
    SPEECHD_PID=$!
    for _ in $(seq 100); do
        [[ -S $dir/speechd.sock ]] && return 0
        kill -0 "$SPEECHD_PID" 2>/dev/null || break
        sleep 0.1
    done
    cat "$dir/out.log" "$dir/speech-dispatcher.log" >&2 2>/dev/null || true
    orca_skip "speech-dispatcher does not start"
}

# Windows become active as on a desktop: the window manager gives the focus
# to a window that maps, Qt tells Orca (window:activate), and only then does
# Orca present the window and follow its focus.
orca_start_openbox() {
    openbox --sm-disable >"$E2E_TMP/openbox.log" 2>&1 &
    OPENBOX_PID=$!
    local _
    for _ in $(seq 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
        sleep 0.1
    done
    fail "openbox did not start"
}

# Orca as its own launcher starts it, with two changes for a test. Its debug log
# is written line by line (Orca leaves it to Python's 8 KiB buffer, so the
# last lines, the ones a test waits for, would show up only when more
# follow). And it does not refuse to start beside another Orca of the same
# user: that check guards a desktop against two voices, while each test's
# Orca has its own session bus, display and speech server.
ORCA_LAUNCHER='
import builtins, sys
path = sys.argv.pop(1)
launcher = {"__name__": "orca_in_a_test", "__file__": path}
with open(path) as source:
    exec(compile(source.read(), path, "exec"), launcher)
launcher["open"] = lambda name, mode="r": builtins.open(name, mode, buffering=1)
launcher["otherOrcas"] = lambda: []
sys.argv[0] = path
sys.exit(launcher["main"]())
'

start_orca() {
    local missing
    for missing in orca speech-dispatcher openbox xprop gdbus; do
        command -v "$missing" >/dev/null || orca_skip "no $missing on this machine"
    done
    [[ -x /usr/lib/speech-dispatcher-modules/sd_generic ]] ||
        orca_skip "no generic module for speech-dispatcher"
    /usr/bin/python3 -c 'import pyatspi, speechd' 2>/dev/null ||
        orca_skip "no pyatspi or speechd for Debian's Python"
    [[ -n ${DBUS_SESSION_BUS_ADDRESS:-} ]] || orca_skip "no session bus"
    [[ -n ${DISPLAY:-} ]] || fail "start_orca needs start_xvfb first"

    orca_private_home
    # The services the bus starts on demand (the accessibility bus, and the
    # dconf it asks) get the private folders too, and settings of their own
    # in memory. Only those started from now on: start_orca comes before
    # anything else asks for the accessibility bus.
    gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
        --method org.freedesktop.DBus.UpdateActivationEnvironment \
        "{'HOME': '$HOME', 'XDG_CONFIG_HOME': '$XDG_CONFIG_HOME', 'XDG_DATA_HOME': '$XDG_DATA_HOME',
          'XDG_CACHE_HOME': '$XDG_CACHE_HOME', 'GSETTINGS_BACKEND': 'memory'}" \
        >/dev/null 2>&1 || orca_skip "the session bus does not take an environment"
    # What a desktop does for its screen reader: toolkits switch their
    # accessibility on when the accessibility bus says so.
    local prop
    for prop in IsEnabled ScreenReaderEnabled; do
        gdbus call --session --dest org.a11y.Bus --object-path /org/a11y/bus \
            --method org.freedesktop.DBus.Properties.Set org.a11y.Status "$prop" '<true>' \
            >/dev/null 2>&1 || orca_skip "no accessibility bus"
    done
    orca_start_speechd
    orca_start_openbox

    ORCA_LOG="$E2E_TMP/orca.log"
    mkdir -p "$E2E_TMP/orca-prefs"
    GSETTINGS_BACKEND=memory /usr/bin/python3 -c "$ORCA_LAUNCHER" "$(command -v orca)" \
        -u "$E2E_TMP/orca-prefs" --debug-file "$ORCA_LOG" >"$E2E_TMP/orca.out" 2>&1 &
    ORCA_PID=$!

    # Ready: listening for the programs' events, and its greeting handed to
    # speech-dispatcher (which proves the speech server took the connection).
    local _
    for _ in $(seq 300); do
        if grep -q 'ORCA: Starting ATSPI registry' "$ORCA_LOG" 2>/dev/null &&
            grep -q 'SPEECH DISPATCHER: Speaking' "$ORCA_LOG"; then
            return 0
        fi
        kill -0 "$ORCA_PID" 2>/dev/null || break
        sleep 0.1
    done
    cat "$E2E_TMP/orca.out" >&2
    tail -n 20 "$ORCA_LOG" >&2 2>/dev/null || true
    if grep -q 'SPEECH: Not available\|speechdispatcherfactory.*rror' "$ORCA_LOG" 2>/dev/null; then
        orca_skip "Orca cannot reach speech-dispatcher"
    fi
    kill -0 "$ORCA_PID" 2>/dev/null || orca_skip "Orca does not start"
    fail "Orca did not get ready"
}
