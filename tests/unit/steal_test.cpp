// Description stealing: the contact's description copied at once and then only when it changes, the
// status by "Brio/cntIn", the host's copies, the timer's life, the menu item's label, and how stealing
// meets the other activities, the end of the plug-in and failures on the way.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "boundary/action_ids.h"
#include "boundary/settings.h"
#include "cycling/steal_timer.h"
#include "fake_networks.h"
#include "platform/headless/driver.h"
#include "plugin/mode_controller.h"
#include "plugin_session.h"

namespace brio {
namespace {

using test::FakeHost;
using test::FakeNetworks;
using test::PluginSession;
using test::SentRecord;
using test::SetCall;

constexpr int32_t kAla = 5;

// The contacts table with its integer column too: the status is read as an integer, with no copy.
class ContactsHost : public FakeHost {
public:
    std::map<int32_t, int32_t> statuses; // contact -> status
    int descriptionReads = 0;

    void getValue(int table, int row, int column, ValueRecord* value) override {
        if (table == 1 && value->kind == 0) {
            auto it = statuses.find(row);
            value->value = it == statuses.end() ? 0 : it->second;
            return;
        }
        if (table == 1 && column == contactColumn::kDescription) ++descriptionReads;
        FakeHost::getValue(table, row, column, value);
    }
};

// The changes of the contact menu item: its captions and statuses, in order.
struct ItemChange {
    bool caption;
    std::string text;
    int32_t status;
    bool operator==(const ItemChange&) const = default;
};

std::vector<ItemChange> stealItemChanges(const std::vector<SentRecord>& sent) {
    std::vector<ItemChange> out;
    for (const SentRecord& s : sent) {
        if (s.id() != msg::kModifyAction) continue;
        ActionRecord a{};
        std::memcpy(&a, s.p1Bytes.data(), std::min(s.p1Bytes.size(), sizeof a));
        if (a.id != action::kSteal || a.parent != action::kHostContactMenu) continue;
        if (a.mask == 0x40)
            out.push_back({true, s.p1Text, 0});
        else
            out.push_back({false, "", int32_t{a.type}});
    }
    return out;
}

class StealTest : public ::testing::Test {
protected:
    void SetUp() override {
        headless::reset();
        nets.addNetwork(10);
        nets.networks[10].description = "own";
        describe("Na wakacjach!");
        controller = std::make_unique<ModeController>(host.gateway());
    }
    void TearDown() override {
        if (controller) controller->shutdown();
        controller.reset();
        EXPECT_EQ(host.outstandingCopies, 0);
        EXPECT_EQ(host.badReleases, 0);
        headless::reset();
    }

    void describe(const std::string& text) { host.contacts[{kAla, contactColumn::kDescription}] = text; }
    void advanceSeconds(uint64_t s) { headless::advance(s * 1000); }

    std::vector<std::string> shown(int32_t net = 10) const {
        std::vector<std::string> out;
        for (const SetCall& c : nets.sets)
            if (c.net == net) out.push_back(c.text);
        return out;
    }

