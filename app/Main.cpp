#include <windows.h>

#include "app/RunAssessment.h"
#include "platform/win32/Win32RunServices.h"

// No window, no console, no arguments: the run does everything.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    Talvane::Nimlo::Win32RunServices services;
    return Talvane::Nimlo::RunAssessment(services);
}
