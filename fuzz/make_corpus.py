#!/usr/bin/env python3
"""Writes the seed corpora in fuzz/corpus/<target>/.

The targets read their input through FuzzedDataProvider, which takes strings
from the front of the data and numbers from the back; Seed below lays out
bytes the same way, so each seed here reads like the values it stands for.
Run it again after changing how a target reads its input:

    python3 fuzz/make_corpus.py
"""

import hashlib
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


class Seed:
    """Bytes for FuzzedDataProvider: strings at the front, numbers at the back."""

    def __init__(self, prefix=b""):
        self.front = bytearray(prefix)
        self.back = []  # bytes in the order the provider consumes them

    def integer(self, value, low, high):
        span = high - low
        value -= low
        count = 0
        while count < 8 and (span >> (8 * count)) > 0:
            count += 1
        for shift in reversed(range(count)):  # most significant byte consumed first
            self.back.append((value >> (8 * shift)) & 0xFF)
        return self

    def u32(self, value):
        return self.integer(value & 0xFFFFFFFF, 0, 0xFFFFFFFF)

    def i32(self, value):
        # ConsumeIntegral<int32_t> maps the unsigned draw onto [INT32_MIN, INT32_MAX].
        return self.integer(value + 2**31, 0, 0xFFFFFFFF)

    def boolean(self, value):
        self.back.append(1 if value else 0)
        return self

    def string(self, data):
        """A ConsumeRandomLengthString string: backslashes doubled, ended by '\\' and one more byte."""
        if isinstance(data, str):
            data = data.encode("latin-1")
        self.front += data.replace(b"\\", b"\\\\") + b"\\|"
        return self

    def rest(self, data):
        if isinstance(data, str):
            data = data.encode("latin-1")
        self.front += data
        return self

    def bytes(self):
        return bytes(self.front) + bytes(reversed(self.back))


def wide(text):
    """The escaped form the targets' Widen reads: 0x80, low byte, high byte for units other than Latin-1."""
    out = bytearray()
    units = text.encode("utf-16-le", "surrogatepass")
    for i in range(0, len(units), 2):
        unit = units[i] | units[i + 1] << 8
        if unit < 0x100 and unit != 0x80:
            out.append(unit)
        else:
            out += bytes([0x80, unit & 0xFF, unit >> 8])
    return bytes(out)


def utf16(text):
    return text.encode("utf-16-le", "surrogatepass")


def write(target, seeds):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    # Inputs a fuzzer once found (regression-*) stay; the made seeds are made anew.
    for old in os.listdir(folder):
        if not old.startswith("regression-"):
            os.remove(os.path.join(folder, old))
    for name, data in seeds:
        if isinstance(data, Seed):
            data = data.bytes()
        digest = hashlib.sha1(data).hexdigest()[:8]
        with open(os.path.join(folder, f"{name}-{digest}"), "wb") as f:
            f.write(data)


# ---------------------------------------------------------------- fuzz_text

def text_seeds():
    seeds = []
    for name, text in [
        ("parse-blanks-digits-rest", "  42abc"),
        ("parse-minus-one", "-1"),
        ("parse-plus", "+7"),
        ("parse-no-digits", "abc"),
        ("parse-empty", ""),
        ("parse-sign-only", " -"),
        ("parse-u32-max", "4294967295"),
        ("parse-u32-over", "4294967296"),
        ("parse-u64-max", "18446744073709551615"),
        ("parse-u64-over", "18446744073709551616"),
        ("parse-minus-u64-max", "-18446744073709551615"),
        ("parse-leading-zeros", "000000000000000000000000000012"),
        ("parse-control-blanks", "\t\n\v\f\r 9"),
        ("parse-fullwidth-digit", "\uff11\uff12"),
        ("parse-nbsp", "\u00a05"),
        ("parse-ideographic-space", "\u30005"),
        ("parse-free-space", "107374182400"),
    ]:
        seeds.append((name, b"0" + wide(text)))
    for name, text in [
        ("utf8-ascii", "Client"),
        ("utf8-two-byte", "\u00ae\u07ff\u0080"),
        ("utf8-three-byte", "\u20ac\u0800\uffff\ufffd"),
        ("utf8-pair", "\U0001F600"),
        ("utf8-lone-high", "a\ud83d"),
        ("utf8-lone-low", "\ude00b"),
        ("utf8-reversed-pair", "\ude00\ud83d"),
        ("utf8-zero-unit", "a\u0000b"),
        ("utf8-high-high-low", "\ud83d\ud83d\ude00"),
    ]:
        seeds.append((name, b"1" + utf16(text)))
    for name, value, digits in [
        ("fixed-half-up", 2.125, 2),
        ("fixed-quarter", 0.25, 1),
        ("fixed-half-zero-digits", 2.5, 0),
        ("fixed-just-above-half", 0.005, 2),
        ("fixed-just-below-half", 9.995, 2),
        ("fixed-carry", 9.999, 2),
        ("fixed-negative-small", -0.001, 2),
        ("fixed-integer", 1024.0, 2),
        ("fixed-max", 1.7976931348623157e308, 2),
        ("fixed-subnormal", 5e-324, 2),
        ("fixed-gigabytes", 15.8949, 2),
    ]:
        seeds.append((name, Seed(b"2" + struct.pack("<d", value)).integer(digits, 0, 2).bytes()))
    for name, version, service_pack in [
        ("version-sp1", "6.1.7601", "Service Pack 1"),
        ("version-ten", "10.0.14393", ""),
        ("version-sp-suffix", "6.3.9600", "Service Pack 2, v.3244"),
        ("version-sp-no-number", "6.1.7601", "Service Pack"),
        ("version-sp-too-big", "6.1", "Service Pack 4294967296"),
        ("version-text-before-marker", "5.2", "12 Service Pack 3"),
        ("version-no-dot", "10", ""),
        ("version-bad-minor", "6.x.1", ""),
        ("version-minor-too-big", "6.4294967296.1", ""),
        ("version-lower-case-marker", "6.1", "service pack 1"),
    ]:
        seeds.append((name, Seed(b"3").string(wide(version)).rest(wide(service_pack)).bytes()))
    return seeds


