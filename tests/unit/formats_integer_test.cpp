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

TEST_P(FormatsInteger, Read) { EXPECT_EQ(readInteger(GetParam().text), GetParam().value) << GetParam().text; }

INSTANTIATE_TEST_SUITE_P(
    Table, FormatsInteger,
    testing::Values(IntegerCase{"", 0}, IntegerCase{"0", 0}, IntegerCase{"42", 42}, IntegerCase{"-42", -42},
                    IntegerCase{"+42", 42}, IntegerCase{"  \t\n 17", 17}, IntegerCase{"\x0C\x0D" "5", 5},
                    IntegerCase{"12abc", 12}, IntegerCase{"abc12", 0}, IntegerCase{"-", 0}, IntegerCase{"+-3", 0},
                    IntegerCase{"- 3", 0}, IntegerCase{"007", 7}, IntegerCase{"3.9", 3},
                    IntegerCase{"2147483647", 2147483647}, IntegerCase{"-2147483648", -2147483647 - 1},
                    IntegerCase{"2147483648", -2147483647 - 1}, IntegerCase{"4294967296", 0},
                    IntegerCase{"4294967306", 10}, IntegerCase{std::string("9\0" "9", 3), 9},
                    IntegerCase{"\xA0" "5", 0}));

} // namespace
} // namespace brio
