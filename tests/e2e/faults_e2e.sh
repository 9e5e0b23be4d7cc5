#!/usr/bin/env bash
# The real program with its sound files damaged, its soundfont or its audio
# output gone, started from a read-only folder or from elsewhere: every time
# the table is dealt, a game plays (stock turns, a drag, a new game and both
# options from the keyboard), no other window ever shows, the program prints
# nothing of its own and ends with status 0 when its window is closed. What
# still can sound does: the music when only the rustle is damaged, and the
# other way round (heard through SDL's disk driver). Without a display at
# all, with one nothing answers on, or on a Wayland desktop without Qt's
# Wayland plugin, it says so in one line and ends with status 1.
#
# The end-of-game piece is only read at a win, so the finale.mid cases win a
# game on a known deal with scripted_vimbo (the program with its deck from
# VIMBO_E2E_DECK): the question comes, the piece is heard or, damaged, is
# silent, and the game goes on after "Yes".
#
# Two cases hide something from the program with a mount of its own (a
# private mount namespace): where the machine gives none (a chroot whose root
# is no mount point, a container without the right), they exit with status 77,
# which CTest reports as skipped, with the reason.
#
# Usage: faults_e2e.sh VIMBO X_CLOSE SCRIPTED_VIMBO [--except] [CASE...]
# Without CASEs all run, FAULTS_JOBS (default 4) at a time, each in its own
# process with its own X server; with --except, all but the CASEs named.
# One CASE alone runs in this process.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
self="$here/$(basename "$0")"
VIMBO=$1 X_CLOSE=$2 SCRIPTED=$3
shift 3

damages=(missing empty truncated random huge)
all_cases() { # the longest first
    local file damage
    for damage in intact "${damages[@]}"; do echo "win-finale-$damage"; done
    for file in carta 5carte; do
        for damage in "${damages[@]}"; do echo "$file-$damage"; done
    done
    echo soundfont-missing no-audio-device read-only-folder other-working-dir no-display \
        no-wayland-plugin | tr ' ' '\n'
}

# ---- All cases, a few at a time ----------------------------------------------