    ContactsHost host;
    FakeNetworks nets{host};
    std::unique_ptr<ModeController> controller;
};

TEST_F(StealTest, FirstDescriptionAtOnceThenOnlyWhenItChanges) {
    controller->setStealing(true, kAla);
    EXPECT_EQ(controller->mode, mode::kStealing);
    EXPECT_EQ(shown(), std::vector<std::string>{"Na wakacjach!"});
    ASSERT_EQ(headless::runningTimers(), 1u);
    EXPECT_EQ(headless::timerInterval(controller->stealer()->timerId()), kStealIntervalMs);

    advanceSeconds(30); // unchanged: read three times, applied never
    EXPECT_EQ(shown().size(), 1u);
    EXPECT_EQ(host.descriptionReads, 4);

    describe("W pracy");
    advanceSeconds(9);
    EXPECT_EQ(shown().size(), 1u); // the next check is due 10 s after the last one
    advanceSeconds(1);
    EXPECT_EQ(shown(), (std::vector<std::string>{"Na wakacjach!", "W pracy"}));
    advanceSeconds(20);
    EXPECT_EQ(shown().size(), 2u);
    EXPECT_EQ(host.outstandingCopies, 0);
}

TEST_F(StealTest, StatusFollowsCntIn) {
    struct Case {
        int32_t cntIn;
        int32_t contactStatus;
        int32_t applied;
        int32_t userStatusAfter;
    };
    const Case cases[] = {
        {0, 65, -1, 64},  // the description only: the user's status stays
        {1, 65, 65, 65},  // status copied
        {1, 0, 66, 66},   // a contact without a status shows as hidden
        {-3, 34, 34, 34}, // any non-zero value copies
        {0, 0, -1, 64},
    };
    for (const Case& c : cases) {
        controller->shutdown();
        controller = std::make_unique<ModeController>(host.gateway());
        nets.networks[10] = {64, "own", true, 1};
        nets.sets.clear();
        host.ints[setting::kCntIn] = c.cntIn;
        host.statuses[kAla] = c.contactStatus;
        controller->setStealing(true, kAla);
        ASSERT_EQ(nets.sets.size(), 1u) << c.cntIn << "/" << c.contactStatus;
        EXPECT_EQ(nets.sets[0].status, c.applied) << c.cntIn << "/" << c.contactStatus;
        EXPECT_EQ(nets.networks[10].status, c.userStatusAfter);
    }
}

TEST_F(StealTest, TheStatusIsReadAfreshWhenTheDescriptionChanges) {
    host.ints[setting::kCntIn] = 1;
    host.statuses[kAla] = 65;
    controller->setStealing(true, kAla);
    host.statuses[kAla] = 34;
    advanceSeconds(10); // only the status changed: nothing is applied
    EXPECT_EQ(nets.sets.size(), 1u);
    describe("Nie przeszkadzać");
    advanceSeconds(10);
    ASSERT_EQ(nets.sets.size(), 2u);
    EXPECT_EQ(nets.sets[1].status, 34);
}

TEST_F(StealTest, AnEmptyDescriptionIsRememberedAsLastSeen) {
    describe("");
    controller->setStealing(true, kAla);
    EXPECT_TRUE(nets.sets.empty());
    ASSERT_TRUE(controller->stealer()->lastSeen().has_value());
    EXPECT_EQ(*controller->stealer()->lastSeen(), "");

    const std::vector<std::string> steps = {"A", "", "A", "A", "B"};
    const std::vector<std::vector<std::string>> expected = {
        {"A"}, {"A"}, {"A", "A"}, {"A", "A"}, {"A", "A", "B"}};
    for (size_t i = 0; i < steps.size(); ++i) {
        describe(steps[i]);
        advanceSeconds(10);
        EXPECT_EQ(shown(), expected[i]) << "step " << i;
    }
}

TEST_F(StealTest, ALongDescriptionIsCutOnNetwork15Only) {
    nets.addNetwork(15);
    nets.networks[15].description = "gg";
    controller = std::make_unique<ModeController>(host.gateway());
    std::string longText;
    for (int i = 0; longText.size() < 300; ++i)
        longText += char('a' + i % 26);
    describe(longText);
    controller->setStealing(true, kAla);
    ASSERT_EQ(shown(15).size(), 1u);
    EXPECT_EQ(shown(15)[0], longText.substr(0, 252) + "...");
    EXPECT_EQ(shown(10), std::vector<std::string>{longText});
}

TEST_F(StealTest, StopByTheUserRestoresAndEndsTheTimer) {
    controller->setStealing(true, kAla);
    controller->setStealing(false);
    EXPECT_EQ(controller->mode, mode::kNone);
    EXPECT_FALSE(controller->stealing());
    EXPECT_EQ(headless::runningTimers(), 0u);
    EXPECT_EQ(shown(), (std::vector<std::string>{"Na wakacjach!", "own"}));
    EXPECT_EQ(nets.sets.back().status, -1);
    describe("później");
    advanceSeconds(60);
    EXPECT_EQ(shown().size(), 2u);
}

TEST_F(StealTest, ANewStartAppliesEvenWhatWasStolenBefore) {
    controller->setStealing(true, kAla);
    controller->setStealing(false);
    controller->setStealing(true, kAla);
    EXPECT_EQ(shown(), (std::vector<std::string>{"Na wakacjach!", "own", "Na wakacjach!"}));
}

TEST_F(StealTest, CyclingStartedWhileStealingStopsItWithoutRestoring) {
    controller->setStealing(true, kAla);
    const size_t mark = host.sent.size();
    controller->setCycling(true, std::string("0\x0c") + "10\x0d" + "E1\x0e", true);
    EXPECT_FALSE(controller->stealing());
    EXPECT_EQ(controller->mode, mode::kCycling);
    EXPECT_EQ(headless::runningTimers(), 1u); // the cycle's only
    EXPECT_EQ(shown(), (std::vector<std::string>{"Na wakacjach!", "E1"}));
    EXPECT_EQ(stealItemChanges({host.sent.begin() + mark, host.sent.end()}),
              (std::vector<ItemChange>{{true, "Kradnij opis!", 0}, {false, "", 0}}));
    describe("zmiana");
    advanceSeconds(5);
    EXPECT_EQ(shown().size(), 2u);
    // The cycle kept what was saved before stealing, and the user's own description comes back.
    controller->setCycling(false, std::nullopt, true);
    EXPECT_EQ(shown().back(), "own");
}

TEST_F(StealTest, StealingStartedWhileCyclingStopsTheCycle) {
    controller->setCycling(true, std::string("0\x0c") + "10\x0d" + "E1\x0e", true);
    host.sent.clear();
    controller->setStealing(true, kAla);
    EXPECT_FALSE(controller->cycling());
    EXPECT_EQ(controller->mode, mode::kStealing);
    // The "Lista" item is released.
    bool released = false;
    for (const auto& m : host.sentWithId(msg::kModifyAction)) {
        ActionRecord a{};
        std::memcpy(&a, m.p1Bytes.data(), std::min(m.p1Bytes.size(), sizeof a));
        released |= a.id == action::kCycling && a.parent == action::kPopup && a.mask == 1 && a.type == 0;
    }
    EXPECT_TRUE(released);
    EXPECT_EQ(headless::runningTimers(), 1u);
    advanceSeconds(10);
    EXPECT_EQ(shown(), (std::vector<std::string>{"E1", "Na wakacjach!"}));
    controller->setStealing(false);
    EXPECT_EQ(shown().back(), "own");
}

TEST_F(StealTest, ShutdownAndAbandonLeaveNoTimer) {
    controller->setStealing(true, kAla);
    controller->shutdown();
    EXPECT_EQ(headless::runningTimers(), 0u);
    EXPECT_EQ(shown().back(), "own");
    controller.reset();
    describe("po końcu");
    advanceSeconds(30);
    EXPECT_EQ(shown().size(), 2u);

    controller = std::make_unique<ModeController>(host.gateway());
    controller->setStealing(true, kAla);
    host.sent.clear();
    controller->abandon();
    controller.reset();
    EXPECT_EQ(headless::runningTimers(), 0u);
    describe("jeszcze później");
    advanceSeconds(30);
    EXPECT_TRUE(host.sent.empty());
}

TEST_F(StealTest, ACheckThatFailsIsRetriedInsteadOfThrowingIntoTheDesktop) {
    nets.setsFail = true;
    EXPECT_NO_THROW(controller->setStealing(true, kAla));
    EXPECT_EQ(controller->mode, mode::kStealing);
    EXPECT_NO_THROW(advanceSeconds(10));
    EXPECT_TRUE(nets.sets.empty());
    nets.setsFail = false;
    advanceSeconds(10); // the same description, never applied, is applied now
    EXPECT_EQ(shown(), std::vector<std::string>{"Na wakacjach!"});
    EXPECT_EQ(headless::runningTimers(), 1u);
}

TEST_F(StealTest, ATickOfAnotherTimerDoesNothing) {
    controller->setStealing(true, kAla);
    describe("W pracy");
    const platform::TimerId own = controller->stealer()->timerId();
    StealTimer::stealTick(own + 1); // a stopped timer's id, or the cycle timer's
    EXPECT_EQ(shown().size(), 1u);
    StealTimer::stealTick(own);
    EXPECT_EQ(shown(), (std::vector<std::string>{"Na wakacjach!", "W pracy"}));
}

TEST_F(StealTest, AMissingContactAppliesNothing) {
    controller->setStealing(true, 99);
    advanceSeconds(20);
    EXPECT_TRUE(nets.sets.empty());
    EXPECT_EQ(controller->mode, mode::kStealing);
}

TEST(StealLabel, FitsWithItsZeroAndKeepsTheClosingQuote) {
    const std::string start = "Kradnę opis od '";
    ASSERT_EQ(start.size(), 16u);
    // The label fills a 512-byte buffer with its zero: 511 bytes, of which the name may take 494.
    const size_t room = 494;
    for (size_t length : {size_t{0}, size_t{3}, room - 1, room, room + 1, size_t{5000}}) {
        const std::string name(length, 'x');
        const std::string label = stealLabel(name);
        EXPECT_LE(label.size(), 511u) << length;
        EXPECT_EQ(label, start + name.substr(0, room) + "'") << length;
    }
    EXPECT_EQ(stealLabel("Ala"), "Kradn\xea opis od 'Ala'");
}

// The contact menu item, driven through the entry point.
class StealActionTest : public ::testing::Test {
protected:
    void SetUp() override {
        session.addNetwork(10, "Jabber", true);
        session.nets.networks[10].description = "own";
        session.host.contacts[{5, contactColumn::kName}] = "Ala";
        session.host.contacts[{5, contactColumn::kDescription}] = "Na wakacjach!";
        session.host.contacts[{6, contactColumn::kName}] = "Olek";
        session.host.contacts[{6, contactColumn::kDescription}] = "Nie przeszkadzać";
        session.start();
    }
    void TearDown() override {
        session.stop();
        EXPECT_EQ(headless::runningTimers(), 0u);
        EXPECT_EQ(session.host.outstandingCopies, 0);
        EXPECT_EQ(session.host.badReleases, 0);
    }
    std::vector<ItemChange> use(int32_t contact) {
        const size_t mark = session.host.sent.size();
        session.notify(action::kSteal, msg::kActivated, contact);
        return stealItemChanges(session.sentSince(mark));
    }
    std::vector<std::string> shown() const {
        std::vector<std::string> out;
        for (const SetCall& c : session.nets.sets)
            out.push_back(c.text);
        return out;
    }
    PluginSession session;
};

TEST_F(StealActionTest, TheItemShowsWhomItFollowsAndASecondUseStops) {
    EXPECT_EQ(use(5), (std::vector<ItemChange>{{true, "Kradnę opis od 'Ala'", 0}, {false, "", 4}}));
    EXPECT_EQ(shown(), std::vector<std::string>{"Na wakacjach!"});
    // On another contact: stealing stops and the user's own description comes back.
    EXPECT_EQ(use(6), (std::vector<ItemChange>{{true, "Kradnij opis!", 0}, {false, "", 0}}));
    EXPECT_EQ(shown(), (std::vector<std::string>{"Na wakacjach!", "own"}));
    EXPECT_EQ(headless::runningTimers(), 0u);
    headless::advance(30000);
    EXPECT_EQ(shown().size(), 2u);
}

TEST_F(StealActionTest, OtherCodesAndALongNameDoNotBreakTheLabel) {
    session.notify(action::kSteal, msg::kControlCreated, 5);
    EXPECT_TRUE(session.nets.sets.empty());
    session.host.contacts[{5, contactColumn::kName}] = std::string(2000, 'n');
    const std::vector<ItemChange> changes = use(5);
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[0].text.size(), 511u); // a 512-byte buffer with its zero
    EXPECT_EQ(changes[0].text.back(), '\'');
}

TEST_F(StealActionTest, CyclingPutsTheCaptionBack) {
    session.host.texts[setting::kList] = std::string("0\x0c") + "10\x0d" + "E1\x0e";
    use(5);
    const size_t mark = session.host.sent.size();
    session.notify(action::kCycling, msg::kActivated);
    EXPECT_EQ(stealItemChanges(session.sentSince(mark)),
              (std::vector<ItemChange>{{true, "Kradnij opis!", 0}, {false, "", 0}}));
    EXPECT_EQ(shown(), (std::vector<std::string>{"Na wakacjach!", "E1"}));
    // The item starts stealing afresh rather than stopping what no longer runs.
    EXPECT_EQ(use(6).size(), 2u);
    EXPECT_EQ(shown().back(), "Nie przeszkadzać");
}

} // namespace
} // namespace brio
