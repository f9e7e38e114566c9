#!/usr/bin/env python3
"""Writes the expected report pages for the golden test.

A second, independent rendering of the report written straight from the
product's rules (texts, thresholds, roundings, markup), so that the C++ program
is compared with something it did not produce itself. Run it after changing a
rule on purpose, then read the diff of the pages before committing them.
"""
import decimal
import math
import struct
import sys
from pathlib import Path

HERE = Path(__file__).resolve().parent
TEMPLATE = HERE.parent.parent / "report" / "resources" / "ReportTemplate.html"


def fixed(value, digits):
    """Exact binary value, halves away from zero."""
    exact = decimal.Decimal(value)
    q = decimal.Decimal(1).scaleb(-digits)
    text = str(abs(exact).quantize(q, rounding=decimal.ROUND_HALF_UP))
    return ("-" if math.copysign(1, value) < 0 else "") + text


def f32(x):
    return struct.unpack("<f", struct.pack("<f", x))[0]


def rounded_memory(size):
    product = f32(f32(size) * f32(100.0))
    return f32(f32(math.ceil(product)) / f32(100.0))


RUNTIMES = [f"Microsoft Visual C++ {y} Redistributable {a}" for y in (2008, 2010, 2013, 2015) for a in ("x86", "x64")]


def supported(major, minor, sp):
    return (major == 6 and minor == 1 and sp >= 1) or (major == 6 and minor == 3) or major == 10


def os_rows(p):
    major, minor, sp, caption, server = p["os"]
    version = f"{major}.{minor}.{sp}"
    system = f"{caption} ({version})"
    ok = supported(major, minor, sp)
    client = ("Operating System", ok,
              "Windows Server 2008 R2 SP1 or later service pack~Windows 7 SP1 or later service pack~Windows 8.1~"
              "Windows Server 2012 R2~Windows 10~Windows Server 2016~",
              system, system + (" is supported." if ok else " is not supported."))
    if not server:
        smsg, spass = "Client operating systems are not supported for Dravik Servers.", False
    else:
        spass = ok
        smsg = f"{caption}({version}) is " + ("supported." if ok else "not supported.")
    srv = ("Server Operating System", spass,
           "Windows Server 2008 R2 SP1 or later service pack (x64)~Windows Server 2012 R2(x64)~Windows Server 2016 (x64)~",
           system, smsg)
    return client, srv


def cpu_rows(p):
    ghz, count = p["cpu"]
    system = f"{fixed(ghz, 2)} GHz {count} Core CPU"
    spass = ghz >= 2.4 and count >= 2
    srv = ("CPU", spass,
           "Minimum: 2.40 GHz / 2 cores~Recommended: Intel&reg; XEON&trade; processor with multiple cores or processors~",
           system,
           "\tThis system meets the recommended 2.4 GHz 2 Core." if spass
           else "This system does not meet the minimum 2.4 GHz 2 Core.")
    if ghz >= 2.0:
        msg = "This system meets the recommended 2.0 GHz."
    elif ghz >= 1.0:
        msg = "This system meets the minimum 1.0 GHz."
    else:
        msg = "This system does not meet the minimum 1.0 GHz."
    client = ("CPU", ghz >= 1.0, "Minimum: 1.00 GHz~Recommended: 2.00 GHz~", system, msg)
    return client, srv


def memory_row(p, minimum, recommended):
    size = p["memory"]
    r = rounded_memory(size)
    if r >= recommended:
        msg = f"This system meets the recommended {recommended} GB."
    elif r >= minimum:
        msg = f"This system meets the minimum {minimum} GB."
    else:
        msg = f"This system does not meet the minimum {minimum} GB."
    return ("Memory", r >= minimum, f"Minimum: {minimum} GB~Recommended: {recommended} GB~",
            f"{fixed(size, 2)} GB RAM", msg)


def disk_row(p, sep):
    ok = any(free >= 2.0 for free, _ in p["disks"])
    system = "".join(f"{fixed(free, 2)} GB free on {name}{sep}" for free, name in p["disks"])
    return ("Free Hard Disk Space", ok, "2 GB or greater", system,
            "This system meets the required 2 GB of free space." if ok
            else "This system does not meet the required 2 GB of free space.")


def video_row(p):
    mb = p["video"]
    if mb >= 256:
        msg = "This system meets the recommended 256 MB video memory."
    elif mb >= 128:
        msg = "This system meets the minimum 128 MB video memory."
    else:
        msg = "This system does not meet the recommended 128 MB video memory."
    return ("Video Memory", mb >= 128, "Minimum: 128 MB~Recommended: 256 MB~", f"{mb} MB", msg)


def dotnet_row(p):
    version, release = p["dotnet"]
    ok = release >= 393295
    return (".Net Runtime", ok, ".Net 4.6.0+", ".Net " + version,
            ".Net 4.6+ runtime or higher is installed." if ok else ".Net 4.6 runtime is not installed.")


def browser_row(p):
    text = p["ie"]
    head = text.split(".")[0].lstrip(" \t\n\v\f\r")
    digits = ""
    for ch in head:
        if not ch.isdigit():
            break
        digits += ch
    major = int(digits) if digits and int(digits) < 2**64 else 0
    ok = major >= 11
    return ("Browser", ok, "Microsoft Internet Explorer 11+", "Microsoft Internet Explorer " + text,
            "Microsoft Internet Explorer 11 or higher is installed." if ok
            else "Microsoft Internet Explorer 11 is not installed.")


