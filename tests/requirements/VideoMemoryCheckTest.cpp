#include "requirements/VideoMemoryCheck.h"

#include <gtest/gtest.h>

namespace Talvane::Nimlo {
namespace {

const std::u16string Recommended = u"This system meets the recommended 256 MB video memory.";
const std::u16string Minimum = u"This system meets the minimum 128 MB video memory.";
const std::u16string Fails = u"This system does not meet the recommended 128 MB video memory.";

struct VideoCase {
    std::int64_t megabytes;
    bool passed;
    std::u16string system;
    std::u16string message;
};

class VideoMemoryCheckTest : public testing::TestWithParam<VideoCase> {};

TEST_P(VideoMemoryCheckTest, ComparesWithMinimumAndRecommended)
{
    const VideoCase& c = GetParam();
    const RequirementResult row = CheckVideoMemory({c.megabytes});
    EXPECT_EQ(row.passed, c.passed);
    EXPECT_EQ(row.System(), c.system);
    EXPECT_EQ(row.Message(), c.message);
    EXPECT_EQ(row.Hardware(), u"Video Memory");
    EXPECT_EQ(row.Requirements(), u"Minimum: 128 MB~Recommended: 256 MB~");
}

INSTANTIATE_TEST_SUITE_P(Cases, VideoMemoryCheckTest,
                         testing::Values(VideoCase{128, true, u"128 MB", Minimum},
                                         VideoCase{127, false, u"127 MB", Fails},
                                         VideoCase{255, true, u"255 MB", Minimum},
                                         VideoCase{256, true, u"256 MB", Recommended},
                                         VideoCase{4096, true, u"4096 MB", Recommended},
                                         VideoCase{0, false, u"0 MB", Fails}, VideoCase{-1, false, u"-1 MB", Fails}));

} // namespace
} // namespace Talvane::Nimlo
