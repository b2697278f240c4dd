#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "formats/list_text.h"

namespace brio {
namespace {

std::string bytes(std::initializer_list<int> values) {
    std::string text;
    for (int value : values)
        text += static_cast<char>(value);
    return text;
}

std::string record(std::string_view status, std::string_view seconds, std::string_view description) {
    return std::string(status) + '\x0C' + std::string(seconds) + '\x0D' + std::string(description) + '\x0E';
}

std::vector<StatusEntry> parsed(std::string_view text) {
    std::vector<StatusEntry> entries;
    parseListText(text, [&](const ListRecord& r) {
        entries.push_back(StatusEntry{r.position, std::string(r.description), r.seconds});
    });
    return entries;
}

TEST(FormatsListTextWrite, ExampleRecordIsByteExact) {
    EXPECT_EQ(writeListText({{2, "30", "abc"}}),
              bytes({0x32, 0x0C, 0x33, 0x30, 0x0D, 0x61, 0x62, 0x63, 0x0E}));
}

TEST(FormatsListTextWrite, SingleDefaultLikeEntry) {
    std::string text = writeListText({{5, "10", ""}});
    EXPECT_EQ(text, bytes({0x35, 0x0C, 0x31, 0x30, 0x0D, 0x0E}));
    EXPECT_EQ(parsed(text), (std::vector<StatusEntry>{{5, "", 10}}));
    EXPECT_EQ(readListRows(text), (std::vector<ListRow>{{5, "10", ""}}));
}

TEST(FormatsListTextWrite, EmptyListIsEmptyText) {
    EXPECT_EQ(writeListText({}), "");
    EXPECT_TRUE(readListRows("").empty());
    EXPECT_TRUE(buildCycleList("").empty());
    EXPECT_TRUE(parsed("").empty());
}

TEST(FormatsListTextWrite, RowsFollowEachOtherInOrder) {
    EXPECT_EQ(writeListText({{0, "10", "a"}, {3, "45", ""}, {1, "12", "bc"}}),
              record("0", "10", "a") + record("3", "45", "") + record("1", "12", "bc"));
}

TEST(FormatsListTextWrite, UnknownStatusIsWrittenAsFive) {
    for (int32_t status : {-1, 6, 64, -2147483647 - 1})
        EXPECT_EQ(writeListText({{status, "10", "x"}}), record("5", "10", "x")) << status;
}

TEST(FormatsListTextWrite, SecondsAreCopiedByteForByte) {
    // The column text is not re-formatted: whatever the editor shows is stored.
    EXPECT_EQ(writeListText({{1, " 07x", "d"}}), record("1", " 07x", "d"));
    EXPECT_EQ(writeListText({{1, "", "d"}}), record("1", "", "d"));
}

TEST(FormatsListTextWrite, LongColumnsAreCutTo1023Bytes) {
    std::string description(1500, 'd');
    description[1022] = 'L'; // last byte kept
    std::string seconds(1500, '7');
    std::string text = writeListText({{4, seconds, description}});
    EXPECT_EQ(text, record("4", seconds.substr(0, 1023), description.substr(0, 1023)));
    EXPECT_EQ(text.size(), 4u + 1023u + 1023u);
    ASSERT_EQ(readListRows(text).size(), 1u);
    EXPECT_EQ(readListRows(text)[0].description, description.substr(0, 1023));
}

TEST(FormatsListTextWrite, ColumnOfExactly1023BytesIsKept) {
    std::string description(1023, 'q');
    EXPECT_EQ(readListRows(writeListText({{0, "10", description}}))[0].description, description);
}

TEST(FormatsListTextWrite, NulByteEndsAColumnText) {
    EXPECT_EQ(writeListText({{0, std::string("12\0009", 4), std::string("ab\0cd", 5)}}),
              record("0", "12", "ab"));
}

TEST(FormatsListTextWrite, RecordEndByteInDescriptionIsWrittenAsBlank) {
    std::vector<ListRow> rows{
        {1, "20", "first"}, {2, "30", "x\x0Ey\x0E"}, {3, "40", "3\x0C"}, {4, "50", "last"}};
    std::string text = writeListText(rows);
    EXPECT_EQ(text, record("1", "20", "first") + record("2", "30", "x y ") + record("3", "40", "3\x0C") +
                        record("4", "50", "last"));

    std::vector<ListRow> back = readListRows(text);
    ASSERT_EQ(back.size(), rows.size());
    EXPECT_EQ(back[0], rows[0]);
    EXPECT_EQ(back[1], (ListRow{2, "30", "x y "}));
    EXPECT_EQ(back[2], rows[2]);
    EXPECT_EQ(back[3], rows[3]);
}

// The writer looks at several bytes at once; a NUL or 0x0E must be found wherever it stands in a
// column, also twice in one column and next to bytes that differ from it by one bit.
TEST(FormatsListTextWrite, NulAndRecordEndAreFoundAtEveryPosition) {
    const std::string plain = std::string("ab\x0F\x8E\x0D\x01") + "cdefghijk";
    for (size_t length = 1; length <= plain.size(); ++length) {
        const std::string base = plain.substr(0, length);
        for (size_t at = 0; at < length; ++at) {
            std::string cut = base;
            cut[at] = '\0';
            EXPECT_EQ(writeListText({{0, "10", cut}}), record("0", "10", base.substr(0, at)))
                << "NUL at " << at << " of " << length;
            EXPECT_EQ(writeListText({{0, cut, "d"}}), record("0", base.substr(0, at), "d"))
                << "NUL in the seconds at " << at << " of " << length;

            std::string marked = base, blanked = base;
            for (size_t i = at; i < length; i += 5) {
                marked[i] = '\x0E';
                blanked[i] = ' ';
            }
            EXPECT_EQ(writeListText({{0, "10", marked}}), record("0", "10", blanked))
                << "0x0E from " << at << " of " << length;
        }
    }
}

TEST(FormatsListTextWrite, RoundTripKeepsTheBytes) {
    std::vector<ListRow> rows{{0, "10", "Dostępny na chwilę"},     {1, "25", ""},
                              {2, "3600", "tabs\tand\nlines\r\n"}, {3, "11", "\x0C\x0D\x0C"},
                              {4, "10", std::string(300, '\xFF')}, {5, "99999", "{DownSpeed}"}};
    std::string text = writeListText(rows);
    std::vector<ListRow> back = readListRows(text);
    EXPECT_EQ(back, rows);
    EXPECT_EQ(writeListText(back), text);
}

TEST(FormatsListTextRead, DelimiterBytesInsideDescriptionSurvive) {
    std::vector<ListRow> rows{{2, "15", "a\fb\rc"}, {3, "16", "\x0D\x0D\x0C"}};
    EXPECT_EQ(readListRows(writeListText(rows)), rows);
}

struct SecondsCase {
    const char* stored;
    int32_t seconds;
};

class FormatsListTextSeconds : public testing::TestWithParam<SecondsCase> {};

TEST_P(FormatsListTextSeconds, StoredTimeIsCorrected) {
    const SecondsCase& c = GetParam();
    std::string text = record("1", c.stored, "d");
    EXPECT_EQ(parsed(text), (std::vector<StatusEntry>{{1, "d", c.seconds}}));
    EXPECT_EQ(readListRows(text), (std::vector<ListRow>{{1, std::to_string(c.seconds), "d"}}));
    EXPECT_EQ(buildCycleList(text), (std::vector<StatusEntry>{{67, "d", c.seconds}}));
}

INSTANTIATE_TEST_SUITE_P(Formats, FormatsListTextSeconds,
                         testing::Values(SecondsCase{"3", 10}, SecondsCase{"0", 10}, SecondsCase{"", 10},
                                         SecondsCase{"abc", 10}, SecondsCase{"-40", 10}, SecondsCase{"9", 10},
                                         SecondsCase{"10", 10}, SecondsCase{"11", 11},
                                         SecondsCase{" 25x", 25}, SecondsCase{"+600", 600},
                                         SecondsCase{"2147483647", 2147483647}, SecondsCase{"2147483648", 10},
                                         SecondsCase{"4294967306", 10}, SecondsCase{"4294967316", 20},
                                         SecondsCase{"12\f5", 12}));

TEST(FormatsListTextRead, CorrectedTimeIsWrittenBack) {
    EXPECT_EQ(writeListText(readListRows(record("0", "3", "x"))), record("0", "10", "x"));
}

struct StatusCase {
    const char* field;
    int32_t position; // with a record of position 3 before it
};

class FormatsListTextStatus : public testing::TestWithParam<StatusCase> {};

TEST_P(FormatsListTextStatus, StatusFieldOfSecondRecord) {
    const StatusCase& c = GetParam();
    std::vector<StatusEntry> entries = parsed(record("3", "10", "a") + record(c.field, "20", "b"));
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].status, 3);
    EXPECT_EQ(entries[1].status, c.position);
}

