"""A report that another program holds open is tried again for a while.

A scanner, an indexer or a viewer that has the report open without letting
it be deleted makes its replacement fail for a moment. Here HoldOpen.exe,
another Wine process (a Linux process holding the file would block nothing
under Wine), holds the earlier report open while the program, run
unattended, replaces it:

- let go 2 s after the program has begun writing its new file: the run
  waits, then replaces the report once it is let go (exit status 0);
- held until the run has ended: it gives up about 5 s after its first refusal with -1
  (255 from Wine), the earlier report keeps its bytes and nothing else is
  left in the folder.

usage: test_report_held_open.py win32|win64
"""

import subprocess
import sys
import tempfile
import threading
import time

import harness

EARLIER = b"<!DOCTYPE html>\r\n<html><body>The earlier, complete report.</body></html>"


def hold_open(prefix, directory, name):
    """Starts HoldOpen.exe on the report in `directory`; returns the process
    and the path whose creation lets it go, once the report is held."""
    held = prefix.root / f"{name}.held"
    release = prefix.root / f"{name}.release"
    process = subprocess.Popen([harness.WINE32, str(harness.env_path("NIMLO_E2E_HOLD_OPEN")),
                                harness.windows_path(directory / harness.REPORT_NAME), harness.windows_path(held),
                                harness.windows_path(release), "60"], env=prefix.env, stdin=subprocess.DEVNULL,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    deadline = time.monotonic() + 120
    while not held.exists() and process.poll() is None and time.monotonic() < deadline:
        time.sleep(0.1)
    if not held.exists():
        process.kill()
        raise RuntimeError(f"HoldOpen.exe did not hold the report (status {process.poll()})")
    return process, release


def pending_seen(directory, seen):
    """Records when the program's new file first appears in `directory`."""
    deadline = time.monotonic() + 240
    while time.monotonic() < deadline and "at" not in seen:
        if any(p.name.startswith("~") for p in directory.iterdir()):
            seen["at"] = time.monotonic()
            return
        time.sleep(0.05)


def run(failures, prefix, arch, name, release_after):
    what = f"{arch} report held open, {name}"
    directory = prefix.workdir(name)
    (directory / harness.REPORT_NAME).write_bytes(EARLIER)
    holder, release = hold_open(prefix, directory, name)
    seen = {}
    watcher = threading.Thread(target=pending_seen, args=(directory, seen))
    watcher.start()
    releaser = None
    if release_after is not None:
        def let_go():
            watcher.join()
            if "at" in seen:
                time.sleep(max(0.0, seen["at"] + release_after - time.monotonic()))
            release.touch()
        releaser = threading.Thread(target=let_go)
        releaser.start()
    try:
        result = harness.run_unattended(prefix, directory)
        ended = time.monotonic()
    finally:
        watcher.join()
        if releaser:
            releaser.join()
        release.touch()
        holder.wait(timeout=120)
    if not failures.check("at" in seen, f"{what}: the program's new file was never seen"):
        return result, None
    return result, ended - seen["at"]


def main():
    arch = sys.argv[1]
    failures = harness.Failures()
    with harness.Prefix(arch) as prefix:
        result, after = run(failures, prefix, arch, "let go after 2 s", 2.0)
        what = f"{arch} report let go after 2 s"
        failures.equal(result.status, 0, f"{what}: exit status")
        report = result.report_bytes() if result.report_path.is_file() else b""
        harness.check_report_file(failures, report, what)
        failures.equal(sorted(p.name for p in result.directory.iterdir()), [harness.REPORT_NAME], f"{what}: files")
        if after is not None:
            failures.check(1.9 <= after < 5.0, f"{what}: ended {after:.1f} s after the new file appeared")
            print(f"{what}: exit status {result.status}, {after:.1f} s after the new file appeared")

        result, after = run(failures, prefix, arch, "held throughout", None)
        what = f"{arch} report held throughout"
        failures.equal(result.status, 255, f"{what}: exit status")
        failures.equal(result.report_bytes() if result.report_path.is_file() else None, EARLIER,
                       f"{what}: the earlier report")
        failures.equal(sorted(p.name for p in result.directory.iterdir()), [harness.REPORT_NAME], f"{what}: files")
        if after is not None:
            failures.check(4.5 <= after < 9.0, f"{what}: gave up {after:.1f} s after the new file appeared")
            print(f"{what}: exit status {result.status}, {after:.1f} s after the new file appeared")
    failures.finish()


if __name__ == "__main__":
    main()
