// Starts a program the way a deployment tool running as SYSTEM, a scheduled
// task or a remote shell does: on a window station of its own, which no user
// can see (it is not WinSta0, so it lacks WSF_VISIBLE), with the launcher's
// standard output and error as its own, so that what it prints there reaches
// the caller as it would a remote shell's. A message box there would wait for
// ever; the launcher waits at most its time limit.
//
//   HiddenStationLauncher.exe SECONDS PROGRAM [ARGUMENTS...]
//
// Exits with the program's exit status, or 124 when the program was still
// running after SECONDS (it is then ended), 125 when it could not be started,
// or 126 when the new window station turns out to be visible after all (then
// the launch would not show what it is meant to).
#include <windows.h>

#include <cwchar>
#include <string>

namespace {

constexpr int TimedOut = 124;
constexpr int NotStarted = 125;
constexpr int StationVisible = 126;

// An inheritable copy of one of the launcher's standard handles, or none.
HANDLE Inheritable(DWORD which)
{
    const HANDLE own = GetStdHandle(which);
    HANDLE copy = nullptr;
    if (own == nullptr || own == INVALID_HANDLE_VALUE ||
        !DuplicateHandle(GetCurrentProcess(), own, GetCurrentProcess(), &copy, 0, TRUE, DUPLICATE_SAME_ACCESS)) {
        return nullptr;
    }
    return copy;
}

// Everything of the command line after the first two arguments, as written.
const wchar_t* AfterArguments(const wchar_t* line, int skip)
{
    for (int i = 0; i < skip; ++i) {
        while (*line == L' ' || *line == L'\t') {
            ++line;
        }
        const bool quoted = *line == L'"';
        line += quoted ? 1 : 0;
        while (*line != L'\0' && (quoted ? *line != L'"' : (*line != L' ' && *line != L'\t'))) {
            ++line;
        }
        line += (quoted && *line == L'"') ? 1 : 0;
    }
    while (*line == L' ' || *line == L'\t') {
        ++line;
    }
    return line;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3) {
        std::fwprintf(stderr, L"usage: HiddenStationLauncher.exe SECONDS PROGRAM [ARGUMENTS...]\n");
        return NotStarted;
    }
    const auto seconds = static_cast<DWORD>(std::wcstoul(argv[1], nullptr, 10));

    const HWINSTA station = CreateWindowStationW(L"NimloUnattended", 0, WINSTA_ALL_ACCESS, nullptr);
    if (station == nullptr) {
        std::fwprintf(stderr, L"CreateWindowStationW failed: %lu\n", GetLastError());
        return NotStarted;
    }
    USEROBJECTFLAGS flags{};
    if (!GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, nullptr) ||
        (flags.dwFlags & WSF_VISIBLE) != 0) {
        std::fwprintf(stderr, L"the new window station is visible (flags %lu)\n", flags.dwFlags);
        return StationVisible;
    }
    // A desktop is made on the window station the calling process is on.
    const HWINSTA own = GetProcessWindowStation();
    SetProcessWindowStation(station);
    const HDESK desktop = CreateDesktopW(L"Default", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
    SetProcessWindowStation(own);
    if (desktop == nullptr) {
        std::fwprintf(stderr, L"CreateDesktopW failed: %lu\n", GetLastError());
        return NotStarted;
    }

    std::wstring command = AfterArguments(GetCommandLineW(), 2);
    std::wstring desktopName = L"NimloUnattended\\Default";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.lpDesktop = desktopName.data();
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = Inheritable(STD_OUTPUT_HANDLE);
    startup.hStdError = Inheritable(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    const BOOL started =
        CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
    for (const HANDLE handle : {startup.hStdOutput, startup.hStdError}) {
        if (handle != nullptr) {
            CloseHandle(handle);
        }
    }
    if (!started) {
        std::fwprintf(stderr, L"CreateProcessW failed: %lu\n", GetLastError());
        return NotStarted;
    }
    CloseHandle(process.hThread);
    int status = TimedOut;
    if (WaitForSingleObject(process.hProcess, seconds * 1000) == WAIT_OBJECT_0) {
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        status = static_cast<int>(code);
    } else {
        TerminateProcess(process.hProcess, TimedOut);
        WaitForSingleObject(process.hProcess, 10000);
    }
    CloseHandle(process.hProcess);
    CloseDesktop(desktop);
    CloseWindowStation(station);
    return status;
}
