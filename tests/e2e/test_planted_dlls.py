"""No DLL planted beside the program or in its current directory is loaded.

An administrator runs SystemAssessment.exe from a folder anything can write
to (Downloads), with administrator rights. A canary DLL, which records when
it is loaded, is put there and into the current directory under the name of
every DLL a clean run loads, and of the DLLs usually hijacked, each set
native-first with WINEDLLOVERRIDES, as Windows treats a DLL it finds on its
search path. Left out are the names Windows always takes from its KnownDLLs,
Wine's own plumbing, and what a do-nothing program importing the same DLLs
loads before its entry point (Wine's DLLs' own load-time imports; on Windows
no program controls those).

With the canaries in place a normal run must write the same report as
without them, and a run whose report cannot be written must show its one
box and end with -1; neither may load a canary (neither the loader's log nor
the canaries' own record may show one).

usage: test_planted_dlls.py win32|win64
"""

import shutil
import sys
from pathlib import Path

import harness
import pefile

WRITE_TEXT = "Failed to write assessment results to disk. Please run this application as administrator"

# The names that planting attacks on installers and installer-like tools
# have used, beyond what a run is seen to load.
USUALLY_HIJACKED = {
    "version.dll", "uxtheme.dll", "dwmapi.dll", "cryptbase.dll", "profapi.dll", "propsys.dll", "userenv.dll", "apphelp.dll", "ntmarta.dll", "msasn1.dll",
    "wbemcomn.dll", "wbemprox.dll", "fastprox.dll", "dbghelp.dll", "dbgcore.dll", "winmm.dll", "secur32.dll", "sspicli.dll", "cryptsp.dll", "rsaenh.dll",
    "bcrypt.dll", "wtsapi32.dll", "netapi32.dll", "netutils.dll", "winhttp.dll", "wininet.dll", "mpr.dll", "textshaping.dll", "windowscodecs.dll",
    "oleacc.dll", "dwrite.dll", "d3d11.dll", "dxgi.dll", "msimg32.dll", "riched20.dll", "comctl32.dll", "mswsock.dll", "dnsapi.dll", "iphlpapi.dll",
    "winnsi.dll", "wsock32.dll", "cryptsvc.dll", "wldp.dll", "edputil.dll", "urlmon.dll", "iertutil.dll", "srvcli.dll", "samcli.dll", "devobj.dll",
    "cfgmgr32.dll", "powrprof.dll", "umpdc.dll", "kernel.appcore.dll", "clbcatq.dll", "sxs.dll", "duser.dll", "xmllite.dll", "linkinfo.dll",
    "ntshrui.dll", "cscapi.dll", "slc.dll", "sppc.dll", "wintrust.dll", "crypt32.dll", "gpapi.dll", "shfolder.dll", "winsta.dll", "msctf.dll",
    "libgcc_s_dw2-1.dll",  # the C runtime start-up code asks for it by name (only when it is already loaded)
}

# HKLM\System\CurrentControlSet\Control\Session Manager\KnownDLLs of Windows
# 10 and 11: Windows maps these from \KnownDlls, whatever the search path.
KNOWN_DLLS = {
    "advapi32.dll", "clbcatq.dll", "combase.dll", "comdlg32.dll", "coml2.dll", "difxapi.dll", "gdi32.dll", "gdiplus.dll", "imagehlp.dll", "imm32.dll",
    "kernel32.dll", "msctf.dll", "msvcrt.dll", "normaliz.dll", "nsi.dll", "ole32.dll", "oleaut32.dll", "psapi.dll", "rpcrt4.dll", "sechost.dll",
    "setupapi.dll", "shcore.dll", "shell32.dll", "shlwapi.dll", "user32.dll", "wldap32.dll", "wow64.dll", "wow64win.dll", "ws2_32.dll", "ntdll.dll",
    "kernelbase.dll",
}


def is_wine_plumbing(name):
    """Wine's own parts, which Windows does not have."""
    return name.startswith("wine") or name in {"wined3d.dll", "win32u.dll", "zlib1.dll", "ucrtbase.dll"}


def module_name(path):
    """The file name of a module, in lower case ("uxtheme.dll", "winspool.drv")."""
    return path.rsplit("\\", 1)[-1].lower()


def override_name(name):
    """How WINEDLLOVERRIDES names a module: without ".dll", other extensions kept."""
    return name[:-4] if name.endswith(".dll") else name


def imported_dlls(exe):
    return sorted(entry.dll.decode().lower() for entry in pefile.PE(str(exe), fast_load=False).DIRECTORY_ENTRY_IMPORT)


