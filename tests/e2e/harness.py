"""Runs SystemAssessment.exe in a throw-away Wine prefix and reads what it left.

Shared by every end-to-end test. CTest passes the locations through the
environment:

  NIMLO_E2E_EXE        SystemAssessment.exe
  NIMLO_E2E_RECORDER   OpenRecorder.exe, the stand-in HTML viewer
  NIMLO_E2E_BASES      directory holding the base prefixes wine-base-win32/-win64
                       (from the environment; the project's .cache by default)
  NIMLO_E2E_ARTIFACTS  where tests keep screenshots and failing pages

Every run is traced with Wine's "exec" and "msgbox" channels: the first logs
each ShellExecute request with its exact arguments, the second the text of
every message box that was shown.
"""

import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tools"))
import result_line as result_line_reader  # noqa: E402

WINE32 = "/usr/lib/wine/wine"
WINE64 = "/usr/lib/wine/wine64"
WINESERVER = "/usr/bin/wineserver"
REPORT_NAME = "System Assessment Results.html"
RECORDER_DIR = "e2e"  # under drive_c
HTML_CLASS = "NimloE2E.Recorder"


def env_path(name):
    value = os.environ.get(name)
    if not value:
        sys.exit(f"{name} is not set; run this test through ctest")
    return Path(value)


def artifacts_dir():
    path = env_path("NIMLO_E2E_ARTIFACTS")
    path.mkdir(parents=True, exist_ok=True)
    return path


class Failures:
    """Collects every mismatch of a test so one run reports all of them."""

    def __init__(self):
        self.items = []

    def check(self, condition, what):
        if not condition:
            self.items.append(what)
        return condition

    def equal(self, actual, expected, what):
        return self.check(actual == expected, f"{what}:\n    expected {expected!r}\n    actual   {actual!r}")

    def finish(self):
        if self.items:
            print(f"{len(self.items)} failure(s):", file=sys.stderr)
            for item in self.items:
                print(" - " + item, file=sys.stderr)
            sys.exit(1)
        print("all checks passed")


def reg_file(lines):
    """A .reg file for `reg import` (UTF-16 with byte order mark, so any text fits)."""
    text = "Windows Registry Editor Version 5.00\r\n\r\n" + "\r\n".join(lines) + "\r\n"
    return b"\xff\xfe" + text.encode("utf-16-le")


