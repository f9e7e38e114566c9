#include "report/CellFormat.h"

#include "report/Markup.h"
#include "text/Utf8.h"

namespace Talvane::Nimlo {

std::vector<std::u16string> SplitItems(const std::u16string& text)
{
    std::vector<std::u16string> items;
    std::size_t start = 0;
    for (std::size_t end = text.find(u'~'); end != std::u16string::npos; end = text.find(u'~', start)) {
        items.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return items;
}

std::string FormatCell(const std::u16string& text)
{
    if (text.find(u'~') == std::u16string::npos) {
        return ToUtf8(text);
    }
    std::string cell;
    for (const std::u16string& item : SplitItems(text)) {
        cell.append(Markup::ItemStart).append(ToUtf8(item)).append(Markup::ItemEnd);
    }
    return cell;
}

} // namespace Talvane::Nimlo
