#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

// The roles a page shows and the rows of each, in their order: what the role
// builders produce, the renderer writes, the reader expects and the summary
// counts. Names only: the rules that judge each row live with the checks.
namespace Talvane::Nimlo {

// The roles, in the order the report shows them.
enum class Role : std::uint8_t { Client, WebServer, AppServer64 };
inline constexpr std::array<Role, 3> AllRoles{Role::Client, Role::WebServer, Role::AppServer64};
inline constexpr std::size_t RoleCount = AllRoles.size();

// A role's place in AllRoles, where a table holds something for each role.
constexpr std::size_t RoleIndex(Role role)
{
    return static_cast<std::size_t>(role);
}

inline constexpr char16_t ClientRoleTitle[] = u"Client";
inline constexpr char16_t WebServerRoleTitle[] = u"Web Server or 32-bit Application Server";
inline constexpr char16_t AppServer64RoleTitle[] = u"64-bit Application Server";
// The titles in AllRoles' order.
inline constexpr std::array<const char16_t*, RoleCount> RoleTitles{ClientRoleTitle, WebServerRoleTitle,
                                                                   AppServer64RoleTitle};

constexpr const char16_t* RoleTitle(Role role)
{
    switch (role) {
    case Role::WebServer:
        return WebServerRoleTitle;
    case Role::AppServer64:
        return AppServer64RoleTitle;
    default:
        return ClientRoleTitle;
    }
}

// The hardware label of each requirement row.
inline constexpr char16_t OperatingSystemLabel[] = u"Operating System";
inline constexpr char16_t ServerOperatingSystemLabel[] = u"Server Operating System";
inline constexpr char16_t ProcessorLabel[] = u"CPU";
inline constexpr char16_t MemoryLabel[] = u"Memory";
inline constexpr char16_t DiskSpaceLabel[] = u"Free Hard Disk Space";
inline constexpr char16_t VideoMemoryLabel[] = u"Video Memory";
inline constexpr char16_t DotNetLabel[] = u".Net Runtime";
inline constexpr char16_t BrowserLabel[] = u"Browser";
inline constexpr char16_t CppRuntimesLabel[] = u"Required C++ Runtimes *";

inline constexpr std::array<const char16_t*, 8> ClientRowLabels = {OperatingSystemLabel, ProcessorLabel,   MemoryLabel,
                                                                   DiskSpaceLabel,       VideoMemoryLabel, DotNetLabel,
                                                                   BrowserLabel,         CppRuntimesLabel};
inline constexpr std::array<const char16_t*, 7> ServerRowLabels = {ServerOperatingSystemLabel,
                                                                   ProcessorLabel,
                                                                   MemoryLabel,
                                                                   DiskSpaceLabel,
                                                                   DotNetLabel,
                                                                   BrowserLabel,
                                                                   CppRuntimesLabel};

// The row labels of a role.
constexpr std::span<const char16_t* const> RowLabels(Role role)
{
    return role == Role::Client ? std::span<const char16_t* const>(ClientRowLabels)
                                : std::span<const char16_t* const>(ServerRowLabels);
}

// Every row of every role, numbered role after role (the Client's 8 rows,
// then the 7 of each server role): the requirements a fleet is counted by.
inline constexpr std::size_t RequirementCount = ClientRowLabels.size() + 2 * ServerRowLabels.size();

// The number of the first row of a role among all requirements.
constexpr std::size_t FirstRequirement(Role role)
{
    return role == Role::Client ? 0 : ClientRowLabels.size() + (RoleIndex(role) - 1) * ServerRowLabels.size();
}

} // namespace Talvane::Nimlo
