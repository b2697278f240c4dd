// The "Emule" and "Azureus" menu items and the path entries' file dialogs, driven through the entry
// point as the messenger drives them.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "feeds/speed_feed.h"
#include "plugin/mode_controller.h"
#include "plugin/plugin.h"
#include "plugin_session.h"

namespace brio {
namespace {

using test::fieldAt;
using test::GuardedRecord;
using test::le32;
using test::PluginSession;

struct FeedItem {
    const char* name;
    int32_t item;
    int32_t pathSetting;
    std::string content;
    std::string shown; // the format text "{DownSpeed}|{UpSpeed}" as applied
};

// The statuses that modifyAction gave `item` in the popup since `mark`, in order.
std::vector<int32_t> itemStatuses(const PluginSession& session, size_t mark, int32_t item) {
    std::vector<int32_t> out;
    for (const auto& s : session.sentSince(mark, 10108))
        if (fieldAt(s.p1Bytes, 2) == item && fieldAt(s.p1Bytes, 6) == 445102)
            out.push_back(fieldAt(s.p1Bytes, 34));
    return out;
}

class FeedSwitchTest : public ::testing::TestWithParam<FeedItem> {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/brio-feed-switch-XXXXXX";
        ASSERT_NE(mkstemp(pattern), -1);
        path = pattern;
        std::ofstream(path, std::ios::binary) << GetParam().content;
        session.addNetwork(10, "Jabber");
        session.nets.networks[10].description = "saved";
        session.host.texts[445004] = "{DownSpeed}|{UpSpeed}";
        session.host.ints[445005] = 30;
        session.start();
        headless::onMessage([this](const headless::ShownMessage& m) { boxes.push_back(m.text); });
    }
    void TearDown() override {
        session.stop();
        ::unlink(path.c_str());
    }

    PluginSession session;
    std::string path;
    std::vector<std::string> boxes;
};

TEST_P(FeedSwitchTest, TicksOnlyWhenTheFeedStartsAndClearsWhenItStops) {
    const FeedItem& c = GetParam();
    size_t mark = session.host.sent.size();
    session.notify(c.item, 1); // no path yet
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(itemStatuses(session, mark, c.item).empty());

    session.host.texts[c.pathSetting] = path + ".missing";
    session.notify(c.item, 1);
    EXPECT_EQ(boxes.size(), 3u); // the file's size, then the path
    EXPECT_TRUE(itemStatuses(session, mark, c.item).empty());
    EXPECT_EQ(plugin().controller->mode, mode::kNone);

    session.host.texts[c.pathSetting] = path;
    session.notify(c.item, 1);
    EXPECT_EQ(itemStatuses(session, mark, c.item), std::vector<int32_t>{4});
    EXPECT_EQ(session.nets.networks[10].description, c.shown);
    // The interval setting was read at start.
    const SpeedFeed* feed = c.item == 445103 ? static_cast<const SpeedFeed*>(plugin().controller->emuleFeed())
                                             : plugin().controller->azureusFeed();
    ASSERT_NE(feed, nullptr);
    EXPECT_EQ(headless::timerInterval(feed->timer()), 30000u);

    mark = session.host.sent.size();
    session.notify(c.item, 1);
    EXPECT_EQ(itemStatuses(session, mark, c.item), std::vector<int32_t>{0});
    EXPECT_EQ(session.nets.networks[10].description, "saved");
    EXPECT_EQ(headless::runningTimers(), 0u);
}

TEST_P(FeedSwitchTest, OtherCodesDoNothing) {
    session.host.texts[GetParam().pathSetting] = path;
    const size_t mark = session.host.sent.size();
    for (int32_t code : {0, 2, 201, 220, 221})
        session.notify(GetParam().item, code);
    EXPECT_TRUE(session.sentSince(mark).empty());
    EXPECT_EQ(plugin().controller->mode, mode::kNone);
}

TEST_P(FeedSwitchTest, DeinitialiseStopsTheRunningFeed) {
    session.host.texts[GetParam().pathSetting] = path;
    session.notify(GetParam().item, 1);
    ASSERT_EQ(headless::runningTimers(), 1u);
    session.send(22101);
    EXPECT_EQ(headless::runningTimers(), 0u);
    EXPECT_EQ(session.nets.networks[10].description, "saved");
}

INSTANTIATE_TEST_SUITE_P(
    Feeds, FeedSwitchTest,
    testing::Values(FeedItem{"Emule", 445103, 445003, "1|a|b|c\n12.3|4.5|7\n", "12.3|4.5"},
                    FeedItem{"Azureus", 445119, 445012,
                             "<DOWNLOAD_SPEED><TEXT>48.2\xC2\xA0kB/s</TEXT></DOWNLOAD_SPEED>"
                             "<UPLOAD_SPEED><TEXT>7.1\xC2\xA0kB/s</TEXT></UPLOAD_SPEED>",
                             "48.2|7.1"}),
    [](const auto& info) { return std::string(info.param.name); });

// --- the file dialogs' filters ---

struct FilterCase {
    int32_t pathEntry;
    std::string filter; // the whole list, with its final zero bytes
};

class DialogFilterTest : public ::testing::TestWithParam<FilterCase> {
protected:
    void SetUp() override { session.start(); }
    void TearDown() override { session.stop(); }
    PluginSession session;
};

// The filter at the dialog's lpstrFilter, read as the dialog reads it: up to the empty text.
std::string filterAt(int32_t address) {
    const char* p = fromAddress<const char>(address);
    std::string list;
    while (*p) {
        const size_t n = std::strlen(p) + 1;
        list.append(p, n);
        p += n;
    }
    return list + '\0';
}

TEST_P(DialogFilterTest, SetsOnlyTheFilterOfTheHostsDialog) {
    std::string dialog = le32(76) + std::string(72, '\x5A');
    GuardedRecord record(dialog);
    ASSERT_TRUE(record.ok());
    session.notify(GetParam().pathEntry, 201, 0, addressOf(record.data()));
    const std::string after = record.bytes();
    EXPECT_EQ(filterAt(fieldAt(after, 12)), GetParam().filter);
    EXPECT_EQ(after.substr(0, 12), dialog.substr(0, 12));
    EXPECT_EQ(after.substr(16), dialog.substr(16));
}

TEST_P(DialogFilterTest, LeavesAloneWhatIsNoDialogWithAFilter) {
    // Codes other than the dialog's setup, with a whole dialog structure.
    const std::string dialog = le32(76) + std::string(72, '\x5A');
    GuardedRecord whole(dialog);
    ASSERT_TRUE(whole.ok());
    for (int32_t code : {1, 220, 221})
        session.notify(GetParam().pathEntry, code, 0, addressOf(whole.data()));
    EXPECT_EQ(whole.bytes(), dialog);
    // The setup with no structure at all, and with a structure too small to hold a filter.
    const std::string small = le32(12) + std::string(12, '\x5A');
    GuardedRecord record(small);
    ASSERT_TRUE(record.ok());
    session.notify(GetParam().pathEntry, 201, 0, 0);
    session.notify(GetParam().pathEntry, 201, 0, addressOf(record.data()));
    EXPECT_EQ(record.bytes(), small);
}

INSTANTIATE_TEST_SUITE_P(
    Feeds, DialogFilterTest,
    testing::Values(FilterCase{445106, std::string("onlinesig.dat\0ONLINESIG.DAT\0\0", 29)},
                    FilterCase{445118, std::string("Plik statystyk Azureusa (*.xml)\0*.xml\0\0", 39)}));

} // namespace
} // namespace brio
