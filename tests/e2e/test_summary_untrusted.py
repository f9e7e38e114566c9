"""The shipped summary under Wine, on a folder nobody should trust.

Planted from the Linux side, as a copy from an untrusted machine could bring
them: a FIFO and a link to a zero device under page names, a regular file
named con.html (a device name on Windows), a FIFO given as a PATH, a linked
folder and a link back to its parent (a loop), pages with LF line ends, a
byte order mark and no charset line. Then:

- nothing waits: the run ends, every path passed over is named, and the
  status is 2 (the real pages are still summarized);
- an output that is one of the reports is refused with 1 and the report
  keeps its bytes; NUL is written into and stays a device;
- a folder without a report gives 2 and writes nothing.

usage: test_summary_untrusted.py
"""

import os
import subprocess
from pathlib import Path

import harness

GOLDEN = Path(__file__).resolve().parents[1] / "golden"


def summarize(prefix, directory, *args):
    return prefix.run(directory, program=harness.env_path("NIMLO_E2E_SUMMARY"), args=args, timeout=120)


def main():
    failures = harness.Failures()
    with harness.Prefix("win64") as prefix:
        fleet = prefix.workdir("fleet")
        reports = fleet / "reports"
        (reports / "sub").mkdir(parents=True)
        elsewhere = fleet / "elsewhere"
        elsewhere.mkdir()
        page = (GOLDEN / "AllPass.html").read_bytes()
        (reports / "a.html").write_bytes(page)
        (reports / "sub" / "lf.htm").write_bytes((GOLDEN / "AllFail.html").read_bytes().replace(b"\r\n", b"\n"))
        (elsewhere / "bom.HTML").write_bytes(
            b"\xef\xbb\xbf" + (GOLDEN / "Empty.html").read_bytes().replace(b'    <meta charset="utf-8">\r\n', b""))
        os.mkfifo(reports / "fifo.html")
        os.mkfifo(fleet / "fifo-given")
        zero = fleet / "zero"
        made = subprocess.run(["mknod", str(zero), "c", "1", "5"], stderr=subprocess.DEVNULL)
        os.symlink(zero if made.returncode == 0 else "/dev/zero", reports / "zero.html")
        (reports / "con.html").write_bytes(page)
        os.symlink(elsewhere, reports / "linked")
        os.symlink("..", reports / "sub" / "up")

        result = summarize(prefix, fleet, "--csv", harness.windows_path(fleet / "fleet.csv"), "--html",
                           harness.windows_path(fleet / "overview.html"), harness.windows_path(reports),
                           harness.windows_path(fleet / "fifo-given"))
        what = "untrusted folder"
        failures.equal(result.status, 2, f"{what}: exit status\n{result.log[-3000:]}")
        for name in ("reports\\fifo.html", "reports\\zero.html", "reports\\con.html", "fifo-given"):
            failures.check(f"{name}: not a regular file" in result.log, f"{what}: {name} not named\n{result.log}")
        failures.check("3 reports read, 4 rejected, 3 machines;" in result.log, f"{what}: closing line\n{result.log}")
        csv = (fleet / "fleet.csv").read_bytes().decode("utf-8") if (fleet / "fleet.csv").is_file() else ""
        for name in ("reports\\a.html", "reports\\linked\\bom.HTML", "reports\\sub\\lf.htm"):
            failures.check(name in csv, f"{what}: {name} not in the CSV")
        failures.equal(sorted(p.name for p in fleet.iterdir() if p.suffix in (".csv", ".html", ".tmp")),
                       ["fleet.csv", "overview.html"], f"{what}: files written")

        what = "an output that is a report"
        result = summarize(prefix, fleet, "--csv", harness.windows_path(reports / "a.html"), "--html", "NUL",
                           harness.windows_path(reports / "a.html"))
        failures.equal(result.status, 1, f"{what}: exit status\n{result.log[-2000:]}")
        failures.check((reports / "a.html").read_bytes() == page, f"{what}: the report was changed")

        what = "NUL as the output"
        result = summarize(prefix, fleet, "--csv", "NUL", harness.windows_path(reports / "a.html"))
        failures.equal(result.status, 0, f"{what}: exit status\n{result.log[-2000:]}")

        what = "a folder without a report"
        empty = fleet / "empty"
        empty.mkdir()
        result = summarize(prefix, fleet, "--csv", harness.windows_path(empty / "fleet.csv"),
                           harness.windows_path(empty))
        failures.equal(result.status, 2, f"{what}: exit status\n{result.log[-2000:]}")
        failures.check("no report could be read" in result.log, f"{what}: not said\n{result.log[-2000:]}")
        failures.equal(list(empty.iterdir()), [], f"{what}: files written")
    failures.finish()


if __name__ == "__main__":
    main()
