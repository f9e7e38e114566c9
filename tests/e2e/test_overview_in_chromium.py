"""The fleet overview as a browser sees it, made by the shipped summary.

make_reports.exe (the real renderer) writes a small fleet of report pages:
machines that pass and fail, two reports with the same computer name, and a
machine whose computer name is a <script> element and an <img onerror>, each
of which would mark the page's body if it ran. Under Wine,
dist/SystemAssessmentSummary.exe summarizes them into an overview page,
which is then loaded in headless Chromium. From the DOM Chromium built: no
script ran, no element came from a machine's text, the hostile name shows as
text, both duplicates are listed and marked, every machine's link leads to
its report. The summary also writes the lists and expects one host that has
no report: the bars of the shortfalls are drawn (their colour is on the
screenshot, their widths are the shares), and every count's link opens its
list file, which names as many hosts as the count says. A screenshot is kept
as overview.png in the artifacts.

usage: test_overview_in_chromium.py
"""

import html.parser
import subprocess
import sys
import urllib.parse
from pathlib import Path

import harness

HOSTILE = ("<script>document.body.setAttribute('data-ran','script')</script>"
           "<img src=x onerror=\"document.body.setAttribute('data-ran','img')\">")


class Overview(html.parser.HTMLParser):
    """The rows of the overview's machine table, its bars, and every element seen."""

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.tags = []
        self.body_attributes = {}
        self.rows = []
        self.bars = []
        self.table = None
        self.cell = None

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        self.tags.append(tag)
        if tag == "body":
            self.body_attributes = attrs
        elif tag == "table":
            self.table = attrs.get("class")
        elif tag == "tr" and self.table == "shortfalls":
            self.bars.append({"width": None, "href": None, "count": ""})
        elif self.table == "shortfalls" and self.bars:
            if tag == "div" and "style" in attrs:
                self.bars[-1]["width"] = attrs["style"]
            elif tag == "a":
                self.bars[-1]["href"] = attrs.get("href")
            elif tag == "td" and attrs.get("class") == "count":
                self.bars[-1]["in_count"] = True
        elif tag == "tr" and self.table == "machines":
            self.rows.append({"cells": [], "duplicate": False, "href": None})
        elif tag == "td" and self.rows:
            self.rows[-1]["cells"].append("")
            self.cell = self.rows[-1]
        elif tag == "span" and self.cell is not None and attrs.get("class") == "duplicate":
            self.cell["duplicate"] = True
        elif tag == "a" and self.cell is not None:
            self.cell["href"] = attrs.get("href")

    def handle_endtag(self, tag):
        if tag == "td":
            self.cell = None
            if self.bars:
                self.bars[-1]["in_count"] = False
        elif tag == "table":
            self.table = None

    def handle_data(self, data):
        if self.table == "shortfalls" and self.bars and self.bars[-1].get("in_count"):
            self.bars[-1]["count"] += data
        if self.cell is not None and not (self.cell["duplicate"] and data == "duplicate"):
            self.cell["cells"][-1] += data


