// A message box runs a nested message loop, in which the user may use Brio's menu items again. A feed's
// start whose file cannot be read waits in such a box ("GetFileSize() failed"); whatever the user
// switched meanwhile must stand: every item ticked exactly while its activity runs, one timer at most,
// and switching off restores what was shown before.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "plugin/mode_controller.h"
#include "plugin/plugin.h"
#include "plugin_session.h"
#include "temp_folder.h"

namespace brio {
namespace {

using test::fieldAt;
using test::PluginSession;
using test::TempFolder;

constexpr int32_t kSteal = 445101;
constexpr int32_t kEmule = 445103;
constexpr int32_t kAzureus = 445119;
constexpr int32_t kCycling = 445115;
constexpr int32_t kContact = 5;

// What the user does inside the first file box of the outer start.
enum class Inside { SameFeedFixed, SameFeedStillBad, OtherFeed, Cycling, CyclingOnAndOff, Stealing };

struct NestedCase {
    const char* name;
    int32_t outer; // the feed item used first, with a file that cannot be read
    Inside inside;
    int32_t runs; // the item whose activity runs afterwards (0: none)
};

class NestedSwitchTest : public ::testing::TestWithParam<NestedCase> {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.made());
        session.addNetwork(10, "Jabber");
        session.nets.networks[10].description = "saved";
        session.host.texts[445004] = "{DownSpeed}|{UpSpeed}";
        session.host.ints[445005] = 30;
        session.host.texts[445006] = "0\x0C"
                                     "10\x0D"
                                     "cykl\x0E";
        session.host.contacts[{kContact, 8}] = "Ala";
        session.host.contacts[{kContact, 18}] = "cudzy";
        goodPath[kEmule] = folder.write("onlinesig.dat", "1|a|b|c\n12.3|4.5|7\n");
        goodPath[kAzureus] = folder.write("stats.xml", "<DOWNLOAD_SPEED><TEXT>1abcdef</TEXT></DOWNLOAD_SPEED>"
                                                       "<UPLOAD_SPEED><TEXT>2abcdef</TEXT></UPLOAD_SPEED>");
        session.start();
        headless::onMessage([this](const headless::ShownMessage& m) {
            boxes.push_back(m.text);
            if (duringBox) std::exchange(duringBox, nullptr)();
        });
    }
    void TearDown() override { session.stop(); }

    static int32_t pathSetting(int32_t item) { return item == kEmule ? 445003 : 445012; }
    void use(int32_t item) { session.notify(item, 1, item == kSteal ? kContact : 0); }

    // The status modifyAction last gave the item (0 when never set).
    int32_t itemStatus(int32_t item) const {
        int32_t status = 0;
        for (const auto& s : session.sentSince(0, 10108))
            if (fieldAt(s.p1Bytes, 2) == item) status = fieldAt(s.p1Bytes, 34);
        return status;
    }

    // Every item shows 4 exactly while its activity runs, the mode names that activity, and only its
    // timer is alive.
    void expectConsistent(int32_t runs) {
        const ModeController& c = *plugin().controller;
        const struct {
            int32_t item;
            bool running;
            int32_t mode;
        } activities[] = {{kSteal, c.stealing(), mode::kStealing},
                          {kEmule, c.emuleFeed() != nullptr, mode::kEmule},
                          {kCycling, c.cycling(), mode::kCycling},
                          {kAzureus, c.azureusFeed() != nullptr, mode::kAzureus}};
        int32_t expectedMode = mode::kNone;
        for (const auto& a : activities) {
            EXPECT_EQ(a.running, a.item == runs) << a.item;
            EXPECT_EQ(itemStatus(a.item), a.running ? 4 : 0) << a.item;
            if (a.running) expectedMode = a.mode;
        }
        EXPECT_EQ(c.mode, expectedMode);
        EXPECT_EQ(headless::runningTimers(), runs ? 1u : 0u);
    }

    PluginSession session;
    TempFolder folder;
    std::map<int32_t, std::string> goodPath;
    std::vector<std::string> boxes;
    std::function<void()> duringBox;
};

TEST_P(NestedSwitchTest, WhatWasSwitchedInsideTheBoxStands) {
    const NestedCase& c = GetParam();
    const int32_t other = c.outer == kEmule ? kAzureus : kEmule;
    session.host.texts[pathSetting(c.outer)] = folder.name("missing");
    duringBox = [&] {
        switch (c.inside) {
        case Inside::SameFeedFixed:
            session.host.texts[pathSetting(c.outer)] = goodPath[c.outer];
            use(c.outer);
            break;
        case Inside::SameFeedStillBad:
            use(c.outer);
            break;
        case Inside::OtherFeed:
            session.host.texts[pathSetting(other)] = goodPath[other];
            use(other);
            break;
        case Inside::Cycling:
            use(kCycling);
            break;
        case Inside::CyclingOnAndOff:
            use(kCycling);
            use(kCycling);
            break;
        case Inside::Stealing:
            use(kSteal);
            break;
        }
    };
    use(c.outer);
    ASSERT_EQ(duringBox, nullptr) << "no box was shown";
    // The outer start still tells why it failed, last.
    EXPECT_EQ(boxes.back().substr(0, 6), "B\xB3\xEA"
                                         "dna");
    expectConsistent(c.runs);

    // The running activity is stopped by its own item, and what was shown before anything is back.
    if (c.runs) use(c.runs);
    expectConsistent(0);
    EXPECT_EQ(session.nets.networks[10].description, "saved");
}

INSTANTIATE_TEST_SUITE_P(
    Nested, NestedSwitchTest,
    testing::Values(NestedCase{"EmuleAgainFixed", kEmule, Inside::SameFeedFixed, kEmule},
                    NestedCase{"AzureusAgainFixed", kAzureus, Inside::SameFeedFixed, kAzureus},
                    NestedCase{"EmuleAgainStillBad", kEmule, Inside::SameFeedStillBad, 0},
                    NestedCase{"AzureusInsideEmule", kEmule, Inside::OtherFeed, kAzureus},
                    NestedCase{"EmuleInsideAzureus", kAzureus, Inside::OtherFeed, kEmule},
                    NestedCase{"CyclingInsideEmule", kEmule, Inside::Cycling, kCycling},
                    NestedCase{"CyclingOnAndOffInsideAzureus", kAzureus, Inside::CyclingOnAndOff, 0},
                    NestedCase{"StealingInsideAzureus", kAzureus, Inside::Stealing, kSteal}),
    [](const auto& info) { return std::string(info.param.name); });

// The host ends the interface while the box is up: the waiting start must not touch the controller that
// went, and what was started inside the box is stopped with the descriptions restored.
TEST_F(NestedSwitchTest, DeinitialiseInsideTheBox) {
    session.host.texts[pathSetting(kEmule)] = folder.name("missing");
    duringBox = [&] {
        use(kCycling);
        session.send(22101);
    };
    use(kEmule);
    EXPECT_EQ(plugin().controller, nullptr);
    EXPECT_EQ(headless::runningTimers(), 0u);
    EXPECT_EQ(session.nets.networks[10].description, "saved");
    EXPECT_EQ(boxes.size(), 1u); // no complaint about a start the host no longer wants
}

} // namespace
} // namespace brio
