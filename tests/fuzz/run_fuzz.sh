#!/usr/bin/env bash
# Runs the two sound-file fuzzers one after the other, sharing SECONDS between
# them. Each starts from the committed seeds and from what earlier runs in
# this build folder found; an input that breaks the sound code is kept in
# BUILD/crashes/ and the run fails, printing how to replay it.
# Usage: run_fuzz.sh BUILD [SECONDS]
#
# With RUNS set (inputs per fuzzer) the run is repeatable instead: a fixed
# seed and a fixed number of inputs, so a check that passed once passes again
# on the same sources. CI runs it that way; the timed run explores further.
set -euo pipefail
build=$(cd "$1" && pwd)
seconds=${2:-300}
here=$(cd "$(dirname "$0")" && pwd)
share=$((seconds / 2 > 0 ? seconds / 2 : 1))

# Our pieces are 8 kB, our rustle 25 kB; inputs of a few times that reach
# every path of the readers without slowing the fuzzer down.
declare -A max_len=([midi]=16384 [wave]=8192)

status=0
mkdir -p "$build/crashes"
for kind in midi wave; do
    fuzzer="$build/fuzz_$kind" corpus="$build/corpus/$kind" log="$build/fuzz_$kind.log"
    if [[ -n ${RUNS:-} ]]; then
        # From the committed seeds alone, whatever earlier runs found here.
        corpus="$build/corpus-repeatable/$kind"
        rm -rf "$corpus"
        limits=(-runs="$RUNS" -seed=1)
        echo "fuzz_$kind: $RUNS inputs"
    else
        limits=(-max_total_time="$share")
        echo "fuzz_$kind: ${share} s"
    fi
    mkdir -p "$corpus"
    if ! "$fuzzer" "${limits[@]}" -max_len="${max_len[$kind]}" -timeout=10 \
        -dict="$here/$kind.dict" \
        -print_final_stats=1 -artifact_prefix="$build/crashes/$kind-" \
        "$corpus" "$here/corpus/$kind" >"$log" 2>&1; then
        status=1
        tail -n 40 "$log"
        echo "fuzz_$kind FAILED; replay with: $fuzzer $build/crashes/$kind-<file>" >&2
        continue
    fi
    grep -E '^stat::(number_of_executed_units|average_exec_per_sec|new_units_added)' "$log" |
        sed 's/^/    /'
done
exit "$status"