def reg_string(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


class RunResult:
    def __init__(self, status, log, directory, output=b""):
        self.status = status
        self.log = log  # standard error: the program's and Wine's
        self.output = output  # standard output's bytes: the program's result line
        self.directory = Path(directory)

    @property
    def report_path(self):
        return self.directory / REPORT_NAME

    def report_bytes(self):
        return self.report_path.read_bytes()

    def shell_requests(self):
        """The ShellExecute calls the program made, as Wine logged them."""
        return re.findall(r"trace:exec:SHELL_execute mask=\S+ hwnd=\S+ (verb=.*)", self.log)

    def loaded_dlls(self):
        """Windows paths of the DLLs the program's own process loaded, in
        order, as Wine's loader logged them (WINEDEBUG +pid,+loaddll). The
        process is the one that loaded the program itself."""
        loads = [(pid, path.replace("\\\\", "\\")) for pid, path in
                 re.findall(r'^([0-9a-f]{4}):[0-9a-f]{4}:trace:loaddll:build_module Loaded L"(.*?)" at ', self.log,
                            re.M)]
        name = self.program.name.lower()
        own = [pid for pid, path in loads if path.lower().endswith("\\" + name)]
        if not own:
            raise RuntimeError(f"no load of {name} in the loader's log")
        return [path for pid, path in loads if pid == own[0] and not path.lower().endswith("\\" + name)]

    def message_boxes(self):
        """Texts of the message boxes that were shown."""
        return re.findall(r'trace:msgbox:MSGBOX_OnInit L"(.*)"', self.log)


class Prefix:
    """A copy of a base prefix with a persistent wineserver and the recorder as
    the handler of .html files. Use as a context manager.

    `display` is the X display of every Wine process in the prefix, tools
    included. It has to be the same for all of them: the first process that
    needs a window starts the prefix's desktop, and every later process draws
    through the desktop's driver. A tool started without a display would leave
    a desktop with no driver, and a message box after it would fail at once."""

    def __init__(self, arch, display=None):
        assert arch in ("win32", "win64")
        self.arch = arch
        self.loader = WINE64 if arch == "win64" else WINE32
        bases = os.environ.get("NIMLO_E2E_BASES") or Path(__file__).resolve().parents[2] / ".cache"
        base = Path(bases) / f"wine-base-{arch}"
        if not (base / "system.reg").is_file():
            sys.exit(f"no base prefix in {base}; scripts/stages/e2e.sh creates it")
        self.root = Path(tempfile.mkdtemp(prefix=f"nimlo-e2e-{arch}-"))
        self.path = self.root / "prefix"
        subprocess.run(["cp", "-a", str(base), str(self.path)], check=True)
        self.env = dict(os.environ, WINEPREFIX=str(self.path), WINEDEBUG="-all", WINEARCH=arch)
        self.env.pop("DISPLAY", None)
        if display:
            self.env["DISPLAY"] = display
        self.env.pop("WINEDLLOVERRIDES", None)
        self.runs = 0

    def __enter__(self):
        # Persistent, so that values Wine resets when its server starts (the
        # computer name) stay as the test set them.
        subprocess.run([WINESERVER, "-p"], env=self.env, check=True, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        # The prefix's start (its services, the desktop) is done before the
        # first tool runs: a `reg import` that started it was seen to fail
        # now and then on a loaded machine, saying nothing.
        self.tool("wineboot")
        recorder_dir = self.path / "drive_c" / RECORDER_DIR
        recorder_dir.mkdir(parents=True, exist_ok=True)
        shutil.copy(env_path("NIMLO_E2E_RECORDER"), recorder_dir / "OpenRecorder.exe")
        command = f'"C:\\{RECORDER_DIR}\\OpenRecorder.exe" "%1"'
        self.reg_import([
            "[HKEY_CLASSES_ROOT\\.html]", f"@={reg_string(HTML_CLASS)}", "",
            f"[HKEY_CLASSES_ROOT\\{HTML_CLASS}\\shell\\open\\command]", f"@={reg_string(command)}", "",
        ])
        return self

    def __exit__(self, *exc):
        subprocess.run([WINESERVER, "-k"], env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run([WINESERVER, "-w"], env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=60)
        shutil.rmtree(self.root, ignore_errors=True)
        return False

    # Wine tools. In a 64-bit prefix they are 64-bit programs, so they see
    # the native registry view; its 32-bit view is under Wow6432Node.
    #
    # Output goes through files, never pipes: Wine's helper processes
    # (services, the desktop) inherit the handles and outlive the command.
    def tool(self, *args, check=True):
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            status = subprocess.run([self.loader, *args], env=self.env, stdin=subprocess.DEVNULL, stdout=out,
                                    stderr=err, timeout=300).returncode
            out.seek(0)
            err.seek(0)
            result = subprocess.CompletedProcess(args, status, out.read(), err.read())
        if check and result.returncode != 0:
            raise RuntimeError(f"{' '.join(args)} failed ({result.returncode}): {result.stderr.decode(errors='replace')}")
        return result

    def reg_import(self, lines):
        path = self.root / f"fixture-{time.monotonic_ns()}.reg"
        path.write_bytes(reg_file(lines))
        self.tool("reg", "import", "Z:" + str(path).replace("/", "\\"))
        path.unlink()

    def reg_query(self, key, value):
        """A REG_SZ value as `reg query` prints it, or None."""
        result = self.tool("reg", "query", key, "/v", value, check=False)
        if result.returncode != 0:
            return None
        out = result.stdout.decode("utf-8", errors="replace")
        match = re.search(r"^\s+" + re.escape(value) + r"\s+REG_\w+\s{4}(.*?)\r?$", out, re.M)
        return match.group(1) if match else None

    def set_windows_version(self, version):
        self.tool("reg", "add", "HKCU\\Software\\Wine", "/v", "Version", "/t", "REG_SZ", "/d", version, "/f")

    def wmic(self, alias, prop):
        """One property of the first object, as wmic prints it. wmic writes
        UTF-16: a header line, then each value followed by two blanks."""
        out = self.tool("wmic", alias, "get", prop).stdout
        text = out.decode("utf-16") if out[:2] == b"\xff\xfe" else out.decode("utf-8")
        lines = text.split("\r\n")
        if len(lines) < 2 or lines[0].strip() != prop:
            raise RuntimeError(f"unexpected wmic output for {alias} {prop}: {text!r}")
        value = lines[1]
        return value[:-2] if value.endswith("  ") else value

    def recorder_dir(self):
        return self.path / "drive_c" / RECORDER_DIR

    def open_records(self):
        """The open requests the recorder saw, oldest first: dicts with the
        record's keys and "copy" (the bytes it read)."""
        records = []
        for n in range(1, 1000):
            record = self.recorder_dir() / f"open-{n}.txt"
            if not record.exists():
                break
            entry = dict(line.split("=", 1) for line in record.read_text("utf-8").splitlines() if "=" in line)
            entry["copy"] = (self.recorder_dir() / f"open-{n}.html").read_bytes()
            records.append(entry)
        return records

    def workdir(self, name=None):
        self.runs += 1
        path = self.root / (name or f"run-{self.runs}")
        path.mkdir(parents=True, exist_ok=True)
        return path

    def run(self, directory=None, args=(), dll_overrides=None, timeout=300, while_running=None, program=None,
            extra_env=None, trace_loads=False):
        """Starts the program (SystemAssessment.exe unless `program` names
        another) in `directory` (a new one by default) and waits for it.
        `while_running(process)` is called after the start, for tests that have
        to click something. With `trace_loads`, Wine also logs every DLL each
        process loads (RunResult.loaded_dlls)."""
        directory = Path(directory) if directory else self.workdir()
        program = Path(program) if program else env_path("NIMLO_E2E_EXE")
        debug = "-all,trace+exec,trace+msgbox" + (",+pid,trace+loaddll" if trace_loads else "")
        env = dict(self.env, WINEDEBUG=debug, **(extra_env or {}))
        if dll_overrides:
            env["WINEDLLOVERRIDES"] = dll_overrides
        records_before = len(self.open_records())
        with tempfile.TemporaryFile() as log, tempfile.TemporaryFile() as output:
            process = subprocess.Popen([WINE32, str(program), *args], cwd=directory, env=env,
                                       stdin=subprocess.DEVNULL, stdout=output, stderr=log)
            try:
                if while_running:
                    while_running(process)
                process.wait(timeout=timeout)
            except BaseException:
                process.kill()
                raise
            log.seek(0)
            output.seek(0)
            result = RunResult(process.returncode, log.read().decode("utf-8", errors="replace"), directory,
                               output.read())
        result.program = program
        result.new_records = self.wait_for_records(records_before, expect_new="SHELL_execute" in result.log)
        return result

    def wait_for_records(self, before, expect_new, timeout=60):
        """The viewer starts on its own after the program asked for it; wait
        for its record when a request was made."""
        deadline = time.monotonic() + (timeout if expect_new else 0)
        while True:
            records = self.open_records()
            if len(records) > before or time.monotonic() >= deadline:
                return records[before:]
            time.sleep(0.2)


UNATTENDED_LIMIT = 200  # seconds the launcher gives the program (its collection ends by 120 s); a box would wait for ever


def run_unattended(prefix, directory, **options):
    """Runs SystemAssessment.exe through HiddenStationLauncher.exe, on a
    window station nobody sees, so a failure ends at once with its status.
    The result also says how many seconds the run took."""
    program = windows_path(env_path("NIMLO_E2E_EXE"))
    started = time.monotonic()
    result = prefix.run(directory, program=env_path("NIMLO_E2E_LAUNCHER"), args=(str(UNATTENDED_LIMIT), program),
                        **options)
    result.seconds = time.monotonic() - started
    return result


def result_line(failures, result, what):
    """The program's result line from its standard output, read strictly
    (tests/tools/result_line.py, its schema and its outcome's keys); {} when
    there is none or it is no line."""
    try:
        line = result_line_reader.parse(result.output)
        failures.equal(list(line), list(result_line_reader.KEYS_OF[line["outcome"]]), f"{what}: the result line's keys")
        return line
    except result_line_reader.NotALine as error:
        failures.check(False, f"{what}: the result line: {error}: {result.output[:200]!r}")
        return {}


def mask_free_space(page):
    """A page with the free space of its disks masked: it moves while the tests write files."""
    return re.sub(rb"\d+\.\d\d GB free on", b"N GB free on", page)


def windows_path(path):
    """How a program under Wine sees a path of this machine (drive Z:)."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def check_report_file(failures, data, what):
    """What every written report must be: UTF-8 without a byte order mark,
    from "<!DOCTYPE html>" to "</html>", nothing after it."""
    failures.check(not data.startswith(b"\xef\xbb\xbf"), f"{what}: starts with a byte order mark")
    failures.check(data.startswith(b"<!DOCTYPE html>"), f"{what}: does not start with <!DOCTYPE html>: {data[:40]!r}")
    failures.check(data.endswith(b"</html>"), f"{what}: does not end with </html>: {data[-40:]!r}")
    try:
        data.decode("utf-8")
    except UnicodeDecodeError as error:
        failures.check(False, f"{what}: not UTF-8: {error}")


def dismiss(failures, xvfb, title, what, shot):
    """Waits for the one box titled `title`, checks it is the only window,
    keeps a screenshot and presses Return in it."""

    def act(process):
        boxes = xvfb.wait_for_window(title, process)
        if not failures.equal(len(boxes), 1, f"{what}: windows titled {title!r}"):
            return
        time.sleep(1)  # let it paint for the screenshot
        failures.equal([t for _, t in xvfb.visible_windows()], [title], f"{what}: visible windows")
        xvfb.screenshot(artifacts_dir() / shot)
        failures.check(process.poll() is None, f"{what}: the program ended while its message box was up")
        xvfb.xdotool("key", "--window", boxes[0], "Return")

    return act


def chromium(*args):
    """Headless Chromium with a fresh profile and no network of its own."""
    profile = tempfile.mkdtemp(prefix="nimlo-chromium-")
    command = ["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
               "--disable-background-networking", "--disable-component-update", "--disable-sync",
               "--user-data-dir=" + profile, *args]
    try:
        return subprocess.run(command, capture_output=True, timeout=180, env=dict(os.environ, HOME=profile))
    finally:
        subprocess.run(["rm", "-rf", profile])


def keep_artifact(name, data):
    path = artifacts_dir() / name
    path.write_bytes(data)
    return path


class Xvfb:
    """A private X display (the first free one)."""

    def __init__(self, size="1280x1024x24"):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", size, "-nolisten",
                                         "tcp"], pass_fds=(write_end,), stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        os.close(write_end)
        number = b""
        with os.fdopen(read_end, "rb") as pipe:
            number = pipe.readline().strip()
        if not number:
            self.process.kill()
            raise RuntimeError("Xvfb did not start")
        self.display = ":" + number.decode()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.process.send_signal(signal.SIGTERM)
        try:
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.kill()
        return False

    def xdotool(self, *args):
        result = subprocess.run(["xdotool", *args], env=dict(os.environ, DISPLAY=self.display),
                                capture_output=True, text=True, timeout=30)
        return result.stdout.split()

    def windows_named(self, name):
        return self.xdotool("search", "--onlyvisible", "--name", "^" + re.escape(name) + "$")

    def visible_windows(self):
        """Visible windows with their titles, without the root."""
        titled = []
        for window in self.xdotool("search", "--onlyvisible", "--name", ""):
            title = subprocess.run(["xdotool", "getwindowname", window], env=dict(os.environ, DISPLAY=self.display),
                                   capture_output=True, text=True).stdout.strip()
            geometry = subprocess.run(["xdotool", "getwindowgeometry", window],
                                      env=dict(os.environ, DISPLAY=self.display), capture_output=True,
                                      text=True).stdout
            size = re.search(r"Geometry: (\d+)x(\d+)", geometry)
            width, height = (int(size.group(1)), int(size.group(2))) if size else (0, 0)
            if width <= 1 or height <= 1:
                continue  # Wine's hidden helper windows
            if not title and (width, height) == (1280, 1024):
                continue  # the root window
            titled.append((window, title))
        return titled

    def screenshot(self, path):
        subprocess.run(["import", "-window", "root", str(path)], env=dict(os.environ, DISPLAY=self.display),
                       check=True, timeout=60)

    def wait_for_window(self, name, process, timeout=120):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            found = self.windows_named(name)
            if found:
                return found
            if process.poll() is not None:
                return []
            time.sleep(0.3)
        return []
