#!/usr/bin/env python3
"""Checks SystemAssessment.exe as a file, as Windows' loader will meet it:

- a 32-bit GUI image whose PE header asks for no newer Windows than XP
  (operating-system and subsystem version at most 5.1), with ASLR and DEP;
- static imports only of DLLs that Windows always takes from its KnownDLLs,
  none delay-loaded, none by ordinal;
- every imported function exported by Windows XP SP3 and Server 2003 SP2,
  as the table of API minimums says; a function the table lacks fails too,
  so a new import is a decision somebody makes by adding its row;
- no std::filesystem linked in (the program writes through its file seam);
- the report template, the manifest and the version information.

Prints every import with its minimums.

Usage: check_executable.py SystemAssessment.exe ReportTemplate.html windows-api-minimums.tsv VERSION

VERSION is the project version in four parts (17.0.0.0): the version
resource's file and product versions and the manifest's assembly version.
"""
import csv
import re
import sys
from pathlib import Path

import pefile

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tools"))
from checklist import check, status  # noqa: E402

# DLLs that Windows maps from \\KnownDlls, never from the program's folder or
# the current directory. All are in the KnownDLLs list from Windows XP on,
# except msvcrt.dll, which is on it from Windows 7; on XP and Server 2003 it
# enters \\KnownDlls as a load-time import of the listed DLLs (advapi32,
# user32, ole32, shell32 all import it).
KNOWN_DLLS = {"KERNEL32.DLL", "USER32.DLL", "GDI32.DLL", "ADVAPI32.DLL", "OLE32.DLL", "OLEAUT32.DLL",
              "SHELL32.DLL", "MSVCRT.DLL"}
OLDEST_CLIENT = (5, 1, 3)  # Windows XP SP3
OLDEST_SERVER = (5, 2, 2)  # Windows Server 2003 SP2
SUPPORTED_OS = {
    "{e2011457-1546-43c5-a5fe-008deee3d3f0}",  # Windows Vista
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  # Windows 7
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  # Windows 8
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  # Windows 8.1
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  # Windows 10 and 11
}

def version(text):
    """"5.1 SP3" -> (5, 1, 3); "6.0" -> (6, 0, 0)."""
    match = re.fullmatch(r"(\d+)\.(\d+)(?: SP(\d+))?", text.strip())
    if not match:
        raise ValueError(f"not a Windows version: {text!r}")
    return int(match.group(1)), int(match.group(2)), int(match.group(3) or 0)


def read_minimums(path):
    """{(DLL upper case, function): (min_client, min_server, source)}"""
    with open(path, encoding="utf-8") as table:
        rows = csv.DictReader((line for line in table if not line.startswith("#")), delimiter="\t")
        return {(row["dll"].upper(), row["function"]): (row["min_client"], row["min_server"], row["source"])
                for row in rows}


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


