# shellcheck shell=bash
# PowerShell here, for real: installs PowerShell 7 (the .NET tool PowerShell,
# version 7.6.10) and Pester 5.7.1 from the NuGet registry into the project's
# cache, runs the Pester tests of the scripts in deploy/powershell
# (tests/powershell/*.Tests.ps1), then a real round of
# Invoke-SystemAssessment.ps1 over PowerShell remoting, SSH transport, to this
# machine: a private sshd on 127.0.0.1 and SystemAssessment.exe under Wine
# through binfmt_misc (tests/powershell/test_round.py), and real runs of
# Publish-SystemAssessment.ps1 as a deployment tool starts it, the program
# under Wine the same way (tests/powershell/test_publish.py). Needs the .NET
# SDK (`dotnet`).
#
# Programs built elsewhere may be given instead of being built here:
#   NIMLO_PS_EXE         SystemAssessment.exe (default: the release, dist/)
#   NIMLO_PS_LAUNCHER    HiddenStationLauncher.exe    (default: the mingw build)
#   NIMLO_PS_NEVER_ENDS  NeverEnds.exe                (default: the mingw build)
#   NIMLO_PS_SUMMARY     the native SystemAssessmentSummary (default: the native build)
PWSH_VERSION=7.6.10 # named: without a version the registry's newest is taken, and 7.7.0 does not install
PESTER_VERSION=5.7.1

command -v dotnet >/dev/null 2>&1 ||
    die "the powershell stage needs the .NET SDK (10 or later, 'dotnet' on PATH): install the package dotnet-sdk-10.0 from Microsoft's package repository for Debian 12"
dotnet_major=$(dotnet --version 2>/dev/null | cut -d. -f1)
[[ $dotnet_major =~ ^[0-9]+$ ]] && [ "$dotnet_major" -ge 10 ] ||
    die "the powershell stage needs the .NET SDK 10 or later (PowerShell $PWSH_VERSION runs on .NET 10); 'dotnet --version' says '$(dotnet --version 2>&1 | head -1)'"
DOTNET_ROOT=$(dirname "$(readlink -f "$(command -v dotnet)")")
# dotnet's own state and NuGet's downloads stay in the cache, not in the home folder.
export DOTNET_ROOT DOTNET_CLI_HOME=$CACHE_DIR/dotnet-home NUGET_PACKAGES=$CACHE_DIR/nuget-packages
export DOTNET_CLI_TELEMETRY_OPTOUT=1 DOTNET_NOLOGO=1 DOTNET_SKIP_FIRST_TIME_EXPERIENCE=1

tools=$CACHE_DIR/powershell
pwsh=$tools/pwsh
if [ "$("$pwsh" -NoLogo -NoProfile -NonInteractive -Command '$PSVersionTable.PSVersion.ToString()' 2>/dev/null)" != "$PWSH_VERSION" ]; then
    say "Installing PowerShell $PWSH_VERSION (the .NET tool) into $tools"
    rm -rf "$tools"
    dotnet tool install PowerShell --version "$PWSH_VERSION" --tool-path "$tools" >&2 ||
        die "could not install PowerShell $PWSH_VERSION from the NuGet registry"
fi

pester=$NUGET_PACKAGES/pester/$PESTER_VERSION/tools/Pester.psd1
if [ ! -f "$pester" ]; then
    say "Installing Pester $PESTER_VERSION into $NUGET_PACKAGES"
    fetch=$(mktemp -d)
    cat >"$fetch/fetch-pester.proj" <<EOF
<Project Sdk="Microsoft.NET.Sdk">
  <PropertyGroup><TargetFramework>net$dotnet_major.0</TargetFramework></PropertyGroup>
  <ItemGroup><PackageDownload Include="Pester" Version="[$PESTER_VERSION]" /></ItemGroup>
</Project>
EOF
    dotnet restore "$fetch/fetch-pester.proj" >&2 || { rm -rf "$fetch"; die "could not fetch Pester $PESTER_VERSION from the NuGet registry"; }
    rm -rf "$fetch"
    [ -f "$pester" ] || die "the Pester package holds no tools/Pester.psd1"
fi

say "Pester tests of deploy/powershell (PowerShell $PWSH_VERSION, Pester $PESTER_VERSION)"
(cd "$ROOT" && NIMLO_PESTER=$pester "$pwsh" -NoLogo -NoProfile -NonInteractive -Command '
    Import-Module $env:NIMLO_PESTER
    $configuration = New-PesterConfiguration
    $configuration.Run.Path = "tests/powershell"
    $configuration.Run.Exit = $true
    $configuration.Output.Verbosity = "Detailed"
    Invoke-Pester -Configuration $configuration') || die "the Pester tests failed"

ensure_packages "${BUILD_PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}" openssh-server openssh-client python3-jsonschema
ensure_wine
NIMLO_PS_EXE=${NIMLO_PS_EXE:-$(build_shipped_program)}
if [ -z "${NIMLO_PS_LAUNCHER:-}" ] || [ -z "${NIMLO_PS_NEVER_ENDS:-}" ]; then
    build_preset mingw --target HiddenStationLauncher NeverEnds
    NIMLO_PS_LAUNCHER=${NIMLO_PS_LAUNCHER:-$ROOT/build/mingw/tests/e2e/HiddenStationLauncher.exe}
    NIMLO_PS_NEVER_ENDS=${NIMLO_PS_NEVER_ENDS:-$ROOT/build/mingw/tests/e2e/NeverEnds.exe}
fi
if [ -z "${NIMLO_PS_SUMMARY:-}" ]; then
    build_preset native --target SystemAssessmentSummary
    NIMLO_PS_SUMMARY=$ROOT/build/native/summary/SystemAssessmentSummary
fi
make_prefix "$CACHE_DIR/wine-base-win64" win64

say "A round of Invoke-SystemAssessment.ps1 over SSH to this machine"
NIMLO_PS_PWSH=$pwsh NIMLO_PS_EXE=$NIMLO_PS_EXE NIMLO_PS_LAUNCHER=$NIMLO_PS_LAUNCHER \
    NIMLO_PS_NEVER_ENDS=$NIMLO_PS_NEVER_ENDS NIMLO_PS_SUMMARY=$NIMLO_PS_SUMMARY \
    NIMLO_PS_PREFIX_BASE=$CACHE_DIR/wine-base-win64 PYTHONDONTWRITEBYTECODE=1 \
    /usr/bin/python3 "$ROOT/tests/powershell/test_round.py" || die "the PowerShell round failed"

say "Publish-SystemAssessment.ps1 as a deployment tool runs it, the program under Wine"
NIMLO_PS_PWSH=$pwsh NIMLO_PS_EXE=$NIMLO_PS_EXE NIMLO_PS_LAUNCHER=$NIMLO_PS_LAUNCHER \
    NIMLO_PS_NEVER_ENDS=$NIMLO_PS_NEVER_ENDS NIMLO_PS_PREFIX_BASE=$CACHE_DIR/wine-base-win64 PYTHONDONTWRITEBYTECODE=1 \
    /usr/bin/python3 "$ROOT/tests/powershell/test_publish.py" || die "the runs of Publish-SystemAssessment.ps1 failed"