# ---------------------------------------------------------------- fuzz_wmi

WMI_NAMES = ["MaxClockSpeed", "DriveType", "DeviceID", "FreeSpace", "TotalPhysicalMemory", "Name",
             "Version", "CSDVersion", "Caption", "ProductType", "AdapterRAM", "Unrelated"]


# The VARIANT types fuzz_wmi picks from, in its order, and the bits of each
# integer type.
WMI_TAGS = ["Empty", "Null", "Bstr", "Bool", "R8", "I1", "UI1", "I2", "UI2", "I4", "UI4", "Int", "UInt", "I8", "UI8"]
WMI_WIDTHS = {"I1": 8, "UI1": 8, "I2": 16, "UI2": 16, "I4": 32, "UI4": 32, "Int": 32, "UInt": 32, "I8": 64, "UI8": 64}


class Failed:
    """A property whose fetch failed."""


class Wide:
    """An integer WMI hands over as a 64-bit value."""

    def __init__(self, value):
        self.value = value


def wmi_property(seed, value):
    """Text as VT_BSTR, a number as VT_I4 (as WMI hands over 32-bit properties), Wide as VT_I8."""
    if isinstance(value, Failed):
        seed.integer(WMI_TAGS.index("I4"), 0, len(WMI_TAGS) - 1).integer(0, 0, 7)
        seed.integer(0, 0, 4095).integer(0, 0, 1048575)
        return
    if isinstance(value, str):
        seed.integer(WMI_TAGS.index("Bstr"), 0, len(WMI_TAGS) - 1).integer(1, 0, 7).string(wide(value))
        return
    tag, number = ("I8", value.value) if isinstance(value, Wide) else ("I4", value)
    width = WMI_WIDTHS[tag]
    seed.integer(WMI_TAGS.index(tag), 0, len(WMI_TAGS) - 1).integer(1, 0, 7)
    seed.integer(number >> 20, 0, (1 << (width - 20)) - 1).integer(number & 0xFFFFF, 0, 1048575)


def wmi_seed(processors, objects):
    seed = Seed().u32(processors).integer(len(objects), 0, 5)
    for properties in objects:
        seed.integer(len(properties), 0, 6)
        for name, value in properties:
            seed.integer(WMI_NAMES.index(name), 0, len(WMI_NAMES) - 1)
            wmi_property(seed, value)
    return seed


