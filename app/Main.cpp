#include <windows.h>

#include "app/ResultLine.h"
#include "app/RunAssessment.h"
#include "app/Win32RunServices.h"
#include "platform/win32/ProcessHardening.h"
#include "platform/win32/WideString.h"
#include "platform/win32/Win32Desktop.h"

// No window, no console, no arguments: the run does everything.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    Talvane::Nimlo::HardenProcess();
    try {
        Talvane::Nimlo::Win32RunServices services;
        return Talvane::Nimlo::ExitCode(Talvane::Nimlo::RunAssessment(services));
    } catch (...) {
        // Nothing may escape into std::terminate. This handler allocates
        // nothing: memory may be what ran out.
        if (Talvane::Nimlo::WindowStationIsVisible()) {
            MessageBoxW(nullptr, Talvane::Nimlo::AsWide(Talvane::Nimlo::NotAssessedFixedText),
                        Talvane::Nimlo::AsWide(Talvane::Nimlo::NotAssessedCaption), MB_OK);
        } else {
            Talvane::Nimlo::WriteStandardLine(STD_ERROR_HANDLE, Talvane::Nimlo::NotAssessedFixedLine);
        }
        Talvane::Nimlo::WriteStandardLine(STD_OUTPUT_HANDLE, Talvane::Nimlo::LastResortResultLine);
        return Talvane::Nimlo::ExitCode(Talvane::Nimlo::ExitStatus::NotAssessed);
    }
}
