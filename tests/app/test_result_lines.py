"""The result line of every kind of run, as the program's own sequence writes
it (tests/tools/ResultLines.cpp), read back by a strict JSON parser and
validated against its schema (docs/schema/result-line.schema.json), with
its exact keys: what a deployment tool or ConvertFrom-Json would take from it.

usage: test_result_lines.py RESULT_LINES_PROGRAM
"""

import subprocess
import sys
import tempfile
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tools"))
import result_line  # noqa: E402
from checklist import check, equal, status  # noqa: E402

ROOT = Path(__file__).resolve().parents[2]
WRITE_FAILURE = ("Failed to write assessment results to disk. Please run this application as administrator "
                 "(Win32 error 5)")
NOT_ASSESSED = "The system assessment could not be completed: "


def main():
    with tempfile.TemporaryDirectory() as work:
        folder = Path(work)
        subprocess.run([sys.argv[1], str(folder)], check=True, timeout=300)
        lines = {}
        for path in sorted(folder.glob("*.line")):
            try:
                lines[path.stem] = result_line.parse(path.read_bytes())
                check(True, f"{path.stem}: a line that parses")
            except result_line.NotALine as error:
                check(False, f"{path.stem}: {error}")
        pages = {p.stem: p.read_text(encoding="utf-8") for p in folder.glob("*.html")}
        statuses = {p.stem: int(p.read_text()) for p in folder.glob("*.status")}
        sizes = {p.stem: p.stat().st_size for p in folder.glob("*.line")}

    # Every case's keys, exactly.
    judged, failed = ["computer", "outcome", "roles"], ["outcome", "reason"]
    for names, keys in (
            (("all-pass", "all-fail", "empty", "name-escapes", "name-non-ascii", "name-lone-surrogates", "long-name"),
             judged),
            (("write-failed", "long-name-escaped", "long-name-and-reason"), judged + ["reason"]),
            (("collection-failed", "deadline", "long-reason", "last-resort", "fixed-assessment-failed"), failed),
            (("fixed-assessed", "fixed-report-not-written"), ["outcome"])):
        for name in names:
            equal(list(lines.get(name, {})), keys, f"{name}: the keys")
    equal(len(lines), 17, "every case has its line")

    golden = {name: (ROOT / "tests" / "golden" / f"{name}.html").read_text(encoding="utf-8")
              for name in ("AllPass", "AllFail")}

    # Each end of a run, with its exit status and what the page says.
    for name, outcome, exit_status in (("all-pass", "assessed", 0), ("all-fail", "assessed", 0),
                                       ("empty", "assessed", 0), ("collection-failed", "assessment failed", 1),
                                       ("write-failed", "report not written", -1),
                                       ("deadline", "assessment failed", 1)):
        line = lines.get(name, {})
        equal((line.get("outcome"), statuses.get(name)), (outcome, exit_status), f"{name}: outcome and exit status")
        if name in pages:
            equal(line.get("roles"), result_line.roles_of_page(pages[name]), f"{name}: the roles agree with the page")
            equal("reason" in line, False, f"{name}: no reason")
    equal(lines["all-pass"].get("computer"), "SRV-Z\u00dcRICH", "all-pass: the computer name")
    check(all(role["passed"] and role["failed"] == [] for role in lines["all-pass"]["roles"]),
          "all-pass: every role passed")
    equal([len(role["failed"]) for role in lines["all-fail"]["roles"]], [8, 7, 7], "all-fail: every row failed")

    failed = lines["collection-failed"]
    equal(list(failed), ["outcome", "reason"], "collection-failed: no computer and no roles")
    equal(failed.get("reason"), NOT_ASSESSED + "Cannot reach WMI: connecting to root\\cimv2 (HRESULT 0x80041003)",
          "collection-failed: the reason")
    equal(lines["deadline"].get("reason"),
          NOT_ASSESSED + "Win32_LogicalDisk did not answer within 300 ms", "deadline: the reason")
    written = lines["write-failed"]
    equal((written.get("computer"), written.get("reason")), ("WS-\u00c5SA", WRITE_FAILURE),
          "write-failed: the computer and the reason with the system's code")
    equal(written.get("roles"), result_line.roles_of_page(golden["AllFail"]),
          "write-failed: the roles are judged, as the page would show them")

    # Names as WMI may hand them over: kept as they are, a lone surrogate as the page shows it.
    for name, computer in (("name-escapes", "a\"b\\c/d\x01\x1f\x7f\t\r\n"),
                           ("name-non-ascii", "\u00c5SA-\u6771\u4eac-\U0001d11e"),
                           ("name-lone-surrogates", "x\ufffdy\ufffdz\ufffd")):
        equal(lines[name].get("computer"), computer, f"{name}: the computer name")
        equal(lines[name].get("roles"), result_line.roles_of_page(pages[name]), f"{name}: the roles")

    # The bound: held, and filled: what is cut ends in "..." and leaves less
    # room unused than one more escape would take.
    for name, whole_name, whole_reason in (
            ("long-name", "N" * (1 << 20), None),
            ("long-name-escaped", "\u00e9\U0001f600\"" * (1 << 18), WRITE_FAILURE),
            ("long-reason", None, NOT_ASSESSED + "\\" * (1 << 20)),
            ("long-name-and-reason", "\U0001f600" * (1 << 16), "\"" * (1 << 16))):
        line = lines.get(name, {})
        check(result_line.LIMIT - 12 - 3 < sizes[name] <= result_line.LIMIT,
              f"{name}: {sizes[name]} bytes, close to the bound of {result_line.LIMIT}")
        for key, whole in (("computer", whole_name), ("reason", whole_reason)):
            shown = line.get(key)
            if whole is None:
                equal(shown, None, f"{name}: no {key}")
            elif shown == whole:
                check(len(whole) < 200, f"{name}: the {key} is whole")
            else:
                check(shown is not None and shown.endswith("...") and whole.startswith(shown[:-3]) and
                      len(shown) > 20, f"{name}: the {key} is cut with '...' ({shown[:20] if shown else shown!r}...)")
    both = lines["long-name-and-reason"]
    check(abs(len(result_line.json.dumps(both["computer"])) - len(result_line.json.dumps(both["reason"]))) < 16,
          "long-name-and-reason: the two share the room")

    # What is said when memory ran out.
    equal(lines["last-resort"], {"outcome": "assessment failed",
                                 "reason": "The system assessment could not be completed."}, "last-resort")
    for name, outcome in (("fixed-assessed", "assessed"), ("fixed-assessment-failed", "assessment failed"),
                          ("fixed-report-not-written", "report not written")):
        equal(lines[name].get("outcome"), outcome, f"{name}: the outcome")
    return status()


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    sys.exit(main())
