#include <gtest/gtest.h>

#include <set>

#include "boundary/action_ids.h"
#include "boundary/settings.h"
#include "cycling/list_cycler.h"
#include "description/description_setter.h"
#include "fake_networks.h"
#include "platform/headless/driver.h"
#include "platform/timers.h"
#include "plugin/mode_controller.h"

namespace brio {
namespace {

using test::FakeHost;
using test::FakeNetworks;
using test::SetCall;

// E1 (Dostępny, 10 s), E2 (Pogadam, 20 s), E3 (Zaraz wracam, 30 s).
const std::string kThree = std::string("0\x0c") + "10\x0d" + "E1\x0e" + "1\x0c" + "20\x0d" + "E2\x0e" +
                           "2\x0c" + "30\x0d" + "E3\x0e";

class ListCyclingTest : public ::testing::Test {
protected:
    void SetUp() override {
        headless::reset();
        nets.addNetwork(10);
        nets.networks[10].description = "saved";
        controller = std::make_unique<ModeController>(host.gateway());
    }
    void TearDown() override {
        if (controller) controller->shutdown();
        controller.reset();
        headless::reset();
    }

    // A new controller over the same networks, with nothing sent yet.
    void fresh() {
        if (controller) controller->shutdown();
        controller.reset();
        headless::reset();
        nets.networks[10] = {64, "saved", true, 1};
        nets.sets.clear();
        host.sent.clear();
        controller = std::make_unique<ModeController>(host.gateway());
    }

    void settings(int32_t order, int32_t onListEnd) {
        host.ints[setting::kOrder] = order;
        host.ints[setting::kOnListEnd] = onListEnd;
    }

    // The descriptions applied so far, in order.
    std::vector<std::string> shown() const {
        std::vector<std::string> out;
        for (const SetCall& c : nets.sets)
            out.push_back(c.text);
        return out;
    }

    // Lets the clock run through `n` entries' display times as they come.
    void advanceSeconds(uint64_t s) { headless::advance(s * 1000); }

    std::vector<int32_t> cyclingItemStatuses() const {
        std::vector<int32_t> out;
        for (const auto& s : host.sentWithId(msg::kModifyAction)) {
            ActionRecord a{};
            std::memcpy(&a, s.p1Bytes.data(), std::min(s.p1Bytes.size(), sizeof a));
            if (a.id == action::kCycling && a.parent == action::kPopup && a.mask == 1)
                out.push_back(int32_t{a.type});
        }
        return out;
    }

