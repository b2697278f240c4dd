#include <gtest/gtest.h>

#include <string>

#include "formats/integer.h"

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

} // namespace
} // namespace brio
