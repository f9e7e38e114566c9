#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace Talvane::Nimlo {

struct FoundReports {
    std::vector<std::filesystem::path> files; // in a fixed order, each once
    std::vector<std::string> problems;        // paths that could not be searched
};

// The report files under `paths` (UTF-8): a file as it is, a folder searched
// with its subfolders for *.html (any case), in name order; `skip` (the
// overview being written) is left out.
FoundReports FindReports(const std::vector<std::string>& paths, const std::optional<std::filesystem::path>& skip);

// A path from UTF-8 text, and back.
std::filesystem::path PathFromUtf8(const std::string& text);
std::string PathToUtf8(const std::filesystem::path& path);

// The link to `file` from a page in `folder`: relative, "/"-separated and
// percent-encoded; an absolute file: URL where no relative path leads there.
std::string RelativeHref(const std::filesystem::path& folder, const std::filesystem::path& file);

// The whole file, or empty when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& file);

} // namespace Talvane::Nimlo
