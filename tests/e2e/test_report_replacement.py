"""The report is replaced whole or not at all, and never through a link.

The links are planted from the Linux side: they are what a Windows program
under Wine meets in its folder.

- A symbolic link under the report's name, to a file elsewhere: the run ends
  with 0, the link's target keeps its bytes, and the report becomes a file
  of its own holding the page.
- A hard link under the report's name: the other name keeps its bytes and
  stays a file with one link; the report is a new file.
- A write that fails partway: on a small file system mounted for the test,
  with an earlier complete report in place and less room left than the page
  needs, the run ends with -1 (255 from Wine) without a box (it runs on a
  window station nobody sees), the earlier report keeps its bytes, and
  nothing else is left in the folder. Where mounting is not allowed, this
  case says why it is skipped.

usage: test_report_replacement.py win32|win64
"""

import os
import subprocess
import sys

import harness

EARLIER = b"<!DOCTYPE html>\r\n<html><body>The earlier, complete report.</body></html>"
VICTIM = b"bytes that belong to somebody else\r\n" * 50


def check_own_report(failures, directory, what):
    report = directory / harness.REPORT_NAME
    failures.check(not report.is_symlink(), f"{what}: the report is still a link")
    if failures.check(report.is_file(), f"{what}: no report"):
        harness.check_report_file(failures, report.read_bytes(), what)
        failures.equal(report.stat().st_nlink, 1, f"{what}: links to the report")
    failures.equal(sorted(p.name for p in directory.iterdir()), [harness.REPORT_NAME], f"{what}: files in the folder")


def symbolic_link(failures, prefix, arch):
    what = f"{arch} symbolic link under the report's name"
    target = prefix.root / "elsewhere" / "important.txt"
    target.parent.mkdir()
    target.write_bytes(VICTIM)
    directory = prefix.workdir("symlink")
    os.symlink(target, directory / harness.REPORT_NAME)
    result = prefix.run(directory)
    failures.equal(result.status, 0, f"{what}: exit status")
    failures.check(target.read_bytes() == VICTIM, f"{what}: the link's target was written")
    check_own_report(failures, directory, what)
    return result.report_bytes() if result.report_path.is_file() else b""


def hard_link(failures, prefix, arch):
    what = f"{arch} hard link under the report's name"
    other = prefix.root / "elsewhere" / "shared.txt"
    other.write_bytes(VICTIM)
    directory = prefix.workdir("hardlink")
    os.link(other, directory / harness.REPORT_NAME)
    result = prefix.run(directory)
    failures.equal(result.status, 0, f"{what}: exit status")
    failures.check(other.read_bytes() == VICTIM, f"{what}: the other name's file was written")
    failures.equal(other.stat().st_nlink, 1, f"{what}: links to the other name's file")
    check_own_report(failures, directory, what)


def write_fails_partway(failures, prefix, arch, page_size):
    what = f"{arch} write that fails partway"
    directory = prefix.workdir("small-disk")
    mounted = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=64k,mode=0777", "nimlo-e2e", str(directory)],
                             stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    if mounted.returncode != 0:
        print(f"{what}: skipped, a small file system cannot be mounted here: {mounted.stdout.strip()}")
        return
    try:
        (directory / harness.REPORT_NAME).write_bytes(EARLIER)
        # Room for about half the page: a write that truncated the earlier
        # report in place would not fit either, and would leave a cut page.
        room = max(4096, (page_size // 2) & ~4095)
        stat = os.statvfs(directory)
        free = stat.f_bavail * stat.f_frsize
        (directory / "filler").write_bytes(b"\0" * (free - room))
        result = harness.run_unattended(prefix, directory)
        failures.equal(result.status, 255, f"{what}: exit status")
        failures.equal(result.message_boxes(), [], f"{what}: message boxes")
        failures.equal(result.shell_requests(), [], f"{what}: ShellExecute calls")
        failures.check((directory / harness.REPORT_NAME).read_bytes() == EARLIER,
                       f"{what}: the earlier report was changed to "
                       f"{len((directory / harness.REPORT_NAME).read_bytes())} bytes")
        failures.equal(sorted(p.name for p in directory.iterdir()), sorted([harness.REPORT_NAME, "filler"]),
                       f"{what}: files in the folder")
        print(f"{what}: {room} bytes free for a page of {page_size}, exit status {result.status}")
    finally:
        subprocess.run(["umount", str(directory)], check=False)


def main():
    arch = sys.argv[1]
    failures = harness.Failures()
    with harness.Xvfb() as xvfb, harness.Prefix(arch, display=xvfb.display) as prefix:
        page = symbolic_link(failures, prefix, arch)
        hard_link(failures, prefix, arch)
        write_fails_partway(failures, prefix, arch, len(page) or 15000)
    failures.finish()


if __name__ == "__main__":
    main()
