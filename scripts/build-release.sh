#!/usr/bin/env bash
# Builds the release: dist/SystemAssessment.exe, exactly the bytes the
# end-to-end tests run, dist/SystemAssessmentSummary.exe (the fleet summary for
# Windows), dist/Invoke-SystemAssessment.ps1 (the PowerShell collector),
# dist/Publish-SystemAssessment.ps1 (the script for deployment tools) and
# dist/SHA256SUMS. Installs what a fresh Debian machine lacks.
#
#   scripts/build-release.sh
#
# The build is reproducible: the same commit gives the same bytes wherever it
# is cloned. The PE timestamp is SOURCE_DATE_EPOCH when that is set, else the
# time of the last commit, else 0; no build path or host name gets in.
#
# Signing (Authenticode, SHA-256, with osslsigncode) happens when a
# certificate is given:
#   RELEASE_SIGN_PFX             a PKCS#12 file with the code-signing key
#   RELEASE_SIGN_PASSWORD        its password
#   RELEASE_SIGN_TIMESTAMP_URL   an RFC 3161 time-stamping server (optional)
# The unsigned builds are then kept in dist/unsigned/, and SHA256SUMS names
# the signed and the unsigned files. osslsigncode signs PowerShell scripts
# from version 2.8 on (Debian 12's own is 2.5, bookworm-backports has 2.9);
# an older one leaves the scripts unsigned, and the release says so.
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
source "$ROOT/scripts/lib/build.sh"

signing=no
if [ -n "${RELEASE_SIGN_PFX:-}" ]; then
    [ -f "$RELEASE_SIGN_PFX" ] || die "RELEASE_SIGN_PFX names no file: $RELEASE_SIGN_PFX"
    [ -n "${RELEASE_SIGN_PASSWORD+set}" ] || die "RELEASE_SIGN_PFX is set but RELEASE_SIGN_PASSWORD is not"
    signing=yes
fi

packages=("${BUILD_PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}")
[ "$signing" = yes ] && packages+=(osslsigncode)
ensure_packages "${packages[@]}"

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    SOURCE_DATE_EPOCH=$(git -C "$ROOT" log -1 --format=%ct 2>/dev/null || true)
    SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-0}
fi
[[ $SOURCE_DATE_EPOCH =~ ^[0-9]+$ ]] || die "SOURCE_DATE_EPOCH must be whole seconds since 1970, not '$SOURCE_DATE_EPOCH'"
# ld writes SOURCE_DATE_EPOCH as the PE timestamp; the rest keeps the tools
# from picking up anything of this machine's.
export SOURCE_DATE_EPOCH TZ=UTC LC_ALL=C
umask 022

mapfile -t programs < <(build_release_programs)
[ ${#programs[@]} -eq 2 ] || die "the release build did not make both programs"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$ROOT/build/release/CMakeCache.txt")

dist=$ROOT/dist
rm -rf "$dist"
mkdir -p "$dist"
names=()
for program in "${programs[@]}"; do
    name=$(basename "$program")
    names+=("$name")
    if [ "$signing" = yes ]; then
        mkdir -p "$dist/unsigned"
        cp "$program" "$dist/unsigned/$name"
        sign=(osslsigncode sign -pkcs12 "$RELEASE_SIGN_PFX" -pass "$RELEASE_SIGN_PASSWORD" -h sha256
            -n "Dravik System Assessment")
        [ -n "${RELEASE_SIGN_TIMESTAMP_URL:-}" ] && sign+=(-ts "$RELEASE_SIGN_TIMESTAMP_URL")
        "${sign[@]}" -in "$program" -out "$dist/$name" >/dev/null || die "osslsigncode could not sign $name"
        chmod 0755 "$dist/$name"
    else
        cp "$program" "$dist/$name"
    fi
done
signed=("${names[@]}")

# The PowerShell scripts, beside the program they run: the remote collector
# and the script for deployment tools.
scripts=("$ROOT/deploy/powershell/Invoke-SystemAssessment.ps1" "$ROOT/deploy/powershell/Publish-SystemAssessment.ps1")
script_names=()
script_note=
sign_scripts=no
if [ "$signing" = yes ]; then
    ossl_version=$(osslsigncode --version 2>&1 | sed -n '1s/^osslsigncode \([0-9]*\)\.\([0-9]*\).*/\1 \2/p')
    read -r ossl_major ossl_minor <<<"${ossl_version:-0 0}"
    if [ "$ossl_major" -gt 2 ] || { [ "$ossl_major" -eq 2 ] && [ "$ossl_minor" -ge 8 ]; }; then
        sign_scripts=yes
    fi
fi
for script in "${scripts[@]}"; do
    script_name=$(basename "$script")
    names+=("$script_name")
    script_names+=("$script_name")
    if [ "$sign_scripts" = yes ]; then
        "${sign[@]}" -in "$script" -out "$dist/$script_name" >/dev/null || die "osslsigncode could not sign $script_name"
        cp "$script" "$dist/unsigned/$script_name"
        signed+=("$script_name")
    else
        cp "$script" "$dist/$script_name"
    fi
    chmod 0644 "$dist/$script_name"
done
if [ "$signing" = yes ] && [ "$sign_scripts" = no ]; then
    script_note="osslsigncode ${ossl_major}.${ossl_minor} cannot sign a PowerShell script (2.8 and later can): ${script_names[*]} are unsigned."
fi

if [ "$signing" = yes ]; then
    (cd "$dist" && sha256sum "${names[@]}" "${signed[@]/#/unsigned/}" >SHA256SUMS)
else
    (cd "$dist" && sha256sum "${names[@]}" >SHA256SUMS)
fi

say "Release $version: $dist/SystemAssessment.exe ($(stat -c %s "$dist/SystemAssessment.exe") bytes), $dist/SystemAssessmentSummary.exe, ${script_names[*]/#/$dist/}"
sed 's/^/    /' "$dist/SHA256SUMS" >&2
if [ "$signing" = yes ]; then
    echo "Signed with the certificate in $RELEASE_SIGN_PFX${RELEASE_SIGN_TIMESTAMP_URL:+, time-stamped by $RELEASE_SIGN_TIMESTAMP_URL}." >&2
    [ -z "$script_note" ] || echo "$script_note" >&2
else
    echo "Unsigned: set RELEASE_SIGN_PFX and RELEASE_SIGN_PASSWORD to sign it." >&2
fi