def main():
    failures = harness.Failures()
    with harness.Prefix("win64") as prefix:
        fleet = prefix.workdir("fleet")
        reports = fleet / "reports"
        made = prefix.run(fleet, program=harness.env_path("NIMLO_E2E_MAKE_REPORTS"),
                          args=(harness.windows_path(reports), "samples"))
        if not failures.equal(made.status, 0, "make_reports.exe samples"):
            failures.finish()
        overview = fleet / "overview.html"
        expected = [path.stem for path in reports.glob("*.html")] + ["never-assessed-01"]
        (fleet / "expected.txt").write_text("\n".join(expected) + "\n", encoding="utf-8")
        summary = prefix.run(fleet, program=harness.env_path("NIMLO_E2E_SUMMARY"),
                             args=("--html", harness.windows_path(overview), "--csv",
                                   harness.windows_path(fleet / "fleet.csv"), "--lists",
                                   harness.windows_path(fleet / "lists"), "--expect",
                                   harness.windows_path(fleet / "expected.txt"), harness.windows_path(reports)))
        failures.equal(summary.status, 2, f"SystemAssessmentSummary.exe exit status (a host not assessed)\n"
                                          f"{summary.log[-2000:]}")
        failures.check("7 reports read, 0 rejected, 6 machines; Client: " in summary.log,
                       f"closing line:\n{summary.log[-1000:]}")
        failures.check("; 1 of 8 hosts expected not assessed" in summary.log, f"closing line:\n{summary.log[-1000:]}")
        if not overview.is_file():
            failures.check(False, "no overview written")
            failures.finish()

        url = overview.as_uri()
        dumped = harness.chromium("--dump-dom", url)
        failures.equal(dumped.returncode, 0, f"chromium --dump-dom: {dumped.stderr[-2000:]!r}")
        page = Overview()
        page.feed(dumped.stdout.decode("utf-8", errors="replace"))

        failures.equal(page.body_attributes.get("data-ran"), None, "a machine's text ran as script")
        failures.check("script" not in page.tags, f"a <script> element in the overview: {page.tags}")
        failures.check("img" not in page.tags, f"an <img> element in the overview: {page.tags}")
        machines = [row for row in page.rows if row["cells"]]
        names = [row["cells"][0] for row in machines]
        failures.check(HOSTILE in names, f"the hostile computer name is not shown as text: {names}")
        duplicates = [row["cells"][0] for row in machines if row["duplicate"]]
        failures.equal(duplicates, ["WS-ACCOUNTS-07", "WS-ACCOUNTS-07"], "machines marked as duplicates")
        failures.equal(len(machines), 7, "machines listed")
        failures.equal(sorted(names, key=str.casefold), names, "machines in name order")
        for row in machines:
            href = row["href"] or ""
            target = (overview.parent / urllib.parse.unquote(href)).resolve()
            failures.check(href and not href.startswith(("/", "file:")) and target.is_file(),
                           f"{row['cells'][0]!r}: link {href!r} does not lead to its report")
        pass_row = next(row for row in machines if row["cells"][0] == "SRV-WEB-01")
        failures.equal(pass_row["cells"][1:4], ["meets"] * 3, "SRV-WEB-01's verdicts")

        failures.check(len(page.bars) >= 3 * 8, f"bars: {len(page.bars)}")
        for bar in page.bars:
            failures.check(bar["width"] and bar["width"].startswith("width:"), f"a bar without its width: {bar}")
            count = int(bar["count"] or "0")
            if count == 0:
                failures.equal(bar["href"], None, f"a count of none links somewhere: {bar}")
                continue
            target = (overview.parent / urllib.parse.unquote(bar["href"] or "")).resolve()
            if failures.check(bar["href"] and target.is_file(), f"count {count}: link {bar['href']!r} leads nowhere"):
                names = target.read_text("utf-8").splitlines()
                failures.equal(len(names), count, f"{bar['href']}: hosts listed")
                tenths = (1000 * count + 3) // 7
                share = f"width:{tenths // 10}.{tenths % 10}%"
                failures.equal(bar["width"], share, f"{bar['href']}: the bar's width")
        failures.equal((fleet / "lists" / "not-assessed.txt").read_text("utf-8"), "never-assessed-01\n",
                       "not-assessed.txt")

        shot = harness.artifacts_dir() / "overview.png"
        taken = harness.chromium("--screenshot=" + str(shot), "--window-size=1280,1400", url)
        failures.check(taken.returncode == 0 and shot.is_file(), f"screenshot: {taken.stderr[-2000:]!r}")
        if shot.is_file():
            # The bars' colour on the screen: the share of pixels of it.
            measured = subprocess.run(["convert", str(shot), "-alpha", "off", "-fuzz", "4%", "-fill", "black",
                                       "+opaque", "#c0392b", "-fill", "white", "-opaque", "#c0392b", "-format",
                                       "%[fx:mean]", "info:"], capture_output=True, text=True)
            failures.check(measured.returncode == 0 and float(measured.stdout or 0) > 0.001,
                           f"no bar is drawn on the screenshot: {measured.stdout!r} {measured.stderr[-500:]!r}")
    failures.finish()


if __name__ == "__main__":
    main()