if [[ $# -ne 1 ]]; then
    mapfile -t cases < <(all_cases)
    if [[ ${1:-} == --except ]]; then
        shift
        mapfile -t cases < <(printf '%s\n' "${cases[@]}" | grep -vxF -f <(printf '%s\n' "$@"))
    elif [[ $# -gt 0 ]]; then
        cases=("$@")
    fi
    logs=$(mktemp -d)
    trap 'rm -rf "$logs"' EXIT
    jobs=${FAULTS_JOBS:-4}
    declare -A running=()
    failed=()
    started=$(date +%s)
    finish_one() {
        local pid status=0
        wait -n -p pid || status=$?
        local name=${running[$pid]}
        unset "running[$pid]"
        if [[ $status == 0 ]]; then
            echo "ok   $name: $(tail -n1 "$logs/$name.log")"
        elif [[ $status == 77 ]]; then
            echo "skip $name: $(tail -n1 "$logs/$name.log")"
        else
            echo "FAIL $name"
            sed 's/^/     /' "$logs/$name.log"
            failed+=("$name")
        fi
    }
    run_case() {
        "$self" "$VIMBO" "$X_CLOSE" "$SCRIPTED" "$1" >"$logs/$1.log" 2>&1
    }
    for name in "${cases[@]}"; do
        ((${#running[@]} < jobs)) || finish_one
        run_case "$name" &
        running[$!]=$name
    done
    while ((${#running[@]} > 0)); do finish_one; done
    echo "${#cases[@]} cases in $(($(date +%s) - started)) s, ${#failed[@]} failed ${failed[*]}"
    [[ ${#failed[@]} -eq 0 ]]
    exit
fi

# ---- One case ----------------------------------------------------------------

name=$1
source "$here/lib.sh"
source "$here/session.sh"

# A failing case shows what the program said.
fail() {
    echo "FAIL: $*" >&2
    [[ -s $E2E_TMP/app.log ]] && sed 's/^/    program: /' "$E2E_TMP/app.log" >&2
    exit 1
}

# The program's folder, as installed: the executable with its sound files.
game="$E2E_TMP/game"
mkdir -p "$game/Music"
program=$VIMBO
[[ $name == win-* ]] && program=$SCRIPTED
exe="$game/$(basename "$program")"
ln "$program" "$exe" 2>/dev/null || cp "$program" "$exe"
sounds=$(dirname "$VIMBO")
for file in carta.wav Music/5carte.mid Music/finale.mid; do
    cp "$sounds/$file" "$game/$file"
done

# Started from a console without a display, or with DISPLAY naming one that
# nothing answers on: one line that says so, status 1, no core.
no_display() {
    local n=190 display said status
    while [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]]; do n=$((n + 1)); done
    for display in none ":$n"; do
        local where=(-u DISPLAY)
        [[ $display == none ]] || where=(DISPLAY="$display")
        status=0
        said=$(env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "${where[@]}" "$exe" 2>&1 </dev/null) ||
            status=$?
        [[ $status == 1 ]] || fail "exit status $status with DISPLAY $display"
        [[ $said != *$'\n'* && $said == "vimbo: cannot open the display ("*")" ]] ||
            fail "with DISPLAY $display the program printed: $said"
        [[ $display == none || $said == *"DISPLAY=$display"* ]] || fail "the display is not named: $said"
    done
    echo "one line and status 1 without a display and with a dead one"
}
if [[ $name == no-display ]]; then
    no_display
    exit 0
fi

# A Wayland desktop, by its WAYLAND_DISPLAY or by QT_QPA_PLATFORM, on a
# machine without Qt's Wayland plugin: the one line names the plugin and its
# package, and it is still status 1. The program's own qt.conf points Qt at an
# empty plugin folder (the variables that add plugin folders cannot hide
# Qt's own); no compositor is needed to miss a plugin.
no_wayland_plugin() {
    mkdir "$E2E_TMP/plugins"
    printf '[Paths]\nPlugins=%s\n' "$E2E_TMP/plugins" >"$game/qt.conf"
    local asked said status want
    for asked in WAYLAND_DISPLAY=wayland-0 QT_QPA_PLATFORM=wayland; do
        status=0
        said=$(env -u DISPLAY -u QT_QPA_PLATFORM -u QT_PLUGIN_PATH -u QT_QPA_PLATFORM_PLUGIN_PATH \
            WAYLAND_DISPLAY=wayland-0 "$asked" "$exe" 2>&1 </dev/null) || status=$?
        [[ $status == 1 ]] || fail "exit status $status with $asked"
        want="$asked, but Qt's Wayland plugin is not installed: Debian package qt6-wayland"
        [[ $said == "vimbo: cannot open the display ($want)" ]] ||
            fail "with $asked and no Wayland plugin the program printed: $said"
    done
    echo "one line and status 1 on Wayland without Qt's Wayland plugin"
}
if [[ $name == no-wayland-plugin ]]; then
    no_wayland_plugin
    exit 0
fi

# Damages one sound file the way a bad copy or a full disk would.
damage() {
    local file=$game/$1 size
    size=$(stat -c %s "$file")
    case $2 in
    missing) rm "$file" ;;
    empty) : >"$file" ;;
    truncated) truncate -s $((size / 2)) "$file" ;;
    random) /usr/bin/python3 -c 'import random, sys; random.seed(sys.argv[2])
sys.stdout.buffer.write(random.randbytes(int(sys.argv[1])))' "$size" "$1" >"$file" ;;
    huge) truncate -s 50M "$file" ;; # the real file, then zeros to 50 MB
    intact) ;;
    *) fail "unknown damage $2" ;;
    esac
}

out="$E2E_TMP/out.raw"
music=1 rustle=1
case $name in
carta-*) damage carta.wav "${name#carta-}"; rustle=0 ;;
5carte-*) damage Music/5carte.mid "${name#5carte-}"; music=0 ;;
win-finale-*) damage Music/finale.mid "${name#win-finale-}" ;;
soundfont-missing) music=0 ;;
no-audio-device) music=0 rustle=0 ;;
esac

