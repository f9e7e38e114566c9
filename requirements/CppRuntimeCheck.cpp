#include "requirements/CppRuntimeCheck.h"

#include "report/Markup.h"
#include "requirements/RoleLabels.h"
#include "text/Utf8.h"

namespace Talvane::Nimlo {

RequirementResult CheckCppRuntimes(const std::vector<std::u16string>& required,
                                   const std::vector<RuntimeStatus>& detected)
{
    std::u16string requirements;
    for (const std::u16string& name : required) {
        requirements += name + u"~";
    }

    const std::u16string checkboxOn = WidenAscii(Markup::CheckboxOnPlaceholder);
    const std::u16string checkboxOff = WidenAscii(Markup::CheckboxOffPlaceholder);
    bool passed = true;
    std::u16string system;
    std::u16string missing;
    for (const RuntimeStatus& entry : detected) {
        system += (entry.installed ? checkboxOn : checkboxOff) + entry.Name() + u"~";
        for (const std::u16string& name : required) {
            if (name == entry.name && !entry.installed) {
                missing += name + u"~";
                passed = false;
            }
        }
    }

    const std::u16string message = passed ? u"All required runtimes were found on this system."
                                          : u"The following runtimes were not found on this system:~" + missing;
    return {CppRuntimesLabel, passed, requirements, system, message};
}

} // namespace Talvane::Nimlo
