"""The release as scripts/build-release.sh makes it, from clean clones.

- Two clones of the same commit at different paths give the same
  dist/SystemAssessment.exe and dist/SystemAssessmentSummary.exe, byte for
  byte, dist/Invoke-SystemAssessment.ps1 and dist/Publish-SystemAssessment.ps1
  are the committed scripts, and dist/SHA256SUMS matches them.
- The executables are stripped, its PE timestamp is the last commit's time
  (SOURCE_DATE_EPOCH when that is set), and neither clone's path nor this
  machine's name is in it.
- Without a certificate the release is unsigned and the script says so.
- With a throwaway self-signed code-signing certificate (made here with
  openssl) the release is signed: osslsigncode verifies it against that
  certificate, SHA256SUMS names the signed and the unsigned file, and the
  signed file with its signature removed is the reproducible build but for
  the PE checksum and the padding that signing adds. The scripts are signed
  too where osslsigncode can sign them (2.8 and later), and with the
  signature removed each is the committed script again; where it cannot,
  they are shipped as committed and the release says so.

The clones are of HEAD: what is committed is what is released.

usage: test_release.py REPOSITORY
"""

import hashlib
import os
import socket
import subprocess
import sys
import tempfile
from pathlib import Path

import pefile

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tools"))
from checklist import check, status  # noqa: E402

UNSIGNED_LINE = "Unsigned: set RELEASE_SIGN_PFX and RELEASE_SIGN_PASSWORD to sign it."
PROGRAMS = ("SystemAssessment.exe", "SystemAssessmentSummary.exe")
SCRIPTS = ("Invoke-SystemAssessment.ps1", "Publish-SystemAssessment.ps1")
SCRIPT_FOLDER = Path("deploy") / "powershell"

def run(command, cwd=None, env=None):
    result = subprocess.run(command, cwd=cwd, env=env, capture_output=True, text=True)
    if result.returncode != 0:
        sys.exit(f"{' '.join(map(str, command))} failed ({result.returncode}):\n{result.stdout}{result.stderr}")
    return result


def release_env(**extra):
    env = {k: v for k, v in os.environ.items()
           if not k.startswith("RELEASE_SIGN_") and k != "SOURCE_DATE_EPOCH"}
    env.update(extra)
    return env


def build_release(clone, **extra):
    """Runs the release command in `clone`; its messages."""
    return run(["bash", "scripts/build-release.sh"], cwd=clone, env=release_env(**extra)).stderr


def sha256(path):
    return hashlib.sha256(Path(path).read_bytes()).hexdigest()


def sums(dist):
    """{file: digest} of dist/SHA256SUMS, which must be in sha256sum's format."""
    entries = {}
    for line in (dist / "SHA256SUMS").read_text().splitlines():
        digest, name = line.split("  ", 1)
        entries[name] = digest
    return entries


def without_signing_traces(data):
    """The bytes with the PE checksum zeroed and trailing zero padding cut."""
    pe = pefile.PE(data=data)
    offset = pe.OPTIONAL_HEADER.get_field_absolute_offset("CheckSum")
    data = bytearray(data)
    data[offset:offset + 4] = b"\0\0\0\0"
    return bytes(data).rstrip(b"\0")


def check_executable(exe, clones, epoch):
    data = exe.read_bytes()
    pe = pefile.PE(data=data)
    check(pe.FILE_HEADER.PointerToSymbolTable == 0 and pe.FILE_HEADER.NumberOfSymbols == 0,
          "stripped: no symbol table")
    names = [section.Name.rstrip(b"\0").decode(errors="replace") for section in pe.sections]
    check(not any(name.startswith((".debug", ".stab", "/")) for name in names), f"no debug sections ({names})")
    check(pe.FILE_HEADER.TimeDateStamp == epoch, f"PE timestamp {pe.FILE_HEADER.TimeDateStamp} is {epoch}")
    leaks = [str(clone) for clone in clones] + ["/work/", "/tmp/"]
    if len(socket.gethostname()) >= 6:  # shorter names turn up in any binary by chance
        leaks.append(socket.gethostname())
    for leak in leaks:
        found = leak.encode() in data or leak.encode("utf-16-le") in data
        check(not found, f"{leak!r} is not in the executable")


def signs_scripts():
    """Whether this osslsigncode signs PowerShell scripts (2.8 and later)."""
    out = subprocess.run(["osslsigncode", "--version"], capture_output=True, text=True).stdout
    major, minor = map(int, out.split()[1].rstrip(",").split(".")[:2])
    return (major, minor) >= (2, 8)


