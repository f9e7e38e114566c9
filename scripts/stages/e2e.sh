# SystemAssessment.exe end to end under Wine: each test copies a base prefix,
# sets the Windows version or writes registry fixtures, runs the program and
# checks the page, the open request and the message boxes (under Xvfb); one
# test loads the page in headless Chromium. Screenshots and failing pages are
# kept in build/mingw/tests/e2e/artifacts.
ensure_packages "${BUILD_PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}" xvfb xdotool chromium imagemagick python3-fusepy fuse3 python3-jsonschema
ensure_wine
build_shipped_program >/dev/null # dist/SystemAssessment.exe: what is shipped is what is tested
build_preset mingw --target OpenRecorder CanaryDll HiddenStationLauncher HoldOpen ImportsOnly make_reports
for arch in win32 win64; do
    make_prefix "$CACHE_DIR/wine-base-$arch" "$arch"
done
say "End-to-end tests (the tests use throw-away copies of the prefixes in $CACHE_DIR)"
(cd "$ROOT" && NIMLO_E2E_BASES=$CACHE_DIR ctest --preset mingw -L e2e -j2)