def check_header(pe):
    header = pe.OPTIONAL_HEADER
    check(pe.FILE_HEADER.Machine == pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_I386"], "32-bit x86 image")
    check(header.Subsystem == pefile.SUBSYSTEM_TYPE["IMAGE_SUBSYSTEM_WINDOWS_GUI"], "Windows GUI subsystem (no console)")
    os_version = (header.MajorOperatingSystemVersion, header.MinorOperatingSystemVersion)
    subsystem = (header.MajorSubsystemVersion, header.MinorSubsystemVersion)
    check((4, 0) <= os_version <= (5, 1), f"operating-system version {os_version} at most 5.1")
    check((4, 0) <= subsystem <= (5, 1), f"subsystem version {subsystem} at most 5.1")
    flags = header.DllCharacteristics
    check(flags & 0x0040 != 0, "ASLR (dynamic base)")
    check(flags & 0x0100 != 0, "DEP (NX compatible)")


def check_imports(pe, minimums):
    imports = getattr(pe, "DIRECTORY_ENTRY_IMPORT", [])
    dlls = sorted(entry.dll.decode() for entry in imports)
    check(bool(dlls) and all(dll.upper() in KNOWN_DLLS for dll in dlls),
          f"imports only DLLs Windows takes from KnownDLLs (found {dlls})")
    check(not getattr(pe, "DIRECTORY_ENTRY_DELAY_IMPORT", None), "no delay-loaded DLLs")
    print("imports (dll, function, min_client, min_server):")
    for entry in imports:
        dll = entry.dll.decode()
        for function in entry.imports:
            if function.name is None:
                check(False, f"{dll} ordinal {function.ordinal}: imported by ordinal, not in the table")
                continue
            name = function.name.decode()
            row = minimums.get((dll.upper(), name))
            if row is None:
                check(False, f"{dll}!{name} is not in the table of API minimums; add its row with its source")
                continue
            client, server, _ = row
            print(f"     {dll}\t{name}\t{client}\t{server}")
            if version(client) > OLDEST_CLIENT:
                check(False, f"{dll}!{name} needs client Windows {client}, newer than XP SP3 (5.1 SP3)")
            if version(server) > OLDEST_SERVER:
                check(False, f"{dll}!{name} needs Windows Server {server}, newer than 2003 SP2 (5.2 SP2)")
    count = sum(len(entry.imports) for entry in imports)
    check(True, f"{count} imported functions checked against the table")


def check_resources(pe, template_path, version_text):
    template = open(template_path, "rb").read()
    html = resource(pe, 23, 101)
    check(list(html) == [1033], f"RT_HTML 101 in language 1033 only (found {sorted(html)})")
    check(html.get(1033) == template, f"RT_HTML 101 holds the template's {len(template)} bytes")

    manifests = resource(pe, 24, 1)
    manifest = next(iter(manifests.values()), b"").decode("utf-8", "replace")
    check('level="asInvoker"' in manifest and 'uiAccess="false"' in manifest,
          "manifest asks for asInvoker without UI access")
    check(all(f'Id="{guid}"' in manifest for guid in SUPPORTED_OS), "manifest lists Windows Vista, 7, 8, 8.1 and 10")
    check(re.search(r'<assemblyIdentity [^>]*version="' + re.escape(version_text) + '"', manifest) is not None,
          f"manifest: assembly version {version_text}")

    strings = {}
    for info in getattr(pe, "FileInfo", [[]])[0] if getattr(pe, "FileInfo", None) else []:
        for table in getattr(info, "StringTable", []):
            strings.update({k.decode(): v.decode() for k, v in table.entries.items()})
    check(strings.get("ProductName") == "Dravik System Assessment", "version info: product name")
    check(strings.get("CompanyName") == "Talvane", "version info: company")
    check(strings.get("FileVersion") == version_text and strings.get("ProductVersion") == version_text,
          f"version info: file and product version texts {version_text}")
    parts = [int(part) for part in version_text.split(".")]
    packed = ((parts[0] << 16) | parts[1], (parts[2] << 16) | parts[3])
    fixed = getattr(pe, "VS_FIXEDFILEINFO", None)
    check(bool(fixed) and (fixed[0].FileVersionMS, fixed[0].FileVersionLS) == packed and
          (fixed[0].ProductVersionMS, fixed[0].ProductVersionLS) == packed,
          f"version info: fixed file and product version {version_text}")
    check(parts[0] == 17, "version info: made for Dravik 17")


def check_no_filesystem_library(exe_path):
    # std::filesystem brings its error text along wherever any of it is
    # linked in; the program's files go through the file seam alone.
    with open(exe_path, "rb") as exe:
        image = exe.read()
    check(b"filesystem error" not in image, "no std::filesystem linked in")


def main(exe_path, template_path, minimums_path, version_text):
    pe = pefile.PE(exe_path)
    check_header(pe)
    check_no_filesystem_library(exe_path)
    check_imports(pe, read_minimums(minimums_path))
    check_resources(pe, template_path, version_text)
    return status()


if __name__ == "__main__":
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    sys.exit(main(*sys.argv[1:]))
