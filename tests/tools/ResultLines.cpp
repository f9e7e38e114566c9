// Writes the result line of each kind of run into a folder, for a strict JSON
// parser to read back (tests/app/test_result_lines.py): for each case
// CASE.line (the bytes the run wrote to standard output), CASE.status (its
// exit status) and, where the run wrote one, CASE.html (its report).
//
//   result_lines FOLDER
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <stdexcept>
#include <string>

#include "app/ResultLine.h"
#include "fakes/FakeRunServices.h"
#include "requirements/RoleBuilders.h"

namespace {

using namespace Talvane::Nimlo;
using Testing::FakeRunServices;

std::filesystem::path folder;

void Save(const std::string& name, const std::string& extension, const std::string& bytes)
{
    std::ofstream(folder / (name + extension), std::ios::binary) << bytes;
}

SystemProfile Named(const SystemProfile& base, const std::u16string& name)
{
    return SystemProfile(base.Cpu(), base.Disks(), base.Memory(), base.Os(), base.VideoMemory(),
                         base.InternetExplorerVersion(), base.DotNet(), base.Runtimes(), name);
}

// Runs the program's sequence with in-memory services set up by `setUp`.
void Run(const std::string& name, const SystemProfile& profile, const std::function<void(FakeRunServices&)>& setUp = {},
         std::uint32_t limit = CollectionLimitMilliseconds)
{
    FakeRunServices services(profile);
    services.desktop.visible = false;
    if (setUp) {
        setUp(services);
    }
    const int status = ExitCode(RunAssessment(services, limit));
    std::string line;
    for (const std::string& written : services.desktop.outputLines) {
        line += written;
    }
    Save(name, ".line", line);
    Save(name, ".status", std::to_string(status));
    if (const auto page = services.files.files.find(Testing::NameOf(ReportFileName));
        page != services.files.files.end()) {
        Save(name, ".html", page->second);
    }
}

std::u16string Repeat(std::u16string_view piece, std::size_t count)
{
    std::u16string text;
    for (std::size_t i = 0; i < count; ++i) {
        text += piece;
    }
    return text;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: result_lines FOLDER\n";
        return 2;
    }
    folder = argv[1];
    const SystemProfile pass = Testing::AllPassProfile();
    const SystemProfile fail = Testing::AllFailProfile();

    Run("all-pass", pass);
    Run("all-fail", fail);
    Run("empty", Testing::EmptyProfile());
    Run("collection-failed", pass, [](FakeRunServices& services) {
        services.collectError = [] {
            throw std::runtime_error("Cannot reach WMI: connecting to root\\cimv2 (HRESULT 0x80041003)");
        };
    });
    Run("write-failed", fail, [](FakeRunServices& services) { services.files.refuseCreate = true; });
    Run(
        "deadline", pass, [](FakeRunServices& services) { services.hangIn = "Win32_LogicalDisk"; }, 300);

    // Names as WMI may hand them over.
    Run("name-escapes", Named(pass, u"a\"b\\c/d\x01\x1f\x7f\t\r\n"));
    Run("name-non-ascii", Named(pass, u"\u00C5SA-\u6771\u4EAC-\U0001D11E"));
    Run("name-lone-surrogates", Named(pass, std::u16string(u"x\xD800y\xDC00z\xDBFF")));

    // The bound: a computer name of a mebibyte, in one-byte and in six- and
    // twelve-byte escapes (so that a cut must fall between escapes); a
    // reason of a mebibyte; both at once.
    Run("long-name", Named(pass, Repeat(u"N", 1 << 20)));
    Run("long-name-escaped", Named(fail, Repeat(u"\u00E9\U0001F600\"", 1 << 18)),
        [](FakeRunServices& services) { services.files.refuseCreate = true; });
    Run("long-reason", pass, [](FakeRunServices& services) {
        services.collectError = [] { throw std::runtime_error(std::string(1 << 20, '\\')); };
    });
    RunResult both{RunOutcome::ReportNotWritten, Repeat(u"\U0001F600", 1 << 16), AssessRoles(fail),
                   std::string(1 << 16, '"')};
    Save("long-name-and-reason", ".line", FormatResultLine(both));

    // What is said when memory ran out.
    Save("last-resort", ".line", LastResortResultLine);
    Save("fixed-assessed", ".line", FixedResultLine(RunOutcome::Assessed));
    Save("fixed-assessment-failed", ".line", FixedResultLine(RunOutcome::AssessmentFailed));
    Save("fixed-report-not-written", ".line", FixedResultLine(RunOutcome::ReportNotWritten));
    return 0;
}
