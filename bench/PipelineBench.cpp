#include <benchmark/benchmark.h>

#include "BenchProfiles.h"

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

BENCHMARK(BM_PipelineTypical)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Pipeline26Disks)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
