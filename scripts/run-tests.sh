#!/usr/bin/env bash
# Runs every test: the native unit tests (plain and under AddressSanitizer and
# UndefinedBehaviorSanitizer), the same unit tests built for Windows and run
# under Wine, the Windows integration tests against Wine's registry and WMI in
# 32- and 64-bit prefixes, the end-to-end tests of SystemAssessment.exe, the
# PowerShell collector's tests and a real round of it over SSH, the
# reproducibility and signing of the release, short fuzzing runs and the static
# checks. Installs what a fresh Debian machine lacks.
#
#   scripts/run-tests.sh              every stage
#   scripts/run-tests.sh native wine  only the stages named
#
# Stages: native sanitize wine e2e powershell release fuzz lint
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
source "$ROOT/scripts/lib/wine.sh"
source "$ROOT/scripts/lib/build.sh"

ALL_STAGES=(native sanitize wine e2e powershell release fuzz lint)
stages=("$@")
[ ${#stages[@]} -eq 0 ] && stages=("${ALL_STAGES[@]}")
for stage in "${stages[@]}"; do
    [ -f "$ROOT/scripts/stages/$stage.sh" ] || die "unknown stage '$stage' (stages: ${ALL_STAGES[*]})"
done

started=$SECONDS
passed=0
for stage in "${stages[@]}"; do
    say "Stage: $stage"
    stage_start=$SECONDS
    # Not in an `||` list: there bash would ignore `set -e` inside the stage,
    # and a failing command would not fail the stage unless it came last.
    set +e
    # shellcheck source=/dev/null
    (set -e; source "$ROOT/scripts/stages/$stage.sh")
    status=$?
    set -e
    [ "$status" -eq 0 ] || die "stage '$stage' failed"
    say "Stage $stage passed in $((SECONDS - stage_start)) s"
    passed=$((passed + 1))
done
say "All ${passed} stages passed in $((SECONDS - started)) s"
echo "${passed} passed, 0 failed"
