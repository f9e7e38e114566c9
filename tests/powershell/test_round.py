"""A real round of deploy/powershell/Invoke-SystemAssessment.ps1 over
PowerShell remoting, SSH transport, to this machine.

- A private sshd on 127.0.0.1 (a free port, its own configuration, host key,
  known_hosts and authorized key; root logs on with the key) whose
  `Subsystem powershell` is PowerShell 7 with DOTNET_ROOT and the round's
  settings. The client is given the test's key and known_hosts, so the
  user's own ~/.ssh is neither used nor changed.
- Windows programs run through binfmt_misc (windows_programs.py): under
  Wine, in a copy of the base prefix, through HiddenStationLauncher.exe on a
  window station nobody sees, as WinRM would; the sessions' PowerShell has
  the settings its interpreter needs.
- Round 1: 127.0.0.1 is assessed (its report reads as a report, its
  object's verdicts of the three roles are its page's, its earlier note is
  removed) and nohost.invalid cannot be reached (its note gives ssh's words,
  its object has no verdicts, its earlier report is removed).
- Round 2: localhost (the same machine under another name) runs a program
  that never ends and is cut by -TimeoutSeconds: its note says after how
  long, the program is stopped and the host's temporary folder is empty.
- WinRM, which this PowerShell has no client for: refused at once, with
  the reason on standard error, before any file is written.
- SystemAssessmentSummary over the folder reads the report and shows each
  host not assessed with its reason under its group, in the overview,
  --machines and not-assessed.txt, and ends with 2.

The round needs root (binfmt_misc, sshd); without it, or without
binfmt_misc, it is skipped with the reason.

Environment (scripts/stages/powershell.sh sets it):
  NIMLO_PS_PWSH         pwsh (PowerShell 7)
  NIMLO_PS_EXE          SystemAssessment.exe
  NIMLO_PS_LAUNCHER     HiddenStationLauncher.exe
  NIMLO_PS_NEVER_ENDS   NeverEnds.exe
  NIMLO_PS_SUMMARY      the native SystemAssessmentSummary
  NIMLO_PS_PREFIX_BASE  a Wine prefix to copy (64-bit)

usage: test_round.py
"""

import csv
import html
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
                              processes_running, sh_word, wait_until, write_executable)

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tools"))
from checklist import check, equal, status  # noqa: E402

ROOT = Path(__file__).resolve().parents[2]
SCRIPT = ROOT / "deploy" / "powershell" / "Invoke-SystemAssessment.ps1"
TIMEOUT = 15  # -TimeoutSeconds of the round whose program never ends
ROUND_LIMIT = 600  # seconds one round may take at all


def skip(why):
    print(f"SKIPPED: the PowerShell round over SSH: {why}", flush=True)
    sys.exit(0)


