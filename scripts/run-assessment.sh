#!/usr/bin/env bash
# Builds the release (dist/SystemAssessment.exe) and runs it under Wine for
# this machine, in the current directory: "System Assessment Results.html" appears here. The
# program's exit status is passed through (0 written and opened, 255 = -1 the
# report could not be written, 1 the machine could not be assessed).
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
source "$ROOT/scripts/lib/wine.sh"
source "$ROOT/scripts/lib/build.sh"

ensure_packages "${BUILD_PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}"
ensure_wine
exe=$(build_shipped_program)

# A 64-bit Windows machine, as the program will mostly meet; the 32-bit program
# runs in it as it would on Windows.
prefix=$CACHE_DIR/wine-run-win64
make_prefix "$prefix" win64

say "Running SystemAssessment.exe in $(pwd)"
status=0
WINEPREFIX=$prefix WINEDEBUG=${WINEDEBUG:--all} "$WINE" "$exe" || status=$?

report="$(pwd)/System Assessment Results.html"
if [ -f "$report" ] && [ "$status" -eq 0 ]; then
    say "Report: $report"
else
    printf 'SystemAssessment.exe exited with status %s; see the message above.\n' "$status" >&2
fi
exit "$status"
