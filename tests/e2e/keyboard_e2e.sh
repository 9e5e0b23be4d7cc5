#!/usr/bin/env bash
# A whole game won from the keyboard, judged by what a screen reader hears:
# a private session bus with the accessibility bus and registry on it, the
# known winnable deal, xdotool typing the keys, and a player that reads only
# the accessibility bus (tests/e2e/keyboard_player.py) to choose its next key.
# Usage: keyboard_e2e.sh SCRIPTED_VIMBO X_CLOSE
source "$(dirname "$0")/lib.sh"
vimbo=$1 x_close=$2
here=$(cd "$(dirname "$0")" && pwd)

if [[ -z "${VIMBO_E2E_SESSION:-}" ]]; then
    # Everything below runs on a session bus of its own, gone when it ends.
    export XDG_RUNTIME_DIR="$E2E_TMP/runtime"
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    VIMBO_E2E_SESSION=1 exec dbus-run-session -- "$0" "$@"
fi

# The aces and the king of swords dealt; the stock suit by suit, rank by rank.
deck=1,11,40,21,31
for suit in 0 1 2 3; do
    for rank in 2 3 4 5 6 7 8 9 10; do
        (( suit == 3 && rank == 10 )) || deck+=",$((suit * 10 + rank))"
    done
done

start_xvfb
# What a desktop with a screen reader running does: switch the toolkits'
# accessibility on through the accessibility bus.
gdbus call --session --dest org.a11y.Bus --object-path /org/a11y/bus \
    --method org.freedesktop.DBus.Properties.Set org.a11y.Status IsEnabled '<true>' >/dev/null ||
    fail "no accessibility bus"

# The player listens before the game starts, so that it hears the first deal.
/usr/bin/python3 "$here/keyboard_player.py" >"$E2E_TMP/player.log" 2>&1 &
player=$!
sleep 1
start_app env SDL_AUDIODRIVER=dummy VIMBO_E2E_DECK="$deck" "$vimbo"
id=$(wait_window)
xdotool windowfocus --sync "$id"

wait "$player" || { cat "$E2E_TMP/player.log" >&2; fail "the game was not won from the keyboard"; }
cat "$E2E_TMP/player.log"

"$x_close" "$id"
status=$(wait_exit)
[[ $status == 0 ]] || fail "exit status $status"
echo "keyboard: a whole game won with the keys, told on the accessibility bus"