def ps_quote(text):
    return "'" + str(text).replace("'", "''") + "'"


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Round:
    """The machine as the round's hosts: sshd, and Windows programs through binfmt_misc."""

    def __init__(self, work):
        self.work = work
        self.pwsh = env_path("NIMLO_PS_PWSH")
        self.host_temp = work / "host-temp"  # the hosts' [IO.Path]::GetTempPath()
        self.reports = work / "reports"
        self.programs = WindowsPrograms(work, "round", env_path("NIMLO_PS_PREFIX_BASE"), env_path("NIMLO_PS_LAUNCHER"))
        self.sshd = None
        for folder in (self.host_temp, self.reports):
            folder.mkdir()

    def start(self):
        try:
            self.programs.start()
        except Unavailable as why:
            skip(why)
        self.start_sshd()

    def start_sshd(self):
        ssh_dir = self.work / "ssh"
        ssh_dir.mkdir()
        self.host_key = ssh_dir / "host_key"
        self.client_key = ssh_dir / "client_key"
        for key in (self.host_key, self.client_key):
            subprocess.run(["ssh-keygen", "-q", "-t", "ed25519", "-N", "", "-C", "nimlo-round", "-f", str(key)],
                           check=True)
        shutil.copy(f"{self.client_key}.pub", ssh_dir / "authorized_keys")
        dotnet = shutil.which("dotnet")
        dotnet_root = os.environ.get("DOTNET_ROOT") or (str(Path(dotnet).resolve().parent) if dotnet else "")
        subsystem = ssh_dir / "powershell-subsystem"
        settings = "".join(f"export {name}={sh_word(value)}\n" for name, value in self.programs.environment().items())
        write_executable(subsystem, f"""#!/bin/sh
export DOTNET_ROOT={sh_word(dotnet_root)} TMPDIR={sh_word(self.host_temp)}/
{settings}exec {sh_word(self.pwsh)} -sshs -NoLogo -NoProfile
""")
        Path("/run/sshd").mkdir(mode=0o755, exist_ok=True)  # sshd's privilege separation folder
        for attempt in range(3):
            self.port = free_port()
            config = ssh_dir / "sshd_config"
            config.write_text(f"""Port {self.port}
ListenAddress 127.0.0.1
HostKey {self.host_key}
PidFile {ssh_dir}/sshd.pid
AuthorizedKeysFile {ssh_dir}/authorized_keys
PubkeyAuthentication yes
PasswordAuthentication no
KbdInteractiveAuthentication no
PermitRootLogin prohibit-password
UsePAM no
StrictModes no
Subsystem powershell {subsystem}
""")
            self.sshd_log = open(ssh_dir / "sshd.log", "w")
            self.sshd = subprocess.Popen(["/usr/sbin/sshd", "-D", "-e", "-f", str(config)], stdin=subprocess.DEVNULL,
                                         stdout=self.sshd_log, stderr=subprocess.STDOUT)
            deadline = time.monotonic() + 15
            while time.monotonic() < deadline and self.sshd.poll() is None:
                try:
                    socket.create_connection(("127.0.0.1", self.port), timeout=1).close()
                    break
                except OSError:
                    time.sleep(0.2)
            if self.sshd.poll() is None:
                break
            self.sshd_log.close()
        else:
            sys.exit("sshd did not start:\n" + (ssh_dir / "sshd.log").read_text())
        host_key = " ".join(Path(f"{self.host_key}.pub").read_text().split()[:2])
        self.known_hosts = ssh_dir / "known_hosts"
        self.known_hosts.write_text(f"[127.0.0.1]:{self.port},[localhost]:{self.port} {host_key}\n")

    def stop(self):
        if self.sshd is not None and self.sshd.poll() is None:
            self.sshd.terminate()
            try:
                self.sshd.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.sshd.kill()
        self.programs.stop()

    def left_on_host(self):
        """What is in the hosts' temporary folder, but the files the .NET
        runtime of a session's PowerShell keeps there while it runs."""
        return sorted(p.name for p in self.host_temp.iterdir()
                      if not re.match(r"(clr-debug-pipe|dotnet-diagnostic)-\d+-", p.name))

    def assess(self, name, hosts, program, timeout):
        """Runs the script over `hosts` (from a file, through the pipeline);
        the rows of its objects as Export-Csv wrote them, and its messages."""
        computers = self.work / f"{name}-computers.txt"
        computers.write_text("".join(h + "\n" for h in hosts))
        rows_file = self.work / f"{name}.csv"
        options = {"UserKnownHostsFile": self.known_hosts, "GlobalKnownHostsFile": self.known_hosts,
                   "StrictHostKeyChecking": "yes", "UpdateHostKeys": "no", "IdentitiesOnly": "yes",
                   "BatchMode": "yes"}
        option_text = "; ".join(f"{k} = {ps_quote(v)}" for k, v in options.items())
        command = (f"Get-Content -LiteralPath {ps_quote(computers)} | & {ps_quote(SCRIPT)} -Transport SSH"
                   f" -UserName root -KeyFilePath {ps_quote(self.client_key)} -Port {self.port}"
                   f" -SSHOption @{{ {option_text} }} -ReportsFolder {ps_quote(self.reports)}"
                   f" -TimeoutSeconds {timeout} -ProgramPath {ps_quote(program)}"
                   f" | Export-Csv -LiteralPath {ps_quote(rows_file)} -NoTypeInformation")
        result, seconds = self.pwsh_command(name, command)
        equal(result.returncode, 0, f"{name}: the script's exit status")
        with open(rows_file, newline="", encoding="utf-8") as f:
            return {row["ComputerName"]: row for row in csv.DictReader(f)}, seconds

    def pwsh_command(self, name, command):
        """Runs a PowerShell command line; its result and how long it took."""
        started = time.monotonic()
        result = subprocess.run([str(self.pwsh), "-NoLogo", "-NoProfile", "-NonInteractive", "-Command", command],
                                stdin=subprocess.DEVNULL, capture_output=True, text=True, timeout=ROUND_LIMIT)
        seconds = time.monotonic() - started
        print(f"{name}: {seconds:.1f} s, exit status {result.returncode}", flush=True)
        for line in (result.stdout + result.stderr).splitlines():
            print(f"    {line}")
        return result, seconds


