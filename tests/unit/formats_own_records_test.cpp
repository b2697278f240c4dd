#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/own_records.h"

namespace brio {
namespace {

// Whatever is written reads back the same, and writes the same bytes again.
TEST(OwnRecords, RoundTrip) {
    const std::vector<std::vector<OwnRecord>> cases = {
        {},
        {{10, 64, "mój opis", false, "wpis"}},
        {{15, 66, "", true, ""}, {-7, INT32_MIN, "a|b:c", false, std::string(300, 'x')}},
        {{INT32_MAX, 0, "12:|", true, "\x01\xFF|\r\n"}},
    };
    for (const auto& records : cases) {
        const std::string text = writeOwnRecords(records);
        const auto back = parseOwnRecords(text);
        ASSERT_TRUE(back.has_value()) << text;
        EXPECT_EQ(*back, records) << text;
        EXPECT_EQ(writeOwnRecords(*back), text);
    }
    EXPECT_EQ(writeOwnRecords({{10, 64, "ab", true, "c"}}), "K1|10|64|1|2:ab|1:c|");
}

TEST(OwnRecords, AnythingElseIsRefused) {
    for (const char* text : {
             "K1|",                            // a header alone
             "K1|10|64|0|2:ab|1:c",            // the last "|" missing
             "K1|10|64|0|2:ab|2:c|",           // a length beyond the text
             "K1|10|64|0|3:ab|1:c|",           // a length that ends off the "|"
             "K1|10|64|0|2:ab|1:c|x",          // bytes after the last record
             "K1|10|64|3|2:ab|1:c|",           // a flag that is neither 0 nor 1
             "K1|2147483648|64|0|0:|0:|",      // a network beyond 32 bits
             "K1|10|64|0|0:|0:|10|0|0|0:|0:|", // a network twice
             "K1|+10|64|0|0:|0:|",             // a sign Brio never writes
             "K1|10||0|0:|0:|",                // a number missing
             "15|1|10|0|",                     // the network choices
             "k1|10|64|0|0:|0:|",
         }) {
        EXPECT_FALSE(parseOwnRecords(text).has_value()) << text;
    }
}

} // namespace
} // namespace brio
