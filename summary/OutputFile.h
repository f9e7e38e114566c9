#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <ostream>
#include <streambuf>
#include <string>

#include "files/FileReplacement.h"
#include "platform/FleetFiles.h"

namespace Talvane::Nimlo {

// How an output's bytes reach it: a regular file (or a name not taken yet) is
// replaced whole; a device, FIFO or terminal is written into as it is.
enum class OutputWay { Replace, Direct };

struct OutputTarget {
    std::string name;           // as it was given, UTF-8
    std::filesystem::path path; // what it names, symbolic links followed
    OutputWay way = OutputWay::Replace;
    std::optional<FileIdentity> identity; // of what is there already
};

struct OutputCheck {
    std::optional<OutputTarget> target;
    std::string problem; // why nothing can be written there
};

// Where the output `name` goes, checked before anything is read: a folder,
// a folder that does not exist, a link that loops or cannot be followed are
// refused.
OutputCheck CheckOutput(FleetFiles& files, const std::string& name);

// Whether two outputs would write one file.
bool SameFile(const OutputTarget& a, const OutputTarget& b);

// How long one run tries again, in all, outputs that another program holds
// open (a CSV open in a spreadsheet is held until it is closed).
inline constexpr std::uint32_t BusyOutputRetryMilliseconds = 10000;

// What the summary says of an output that could not be written.
std::string OutputProblem(const FileStatus& status);

// One output, written whole or not at all: a regular file or a name not taken
// yet is replaced through a FileReplacement; a device, FIFO or terminal is
// written into as it is.
class OutputFile {
public:
    OutputFile(FleetFiles& files, BusyRetries& retries, OutputTarget target);
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile();

    bool IsOpen() const { return file_.has_value(); }
    const OutputTarget& Target() const { return target_; }
    std::ostream& Stream() { return stream_; }

    // Writes what is left, and puts the file in its place; the failure when
    // any of it failed (nothing is left behind then).
    FileStatus Finish();

private:
    // Collects the bytes and hands them to the platform in large writes.
    class Buffer : public std::streambuf {
    public:
        Buffer(FileSystem& files, std::optional<NativeFile>& file);
        bool Drain();
        FileStatus Failure() const { return failure_; }

    protected:
        int_type overflow(int_type c) override;
        int sync() override { return Drain() ? 0 : -1; }

    private:
        FileSystem& files_;
        std::optional<NativeFile>& file_;
        std::array<char, 1 << 16> bytes_{};
        FileStatus failure_;
    };

    FileSystem& files_;
    BusyRetries& retries_;
    OutputTarget target_;
    std::optional<FileReplacement> replacement_;
    std::optional<NativeFile> file_;
    Buffer buffer_;
    std::ostream stream_;
};

} // namespace Talvane::Nimlo
