#!/usr/bin/env bash
# What the player hears, on SDL's disk driver (the mixed stream written to a
# file at a sound card's pace): the music once the table is dealt, the rustle
# on top of it at a stock turn, and silence once "Music" is unchecked.
# Usage: sound_e2e.sh VIMBO X_CLOSE
source "$(dirname "$0")/lib.sh"
vimbo=$1 x_close=$2
pcm="/usr/bin/python3 $(dirname "$0")/pcm.py"
out="$E2E_TMP/out.raw"

start_xvfb
start_app env SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$out" "$vimbo"
id=$(wait_window)
sleep 4.5 # the opening picture, then a second of music
shoot dealt
read -r ox oy < <(table_origin "$id" dealt)
size() { stat -c %s "$out" 2>/dev/null || echo 0; }

# The music: a second of it, well above silence but below the rustle.
mark=$(size)
((mark > 44100 * 4)) || fail "hardly any sound written: $mark bytes"
music=$($pcm "$out" $((mark - 44100 * 4)))
((music > 1000)) || fail "no music in the last second (peak $music)"

# A stock turn: the rustle stands out over the music.
mark=$(size)
xdotool mousemove $((ox + 360)) $((oy + 280)) click 1
sleep 0.6
rustle=$($pcm "$out" "$mark")
((rustle > music + 3000)) || fail "no rustle over the music (peak $rustle, music $music)"

# "Music" unchecked from the keyboard: Alt+O opens the options, the second
# entry is "Music" (the first is highlighted). A little later the stream is silent.
xdotool windowfocus --sync "$id"
xdotool key alt+o
sleep 0.3
xdotool key Down Return
sleep 0.5
mark=$(size)
sleep 0.5
quiet=$($pcm "$out" "$mark")
((quiet == 0)) || fail "the music goes on after \"Music\" was unchecked (peak $quiet)"

"$x_close" "$id"
status=$(wait_exit)
[[ $status == 0 ]] || fail "exit status $status"
echo "sound: music $music, rustle $rustle, then silence"
