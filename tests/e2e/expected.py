"""What the report must say, worked out from the facts a test read through
Wine's own tools or wrote into the registry itself, and a reader for the
report's role sections."""

import re

ROLES = ("Client", "Web Server or 32-bit Application Server", "64-bit Application Server")
ROW_COUNTS = {"Client": 8, "Web Server or 32-bit Application Server": 7, "64-bit Application Server": 7}

CHECKBOX_ON = "<input type=checkbox disabled=disabled checked=checked>"
CHECKBOX_OFF = "<input type=checkbox disabled=disabled>"


def cell(text):
    """A cell as the page shows it: one block per "~"-ended line, or the text."""
    if "~" not in text:
        return text
    items = text.split("~")[:-1]
    return "".join(f"<div class=list-div>{item}</div>\n" for item in items)


class Row:
    def __init__(self, hardware, passed, requirements, system, message):
        self.hardware = hardware
        self.passed = passed
        self.requirements = cell(requirements)
        self.system = cell(system)
        self.message = cell(message)

    def fields(self):
        return {"hardware": self.hardware, "status": "PASS" if self.passed else "FAIL",
                "requirements": self.requirements, "system": self.system, "message": self.message}


# --- operating system -------------------------------------------------------

SERVER_OS_REQUIREMENTS = ("Windows Server 2008 R2 SP1 or later service pack (x64)~Windows Server 2012 R2(x64)~"
                          "Windows Server 2016 (x64)~")
CLIENT_OS_REQUIREMENTS = ("Windows Server 2008 R2 SP1 or later service pack~Windows 7 SP1 or later service pack~"
                          "Windows 8.1~Windows Server 2012 R2~Windows 10~Windows Server 2016~")


def os_facts(version, csd_version):
    """major, minor and service pack from Win32_OperatingSystem's Version and
    CSDVersion texts."""
    pieces = version.split(".")
    major, minor = int(pieces[0]), int(pieces[1])
    service_pack = 0
    match = re.search(r"Service Pack\s*(\d+)", csd_version)
    if match:
        service_pack = int(match.group(1))
    return major, minor, service_pack


def os_rows(caption, version, csd_version, product_type):
    """The operating-system rows, keyed by role."""
    major, minor, service_pack = os_facts(version, csd_version)
    version_text = f"{major}.{minor}.{service_pack}"
    system = f"{caption} ({version_text})"
    supported = (major == 6 and minor == 1 and service_pack >= 1) or (major == 6 and minor == 3) or major == 10
    is_server = int(product_type) != 1

    client = Row("Operating System", supported, CLIENT_OS_REQUIREMENTS, system,
                 system + (" is supported." if supported else " is not supported."))
    if not is_server:
        server = Row("Server Operating System", False, SERVER_OS_REQUIREMENTS, system,
                     "Client operating systems are not supported for Dravik Servers.")
    else:
        server = Row("Server Operating System", supported, SERVER_OS_REQUIREMENTS, system,
                     f"{caption}({version_text}) is " + ("supported." if supported else "not supported."))
    return {ROLES[0]: client, ROLES[1]: server, ROLES[2]: server}


# --- .NET Framework and browser ---------------------------------------------

def dotnet_row(fixture):
    """fixture: None (no key) or a dict with "Release" (int) and/or "Version" (str)."""
    version, release = "Not Installed", 0
    if fixture is not None and "Version" in fixture and len(fixture["Version"]) <= 11:
        version, release = fixture["Version"], fixture.get("Release", 0)
    passed = release >= 393295
    return Row(".Net Runtime", passed, ".Net 4.6.0+", ".Net " + version,
               ".Net 4.6+ runtime or higher is installed." if passed else ".Net 4.6 runtime is not installed.")


def browser_version_text(fixture):
    """fixture: None (no key) or a dict with "svcVersion" and/or "Version"."""
    if fixture is None:
        return "0"
    for name in ("svcVersion", "Version"):
        if name in fixture:
            # 260 bytes of room: 129 UTF-16 units and the terminating zero.
            text = fixture[name]
            return text if len(text.encode("utf-16-le")) // 2 <= 129 else "0.Unknown"
    return "0.Unknown"


