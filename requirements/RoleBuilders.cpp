#include "requirements/RoleBuilders.h"

#include <cstdint>
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

// Each role's installed memory, in whole GB.
constexpr std::uint32_t ClientMinimumGB = 1;
constexpr std::uint32_t ClientRecommendedGB = 2;
constexpr std::uint32_t WebServerMinimumGB = 4;
constexpr std::uint32_t WebServerRecommendedGB = 8;
constexpr std::uint32_t AppServer64MinimumGB = 6;
constexpr std::uint32_t AppServer64RecommendedGB = 12;

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
    rows.push_back(CheckMemory(profile.Memory(), ClientMinimumGB, ClientRecommendedGB));
    rows.push_back(CheckDiskSpace(profile.Disks(), u";"));
    rows.push_back(CheckVideoMemory(profile.VideoMemory()));
    rows.push_back(CheckDotNetRuntime(profile.DotNet()));
    rows.push_back(CheckBrowser(profile.InternetExplorerVersion()));
    rows.push_back(CheckCppRuntimes(ClientRuntimes(), profile.Runtimes()));
    return {ClientRoleTitle, std::move(rows)};
}

RoleAssessment AssessWebServerRole(const SystemProfile& profile)
{
    return AssessServerRole(profile, WebServerRoleTitle, WebServerMinimumGB, WebServerRecommendedGB,
                            WebServerRuntimes());
}

RoleAssessment AssessAppServer64Role(const SystemProfile& profile)
{
    return AssessServerRole(profile, AppServer64RoleTitle, AppServer64MinimumGB, AppServer64RecommendedGB,
                            AppServer64Runtimes());
}

std::vector<RoleAssessment> AssessRoles(const SystemProfile& profile)
{
    return {AssessClientRole(profile), AssessWebServerRole(profile), AssessAppServer64Role(profile)};
}

} // namespace Talvane::Nimlo
