#!/usr/bin/env bash
# The scripts' package-manager calls (scripts/lib/common.sh) against a
# stand-in apt-get: an index that fails to download is tried again and then
# named, the installation is tried anyway and once more from the release's own
# archive, the package lists' lock is waited for. The stand-in never runs the
# real apt-get, and nothing here waits: `sleep` only records its argument.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cat >"$work/apt-get" <<'EOF'
#!/usr/bin/env bash
# STUB_UPDATE: ok | mismatch N (fails N times, then ok; N=always: never ok,
# exit status STUB_UPDATE_STATUS) | lock N | broken. STUB_INSTALL: ok |
# needs-t (fails unless given -t) | broken.
echo "$*" >>"$STUB_LOG"
read -r mode count <<<"$STUB_UPDATE"
case " $* " in
    *" update "*)
        tries=$(grep -c ' update ' "$STUB_LOG")
        [ "$mode" = ok ] || { [ "$count" != always ] && [ "$tries" -gt "$count" ]; } && exit 0
        case $mode in
            mismatch)
                echo "E: Failed to fetch http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress? [IP: 192.0.2.1 80]" >&2
                echo "E: Some index files failed to download. They have been ignored, or old ones used instead." >&2
                exit "${STUB_UPDATE_STATUS:-100}" ;;
            lock) echo "E: Could not get lock /var/lib/apt/lists/lock. It is held by process 4242 (apt-get)" >&2 ;;
            *) echo "E: The repository 'http://example.invalid/debian stable Release' does not have a Release file." >&2 ;;
        esac
        exit 100 ;;
    *" install "*)
        case "$STUB_INSTALL $*" in
            ok* | "needs-t "*" -t "*) exit 0 ;;
        esac
        echo "The following packages have unmet dependencies:"
        echo " wine32:i386 : Depends: libwine:i386 (= 8.0~repack-4) but it is not going to be installed"
        echo "E: Unable to correct problems, you have held broken packages." >&2
        exit 100 ;;
    *" download "*) echo "E: Can't select candidate version from package qemu-user as it has no candidate" >&2; exit 100 ;;
esac
exit 99
EOF
chmod +x "$work/apt-get"
printf 'ID=debian\nVERSION_CODENAME=trixiepatch\n' >"$work/os-release"

failures=0
fail() { echo "FAIL $case_name: $*" >&2; failures=$((failures + 1)); }

# run_case NAME UPDATE INSTALL STATUS UPDATES SLEEPS INSTALLS [PATTERN...]
# Runs apt_update then apt_install (or, for NAME qemu*, the qemu fetch of
# scripts/lib/wine.sh) and checks the exit status, how many updates and
# installs the stand-in saw, the waits, and that standard error holds each
# PATTERN (a leading ! : does not hold it).
run_case() {
    case_name=$1
    local update=$2 install=$3 want_status=$4 want_updates=$5 want_sleeps=$6 want_installs=$7
    shift 7
    local log=$work/$case_name.calls sleeps=$work/$case_name.sleeps err=$work/$case_name.err status=0
    : >"$log"
    : >"$sleeps"
    (
        export STUB_LOG=$log STUB_UPDATE=$update STUB_INSTALL=$install
        export NIMLO_APT_GET=$work/apt-get NIMLO_APT_RETRY_WAITS="1 2 3 4" NIMLO_OS_RELEASE=$work/os-release
        export NIMLO_CACHE_DIR=$work/cache-$case_name
        # shellcheck source=/dev/null
        source "$ROOT/scripts/lib/common.sh"
        # shellcheck source=/dev/null
        source "$ROOT/scripts/lib/wine.sh"
        as_root() { echo "as_root $*" >>"$STUB_LOG.root"; "$@"; }
        sleep() { echo "$1" >>"$sleeps"; }
        lock_holder() { :; }
        if [[ $case_name == qemu* ]]; then
            setup_qemu_i386
        else
            apt_update
            apt_install wine wine32:i386
        fi
    ) >/dev/null 2>"$err" || status=$?
    local updates installs waits
    updates=$(grep -c ' update ' "$log" || true)
    installs=$(grep -c ' install ' "$log" || true)
    waits=$(paste -sd ' ' "$sleeps")
    [ "$status" -eq "$want_status" ] || fail "exit status $status, expected $want_status"
    [ "$updates" -eq "$want_updates" ] || fail "$updates updates, expected $want_updates"
    [ "$installs" -eq "$want_installs" ] || fail "$installs installs, expected $want_installs"
    [ "$waits" = "$want_sleeps" ] || fail "waits '$waits', expected '$want_sleeps'"
    local pattern
    for pattern in "$@"; do
        if [[ $pattern == '!'* ]]; then
            ! grep -qF -- "${pattern#!}" "$err" || fail "standard error holds '${pattern#!}'"
        else
            grep -qF -- "$pattern" "$err" || fail "standard error lacks '$pattern'"
        fi
    done
    if [ "$failures" -gt 0 ]; then
        echo "--- standard error of $case_name:" >&2
        cat "$err" >&2
        exit 1
    fi
    echo "ok $case_name"
}

url=http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz
held='E: Unable to correct problems, you have held broken packages.'
unmet=' wine32:i386 : Depends: libwine:i386'
try_t='trying again from trixiepatch'

run_case plain ok ok 0 1 "" 1 "!$try_t"
run_case mirror-recovers "mismatch 2" ok 0 3 "1 2" 1 "could not fetch $url (File has unexpected size" "!mirror may be inconsistent"
run_case mirror-stays-inconsistent "mismatch always" ok 0 5 "1 2 3 4" 1 \
    "tried 5 times, still could not fetch $url" "mirror may be inconsistent" "!$try_t"
STUB_UPDATE_STATUS=0 run_case mirror-inconsistent-exit-0 "mismatch always" needs-t 0 5 "1 2 3 4" 2 \
    "mirror may be inconsistent" "$held" "$unmet" "$try_t's own archive (apt-get install -t trixiepatch)"
run_case install-fails-with-and-without-t "mismatch always" broken 1 5 "1 2 3 4" 2 "$try_t" "$held" "could not install: wine wine32:i386"
run_case install-fails-all-indexes-in "ok" needs-t 1 1 "" 1 "!$try_t" "$held" "$unmet" "could not install"
run_case lock-released "lock 2" ok 0 3 "5 5" 1 "!could not fetch"
run_case lock-held-for-ever "lock always" ok 1 121 "$(printf '5 %.0s' $(seq 120) | sed 's/ $//')" 0 "apt-get update failed"
run_case update-broken broken ok 1 1 "" 0 "does not have a Release file" "apt-get update failed"
run_case qemu-backports-inconsistent "mismatch always" ok 1 5 "1 2 3 4" 0 \
    "mirror may be inconsistent" "has no candidate" "could not download qemu-user"
grep -q 'Dir::State::Lists=' "$work/qemu-backports-inconsistent.calls" || { case_name=qemu; fail "the update did not use its own lists"; exit 1; }
[ ! -e "$work/qemu-backports-inconsistent.calls.root" ] || { case_name=qemu; fail "the update of its own lists ran as root"; exit 1; }
echo "all apt cases passed"
