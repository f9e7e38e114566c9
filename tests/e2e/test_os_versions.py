"""The operating-system rows of the three roles under every Windows version
Wine can pretend to be, in a 32-bit or a 64-bit prefix.

For each version the test reads Win32_OperatingSystem through Wine's own
wmic and works the rows out from Version, CSDVersion, Caption and
ProductType; the program's page must agree letter for letter. Each run's page
must also have the three sections with 8/7/7 rows and be opened once.

usage: test_os_versions.py win32|win64 VERSION...
"""

import sys

import expected
import harness


def main():
    arch, versions = sys.argv[1], sys.argv[2:]
    failures = harness.Failures()
    seen = set()
    with harness.Prefix(arch) as prefix:
        for version in versions:
            prefix.set_windows_version(version)
            facts = {prop: prefix.wmic("os", prop) for prop in ("Caption", "Version", "CSDVersion", "ProductType")}
            what = f"{arch} {version} {facts}"
            print(what, flush=True)
            seen.add((facts["Caption"], facts["Version"], facts["CSDVersion"]))

            result = prefix.run()
            failures.equal(result.status, 0, f"{what}: exit status")
            if not failures.check(result.report_path.is_file(), f"{what}: no report written\n{result.log}"):
                continue
            data = result.report_bytes()
            harness.check_report_file(failures, data, what)
            failures.equal(len(result.new_records), 1, f"{what}: open requests")

            sections = expected.check_structure(failures, expected.read_sections(data.decode("utf-8")), what)
            rows = expected.os_rows(facts["Caption"], facts["Version"], facts["CSDVersion"], facts["ProductType"])
            for role in expected.ROLES:
                expected.check_row(failures, sections, role, rows[role], what)
                # The operating system is always the first row.
                if role in sections and sections[role]["rows"]:
                    failures.equal(sections[role]["rows"][0]["hardware"], rows[role].hardware,
                                   f"{what}: {role}: first row")
    # Guards against Wine ignoring the version setting: then every run above
    # would test the same thing.
    failures.equal(len(seen), len(versions), f"{arch}: distinct systems reported by wmic")
    failures.finish()


if __name__ == "__main__":
    main()
