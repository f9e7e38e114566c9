"""Windows programs started like any other on this machine, for the
PowerShell tests (test_round.py, test_publish.py).

A binfmt_misc entry of the test's own name (removed when the test ends)
matches "MZ" files and hands them to an interpreter that starts them under
Wine, in a copy of the base prefix, through HiddenStationLauncher.exe on a
window station nobody sees, as a remote shell or a deployment tool running
as SYSTEM would (with NIMLO_ROUND_VISIBLE set in the caller's environment,
straight under Wine with no display, as where a box can be seen); what the
program prints on standard output and error reaches the caller. The
interpreter takes its settings from the caller's environment
(`environment()`): started without them (any other process on the machine,
another test's entry), it runs the file with plain Wine.
Registering needs root and binfmt_misc; `Unavailable` says why not.
"""

import os
import re
import subprocess
import sys
import tempfile
import time
from pathlib import Path

WINE = "/usr/lib/wine/wine"
WINESERVER = "/usr/bin/wineserver"
BINFMT = Path("/proc/sys/fs/binfmt_misc")
ENTRY_PREFIX = "nimlo-pwsh-"
LAUNCHER_LIMIT = 240  # seconds the launcher gives a program: above every timeout of the tests


class Unavailable(Exception):
    """binfmt_misc cannot be had here; the message says why."""


def env_path(name):
    value = os.environ.get(name)
    if not value or not Path(value).exists():
        sys.exit(f"{name} names no file ({value!r}); scripts/stages/powershell.sh sets it")
    return Path(value).resolve()


def write_executable(path, text):
    path.write_text(text)
    path.chmod(0o755)


def sh_word(text):
    """A word for sh."""
    return "'" + str(text).replace("'", "'\\''") + "'"


