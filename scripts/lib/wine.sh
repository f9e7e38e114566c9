# Wine for the 32-bit program: packages, a way to run 32-bit code, prefixes.
# Needs scripts/lib/common.sh.

WINE=/usr/lib/wine/wine        # the 32-bit loader (WoW64 programs in a 64-bit prefix too)
WINE64=/usr/lib/wine/wine64
WINESERVER=/usr/bin/wineserver
CACHE_DIR=${NIMLO_CACHE_DIR:-$ROOT/.cache}
QEMU_DIR=$CACHE_DIR/qemu-user
BINFMT=/proc/sys/fs/binfmt_misc

# Prints how this machine runs 32-bit x86 code: "native", "qemu N.M" or "none".
i386_runner() {
    local out
    out=$(QEMU_VERSION=1 "$WINE" --version 2>&1) || true
    case $out in
        wine-*) echo native ;;
        *"qemu-i386 version "*) echo "qemu $(printf '%s\n' "$out" | sed -n 's/.*qemu-i386 version \([0-9.]*\).*/\1/p' | head -1)" ;;
        *) echo none ;;
    esac
}

# Some kernels (virtual machines without the 32-bit compatibility mode) cannot
# run 32-bit code. Wine's 32-bit side then runs under qemu's user-mode
# emulator; it needs qemu 8 or later (older ones ignore MAP_FIXED_NOREPLACE and
# Wine cannot reserve its address space), which Debian 12 has in backports.
# The package is unpacked into the project's cache; /etc/apt is not touched.
setup_qemu_i386() {
    local qemu=$QEMU_DIR/usr/bin/qemu-i386
    if [ ! -x "$qemu" ]; then
        say "This kernel cannot run 32-bit code; fetching qemu-user from Debian's bookworm-backports"
        local apt=$CACHE_DIR/apt
        mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial" "$apt/debs"
        echo 'deb http://deb.debian.org/debian bookworm-backports main' >"$apt/sources.list"
        local options=(-o Dir::Etc::SourceList="$apt/sources.list" -o Dir::Etc::SourceParts=/dev/null
            -o Dir::State::Lists="$apt/lists" -o Dir::Cache="$apt/cache" -o APT::Sandbox::User=root)
        apt_update --own-lists "${options[@]}"
        (cd "$apt/debs" && "$APT_GET" "${options[@]}" download qemu-user >/dev/null) ||
            die "could not download qemu-user from bookworm-backports"
        rm -rf "$QEMU_DIR"
        dpkg-deb -x "$(ls "$apt"/debs/qemu-user_*.deb | tail -1)" "$QEMU_DIR"
        [ -x "$qemu" ] || die "the qemu-user package holds no usr/bin/qemu-i386"
    fi
    if ! mountpoint -q "$BINFMT"; then
        as_root mount -t binfmt_misc binfmt_misc "$BINFMT" || die "cannot mount binfmt_misc at $BINFMT"
    fi
    # The newest registration is tried first, so this one wins over an older qemu's.
    [ -e "$BINFMT/nimlo-qemu-i386" ] && { echo -1 | as_root tee "$BINFMT/nimlo-qemu-i386" >/dev/null; }
    local magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
    local mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
    echo ":nimlo-qemu-i386:M::$magic:$mask:$qemu:FOC" | as_root tee "$BINFMT/register" >/dev/null ||
        die "cannot register qemu-i386 with binfmt_misc (needs root)"
}

# Installs Wine (32- and 64-bit) and makes sure 32-bit Windows programs run.
ensure_wine() {
    ensure_packages wine wine32:i386 wine64 xvfb xauth
    local runner
    runner=$(i386_runner)
    case $runner in
        native) ;;
        "qemu "[89]* | "qemu "[1-9][0-9]*) ;;
        *)
            setup_qemu_i386
            runner=$(i386_runner)
            case $runner in
                "qemu "[89]* | "qemu "[1-9][0-9]*) ;;
                *) die "32-bit programs still cannot run here (runner: $runner)" ;;
            esac
            ;;
    esac
    say "32-bit code runs: $runner"
}

# Creates a Wine prefix if it does not exist. $1: directory, $2: win32 or win64.
make_prefix() {
    local prefix=$1 arch=$2
    [ -f "$prefix/system.reg" ] && return 0
    say "Creating a $arch Wine prefix in $prefix (takes about half a minute)"
    local loader=$WINE
    [ "$arch" = win64 ] && loader=$WINE64
    local log attempt
    log=$(mktemp)
    mkdir -p "$(dirname "$prefix")"
    # wineboot has been seen to fail now and then on a busy machine under
    # emulation, so it gets up to three attempts, each from scratch.
    for attempt in 1 2 3; do
        rm -rf "$prefix"
        if WINEPREFIX=$prefix WINEARCH=$arch WINEDEBUG=err+all WINEDLLOVERRIDES="mscoree,mshtml=" \
            "$loader" wineboot -i >"$log" 2>&1; then
            WINEPREFIX=$prefix "$WINESERVER" -w
            [ -f "$prefix/system.reg" ] && break
        fi
        WINEPREFIX=$prefix "$WINESERVER" -k 2>/dev/null || true
        say "wineboot attempt $attempt for $prefix failed; last lines:"
        tail -n 5 "$log" >&2
    done
    rm -f "$log"
    [ -f "$prefix/system.reg" ] || die "wineboot left no registry in $prefix"
}
