#include "sysinfo/CollectSystemProfile.h"

#include "sysinfo/RegistryProbes.h"
#include "sysinfo/WmiQueries.h"
#include "sysinfo/WmiQuery.h"

namespace Talvane::Nimlo {
namespace {

// A result set that notes, while it waits for the next object, that the
// query's results are what is awaited.
class WatchedResults final : public WmiResultSet {
public:
    WatchedResults(std::unique_ptr<WmiResultSet> results, CollectionProgress& progress)
        : results_(std::move(results))
        , progress_(&progress)
    {}

    std::unique_ptr<WmiObject> Next() override
    {
        progress_->SetPhase(CollectionProgress::Phase::AwaitingResult);
        return results_->Next();
    }

private:
    std::unique_ptr<WmiResultSet> results_;
    CollectionProgress* progress_;
};

// The connection, noting whether a query is still being run or its results
// are being waited for.
class WatchedWmi final : public WmiService {
public:
    WatchedWmi(WmiService& wmi, CollectionProgress& progress) : wmi_(&wmi), progress_(&progress) {}

    std::unique_ptr<WmiResultSet> ExecQuery(const std::string& wql) override
    {
        progress_->SetPhase(CollectionProgress::Phase::InQuery);
        return std::make_unique<WatchedResults>(wmi_->ExecQuery(wql), *progress_);
    }

private:
    WmiService* wmi_;
    CollectionProgress* progress_;
};

// Runs `query` as the step named by the WMI class it reads.
template <typename T>
T ExecuteStep(WatchedWmi& wmi, CollectionProgress& progress, const char* wmiClass, const WmiQuery<T>& query)
{
    progress.Enter(wmiClass);
    return Execute(wmi, query);
}

} // namespace

SystemProfile CollectSystemProfile(WmiService& wmi, Registry& registry, std::uint32_t logicalProcessorCount,
                                   CollectionProgress& progress)
{
    WatchedWmi watched(wmi, progress);
    const CpuInfo cpu = ExecuteStep(watched, progress, "Win32_Processor", CpuInfoWmiQuery(logicalProcessorCount));
    const std::vector<DiskInfo> disks = ExecuteStep(watched, progress, "Win32_LogicalDisk", DiskInfoWmiQuery());
    const MemoryInfo memory = ExecuteStep(watched, progress, "Win32_ComputerSystem", MemoryInfoWmiQuery());
    const VideoMemoryInfo video = ExecuteStep(watched, progress, "Win32_VideoController", VideoMemoryWmiQuery());
    const OSInfo os = ExecuteStep(watched, progress, "Win32_OperatingSystem", OSInfoWmiQuery());
    progress.Enter("The registry");
    const DotNetInfo dotNet = ProbeDotNet(registry);
    const std::u16string internetExplorer = ProbeInternetExplorer(registry);
    const std::vector<RuntimeStatus> runtimes = ProbeCppRuntimes(registry);
    return SystemProfile(cpu, disks, memory, os, video, internetExplorer, dotNet, runtimes, memory.Name());
}

SystemProfile CollectSystemProfile(WmiService& wmi, Registry& registry, std::uint32_t logicalProcessorCount)
{
    CollectionProgress progress;
    return CollectSystemProfile(wmi, registry, logicalProcessorCount, progress);
}

} // namespace Talvane::Nimlo