quiet_session_env
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$out"
[[ $name == no-audio-device ]] && export SDL_AUDIODRIVER=nonexistent

# A mount namespace of the program's own: root's, or for anyone else one in
# a user namespace of their own, where they may mount as its root.
private_ns=(unshare -m)
[[ $(id -u) == 0 ]] || private_ns=(unshare -r -m)
# Tries the kind of mount the case needs in such a namespace, before the X
# server starts; where it fails, the case is skipped and says why.
need_private_mount() {
    local probe="$E2E_TMP/mount-probe" why
    mkdir -p "$probe"
    if ! why=$("${private_ns[@]}" sh -c 'mount -t tmpfs -o size=4k vimbo-probe "$0" &&
        mount --bind "$0" "$0" && mount -o remount,bind,ro "$0"' "$probe" 2>&1); then
        echo "SKIPPED: $1 needs a private mount, which this machine refuses (${why//$'\n'/ })"
        exit 77
    fi
}
case $name in
soundfont-missing) need_private_mount "hiding the soundfont" ;;
read-only-folder) [[ $(id -u) != 0 ]] || need_private_mount "a read-only folder for root" ;;
esac
start_xvfb

case $name in
soundfont-missing)
    # An empty tmpfs over the soundfont folder, for this program only.
    start_app "${private_ns[@]}" sh -c 'mount -t tmpfs -o size=64k vimbo-test /usr/share/sounds/sf2 &&
        [ -z "$(ls -A /usr/share/sounds/sf2)" ] && exec "$0"' "$exe"
    ;;
read-only-folder)
    chmod -R a-w "$game"
    trap 'chmod -R u+w "$game"; e2e_cleanup' EXIT
    if [[ $(id -u) == 0 ]]; then
        # Root writes through permissions: the folder is mounted read-only
        # for this program, and the mount is checked to refuse a write.
        start_app "${private_ns[@]}" sh -c 'mount --bind "$0" "$0" && mount -o remount,bind,ro "$0" &&
            ! touch "$0/probe" 2>/dev/null && cd "$0" && exec ./vimbo' "$game"
    else
        start_app sh -c 'cd "$0" && exec ./vimbo' "$game"
    fi
    ;;
other-working-dir)
    mkdir "$E2E_TMP/elsewhere"
    start_app sh -c 'cd "$0" && exec ../game/vimbo' "$E2E_TMP/elsewhere"
    ;;
win-*)
    # The winnable deal of tests/window/winning_game.h: the four aces and the
    # king of swords dealt, the stock every other card suit by suit upwards.
    deck=1,11,40,21,31
    for suit in 0 1 2 3; do
        top=10
        [[ $suit == 3 ]] && top=9
        for rank in $(seq 2 $top); do deck+=",$((suit * 10 + rank))"; done
    done
    start_app env VIMBO_E2E_DECK="$deck" VIMBO_E2E_QUICK=1 "$exe"
    ;;
*) start_app "$exe" ;;
esac

size() { stat -c %s "$out" 2>/dev/null || echo 0; }
peak() { /usr/bin/python3 "$here/pcm.py" "$out" "$@"; }
# The loudest sample since byte $1. An output that was closed for quiet and is
# opened again starts the file over.
peak_since() {
    if (($(size) < $1)); then peak 0; else peak "$1"; fi
}
heard=""

if [[ $name == win-* ]]; then wait_table 0.2; else wait_table; fi

