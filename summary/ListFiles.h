#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace Talvane::Nimlo {

// The list files of --lists: plain text, one report name a line, for
// `ansible-playbook --limit @FILE` and PowerShell's Get-Content. Their names
// are fixed, made of the role's and the requirement's words in lower case,
// joined by "-" (C++ is "cpp"), safe on Windows and Linux:
//
//   client.txt                           every report that falls short of the role
//   client--cpu.txt                      those that fall short of one requirement
//   web-server-or-32-bit-application-server--required-cpp-runtimes.txt
//   not-assessed.txt                     hosts expected that have no report
inline constexpr std::string_view NotAssessedListName = "not-assessed.txt";

std::string RoleListName(std::size_t role);
std::string RequirementListName(std::size_t requirement); // RoleLabels' numbering

// Every name a list file of the summary can have.
std::vector<std::string> AllListNames();

// Whether Ansible would read the host name as a pattern instead of a name
// (it holds one of * ? [ ] : ! & , or begins with ~ or @): such a name is
// left out of the lists.
bool IsAnsiblePattern(std::string_view name);

} // namespace Talvane::Nimlo
