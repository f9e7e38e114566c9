#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/FleetFiles.h"

namespace Talvane::Nimlo {

// The largest file read as a report. The largest page a machine can give is
// about 19 MB (a caption and a computer name of a mebibyte each, full of
// placeholders that each grow fourfold); a real page is about 16 KB. Anything
// larger is no page of ours and is refused by its size, unread.
inline constexpr std::uint64_t MaxReportBytes = 64ull << 20;

struct FoundReport {
    std::filesystem::path path;
    FileIdentity identity;
};

struct FoundReports {
    std::vector<FoundReport> files;    // in the order of the PATHs, a folder's in name order; each file once
    std::vector<std::string> problems; // "path: why", for every path passed over that might hold a report
};

// The report files under `paths` (UTF-8): a regular file named as it is, a
// folder searched with its subfolders (linked ones too, each real folder
// once) for *.htm and *.html in any case. Everything that cannot be searched
// or read, and every page name that is not a regular file of a readable size,
// is named in `problems`; nothing is read yet.
FoundReports FindReports(FleetFiles& files, const std::vector<std::string>& paths);

// Whether the name ends in .htm or .html, in any case.
bool IsPageName(const std::filesystem::path& name);

// A path from UTF-8 text, and back (bytes that are no UTF-8 made valid).
std::filesystem::path PathFromUtf8(const std::string& text);
std::string PathToUtf8(const std::filesystem::path& path);

// A path for a message on one line: valid UTF-8, with line breaks, tabs and
// other control characters written as escapes (\n, \r, \t, \x1B).
std::string ShownPath(const std::filesystem::path& path);

// The link to `file` from a page in `folder`: relative, "/"-separated and
// percent-encoded; an absolute file: URL where no relative path leads there.
std::string RelativeHref(const std::filesystem::path& folder, const std::filesystem::path& file);

} // namespace Talvane::Nimlo