INSTANTIATE_TEST_SUITE_P(Formats, FormatsListTextStatus,
                         testing::Values(StatusCase{"0", 0}, StatusCase{"1", 1}, StatusCase{"2", 2},
                                         StatusCase{"4", 4}, StatusCase{"5", 5}, StatusCase{"7", 3},
                                         StatusCase{"6", 3}, StatusCase{"-1", 3}, StatusCase{"64", 3},
                                         StatusCase{"", 0}, StatusCase{"x", 0}, StatusCase{" 4", 4},
                                         StatusCase{"+2", 2}, StatusCase{"04", 4}, StatusCase{"4abc", 4},
                                         StatusCase{"\x0E", 0}));

TEST(FormatsListTextRead, BadStatusTakesTheStatusThePreviousRecordEndedWith) {
    // The third record looks back to the second, which itself inherited 2 from the first.
    std::vector<StatusEntry> entries =
        parsed(record("2", "10", "a") + record("9", "10", "b") + record("-3", "10", "c"));
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[1].status, 2);
    EXPECT_EQ(entries[2].status, 2);
}

TEST(FormatsListTextRead, BadStatusInFirstRecordGivesPositionZero) {
    EXPECT_EQ(parsed(record("8", "10", "a")), (std::vector<StatusEntry>{{0, "a", 10}}));
    EXPECT_EQ(buildCycleList(record("8", "10", "a")), (std::vector<StatusEntry>{{64, "a", 10}}));
}

