// Comparing a transcript with the expected one: the {n} wildcard and where two transcripts part.
#include <gtest/gtest.h>

#include "host/common/transcript.h"

namespace brio::host {
namespace {

TEST(HostTranscript, WildcardMatchesIntegers) {
    const struct {
        const char* expected;
        const char* got;
        bool matches;
    } cases[] = {
        {"", "", true},
        {"a", "a", true},
        {"a", "b", false},
        {"a", "ab", false},
        {"ab", "a", false},
        {"{n}", "0", true},
        {"{n}", "151234567", true},
        {"{n}", "-3", true},
        {"{n}", "", false},
        {"{n}", "-", false},
        {"{n}", "x", false},
        {"{n}", "12x", false},
        {"{n}", "+1", false},
        {"pCtrl = {n}", "pCtrl = 151234567", true},
        {"act.id = {n}, pCtrl = {n}", "act.id = 445115, pCtrl = -12", true},
        {"act.id = {n}, pCtrl = {n}", "act.id = 445115, pCtrl = ", false},
        {"{n}{n}", "12", false}, // the first takes every digit
        {"x{n}y", "x1y", true},
        {"{n", "{n", true},
        {"{N}", "5", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(lineMatches(c.expected, c.got), c.matches) << c.expected << " / " << c.got;
}

TEST(HostTranscript, FirstDifferenceNamesTheLine) {
    const std::vector<std::string> expected = {"$ start", "<- {n}", "end"};
    EXPECT_EQ(firstDifference(expected, {"$ start", "<- 7", "end"}), "");
    EXPECT_EQ(firstDifference(expected, {"$ start", "<- x", "end"}),
              "line 2:\n  expected: <- {n}\n  got:      <- x");
    EXPECT_EQ(firstDifference(expected, {"$ start", "<- 7"}),
              "line 3: the transcript ends early\n  expected: end");
    EXPECT_EQ(firstDifference(expected, {"$ start", "<- 7", "end", "more"}),
              "line 4: the transcript goes on\n  got:      more");
    EXPECT_EQ(firstDifference({}, {}), "");
}

TEST(HostTranscript, SplitLinesTakesEitherLineEnd) {
    EXPECT_EQ(splitLines(""), std::vector<std::string>{});
    EXPECT_EQ(splitLines("a\nb\n"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(splitLines("a\r\nb"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(splitLines("\n\n"), (std::vector<std::string>{"", ""}));
}

TEST(HostTranscript, IndentsByDepthAndMutes) {
    Transcript t;
    t.line("-> a");
    t.enter();
    t.line("call");
    t.enter();
    t.line("deeper");
    t.leave();
    t.leave();
    t.leave(); // one too many does not go below zero
    t.line("<- 1");
    t.setMuted(true);
    t.plain("hidden");
    t.line("hidden too");
    t.always("FAULT: shown");
    EXPECT_EQ(t.lines(), (std::vector<std::string>{"-> a", "  call", "    deeper", "<- 1", "FAULT: shown"}));
}

} // namespace
} // namespace brio::host
