# The native unit tests under AddressSanitizer and UndefinedBehaviorSanitizer.
ensure_packages "${BUILD_PACKAGES[@]}"
build_preset sanitize
(cd "$ROOT" && ctest --preset sanitize --timeout 300)
