// Holds a file open the way a scanner, an indexer or a viewer does: others
// may read and write it, but not delete it, so it cannot be replaced.
//
//   HoldOpen.exe FILE HELD RELEASE SECONDS
//
// Creates the file HELD once FILE is held, and lets FILE go once the file
// RELEASE exists or SECONDS have passed. Exits with 0, or with 1 when FILE
// cannot be opened.
#include <windows.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv)
{
    if (argc != 5) {
        std::fwprintf(stderr, L"usage: HoldOpen.exe FILE HELD RELEASE SECONDS\n");
        return 2;
    }
    const HANDLE file = CreateFileW(argv[1], GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::fwprintf(stderr, L"cannot open %ls: %lu\n", argv[1], GetLastError());
        return 1;
    }
    const HANDLE held = CreateFileW(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (held != INVALID_HANDLE_VALUE) {
        CloseHandle(held);
    }
    const DWORD limit = static_cast<DWORD>(std::wcstoul(argv[4], nullptr, 10)) * 1000;
    for (DWORD waited = 0; waited < limit && GetFileAttributesW(argv[3]) == INVALID_FILE_ATTRIBUTES; waited += 50) {
        Sleep(50);
    }
    CloseHandle(file);
    return 0;
}
