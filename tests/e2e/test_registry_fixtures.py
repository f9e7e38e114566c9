"""The .NET, browser and C++ runtime rows of all three roles against registry
contents the test writes itself.

In a 64-bit prefix the fixtures go into the native 64-bit view, and the
32-bit view (and, for the runtimes, the plain paths) gets decoys with values
of its own: a program that read the wrong view would show them. In a 32-bit
prefix the decoys sit under the WOW6432Node paths, which 32-bit Windows never
uses.

usage: test_registry_fixtures.py win32|win64
"""

import sys

import expected
import harness

DOTNET_KEY = r"SOFTWARE\Microsoft\NET Framework Setup\NDP\v4\Full"
IE_KEY = r"SOFTWARE\Microsoft\Internet Explorer"
WOW = r"SOFTWARE\WOW6432Node"
HKLM = "HKEY_LOCAL_MACHINE"

# One run per case; the three families are independent of each other, so
# each run covers one case of each.
CASES = [
    # (.NET fixture, browser fixture, installed runtimes)
    ({"Release": 393295, "Version": "4.6.01055"},
     {"svcVersion": "11.0.9600.18817", "Version": "9.11.9600.18817"}, set(range(1, 9))),
    ({"Release": 393294, "Version": "4.6.01038"},
     {"Version": "9.11.9600.18817"}, set()),
    ({"Release": 393295, "Version": "4.6.01055.1"},          # 11 characters: fits
     {"svcVersion": "11." + "0" * 126}, {7, 8}),              # 129 units: fits
    ({"Release": 393295, "Version": "4.6.01055.12"},         # 12 characters: does not fit
     {"svcVersion": "11." + "0" * 127, "Version": "11.0"}, {1, 2, 4, 5, 6, 7, 8}),  # 130 units, no fallback
    ({"Version": "4.6.01055"},                               # no Release
     {"svcVersion": "abc.11"}, {1, 2, 3, 4, 5, 6, 8}),        # no leading digits
    ({"Release": 460805},                                    # no Version
     {}, {2, 3, 4, 6, 8}),                                    # neither value
    (None, None, {1, 3, 5, 7}),                               # no keys at all
    ({"Release": 4294967295, "Version": ""},
     {"Version": "12"}, {3}),
]

DOTNET_DECOY = {"Release": 528040, "Version": "9.9.32VIEW"}
IE_DECOY = {"svcVersion": "77.0.32VIEW", "Version": "78.0.32VIEW"}


def key_lines(key, values):
    """A .reg block that deletes `key` and, unless values is None, creates it
    with those values (int: REG_DWORD, str: REG_SZ)."""
    lines = [f"[-{HKLM}\\{key}]", ""]
    if values is not None:
        lines.append(f"[{HKLM}\\{key}]")
        for name, value in values.items():
            if isinstance(value, int):
                lines.append(f'"{name}"=dword:{value:08x}')
            else:
                lines.append(f'"{name}"={harness.reg_string(value)}')
        lines.append("")
    return lines


def fixture_lines(arch, dotnet, browser, installed):
    lines = key_lines(DOTNET_KEY, dotnet) + key_lines(IE_KEY, browser)
    if arch == "win64":
        lines += key_lines(WOW + "\\" + DOTNET_KEY[len("SOFTWARE\\"):], DOTNET_DECOY)
        lines += key_lines(WOW + "\\" + IE_KEY[len("SOFTWARE\\"):], IE_DECOY)
    for n in range(1, 9):
        lines += key_lines(expected.runtime_key(n - 1, arch), {} if n in installed else None)
        decoy = expected.runtime_decoy_key(n - 1, arch)
        if decoy:
            # Present exactly where the real key is absent.
            lines += key_lines(decoy, None if n in installed else {"Installed": 1})
    return lines


def main():
    arch = sys.argv[1]
    failures = harness.Failures()
    with harness.Prefix(arch) as prefix:
        for number, (dotnet, browser, installed) in enumerate(CASES, 1):
            what = f"{arch} case {number}"
            print(f"{what}: .NET {dotnet}, browser {browser}, runtimes {sorted(installed)}", flush=True)
            prefix.reg_import(fixture_lines(arch, dotnet, browser, installed))
            # The fixture as Wine's own reg tool reads it back.
            if dotnet and "Version" in dotnet:
                failures.equal(prefix.reg_query(f"HKLM\\{DOTNET_KEY}", "Version"), dotnet["Version"],
                               f"{what}: .NET Version written")

            result = prefix.run()
            failures.equal(result.status, 0, f"{what}: exit status")
            if not failures.check(result.report_path.is_file(), f"{what}: no report written\n{result.log}"):
                continue
            data = result.report_bytes()
            harness.check_report_file(failures, data, what)
            sections = expected.check_structure(failures, expected.read_sections(data.decode("utf-8")), what)
            runtime_rows = expected.runtime_rows(installed)
            for role in expected.ROLES:
                expected.check_row(failures, sections, role, expected.dotnet_row(dotnet), what)
                expected.check_row(failures, sections, role, expected.browser_row(browser), what)
                expected.check_row(failures, sections, role, runtime_rows[role], what)
            if failures.items and not (harness.artifacts_dir() / f"registry-{arch}-{number}.html").exists():
                harness.keep_artifact(f"registry-{arch}-{number}.html", data)
    failures.finish()


if __name__ == "__main__":
    main()
