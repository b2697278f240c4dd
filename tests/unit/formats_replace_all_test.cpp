#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <stdexcept>
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

// --- results that cannot be built ---

struct SizeCase {
    const char* name;
    size_t text, matches, placeholder, value, limit;
    std::optional<size_t> expected;
};

class FormatsReplacedSize : public testing::TestWithParam<SizeCase> {};

TEST_P(FormatsReplacedSize, NeverWraps) {
    const SizeCase& c = GetParam();
    EXPECT_EQ(replacedSize(c.text, c.matches, c.placeholder, c.value, c.limit), c.expected);
}

constexpr size_t kMax = SIZE_MAX;
// The onlinesig.dat of 21,846 "{UpSpeed}" and no separator: both speeds are the whole file, and the
// upload substitution would need 196,614 + 21,846 x 196,605 bytes, past what 32 bits count.
constexpr size_t kFile = 21846 * 9;

INSTANTIATE_TEST_SUITE_P(
    Formats, FormatsReplacedSize,
    testing::Values(SizeCase{"Grows", 10, 2, 3, 5, 100, 14}, SizeCase{"GrowsToTheLimit", 10, 2, 3, 5, 14, 14},
                    SizeCase{"GrowsPastTheLimit", 10, 2, 3, 5, 13, std::nullopt},
                    SizeCase{"SameSize", 100, 5, 3, 3, 100, 100},
                    SizeCase{"SameSizeOverLimit", 100, 5, 3, 3, 99, std::nullopt},
                    SizeCase{"Shrinks", 10, 2, 5, 0, 100, 0},
                    SizeCase{"ShrinksIntoTheLimit", 100, 10, 9, 0, 10, 10},
                    SizeCase{"ShrinksNotEnough", 100, 10, 9, 0, 9, std::nullopt},
                    SizeCase{"MoreMatchesThanTheTextHolds", 10, 3, 5, 0, 100, std::nullopt},
                    SizeCase{"NoMatchesOverLimit", 100, 0, 9, 20, 99, std::nullopt},
                    SizeCase{"MeasuredUploadFile", kFile, 21846, 9, kFile, kMax, std::nullopt},
                    SizeCase{"MeasuredUploadFileLimited", kFile, 21846, 9, kFile, 65536, std::nullopt},
                    SizeCase{"EndsExactlyAtTheEdge", kMax - 11, 1, 9, 20, kMax, kMax},
                    SizeCase{"OneBytePastTheEdge", kMax - 10, 1, 9, 20, kMax, std::nullopt},
                    // 2^31 matches growing by 2 bytes each: the product wraps to 0 in 32 bits.
                    SizeCase{"ProductWrapsToZero", 100, size_t(1) << (sizeof(size_t) * 8 - 1), 1, 3, kMax,
                             std::nullopt},
                    SizeCase{"ValueToTheEdge", 20, 1, 9, kMax - 11, kMax, kMax},
                    SizeCase{"ValuePastTheEdge", 20, 1, 9, kMax - 10, kMax, std::nullopt},
                    // 20 + 2 x (2^31 - 10) is 2^32: 0 in 32 bits.
                    SizeCase{"TwoValuesWrapToZero", 20, 2, 9, kMax / 2, kMax, std::nullopt},
                    SizeCase{"ValueExactlyToTheEdge", 9, 1, 9, kMax, kMax, kMax}),
    [](const testing::TestParamInfo<SizeCase>& info) { return std::string(info.param.name); });

struct LimitCase {
    const char* name;
    std::string text;
    std::string placeholder;
    std::string value;
    size_t limit;
    std::optional<std::string> expected; // none: refused
};

class FormatsReplaceAllLimit : public testing::TestWithParam<LimitCase> {};

TEST_P(FormatsReplaceAllLimit, RefusedResultLeavesNothing) {
    const LimitCase& c = GetParam();
    std::string out = "kept from before";
    EXPECT_EQ(replaceAll(out, c.text, c.placeholder, c.value, c.limit), c.expected.has_value());
    EXPECT_EQ(out, c.expected.value_or(""));
}

INSTANTIATE_TEST_SUITE_P(
    Formats, FormatsReplaceAllLimit,
    testing::Values(LimitCase{"Fits", "a{X}b", "{X}", "12345", 7, "a12345b"},
                    LimitCase{"OneOver", "a{X}b", "{X}", "12345", 6, std::nullopt},
                    LimitCase{"ShrinksToNothing", "{X}{X}{X}", "{X}", "", 0, ""},
                    LimitCase{"TextAloneOver", "abcdef", "{X}", "1", 5, std::nullopt},
                    LimitCase{"EmptyPlaceholderOver", "abcdef", "", "1", 5, std::nullopt},
                    LimitCase{"ShortTextUnderLimit", "ab", "{X}", "1", 2, "ab"},
                    LimitCase{"ShrinkingTextOverLimitFits", "{X}{X}ab", "{X}", "", 2, "ab"}),
    [](const testing::TestParamInfo<LimitCase>& info) { return std::string(info.param.name); });

// The whole measured file through the substitution: refused before anything is allocated for it.
TEST(FormatsReplaceAllLimit, TheMeasuredUploadFileIsRefused) {
    std::string file;
    for (int i = 0; i < 21846; ++i)
        file += "{UpSpeed}";
    std::string out;
    EXPECT_FALSE(replaceAll(out, file, "{UpSpeed}", file, 64 * 1024));
    EXPECT_TRUE(out.empty());
    EXPECT_THROW(replaceAll(file, "{UpSpeed}", file), std::length_error);
}

} // namespace
} // namespace brio
