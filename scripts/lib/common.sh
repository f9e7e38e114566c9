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

# The package manager the scripts call; a test gives a stand-in.
APT_GET=${NIMLO_APT_GET:-apt-get}

# The waits, in seconds, before apt-get update is tried again after an index
# failed to download (a mirror in the middle of a sync serves a Release file
# that does not match its indexes); a test shortens them.
read -ra APT_RETRY_WAITS <<<"${NIMLO_APT_RETRY_WAITS:-15 30 60 120}"

# Set by apt_update when its last try still left indexes out: the
# installation that follows may then need the release's own archive.
APT_INDEXES_MISSING=

# Prints the indexes that apt-get's messages (in the file $1) say failed to
# download, with apt's reason, one a line; nothing when every index arrived.
failed_indexes() {
    sed -n 's/ *\[IP: [^]]*\]//; s/^[EW]: Failed to fetch \([^ ]*\) *\(.*\)$/\1 (\2)/p' "$1"
    if ! grep -q '^[EW]: Failed to fetch ' "$1"; then
        grep -q '^[EW]: Some index files failed to download' "$1" && echo 'some indexes (apt did not say which)'
    fi
    return 0
}

# apt-get update [--own-lists] [apt-get options...]. It waits for dpkg's lock
# (APT_WAIT) but not for the package lists' lock: while another program holds
# that one, wait and try again. An index that fails to download (unexpected
# size, hash sum mismatch, a failed fetch), which apt reports on standard
# error even when it exits with 0, is tried again after each of
# APT_RETRY_WAITS; still missing, it is named and the update goes on with the
# indexes that did arrive. --own-lists: the options name lists the caller
# owns, so apt-get runs without root.
apt_update() {
    local run=(as_root)
    if [ "${1:-}" = --own-lists ]; then
        run=()
        shift
    fi
    local waited=0 retries=0 status errors missing
    errors=$(mktemp)
    [ ${#run[@]} -eq 0 ] || note_lock_holder lists
    APT_INDEXES_MISSING=
    while :; do
        status=0
        "${run[@]}" "$APT_GET" "${APT_WAIT[@]}" "$@" update -qq 2>"$errors" || status=$?
        missing=$(failed_indexes "$errors")
        if [ "$status" -ne 0 ] && [ -z "$missing" ] && grep -q 'Could not get lock\|Unable to lock' "$errors" &&
            [ "$waited" -lt "$APT_LOCK_SECONDS" ]; then
            sleep 5
            waited=$((waited + 5))
        elif [ -n "$missing" ] && [ "$retries" -lt ${#APT_RETRY_WAITS[@]} ]; then
            say "apt-get update could not fetch ${missing//$'\n'/; }; trying again in ${APT_RETRY_WAITS[$retries]} s"
            sleep "${APT_RETRY_WAITS[$retries]}"
            retries=$((retries + 1))
        else
            break
        fi
    done
    cat "$errors" >&2
    rm -f "$errors"
    if [ -n "$missing" ]; then
        APT_INDEXES_MISSING=1
        say "apt-get update, tried $((retries + 1)) times, still could not fetch ${missing//$'\n'/; }"
        say "The mirror may be inconsistent (a mirror sync in progress); installing from the indexes that did arrive"
    elif [ "$status" -ne 0 ]; then
        die "apt-get update failed; check the network and /etc/apt/sources.list"
    fi
}

# The release's own codename (bookworm), from /etc/os-release.
release_codename() {
    (. "${NIMLO_OS_RELEASE:-/etc/os-release}" && echo "${VERSION_CODENAME:-}")
}

# apt-get install of the packages named, after apt_update. When an index was
# missing and the installation fails, it is tried once more from the
# release's own archive (-t CODENAME): the candidates of a suite whose index
# for one architecture is missing cannot pair with that architecture's
# packages. A failure shows apt's own words.
apt_install() {
    local output codename
    output=$(mktemp)
    note_lock_holder dpkg
    if DEBIAN_FRONTEND=noninteractive as_root "$APT_GET" "${APT_WAIT[@]}" install -y -qq --no-install-recommends \
        "$@" >"$output" 2>&1; then
        rm -f "$output"
        return 0
    fi
    codename=$(release_codename)
    if [ -n "$APT_INDEXES_MISSING" ] && [ -n "$codename" ]; then
        cat "$output" >&2
        say "Installing failed with an index missing; trying again from $codename's own archive (apt-get install -t $codename)"
        if DEBIAN_FRONTEND=noninteractive as_root "$APT_GET" "${APT_WAIT[@]}" install -y -qq --no-install-recommends \
            -t "$codename" "$@" >"$output" 2>&1; then
            rm -f "$output"
            return 0
        fi
    fi
    cat "$output" >&2
    rm -f "$output"
    die "could not install: $*"
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
    apt_install "${MISSING[@]}"
}

BUILD_PACKAGES=(cmake make g++ googletest python3)
WINDOWS_PACKAGES=(g++-mingw-w64-i686 mingw-w64-tools binutils-mingw-w64-i686 python3-pefile)
