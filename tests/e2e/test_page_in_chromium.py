"""The finished page as a browser sees it.

One run in a 64-bit prefix with a registry fixture that passes some rows and
fails others; the page is loaded in headless Chromium. From the DOM Chromium
built: three sections with their titles and verdicts, 8/7/7 rows, the PASS
and FAIL cells and the C++ runtime check boxes (checked exactly for the
installed runtimes). A screenshot is kept as report.png in the artifacts.

usage: test_page_in_chromium.py
"""

import html.parser

import expected
import harness
import test_registry_fixtures as fixtures

DOTNET = {"Release": 394802, "Version": "4.6.01586"}
BROWSER = {"svcVersion": "11.0.9600.18817"}
INSTALLED = {1, 3, 5, 7, 8}  # the Client and Web Server runtimes, not the 64-bit ones


class Dom(html.parser.HTMLParser):
    """Sections (h2 text), rows (cell texts) and check boxes of a page."""

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.sections = []
        self.stack = []
        self.cell = None

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        if tag == "h2" and "table-header" in (attrs.get("class") or ""):
            self.sections.append({"heading": "", "verdict": None, "rows": []})
            self.stack.append("h2")
        elif tag == "span" and self.stack[-1:] == ["h2"]:
            self.sections[-1]["verdict"] = attrs.get("class")
        elif tag == "tr" and self.sections and attrs.get("class") != "header-border":
            self.sections[-1]["rows"].append({"cells": [], "status_class": None, "boxes": []})
        elif tag == "td" and self.sections and self.sections[-1]["rows"]:
            row = self.sections[-1]["rows"][-1]
            row["cells"].append("")
            if len(row["cells"]) == 3:
                row["status_class"] = attrs.get("class")
            self.cell = row
        elif tag == "input" and self.cell is not None:
            self.cell["boxes"].append(("checked" in attrs, attrs.get("disabled") is not None))

    def handle_endtag(self, tag):
        if tag == "h2" and self.stack[-1:] == ["h2"]:
            self.stack.pop()
        elif tag == "td":
            self.cell = None

    def handle_data(self, data):
        if self.stack[-1:] == ["h2"]:
            self.sections[-1]["heading"] += data
        elif self.cell is not None:
            self.cell["cells"][-1] += data


def main():
    failures = harness.Failures()
    with harness.Prefix("win64") as prefix:
        prefix.reg_import(fixtures.fixture_lines("win64", DOTNET, BROWSER, INSTALLED))
        facts = {p: prefix.wmic("os", p) for p in ("Caption", "Version", "CSDVersion", "ProductType")}
        result = prefix.run()
        failures.equal(result.status, 0, "exit status")
        page = result.report_path
        url = "file://" + str(page).replace(" ", "%20")
        dumped = harness.chromium("--dump-dom", url)
        failures.equal(dumped.returncode, 0, f"chromium --dump-dom: {dumped.stderr[-2000:]!r}")
        shot = harness.artifacts_dir() / "report.png"
        if shot.exists():
            shot.unlink()
        taken = harness.chromium("--screenshot=" + str(shot), "--window-size=1280,2400", url)
        failures.check(taken.returncode == 0 and shot.is_file() and shot.stat().st_size > 10000,
                       f"screenshot {shot}: {taken.stderr[-2000:]!r}")
        harness.keep_artifact("report.html", result.report_bytes())

    dom = Dom()
    dom.feed(dumped.stdout.decode("utf-8"))
    os_rows = expected.os_rows(facts["Caption"], facts["Version"], facts["CSDVersion"], facts["ProductType"])
    runtime_rows = expected.runtime_rows(INSTALLED)
    failures.equal([s["heading"].split(":")[0] for s in dom.sections], list(expected.ROLES), "section titles")
    for role, section in zip(expected.ROLES, dom.sections):
        rows = section["rows"]
        failures.equal(len(rows), expected.ROW_COUNTS[role], f"{role}: rows in the DOM")
        by_label = {r["cells"][0]: r for r in rows if r["cells"]}
        wanted = {
            os_rows[role].hardware: os_rows[role].passed,
            ".Net Runtime": expected.dotnet_row(DOTNET).passed,
            "Browser": expected.browser_row(BROWSER).passed,
            "Required C++ Runtimes *": runtime_rows[role].passed,
        }
        for label, passed in wanted.items():
            row = by_label.get(label)
            if failures.check(row is not None, f"{role}: no row {label!r}"):
                failures.equal((row["cells"][2], row["status_class"]),
                               ("PASS", "text pass") if passed else ("FAIL", "text fail"), f"{role}: {label} status")
        statuses = [r["cells"][2] for r in rows if len(r["cells"]) == 5]
        failures.equal(len(statuses), len(rows), f"{role}: rows with five cells")
        any_failed = "FAIL" in statuses
        failures.equal((section["verdict"], section["heading"].split(": ", 1)[-1]),
                       ("fail", "This system does not meet the requirements.") if any_failed
                       else ("pass", "This system meets the requirements."), f"{role}: verdict")
        runtimes = by_label.get("Required C++ Runtimes *")
        if runtimes:
            failures.equal(runtimes["boxes"], [(n in INSTALLED, True) for n in range(1, 9)],
                           f"{role}: check boxes (checked, disabled)")
    # The fixture is chosen so that the C++ row tells the roles apart.
    failures.equal([runtime_rows[r].passed for r in expected.ROLES], [True, True, False], "fixture sanity")
    failures.finish()


if __name__ == "__main__":
    main()
