#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/FleetFiles.h"

namespace Talvane::Nimlo {

// The largest file read as a report. The largest page a machine can give is
// about 19 MB (a caption and a computer name of a mebibyte each, full of
// placeholders that each grow fourfold); a real page is about 16 KB. Anything
// larger is no page of ours and is refused by its size, unread.
inline constexpr std::uint64_t MaxReportBytes = 64ull << 20;

// What the search meets, as it meets it: each report file once (the same file
// met again through a link or a second PATH is passed over in silence), and
// each path passed over that might hold a report, as "path: why". `found`
// answers whether the search goes on. `note`, where there is one, meets every
// host's note (NAME.not-assessed.txt) with why it cannot be read, if it
// cannot: not a regular file, or larger than a note can be ("" when it can).
struct ReportSearch {
    std::function<bool(const std::filesystem::path& file, FileIdentity identity)> found;
    std::function<void(const std::string& problem)> passedOver;
    std::function<void(const std::filesystem::path& file, const std::string& problem)> note;
};

// The report files under `paths` (UTF-8): a regular file named as it is, a
// folder searched with its subfolders (linked ones too, each real folder
// once) for *.htm and *.html in any case, each folder's entries in name
// order, and the notes beside them. Everything that cannot be searched or
// read, and every page name that is not a regular file of a readable size, is
// passed over with its reason.
// Nothing is kept of a file once it was handed on but a few bytes that tell
// whether it is met again.
void FindReports(FleetFiles& files, const std::vector<std::string>& paths, const ReportSearch& search);

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
