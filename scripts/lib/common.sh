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

# How long a package-manager call waits for another installation to finish
# (a fresh machine often runs unattended upgrades at first boot).
APT_LOCK_SECONDS=600
APT_WAIT=(-o "DPkg::Lock::Timeout=$APT_LOCK_SECONDS")

# The program that holds one of the package manager's locks (`lists` for
# apt-get update, `dpkg` for installing), if any.
lock_holder() {
    local pattern
    case $1 in
        lists) pattern='^/var/lib/apt/lists/lock$' ;;
        *) pattern='^/var/lib/dpkg/lock(-frontend)?$' ;;
    esac
    lslocks -n -o COMMAND,PATH 2>/dev/null | awk -v p="$pattern" '$2 ~ p { print $1; exit }'
}

# Says so when another program holds one of the package manager's locks; the
# call that follows waits for it.
note_lock_holder() {
    local holder
    holder=$(lock_holder "$1")
    if [ -n "$holder" ]; then
        say "Waiting for another package installation ($holder) to finish (up to $APT_LOCK_SECONDS s)"
    fi
}

# apt-get update waits for dpkg's lock (APT_WAIT) but not for the package
# lists' lock: while another program holds that one, wait and try again.
apt_update() {
    local waited=0 errors
    errors=$(mktemp)
    note_lock_holder lists
    until as_root apt-get "${APT_WAIT[@]}" update -qq 2>"$errors"; do
        if ! grep -q 'Could not get lock\|Unable to lock' "$errors" || [ "$waited" -ge "$APT_LOCK_SECONDS" ]; then
            cat "$errors" >&2
            rm -f "$errors"
            die "apt-get update failed; check the network and /etc/apt/sources.list"
        fi
        sleep 5
        waited=$((waited + 5))
    done
    cat "$errors" >&2
    rm -f "$errors"
}

# dpkg --add-architecture takes dpkg's lock but cannot wait for it: try again for a while.
add_architecture() {
    local waited=0
    until as_root dpkg --add-architecture "$1" 2>/dev/null; do
        [ "$waited" -lt "$APT_LOCK_SECONDS" ] || die "dpkg --add-architecture $1 failed (is another installation still running?)"
        [ "$waited" -eq 0 ] && note_lock_holder dpkg
        sleep 5
        waited=$((waited + 5))
    done
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
        add_architecture i386
    fi
    apt_update
    note_lock_holder dpkg
    DEBIAN_FRONTEND=noninteractive as_root apt-get "${APT_WAIT[@]}" install -y -qq --no-install-recommends \
        "${MISSING[@]}" >/dev/null || die "could not install: ${MISSING[*]}"
}

BUILD_PACKAGES=(cmake make g++ googletest python3)
WINDOWS_PACKAGES=(g++-mingw-w64-i686 mingw-w64-tools binutils-mingw-w64-i686 python3-pefile)
