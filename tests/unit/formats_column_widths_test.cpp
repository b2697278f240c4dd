#include <gtest/gtest.h>

#include <string>

#include "formats/column_widths.h"

namespace brio {
namespace {

struct WidthsCase {
    const char* text;
    int32_t description;
    int32_t seconds;
};

class FormatsColumnWidths : public testing::TestWithParam<WidthsCase> {};

TEST_P(FormatsColumnWidths, Read) {
    const WidthsCase& c = GetParam();
    EXPECT_EQ(readColumnWidths(c.text), (ColumnWidths{c.description, c.seconds})) << '"' << c.text << '"';
}

INSTANTIATE_TEST_SUITE_P(Formats, FormatsColumnWidths,
                         testing::Values(WidthsCase{"", 297, 55}, WidthsCase{"8|3", 297, 55},
                                         WidthsCase{"400|80", 400, 80}, WidthsCase{"400", 400, 400},
                                         WidthsCase{"400|80|7", 400, 80}, WidthsCase{"10|5", 297, 55},
                                         WidthsCase{"11|6", 11, 6}, WidthsCase{"|", 297, 55},
                                         WidthsCase{"|80", 297, 80}, WidthsCase{"400|", 400, 55},
                                         WidthsCase{"-400|-80", 297, 55}, WidthsCase{" 350 | 60", 350, 60},
                                         WidthsCase{"abc", 297, 55}, WidthsCase{"4", 297, 55},
                                         WidthsCase{"8", 297, 8}, WidthsCase{"300x|70y", 300, 70},
                                         WidthsCase{"4294967596|55", 300, 55}));

TEST(FormatsColumnWidthsWrite, DecimalWithBar) {
    EXPECT_EQ(writeColumnWidths(kDefaultColumnWidths), "297|55");
    EXPECT_EQ(writeColumnWidths({400, 80}), "400|80");
    EXPECT_EQ(writeColumnWidths({0, -5}), "0|-5");
}

TEST(FormatsColumnWidthsWrite, RoundTrip) {
    for (ColumnWidths widths : {ColumnWidths{297, 55}, ColumnWidths{11, 6}, ColumnWidths{2000, 1500}})
        EXPECT_EQ(readColumnWidths(writeColumnWidths(widths)), widths);
}

} // namespace
} // namespace brio
