#include "summary/Paths.h"

#include <string_view>

#include "text/NumberFormat.h"
#include "text/ShownText.h"
#include "text/Utf8.h"

namespace Talvane::Nimlo {
namespace {

namespace fs = std::filesystem;

fs::path Absolute(const fs::path& path)
{
    std::error_code error;
    const fs::path absolute = fs::absolute(path, error);
    return (error ? path : absolute).lexically_normal();
}

std::string PercentEncoded(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                           (byte >= '0' && byte <= '9') || std::string_view("-._~/").find(c) != std::string_view::npos;
        if (plain) {
            out += c;
        } else {
            out += '%';
            out += HexDigit(byte >> 4);
            out += HexDigit(byte);
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
#ifdef _WIN32
    // Names on Windows are UTF-16 that need not be valid; ToUtf8 never fails on them.
    const std::wstring& wide = path.native();
    return ToUtf8(std::u16string(wide.begin(), wide.end()));
#else
    return ValidUtf8(path.native());
#endif
}

std::string ShownPath(const fs::path& path)
{
    return ShownText(PathToUtf8(path));
}

std::string ShownUtf8Path(const std::string& text)
{
    return ShownPath(PathFromUtf8(text));
}

fs::path FolderOf(const fs::path& path)
{
    return path.has_parent_path() ? path.parent_path() : fs::path(".");
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

} // namespace Talvane::Nimlo
