# The unit tests built with MinGW-w64 and run under Wine, then the Windows
# integration tests against the real registry and WMI of a throw-away 32-bit
# and a throw-away 64-bit prefix, and the check of the shipped executable as a
# file (imports, header, resources).
ensure_packages "${BUILD_PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}"
ensure_wine
build_preset mingw
build_shipped_program >/dev/null # the executable-image test reads dist/SystemAssessment.exe

work=$(mktemp -d)
trap 'for p in "$work"/*; do WINEPREFIX=$p "$WINESERVER" -k 2>/dev/null || true; done; rm -rf "$work"' EXIT
for arch in win32 win64; do
    base=$CACHE_DIR/wine-base-$arch
    make_prefix "$base" "$arch"
    cp -a "$base" "$work/$arch"
    say "Windows unit and integration tests in a fresh $arch prefix"
    (cd "$ROOT" && WINEPREFIX=$work/$arch WINEDEBUG=-all ctest --preset mingw --timeout 600 -LE 'e2e|release')
    WINEPREFIX=$work/$arch "$WINESERVER" -k 2>/dev/null || true
done
