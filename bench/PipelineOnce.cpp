// One whole run of the assessment with in-memory services: the profile is
// handed out as collected, the page is written nowhere and no shell is asked.
// Run under a heap profiler, it shows the pipeline's peak heap.
#include <cstdio>

#include "BenchProfiles.h"
#include "app/RunAssessment.h"

namespace {

using namespace Talvane::Nimlo;

class DiscardingFiles : public FileSystem {
public:
    FileResult<Entry> Examine(const FilePath&, Links) override { return Entry{}; }
    FileResult<std::vector<ListedName>> List(const FilePath&) override { return std::vector<ListedName>{}; }
    FileResult<FileBytes> Read(const FilePath&, std::uint64_t) override { return FileBytes{}; }
    std::optional<FilePath> LinkTarget(const FilePath&) override { return std::nullopt; }
    FileResult<NativeFile> CreateNew(const FilePath&) override { return NativeFile{1}; }
    FileResult<NativeFile> OpenExisting(const FilePath&) override { return NativeFile{1}; }
    FileStatus Write(NativeFile, std::string_view bytes) override
    {
        bytesWritten += bytes.size();
        return {};
    }
    FileStatus Flush(NativeFile) override { return {}; }
    FileStatus Close(NativeFile) override { return {}; }
    FileStatus Rename(const FilePath&, const FilePath&) override { return {}; }
    FileStatus Remove(const FilePath&) override { return {}; }
    FileStatus CreateFolder(const FilePath&) override { return {}; }
    std::optional<std::uint64_t> UnforeseeableNumber() override { return 1; }

    std::size_t bytesWritten = 0;
};

class SilentDesktop : public Desktop {
public:
    void Open(const char16_t*) override {}
    bool MessagesCanBeSeen() override { return false; }
    void ShowMessage(const char16_t*, const char16_t*) override {}
    void WriteErrorLine(std::string_view) noexcept override {}
    void WriteOutputLine(std::string_view) noexcept override {}
};

// Time stands still and the collection runs on the calling thread: a heap
// profile of the pipeline, not of a thread.
class StillClock : public Clock {
public:
    std::uint32_t Ticks() override { return 0; }
    void Sleep(std::uint32_t) override {}
};

class InlineWorker : public Worker {
public:
    void Start(std::function<void()> task) override { task(); }
    bool Wait(std::uint32_t) override { return true; }
};

class InMemoryServices : public RunServices {
public:
    explicit InMemoryServices(SystemProfile profile) : profile_(std::move(profile)) {}

    SystemProfile CollectSystemProfile(const Deadline&, CollectionProgress&) override { return profile_; }
    std::string LoadReportTemplate() override { return std::string(BenchReportTemplate); }
    FileSystem& Files() override { return files; }
    Desktop& UserDesktop() override { return desktop; }
    Clock& TickClock() override { return clock; }
    Worker& CollectionThread() override { return worker; }
    void EndAbandoned(int) override {}

    DiscardingFiles files;
    SilentDesktop desktop;
    StillClock clock;
    InlineWorker worker;

private:
    SystemProfile profile_;
};

} // namespace

// With the argument "26" the profile has 26 disks, otherwise it is the typical
// one. With "idle" nothing runs: the heap the C++ runtime takes at start-up.
int main(int argc, char** argv)
{
    const std::string_view mode = argc > 1 ? argv[1] : "";
    if (mode == "idle") {
        return 0;
    }
    const bool manyDisks = mode == "26";
    InMemoryServices services(manyDisks ? Bench::ManyDisksProfile() : Bench::TypicalProfile());
    const int status = ExitCode(RunAssessment(services));
    std::printf("status %d, %zu bytes written\n", status, services.files.bytesWritten);
    return status;
}
