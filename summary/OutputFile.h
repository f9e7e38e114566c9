#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <ostream>
#include <streambuf>
#include <string>

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

// One output, written whole or not at all. To replace, the bytes go into a
// new file beside the target, created under a name nobody can have prepared
// (it never ends like a page), which takes the target's name once every byte
// is written and flushed; a new file that never took the name is removed.
class OutputFile {
public:
    OutputFile(FleetFiles& files, OutputTarget target);
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile();

    bool IsOpen() const { return file_.has_value(); }
    const OutputTarget& Target() const { return target_; }
    std::ostream& Stream() { return stream_; }

    // Writes what is left, and puts the file in its place; false when any
    // of it failed (nothing is left behind then).
    bool Finish();

private:
    // Collects the bytes and hands them to the platform in large writes.
    class Buffer : public std::streambuf {
    public:
        Buffer(FleetFiles& files, std::optional<NativeFile>& file);
        bool Drain();

    protected:
        int_type overflow(int_type c) override;
        int sync() override { return Drain() ? 0 : -1; }

    private:
        FleetFiles& files_;
        std::optional<NativeFile>& file_;
        std::array<char, 1 << 16> bytes_{};
        bool failed_ = false;
    };

    void CloseAndRemove();

    FleetFiles& files_;
    OutputTarget target_;
    std::filesystem::path pending_; // the new file, until it takes the target's name
    std::optional<NativeFile> file_;
    Buffer buffer_;
    std::ostream stream_;
};

} // namespace Talvane::Nimlo