def cpp_row(p, required):
    detected = p["runtimes"]
    system = "".join(("{{CHECKBOX_ON}}" if on else "{{CHECKBOX_OFF}}") + name + "~" for name, on in detected)
    missing = [name for name, on in detected if not on and name in required]
    msg = ("All required runtimes were found on this system." if not missing
           else "The following runtimes were not found on this system:~" + "".join(m + "~" for m in missing))
    return ("Required C++ Runtimes *", not missing, "".join(r + "~" for r in required), system, msg)


def cell(text):
    if "~" not in text:
        return text
    return "".join(f"<div class=list-div>{item}</div>\n" for item in text.split("~")[:-1])


def section(title, rows):
    ok = all(r[1] for r in rows)
    out = ["<div class='container'>\n",
           f"<h2 class='header-text table-header'>{title}: <span class='{'pass' if ok else 'fail'}'>"
           f"{'This system meets the requirements.' if ok else 'This system does not meet the requirements.'}"
           "</span></h2>\n",
           "<div class='result-table'><table>\n",
           "<tr class=header-border><th class=text>Hardware</th><th class=text>Requirements</th>"
           "<th class=text>Status</th><th class=text>System</th><th class=text>Message</th></tr>\n"]
    for i, (label, passed, req, system, msg) in enumerate(rows):
        out.append(f"<tr class='{'' if i == len(rows) - 1 else 'bottom-border'}'>\n")
        out.append(f"<td class='text' width='150px'>{label}</td>\n")
        out.append(f"<td class='text' width='400px'>{cell(req)}</td>\n")
        out.append(f"<td class='text {'pass' if passed else 'fail'}' width='100px'>{'PASS' if passed else 'FAIL'}</td>\n")
        out.append(f"<td class='text row-header' width='150px'>{cell(system)}</td>\n")
        out.append(f"<td class='text'>{cell(msg)}</td>\n")
        out.append("</tr>\n")
    out.append("</table></div></div>\n")
    return "".join(out)


def page(p):
    client_os, server_os = os_rows(p)
    client_cpu, server_cpu = cpu_rows(p)
    client = [client_os, client_cpu, memory_row(p, 1, 2), disk_row(p, ";"), video_row(p), dotnet_row(p),
              browser_row(p), cpp_row(p, [RUNTIMES[6]])]
    web = [server_os, server_cpu, memory_row(p, 4, 8), disk_row(p, "~"), dotnet_row(p), browser_row(p),
           cpp_row(p, [RUNTIMES[0], RUNTIMES[2], RUNTIMES[4], RUNTIMES[6]])]
    app = [server_os, server_cpu, memory_row(p, 6, 12), disk_row(p, "~"), dotnet_row(p), browser_row(p),
           cpp_row(p, [RUNTIMES[1], RUNTIMES[2], RUNTIMES[3], RUNTIMES[5], RUNTIMES[7]])]
    body = (section("Client", client) + section("Web Server or 32-bit Application Server", web)
            + section("64-bit Application Server", app)).encode("utf-8")
    text = TEMPLATE.read_bytes()
    for placeholder, value in [(b"{{REPORT_BODY}}", body), (b"{{COMPUTER_NAME}}", p["name"].encode("utf-8")),
                               (b"{{OEM_NAME}}", b"Talvane"), (b"{{OEM_PRODUCT_NAME}}", b"Dravik"),
                               (b"{{MAJOR_VERSION}}", b"17"),
                               (b"{{CHECKBOX_ON}}", b"<input type=checkbox disabled=disabled checked=checked>"),
                               (b"{{CHECKBOX_OFF}}", b"<input type=checkbox disabled=disabled>")]:
        text = text.replace(placeholder, value)
    return text


# The same machines as tests/fakes/Profiles.cpp.
PROFILES = {
    "AllPass": dict(cpu=(3.401, 8), disks=[(80.25, "C:"), (1.5, "D:")], memory=16.0, name="SRV-Z\u00dcRICH",
                    os=(10, 0, 0, "Microsoft Windows Server 2016 Standard", True), video=4096,
                    ie="11.0.9600.18817", dotnet=("4.7.02053", 461310), runtimes=[(n, True) for n in RUNTIMES]),
    "AllFail": dict(cpu=(0.8, 1), disks=[(1.125, "C:"), (0.5, "E:")], memory=0.75, name="WS-\u00c5SA",
                    os=(6, 1, 0, "Microsoft Windows 7 Professional ", False), video=64,
                    ie="9.11.9600.18817", dotnet=("4.5.51209", 379893), runtimes=[(n, False) for n in RUNTIMES]),
    "Empty": dict(cpu=(0.0, 0), disks=[], memory=0.0, name="", os=(0, 0, 0, "", False), video=0, ie="",
                  dotnet=("", 0), runtimes=[]),
}

if __name__ == "__main__":
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else HERE
    for name, profile in PROFILES.items():
        (out / f"{name}.html").write_bytes(page(profile))
        print(f"wrote {out / (name + '.html')}")
