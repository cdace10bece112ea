#!/usr/bin/env bash
# Builds the fuzz preset and runs every target (or the TARGETs named) for
# SECONDS (default 60), all at once on the machine's cores (FUZZ_JOBS of them
# when set). A finding (crash, sanitizer report, timeout over 1 s, out of
# memory) is saved under fuzz/out/<target>/ and makes the script fail. With
# SECONDS = 0 every target only replays its corpus. With FUZZ_KEEP_GOING=1 a
# target goes on after a finding (libFuzzer's fork mode), saving each one.
#   fuzz/run.sh [SECONDS] [TARGET...]
set -uo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift $(( $# > 0 ? 1 : 0 ))

cmake --preset fuzz >/dev/null || exit 1
cmake --build --preset fuzz -j "$(nproc)" --target tintscope_fuzz || exit 1

targets=${*:-$(ls fuzz/corpus)}
mkdir -p fuzz/out
run_one() {
    local t=$1 seconds=$2
    local work=fuzz/out/$t
    mkdir -p "$work/corpus"
    local args=(-timeout=1 -rss_limit_mb=2048 -artifact_prefix="$work/" -print_final_stats=1)
    if [ "${FUZZ_KEEP_GOING:-0}" = 1 ]; then
        args+=(-fork=1 -ignore_crashes=1 -ignore_ooms=1 -ignore_timeouts=1)
    fi
    if [ "$seconds" -eq 0 ]; then
        args+=(-runs=0)
    else
        args+=(-max_total_time="$seconds")
    fi
    if FUZZ_TARGET=$t build-fuzz/fuzz/tintscope_fuzz "${args[@]}" "$work/corpus" "fuzz/corpus/$t" \
        > "$work/log.txt" 2>&1; then
        # Fork mode prints no final stats: its last status line counts runs.
        local runs
        runs=$(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' "$work/log.txt" | grep -o '[0-9]*$')
        [ -n "$runs" ] || runs=$(grep -o '^#[0-9]*:' "$work/log.txt" | tail -1 | tr -d '#:')
        local found
        found=$(ls "$work" | grep -c '^\(crash\|leak\|timeout\|oom\)-')
        if [ "$found" -gt 0 ]; then
            echo "FINDING  $t: $found saved under $work/ ($runs runs)"; return 1
        fi
        echo "ok       $t ($runs runs)"
    else
        echo "FINDING  $t: see $work/log.txt"; tail -20 "$work/log.txt"; return 1
    fi
}
export -f run_one
printf '%s\n' $targets | xargs -P "${FUZZ_JOBS:-$(nproc)}" -I{} bash -c "run_one {} $seconds"
