"""The two message boxes a user can meet, on a private X display.

- Write failure: a directory named "System Assessment Results.html" is in
  the way. Exactly one window, titled "Assessmnet Write Failure", with the
  fixed text; once it is dismissed with Return the exit status is -1 (255
  from Wine); nothing is opened.
- WMI unavailable (wbemprox disabled): one window titled "System
  Assessment" whose text begins "The system assessment could not be
  completed: "; exit status 1; no report, nothing opened.

Once the box is dismissed, the result line on standard output says the same
(a caller that redirects it reads it whether or not a window can be seen).
A screenshot of each box is kept with the test artifacts.

usage: test_failure_dialogs.py win32|win64
"""

import sys

import harness

WRITE_TEXT = "Failed to write assessment results to disk. Please run this application as administrator"


def main():
    arch = sys.argv[1]
    failures = harness.Failures()
    with harness.Xvfb() as xvfb, harness.Prefix(arch, display=xvfb.display) as prefix:
        what = f"{arch} write failure"
        directory = prefix.workdir("blocked")
        (directory / harness.REPORT_NAME).mkdir()
        result = prefix.run(directory,
                            while_running=harness.dismiss(failures, xvfb, "Assessmnet Write Failure", what,
                                                  f"write-failure-{arch}.png"))
        failures.equal(result.status, 255, f"{what}: exit status")
        failures.equal(result.message_boxes(), [WRITE_TEXT], f"{what}: message box texts")
        failures.equal(result.shell_requests(), [], f"{what}: ShellExecute calls")
        failures.equal(result.new_records, [], f"{what}: viewers started")
        failures.check((directory / harness.REPORT_NAME).is_dir(), f"{what}: the directory in the way is gone")
        failures.equal(sorted(p.name for p in directory.iterdir()), [harness.REPORT_NAME], f"{what}: files left")
        line = harness.result_line(failures, result, what)
        failures.equal((line.get("outcome"), line.get("reason"), len(line.get("roles", []))),
                       ("report not written", WRITE_TEXT + " (Win32 error 5)", 3), f"{what}: the result line")

        what = f"{arch} WMI unavailable"
        directory = prefix.workdir("no-wmi")
        result = prefix.run(directory, dll_overrides="wbemprox=d",
                            while_running=harness.dismiss(failures, xvfb, "System Assessment", what, f"no-wmi-{arch}.png"))
        failures.equal(result.status, 1, f"{what}: exit status")
        boxes = result.message_boxes()
        failures.check(len(boxes) == 1 and boxes[0].startswith("The system assessment could not be completed: "),
                       f"{what}: message box texts {boxes!r}")
        failures.check("Unhandled exception" not in result.log and "wine: " not in result.log.replace(
            "wine: Read access denied", ""), f"{what}: crash reported by Wine:\n{result.log}")
        failures.equal(list(directory.iterdir()), [], f"{what}: files written")
        line = harness.result_line(failures, result, what)
        failures.equal((list(line), line.get("reason")), (["outcome", "reason"], boxes[0] if boxes else None),
                       f"{what}: the result line gives the box's text")
        failures.equal(result.shell_requests(), [], f"{what}: ShellExecute calls")
        failures.equal(result.new_records, [], f"{what}: viewers started")
    failures.finish()


if __name__ == "__main__":
    main()
