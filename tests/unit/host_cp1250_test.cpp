// Code page 1250 at the host's edges: display, scripts and the configuration file.
#include <gtest/gtest.h>

#include <string>

#include "host/common/cp1250.h"

namespace brio::host {
namespace {

// Test sources are compiled with -fexec-charset=CP1250: "ę" below is the single byte 0xEA, while
// hexadecimal escapes stay the bytes written (used here for the UTF-8 side).
struct Pair {
    const char* cp1250;
    const char* utf8;
};

constexpr Pair kPairs[] = {
    {"", ""},
    {"Brio", "Brio"},
    {"\xEA", "\xC4\x99"}, // ę
    {"\xA5\xB9\xC6\xE6\xCA\xEA\xA3\xB3\xD1\xF1",
     "\xC4\x84\xC4\x85\xC4\x86\xC4\x87\xC4\x98\xC4\x99\xC5\x81\xC5\x82\xC5\x83\xC5\x84"},
    {"\x8C\x9C\x8F\x9F\xAF\xBF\xD3\xF3", "\xC5\x9A\xC5\x9B\xC5\xB9\xC5\xBA\xC5\xBB\xC5\xBC\xC3\x93\xC3\xB3"},
    {"\x80", "\xE2\x82\xAC"}, // the euro sign
    {"\xFF", "\xCB\x99"},     // the dot above, last byte of the page
    {"\xA0", "\xC2\xA0"},     // no-break space
};

TEST(HostCp1250, ConvertsBothWays) {
    for (const Pair& p : kPairs) {
        EXPECT_EQ(cp1250ToUtf8(p.cp1250), p.utf8) << p.utf8;
        std::string back, error;
        ASSERT_TRUE(utf8ToCp1250(p.utf8, back, error)) << error;
        EXPECT_EQ(back, p.cp1250);
    }
}

TEST(HostCp1250, SourceLiteralsAreCodePage1250) {
    EXPECT_EQ(std::string("Dostępny").size(), 8u);
    EXPECT_EQ(cp1250ToUtf8("Dostępny"), "Dost\xC4\x99pny");
}

TEST(HostCp1250, EveryDefinedByteRoundTrips) {
    int undefined = 0;
    for (int b = 1; b < 256; ++b) {
        const std::string byte(1, static_cast<char>(b));
        if (cp1250CodePoint(static_cast<unsigned char>(b)) == 0) {
            ++undefined;
            continue;
        }
        std::string back, error;
        ASSERT_TRUE(utf8ToCp1250(cp1250ToUtf8(byte), back, error)) << b;
        EXPECT_EQ(back, byte) << b;
    }
    EXPECT_EQ(undefined, 5); // 0x81, 0x83, 0x88, 0x90, 0x98
}

TEST(HostCp1250, RejectsWhatTheCodePageCannotHold) {
    const struct {
        const char* utf8;
        const char* error;
    } cases[] = {
        {"\xE2\x82", "malformed UTF-8"},                   // cut short
        {"\xC0\x80", "malformed UTF-8"},                   // overlong
        {"\xFF", "malformed UTF-8"},                       // never a lead byte
        {"\xED\xA0\x80", "malformed UTF-8"},               // a surrogate
        {"\xC3\xA8", "U+00E8 has no code page 1250 byte"}, // è
        {"\xE2\x98\x83", "U+2603 has no code page 1250 byte"},
        {"\xF0\x9F\x98\x80", "U+1F600 has no code page 1250 byte"},
    };
    for (const auto& c : cases) {
        std::string out, error;
        EXPECT_FALSE(utf8ToCp1250(c.utf8, out, error)) << c.utf8;
        EXPECT_EQ(error, c.error);
    }
}

TEST(HostCp1250, QuotedShowsEveryByteDistinctly) {
    const struct {
        std::string bytes;
        const char* shown;
    } cases[] = {
        {"", "\"\""},
        {"a b", "\"a b\""},
        {"say \"hi\"", "\"say \\\"hi\\\"\""},
        {"C:\\x", "\"C:\\\\x\""},
        {"a\nb", "\"a\\nb\""},
        {"\x1A"
         "min=10\x02"
         "3\x03\x0C\r\t",
         "\"\\x1Amin=10\\x023\\x03\\x0C\\x0D\\x09\""},
        {std::string("a\0b", 3), "\"a\\x00b\""},
        {"\x7F\x81\x98", "\"\\x7F\\x81\\x98\""},
        {"zaba\xBF", "\"zaba\xC5\xBC\""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(displayed(c.bytes), c.shown);
}

} // namespace
} // namespace brio::host
