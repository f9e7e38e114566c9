# Shared by the scripts in scripts/: paths, messages and the installation of
# what a fresh Debian machine lacks.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
export ROOT

say() { printf '\033[1m==> %s\033[0m\n' "$*" >&2; }
die() { printf 'error: %s\n' "$*" >&2; exit 1; }

# Runs a command as root: directly when we are root, through sudo otherwise.
as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    elif command -v sudo >/dev/null 2>&1; then
        sudo "$@"
    else
        die "installing packages needs root; run as root or install sudo (missing: ${MISSING[*]:-})"
    fi
}

package_installed() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

# Installs the Debian packages named in the arguments that are not installed
# yet. Packages with an ":i386" suffix bring in the i386 architecture first.
ensure_packages() {
    command -v apt-get >/dev/null 2>&1 || die "this machine has no apt-get; install by hand: $*"
    MISSING=()
    local package
    for package in "$@"; do
        package_installed "$package" || MISSING+=("$package")
    done
    [ ${#MISSING[@]} -eq 0 ] && return 0

    say "Installing: ${MISSING[*]}"
    if printf '%s\n' "${MISSING[@]}" | grep -q ':i386$' &&
        ! dpkg --print-foreign-architectures | grep -qx i386; then
        as_root dpkg --add-architecture i386
    fi
    as_root apt-get update -qq || die "apt-get update failed; check the network and /etc/apt/sources.list"
    DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -qq --no-install-recommends "${MISSING[@]}" \
        >/dev/null || die "could not install: ${MISSING[*]}"
}

BUILD_PACKAGES=(cmake make g++ googletest python3)
WINDOWS_PACKAGES=(g++-mingw-w64-i686 mingw-w64-tools binutils-mingw-w64-i686 python3-pefile)
