#include "requirements/RoleBuilders.h"

#include <initializer_list>
#include <string>
#include <vector>

#include "requirements/CppRuntimeCheck.h"
#include "requirements/DiskSpaceCheck.h"
#include "requirements/MemoryCheck.h"
#include "requirements/OperatingSystemCheck.h"
#include "requirements/ProcessorCheck.h"
#include "requirements/RuntimeCheck.h"
#include "requirements/VideoMemoryCheck.h"
#include "sysinfo/CppRuntimeKeys.h"

namespace Talvane::Nimlo {
namespace {

std::vector<std::u16string> RuntimeNames(std::initializer_list<CppRuntime> runtimes)
{
    std::vector<std::u16string> names;
    names.reserve(runtimes.size());
    for (const CppRuntime runtime : runtimes) {
        names.emplace_back(CppRuntimeName(runtime));
    }
    return names;
}

const std::vector<std::u16string>& ClientRuntimes()
{
    static const std::vector<std::u16string> names = RuntimeNames({CppRuntime::Redist2015X86});
    return names;
}

const std::vector<std::u16string>& WebServerRuntimes()
{
    static const std::vector<std::u16string> names = RuntimeNames(
        {CppRuntime::Redist2008X86, CppRuntime::Redist2010X86, CppRuntime::Redist2013X86, CppRuntime::Redist2015X86});
    return names;
}

const std::vector<std::u16string>& AppServer64Runtimes()
{
    static const std::vector<std::u16string> names =
        RuntimeNames({CppRuntime::Redist2008X64, CppRuntime::Redist2010X86, CppRuntime::Redist2010X64,
                      CppRuntime::Redist2013X64, CppRuntime::Redist2015X64});
    return names;
}

// The rows both server roles share; only memory sizes and runtimes differ.
RoleAssessment AssessServerRole(const SystemProfile& profile, std::u16string title, std::uint32_t minimumGB,
                                std::uint32_t recommendedGB, const std::vector<std::u16string>& runtimes)
{
    std::vector<RequirementResult> rows;
    rows.push_back(CheckServerOperatingSystem(profile.Os()));
    rows.push_back(CheckServerProcessor(profile.Cpu()));
    rows.push_back(CheckMemory(profile.Memory(), minimumGB, recommendedGB));
    rows.push_back(CheckDiskSpace(profile.Disks(), u"~"));
    rows.push_back(CheckDotNetRuntime(profile.DotNet()));
    rows.push_back(CheckBrowser(profile.InternetExplorerVersion()));
    rows.push_back(CheckCppRuntimes(runtimes, profile.Runtimes()));
    return {std::move(title), std::move(rows)};
}

} // namespace

RoleAssessment AssessClientRole(const SystemProfile& profile)
{
    std::vector<RequirementResult> rows;
    rows.push_back(CheckClientOperatingSystem(profile.Os()));
    rows.push_back(CheckClientProcessor(profile.Cpu()));
    rows.push_back(CheckMemory(profile.Memory(), 1, 2));
    rows.push_back(CheckDiskSpace(profile.Disks(), u";"));
    rows.push_back(CheckVideoMemory(profile.VideoMemory()));
    rows.push_back(CheckDotNetRuntime(profile.DotNet()));
    rows.push_back(CheckBrowser(profile.InternetExplorerVersion()));
    rows.push_back(CheckCppRuntimes(ClientRuntimes(), profile.Runtimes()));
    return {ClientRoleTitle, std::move(rows)};
}

RoleAssessment AssessWebServerRole(const SystemProfile& profile)
{
    return AssessServerRole(profile, WebServerRoleTitle, 4, 8, WebServerRuntimes());
}

RoleAssessment AssessAppServer64Role(const SystemProfile& profile)
{
    return AssessServerRole(profile, AppServer64RoleTitle, 6, 12, AppServer64Runtimes());
}

} // namespace Talvane::Nimlo
