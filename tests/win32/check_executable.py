#!/usr/bin/env python3
"""Checks the built SystemAssessment.exe as a file: a 32-bit GUI program that
imports only DLLs every Windows has, carrying the report template, the
manifest and the version information.

Usage: check_executable.py SystemAssessment.exe ReportTemplate.html
"""
import sys

import pefile

SYSTEM_DLLS = {"KERNEL32.DLL", "USER32.DLL", "SHELL32.DLL", "ADVAPI32.DLL", "OLE32.DLL", "OLEAUT32.DLL",
               "MSVCRT.DLL"}
SUPPORTED_OS = {
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  # Windows 7
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  # Windows 8
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  # Windows 8.1
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  # Windows 10
}

failures = []


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what)
    if not condition:
        failures.append(what)


def resource(pe, type_id, name_id):
    """{language: bytes} of one resource."""
    found = {}
    directory = getattr(pe, "DIRECTORY_ENTRY_RESOURCE", None)
    for rtype in directory.entries if directory else []:
        if rtype.id != type_id:
            continue
        for name in rtype.directory.entries:
            if name.id != name_id:
                continue
            for language in name.directory.entries:
                entry = language.data.struct
                found[language.id] = pe.get_data(entry.OffsetToData, entry.Size)
    return found


def main(exe_path, template_path):
    pe = pefile.PE(exe_path)
    check(pe.FILE_HEADER.Machine == pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_I386"], "32-bit x86 image")
    check(pe.OPTIONAL_HEADER.Subsystem == pefile.SUBSYSTEM_TYPE["IMAGE_SUBSYSTEM_WINDOWS_GUI"],
          "Windows GUI subsystem (no console)")

    imported = {entry.dll.decode().upper() for entry in pe.DIRECTORY_ENTRY_IMPORT}
    check(imported == SYSTEM_DLLS, f"imports exactly {sorted(SYSTEM_DLLS)} (found {sorted(imported)})")

    template = open(template_path, "rb").read()
    html = resource(pe, 23, 101)
    check(list(html) == [1033], f"RT_HTML 101 in language 1033 only (found {sorted(html)})")
    check(html.get(1033) == template, f"RT_HTML 101 holds the template's {len(template)} bytes")

    manifests = resource(pe, 24, 1)
    manifest = next(iter(manifests.values()), b"").decode("utf-8", "replace")
    check('level="asInvoker"' in manifest and 'uiAccess="false"' in manifest,
          "manifest asks for asInvoker without UI access")
    check(all(f'Id="{guid}"' in manifest for guid in SUPPORTED_OS), "manifest lists Windows 7, 8, 8.1 and 10")

    strings = {}
    for info in getattr(pe, "FileInfo", [[]])[0] if getattr(pe, "FileInfo", None) else []:
        for table in getattr(info, "StringTable", []):
            strings.update({k.decode(): v.decode() for k, v in table.entries.items()})
    check(strings.get("ProductName") == "Dravik System Assessment", "version info: product name")
    check(strings.get("CompanyName") == "Talvane", "version info: company")
    fixed = getattr(pe, "VS_FIXEDFILEINFO", None)
    check(bool(fixed) and fixed[0].ProductVersionMS >> 16 == 17, "version info: product version 17")

    if failures:
        print(f"{len(failures)} failed", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
