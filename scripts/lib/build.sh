# Builds with the CMake presets. Needs scripts/lib/common.sh.

# Configures and builds one preset; extra arguments go to the build (e.g. --target X).
build_preset() {
    local preset=$1
    shift
    (cd "$ROOT" && cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" "$@") >&2 ||
        die "the $preset build failed"
}

# Builds SystemAssessment.exe and prints its path.
build_windows_program() {
    say "Building SystemAssessment.exe (MinGW-w64, 32-bit, static)"
    build_preset mingw --target SystemAssessment
    echo "$ROOT/build/mingw/platform/win32/SystemAssessment.exe"
}