def wmi_seeds():
    gib = 1024**3
    return [
        ("empty", wmi_seed(8, [])),
        ("workstation", wmi_seed(4, [
            [("MaxClockSpeed", 2400), ("TotalPhysicalMemory", str(16 * gib)), ("Name", "HOST"),
             ("Version", "6.1.7601"), ("CSDVersion", "Service Pack 1"), ("ProductType", 1)],
        ])),
        ("server", wmi_seed(16, [
            [("Version", "10.0.14393"), ("Caption", "Server 2016"), ("ProductType", 3),
             ("AdapterRAM", 4293918720), ("TotalPhysicalMemory", str(int(8.5 * gib)))],
        ])),
        ("disks", wmi_seed(2, [
            [("DriveType", 3), ("DeviceID", "D:"), ("FreeSpace", str(100 * gib))],
            [("DriveType", 2), ("DeviceID", "A:"), ("FreeSpace", "0")],
            [("DriveType", 3), ("DeviceID", "C:"), ("FreeSpace", "123abc")],
            [("DriveType", 4), ("DeviceID", "Z:")],
            [("DriveType", 3), ("DeviceID", "E:"), ("FreeSpace", "")],
        ])),
        ("bad-numbers", wmi_seed(1, [
            [("TotalPhysicalMemory", "18446744073709551616"), ("Version", "6"), ("MaxClockSpeed", 0xFFFFFFFF),
             ("CSDVersion", "Service Pack 99999999999")],
        ])),
        ("wrong-kinds", wmi_seed(1, [
            [("MaxClockSpeed", "2400"), ("TotalPhysicalMemory", 1024), ("Version", 6), ("ProductType", "1"),
             ("AdapterRAM", "1073741824"), ("Name", 7)],
        ])),
        ("wide-and-failed", wmi_seed(1, [
            [("AdapterRAM", Wide(8 * gib + 5)), ("TotalPhysicalMemory", Failed()), ("Version", "6.1"),
             ("ProductType", Failed())],
        ])),
        ("unicode-texts", wmi_seed(2, [
            [("TotalPhysicalMemory", "\uff11\uff12"), ("Name", "R\u00e9seau\U0001F600"),
             ("Version", " 6 . 1"), ("Caption", "\ud800")],
        ])),
    ]


# ---------------------------------------------------------------- fuzz_registry

DOTNET_KEY = "Software\\Microsoft\\NET Framework Setup\\NDP\\v4\\Full"
BROWSER_KEY = "Software\\Microsoft\\Internet Explorer"
RUNTIME_PATHS = [
    "SOFTWARE\\Classes\\Installer\\Products\\6E815EB96CCE9A53884E7857C57002F0",
    "SOFTWARE\\Classes\\Installer\\Products\\67D6ECF5CD5FBA732B8B22BAC8DE1B4D",
]
for version, folder in [("10.0", "VCRedist"), ("12.0", "Runtimes"), ("14.0", "Runtimes")]:
    for arch in ["x86", "x64"]:
        RUNTIME_PATHS.append(f"SOFTWARE\\WOW6432Node\\Microsoft\\VisualStudio\\{version}\\VC\\{folder}\\{arch}")
        RUNTIME_PATHS.append(f"SOFTWARE\\Microsoft\\VisualStudio\\{version}\\VC\\{folder}\\{arch}")
# The target reads the runtime keys in table order, each path once.
RUNTIME_ORDER = []
for row in range(8):
    for path in ([RUNTIME_PATHS[row]] if row < 2 else RUNTIME_PATHS[2 + 2 * (row - 2): 4 + 2 * (row - 2)]):
        if path not in RUNTIME_ORDER:
            RUNTIME_ORDER.append(path)

STATUS = {0: 0, 2: 2, 234: 3, 5: 4}


def status(seed, code):
    if code in STATUS:
        seed.integer(STATUS[code], 0, 5)
    else:
        seed.integer(5, 0, 5).i32(code)


def registry_seed(wow64, dotnet, browser, runtimes):
    """dotnet/browser: (open status, {value name: (status, fail size, bytes)}); runtimes: set of open paths."""
    seed = Seed().u32(wow64)
    for (open_status, values), names in [(dotnet, ["Release", "Version"]), (browser, ["svcVersion", "Version"])]:
        status(seed, open_status)
        seed.boolean(False)
        for name in names:
            value_status, fail_size, data = values.get(name, (2, 0, b""))
            status(seed, value_status)
            seed.u32(fail_size)
            seed.string(data)
    for path in RUNTIME_ORDER:
        status(seed, 0 if path in runtimes else 2)
        seed.boolean(False)
    return seed


def sz(text):
    return utf16(text) + b"\0\0"


