"""Real runs of deploy/powershell/Publish-SystemAssessment.ps1 on this
machine, as a deployment tool starts it (`pwsh -File SCRIPT ...`): the
script runs SystemAssessment.exe under Wine through binfmt_misc
(windows_programs.py) and files its outcome in a folder.

- Assessed and filed under the computer's name: the page is a report page,
  the earlier note is removed, exit status 0.
- A role the program's line says the machine falls short of, given as
  -Role: exit status 1, the page filed all the same.
- WMI gone (WINEDLLOVERRIDES=wbemprox=d reaching the program): the note
  says "assessment failed" with the program's reason, the earlier page is
  removed.
- A program that never ends (NeverEnds.exe) stopped at -TimeoutSeconds:
  the line and the note say "timed out", the program is gone.
- A destination that cannot be written (a file in its folder's place): the
  line's publishError, exit status 1.

Every run prints exactly one line, which a strict JSON parser reads and
which is ASCII within 2,048 characters, and nothing on standard error; the
run's folder is removed from the temporary folder.

Needs root (binfmt_misc); without it, or without binfmt_misc, skipped with
the reason.

Environment (scripts/stages/powershell.sh sets it): NIMLO_PS_PWSH,
NIMLO_PS_EXE, NIMLO_PS_LAUNCHER, NIMLO_PS_NEVER_ENDS, NIMLO_PS_PREFIX_BASE,
as test_round.py.

usage: test_publish.py
"""

import json
import os
import re
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
from pathlib import Path

from windows_programs import (LAUNCHER_LIMIT, Unavailable, WindowsPrograms, check_mount_points, env_path,
                              processes_running, wait_until)

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tools"))
from checklist import check, equal, status  # noqa: E402

SCRIPT = Path(__file__).resolve().parents[2] / "deploy" / "powershell" / "Publish-SystemAssessment.ps1"
BOUND = 2048
TIMEOUT = 15  # -TimeoutSeconds of the program that never ends


def skip(why):
    print(f"SKIPPED: the deployment tools' script under Wine: {why}", flush=True)
    sys.exit(0)


def strict_json(line):
    """The line as RFC 8259 reads it: no NaN or Infinity, no key twice."""
    def refuse(constant):
        raise ValueError(f"{constant} is no JSON")

    def unique(pairs):
        keys = [key for key, _ in pairs]
        if len(keys) != len(set(keys)):
            raise ValueError(f"a key twice in {keys}")
        return dict(pairs)
    return json.loads(line, parse_constant=refuse, object_pairs_hook=unique)


class Publisher:
    def __init__(self, work, programs):
        self.work = work
        self.pwsh = env_path("NIMLO_PS_PWSH")
        self.temp = work / "temp"  # the script's [IO.Path]::GetTempPath()
        self.temp.mkdir()
        self.env = dict(os.environ, TMPDIR=f"{self.temp}/", **programs.environment())

    def publish(self, case, *arguments, dll_overrides=None):
        """Runs the script; its line parsed ({} when it is none) and its exit status."""
        env = dict(self.env)
        if dll_overrides:
            env["WINEDLLOVERRIDES"] = dll_overrides
        started = time.monotonic()
        result = subprocess.run([str(self.pwsh), "-NoLogo", "-NoProfile", "-NonInteractive", "-File", str(SCRIPT),
                                 *map(str, arguments)], stdin=subprocess.DEVNULL, capture_output=True, env=env,
                                timeout=LAUNCHER_LIMIT + 60)
        print(f"{case}: {time.monotonic() - started:.1f} s, exit status {result.returncode}", flush=True)
        out = result.stdout.decode("ascii", errors="replace")
        print(f"    {out.rstrip()}")
        equal(result.stderr.decode(errors="replace"), "", f"{case}: nothing on standard error")
        check(re.fullmatch(rb"[\x20-\x7E]+\r?\n", result.stdout) is not None, f"{case}: one line of ASCII")
        line = out.rstrip("\r\n")
        check(len(line) <= BOUND, f"{case}: the line is within {BOUND} characters ({len(line)})")
        try:
            parsed = strict_json(line)
        except ValueError as error:
            check(False, f"{case}: a strict JSON parser reads the line: {error}")
            parsed = {}
        left = sorted(p.name for p in self.temp.iterdir() if p.name.startswith("dravik-assessment-"))
        equal(left, [], f"{case}: the run's folder is removed")
        return parsed, result.returncode


def note_of(folder, name):
    path = folder / f"{name}.not-assessed.txt"
    return path.read_bytes().decode("utf-8") if path.is_file() else None