TEST(FormatsListTextRead, CycleListHoldsHostStatusNumbers) {
    std::string text;
    for (char position = '0'; position <= '5'; ++position)
        text += record(std::string(1, position), "10", "");
    std::vector<StatusEntry> cycle = buildCycleList(text);
    ASSERT_EQ(cycle.size(), 6u);
    const int32_t expected[] = {64, 67, 65, 33, 34, 66};
    for (size_t i = 0; i < 6; ++i)
        EXPECT_EQ(cycle[i].status, expected[i]) << "position " << i;
    EXPECT_EQ(buildCycleList(record("1", "30", "x"))[0], (StatusEntry{67, "x", 30}));
    EXPECT_EQ(buildCycleList(record("5", "30", "x"))[0], (StatusEntry{66, "x", 30}));
}

TEST(FormatsListTextRead, EditorRowsKeepPositions) {
    EXPECT_EQ(readListRows(record("5", "30", "x") + record("1", "12", "y")),
              (std::vector<ListRow>{{5, "30", "x"}, {1, "12", "y"}}));
}

struct TruncatedCase {
    const char* name;
    std::string tail;
};

class FormatsListTextTruncated : public testing::TestWithParam<TruncatedCase> {};

TEST_P(FormatsListTextTruncated, IncompleteRecordEndsTheParse) {
    std::string good = record("1", "20", "ok") + record("4", "30", "fine");
    std::vector<StatusEntry> expected{{1, "ok", 20}, {4, "fine", 30}};
    EXPECT_EQ(parsed(good + GetParam().tail), expected);
    EXPECT_EQ(buildCycleList(good + GetParam().tail).size(), 2u);
    EXPECT_EQ(readListRows(good + GetParam().tail).size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Formats, FormatsListTextTruncated,
                         testing::Values(TruncatedCase{"NoSecondsEnd", "2\f30 and no end"},
                                         TruncatedCase{"NoRecordEnd", "2\f30\rtail"},
                                         TruncatedCase{"NoRecordEndButLaterRecordStart", "2\f30\rt\f1"},
                                         TruncatedCase{"NoStatusEnd", "garbage\x0D\x0E"},
                                         TruncatedCase{"StatusEndOnly", "3\x0C"},
                                         TruncatedCase{"LoneSeparators", "\x0E\x0D\x0C"}),
                         [](const testing::TestParamInfo<TruncatedCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(FormatsListTextRead, RawRecordEndInDescriptionSplitsTheRecord) {
    // Text that did not come from the writer: the bytes after the stray 0x0E become a status field.
    std::vector<StatusEntry> entries = parsed("1\f10\rab\0163cd\f20\rz\016");
    EXPECT_EQ(entries, (std::vector<StatusEntry>{{1, "ab", 10}, {3, "z", 20}}));
}

TEST(FormatsListTextRead, EntriesAreHandedOnInTextOrder) {
    std::vector<std::string> seen;
    parseListText(record("0", "10", "one") + record("1", "10", "two") + record("2", "10", "three"),
                  [&](const ListRecord& r) { seen.emplace_back(r.description); });
    EXPECT_EQ(seen, (std::vector<std::string>{"one", "two", "three"}));
}

TEST(FormatsListTextRead, ManyRecords) {
    std::vector<ListRow> rows;
    for (int i = 0; i < 5000; ++i)
        rows.push_back({i % 6, std::to_string(10 + i), std::string(size_t(i % 40), 'a' + i % 26)});
    EXPECT_EQ(readListRows(writeListText(rows)), rows);
}

} // namespace
} // namespace brio
