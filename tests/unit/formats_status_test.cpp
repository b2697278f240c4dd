#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/status.h"

namespace brio {
namespace {

struct StatusRow {
    int32_t position;
    int32_t host;
    uint32_t icon;
    const char* label; // CP1250 bytes
};

const StatusRow kTable[] = {
    {0, 64, 0x40000400u, "Dost\xEApny"},         {1, 67, 0x40000430u, "Pogadam"},
    {2, 65, 0x40000410u, "Zaraz wracam"},        {3, 33, 0x40000210u, "Nieosi\xB9galny"},
    {4, 34, 0x40000220u, "Nie przeszkadza\xE6"}, {5, 66, 0x40000420u, "Ukryty"},
};

TEST(FormatsStatus, MappingTable) {
    for (const StatusRow& row : kTable) {
        SCOPED_TRACE(row.position);
        EXPECT_TRUE(isStatusPosition(row.position));
        EXPECT_EQ(hostStatusNumber(row.position), row.host);
        EXPECT_EQ(statusPosition(row.host), row.position);
        EXPECT_EQ(static_cast<uint32_t>(statusIconId(row.host)), row.icon);
        EXPECT_EQ(statusLabel(row.position), row.label);
    }
    EXPECT_EQ(kHiddenStatus, hostStatusNumber(5));
}

TEST(FormatsStatus, LabelsAreCodePage1250) {
    EXPECT_EQ(statusLabel(0).size(), 8u);
    EXPECT_EQ(statusLabel(0), "Dostępny");
    EXPECT_EQ(statusLabel(3), "Nieosiągalny");
    EXPECT_EQ(statusLabel(4), "Nie przeszkadzać");
}

TEST(FormatsStatus, OutsideTheSixStatuses) {
    for (int32_t position : {-1, 6, 7, 64, 2147483647}) {
        EXPECT_FALSE(isStatusPosition(position)) << position;
        EXPECT_EQ(hostStatusNumber(position), -1) << position;
        EXPECT_TRUE(statusLabel(position).empty()) << position;
    }
    for (int32_t host : {-1, 0, 5, 32, 35, 63, 68, 0x400})
        EXPECT_EQ(statusPosition(host), -1) << host;
}

TEST(FormatsStatus, IconIdOfAnyNumberIsDefined) {
    EXPECT_EQ(statusIconId(0), 0x40000000);
    EXPECT_EQ(static_cast<uint32_t>(statusIconId(-1)), 0x3FFFFFF0u);
    EXPECT_EQ(static_cast<uint32_t>(statusIconId(0x08000000)), 0xC0000000u);
}

TEST(FormatsStatus, ChoiceTextIsSixLines) {
    auto line = [](std::string label, const char* iconId, char position) {
        return label + '\x03' + iconId + '\x02' + position + '\n';
    };
    std::string expected = line("Dost\xEApny", "1073742848", '0') + line("Pogadam", "1073742896", '1') +
                           line("Zaraz wracam", "1073742864", '2') +
                           line("Nieosi\xB9galny", "1073742352", '3') +
                           line("Nie przeszkadza\xE6", "1073742368", '4') + line("Ukryty", "1073742880", '5');
    EXPECT_EQ(statusChoiceText(), expected);
}

} // namespace
} // namespace brio
