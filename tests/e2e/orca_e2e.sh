#!/usr/bin/env bash
# A whole game won from the keyboard, judged by what the desktop's screen
# reader speaks: a private session bus with the accessibility bus on it, Orca
# and its speech server of the test's own, the known winnable deal, xdotool
# typing the keys, and a player that reads only what Orca spoke
# (tests/e2e/orca_player.py) to choose its next key.
# Usage: orca_e2e.sh SCRIPTED_VIMBO X_CLOSE
source "$(dirname "$0")/lib.sh"
vimbo=$1 x_close=$2
here=$(cd "$(dirname "$0")" && pwd)

# Qt waits 100 ms for the screen reader to say whether it takes a key, and
# then hands the key on anyway, out of turn with the ones after it; a program
# slowed down by the sanitizers keeps Orca's answer later than that.
if [[ -n "${VIMBO_SANITIZED:-}" ]]; then
    echo "SKIPPED: a sanitized program answers Orca too slowly for Qt's key hand-over"
    exit 77
fi

if [[ -z "${VIMBO_E2E_SESSION:-}" ]]; then
    # Everything below runs on a session bus of its own, gone when it ends.
    # Not exec'd: this shell's trap removes the runtime folder afterwards.
    export XDG_RUNTIME_DIR="$E2E_TMP/runtime"
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    command -v dbus-run-session >/dev/null || { echo "SKIPPED: no dbus-run-session"; exit 77; }
    VIMBO_E2E_SESSION=1 dbus-run-session -- "$0" "$@" && status=0 || status=$?
    exit "$status"
fi
source "$here/orca_session.sh"

# The aces and the king of swords dealt; the stock suit by suit, rank by rank.
# Then the deal after the win (the deck backwards) and the one after "Shuffle
# cards" (the even cards first), each other than the last.
deck=1,11,40,21,31
for suit in 0 1 2 3; do
    for rank in 2 3 4 5 6 7 8 9 10; do
        (( suit == 3 && rank == 10 )) || deck+=",$((suit * 10 + rank))"
    done
done
deck+=,$(seq -s, 40 -1 1),$(seq -s, 2 2 40),$(seq -s, 1 2 39)

start_xvfb
start_orca
begun=$SECONDS
start_app env SDL_AUDIODRIVER=dummy VIMBO_E2E_DECK="$deck" "$vimbo"
id=$(wait_window)

/usr/bin/python3 "$here/orca_player.py" "$ORCA_LOG" ||
    fail "the game was not won by a player who hears only Orca"
if grep -q 'bad content sent to speak' "$ORCA_LOG"; then
    grep -m3 'bad content sent to speak' "$ORCA_LOG" >&2
    fail "Orca was sent something it cannot speak"
fi
echo "played in $((SECONDS - begun)) s"

"$x_close" "$id"
status=$(wait_exit)
[[ $status == 0 ]] || fail "exit status $status"
echo "orca: a whole game won with the keys, by ear"
