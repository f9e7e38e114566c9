# Native unit tests (g++, Debug, warnings as errors).
ensure_packages "${BUILD_PACKAGES[@]}"
build_preset native
(cd "$ROOT" && ctest --preset native --timeout 120)