def check_note(reports, host, kind_and_detail):
    """The note's bytes: one line, UTF-8 without a byte order mark."""
    path = reports / f"{host}.not-assessed.txt"
    if not check(path.is_file(), f"{host}: a note"):
        return ""
    data = path.read_bytes()
    check(not data.startswith(b"\xef\xbb\xbf"), f"{host}: the note has no byte order mark")
    check(data.endswith(b"\n") and data.count(b"\n") == 1 and b"\r" not in data, f"{host}: the note is one line")
    line = data.decode("utf-8").rstrip("\n")
    check(re.fullmatch(kind_and_detail, line) is not None, f"{host}: the note {line!r} is {kind_and_detail!r}")
    return line


# The object's verdict columns, and the titles of their roles on the page.
ROLES = {"Client": "Client", "WebServer": "Web Server or 32-bit Application Server",
         "AppServer64": "64-bit Application Server"}


def verdicts_of(row):
    return {column: row.get(column) for column in ROLES}


def page_verdicts(reports, host):
    """The roles' verdicts a report page shows, as Export-Csv writes them:
    True, False, or '' where the page shows none."""
    path = reports / f"{host}.html"
    page = path.read_text(encoding="utf-8", errors="replace") if path.is_file() else ""
    shown = dict(re.findall(r"table-header'>([^<]+?): <span class='(pass|fail)'>", page))
    return {column: {"pass": "True", "fail": "False"}.get(shown.get(title), "") for column, title in ROLES.items()}


def check_report(reports, host):
    data = (reports / f"{host}.html").read_bytes() if (reports / f"{host}.html").is_file() else b""
    check(data.startswith(b"<!DOCTYPE html>") and data.endswith(b"</html>") and b"System Assessment" in data,
          f"{host}: the report is a report page ({len(data)} bytes)")


def home_ssh():
    """What ~/.ssh holds: names, sizes and times; None when there is none."""
    folder = Path.home() / ".ssh"
    if not folder.exists():
        return None
    return sorted((p.name, p.stat().st_size, p.stat().st_mtime_ns) for p in folder.iterdir())


def text_of(page):
    return html.unescape(re.sub(r"<[^>]+>", " ", page))


def check_summary(work, reports):
    summary = env_path("NIMLO_PS_SUMMARY")
    overview, machines, lists = work / "assessment.html", work / "machines.csv", work / "lists"
    result = subprocess.run([str(summary), "--html", str(overview), "--machines", str(machines), "--lists", str(lists),
                             str(reports)], capture_output=True, text=True, timeout=120)
    print("summary: exit status", result.returncode)
    for line in result.stderr.splitlines():
        print(f"    {line}")
    check("1 reports read, 0 rejected" in result.stderr, "summary: the one report is read")
    check("(1 unreachable, 1 timed out)" in result.stderr, "summary: the closing line counts each reason")
    equal(result.returncode, 2, "summary: exit status with hosts not assessed")
    text = " ".join(text_of(overview.read_text(encoding="utf-8")).split())
    unreachable = text.find("unreachable: 1 nohost.invalid ssh: Could not resolve hostname nohost.invalid")
    timed_out = text.find(f"timed out: 1 localhost after {TIMEOUT} s")
    check(0 <= unreachable < timed_out,
          "summary: the overview shows nohost.invalid under 'unreachable', then localhost under 'timed out'")
    rows = machines.read_text(encoding="utf-8-sig")
    check(re.search(rf"^localhost,.*,timed out: after {TIMEOUT} s$", rows, re.M) is not None,
          "summary: --machines gives localhost's reason")
    check(re.search(r"^nohost\.invalid,.*,unreachable: ssh: Could not resolve hostname", rows, re.M) is not None,
          "summary: --machines gives nohost.invalid's reason")
    equal(sorted((lists / "not-assessed.txt").read_text().split()), ["localhost", "nohost.invalid"],
          "summary: not-assessed.txt")