    FakeHost host;
    FakeNetworks nets{host};
    std::unique_ptr<ModeController> controller;
};

TEST_F(ListCyclingTest, InOrderStartsAgainEachEntryForItsOwnTime) {
    settings(0, 0);
    controller->setCycling(true, kThree, true);
    EXPECT_EQ(shown(), (std::vector<std::string>{"E1"}));
    EXPECT_EQ(nets.sets[0].status, 64);
    advanceSeconds(9);
    EXPECT_EQ(shown().size(), 1u);
    advanceSeconds(1);  // E1 stays 10 s
    advanceSeconds(20); // E2 stays 20 s
    EXPECT_EQ(shown(), (std::vector<std::string>{"E1", "E2", "E3"}));
    EXPECT_EQ(nets.sets[1].status, 67);
    EXPECT_EQ(nets.sets[2].status, 65);
    advanceSeconds(29);
    EXPECT_EQ(shown().size(), 3u);
    advanceSeconds(1 + 10);
    EXPECT_EQ(shown(), (std::vector<std::string>{"E1", "E2", "E3", "E1", "E2"}));
    EXPECT_EQ(controller->mode, mode::kCycling);
    EXPECT_EQ(headless::runningTimers(), 1u);
}

TEST_F(ListCyclingTest, FromTheEndWalksBackwards) {
    settings(1, 0);
    controller->setCycling(true, kThree, true);
    advanceSeconds(30 + 20 + 10 + 30);
    EXPECT_EQ(shown(), (std::vector<std::string>{"E3", "E2", "E1", "E3", "E2"}));
}

TEST_F(ListCyclingTest, EndOfListRules) {
    struct Case {
        int32_t order, onListEnd;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {0, 1, {"E1", "E2", "E3", "E3"}},    {1, 1, {"E3", "E2", "E1", "E1"}},
        {0, 2, {"E1", "E2", "E3", "saved"}}, {1, 2, {"E3", "E2", "E1", "saved"}},
        {0, 7, {"E1", "E2", "E3", "E1"}}, // other values act as 0
    };
    for (const Case& c : cases) {
        fresh();
        settings(c.order, c.onListEnd);
        controller->setCycling(true, kThree, true);
        advanceSeconds(60);
        EXPECT_EQ(shown(), c.expected) << c.order << "/" << c.onListEnd;
        if (c.onListEnd == 1 || c.onListEnd == 2) {
            EXPECT_EQ(controller->mode, mode::kNone);
            EXPECT_FALSE(controller->cycling());
            EXPECT_EQ(headless::runningTimers(), 0u);
            EXPECT_EQ(cyclingItemStatuses(), std::vector<int32_t>{0}); // the item is released
            advanceSeconds(100);
            EXPECT_EQ(shown(), c.expected);
        }
        if (c.onListEnd == 2) {
            EXPECT_EQ(nets.sets.back().status, -1);
        }
    }
}

TEST_F(ListCyclingTest, OneEntryKeptLastIsAppliedTwiceThenStops) {
    settings(0, 1);
    controller->setCycling(true,
                           "3\x0c"
                           "15\x0d"
                           "solo\x0e",
                           true);
    EXPECT_EQ(headless::timerInterval(1), 15000u);
    advanceSeconds(15);
    EXPECT_EQ(shown(), (std::vector<std::string>{"solo", "solo"}));
    EXPECT_EQ(nets.sets[1].status, 33);
    EXPECT_EQ(controller->mode, mode::kNone);
}

TEST_F(ListCyclingTest, AnEntryLongerThanATimerWaitsTheLongestWaitNotAWrappedOne) {
    settings(0, 0);
    // 5,000,000 s in milliseconds does not fit 32 bits: wrapped, it would be about 705 s.
    controller->setCycling(true,
                           "0\x0c"
                           "5000000\x0d"
                           "long\x0e"
                           "1\x0c"
                           "10\x0d"
                           "short\x0e",
                           true);
    EXPECT_EQ(headless::timerInterval(1), platform::kLongestTimerMs);
    advanceSeconds(3600);
    EXPECT_EQ(shown(), (std::vector<std::string>{"long"}));
    headless::advance(platform::kLongestTimerMs - 3600 * 1000);
    EXPECT_EQ(shown(), (std::vector<std::string>{"long", "short"}));
}

TEST_F(ListCyclingTest, RandomOrderOnOneEntryReachesNetwork15Once) {
    nets.addNetwork(15);
    fresh();
    settings(2, 2);
    controller->setCycling(true,
                           "4\x0c"
                           "10\x0d"
                           "r\x0e",
                           true);
    advanceSeconds(50);
    int to15 = 0, to10 = 0;
    for (const SetCall& c : nets.sets)
        (c.net == 15 ? to15 : to10)++;
    EXPECT_EQ(to15, 1);
    EXPECT_EQ(to10, 6); // the end-of-list rule is never consulted at random
    EXPECT_EQ(controller->mode, mode::kCycling);
}

TEST_F(ListCyclingTest, RandomDrawsFollowTheGeneratorSeededFromTheClock) {
    headless::setEpochSeconds(1234567);
    settings(2, 0);
    std::string text;
    const int n = 7;
    for (int i = 0; i < n; ++i)
        text += "0\x0c"
                "10\x0d" +
                std::to_string(i) + "\x0e";
    controller->setCycling(true, text, true);
    advanceSeconds(40);
    uint32_t state = 1234567;
    std::vector<std::string> expected;
    for (int i = 0; i < 5; ++i) {
        state = state * 214013u + 2531011u;
        expected.push_back(std::to_string(((state >> 16) & 0x7FFF) % n));
    }
    EXPECT_EQ(shown(), expected);
}

TEST_F(ListCyclingTest, OrderChangesTakeEffectAtTheNextEntry) {
    settings(0, 0);
    controller->setCycling(true, kThree, true); // E1, position on E2
    advanceSeconds(10);                         // E2, position on E3
    host.ints[setting::kOrder] = 1;             // back from where it stands
    advanceSeconds(20);
    advanceSeconds(20);
    EXPECT_EQ(shown(), (std::vector<std::string>{"E1", "E2", "E2", "E1"}));
}

TEST_F(ListCyclingTest, SwitchingToRandomMidCycleDrawsFromTheWholeList) {
    settings(0, 0);
    controller->setCycling(true, kThree, true); // E1, position on E2
    host.ints[setting::kOrder] = 2;
    advanceSeconds(10);
    advanceSeconds(600);
    const std::vector<std::string> all = shown();
    ASSERT_GE(all.size(), 21u); // at most 30 s an entry
    std::set<std::string> drawn(all.begin() + 1, all.end());
    EXPECT_EQ(drawn, (std::set<std::string>{"E1", "E2", "E3"}));
    EXPECT_TRUE(controller->cycling()); // no end of list in random order
}

TEST_F(ListCyclingTest, StopByTheUserRestoresAndCancelsTheTimer) {
    settings(0, 0);
    controller->setCycling(true, kThree, true);
    controller->setCycling(false, std::nullopt, true);
    EXPECT_EQ(shown(), (std::vector<std::string>{"E1", "saved"}));
    EXPECT_EQ(headless::runningTimers(), 0u);
    EXPECT_EQ(controller->mode, mode::kNone);
    advanceSeconds(60);
    EXPECT_EQ(shown().size(), 2u);
}

TEST_F(ListCyclingTest, EmptyListStartsNothing) {
    for (const char* text : {"", "garbage without records"}) {
        controller->setCycling(true, std::string(text), true);
        EXPECT_EQ(controller->mode, mode::kNone);
        EXPECT_FALSE(controller->cycling());
        EXPECT_EQ(headless::runningTimers(), 0u);
        EXPECT_TRUE(nets.sets.empty());
    }
    controller->setCycling(true, std::nullopt, true);
    EXPECT_EQ(host.log.back(), "txt = 0");
}

TEST_F(ListCyclingTest, StartingAgainStopsWithoutRestoring) {
    settings(0, 0);
    controller->setCycling(true, kThree, true);
    controller->setCycling(true,
                           "4\x0c"
                           "10\x0d"
                           "second\x0e",
                           true);
    EXPECT_EQ(shown(), (std::vector<std::string>{"E1", "second"}));
    EXPECT_EQ(cyclingItemStatuses(), std::vector<int32_t>{0});
    EXPECT_EQ(nets.sets[1].status, 34);
    // The second start kept what was saved before the first.
    controller->setCycling(false, std::nullopt, true);
    EXPECT_EQ(shown().back(), "saved");
}

TEST_F(ListCyclingTest, LogLinesOfAStart) {
    settings(0, 0);
    controller->setCycling(true, kThree, true);
    ASSERT_EQ(host.log.size(), 3u);
    EXPECT_EQ(host.log[0].rfind("txt = ", 0), 0u);
    EXPECT_NE(host.log[0], "txt = 0");
    EXPECT_EQ(host.log[1].rfind("list = ", 0), 0u);
    EXPECT_EQ(host.log[2], "Prepare to change status");
}

TEST_F(ListCyclingTest, ShutdownWhileCyclingRestoresAndNoTickFollows) {
    settings(0, 0);
    controller->setCycling(true, kThree, true);
    controller->shutdown();
    controller.reset();
    EXPECT_EQ(headless::runningTimers(), 0u);
    advanceSeconds(60);
    EXPECT_EQ(shown(), (std::vector<std::string>{"E1", "saved"}));
    EXPECT_EQ(host.texts[setting::kNetChange], "10|1|");
}

TEST_F(ListCyclingTest, AnAbandonedControllerStopsItsTimerAndGoesWithoutAWordToTheHost) {
    settings(0, 0);
    controller->setCycling(true, kThree, true);
    host.sent.clear();
    host.texts[setting::kNetChange] = "stored before";
    controller->abandon();
    controller.reset();
    EXPECT_EQ(headless::runningTimers(), 0u);
    advanceSeconds(60);
    EXPECT_TRUE(host.sent.empty());
    EXPECT_EQ(host.texts[setting::kNetChange], "stored before");
    EXPECT_EQ(shown(), (std::vector<std::string>{"E1"}));
}

// Nothing may be thrown into the desktop's message loop or out of a destructor: a step that fails ends
// the cycle, and the controller still goes quietly, keeping the stored choices as they were.
TEST_F(ListCyclingTest, AStepThatFailsEndsTheCycleInsteadOfThrowingIntoTheDesktop) {
    settings(0, 0);
    controller->setCycling(true, kThree, true);
    nets.setsFail = true;
    EXPECT_NO_THROW(advanceSeconds(10));
    EXPECT_EQ(controller->mode, mode::kNone);
    EXPECT_FALSE(controller->cycling());
    EXPECT_EQ(headless::runningTimers(), 0u);
    EXPECT_EQ(cyclingItemStatuses().back(), 0);

    // A first step that fails leaves no cycle marked as running without a timer.
    EXPECT_ANY_THROW(controller->setCycling(true, kThree, true));
    EXPECT_EQ(controller->mode, mode::kNone);
    EXPECT_FALSE(controller->cycling());
    EXPECT_EQ(headless::runningTimers(), 0u);

    nets.setsFail = false;
    host.texts[setting::kNetChange] = "10|0|";
    host.writesFail = true;
    EXPECT_NO_THROW(controller.reset());
    EXPECT_EQ(host.texts[setting::kNetChange], "10|0|");
    host.writesFail = false;
}

} // namespace
} // namespace brio
