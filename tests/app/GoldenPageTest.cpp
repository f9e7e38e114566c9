#include <gtest/gtest.h>

#include "app/RunAssessment.h"
#include "fakes/FakeRunServices.h"

namespace Talvane::Nimlo {
namespace {

struct GoldenCase {
    const char* name;
    SystemProfile (*profile)();
    std::string_view expected;
};

class GoldenPageTest : public testing::TestWithParam<GoldenCase> {};

// The whole page, byte for byte, against pages checked in under tests/golden.
TEST_P(GoldenPageTest, PageMatchesByteForByte)
{
    Testing::FakeRunServices services(GetParam().profile());
    ASSERT_EQ(RunAssessment(services), ExitStatus::ReportOpened);
    const std::string& page = services.files.files.at(Testing::NameOf(u"System Assessment Results.html"));
    EXPECT_EQ(page, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Pages, GoldenPageTest,
                         testing::Values(GoldenCase{"AllPass", Testing::AllPassProfile, EmbeddedGoldenAllPass},
                                         GoldenCase{"AllFail", Testing::AllFailProfile, EmbeddedGoldenAllFail},
                                         GoldenCase{"Empty", Testing::EmptyProfile, EmbeddedGoldenEmpty}),
                         [](const testing::TestParamInfo<GoldenCase>& p) { return p.param.name; });

} // namespace
} // namespace Talvane::Nimlo
