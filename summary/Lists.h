#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "files/BusyRetries.h"
#include "platform/FileSystem.h"
#include "platform/Result.h"
#include "requirements/RoleLabels.h"
#include "summary/Fleet.h"

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

std::string RoleListName(Role role);
std::string RequirementListName(std::size_t requirement); // RoleLabels' numbering

// Every name a list file of the summary can have.
std::vector<std::string> AllListNames();

// Whether Ansible would read the host name as a pattern instead of a name
// (it holds one of * ? [ ] : ! & , or begins with ~ or @): such a name is
// left out of the lists.
bool IsAnsiblePattern(std::string_view name);

// The link the overview in `overviewFolder` draws to the list `listName` in `listsFolder`.
std::string ListHref(const std::filesystem::path& overviewFolder, const std::filesystem::path& listsFolder,
                     std::string_view listName);

// Whether `folder` can hold the lists, checked before anything is read: it
// is a folder, or is missing in a folder (it is made then); else why not.
Result<void> CheckListsFolder(FileSystem& files, const std::filesystem::path& folder);

// Writes the lists of the fleet into `folder`, made where it is missing, each
// replaced whole (an earlier list held open elsewhere is tried again within
// `retries`): a
// list for each role, of the reports that fall short of it (written when
// empty too); a list for each requirement some report falls short of; where
// the fleet accounts for its hosts, the hosts not assessed. Names in name
// order, without those Ansible would read as a pattern or that hold a NUL
// (each named on `err`, as is every failure).
// A list's name that is taken by anything but a regular file (a FIFO, a
// device, a folder, a link) is named and not written into. The list files
// of an earlier round that this one does not write are removed. False when
// any list could not be written or removed; the others are written still.
bool WriteLists(FileSystem& files, BusyRetries& retries, const std::filesystem::path& folder,
                const FinishedFleet& fleet, std::ostream& err);

} // namespace Talvane::Nimlo
