#!/usr/bin/env bash
# Runs the fuzzers of the sound files and of the soundfont reader one after the
# other, sharing SECONDS between them (with RUNS, side by side). Each starts from the committed seeds and
# from what earlier runs in this build folder found; an input that breaks the
# sound code is kept in BUILD/crashes/ and the run fails, printing how to
# replay it. Before fuzzing, each runs once on inputs at the size limits of
# its reader, made afresh by make_seeds.py --limits in BUILD/limits/.
# Usage: run_fuzz.sh BUILD [SECONDS]
#
# With RUNS set (inputs per fuzzer) the run is repeatable instead: a fixed
# seed and a fixed number of inputs, so a check that passed once passes again
# on the same sources. CI runs it that way; the timed run explores further.
# The soundfont fuzzer takes an eighth of RUNS: each of its inputs is loaded
# into FluidSynth and played, several times the work of a MIDI input.
set -euo pipefail
build=$(cd "$1" && pwd)
seconds=${2:-300}
here=$(cd "$(dirname "$0")" && pwd)
kinds=(midi wave soundfont)
share=$((seconds / ${#kinds[@]} > 0 ? seconds / ${#kinds[@]} : 1))

# The longest input each fuzzer makes: every wave and MIDI file the game reads,
# and the first one it refuses for its size. libFuzzer grows its inputs from
# the seeds' size only as the small ones stop finding anything, so a run of
# CI's length stays well below these; the inputs in BUILD/limits/ reach the
# limits in every run (a wave that plays past 10 s, which an 8-bit mono one at
# 1 kHz does past 10,000 bytes; a piece of too many events or bytes). A
# soundfont has all its chunks in 16 KiB, and instruments that share their
# zones overflow the zone numbers in 8 KiB.
declare -A max_len=([midi]=$(((1 << 20) + 1024)) [wave]=$(((2 << 20) + 1024)) [soundfont]=16384)
declare -A runs_share=([midi]=1 [wave]=1 [soundfont]=8)

limits="$build/limits"
rm -rf "$limits"
/usr/bin/python3 "$here/make_seeds.py" --limits "$limits"

# One fuzzer: once on each input at its reader's limits, then fuzzing.
fuzz() {
    local kind=$1 corpus=$2 fuzzer="$build/fuzz_$1"
    local crashes=(-artifact_prefix="$build/crashes/$kind-")
    if [[ -d $limits/$kind ]]; then
        "$fuzzer" -timeout=60 "${crashes[@]}" "$limits/$kind"/* || return 1
    fi
    "$fuzzer" "${budget[@]}" -max_len="${max_len[$kind]}" -timeout=10 -dict="$here/$kind.dict" \
        -print_final_stats=1 "${crashes[@]}" "$corpus" "$here/corpus/$kind"
}

# One fuzzer's whole run, told in its log ($build/fuzz_KIND.log).
run_kind() {
    local kind=$1 corpus="$build/corpus/$1" budget
    if [[ -n ${RUNS:-} ]]; then
        # From the committed seeds alone, whatever earlier runs found here.
        corpus="$build/corpus-repeatable/$kind"
        rm -rf "$corpus"
        budget=(-runs="$((RUNS / runs_share[$kind]))" -seed=1)
    else
        budget=(-max_total_time="$share")
    fi
    mkdir -p "$corpus"
    fuzz "$kind" "$corpus" >"$build/fuzz_$kind.log" 2>&1
}

# What one fuzzer's run came to; false if it broke the sound code.
report() {
    local kind=$1 ran=$2 log="$build/fuzz_$1.log"
    if [[ -n ${RUNS:-} ]]; then
        echo "fuzz_$kind: $((RUNS / runs_share[$kind])) inputs"
    else
        echo "fuzz_$kind: ${share} s"
    fi
    if [[ $ran != 0 ]]; then
        tail -n 40 "$log"
        echo "fuzz_$kind FAILED; replay with: $build/fuzz_$kind $build/crashes/$kind-<file>" >&2
        return 1
    fi
    grep -E '^stat::(number_of_executed_units|average_exec_per_sec|new_units_added)' "$log" |
        sed 's/^/    /'
}

# Waits for one fuzzer's run and tells what it came to.
declare -A pid=()
status=0
finish() {
    local ran=0
    wait "${pid[$1]}" || ran=$?
    report "$1" "$ran" || status=1
}

# A share of the time each: one after another. With RUNS, a fixed number of
# inputs each: side by side, one a processor.
mkdir -p "$build/crashes"
for kind in "${kinds[@]}"; do
    run_kind "$kind" &
    pid[$kind]=$!
    [[ -n ${RUNS:-} ]] || finish "$kind"
done
if [[ -n ${RUNS:-} ]]; then
    for kind in "${kinds[@]}"; do finish "$kind"; done
fi
exit "$status"
