# shellcheck shell=bash
# Short fuzzing runs: builds the libFuzzer targets with clang-14,
# AddressSanitizer and UndefinedBehaviorSanitizer and runs every target for a
# bounded time on a fresh copy of its seed corpus, two at a time (six targets
# at 40 s each take about two minutes after the build). A crash, a sanitizer
# report or a violated property fails the stage. Longer runs:
# scripts/run-fuzzers.sh.
ensure_packages cmake make g++ clang-14 libclang-rt-14-dev
FUZZ_FRESH=1 FUZZ_JOBS=2 FUZZ_RUNS_DIR="$ROOT/build/fuzz/stage-runs" \
    "$ROOT/scripts/run-fuzzers.sh" "${FUZZ_STAGE_SECONDS:-40}"
