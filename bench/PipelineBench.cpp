#include <benchmark/benchmark.h>

#include "BenchProfiles.h"
#include "report/ReportBody.h"
#include "report/ReportTemplate.h"

namespace {

using namespace Talvane::Nimlo;

void Pipeline(benchmark::State& state, const SystemProfile& profile)
{
    const std::string reportTemplate(BenchReportTemplate);
    std::size_t pageBytes = 0;
    for (auto _ : state) {
        std::string page = Bench::BuildPage(profile, reportTemplate);
        pageBytes = page.size();
        benchmark::DoNotOptimize(page);
    }
    state.counters["page_bytes"] = static_cast<double>(pageBytes);
}

void BM_PipelineTypical(benchmark::State& state)
{
    Pipeline(state, Bench::TypicalProfile());
}

void BM_Pipeline26Disks(benchmark::State& state)
{
    Pipeline(state, Bench::ManyDisksProfile());
}

void BM_PipelinePlaceholderFlood(benchmark::State& state)
{
    Pipeline(state, Bench::PlaceholderFloodProfile());
}

// Only the filling of the page, the body rendered beforehand.
void BM_FillPlaceholderFlood(benchmark::State& state)
{
    const SystemProfile profile = Bench::PlaceholderFloodProfile();
    const std::string reportTemplate(BenchReportTemplate);
    const std::string body = RenderReportBody(profile);
    for (auto _ : state) {
        std::string page = FillReport(reportTemplate, body, profile.ComputerName());
        benchmark::DoNotOptimize(page);
    }
}

BENCHMARK(BM_PipelineTypical)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Pipeline26Disks)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PipelinePlaceholderFlood)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillPlaceholderFlood)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
