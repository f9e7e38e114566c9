"""One launch as a user makes it, and one with command-line arguments.

- A longer "System Assessment Results.html" is already in the directory: it
  is replaced by exactly the new page (no byte order mark, ends with
  "</html>").
- The computer name, set in the prefix's registry with non-ASCII letters,
  reaches the page header as UTF-8, as wmic reports it.
- The shell is asked once to open the bare file name, verb "open", with no
  parameters and no directory, normal window; the viewer (the recorder)
  starts in the same directory and finds the complete, closed file.
- A launch with arguments gives the same page.

usage: test_run_behaviour.py win32|win64
"""

import sys

import harness

COMPUTER_NAME = "ŽÄÑÉ-ŁØÅ-Ωμέγα"
NAME_KEY = r"HKEY_LOCAL_MACHINE\System\CurrentControlSet\Control\ComputerName"


def check_open_request(failures, prefix, result, what):
    failures.equal(result.shell_requests(),
                   ['verb=L"open" file=L"System Assessment Results.html" parm=(null) dir=(null) show=0x00000001 '
                    'class=not used'], f"{what}: ShellExecute calls")
    if not failures.equal(len(result.new_records), 1, f"{what}: viewers started"):
        return
    record = result.new_records[0]
    unix_dir = str(result.directory)
    failures.equal(record.get("directory"), "Z:" + unix_dir.replace("/", "\\"), f"{what}: viewer's current directory")
    failures.equal(record.get("argument"), "Z:" + unix_dir.replace("/", "\\") + "\\" + harness.REPORT_NAME,
                   f"{what}: file handed to the viewer")
    failures.equal(record.get("share"), "ok", f"{what}: file still open for writing when the viewer started")
    failures.check(record["copy"] == result.report_bytes(),
                   f"{what}: the viewer read {len(record['copy'])} bytes, the final report has "
                   f"{len(result.report_bytes())}")


def main():
    arch = sys.argv[1]
    failures = harness.Failures()
    with harness.Prefix(arch) as prefix:
        prefix.reg_import([f"[{NAME_KEY}\\{key}]\r\n\"ComputerName\"={harness.reg_string(COMPUTER_NAME)}\r\n"
                           for key in ("ComputerName", "ActiveComputerName")])
        wmi_name = prefix.wmic("computersystem", "Name")
        failures.equal(wmi_name, COMPUTER_NAME, f"{arch}: Win32_ComputerSystem.Name after setting the registry")

        directory = prefix.workdir("plain")
        old = b"\xef\xbb\xbf<html>" + b"old report " * 20000 + b"</html>\r\n"
        (directory / harness.REPORT_NAME).write_bytes(old)
        first = prefix.run(directory)
        what = f"{arch} first launch"
        failures.equal(first.status, 0, f"{what}: exit status")
        data = first.report_bytes()
        harness.check_report_file(failures, data, what)
        failures.check(len(data) < len(old) and b"old report" not in data, f"{what}: old content left in the file")
        failures.equal(data.count(b"</html>"), 1, f"{what}: </html> occurrences")
        header = f"<h2 class=\"header-text text\">System Assessment for Dravik<sup>&copy;</sup> v17 by Talvane - " \
                 f"{wmi_name}</h2>".encode("utf-8")
        failures.check(header in data, f"{what}: page header with the computer name {wmi_name!r} in UTF-8")
        failures.check(b"<title>System Assessment Results for Dravik&copy; 17 by Talvane</title>" in data,
                       f"{what}: page title")
        failures.equal(first.message_boxes(), [], f"{what}: message boxes")
        check_open_request(failures, prefix, first, what)

        second = prefix.run(prefix.workdir("arguments"), args=["/?", "--silent", "C:\\elsewhere\\x.html", "two words"])
        what = f"{arch} launch with arguments"
        failures.equal(second.status, 0, f"{what}: exit status")
        if failures.check(second.report_path.is_file(), f"{what}: no report\n{second.log}"):
            failures.check(harness.mask_free_space(second.report_bytes()) == harness.mask_free_space(data),
                           f"{what}: page differs from the one without arguments")
            check_open_request(failures, prefix, second, what)
        if failures.items:
            harness.keep_artifact(f"behaviour-{arch}.html", data)
    failures.finish()


if __name__ == "__main__":
    main()
