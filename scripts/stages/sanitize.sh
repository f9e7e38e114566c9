# The native unit tests under AddressSanitizer and UndefinedBehaviorSanitizer.
ensure_packages "${BUILD_PACKAGES[@]}"
build_preset sanitize
(cd "$ROOT" && ctest --preset sanitize --timeout 300)
# What runs on several threads (the summary's job pool and the runs it
# drives) under ThreadSanitizer, which cannot be built with AddressSanitizer.
build_preset tsan
(cd "$ROOT" && ctest --preset tsan --timeout 300)