def browser_row(fixture):
    text = browser_version_text(fixture)
    digits = re.match(r"\s*[+-]?(\d*)", text.split(".")[0])
    sign = -1 if text.split(".")[0].lstrip().startswith("-") else 1
    major = sign * int(digits.group(1)) if digits.group(1) else 0
    passed = major >= 11
    return Row("Browser", passed, "Microsoft Internet Explorer 11+", "Microsoft Internet Explorer " + text,
               "Microsoft Internet Explorer 11 or higher is installed." if passed
               else "Microsoft Internet Explorer 11 is not installed.")


# --- C++ runtimes -------------------------------------------------------------

RUNTIMES = [
    # (display name, key on 64-bit Windows, key on 32-bit Windows), under HKLM
    ("Microsoft Visual C++ 2008 Redistributable x86", r"SOFTWARE\Classes\Installer\Products\6E815EB96CCE9A53884E7857C57002F0", None),
    ("Microsoft Visual C++ 2008 Redistributable x64", r"SOFTWARE\Classes\Installer\Products\67D6ECF5CD5FBA732B8B22BAC8DE1B4D", None),
    ("Microsoft Visual C++ 2010 Redistributable x86", r"SOFTWARE\WOW6432Node\Microsoft\VisualStudio\10.0\VC\VCRedist\x86", r"SOFTWARE\Microsoft\VisualStudio\10.0\VC\VCRedist\x86"),
    ("Microsoft Visual C++ 2010 Redistributable x64", r"SOFTWARE\WOW6432Node\Microsoft\VisualStudio\10.0\VC\VCRedist\x64", r"SOFTWARE\Microsoft\VisualStudio\10.0\VC\VCRedist\x64"),
    ("Microsoft Visual C++ 2013 Redistributable x86", r"SOFTWARE\WOW6432Node\Microsoft\VisualStudio\12.0\VC\Runtimes\x86", r"SOFTWARE\Microsoft\VisualStudio\12.0\VC\Runtimes\x86"),
    ("Microsoft Visual C++ 2013 Redistributable x64", r"SOFTWARE\WOW6432Node\Microsoft\VisualStudio\12.0\VC\Runtimes\x64", r"SOFTWARE\Microsoft\VisualStudio\12.0\VC\Runtimes\x64"),
    ("Microsoft Visual C++ 2015 Redistributable x86", r"SOFTWARE\WOW6432Node\Microsoft\VisualStudio\14.0\VC\Runtimes\x86", r"SOFTWARE\Microsoft\VisualStudio\14.0\VC\Runtimes\x86"),
    ("Microsoft Visual C++ 2015 Redistributable x64", r"SOFTWARE\WOW6432Node\Microsoft\VisualStudio\14.0\VC\Runtimes\x64", r"SOFTWARE\Microsoft\VisualStudio\14.0\VC\Runtimes\x64"),
]


def runtime_key(index, arch):
    name, key64, key32 = RUNTIMES[index]
    return key64 if arch == "win64" or key32 is None else key32


def runtime_decoy_key(index, arch):
    """The key of the other kind of Windows, which must not count."""
    name, key64, key32 = RUNTIMES[index]
    if key32 is None:
        return None
    return key32 if arch == "win64" else key64


REQUIRED_RUNTIMES = {
    ROLES[0]: [7],
    ROLES[1]: [1, 3, 5, 7],
    ROLES[2]: [2, 3, 4, 6, 8],
}  # numbers of RUNTIMES, counted from 1


