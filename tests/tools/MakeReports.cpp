// Writes report pages made by the real renderer, for the summary's tests and
// benchmark:
//
//   make_reports FOLDER random COUNT [SEED]   COUNT machines of every kind
//   make_reports FOLDER large COUNT           COUNT machines whose caption and
//                                             computer name are 1 MiB each
//   make_reports FOLDER samples               a small fleet to look at: machines
//                                             that pass and fail, a duplicate
//                                             name, and one whose computer name
//                                             is markup meant to run
//
// Each page is what SystemAssessment.exe would write for that machine.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fakes/Profiles.h"
#include "fakes/RandomProfiles.h"
#include "report/ReportBody.h"
#include "report/ReportTemplate.h"

namespace {

using namespace Talvane::Nimlo;
namespace fs = std::filesystem;

// The computer name and caption of the machine in the samples whose texts
// try to run: the overview has to show them as text.
constexpr char16_t HostileName[] = u"<script>document.body.setAttribute('data-ran','script')</script>"
                                   u"<img src=x onerror=\"document.body.setAttribute('data-ran','img')\">";

bool WritePage(const fs::path& file, const SystemProfile& profile)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << FillReport(std::string(EmbeddedReportTemplate), RenderReportBody(profile), profile.ComputerName());
    return static_cast<bool>(out);
}

SystemProfile Machine(const std::u16string& name, double ghz, double memoryGB, std::uint32_t major, std::uint32_t minor,
                      bool server, const std::u16string& caption, bool runtimes)
{
    return SystemProfile(CpuInfo{ghz, 8}, {{120.5, u"C:"}, {800.0, u"D:"}}, MemoryInfo{memoryGB, name},
                         OSInfo{major, minor, 0, caption, server}, VideoMemoryInfo{2048}, u"11.0.19041.1566",
                         DotNetInfo{u"4.8.04084", 528372}, Testing::Runtimes(std::vector<bool>(8, runtimes)), name);
}

std::vector<std::pair<std::string, SystemProfile>> Samples()
{
    const std::u16string server2019 = u"Microsoft Windows Server 2019 Standard";
    return {
        {"SRV-WEB-01.html", Machine(u"SRV-WEB-01", 3.2, 32.0, 10, 0, true, server2019, true)},
        {"SRV-APP-02.html", Machine(u"SRV-APP-02", 3.2, 5.0, 10, 0, true, server2019, true)},
        {"WS-ACCOUNTS-07.html", Machine(u"WS-ACCOUNTS-07", 2.6, 8.0, 10, 0, false, u"Microsoft Windows 10 Pro", false)},
        {"WS-ACCOUNTS-07 (old).html",
         Machine(u"WS-ACCOUNTS-07", 1.8, 4.0, 6, 1, false, u"Microsoft Windows 7 Professional", false)},
        {"SRV-Z\u00DCRICH.html", Testing::AllPassProfile()},
        {"legacy-xp.html", Testing::AllFailProfile()},
        {"hostile.html", Machine(HostileName, 2.0, 4.0, 6, 3, true, HostileName, true)},
    };
}

int Usage()
{
    std::fputs("usage: make_reports FOLDER random COUNT [SEED] | large COUNT | samples\n", stderr);
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        return Usage();
    }
    const fs::path folder = argv[1];
    const std::string mode = argv[2];
    std::error_code error;
    fs::create_directories(folder, error);
    if (mode == "samples" && argc == 3) {
        for (const auto& [name, profile] : Samples()) {
            const std::u8string utf8(name.begin(), name.end());
            if (!WritePage(folder / fs::path(utf8), profile)) {
                return 2;
            }
        }
        return 0;
    }
    if ((mode != "random" && mode != "large") || argc < 4 || argc > 5) {
        return Usage();
    }
    const unsigned long count = std::strtoul(argv[3], nullptr, 10);
    if (mode == "large") {
        const std::u16string huge(std::size_t{1} << 20, u'X');
        for (unsigned long i = 0; i < count; ++i) {
            char name[48];
            std::snprintf(name, sizeof name, "large-%05lu.html", i);
            const std::u16string computer = u"LARGE-" + std::u16string(huge.begin(), huge.end() - 6);
            if (!WritePage(folder / name, Machine(computer, 2.0, 8.0, 10, 0, false, huge, true))) {
                return 2;
            }
        }
        return 0;
    }
    Testing::RandomProfiles profiles(argc == 5 ? static_cast<std::uint32_t>(std::strtoul(argv[4], nullptr, 10)) : 1u);
    for (unsigned long i = 0; i < count; ++i) {
        char name[48];
        std::snprintf(name, sizeof name, "machine-%05lu.html", i);
        if (!WritePage(folder / name, profiles.Next())) {
            return 2;
        }
    }
    return 0;
}
