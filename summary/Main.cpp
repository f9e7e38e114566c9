// SystemAssessmentSummary: the fleet's reports in one CSV and one overview page.
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "summary/RunSummary.h"

extern const std::string_view SummaryReportTemplate;

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace {

std::string ToUtf8(const wchar_t* text)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) {
        return {};
    }
    std::string out(static_cast<std::size_t>(size - 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
    return out;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    // The CSV's CR LF line ends are written as they are, not doubled.
    _setmode(_fileno(stdout), _O_BINARY);
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.push_back(ToUtf8(argv[i]));
    }
    const auto files = Talvane::Nimlo::MakePlatformFleetFiles();
    return Talvane::Nimlo::RunSummary(arguments, SummaryReportTemplate, *files, std::cout, std::cerr);
}
#else
int main(int argc, char** argv)
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const auto files = Talvane::Nimlo::MakePlatformFleetFiles();
    return Talvane::Nimlo::RunSummary(arguments, SummaryReportTemplate, *files, std::cout, std::cerr);
}
#endif
