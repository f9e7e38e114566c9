"""Real runs of deploy/powershell/Publish-SystemAssessment.ps1 on this
machine, as a deployment tool starts it (`pwsh -File SCRIPT ...`): the
script runs SystemAssessment.exe under Wine through binfmt_misc
(windows_programs.py) and files its outcome in a folder. Each case runs in
every output (-Output Line, Compliance and Value):

- Assessed and filed under the computer's name: the page is a report page,
  the earlier note is removed, exit status 0.
- A role the program's line says the machine falls short of, given as
  -Role: exit status 1, the page filed all the same; Value prints False.
- WMI gone (WINEDLLOVERRIDES=wbemprox=d reaching the program): the note
  says "assessment failed" with the program's reason, the earlier page is
  removed; and the same where a box can be seen (straight under Wine, no
  display), where the program writes no line on standard error: the note
  takes the reason from its result line.
- A program that never ends (NeverEnds.exe) stopped at -TimeoutSeconds:
  the line and the note say "timed out", the program is gone.
- A destination that cannot be written (a file in its folder's place): the
  line's publishError, exit status 1.

Every run prints exactly one line of ASCII and nothing on standard error,
and its run's folder is removed from the temporary folder. A line or a
compliance object is read by a strict JSON parser, validated against its
schema (docs/schema/) and has its exact keys (a compliance object is also
read by ConvertFrom-Json, as Intune reads it: each setting with its type);
Value's line is True, False or the note's line.

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
import schemas  # noqa: E402
from checklist import check, equal, status  # noqa: E402

SCRIPT = Path(__file__).resolve().parents[2] / "deploy" / "powershell" / "Publish-SystemAssessment.ps1"
BOUND = 2048
TIMEOUT = 15  # -TimeoutSeconds of the program that never ends
ROLE_OPTIONS = {"Client": "Client", "Web Server or 32-bit Application Server": "WebServer",
                "64-bit Application Server": "AppServer64"}
LINE_KEYS = ["computer", "outcome", "roles", "name", "published"]
NOTED_KEYS = ["outcome", "reason", "name", "published"]
COMPLIANCE_KEYS = ["Outcome", "Client", "WebServer", "AppServer64", "ClientFallsShortOf", "WebServerFallsShortOf",
                   "AppServer64FallsShortOf", "Published"]
# Each setting as ConvertFrom-Json reads it, as Intune does.
COMPLIANCE_TYPES = [f"{key} System.{'String' if key == 'Outcome' or key.endswith('Of') else 'Boolean'}"
                    for key in COMPLIANCE_KEYS]


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

    def publish(self, case, *arguments, dll_overrides=None, visible=False):
        """Runs the script; its line as text and its exit status."""
        env = dict(self.env)
        if dll_overrides:
            env["WINEDLLOVERRIDES"] = dll_overrides
        if visible:
            env["NIMLO_ROUND_VISIBLE"] = "1"
        started = time.monotonic()
        result = subprocess.run([str(self.pwsh), "-NoLogo", "-NoProfile", "-NonInteractive", "-File", str(SCRIPT),
                                 *map(str, arguments)], stdin=subprocess.DEVNULL, capture_output=True, env=env,
                                timeout=LAUNCHER_LIMIT + 60)
        print(f"{case}: {time.monotonic() - started:.1f} s, exit status {result.returncode}", flush=True)
        out = result.stdout.decode("ascii", errors="replace")
        print(f"    {out.rstrip()}")
        equal(result.stderr.decode(errors="replace"), "", f"{case}: nothing on standard error")
        check(re.fullmatch(rb"[\x20-\x7E]+\r?\n", result.stdout) is not None, f"{case}: one line of ASCII")
        left = sorted(p.name for p in self.temp.iterdir() if p.name.startswith("dravik-assessment-"))
        equal(left, [], f"{case}: the run's folder is removed")
        return out.rstrip("\r\n"), result.returncode

    def document(self, case, schema, keys, *arguments, **options):
        """Runs the script; its line read strictly and checked against its
        schema and keys ({} when it is none), and its exit status."""
        line, code = self.publish(case, *arguments, **options)
        if schema == "publisher-line":
            check(len(line) <= BOUND, f"{case}: the line is within {BOUND} characters ({len(line)})")
        try:
            parsed = strict_json(line)
        except ValueError as error:
            check(False, f"{case}: a strict JSON parser reads the line: {error}")
            return {}, code
        equal(schemas.problems(schema, parsed, keys), [], f"{case}: the {schema} schema and the keys {keys}")
        if schema == "compliance":
            equal(self.read_by_powershell(line), COMPLIANCE_TYPES, f"{case}: ConvertFrom-Json reads each setting's type")
        return parsed, code

    def read_by_powershell(self, line):
        """Each property's name and type as ConvertFrom-Json reads the line."""
        command = ("$input | ConvertFrom-Json | ForEach-Object { $_.PSObject.Properties } | "
                   "ForEach-Object { $_.Name + ' ' + $_.TypeNameOfValue }")
        result = subprocess.run([str(self.pwsh), "-NoLogo", "-NoProfile", "-NonInteractive", "-Command", command],
                                input=line + "\n", capture_output=True, text=True, env=self.env, timeout=120)
        return result.stdout.splitlines()

    def every_output(self, case, keys, role, *arguments, **options):
        """The line (keys), the compliance object and the value for `role`
        of one case: each parsed or as text, with its exit status."""
        line = self.document(case, "publisher-line", keys, *arguments, **options)
        compliance = self.document(f"{case}, Compliance", "compliance", COMPLIANCE_KEYS, *arguments,
                                   "-Output", "Compliance", **options)
        role_argument = () if "-Role" in arguments else ("-Role", role)
        value = self.publish(f"{case}, Value", *arguments, *role_argument, "-Output", "Value", **options)
        return line, compliance, value


