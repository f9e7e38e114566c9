// Never ends: stands in for a run that hangs (a WMI provider that never
// answers, a drive that never replies), so that a collector can be seen to
// stop it at its time limit.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    for (;;) {
        Sleep(INFINITE);
    }
}
