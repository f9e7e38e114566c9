#include "requirements/RoleBuilders.h"

#include <gtest/gtest.h>

#include "fakes/Profiles.h"

namespace Talvane::Nimlo {
namespace {

std::vector<std::u16string> Labels(const RoleAssessment& role)
{
    std::vector<std::u16string> labels;
    for (const RequirementResult& row : role.Results()) {
        labels.push_back(row.Hardware());
    }
    return labels;
}

const std::vector<std::u16string> ServerLabels{u"Server Operating System", u"CPU",          u"Memory",
                                               u"Free Hard Disk Space",    u".Net Runtime", u"Browser",
                                               u"Required C++ Runtimes *"};

TEST(RoleBuildersTest, RowsInOrderForEveryProfile)
{
    for (const SystemProfile& profile :
         {Testing::EmptyProfile(), Testing::AllPassProfile(), Testing::AllFailProfile()}) {
        const RoleAssessment client = AssessClientRole(profile);
        EXPECT_EQ(client.Title(), u"Client");
        EXPECT_EQ(Labels(client), (std::vector<std::u16string>{
                                      u"Operating System", u"CPU", u"Memory", u"Free Hard Disk Space", u"Video Memory",
                                      u".Net Runtime", u"Browser", u"Required C++ Runtimes *"}));

        const RoleAssessment web = AssessWebServerRole(profile);
        EXPECT_EQ(web.Title(), u"Web Server or 32-bit Application Server");
        EXPECT_EQ(Labels(web), ServerLabels);

        const RoleAssessment app = AssessAppServer64Role(profile);
        EXPECT_EQ(app.Title(), u"64-bit Application Server");
        EXPECT_EQ(Labels(app), ServerLabels);

        // The table the renderer, the reader and the summary go by.
        const RoleAssessment roles[] = {client, web, app};
        for (const Role role : AllRoles) {
            const RoleAssessment& built = roles[RoleIndex(role)];
            EXPECT_EQ(built.Title(), RoleTitle(role));
            EXPECT_EQ(Labels(built), std::vector<std::u16string>(RowLabels(role).begin(), RowLabels(role).end()));
        }
    }
}

TEST(RoleBuildersTest, EachRoleUsesItsOwnConstants)
{
    const SystemProfile profile = Testing::AllFailProfile();
    EXPECT_EQ(AssessClientRole(profile).Results()[2].Requirements(), u"Minimum: 1 GB~Recommended: 2 GB~");
    EXPECT_EQ(AssessWebServerRole(profile).Results()[2].Requirements(), u"Minimum: 4 GB~Recommended: 8 GB~");
    EXPECT_EQ(AssessAppServer64Role(profile).Results()[2].Requirements(), u"Minimum: 6 GB~Recommended: 12 GB~");

    EXPECT_EQ(AssessClientRole(profile).Results()[3].System(), u"1.13 GB free on C:;0.50 GB free on E:;");
    EXPECT_EQ(AssessWebServerRole(profile).Results()[3].System(), u"1.13 GB free on C:~0.50 GB free on E:~");

    EXPECT_EQ(AssessClientRole(profile).Results()[7].Requirements(), u"Microsoft Visual C++ 2015 Redistributable x86~");
    EXPECT_EQ(AssessAppServer64Role(profile).Results()[6].Requirements(),
              u"Microsoft Visual C++ 2008 Redistributable x64~Microsoft Visual C++ 2010 Redistributable x86~"
              u"Microsoft Visual C++ 2010 Redistributable x64~Microsoft Visual C++ 2013 Redistributable x64~"
              u"Microsoft Visual C++ 2015 Redistributable x64~");
}

TEST(RoleBuildersTest, PassFlagsFollowTheProfile)
{
    for (const RoleAssessment& role :
         {AssessClientRole(Testing::AllPassProfile()), AssessWebServerRole(Testing::AllPassProfile()),
          AssessAppServer64Role(Testing::AllPassProfile())}) {
        for (const RequirementResult& row : role.Results()) {
            EXPECT_TRUE(row.passed) << std::string(row.Hardware().begin(), row.Hardware().end());
        }
    }
    for (const RoleAssessment& role :
         {AssessClientRole(Testing::AllFailProfile()), AssessWebServerRole(Testing::AllFailProfile()),
          AssessAppServer64Role(Testing::AllFailProfile())}) {
        for (const RequirementResult& row : role.Results()) {
            EXPECT_FALSE(row.passed) << std::string(row.Hardware().begin(), row.Hardware().end());
        }
    }
}

TEST(RoleBuildersTest, SameProfileSameAssessment)
{
    const SystemProfile profile = Testing::AllPassProfile();
    EXPECT_EQ(AssessClientRole(profile), AssessClientRole(profile));
    EXPECT_EQ(AssessWebServerRole(profile), AssessWebServerRole(profile));
    EXPECT_EQ(AssessAppServer64Role(profile), AssessAppServer64Role(profile));
}

} // namespace
} // namespace Talvane::Nimlo