def runtime_rows(installed):
    """installed: the set of RUNTIMES numbers (from 1) whose keys exist."""
    system = "".join((CHECKBOX_ON if n in installed else CHECKBOX_OFF) + RUNTIMES[n - 1][0] + "~"
                     for n in range(1, 9))
    rows = {}
    for role, required in REQUIRED_RUNTIMES.items():
        missing = [RUNTIMES[n - 1][0] for n in required if n not in installed]
        rows[role] = Row("Required C++ Runtimes *", not missing,
                         "".join(RUNTIMES[n - 1][0] + "~" for n in required), system,
                         "All required runtimes were found on this system." if not missing else
                         "The following runtimes were not found on this system:~" + "".join(m + "~" for m in missing))
    return rows


# --- reading the page ---------------------------------------------------------

SECTION = re.compile(
    r"<div class='container'>\n<h2 class='header-text table-header'>(?P<title>.*?): "
    r"<span class='(?P<verdict>\w+)'>(?P<sentence>.*?)</span></h2>\n"
    r"<div class='result-table'><table>\n<tr class=header-border><th class=text>Hardware</th>"
    r"<th class=text>Requirements</th><th class=text>Status</th><th class=text>System</th>"
    r"<th class=text>Message</th></tr>\n(?P<rows>.*?)</table></div></div>\n", re.S)
ROW = re.compile(
    r"<tr class='(?P<row_class>[^']*)'>\n<td class='text' width='150px'>(?P<hardware>.*?)</td>\n"
    r"<td class='text' width='400px'>(?P<requirements>.*?)</td>\n"
    r"<td class='text (?P<status_class>\w+)' width='100px'>(?P<status>\w+)</td>\n"
    r"<td class='text row-header' width='150px'>(?P<system>.*?)</td>\n"
    r"<td class='text'>(?P<message>.*?)</td>\n</tr>\n", re.S)


def read_sections(page):
    """The role sections of a page (text): a list of dicts with "title",
    "verdict", "sentence" and "rows" (dicts of the row's cells)."""
    sections = []
    for match in SECTION.finditer(page):
        rows = [m.groupdict() for m in ROW.finditer(match.group("rows"))]
        consumed = sum(len(m.group(0)) for m in ROW.finditer(match.group("rows")))
        sections.append({"title": match.group("title"), "verdict": match.group("verdict"),
                         "sentence": match.group("sentence"), "rows": rows,
                         "unparsed": len(match.group("rows")) - consumed})
    return sections


def check_structure(failures, sections, what):
    """Three sections in order, 8/7/7 rows, each verdict agreeing with its
    rows, row classes and status cells consistent. Returns sections by title."""
    failures.equal([s["title"] for s in sections], list(ROLES), f"{what}: section titles")
    by_title = {}
    for section in sections:
        title = section["title"]
        by_title[title] = section
        rows = section["rows"]
        failures.equal(section["unparsed"], 0, f"{what}: {title}: bytes between rows that are not rows")
        failures.equal(len(rows), ROW_COUNTS.get(title), f"{what}: {title}: number of rows")
        any_failed = any(r["status"] == "FAIL" for r in rows)
        failures.equal((section["verdict"], section["sentence"]),
                       ("fail", "This system does not meet the requirements.") if any_failed
                       else ("pass", "This system meets the requirements."), f"{what}: {title}: verdict")
        for i, row in enumerate(rows):
            failures.equal(row["row_class"], "" if i == len(rows) - 1 else "bottom-border",
                           f"{what}: {title}: row {i + 1} class")
            failures.equal(row["status_class"], row["status"].lower(), f"{what}: {title}: row {i + 1} status class")
    return by_title


def check_row(failures, sections_by_title, role, expected_row, what):
    """Compares the row of `role` with the same label as expected_row."""
    section = sections_by_title.get(role)
    if section is None:
        failures.check(False, f"{what}: no section {role}")
        return
    rows = [r for r in section["rows"] if r["hardware"] == expected_row.hardware]
    if not failures.equal(len(rows), 1, f"{what}: {role}: rows labelled {expected_row.hardware!r}"):
        return
    actual = {k: rows[0][k] for k in ("hardware", "status", "requirements", "system", "message")}
    for key, value in expected_row.fields().items():
        failures.equal(actual[key], value, f"{what}: {role}: {expected_row.hardware}: {key}")
