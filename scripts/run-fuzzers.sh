#!/usr/bin/env bash
# Runs the libFuzzer targets (fuzz/) for a chosen time each, two at a time.
#
#   scripts/run-fuzzers.sh [seconds-per-target] [target...]
#
#   seconds-per-target  how long each target runs (default 600)
#   target              fuzz_text fuzz_wmi fuzz_registry fuzz_report fuzz_browser fuzz_reader
#                       (default: all of them)
#
# Builds the `fuzz` preset (clang-14 with libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) first. Each target works on its own corpus in
# build/fuzz/runs/<target>/corpus, which starts as a copy of the checked-in
# seeds in fuzz/corpus/<target>/ and keeps what earlier runs found, so longer
# runs build on each other; delete build/fuzz/runs to start afresh. New seeds
# worth keeping can be merged back with
#   build/fuzz/fuzz/<target> -merge=1 fuzz/corpus/<target> build/fuzz/runs/<target>/corpus
#
# Environment:
#   FUZZ_JOBS=2        how many targets run at the same time
#   FUZZ_FRESH=1       start from the checked-in seeds only (what the test stage does)
#   FUZZ_RUNS_DIR=...  where the working corpora, logs and findings go
#
# A crash, a sanitizer report or a violated property stops that target; the
# input is kept in build/fuzz/runs/<target>/artifacts/ and the script fails
# after printing how to replay it. At the end it prints, per target, the time
# it ran, the number of inputs executed and the result.
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
source "$ROOT/scripts/lib/build.sh"

ALL_TARGETS=(fuzz_text fuzz_wmi fuzz_registry fuzz_report fuzz_browser fuzz_reader)

seconds=${1:-600}
if ! [[ $seconds =~ ^[0-9]+$ ]] || [ "$seconds" -eq 0 ]; then
    die "seconds-per-target must be a positive number, not '$seconds'"
fi
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=("${ALL_TARGETS[@]}")
for target in "${targets[@]}"; do
    [[ " ${ALL_TARGETS[*]} " == *" $target "* ]] || die "unknown fuzz target '$target' (targets: ${ALL_TARGETS[*]})"
done

jobs_at_once=${FUZZ_JOBS:-2}
runs_dir=${FUZZ_RUNS_DIR:-$ROOT/build/fuzz/runs}
bin_dir=$ROOT/build/fuzz/fuzz

ensure_packages cmake make g++ clang-14 libclang-rt-14-dev
say "Building the fuzz targets"
build_preset fuzz --target fuzzers

# Runs one target; its exit status and timing land in its run folder.
run_target() {
    local target=$1 dir=$runs_dir/$1
    local args=(
        -max_total_time="$seconds"
        -timeout=20
        -rss_limit_mb=2048
        -print_final_stats=1
        -artifact_prefix="$dir/artifacts/"
    )
    [ -f "$ROOT/fuzz/dict/$target.dict" ] && args+=(-dict="$ROOT/fuzz/dict/$target.dict")
    local started=$SECONDS status=0
    "$bin_dir/$target" "${args[@]}" "$dir/corpus" >"$dir/log" 2>&1 || status=$?
    echo "$status $((SECONDS - started))" >"$dir/result"
}

for target in "${targets[@]}"; do
    dir=$runs_dir/$target
    [ "${FUZZ_FRESH:-0}" = 1 ] && rm -rf "$dir"
    mkdir -p "$dir/corpus" "$dir/artifacts"
    rm -f "$dir/result"
    for seed in "$ROOT/fuzz/corpus/$target/"*; do
        [ -e "$dir/corpus/${seed##*/}" ] || cp "$seed" "$dir/corpus/"
    done
done

say "Fuzzing ${targets[*]} for ${seconds} s each, ${jobs_at_once} at a time"
for target in "${targets[@]}"; do
    while [ "$(jobs -rp | wc -l)" -ge "$jobs_at_once" ]; do
        wait -n || true
    done
    run_target "$target" &
done
wait

failed=()
printf '%-15s %8s %14s %10s  %s\n' target seconds executions corpus result >&2
for target in "${targets[@]}"; do
    dir=$runs_dir/$target
    read -r status took <"$dir/result" || { status=1; took=0; }
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/log" | tail -n 1)
    corpus=$(find "$dir/corpus" -type f | wc -l)
    result=ok
    if [ "$status" -ne 0 ]; then
        result="FINDING (exit $status)"
        failed+=("$target")
    fi
    printf '%-15s %8s %14s %10s  %s\n' "$target" "$took" "${executions:-?}" "$corpus" "$result" >&2
done

for target in "${failed[@]}"; do
    dir=$runs_dir/$target
    echo >&2
    say "$target: finding (log: $dir/log)"
    grep -E '^\*\*\*|ERROR: |SUMMARY: ' "$dir/log" | head -n 8 >&2 || true
    for artifact in "$dir/artifacts/"*; do
        [ -f "$artifact" ] && echo "replay: $bin_dir/$target $artifact" >&2
    done
done
[ ${#failed[@]} -eq 0 ] || die "fuzzing found problems in: ${failed[*]}"
say "No findings"
