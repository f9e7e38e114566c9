#include "summary/TextStore.h"

#include <gtest/gtest.h>

namespace Talvane::Nimlo {
namespace {

TEST(TextStoreTest, ALongTextIsCutBeforeASequenceThatWouldNotFit)
{
    struct Case {
        std::string text;
        std::string kept;
    };
    const Case cases[] = {
        {std::string(256, 'a'), std::string(256, 'a')},
        {std::string(257, 'a'), std::string(253, 'a') + "..."},
        {std::string(251, 'a') + "\xC3\x9C" + "bbbb", std::string(251, 'a') + "\xC3\x9C" + "..."}, // the U fits
        {std::string(251, 'a') + "\xE2\x82\xAC" + "bbb", std::string(251, 'a') + "..."},           // the euro not
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CutToLimit(c.text), c.kept) << c.text.size();
        EXPECT_LE(CutToLimit(c.text).size(), KeptTextLimit);
    }
}

// Texts come back as they were kept, whatever bytes they hold and however
// many blocks they take; handles order as the texts were kept.
TEST(TextStoreTest, EveryTextComesBackAsItWasKept)
{
    using namespace std::string_literals;
    TextStore store;
    const std::string texts[] = {"", "ws\0a"s, std::string(70000, 'x'), "after a block of its own", "last"};
    std::vector<TextHandle> handles;
    for (int round = 0; round < 20; ++round) {
        for (const std::string& text : texts) {
            handles.push_back(store.Keep(text));
        }
    }
    for (std::size_t i = 0; i < handles.size(); ++i) {
        EXPECT_EQ(store.Text(handles[i]), texts[i % std::size(texts)]) << i;
        EXPECT_TRUE(i == 0 || handles[i - 1] < handles[i]) << i;
    }
}

} // namespace
} // namespace Talvane::Nimlo
