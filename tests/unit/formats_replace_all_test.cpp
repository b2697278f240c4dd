#include <gtest/gtest.h>

#include <string>

#include "formats/replace_all.h"

namespace brio {
namespace {

struct ReplaceCase {
    const char* name;
    std::string text;
    std::string placeholder;
    std::string value;
    std::string expected;
};

class FormatsReplaceAll : public testing::TestWithParam<ReplaceCase> {};

TEST_P(FormatsReplaceAll, Result) {
    const ReplaceCase& c = GetParam();
    EXPECT_EQ(replaceAll(c.text, c.placeholder, c.value), c.expected);
    // Into a buffer kept from before, longer or shorter than the result: nothing of it stays.
    for (size_t before : {size_t(0), c.expected.size() / 2, size_t(300)}) {
        std::string out(before, '#');
        replaceAll(out, c.text, c.placeholder, c.value);
        EXPECT_EQ(out, c.expected) << before;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, FormatsReplaceAll,
    testing::Values(
        ReplaceCase{"Twice", "{DownSpeed}{DownSpeed}", "{DownSpeed}", "7", "77"},
        ReplaceCase{"Format", "D: {DownSpeed} U: {UpSpeed}", "{DownSpeed}", "12.5", "D: 12.5 U: {UpSpeed}"},
        ReplaceCase{"LongerValue", "{UpSpeed}/{UpSpeed}", "{UpSpeed}", "0123456789", "0123456789/0123456789"},
        ReplaceCase{"EmptyValue", "up {UpSpeed}", "{UpSpeed}", "", "up "},
        ReplaceCase{"ValueHoldsPlaceholder", "a{DownSpeed}b", "{DownSpeed}", "{DownSpeed}{DownSpeed}",
                    "a{DownSpeed}{DownSpeed}b"},
        ReplaceCase{"ValueCompletesPlaceholder", "{Down{DownSpeed}", "{DownSpeed}", "Speed}", "{DownSpeed}"},
        ReplaceCase{"CaseMatters", "{downspeed}", "{DownSpeed}", "7", "{downspeed}"},
        ReplaceCase{"NoClosingBrace", "{DownSpeed", "{DownSpeed}", "7", "{DownSpeed"},
        ReplaceCase{"NothingTrimmed", "{ DownSpeed }", "{DownSpeed}", "7", "{ DownSpeed }"},
        ReplaceCase{"EmptyPlaceholder", "abc", "", "7", "abc"},
        ReplaceCase{"EmptyText", "", "{DownSpeed}", "7", ""},
        ReplaceCase{"OverlappingMatchesLeftToRight", "aaaa", "aa", "b", "bb"},
        ReplaceCase{"OddOverlap", "aaa", "aa", "b", "ba"},
        ReplaceCase{"BinaryBytes", std::string("\0{X}\xFF{X}", 8), "{X}", std::string("\0", 1),
                    std::string("\0\0\xFF\0", 4)},
        ReplaceCase{"WholeText", "{DownSpeed}", "{DownSpeed}", "", ""}),
    [](const testing::TestParamInfo<ReplaceCase>& info) { return std::string(info.param.name); });

TEST(FormatsReplaceAllOrder, APlaceholderBroughtInByAValueIsFilledByALaterCall) {
    std::string text = replaceAll("{DownSpeed}|{UpSpeed}", "{DownSpeed}", "d{UpSpeed}");
    EXPECT_EQ(replaceAll(text, "{UpSpeed}", "u"), "du|u");
}

// A default view points nowhere; as a value, a text or a placeholder it is simply empty.
TEST(FormatsReplaceAll, ViewsWithoutBytes) {
    EXPECT_EQ(replaceAll("{X}a{X}", "{X}", std::string_view()), "a");
    EXPECT_EQ(replaceAll(std::string_view(), "{X}", "v"), "");
    EXPECT_EQ(replaceAll("{X}", std::string_view(), "v"), "{X}");
}

TEST(FormatsReplaceAllOrder, ManyOccurrences) {
    std::string text;
    std::string expected;
    for (int i = 0; i < 10000; ++i) {
        text += "x{P}";
        expected += "xvalue";
    }
    EXPECT_EQ(replaceAll(text, "{P}", "value"), expected);
}

} // namespace
} // namespace brio
