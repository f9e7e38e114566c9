#include "summary/ReportFiles.h"

#include <algorithm>
#include <fstream>
#include <set>
#include <system_error>

namespace Talvane::Nimlo {
namespace {

namespace fs = std::filesystem;

bool IsHtml(const fs::path& file)
{
    std::string extension = PathToUtf8(file.extension());
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return extension == ".html";
}

fs::path Absolute(const fs::path& path)
{
    std::error_code error;
    const fs::path absolute = fs::weakly_canonical(path, error);
    return error ? fs::absolute(path, error).lexically_normal() : absolute;
}

std::string PercentEncoded(const std::string& text)
{
    static constexpr char Hex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                           (byte >= '0' && byte <= '9') || std::string_view("-._~/").find(c) != std::string_view::npos;
        if (plain) {
            out += c;
        } else {
            out += '%';
            out += Hex[byte >> 4];
            out += Hex[byte & 0xF];
        }
    }
    return out;
}

} // namespace

fs::path PathFromUtf8(const std::string& text)
{
    return fs::path(std::u8string(text.begin(), text.end()));
}

std::string PathToUtf8(const fs::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

FoundReports FindReports(const std::vector<std::string>& paths, const std::optional<fs::path>& skip)
{
    FoundReports found;
    std::set<fs::path> seen;
    const std::optional<fs::path> skipped = skip ? std::optional(Absolute(*skip)) : std::nullopt;
    const auto add = [&](const fs::path& file) {
        if ((!skipped || Absolute(file) != *skipped) && seen.insert(Absolute(file)).second) {
            found.files.push_back(file);
        }
    };
    for (const std::string& text : paths) {
        const fs::path path = PathFromUtf8(text);
        std::error_code error;
        if (fs::is_directory(path, error)) {
            std::vector<fs::path> files;
            fs::recursive_directory_iterator entries(path, fs::directory_options::skip_permission_denied, error);
            for (; !error && entries != fs::recursive_directory_iterator(); entries.increment(error)) {
                std::error_code typeError;
                if (entries->is_regular_file(typeError) && IsHtml(entries->path())) {
                    files.push_back(entries->path());
                }
            }
            if (error) {
                found.problems.push_back(text + ": cannot be searched (" + error.message() + ")");
            }
            std::sort(files.begin(), files.end());
            std::for_each(files.begin(), files.end(), add);
        } else if (fs::exists(path, error)) {
            add(path);
        } else {
            found.problems.push_back(text + ": no such file or folder");
        }
    }
    return found;
}

std::string RelativeHref(const fs::path& folder, const fs::path& file)
{
    const fs::path target = Absolute(file);
    const fs::path relative = target.lexically_relative(Absolute(folder));
    if (relative.empty()) {
        std::string absolute = PathToUtf8(target.generic_u8string());
        return "file://" + std::string(absolute.starts_with('/') ? "" : "/") + PercentEncoded(absolute);
    }
    return PercentEncoded(PathToUtf8(relative.generic_u8string()));
}

std::optional<std::string> ReadWholeFile(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::string bytes;
    char buffer[1 << 16];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad()) {
        return std::nullopt;
    }
    return bytes;
}

} // namespace Talvane::Nimlo
