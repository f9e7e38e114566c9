// Stands in for the desktop's HTML viewer in the end-to-end tests. Registered
// as the handler of .html files in a throw-away Wine prefix, it writes down
// what the shell handed it and keeps a copy of the file as it was when the
// viewer started, next to its own executable:
//
//   open-N.txt   UTF-8, one "key=value" line each: commandline, argument,
//                directory (the current directory), share (whether the file
//                could be opened while denying writers: "ok" or the error code)
//   open-N.html  the bytes of the file, read through that same handle
//
// N counts up from 1, so a second open request leaves a second record.
#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

namespace {

std::string ToUtf8(const std::wstring& text)
{
    if (text.empty()) {
        return {};
    }
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

bool WriteWholeFile(const std::wstring& path, const std::string& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

std::wstring OwnDirectory()
{
    std::vector<wchar_t> path(32768);
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    std::wstring own(path.data(), length);
    return own.substr(0, own.find_last_of(L"\\/") + 1);
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    const std::wstring commandLine = GetCommandLineW();
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(commandLine.c_str(), &argc);
    const std::wstring argument = (argv != nullptr && argc > 1) ? argv[1] : L"";

    std::vector<wchar_t> buffer(32768);
    const DWORD dirLength = GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
    const std::wstring directory(buffer.data(), dirLength);

    // A writer that still holds the file open for writing makes this fail
    // with a sharing violation.
    std::string share = "ok";
    std::string content;
    HANDLE file = CreateFileW(argument.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        share = "error " + std::to_string(GetLastError());
    } else {
        char chunk[65536];
        DWORD got = 0;
        while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) {
            content.append(chunk, got);
        }
        CloseHandle(file);
    }

    const std::wstring base = OwnDirectory() + L"open-";
    for (int n = 1; n < 1000; ++n) {
        const std::wstring record = base + std::to_wstring(n) + L".txt";
        const std::string text = "commandline=" + ToUtf8(commandLine) + "\nargument=" + ToUtf8(argument) +
                                 "\ndirectory=" + ToUtf8(directory) + "\nshare=" + share + "\n";
        // The copy goes first, so a reader that sees the record sees the copy too.
        if (GetFileAttributesW(record.c_str()) != INVALID_FILE_ATTRIBUTES) {
            continue;
        }
        WriteWholeFile(base + std::to_wstring(n) + L".html", content);
        // Renamed into place so that the record never appears half written.
        WriteWholeFile(record + L".part", text);
        MoveFileW((record + L".part").c_str(), record.c_str());
        break;
    }
    return 0;
}
