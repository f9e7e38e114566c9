"""A drive that never answers ends the run at its deadline, not never.

A drive letter of the prefix is mapped to a file system that never answers
the question of its free space to a program (never_answers_statfs.py, FUSE), as a network
drive whose server has stopped answering. Win32_LogicalDisk then waits on it
for ever, inside the query (under Wine the query runs in the program's own
process). An attended run (under Xvfb) and an unattended one (on a window
station nobody sees) run side by side on that one mount:

- each says, about two minutes after it started, that Win32_LogicalDisk did
  not answer within 120 s: the attended run in its not-assessed box, the
  unattended one in its line on standard error;
- once the file system's process ends (which frees every waiter on it: a
  process waiting on a FUSE request cannot be killed before), each has ended
  with 1 and written no report, its result line on standard output saying
  the same as its box or line (the process ends itself, after the line).

The test runs in a mount namespace of its own, so no other process of the
machine sees the mount. It needs root and /dev/fuse; without them it says
why and is skipped (exit status 77).

usage: test_unanswered_drive.py win64
"""

import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
from pathlib import Path

import harness

SKIP = 77
DEADLINE = 120  # seconds: the program's bound on its collection
SLOWEST = 200   # seconds a run may take to say so, the start of Wine included
REASON = "The system assessment could not be completed: Win32_LogicalDisk did not answer within 120 s"
LINE = re.compile(r"^System Assessment: (.*)\r$", re.M)
BOX = re.compile(r'trace:msgbox:MSGBOX_OnInit L"(.*)"')


def skip(why):
    print(f"skipped: {why}")
    sys.exit(SKIP)


def enter_own_mount_namespace():
    if os.environ.get("NIMLO_E2E_OWN_MOUNTS") == "1":
        return
    if os.geteuid() != 0:
        skip("mounting a FUSE file system in a mount namespace of its own needs root")
    if not Path("/dev/fuse").exists():
        skip("this machine has no /dev/fuse")
    try:
        import fusepy  # noqa: F401
    except ImportError:
        skip("python3-fusepy is not installed")
    if shutil.which("unshare") is None:
        skip("unshare (util-linux) is not installed")
    environment = dict(os.environ, NIMLO_E2E_OWN_MOUNTS="1")
    command = ["unshare", "--mount", "--propagation", "private", sys.executable, *sys.argv]
    status = subprocess.run(command, env=environment).returncode
    if status == 1 and subprocess.run(["unshare", "--mount", "true"]).returncode != 0:
        skip("this machine does not allow a mount namespace of one's own")
    sys.exit(status)


def mount_stuck_drive(root):
    mountpoint = root / "stuck"
    mountpoint.mkdir()
    log = open(root / "fuse.log", "wb")
    process = subprocess.Popen([sys.executable, str(Path(__file__).with_name("never_answers_statfs.py")),
                                str(mountpoint)], stdin=subprocess.DEVNULL, stdout=log, stderr=log)
    deadline = time.monotonic() + 30
    while not os.path.ismount(mountpoint):
        if process.poll() is not None or time.monotonic() > deadline:
            process.kill()
            skip(f"the FUSE file system could not be mounted: {(root / 'fuse.log').read_text(errors='replace')}")
        time.sleep(0.1)
    return process, mountpoint


def read(path):
    return path.read_bytes().decode("utf-8", errors="replace") if path.exists() else ""


def main():
    enter_own_mount_namespace()
    arch = sys.argv[1]
    failures = harness.Failures()
    with harness.Xvfb() as xvfb:
        prefix = harness.Prefix(arch, display=xvfb.display)
        # Mapped before the prefix's server starts: Wine takes its drives then.
        fuse, mountpoint = mount_stuck_drive(prefix.root)
        (prefix.path / "dosdevices" / "s:").symlink_to(mountpoint)
        runs = {}
        try:
            prefix.__enter__()
            program = harness.env_path("NIMLO_E2E_EXE")
            commands = {
                "attended": [harness.WINE32, str(program)],
                "unattended": [harness.WINE32, str(harness.env_path("NIMLO_E2E_LAUNCHER")),
                               str(harness.UNATTENDED_LIMIT), harness.windows_path(program)],
            }
            env = dict(prefix.env, WINEDEBUG="-all,trace+msgbox")
            for name, command in commands.items():
                directory = prefix.workdir(name)
                log = directory.parent / f"{name}.log"
                output = directory.parent / f"{name}.out"
                with open(log, "wb") as errors, open(output, "wb") as out:
                    process = subprocess.Popen(command, cwd=directory, env=env, stdin=subprocess.DEVNULL,
                                               stdout=out, stderr=errors)
                runs[name] = {"process": process, "directory": directory, "log": log, "output": output,
                              "started": time.monotonic()}

            # The sign that a run has ended its wait: the box, or the line.
            deadline = time.monotonic() + SLOWEST
            while time.monotonic() < deadline and not all("told" in run for run in runs.values()):
                attended, unattended = runs["attended"], runs["unattended"]
                if "told" not in attended and xvfb.windows_named("System Assessment"):
                    attended["told"] = time.monotonic()
                    time.sleep(1)
                    xvfb.screenshot(harness.artifacts_dir() / f"unanswered-drive-{arch}.png")
                    boxes = BOX.findall(read(attended["log"]))
                    attended["reason"] = boxes[0] if boxes else None
                    for window in xvfb.windows_named("System Assessment"):
                        xvfb.xdotool("key", "--window", window, "Return")
                if "told" not in unattended:
                    lines = LINE.findall(read(unattended["log"]))
                    if lines:
                        unattended["told"] = time.monotonic()
                        unattended["reason"] = lines[0]
                time.sleep(0.5)
        finally:
            # Only the end of the file system's process frees the waiters;
            # the prefix's server is ended after it (when the prefix goes).
            fuse.send_signal(signal.SIGKILL)
            fuse.wait(timeout=60)
            for run in runs.values():
                try:
                    run["status"] = run["process"].wait(timeout=120)
                except subprocess.TimeoutExpired:
                    run["process"].kill()
                    run["status"] = None
            for name, run in runs.items():
                run["files"] = list(run["directory"].iterdir())
                run["stdout"] = run["output"].read_bytes()  # the prefix's folder goes with it
                shutil.copy(run["log"], harness.artifacts_dir() / f"unanswered-drive-{arch}-{name}.log")
            prefix.__exit__(None, None, None)

        for name, run in runs.items():
            what = f"{arch} {name} run on a drive that never answers"
            if failures.check("told" in run, f"{what}: said nothing within {SLOWEST} s"):
                seconds = run["told"] - run["started"]
                print(f"{what}: told after {seconds:.1f} s: {run['reason']!r}; exit status {run['status']}")
                failures.check(DEADLINE - 5 <= seconds <= SLOWEST, f"{what}: told after {seconds:.1f} s")
                failures.check(run["reason"] is not None and run["reason"].startswith(REASON),
                               f"{what}: reason {run['reason']!r}")
            failures.equal(run["status"], 1, f"{what}: exit status")
            failures.equal(run["files"], [], f"{what}: files written")
            result = harness.RunResult(run["status"], "", run["directory"], run["stdout"])
            line = harness.result_line(failures, result, what)
            failures.check(list(line) == ["outcome", "reason"] and line["outcome"] == "assessment failed" and
                           line["reason"] == run.get("reason"), f"{what}: the result line {line!r} says the same")
    failures.finish()


if __name__ == "__main__":
    main()