class WindowsPrograms:
    """The binfmt_misc entry, its interpreter and the Wine prefix, under `work`."""

    def __init__(self, work, purpose, base_prefix, launcher):
        self.work = work
        self.entry = f"{ENTRY_PREFIX}{purpose}-{os.getpid()}"
        self.base_prefix = base_prefix
        self.launcher = launcher
        self.prefix = work / "prefix"
        self.scratch = work / "scratch"
        self.interpreter = work / "run-windows-program"
        self.registered = False

    def start(self):
        self.scratch.mkdir()
        subprocess.run(["cp", "-a", str(self.base_prefix), str(self.prefix)], check=True)
        self.write_interpreter()
        self.register()

    def environment(self):
        """What the interpreter needs from the program's caller."""
        return {"NIMLO_ROUND_PREFIX": str(self.prefix), "NIMLO_ROUND_LAUNCHER": str(self.launcher),
                "NIMLO_ROUND_SCRATCH": str(self.scratch), "NIMLO_ROUND_WINE_TEMP": tempfile.gettempdir()}

    def write_interpreter(self):
        """What binfmt_misc runs for an "MZ" file: $1 the file, then its arguments."""
        write_executable(self.interpreter, f"""#!/bin/bash
# Started by binfmt_misc for a Windows program. Without the test's settings
# it is plain Wine.
[ -n "${{NIMLO_ROUND_PREFIX:-}}" ] || exec {WINE} "$@"
program=$(realpath -- "$1")
shift
# Wine keeps its server's folder in the temporary folder of the test, where
# the test finds the server to end it, not in the caller's.
export WINEPREFIX=$NIMLO_ROUND_PREFIX WINEDEBUG=-all TMPDIR=$NIMLO_ROUND_WINE_TEMP
unset DISPLAY WAYLAND_DISPLAY
# Wine's helper processes outlive the program and keep the descriptors they
# were started with: they get a file, and only this shell holds the caller's
# pipes. When this shell ends, however it ends (killed at a time limit), the
# prefix's processes end with it, the program's children included.
# (A shell that ended but was not reaped, its parent gone, counts as ended.)
output=$(mktemp -p "$NIMLO_ROUND_SCRATCH")
errors=$(mktemp -p "$NIMLO_ROUND_SCRATCH")
shell=$$
running() {{ grep -q '^State:[[:space:]]*[^Z[:space:]]' "/proc/$1/status" 2>/dev/null; }}
( (while running "$shell"; do sleep 0.5; done; {WINESERVER} -k) </dev/null >/dev/null 2>&1 & )
if [ -n "${{NIMLO_ROUND_VISIBLE:-}}" ]; then
    # On the window station of a user, as a program started where a box
    # can be seen: with no display there, a box returns at once.
    {WINE} "$program" "$@" </dev/null >"$output" 2>"$errors"
else
    {WINE} "$NIMLO_ROUND_LAUNCHER" {LAUNCHER_LIMIT} "Z:${{program//\\//\\\\}}" "$@" </dev/null >"$output" 2>"$errors"
fi
status=$?
cat -- "$output"
cat -- "$errors" >&2
rm -f -- "$output" "$errors"
exit "$status"
""")

    def register(self):
        if not os.path.ismount(BINFMT):
            result = subprocess.run(["mount", "-t", "binfmt_misc", "binfmt_misc", str(BINFMT)], capture_output=True,
                                    text=True)
            if result.returncode != 0:
                raise Unavailable(f"binfmt_misc is not mounted at {BINFMT} and cannot be: {result.stderr.strip()}")
        # An entry of an earlier test that was killed, whose interpreter is gone, would fail every MZ file.
        for stale in BINFMT.glob(f"{ENTRY_PREFIX}*"):
            interpreter = re.search(r"^interpreter (.*)$", stale.read_text(), re.M)
            if interpreter and not Path(interpreter.group(1)).exists():
                stale.write_text("-1")
        try:
            (BINFMT / "register").write_text(f":{self.entry}:M::MZ::{self.interpreter}:")
        except OSError as error:
            raise Unavailable(f"cannot register a binfmt_misc entry: {error}") from error
        self.registered = True

    def stop(self):
        if self.registered and (BINFMT / self.entry).exists():
            (BINFMT / self.entry).write_text("-1")
        self.registered = False
        if self.prefix.exists():
            env = dict(os.environ, WINEPREFIX=str(self.prefix))
            subprocess.run([WINESERVER, "-k"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            subprocess.run([WINESERVER, "-w"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                           timeout=60)


def processes_running(*fragments):
    """Pids of the processes whose command line holds every fragment (a
    Windows program's shows its Windows path)."""
    found = []
    for entry in Path("/proc").iterdir():
        if entry.name.isdigit():
            try:
                line = (entry / "cmdline").read_bytes().replace(b"\0", b" ").decode(errors="replace")
            except OSError:
                continue
            if all(fragment in line for fragment in fragments):
                found.append(int(entry.name))
    return found


def wait_until(condition, seconds):
    deadline = time.monotonic() + seconds
    while not condition() and time.monotonic() < deadline:
        time.sleep(0.5)
    return condition()


def silent_mount_points(seconds=5):
    """Mount points that do not answer a stat (a FUSE file system whose server
    hangs): Wine stats every mount point to find a drive's volume, so each of
    its disk queries would wait on them."""
    with open("/proc/self/mounts") as mounts:
        points = [line.split()[1].replace("\\040", " ") for line in mounts]
    probes = [(point, subprocess.Popen(["stat", "--", point], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                       stderr=subprocess.DEVNULL)) for point in points]
    deadline = time.monotonic() + seconds
    silent = []
    for point, probe in probes:
        try:
            probe.wait(timeout=max(0.1, deadline - time.monotonic()))
        except subprocess.TimeoutExpired:
            probe.kill()
            silent.append(point)
    return silent


def check_mount_points():
    """Ends the test when a mount point does not answer."""
    silent = silent_mount_points()
    if silent:
        sys.exit(f"these mount points do not answer: {', '.join(silent)}; Wine's disk queries would wait on them "
                 "(every Wine program's Win32_LogicalDisk stats each mount point): unmount them first")