def planted_loads(result, folders):
    """The DLLs the program's process loaded from one of `folders`."""
    roots = [folder.lower().rstrip("\\") + "\\" for folder in folders]
    return [path for path in result.loaded_dlls() if any(path.lower().startswith(root) for root in roots)]


def main():
    arch = sys.argv[1]
    failures = harness.Failures()
    exe = harness.env_path("NIMLO_E2E_EXE")
    imports_only = harness.env_path("NIMLO_E2E_IMPORTS_ONLY")
    if imported_dlls(exe) != imported_dlls(imports_only):
        sys.exit(f"ImportsOnly.exe imports {imported_dlls(imports_only)}, SystemAssessment.exe "
                 f"{imported_dlls(exe)}: make ImportsOnly.cpp import one function of each of the program's DLLs")

    with harness.Xvfb() as xvfb, harness.Prefix(arch, display=xvfb.display) as prefix:
        downloads = prefix.path / "drive_c" / "Downloads"
        downloads.mkdir()
        program = downloads / "SystemAssessment.exe"
        shutil.copy(exe, program)
        log = prefix.root / "canaries.log"

        def run(directory, box, **options):
            """One traced run; `box` is the title of the message box to dismiss, if one is expected."""
            dismiss = harness.dismiss(failures, xvfb, box, f"{arch} {directory.name}", f"planted-{arch}.png") \
                if box else None
            return prefix.run(directory, program=program, trace_loads=True, while_running=dismiss,
                              extra_env={"NIMLO_CANARY_LOG": harness.windows_path(log)}, **options)

        # Clean runs: what the program loads, and what loading alone brings.
        clean = run(prefix.workdir("clean"), None)
        failures.equal(clean.status, 0, f"{arch} clean run: exit status")
        blocked = prefix.workdir("clean-blocked")
        (blocked / harness.REPORT_NAME).mkdir()
        clean_failure = run(blocked, "Assessmnet Write Failure")
        failures.equal(clean_failure.status, 255, f"{arch} clean write failure: exit status")
        at_load = {module_name(path) for path in
                   prefix.run(prefix.workdir("imports-only"), program=imports_only, trace_loads=True).loaded_dlls()}

        seen = {module_name(path) for result in (clean, clean_failure) for path in result.loaded_dlls()}
        canaries = sorted(name for name in seen | USUALLY_HIJACKED
                          if name not in KNOWN_DLLS and name not in at_load and not is_wine_plumbing(name))
        print(f"{arch}: a clean run loads {len(seen)} DLLs; {len(canaries)} canaries: {' '.join(canaries)}")
        failures.check(len(canaries) >= len(USUALLY_HIJACKED) // 2, f"{arch}: only {len(canaries)} canaries")

        planted_dirs = [downloads, prefix.workdir("planted"), prefix.workdir("planted-blocked")]
        for folder in planted_dirs:
            for name in canaries:
                shutil.copy(harness.env_path("NIMLO_E2E_CANARY"), folder / name)
        overrides = ",".join(override_name(name) for name in canaries) + "=n,b"
        watched = [harness.windows_path(folder) for folder in planted_dirs]
        watched.append("C:\\Downloads")

        what = f"{arch} normal run with canaries"
        planted = run(planted_dirs[1], None, dll_overrides=overrides)
        failures.equal(planted.status, 0, f"{what}: exit status")
        failures.equal(planted_loads(planted, watched), [], f"{what}: DLLs loaded from the planted folders")
        if planted.report_path.is_file() and clean.report_path.is_file():
            failures.check(harness.mask_free_space(planted.report_bytes()) ==
                           harness.mask_free_space(clean.report_bytes()), f"{what}: the report differs from a clean run's")
        else:
            failures.check(False, f"{what}: no report")

        what = f"{arch} write failure with canaries"
        (planted_dirs[2] / harness.REPORT_NAME).mkdir()
        planted_failure = run(planted_dirs[2], "Assessmnet Write Failure", dll_overrides=overrides)
        failures.equal(planted_failure.status, 255, f"{what}: exit status")
        failures.equal(planted_failure.message_boxes(), [WRITE_TEXT], f"{what}: message box texts")
        failures.equal(planted_loads(planted_failure, watched), [], f"{what}: DLLs loaded from the planted folders")

        recorded = log.read_bytes().decode("utf-16-le", errors="replace").split() if log.exists() else []
        failures.equal(recorded, [], f"{arch}: canaries that recorded their load")
    failures.finish()


if __name__ == "__main__":
    main()