def registry_seeds():
    all64 = {p for p in RUNTIME_PATHS if "WOW6432Node" in p or "Installer" in p}
    all32 = {p for p in RUNTIME_PATHS if "WOW6432Node" not in p}
    return [
        ("nothing-32", registry_seed(0, (2, {}), (2, {}), set())),
        ("nothing-64", registry_seed(0xFFFFFFFF, (2, {}), (2, {}), set())),
        ("typical-64", registry_seed(0xFFFFFFFF,
                                     (0, {"Release": (0, 0, struct.pack("<I", 461814)), "Version": (0, 0, sz("4.7.03062"))}),
                                     (0, {"svcVersion": (0, 0, sz("11.0.9600.18817")), "Version": (0, 0, sz("9.11.9600"))}),
                                     all64)),
        ("typical-32", registry_seed(0,
                                     (0, {"Release": (0, 0, struct.pack("<I", 393295)), "Version": (0, 0, sz("4.6.01055"))}),
                                     (0, {"Version": (0, 0, sz("9.0.8112.16421"))}),
                                     all32)),
        ("version-too-long", registry_seed(1,
                                           (0, {"Release": (0, 0, struct.pack("<I", 528040)), "Version": (234, 26, sz("4.8.04084.0"))}),
                                           (0, {"svcVersion": (234, 300, b"")}),
                                           {RUNTIME_PATHS[0]})),
        ("release-missing", registry_seed(0,
                                          (0, {"Version": (0, 0, sz("4.5.51209"))}),
                                          (0, {"svcVersion": (5, 0, b""), "Version": (0, 0, sz("11"))}),
                                          set())),
        ("empty-texts", registry_seed(2,
                                      (0, {"Release": (0, 0, b"\x01"), "Version": (0, 0, b"\0\0")}),
                                      (0, {"svcVersion": (0, 0, b"")}),
                                      set())),
        ("odd-bytes-no-zero", registry_seed(0x55555555,
                                            (0, {"Release": (0, 0, b"\xff\xff\xff\xff\xff"), "Version": (0, 0, utf16("4.8.04084.01") + b"x")}),
                                            (0, {"svcVersion": (0, 0, utf16("\ud83d\ude00") + b"\x31")}),
                                            all32 | all64)),
        ("denied-and-odd-statuses", registry_seed(0,
                                                  (5, {}),
                                                  (-1, {}),
                                                  set())),
        ("key-opens-values-fail", registry_seed(0,
                                                (0, {"Release": (-5, 4, b"\x10\x20\x30\x40"), "Version": (2, 0, sz("4.0"))}),
                                                (0, {"svcVersion": (2, 0, sz("garbage")), "Version": (2, 0, sz("more"))}),
                                                set())),
    ]


# ---------------------------------------------------------------- fuzz_report

def role_seed(title, rows):
    seed = Seed(b"3").string(wide(title)).integer(len(rows), 0, 6)
    for passed, hardware, requirements, system, message in rows:
        seed.boolean(passed)
        for text in (hardware, requirements, system, message):
            seed.string(wide(text))
    return seed


def report_seeds():
    seeds = []
    for name, text in [
        ("cell-plain", "Windows 10 Pro"),
        ("cell-two-items", "Windows 7~Windows 10~"),
        ("cell-only-tilde", "~"),
        ("cell-empty-items", "~~a~"),
        ("cell-unended-rest", "A~B"),
        ("cell-entities", "{{CHECKBOX_ON}} Microsoft&reg;~{{CHECKBOX_OFF}} x64~"),
        ("cell-fullwidth-tilde", "a\uff5eb\u223c~"),
        ("cell-unicode", "R\u00e9le\U0001F600~\ud800~"),
    ]:
        seeds.append((name, b"0" + wide(text)))
    for name, placeholder, value, text in [
        ("replace-simple", "{{OEM_NAME}}", "Talvane", "<title>{{OEM_NAME}} and {{OEM_NAME}}</title>"),
        ("replace-value-holds-placeholder", "{{COMPUTER_NAME}}", "x{{COMPUTER_NAME}}y", "[{{COMPUTER_NAME}}]"),
        ("replace-absent", "{{MAJOR_VERSION}}", "17", "{{major_version}} {{ MAJOR_VERSION }}"),
        ("replace-empty-placeholder", "", "x", "abc"),
        ("replace-shrink", "{{CHECKBOX_ON}}", "", "{{CHECKBOX_ON}}{{CHECKBOX_ON}}"),
        ("replace-grow", "ab", "abab", "ababab"),
        ("replace-joined-around-removed", "{{X}}", "", "{{{{X}}X}}"),
        ("replace-joined-value-and-after", "{{X}}", "{{X", "{{X}}}}"),
    ]:
        seeds.append((name, Seed(b"1").string(placeholder).string(value).rest(text).bytes()))
    for name, real, body, computer, template in [
        ("fill-real", True, "<div class='container'>\n</div>\n", "HOST", ""),
        ("fill-real-checkboxes", True, "{{CHECKBOX_ON}} a~{{CHECKBOX_OFF}} b~", "R\u00e9seau", ""),
        ("fill-real-body-placeholders", True, "{{COMPUTER_NAME}} {{OEM_NAME}} {{REPORT_BODY}}", "{{COMPUTER_NAME}}", ""),
        ("fill-name-completes-placeholder", False, "{{COMPUTER_{{COMPUTER_NAME}}", "NAME}}", "{{REPORT_BODY}}"),
        ("fill-own-template", False, "B", "N", "{{REPORT_BODY}}|{{COMPUTER_NAME}}|{{OEM_NAME}}|{{OEM_PRODUCT_NAME}}|{{MAJOR_VERSION}}"),
    ]:
        seed = Seed(b"2").boolean(real).string(body.encode("utf-8")).string(wide(computer)).rest(template)
        seeds.append((name, seed.bytes()))
    seeds += [
        ("role-empty", role_seed("Client", [])),
        ("role-one-row", role_seed("R\u00e9le", [(True, "CPU\u00ae", "req", "sys~", "msg")])),
        ("role-pass-fail", role_seed("Web Server", [
            (True, "Processor", "2.0 GHz~4 cores~", "2.40 GHz~", "ok"),
            (False, "Memory", "8 GB", "4.0 GB", "Not enough memory.~Add more.~"),
        ])),
        ("role-markup-and-newlines", role_seed("A<b>\n", [
            (False, "x\ny", "<td>~", "a\nb~c\n", "&amp;\r\n"),
            (True, "", "", "", ""),
            (True, "~", "~~", "~", "rest~after"),
        ])),
    ]
    return seeds


