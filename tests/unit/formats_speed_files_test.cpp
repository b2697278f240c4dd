#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "formats/azureus_stats.h"
#include "formats/onlinesig.h"
#include "tests/azureus_stats_file.h"

namespace brio {
namespace {

struct SpeedCase {
    const char* name;
    std::string text;
    std::string down;
    std::string up;
};

std::string caseName(const testing::TestParamInfo<SpeedCase>& info) {
    return info.param.name;
}

// --- onlinesig.dat ---

class FormatsOnlineSig : public testing::TestWithParam<SpeedCase> {};

TEST_P(FormatsOnlineSig, Speeds) {
    const SpeedCase& c = GetParam();
    const Speeds speeds = parseOnlineSig(c.text);
    EXPECT_EQ(speeds.down, c.down);
    EXPECT_EQ(speeds.up, c.up);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, FormatsOnlineSig,
    testing::Values(SpeedCase{"LfLines", "1|a|b|c\n12.3|4.5|7\n", "12.3", "4.5"},
                    SpeedCase{"CrLfLines", "1|a|b|c\r\n12.3|4.5|7\r\n", "12.3", "4.5"},
                    SpeedCase{"CrLfSecondLineOfTwoFields", "1|a|b|c\r\n12.3|4.5\r\n", "12.3", "4.5"},
                    SpeedCase{"CrLfNoUploadEnd", "1|a|b|c\r\n12.3|4.5", "12.3", "4.5"},
                    SpeedCase{"LfCr", "1|a|b|c\n\r12.3|4.5|7", "", "4.5"},
                    SpeedCase{"CrCrLf", "1|a|b|c\r\r\n12.3|4.5|7", "", "4.5"},
                    SpeedCase{"SecondLineEndsBeforeItsBar", "1|a|b|c\n12.3\n|4.5|", "12.3", "4.5"},
                    SpeedCase{"CrAlone", "1|a|b|c\r12.3|4.5|7", "12.3", "4.5"},
                    SpeedCase{"RealServerLine", "1|eMule Server|176.9.40.12|4242\n0.0|16.8|3\n", "0.0",
                              "16.8"},
                    // The line end is looked for only behind the third "|": a break inside the first line is
                    // taken as part of it.
                    SpeedCase{"BreakBeforeThirdBar", "1|a\nb|c|d\n5|6|7", "5", "6"},
                    // Without a "|" in the first line the searches run on into the second.
                    SpeedCase{"FirstLineWithoutBars", "0\n12.3|4.5|7\n", "12.3", "4.5"},
                    SpeedCase{"NoLineBreakAfterThirdBar", "1|a|b|c", "1", "a"},
                    SpeedCase{"NoUploadEnd", "1|a|b|c\n12.3|4.5", "12.3", "4.5"},
                    SpeedCase{"SecondLineWithoutBars", "1|a|b|c\n12.3", "12.3", "1"},
                    SpeedCase{"EmptyFields", "|||\n||\n", "", ""}, SpeedCase{"Empty", "", "", ""},
                    SpeedCase{"OneBar", "|", "", ""}, SpeedCase{"OnlyALineEnd", "\n", "", ""},
                    SpeedCase{"OnlyCrLf", "\r\n", "", ""}, SpeedCase{"LineEndLast", "1|a|b|c\n", "", "1"},
                    SpeedCase{"BytesKeptAsTheyAre", std::string("1|a|b|c\n\xB9\0x|\xFF ", 14),
                              std::string("\xB9\0x", 3), "\xFF "}),
    caseName);

// --- the Azureus statistics file ---

// Azureus ends each value with a non-breaking space (UTF-8) and the unit: six bytes that are cut off.
const std::string kUnit = "\xC2\xA0kB/s";

class FormatsAzureusStats : public testing::TestWithParam<SpeedCase> {};

TEST_P(FormatsAzureusStats, Speeds) {
    const SpeedCase& c = GetParam();
    const Speeds speeds = parseAzureusStats(c.text);
    EXPECT_EQ(speeds.down, c.down);
    EXPECT_EQ(speeds.up, c.up);
}

// Files of megabytes, built here rather than in the table above: a table's values are made when the test
// program starts, in every run of it.
TEST(FormatsAzureusStatsBig, SpeedsOfLargeFiles) {
    const SpeedCase cases[] = {
        // A user's file of 2,000 downloads (some 3 MB), each with its own speeds: the global ones count.
        {"TwoThousandDownloads", test::azureusStatsFile(2000, "48.2 kB/s", "7.1 kB/s"), "48.2", "7.1"},
        // Tags are found behind megabytes of anything, a ">" among them, and a tag's end next to one.
        {"BehindMegabytesOfBrackets",
         std::string(1 << 20, '<') + std::string(1 << 20, '>') + "D><<DOWNLOAD_SPEED>><TEXT>>1 B/s</TEXT>" +
             "</DOWNLOAD_SPEED>>UPLOAD_SPEED><UPLOAD_SPEED><TEXT>2 B/s</TEXT>",
         ">1", "2"},
    };
    for (const SpeedCase& c : cases) {
        SCOPED_TRACE(c.name);
        const Speeds speeds = parseAzureusStats(c.text);
        EXPECT_EQ(speeds.down, c.down);
        EXPECT_EQ(speeds.up, c.up);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, FormatsAzureusStats,
    testing::Values(
        SpeedCase{"TenLettersKeepFour",
                  "<DOWNLOAD_SPEED><TEXT>abcdefghij</TEXT></DOWNLOAD_SPEED>"
                  "<UPLOAD_SPEED><TEXT>klmnopqrst</TEXT></UPLOAD_SPEED>",
                  "abcd", "klmn"},
        SpeedCase{"ExactlySixBytes",
                  "<DOWNLOAD_SPEED><TEXT>abcdef</TEXT></DOWNLOAD_SPEED>"
                  "<UPLOAD_SPEED><TEXT>7" +
                      kUnit + "</TEXT></UPLOAD_SPEED>",
                  "", "7"},
        SpeedCase{"AnyOrderIndentedAmongOthers",
                  "<?xml version=\"1.0\"?>\n<STATS>\n <GLOBAL>\n  <UPLOAD_SPEED>\n   <TEXT>7.1" + kUnit +
                      "</TEXT>\n   <RAW>7270</RAW>\n  </UPLOAD_SPEED>\n  <X/>\n  <DOWNLOAD_SPEED>\n"
                      "   <TEXT>48.2" +
                      kUnit + "</TEXT>\n  </DOWNLOAD_SPEED>\n </GLOBAL>\n</STATS>\n",
                  "48.2", "7.1"},
        SpeedCase{"ChildrenBeforeTextSkippedSecondTextIgnored",
                  "<DOWNLOAD_SPEED><RAW>1</RAW><TEXT>12.5" + kUnit + "</TEXT><TEXT>99" + kUnit +
                      "</TEXT></DOWNLOAD_SPEED><UPLOAD_SPEED><TEXT>3" + kUnit + "</TEXT></UPLOAD_SPEED>",
                  "12.5", "3"},
        SpeedCase{"FirstElementCounts",
                  "<DOWNLOAD_SPEED><TEXT>1" + kUnit +
                      "</TEXT></DOWNLOAD_SPEED>"
                      "<DOWNLOAD_SPEED><TEXT>2" +
                      kUnit + "</TEXT></DOWNLOAD_SPEED>",
                  "1", ""},
        SpeedCase{"NoDownloadElement", "<UPLOAD_SPEED><TEXT>3" + kUnit + "</TEXT></UPLOAD_SPEED>", "", "3"},
        SpeedCase{"NoElements", "<STATS></STATS>", "", ""}, SpeedCase{"Empty", "", "", ""},
        SpeedCase{"TagsAreCaseSensitive", "<download_speed><TEXT>1" + kUnit + "</TEXT></download_speed>", "",
                  ""},
        SpeedCase{"NoTextInElement",
                  "<DOWNLOAD_SPEED><RAW>5</RAW></DOWNLOAD_SPEED><TEXT>9" + kUnit + "</TEXT>", "", ""},
        SpeedCase{"TextEndOutsideElement", "<DOWNLOAD_SPEED><TEXT>5" + kUnit + "</DOWNLOAD_SPEED></TEXT>", "",
                  ""},
        SpeedCase{"TextEndBeforeStart", "<DOWNLOAD_SPEED></TEXT>abcdefgh<TEXT></DOWNLOAD_SPEED>", "", ""},
        SpeedCase{"ShorterThanSix", "<DOWNLOAD_SPEED><TEXT>abc</TEXT></DOWNLOAD_SPEED>", "", ""},
        SpeedCase{"EmptyValue", "<DOWNLOAD_SPEED><TEXT></TEXT></DOWNLOAD_SPEED>", "", ""},
        // An element without its end tag runs to the end of the file.
        SpeedCase{"NoEndTag", "<DOWNLOAD_SPEED>\n<TEXT>8" + kUnit + "</TEXT>", "8", ""},
        SpeedCase{"CutInsideValue", "<DOWNLOAD_SPEED><TEXT>8" + kUnit, "", ""},
        // An empty upload element ends right behind its start tag: a value further on is not its own.
        SpeedCase{"EmptyUploadElement", "<UPLOAD_SPEED></UPLOAD_SPEED><OTHER><TEXT>abcdefghij</TEXT></OTHER>",
                  "", ""},
        SpeedCase{"ValueBytesKeptAsTheyAre",
                  std::string("<DOWNLOAD_SPEED><TEXT>\0\xFF\n{UpSpeed}", 34) + kUnit +
                      "</TEXT></DOWNLOAD_SPEED>",
                  std::string("\0\xFF\n{UpSpeed}", 12), ""}),
    caseName);

// The units Azureus writes behind the figure, after a blank, the figure in the user's locale.
struct UnitCase {
    std::string value;
    std::string speed;
};

// The value names the case (the test's name stays the same from run to run).
void PrintTo(const UnitCase& c, std::ostream* os) {
    *os << '"' << c.value << '"';
}

class FormatsAzureusUnits : public testing::TestWithParam<UnitCase> {};

TEST_P(FormatsAzureusUnits, SpeedIsTheValueBeforeItsLastBlank) {
    const UnitCase& c = GetParam();
    const Speeds speeds = parseAzureusStats("<UPLOAD_SPEED><TEXT>" + c.value +
                                            "</TEXT></UPLOAD_SPEED>\n<DOWNLOAD_SPEED><TEXT>" + c.value +
                                            "</TEXT></DOWNLOAD_SPEED>");
    EXPECT_EQ(speeds.down, c.speed) << c.value;
    EXPECT_EQ(speeds.up, c.speed) << c.value;
}

INSTANTIATE_TEST_SUITE_P(Formats, FormatsAzureusUnits,
                         testing::Values(UnitCase{"512 B/s", "512"}, UnitCase{"0 B/s", "0"},
                                         UnitCase{"20.3 kB/s", "20.3"}, UnitCase{"1.2 MB/s", "1.2"},
                                         UnitCase{"20.3 KiB/s", "20.3"}, UnitCase{"1.3 MiB/s", "1.3"},
                                         UnitCase{"162.4 kbit/s", "162.4"}, UnitCase{"20,3 kB/s", "20,3"},
                                         // A blank inside the figure (a thousands separator) stays.
                                         UnitCase{"1 024,5 kB/s", "1 024,5"}, UnitCase{" kB/s", ""},
                                         // Without a blank the last six bytes go, whatever they are.
                                         UnitCase{"48.2" + kUnit, "48.2"}, UnitCase{"abcdefghij", "abcd"},
                                         UnitCase{"abcdef", ""}, UnitCase{"20.3&nbsp;kB/s", "20.3&nbs"}));

} // namespace
} // namespace brio
