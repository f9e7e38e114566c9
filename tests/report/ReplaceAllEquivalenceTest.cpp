// ReplaceAll builds its result in one pass until a replacement forms a new
// occurrence with the text around it, and then hands over to the cascade
// loop. Both must give what searching from the first byte again after every
// replacement gives, so every short text, placeholder and value over a
// two-letter alphabet is checked against that rule.
#include "report/ReportTemplate.h"

#include <optional>

#include <gtest/gtest.h>

namespace Talvane::Nimlo {
namespace {

// Replace the first occurrence, search again from the first byte; empty when
// it takes more than `limit` replacements (such cascades need not end).
std::optional<std::string> RestartReplace(std::string text, const std::string& placeholder, const std::string& value,
                                          std::size_t limit)
{
    for (std::size_t done = 0;; ++done) {
        const std::size_t at = text.find(placeholder);
        if (at == std::string::npos) {
            return text;
        }
        if (done == limit) {
            return std::nullopt;
        }
        text.replace(at, placeholder.size(), value);
    }
}

// Every string over "ab" of the given length.
std::vector<std::string> Words(std::size_t length)
{
    std::vector<std::string> words;
    for (std::size_t bits = 0; bits < (std::size_t{1} << length); ++bits) {
        std::string word;
        for (std::size_t i = 0; i < length; ++i) {
            word += (bits >> i) & 1 ? 'b' : 'a';
        }
        words.push_back(word);
    }
    return words;
}

TEST(ReplaceAllEquivalenceTest, AgreesWithSearchingFromTheStartAfterEveryReplacement)
{
    std::size_t compared = 0;
    for (std::size_t placeholderLength = 1; placeholderLength <= 3; ++placeholderLength) {
        for (const std::string& placeholder : Words(placeholderLength)) {
            for (std::size_t valueLength = 0; valueLength <= 3; ++valueLength) {
                for (const std::string& value : Words(valueLength)) {
                    if (value.find(placeholder) != std::string::npos) {
                        continue; // inserted once and never searched again: not this rule
                    }
                    for (std::size_t textLength = 0; textLength <= 8; ++textLength) {
                        for (const std::string& text : Words(textLength)) {
                            const auto expected = RestartReplace(text, placeholder, value, 64);
                            if (!expected) {
                                continue;
                            }
                            ++compared;
                            ASSERT_EQ(ReplaceAll(text, placeholder, value), *expected)
                                << "text " << text << ", placeholder " << placeholder << ", value " << value;
                        }
                    }
                }
            }
        }
    }
    EXPECT_GT(compared, 80000u);
}

TEST(ReplaceAllEquivalenceTest, OccurrenceFormedWithTheNextPlaceholderIsFound)
{
    // "aa" by "ba" in "aaaa": the value's "a" and the next placeholder's first
    // "a" form "aa" before that placeholder is reached, so one pass over the
    // original occurrences ("baba") would be wrong.
    EXPECT_EQ(ReplaceAll("aaaa", "aa", "ba"), "bbba");
}

TEST(ReplaceAllEquivalenceTest, ManyPlaceholdersWithoutCascadeAreAllReplaced)
{
    std::string text;
    std::string expected;
    for (int i = 0; i < 20000; ++i) {
        text += "{{CHECKBOX_ON}}|";
        expected += "<on>|";
    }
    EXPECT_EQ(ReplaceAll(text, "{{CHECKBOX_ON}}", "<on>"), expected);
}

} // namespace
} // namespace Talvane::Nimlo
