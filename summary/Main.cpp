// SystemAssessmentSummary: the reports and notes of a fleet in two CSVs, an overview page and list files.
#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/JobPool.h"
#include "summary/Run.h"

extern const std::string_view SummaryReportTemplate;

namespace {

// The run, with nothing let out: what no step could handle (memory running out
// while the outputs are written) ends it with 1, and the outputs' new files
// are removed on the way out, so nothing half-written is left.
int Summarize(const std::vector<std::string>& arguments) noexcept
{
    try {
        const auto services = Talvane::Nimlo::MakePlatformSummaryServices();
        return static_cast<int>(
            Talvane::Nimlo::RunSummary(arguments, SummaryReportTemplate, *services, std::cout, std::cerr));
    } catch (const std::exception& error) {
        std::fputs("SystemAssessmentSummary: ", stderr);
        std::fputs(error.what(), stderr);
        std::fputs("\n", stderr);
    } catch (...) {
        std::fputs("SystemAssessmentSummary: stopped by an unknown error\n", stderr);
    }
    return static_cast<int>(Talvane::Nimlo::SummaryStatus::Failed);
}

} // namespace

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
    return Summarize(arguments);
}
#else
#ifdef __GLIBC__
#include <malloc.h>
#endif

int main(int argc, char** argv)
{
#ifdef __GLIBC__
    // Each report is a page read whole, then many small texts freed together.
    // With glibc's fast bins every next page's buffer first merges all of
    // them again; without, a fleet is read about a quarter faster.
    mallopt(M_MXFAST, 0);
    // Every thread that reads or parses would get an arena of its own, and each
    // keeps the page buffers freed into it: with 32 reading at once that is
    // some 30 MiB more. An arena a processor is enough for the parsing.
    mallopt(M_ARENA_MAX, static_cast<int>(Talvane::Nimlo::ProcessorCount()));
#endif
    return Summarize(std::vector<std::string>(argv + 1, argv + argc));
}
#endif
