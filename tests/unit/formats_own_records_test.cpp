#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/own_records.h"

namespace brio {
namespace {

OwnRecord rec(int32_t network, int32_t ownStatus, std::string own, bool hidden, std::string brio) {
    OwnRecord r;
    r.network = network;
    r.ownStatus = ownStatus;
    r.ownText = std::move(own);
    r.brioHidden = hidden;
    r.brioText = std::move(brio);
    return r;
}

// The same, with a write on its way over an earlier text of Brio's.
OwnRecord onItsWay(OwnRecord r, bool earlierHidden, std::string earlier) {
    r.hasEarlier = true;
    r.earlierHidden = earlierHidden;
    r.earlierText = std::move(earlier);
    return r;
}

// Whatever is written reads back the same, and writes the same bytes again.
TEST(OwnRecords, RoundTrip) {
    const std::vector<std::vector<OwnRecord>> cases = {
        {},
        {rec(10, 64, "mój opis", false, "wpis")},
        {rec(15, 66, "", true, ""), rec(-7, INT32_MIN, "a|b:c", false, std::string(300, 'x'))},
        {rec(INT32_MAX, 0, "12:|", true, "\x01\xFF|\r\n")},
        {onItsWay(rec(10, 64, "own", false, "B"), true, "A"), rec(12, 65, "x", true, "y")},
        {rec(12, 65, "x", true, "y"), onItsWay(rec(10, 64, "own", true, "B"), false, "")},
    };
    for (const auto& records : cases) {
        const std::string text = writeOwnRecords(records);
        const auto back = parseOwnRecords(text);
        ASSERT_TRUE(back.has_value()) << text;
        EXPECT_EQ(*back, records) << text;
        EXPECT_EQ(writeOwnRecords(*back), text);
    }
    EXPECT_EQ(writeOwnRecords({rec(10, 64, "ab", true, "c")}), "K1|10|64|1|2:ab|1:c|");
    EXPECT_EQ(
        writeOwnRecords({onItsWay(rec(10, 64, "ab", false, "c"), true, "d"), rec(7, 65, "", false, "")}),
        "K2|10|64|0|2|2:ab|1:c|1:d|7|65|0|0|0:|0:|0:|");
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
             "K1|10|64|0|2:abX1:c|",       // a text not followed by "|"
             "K1|010|64|0|0:|0:|",         // a leading zero
             "K1|10|-0|0|0:|0:|",          // "-0"
             "K2|10|64|0|0|2:ab|1:c|0:|",  // no write on its way: written as "K1|"
             "K2|10|64|0|0|2:ab|1:c|1:d|", // an earlier text with no write on its way
             "K2|10|64|0|3|2:ab|1:c|1:d|", // a state that is none of 0, 1, 2
             "K2|10|64|0|1|2:ab|1:c|",     // the earlier text missing
             "K1|10|64|0|1|2:ab|1:c|1:d|", // the earlier text under the header without it
         }) {
        EXPECT_FALSE(parseOwnRecords(text).has_value()) << text;
    }
}

} // namespace
} // namespace brio