# The music, if it can sound, is playing once the table is dealt; if it
# cannot, not a sample has been anything but silence.
music_peak=0
if [[ $SDL_AUDIODRIVER == disk ]]; then
    mark=$(size)
    sleep 0.6
    if ((music)); then
        # At least a quarter of a second of 16-bit stereo.
        (($(size) - mark > 44100)) || fail "hardly any sound written after the deal"
        music_peak=$(peak_since "$mark")
        ((music_peak > 1000)) || fail "no music after the deal (peak $music_peak)"
        heard+=" music $music_peak"
    elif [[ -s $out ]]; then
        silent=$(peak 0)
        ((silent == 0)) || fail "something sounds without music (peak $silent)"
    fi

    # A stock turn: the rustle, if it can sound, stands out over the music.
    # (Not on the winnable deal: its stock is played in order.)
    if [[ $name != win-* ]]; then
        mark=$(size)
        stock_turn
        sleep 0.5
        rustle_peak=$(peak_since "$mark")
        if ((rustle)); then
            ((rustle_peak > music_peak + 3000)) ||
                fail "no rustle at a stock turn (peak $rustle_peak, music $music_peak)"
            heard+=" rustle $rustle_peak"
        elif ((!music)); then
            ((rustle_peak == 0)) || fail "a sound with neither music nor rustle (peak $rustle_peak)"
        fi
    fi
fi
[[ $name != no-audio-device || ! -e $out ]] || fail "a sound output was opened"

# Plays the winnable deal to its end and answers the question with Yes.
cell() { echo $((80 * $1 - 60 + 31)) $((110 * $2 - 100 + 51)); } # its middle
move_steps() { # from-column from-row to-column to-row
    # shellcheck disable=SC2046
    drag_steps $(cell "$1" "$2") $(cell "$3" "$4")
}
win_game() {
    # The whole game as one stream of pointer events: the program takes them
    # in order, however fast they come. The aces go home first (coins
    # top-left, cups top-right, clubs bottom-left, swords bottom-right), then
    # each card turned from the stock, then the king of swords.
    local steps homes=("1 1" "3 1" "1 3" "3 3") suit count
    steps="$(move_steps 2 1 1 1) $(move_steps 1 2 3 1) $(move_steps 3 2 1 3) $(move_steps 2 3 3 3)"
    for suit in 0 1 2 3; do
        count=9
        [[ $suit == 3 ]] && count=8
        for _ in $(seq $count); do
            # shellcheck disable=SC2046,SC2086
            steps+=" $(stock_steps) $(drag_steps 291 281 $(cell ${homes[$suit]}))"
        done
    done
    steps+=" $(move_steps 2 2 3 3)"
    # shellcheck disable=SC2086
    xdotool $steps
    local box=
    for _ in $(seq 100); do
        box=$(xdotool search --onlyvisible --name '^Complimenti$' 2>/dev/null | head -n1 || true)
        [[ -n $box ]] && break
        sleep 0.1
    done
    [[ -n $box ]] || fail "no question after the last king went home"

    # The end-of-game piece plays whether or not the music is on; a damaged
    # one leaves silence.
    sleep 0.5
    mark=$(size)
    sleep 0.5
    local finale
    finale=$(peak_since "$mark")
    if [[ $name == win-finale-intact ]]; then
        ((finale > 1000)) || fail "no end-of-game piece (peak $finale)"
    else
        ((finale == 0)) || fail "a damaged end-of-game piece sounds (peak $finale)"
    fi
    heard+=" finale $finale"

    xdotool windowfocus --sync "$box" key Return
    for _ in $(seq 50); do
        xdotool search --onlyvisible --name '^Complimenti$' >/dev/null 2>&1 || break
        sleep 0.1
    done
    sleep 0.3
    shoot again
    check_table again
}

if [[ $name == win-* ]]; then
    win_game
fi

play_session

# Both options are off now: a stock turn makes no sound, and the music is still.
if [[ $SDL_AUDIODRIVER == disk ]]; then
    mark=$(size)
    stock_turn
    sleep 0.5
    after=$(peak_since "$mark")
    ((after == 0)) || fail "a sound with both options off (peak $after)"
fi
close_and_exit
quiet_log
echo "${heard:- silent}"
