// A DLL planted in the end-to-end tests under the names of the DLLs a run
// loads, beside the program and in its current directory. It exports nothing
// and does one thing when it is loaded: it appends its own path, as one UTF-16
// line, to the file that NIMLO_CANARY_LOG names. A line there means that the
// program let a DLL from its folder or its current directory run.
#include <windows.h>

namespace {

void RecordLoad(HINSTANCE self)
{
    wchar_t log[MAX_PATH];
    const DWORD logLength = GetEnvironmentVariableW(L"NIMLO_CANARY_LOG", log, MAX_PATH);
    if (logLength == 0 || logLength >= MAX_PATH) {
        return;
    }
    wchar_t line[MAX_PATH + 2];
    DWORD length = GetModuleFileNameW(self, line, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        length = 0;
    }
    line[length++] = L'\r';
    line[length++] = L'\n';
    const HANDLE file = CreateFileW(log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return;
    }
    DWORD written = 0;
    WriteFile(file, line, length * sizeof(wchar_t), &written, nullptr);
    CloseHandle(file);
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        RecordLoad(self);
    }
    return TRUE;
}
