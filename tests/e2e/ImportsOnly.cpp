// Does nothing, but imports one function from each DLL that
// SystemAssessment.exe imports (the planted-DLL test checks that the two lists
// agree). What Wine loads for it before its entry point runs is what Wine's
// own DLLs import when they are loaded; on Windows no program controls that.
#include <windows.h>

#include <objbase.h>
#include <oleauto.h>
#include <shellapi.h>

namespace {

// Referenced, never called.
const void* volatile Imported[] = {
    reinterpret_cast<const void*>(&RegCloseKey),    reinterpret_cast<const void*>(&GetSystemInfo),
    reinterpret_cast<const void*>(&CoInitializeEx), reinterpret_cast<const void*>(&SysFreeString),
    reinterpret_cast<const void*>(&ShellExecuteW),  reinterpret_cast<const void*>(&MessageBoxW),
};

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    int missing = 0;
    for (const void* volatile& function : Imported) {
        missing += function == nullptr ? 1 : 0;
    }
    return missing;
}
