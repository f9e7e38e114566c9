# The release from two clean clones of HEAD at different paths: the same
# bytes, stripped, timestamped, checksummed; signed with a throwaway
# certificate made on the spot, and the signature removed again.
ensure_packages "${BUILD_PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}" git openssl osslsigncode
(cd "$ROOT" && cmake --preset mingw >/dev/null) || die "configuring the mingw preset failed"
(cd "$ROOT" && ctest --preset mingw -L release)
