#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace Talvane::Nimlo {

// An open platform file, as the platform identifies it (a HANDLE on Windows).
enum class NativeFile : std::uintptr_t {};

// The file operations the report writer needs.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Creates `name` anew for reading and writing (an existing file is
    // truncated), sharing read access only. Empty when the platform refuses.
    virtual std::optional<NativeFile> CreateAlways(const std::u16string& name) = 0;

    // One platform write of all of `bytes`: the count of bytes the platform
    // reports written, or empty when it reports failure.
    virtual std::optional<std::uint32_t> Write(NativeFile file, std::string_view bytes) = 0;

    virtual void Close(NativeFile file) = 0;
};

} // namespace Talvane::Nimlo
