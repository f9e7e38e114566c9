"""Run unattended, the program never waits on a box nobody can see.

A deployment tool running as SYSTEM, a scheduled task or a remote shell
starts the program on a window station that no user sees. The launcher
(HiddenStationLauncher.exe) starts it like that, on a new window station,
and ends it if it is still running after its time limit (exit status 124).
There, on a private X display that would show any window:

- a run whose report cannot be written ends with -1 (255 from Wine) at once,
  with no message box, and the box's text with the system's code on
  standard error;
- a run with WMI disabled (wbemprox=d) ends with 1 at once, no message box,
  no file, and the reason on standard error;
- a normal run writes the report, asks the shell to open nothing (a viewer
  would start where nobody sees it) and prints nothing on standard error.

Each ends with its result line on standard output, read by a strict JSON
parser: the roles as the report shows them (the write failure's too, judged
on the same machine), the failure's reason.

usage: test_unattended.py win32|win64
"""

import re
import sys

import harness

QUICK = 20  # seconds a run may take here, the emulated start of Wine included
LIMIT = harness.UNATTENDED_LIMIT
run_unattended = harness.run_unattended


def check_quick_and_silent(failures, xvfb, result, what):
    failures.check(result.status != 124, f"{what}: still running after {LIMIT} s (waiting on a box?)")
    failures.check(result.seconds < QUICK, f"{what}: took {result.seconds:.1f} s")
    failures.equal(result.message_boxes(), [], f"{what}: message boxes")
    failures.equal([title for _, title in xvfb.visible_windows()], [], f"{what}: windows on the user's display")
    print(f"{what}: exit status {result.status} after {result.seconds:.1f} s")


def error_lines(result):
    """The lines the program put on standard error (the launcher passes it
    through), among Wine's own."""
    return re.findall(r"^(?:System Assessment|Assessmnet Write Failure): .*\r$", result.log, re.M)


def main():
    arch = sys.argv[1]
    failures = harness.Failures()
    with harness.Xvfb() as xvfb, harness.Prefix(arch, display=xvfb.display) as prefix:
        what = f"{arch} unattended write failure"
        directory = prefix.workdir("blocked")
        (directory / harness.REPORT_NAME).mkdir()
        result = run_unattended(prefix, directory)
        failures.equal(result.status, 255, f"{what}: exit status")
        check_quick_and_silent(failures, xvfb, result, what)
        failures.equal(result.shell_requests(), [], f"{what}: ShellExecute calls")
        failures.check((directory / harness.REPORT_NAME).is_dir(), f"{what}: the directory in the way is gone")
        failures.equal(error_lines(result), ["Assessmnet Write Failure: Failed to write assessment results to disk. "
                                             "Please run this application as administrator (Win32 error 5)\r"],
                       f"{what}: standard error")
        write_failure = harness.result_line(failures, result, what)
        failures.equal((write_failure.get("outcome"), write_failure.get("reason")),
                       ("report not written", error_lines(result)[0].partition(": ")[2].rstrip("\r")),
                       f"{what}: the result line's outcome and reason")

        what = f"{arch} unattended, WMI unavailable"
        directory = prefix.workdir("no-wmi")
        result = run_unattended(prefix, directory, dll_overrides="wbemprox=d")
        failures.equal(result.status, 1, f"{what}: exit status")
        check_quick_and_silent(failures, xvfb, result, what)
        failures.equal(list(directory.iterdir()), [], f"{what}: files written")
        failures.equal(result.shell_requests(), [], f"{what}: ShellExecute calls")
        lines = error_lines(result)
        failures.check(len(lines) == 1 and lines[0].startswith(
            "System Assessment: The system assessment could not be completed: Cannot reach WMI") and
                       "(HRESULT 0x" in lines[0], f"{what}: standard error: {lines!r}")
        line = harness.result_line(failures, result, what)
        failures.equal(line, {"outcome": "assessment failed", "reason": lines[0].partition(": ")[2].rstrip("\r")}
                       if lines else None, f"{what}: the result line")

        what = f"{arch} unattended normal run"
        directory = prefix.workdir("normal")
        result = run_unattended(prefix, directory)
        failures.equal(result.status, 0, f"{what}: exit status")
        if failures.check(result.report_path.is_file(), f"{what}: no report"):
            harness.check_report_file(failures, result.report_bytes(), what)
        failures.equal(result.shell_requests(), [], f"{what}: ShellExecute calls")
        failures.equal(result.new_records, [], f"{what}: the viewer's records")
        failures.equal(error_lines(result), [], f"{what}: standard error")
        line = harness.result_line(failures, result, what)
        page = result.report_bytes().decode("utf-8") if result.report_path.is_file() else ""
        roles = harness.result_line_reader.roles_of_page(page)
        failures.equal(len(roles), 3, f"{what}: the report's roles")
        failures.equal((line.get("outcome"), line.get("roles")), ("assessed", roles),
                       f"{what}: the result line's roles, row by row as the report shows them")
        failures.check(bool(line.get("computer")) and f" - {line.get('computer')}</h2>" in page,
                       f"{what}: the computer name {line.get('computer')!r} is the report's")
        failures.equal(write_failure.get("roles"), roles, f"{what}: the write failure's roles are this machine's")
    failures.finish()


if __name__ == "__main__":
    main()