def expected_compliance(line, published=True):
    """The compliance object of a computer assessed, from its line's roles."""
    verdicts = {ROLE_OPTIONS[role["role"]]: role for role in line.get("roles", [])}
    expected = {"Outcome": "assessed"}
    for key in ROLE_OPTIONS.values():
        expected[key] = verdicts.get(key, {}).get("passed")
    for key in ROLE_OPTIONS.values():
        role = verdicts.get(key, {})
        expected[key + "FallsShortOf"] = "none" if role.get("passed") else ", ".join(role.get("failed", []))
    expected["Published"] = published
    return expected


def not_assessed(note, published=True):
    """The compliance object of a computer not assessed, with its note's line."""
    return {"Outcome": note, "Client": False, "WebServer": False, "AppServer64": False, "ClientFallsShortOf": note,
            "WebServerFallsShortOf": note, "AppServer64FallsShortOf": note, "Published": published}


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

    (line, code), (compliance, compliance_code), value = publisher.every_output(
        "assessed", LINE_KEYS, "Client", "-ProgramPath", exe, "-Destination", reports)
    equal((line.get("outcome"), line.get("name"), line.get("published")), ("assessed", computer, True),
          "assessed: outcome, name, published")
    equal(len(line.get("roles", [])), 3, "assessed: the program's roles are in the line")
    equal(code, 0, "assessed: exit status")
    check(is_report(reports / f"{computer}.html"), "assessed: the page is a report page")
    check(note_of(reports, computer) is None, "assessed: the earlier note is removed")
    equal((compliance, compliance_code), (expected_compliance(line), 0), "assessed: the compliance object, exit 0")
    client = next((role["passed"] for role in line.get("roles", []) if role["role"] == "Client"), None)
    equal(value, (str(client), 0), "assessed: the Client's value, exit 0")

    failing = [role["role"] for role in line.get("roles", []) if not role["passed"]]
    if check(failing, "assessed: Wine's machine falls short of a role"):
        role = ROLE_OPTIONS[failing[0]]
        (line, code), (compliance, compliance_code), value = publisher.every_output(
            "a role failed", LINE_KEYS, role, "-ProgramPath", exe, "-Destination", reports, "-Name", "role-host",
            "-Role", role)
        equal((line.get("outcome"), line.get("published"), code), ("assessed", True, 1),
              f"-Role {role}: assessed and filed, exit status 1")
        check(is_report(reports / "role-host.html"), "a role failed: the page is filed all the same")
        equal((compliance.get(role), compliance.get(role + "FallsShortOf"), compliance_code),
              (False, expected_compliance(line)[role + "FallsShortOf"], 0), "a role failed: in the compliance object")
        equal(value, ("False", 0), "a role failed: the value False, exit 0")

    for case, visible in (("WMI gone", False), ("WMI gone where a box can be seen", True)):
        (reports / "no-wmi.html").write_text("<!DOCTYPE html><title>earlier</title></html>")
        (line, code), (compliance, compliance_code), value = publisher.every_output(
            case, NOTED_KEYS, "Client", "-ProgramPath", exe, "-Destination", reports,
            "-Name", "no-wmi", dll_overrides="wbemprox=d", visible=visible)
        equal((line.get("outcome"), line.get("published"), code), ("assessment failed", True, 1),
              f"{case}: outcome, published, exit status")
        reason = line.get("reason", "")
        check("WMI" in reason, f"{case}: the reason names WMI ({reason!r})")
        # Unattended the program says why on standard error, caption first;
        # where a box can be seen only its result line does.
        said = reason if visible else f"System Assessment: {reason}"
        note = f"assessment failed: exit status 1: {said}"
        equal(note_of(reports, "no-wmi"), note + "\n", f"{case}: the note holds the program's reason")
        check(not (reports / "no-wmi.html").exists(), f"{case}: the earlier page is removed")
        equal((compliance, compliance_code), (not_assessed(note), 0), f"{case}: the compliance object, exit 0")
        equal(value, (note, 1), f"{case}: the value is the note's line, exit 1")

    (line, code), (compliance, compliance_code), value = publisher.every_output(
        "never ends", NOTED_KEYS, "Client", "-ProgramPath", never_ends, "-Destination", reports, "-Name", "stuck",
        "-TimeoutSeconds", TIMEOUT)
    equal(line, {"outcome": "timed out", "reason": f"after {TIMEOUT} s", "name": "stuck", "published": True},
          "never ends: the line")
    equal(code, 1, "never ends: exit status")
    note = f"timed out: after {TIMEOUT} s"
    equal(note_of(reports, "stuck"), note + "\n", "never ends: the note")
    equal((compliance, compliance_code), (not_assessed(note), 0), "never ends: the compliance object, exit 0")
    equal(value, (note, 1), "never ends: the value is the note's line, exit 1")
    program = lambda: processes_running(publisher.work.name, "NeverEnds.exe")
    check(wait_until(lambda: not program(), 30), f"never ends: the program is stopped ({program()})")

    blocked = publisher.work / "blocked"
    blocked.write_text("a file where the folder should be")
    line, code = publisher.document("cannot be written", "publisher-line",
                                    ["computer", "outcome", "roles", "name", "publishError"],
                                    "-ProgramPath", exe, "-Destination", blocked, "-Name", "blocked-host")
    check(line.get("publishError", "").startswith(f"could not write {blocked}/"),
          f"cannot be written: the line's publishError ({line.get('publishError')!r})")
    equal(code, 1, "cannot be written: exit status")
    compliance, compliance_code = publisher.document("cannot be written, Compliance", "compliance", COMPLIANCE_KEYS,
                                                     "-ProgramPath", exe, "-Destination", blocked,
                                                     "-Name", "blocked-host", "-Output", "Compliance")
    equal((compliance.get("Outcome"), compliance.get("Published"), compliance_code), ("assessed", False, 0),
          "cannot be written: assessed, not published, exit 0")


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
