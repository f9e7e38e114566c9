#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace Talvane::Nimlo {

// The eight C++ redistributables the roles ask for, in the order of the
// report and of CppRuntimeKeys below.
enum class CppRuntime : std::size_t {
    Redist2008X86,
    Redist2008X64,
    Redist2010X86,
    Redist2010X64,
    Redist2013X86,
    Redist2013X64,
    Redist2015X86,
    Redist2015X64,
};

// Each redistributable in that order, with the registry key whose existence
// says it is installed: through the native 64-bit view on 64-bit Windows, and
// on 32-bit Windows.
struct CppRuntimeKey {
    const char16_t* name;
    const char16_t* keyOn64Bit;
    const char16_t* keyOn32Bit;
};

inline constexpr std::array<CppRuntimeKey, 8> CppRuntimeKeys{{
    {u"Microsoft Visual C++ 2008 Redistributable x86",
     u"SOFTWARE\\Classes\\Installer\\Products\\6E815EB96CCE9A53884E7857C57002F0",
     u"SOFTWARE\\Classes\\Installer\\Products\\6E815EB96CCE9A53884E7857C57002F0"},
    {u"Microsoft Visual C++ 2008 Redistributable x64",
     u"SOFTWARE\\Classes\\Installer\\Products\\67D6ECF5CD5FBA732B8B22BAC8DE1B4D",
     u"SOFTWARE\\Classes\\Installer\\Products\\67D6ECF5CD5FBA732B8B22BAC8DE1B4D"},
    {u"Microsoft Visual C++ 2010 Redistributable x86",
     u"SOFTWARE\\WOW6432Node\\Microsoft\\VisualStudio\\10.0\\VC\\VCRedist\\x86",
     u"SOFTWARE\\Microsoft\\VisualStudio\\10.0\\VC\\VCRedist\\x86"},
    {u"Microsoft Visual C++ 2010 Redistributable x64",
     u"SOFTWARE\\WOW6432Node\\Microsoft\\VisualStudio\\10.0\\VC\\VCRedist\\x64",
     u"SOFTWARE\\Microsoft\\VisualStudio\\10.0\\VC\\VCRedist\\x64"},
    {u"Microsoft Visual C++ 2013 Redistributable x86",
     u"SOFTWARE\\WOW6432Node\\Microsoft\\VisualStudio\\12.0\\VC\\Runtimes\\x86",
     u"SOFTWARE\\Microsoft\\VisualStudio\\12.0\\VC\\Runtimes\\x86"},
    {u"Microsoft Visual C++ 2013 Redistributable x64",
     u"SOFTWARE\\WOW6432Node\\Microsoft\\VisualStudio\\12.0\\VC\\Runtimes\\x64",
     u"SOFTWARE\\Microsoft\\VisualStudio\\12.0\\VC\\Runtimes\\x64"},
    {u"Microsoft Visual C++ 2015 Redistributable x86",
     u"SOFTWARE\\WOW6432Node\\Microsoft\\VisualStudio\\14.0\\VC\\Runtimes\\x86",
     u"SOFTWARE\\Microsoft\\VisualStudio\\14.0\\VC\\Runtimes\\x86"},
    {u"Microsoft Visual C++ 2015 Redistributable x64",
     u"SOFTWARE\\WOW6432Node\\Microsoft\\VisualStudio\\14.0\\VC\\Runtimes\\x64",
     u"SOFTWARE\\Microsoft\\VisualStudio\\14.0\\VC\\Runtimes\\x64"},
}};
static_assert(CppRuntimeKeys.size() == static_cast<std::size_t>(CppRuntime::Redist2015X64) + 1,
              "one row of the table for each redistributable");

// The name of one redistributable, as the report shows it.
constexpr std::u16string_view CppRuntimeName(CppRuntime runtime)
{
    return CppRuntimeKeys[static_cast<std::size_t>(runtime)].name;
}

} // namespace Talvane::Nimlo
