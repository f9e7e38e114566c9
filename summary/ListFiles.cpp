#include "summary/ListFiles.h"

#include "requirements/RoleLabels.h"

namespace Talvane::Nimlo {
namespace {

// The words of a title or label, lower case, joined by "-".
std::string Words(std::u16string_view text)
{
    std::string words;
    bool gap = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        const bool letter = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
        if (letter || c == u'+') {
            if (gap && !words.empty()) {
                words += '-';
            }
            gap = false;
            if (c == u'+') {
                if (text.substr(i).starts_with(u"++")) {
                    words += "pp";
                    ++i;
                } else {
                    words += 'p';
                }
            } else {
                words += static_cast<char>(c >= u'A' && c <= u'Z' ? c - u'A' + u'a' : c);
            }
        } else {
            gap = true;
        }
    }
    return words;
}

} // namespace

std::string RoleListName(std::size_t role)
{
    return Words(RoleTitles[role]) + ".txt";
}

std::string RequirementListName(std::size_t requirement)
{
    std::size_t role = RoleCount - 1;
    while (FirstRequirement(role) > requirement) {
        --role;
    }
    return Words(RoleTitles[role]) + "--" + Words(RowLabels(role)[requirement - FirstRequirement(role)]) + ".txt";
}

std::vector<std::string> AllListNames()
{
    std::vector<std::string> names{std::string(NotAssessedListName)};
    for (std::size_t role = 0; role < RoleCount; ++role) {
        names.push_back(RoleListName(role));
    }
    for (std::size_t requirement = 0; requirement < RequirementCount; ++requirement) {
        names.push_back(RequirementListName(requirement));
    }
    return names;
}

bool IsAnsiblePattern(std::string_view name)
{
    return name.find_first_of("*?[]:!&,") != std::string_view::npos || name.starts_with('~') || name.starts_with('@');
}

} // namespace Talvane::Nimlo