def main():
    if os.geteuid() != 0:
        skip("it needs root, for binfmt_misc and sshd")
    check_mount_points()
    exe, never_ends = env_path("NIMLO_PS_EXE"), env_path("NIMLO_PS_NEVER_ENDS")
    ssh_before = home_ssh()
    work = Path(tempfile.mkdtemp(prefix="nimlo-ps-round-"))
    signal.signal(signal.SIGTERM, lambda *_: sys.exit("stopped"))
    signal.signal(signal.SIGHUP, lambda *_: sys.exit("stopped"))
    machine = Round(work)
    try:
        machine.start()
        reports = machine.reports
        # Earlier outcomes that this round replaces.
        (reports / "127.0.0.1.not-assessed.txt").write_text("timed out: after 300 s\n")
        (reports / "nohost.invalid.html").write_text("<!DOCTYPE html><title>stale</title></html>")

        # More time than the program's own bound of 120 s, so that the program is what ends a stuck collection.
        rows, _ = machine.assess("round 1", ["127.0.0.1", "nohost.invalid", "127.0.0.1"], exe, 200)
        equal(sorted(rows), ["127.0.0.1", "nohost.invalid"], "round 1: one object per host")
        assessed, unreachable = rows.get("127.0.0.1", {}), rows.get("nohost.invalid", {})
        equal(assessed.get("Status"), "Assessed", "127.0.0.1: status")
        equal(assessed.get("Report"), str(reports / "127.0.0.1.html"), "127.0.0.1: the object names its report")
        check_report(reports, "127.0.0.1")
        page = page_verdicts(reports, "127.0.0.1")
        check(all(page.values()), f"127.0.0.1: the page shows the three roles' verdicts ({page})")
        equal(verdicts_of(assessed), page, "127.0.0.1: the object's verdicts are the page's")
        check(not (reports / "127.0.0.1.not-assessed.txt").exists(), "127.0.0.1: the earlier note is removed")
        equal(unreachable.get("Status"), "Unreachable", "nohost.invalid: status")
        line = check_note(reports, "nohost.invalid", r"unreachable: ssh: Could not resolve hostname nohost\.invalid.*")
        equal(unreachable.get("Reason"), line.partition(": ")[2], "nohost.invalid: the object's reason is the note's")
        equal(verdicts_of(unreachable), dict.fromkeys(ROLES, ""), "nohost.invalid: the object has no verdicts")
        check(not (reports / "nohost.invalid.html").exists(), "nohost.invalid: the earlier report is removed")
        equal(machine.left_on_host(), [], "round 1: the host's temporary folder is empty")

        rows, seconds = machine.assess("round 2", ["localhost"], never_ends, TIMEOUT)
        timed_out = rows.get("localhost", {})
        equal(timed_out.get("Status"), "TimedOut", "localhost: status")
        equal(timed_out.get("Reason"), f"after {TIMEOUT} s", "localhost: reason")
        equal(verdicts_of(timed_out), dict.fromkeys(ROLES, ""), "localhost: the object has no verdicts")
        check_note(reports, "localhost", rf"timed out: after {TIMEOUT} s")
        check(seconds < LAUNCHER_LIMIT, f"round 2 ended at the script's time limit, before the launcher's ({seconds:.0f} s)")
        program = lambda: processes_running(work.name, "NeverEnds.exe")
        check(wait_until(lambda: not program(), 30), f"localhost: the program is stopped ({program()})")
        equal(machine.left_on_host(), [], "round 2: the host's temporary folder is empty")
        check_report(reports, "127.0.0.1")  # another host's report stays

        # This PowerShell has no WSMan client: WinRM is refused before any file is touched.
        unused = work / "winrm-reports"
        result, _ = machine.pwsh_command("WinRM", f"& {ps_quote(SCRIPT)} -ComputerName 127.0.0.1 -Transport WinRM"
                                         f" -ReportsFolder {ps_quote(unused)} -ProgramPath {ps_quote(exe)}")
        check(result.returncode != 0, "WinRM: pwsh's exit status is not 0")
        said = " ".join(re.sub(r"\x1b\[[0-9;]*m", "", result.stderr).replace("|", " ").split())
        check("-Transport WinRM needs a WSMan client" in said and "use -Transport SSH" in said,
              "WinRM: standard error says the transport is missing here and to use SSH")
        equal(result.stdout, "", "WinRM: no object")
        check(not unused.exists(), "WinRM: the reports folder is not made")
        equal(machine.left_on_host(), [], "WinRM: the host's temporary folder is empty")

        check_summary(work, reports)
        equal(home_ssh(), ssh_before, "~/.ssh is as it was")
    finally:
        machine.stop()
        shutil.rmtree(work, ignore_errors=True)
        if work.exists():
            print(f"could not remove {work}", file=sys.stderr)
    if status() != 0:
        return 1
    print("the PowerShell round passed")
    return 0


if __name__ == "__main__":
    if len(sys.argv) != 1:
        sys.exit(__doc__)
    sys.exit(main())