# ---------------------------------------------------------------- fuzz_browser

def browser_seed(release, raw, dotnet, computer, browser):
    seed = Seed().u32(release).boolean(raw).string(wide(dotnet)).string(wide(computer))
    return seed.rest(utf16(browser) if raw else wide(browser))


def browser_seeds():
    return [
        ("ie11", browser_seed(461814, False, "4.7.03062", "HOST", "11.0.9600.18817")),
        ("ie9", browser_seed(393294, False, "4.6", "HOST", "9.11.9600.18817")),
        ("missing", browser_seed(0, False, "Not Installed", "", "0")),
        ("unknown", browser_seed(393295, True, "Not Installed", "H", "0.Unknown")),
        ("no-dot", browser_seed(4294967295, True, "", "", "12")),
        ("negative", browser_seed(1, False, "x", "y", "-12")),
        ("blanks", browser_seed(528040, False, "4.8", "R\u00e9seau", "  11.0")),
        ("empty", browser_seed(0, False, "", "", "")),
        ("starts-with-dot", browser_seed(0, True, "", "", ".11")),
        ("too-big", browser_seed(0, False, "", "", "99999999999999999999.0")),
        ("huge-wraps-negative", browser_seed(0, False, "", "", "18446744073709551615")),
        ("imitated-status-cell", browser_seed(413469, False, "x' width='100px'>FAIL", "", "11")),
        ("markup", browser_seed(393295, True, "<b>", "{{REPORT_BODY}}", "11<i>{{CHECKBOX_ON}}")),
    ]


# ---------------------------------------------------------------- fuzz_reader

def reader_seeds():
    """The golden pages, whole and cut short, and a page that is not a report."""
    golden = os.path.join(HERE, "..", "tests", "golden")
    seeds = []
    for name in ("AllPass", "AllFail", "Empty"):
        with open(os.path.join(golden, name + ".html"), "rb") as f:
            page = f.read()
        seeds.append((name.lower(), page))
        seeds.append((name.lower() + "-cut", page[: len(page) * 2 // 3]))
        # The same page as an editor, a copy tool or a checkout may leave it.
        lf = page.replace(b"\r\n", b"\n")
        seeds.append((name.lower() + "-lf", lf))
        seeds.append((name.lower() + "-bom-crlf", b"\xef\xbb\xbf" + lf.replace(b"\n", b"\r\n") + b"\r\n"))
        seeds.append((name.lower() + "-no-charset", page.replace(b'    <meta charset="utf-8">\r\n', b"", 1)))
    seeds.append(("other-html", b"<!DOCTYPE html>\n<html><body>Hello</body></html>"))
    return seeds


if __name__ == "__main__":
    write("fuzz_text", text_seeds())
    write("fuzz_wmi", wmi_seeds())
    write("fuzz_registry", registry_seeds())
    write("fuzz_report", report_seeds())
    write("fuzz_browser", browser_seeds())
    write("fuzz_reader", reader_seeds())
    for target in sorted(os.listdir(os.path.join(HERE, "corpus"))):
        print(target, len(os.listdir(os.path.join(HERE, "corpus", target))))
