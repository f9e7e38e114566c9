# Builds with the CMake presets. Needs scripts/lib/common.sh.

# Configures and builds one preset; extra arguments go to the build (e.g. --target X).
build_preset() {
    local preset=$1
    shift
    (cd "$ROOT" && cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" "$@") >&2 ||
        die "the $preset build failed"
}

# Builds SystemAssessment.exe and SystemAssessmentSummary.exe as they are
# shipped (preset release: win32 threads, stripped) and prints their paths, one
# a line. They are linked afresh every time, so that the PE timestamp is the
# SOURCE_DATE_EPOCH of this build.
build_release_programs() {
    local exes=("$ROOT/build/release/platform/win32/SystemAssessment.exe"
        "$ROOT/build/release/summary/SystemAssessmentSummary.exe")
    say "Building SystemAssessment.exe and SystemAssessmentSummary.exe (MinGW-w64, 32-bit, static)"
    rm -f "${exes[@]}"
    build_preset release --target SystemAssessment SystemAssessmentSummary
    printf '%s\n' "${exes[@]}"
}

# Makes the release in dist/ (scripts/build-release.sh) and prints the path of
# dist/SystemAssessment.exe: the bytes the tests check and a user runs.
build_shipped_program() {
    "$ROOT/scripts/build-release.sh" >&2 || die "scripts/build-release.sh failed"
    echo "$ROOT/dist/SystemAssessment.exe"
}
