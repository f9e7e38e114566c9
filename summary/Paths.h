#pragma once

#include <filesystem>
#include <string>

namespace Talvane::Nimlo {

// The paths of the summary: what a user names (UTF-8), what the platform
// takes, what a message or a link shows.

// A path from UTF-8 text, and back (bytes that are no UTF-8 made valid).
std::filesystem::path PathFromUtf8(const std::string& text);
std::string PathToUtf8(const std::filesystem::path& path);

// A path for a message on one line: valid UTF-8, with line breaks, tabs and
// other control characters written as escapes (\n, \r, \t, \x1B).
std::string ShownPath(const std::filesystem::path& path);
// The same for a path given as UTF-8 text.
std::string ShownUtf8Path(const std::string& text);

// The folder `path` is in: "." for a bare name.
std::filesystem::path FolderOf(const std::filesystem::path& path);

// The link to `file` from a page in `folder`: relative, "/"-separated and
// percent-encoded; an absolute file: URL where no relative path leads there.
std::string RelativeHref(const std::filesystem::path& folder, const std::filesystem::path& file);

} // namespace Talvane::Nimlo