def is_report(path):
    data = path.read_bytes() if path.is_file() else b""
    return data.startswith(b"<!DOCTYPE html>") and data.endswith(b"</html>") and b"System Assessment" in data


def run_cases(publisher, exe, never_ends):
    reports = publisher.work / "reports"
    reports.mkdir()
    computer = socket.gethostname().split(".")[0]
    (reports / f"{computer}.not-assessed.txt").write_text("timed out: after 300 s\n")

    line, code = publisher.publish("assessed", "-ProgramPath", exe, "-Destination", reports)
    equal((line.get("outcome"), line.get("name"), line.get("published")), ("assessed", computer, True),
          "assessed: outcome, name, published")
    equal(len(line.get("roles", [])), 3, "assessed: the program's roles are in the line")
    equal(code, 0, "assessed: exit status")
    check(is_report(reports / f"{computer}.html"), "assessed: the page is a report page")
    check(note_of(reports, computer) is None, "assessed: the earlier note is removed")

    failing = [role["role"] for role in line.get("roles", []) if not role["passed"]]
    names = {"Client": "Client", "Web Server or 32-bit Application Server": "WebServer",
             "64-bit Application Server": "AppServer64"}
    if check(failing, "assessed: Wine's machine falls short of a role"):
        line, code = publisher.publish("a role failed", "-ProgramPath", exe, "-Destination", reports,
                                       "-Name", "role-host", "-Role", names[failing[0]])
        equal((line.get("outcome"), line.get("published"), code), ("assessed", True, 1),
              f"-Role {names[failing[0]]}: assessed and filed, exit status 1")
        check(is_report(reports / "role-host.html"), "a role failed: the page is filed all the same")

    (reports / "no-wmi.html").write_text("<!DOCTYPE html><title>earlier</title></html>")
    line, code = publisher.publish("WMI gone", "-ProgramPath", exe, "-Destination", reports, "-Name", "no-wmi",
                                   dll_overrides="wbemprox=d")
    equal((line.get("outcome"), line.get("published"), code), ("assessment failed", True, 1),
          "WMI gone: outcome, published, exit status")
    check("WMI" in line.get("reason", ""), f"WMI gone: the reason names WMI ({line.get('reason')!r})")
    equal(note_of(reports, "no-wmi"), f"assessment failed: exit status 1: System Assessment: {line.get('reason')}\n",
          "WMI gone: the note is the program's line on standard error")
    check(not (reports / "no-wmi.html").exists(), "WMI gone: the earlier page is removed")

    line, code = publisher.publish("never ends", "-ProgramPath", never_ends, "-Destination", reports,
                                   "-Name", "stuck", "-TimeoutSeconds", TIMEOUT)
    equal(line, {"outcome": "timed out", "reason": f"after {TIMEOUT} s", "name": "stuck", "published": True},
          "never ends: the line")
    equal(code, 1, "never ends: exit status")
    equal(note_of(reports, "stuck"), f"timed out: after {TIMEOUT} s\n", "never ends: the note")
    program = lambda: processes_running(publisher.work.name, "NeverEnds.exe")
    check(wait_until(lambda: not program(), 30), f"never ends: the program is stopped ({program()})")

    blocked = publisher.work / "blocked"
    blocked.write_text("a file where the folder should be")
    line, code = publisher.publish("cannot be written", "-ProgramPath", exe, "-Destination", blocked,
                                   "-Name", "blocked-host")
    check("published" not in line and line.get("publishError", "").startswith(f"could not write {blocked}/"),
          f"cannot be written: the line's publishError ({line.get('publishError')!r})")
    equal(code, 1, "cannot be written: exit status")


def main():
    if os.geteuid() != 0:
        skip("it needs root, for binfmt_misc")
    check_mount_points()
    exe, never_ends = env_path("NIMLO_PS_EXE"), env_path("NIMLO_PS_NEVER_ENDS")
    work = Path(tempfile.mkdtemp(prefix="nimlo-ps-publish-"))
    signal.signal(signal.SIGTERM, lambda *_: sys.exit("stopped"))
    signal.signal(signal.SIGHUP, lambda *_: sys.exit("stopped"))
    programs = WindowsPrograms(work, "publish", env_path("NIMLO_PS_PREFIX_BASE"), env_path("NIMLO_PS_LAUNCHER"))
    try:
        try:
            programs.start()
        except Unavailable as why:
            skip(why)
        run_cases(Publisher(work, programs), exe, never_ends)
    finally:
        programs.stop()
        shutil.rmtree(work, ignore_errors=True)
    if status() != 0:
        return 1
    print("the deployment tools' script passed under Wine")
    return 0


if __name__ == "__main__":
    if len(sys.argv) != 1:
        sys.exit(__doc__)
    sys.exit(main())
