#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

#include "files/FileWriter.h"
#include "platform/FileSystem.h"
#include "platform/Result.h"
#include "summary/Options.h"

namespace Talvane::Nimlo {

struct OutputTarget {
    std::string name;                     // as it was given, UTF-8
    std::filesystem::path path;           // what it names, symbolic links followed
    WriteWay way = WriteWay::Replace;     // a regular file or a name not taken yet is replaced whole
    std::optional<FileIdentity> identity; // of what is there already
};

// Where the output `name` goes, checked before anything is read, or why
// nothing can be written there: a folder, a folder that does not exist, a
// link that loops or cannot be followed are refused.
Result<OutputTarget> CheckOutput(FileSystem& files, const std::string& name);

// Whether two outputs would write one file.
bool SameFile(const OutputTarget& a, const OutputTarget& b);

// How long one run tries again, in all, outputs that another program holds
// open (a CSV open in a spreadsheet is held until it is closed).
inline constexpr std::uint32_t BusyOutputRetryMilliseconds = 10000;

// What the summary says of an output that could not be written, with the
// system's code where it gave one: "could not be written (errno 28: No space
// left on device)".
std::string OutputProblem(const WriteError& error);

// One output, written through a FileWriter as a stream: the bytes are
// collected and handed over in large writes.
class OutputFile {
public:
    OutputFile(FileSystem& files, OutputTarget target);
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Done so far, or the first failure (why no file could be had, after a failed creation).
    WriteResult Status() const { return writer_.Status(); }
    const OutputTarget& Target() const { return target_; }
    std::ostream& Stream() { return stream_; }

    // Writes what is left and puts the output in its place; the failure
    // when any of it failed (nothing is left behind then).
    WriteResult Finish(BusyRetries& retries);

private:
    class Buffer : public std::streambuf {
    public:
        explicit Buffer(FileWriter& writer);
        bool Drain();

    protected:
        int_type overflow(int_type c) override;
        int sync() override { return Drain() ? 0 : -1; }

    private:
        FileWriter& writer_;
        std::array<char, 1 << 16> bytes_{};
    };

    OutputTarget target_;
    FileWriter writer_;
    Buffer buffer_;
    std::ostream stream_;
};

// The outputs a command line can name, in the order they are checked and named.
enum class NamedOutput : std::uint8_t { LongCsv, Overview, Machines };

// The outputs the command line names, from their check to their last byte.
// What goes wrong comes back as the message that names it.
class Outputs {
public:
    explicit Outputs(const SummaryOptions& options);

    // Where each goes, checked before anything is read: why not where one
    // cannot be written or two name one file.
    Result<void> Check(FileSystem& files);

    // Opens each: why not where one cannot be.
    Result<void> Open(FileSystem& files);

    // The name of the output that is the file `identity`, if any: a report
    // that must not be overwritten, or the overview of an earlier run.
    std::optional<std::string> NameOf(FileIdentity identity) const;

    // An open output's stream, and where it goes; none where it is not named.
    std::ostream* Stream(NamedOutput output);
    const OutputTarget* Target(NamedOutput output) const;

    // Puts every open output in its place: a message for each that could not be written.
    std::vector<std::string> Finish(BusyRetries& retries);

private:
    struct Output {
        const char* option;
        std::optional<std::string> name;
        std::optional<OutputTarget> target;
        std::unique_ptr<OutputFile> file;
    };

    std::array<Output, 3> outputs_; // in NamedOutput's order
};

} // namespace Talvane::Nimlo
