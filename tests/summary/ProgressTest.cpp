#include "summary/Progress.h"

#include <sstream>

#include <gtest/gtest.h>

namespace Talvane::Nimlo {
namespace {

TEST(ProgressTest, ALineUpdatedInPlaceOnlyWhereSomebodyWatches)
{
    std::ostringstream unseen;
    {
        Progress progress(unseen, false);
        progress.Read(1);
    }
    EXPECT_EQ(unseen.str(), "");

    std::ostringstream terminal;
    {
        Progress progress(terminal, true);
        progress.Read(1);
        progress.Read(2); // within a quarter of a second: not shown
        EXPECT_EQ(terminal.str(), "\r1 reports read");
    }
    EXPECT_EQ(terminal.str(), "\r1 reports read\r              \r") << "cleared when it goes";
}

} // namespace
} // namespace Talvane::Nimlo
