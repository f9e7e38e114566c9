# Native unit tests (g++, Debug, warnings as errors), the result lines and the
# published schemas.
# python3-jsonschema: the result lines and the rules file against the published schemas.
ensure_packages "${BUILD_PACKAGES[@]}" python3-jsonschema
build_preset native
(cd "$ROOT" && ctest --preset native --timeout 120)