def check_script_signing(clone, messages, cert, work, expected_sums):
    dist = clone / "dist"
    for script in SCRIPTS:
        source = (clone / SCRIPT_FOLDER / script).read_bytes()
        shipped = (dist / script).read_bytes()
        expected_sums[script] = sha256(dist / script)
        if not signs_scripts():
            check(shipped == source and "cannot sign a PowerShell script" in messages,
                  f"this osslsigncode cannot sign scripts: {script} is shipped as committed and the release says so")
            continue
        expected_sums["unsigned/" + script] = sha256(dist / "unsigned" / script)
        check((dist / "unsigned" / script).read_bytes() == source, f"the unsigned script is kept as dist/unsigned/{script}")
        check(shipped.startswith(source) and b"# SIG # Begin signature block" in shipped[len(source):],
              f"the signed {script} is the committed script and a signature block")
        verify = subprocess.run(["osslsigncode", "verify", "-CAfile", cert, "-in", dist / script], capture_output=True,
                                text=True)
        check(verify.returncode == 0 and "Signature verification: ok" in verify.stdout,
              f"osslsigncode verifies the signature of {script}" + ("" if verify.returncode == 0 else "\n" + verify.stdout[-600:]))
        removed = work / ("removed-" + script)
        run(["osslsigncode", "remove-signature", "-in", dist / script, "-out", removed])
        check(removed.read_bytes() == source, f"with its signature removed {script} is the committed script")


def check_signing(clone, unsigned, work):
    """`unsigned`: {program: bytes} of the reproducible build."""
    key, cert, pfx = work / "key.pem", work / "cert.pem", work / "cert.pfx"
    run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", cert, "-days", "2",
         "-subj", "/CN=Throwaway Code Signing", "-addext", "extendedKeyUsage=codeSigning",
         "-addext", "keyUsage=digitalSignature"])
    run(["openssl", "pkcs12", "-export", "-inkey", key, "-in", cert, "-out", pfx, "-passout", "pass:throwaway"])
    messages = build_release(clone, RELEASE_SIGN_PFX=str(pfx), RELEASE_SIGN_PASSWORD="throwaway")
    check(UNSIGNED_LINE not in messages and "Signed with the certificate in" in messages,
          "the signed release says it is signed")
    dist = clone / "dist"
    expected_sums = {}
    for program in PROGRAMS:
        signed = dist / program
        kept = dist / "unsigned" / program
        expected_sums[program] = sha256(signed)
        expected_sums["unsigned/" + program] = sha256(kept)
        check(kept.read_bytes() == unsigned[program], f"the unsigned build is kept as dist/unsigned/{program}")
        check(signed.read_bytes() != unsigned[program], f"the signed {program} differs from the unsigned one")
        verify = subprocess.run(["osslsigncode", "verify", "-CAfile", cert, "-in", signed], capture_output=True,
                                text=True)
        verified = verify.returncode == 0 and "Signature verification: ok" in verify.stdout
        check(verified, f"osslsigncode verifies the signature of {program} against the throwaway certificate" +
              ("" if verified else "\n" + verify.stdout[-600:] + verify.stderr[-600:]))
        check("Dravik System Assessment" in verify.stdout, f"the signature of {program} names the product")
        removed = work / ("removed-" + program)
        run(["osslsigncode", "remove-signature", "-in", signed, "-out", removed])
        check(without_signing_traces(removed.read_bytes()) == without_signing_traces(unsigned[program]),
              f"with its signature removed the signed {program} is the reproducible build")
    check_script_signing(clone, messages, cert, work, expected_sums)
    check(sums(dist) == expected_sums, "SHA256SUMS covers the signed files and names the unsigned ones")


def main(repository):
    repository = Path(repository).resolve()
    epoch = int(run(["git", "-C", repository, "log", "-1", "--format=%ct"]).stdout)
    with tempfile.TemporaryDirectory(prefix="nimlo-release-") as temporary:
        work = Path(temporary)
        clones = [work / "a" / "SystemAssessment", work / "second-clone" / "somewhere" / "else"]
        for clone in clones:
            clone.parent.mkdir(parents=True)
            run(["git", "clone", "--quiet", "--no-hardlinks", repository, clone])

        messages = [build_release(clone) for clone in clones]
        check(all(m.count(UNSIGNED_LINE) == 1 for m in messages), "without a certificate the release says it is unsigned")
        built = [{program: (clone / "dist" / program).read_bytes() for program in PROGRAMS} for clone in clones]
        for program in PROGRAMS:
            first, second = built[0][program], built[1][program]
            check(first == second, f"both clones give the same {program} ({hashlib.sha256(first).hexdigest()}, "
                                   f"{hashlib.sha256(second).hexdigest()})")
            check_executable(clones[0] / "dist" / program, clones, epoch)
            print(f"{program}: {len(first)} bytes, SHA-256 {hashlib.sha256(first).hexdigest()}")
        for clone in clones:
            for script in SCRIPTS:
                check((clone / "dist" / script).read_bytes() == (clone / SCRIPT_FOLDER / script).read_bytes(),
                      f"{clone}: dist/{script} is the committed script")
            check(sums(clone / "dist") == {name: sha256(clone / "dist" / name) for name in (*PROGRAMS, *SCRIPTS)},
                  f"SHA256SUMS of {clone} matches")
            run(["sha256sum", "--check", "--quiet", "SHA256SUMS"], cwd=clone / "dist")

        check_signing(clones[0], built[0], work)

        build_release(clones[1], SOURCE_DATE_EPOCH="1234567890")
        check(pefile.PE(str(clones[1] / "dist" / PROGRAMS[0])).FILE_HEADER.TimeDateStamp == 1234567890,
              "SOURCE_DATE_EPOCH, when set, is the PE timestamp")
    return status()


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1]))
