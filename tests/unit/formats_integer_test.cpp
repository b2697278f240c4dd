#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>

#include "formats/integer.h"
#include "formats/status_entry.h"

namespace brio {
namespace {

struct IntegerCase {
    std::string text;
    int32_t value;
};

class FormatsInteger : public testing::TestWithParam<IntegerCase> {};

TEST_P(FormatsInteger, Read) {
    EXPECT_EQ(readInteger(GetParam().text), GetParam().value) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Formats, FormatsInteger,
    testing::Values(IntegerCase{"", 0}, IntegerCase{"0", 0}, IntegerCase{"42", 42}, IntegerCase{"-42", -42},
                    IntegerCase{"+42", 42}, IntegerCase{"  \t\n 17", 17}, IntegerCase{"\f\r5", 5},
                    IntegerCase{"12abc", 12}, IntegerCase{"abc12", 0}, IntegerCase{"-", 0},
                    IntegerCase{"+-3", 0}, IntegerCase{"- 3", 0}, IntegerCase{"007", 7},
                    IntegerCase{"3.9", 3}, IntegerCase{"2147483647", 2147483647},
                    IntegerCase{"-2147483648", -2147483647 - 1}, IntegerCase{"2147483648", -2147483647 - 1},
                    IntegerCase{"4294967296", 0}, IntegerCase{"4294967306", 10},
                    IntegerCase{std::string("9\0009", 3), 9},
                    IntegerCase{"\2405", 0} /* 0xA0 (no-break space in code page 1250), then 5 */));

// Numbers past either end of the range stay at that end, however many digits follow; the rest reads as
// readInteger reads it. Display times read this way never wrap round to a short or negative time.
TEST(FormatsInteger, ClampedAtTheEndsOfTheRange) {
    const std::pair<std::string, int32_t> cases[] = {
        {"", 0},
        {" +42x", 42},
        {"-42", -42},
        {"2147483647", 2147483647},
        {"2147483648", 2147483647},
        {"3000000000", 2147483647},
        {"4294967306", 2147483647},
        {"99999999999", 2147483647},
        {std::string(40, '9'), 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"-2147483649", -2147483647 - 1},
        {"-99999999999", -2147483647 - 1},
        {"00000000000000000000012", 12},
    };
    for (const auto& [text, value] : cases) {
        EXPECT_EQ(readIntegerClamped(text), value) << text;
        EXPECT_EQ(readSeconds(text), std::max(value, 10)) << text;
    }
}

} // namespace
} // namespace brio
