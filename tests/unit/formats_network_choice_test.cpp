#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/network_choice.h"

namespace brio {
namespace {

using Choices = std::vector<NetworkChoice>;

TEST(FormatsNetworkChoice, ExampleTextReadsAndWritesBack) {
    Choices choices = parseNetworkChoices("15|1|10|0|");
    EXPECT_EQ(choices, (Choices{{true, 15}, {false, 10}}));
    EXPECT_EQ(writeNetworkChoices(choices), "15|1|10|0|");
}

TEST(FormatsNetworkChoice, WriteFormat) {
    EXPECT_EQ(writeNetworkChoices({}), "");
    EXPECT_EQ(writeNetworkChoices({{false, 0}}), "0|0|");
    EXPECT_EQ(writeNetworkChoices({{true, -7}, {true, 2147483647}}), "-7|1|2147483647|1|");
}

struct ParseCase {
    const char* name;
    const char* text;
    Choices choices;
};

class FormatsNetworkChoiceParse : public testing::TestWithParam<ParseCase> {};

TEST_P(FormatsNetworkChoiceParse, Pairs) {
    EXPECT_EQ(parseNetworkChoices(GetParam().text), GetParam().choices);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, FormatsNetworkChoiceParse,
    testing::Values(ParseCase{"Empty", "", {}}, ParseCase{"NoBar", "15", {}},
                    ParseCase{"NetworkOnly", "15|", {}}, ParseCase{"FlagWithoutBar", "15|1", {}},
                    ParseCase{"LastFlagWithoutBarEndsList", "15|1|10|0", {{true, 15}}},
                    ParseCase{"TrailingNetwork", "15|1|10|", {{true, 15}}},
                    ParseCase{"AnyNonzeroFlagEnables",
                              "1|2|3|-1|4|0|5|x|",
                              {{true, 1}, {true, 3}, {false, 4}, {false, 5}}},
                    ParseCase{"LeadingPartOfNumbers", " 20abc|1 |83|01|", {{true, 20}, {true, 83}}},
                    ParseCase{"EmptyFields", "||||", {{false, 0}, {false, 0}}},
                    ParseCase{"ExcludedNetworksAreNotFiltered", "20|1|83|0|", {{true, 20}, {false, 83}}},
                    ParseCase{"NegativeNetwork", "-3|1|", {{true, -3}}},
                    ParseCase{"Garbage", "\xFF\x01|\n|\x0E|", {{false, 0}}}),
    [](const testing::TestParamInfo<ParseCase>& info) { return std::string(info.param.name); });

TEST(FormatsNetworkChoice, LongListRoundTrip) {
    Choices choices;
    for (int32_t n = -50; n < 2000; n += 7)
        choices.push_back({n % 3 == 0, n});
    std::string text = writeNetworkChoices(choices);
    EXPECT_EQ(parseNetworkChoices(text), choices);
    EXPECT_EQ(writeNetworkChoices(parseNetworkChoices(text)), text);
}

} // namespace
} // namespace brio
