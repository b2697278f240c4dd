#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <string>

#include "boundary/settings.h"
#include "description/speed_setter.h"
#include "fake_networks.h"

namespace brio {
namespace {

using test::FakeHost;
using test::FakeNetworks;
using test::SetCall;
using Call = std::pair<int32_t, int32_t>; // (message id, network)

class DescriptionSetterTest : public ::testing::Test {
protected:
    void SetUp() override { speedTexts() = SpeedTexts{}; }
    void TearDown() override { speedTexts() = SpeedTexts{}; }

    // Networks 15 and 10, both switched on unless a choice text is stored.
    std::unique_ptr<SpeedDescriptionSetter> makeSetter(const std::string& stored = "") {
        if (!stored.empty()) host.texts[setting::kNetChange] = stored;
        return std::make_unique<SpeedDescriptionSetter>(host.gateway(), setting::kNetChange);
    }

    std::vector<int32_t> sentIds() const {
        std::vector<int32_t> ids;
        for (const auto& s : host.sent)
            ids.push_back(s.id());
        return ids;
    }

    // What the host was asked since the last call, as (message, network), and forgets it.
    std::vector<Call> takeCalls() {
        std::vector<Call> calls;
        for (const auto& s : host.sent)
            calls.emplace_back(s.id(), int32_t{s.message.net});
        host.sent.clear();
        return calls;
    }

    // Every description change sent so far went out with type 2 and kept the status.
    void expectRestoreRecords() const {
        for (const auto& s : host.sentWithId(msg::kSetNetStatus)) {
            EXPECT_EQ(int32_t{s.message.type}, 2);
            EXPECT_EQ(int32_t{s.message.p1}, -1);
        }
    }

    FakeHost host;
    FakeNetworks nets{host};
};

Call askStatus(int32_t net) {
    return {msg::kNetStatus, net};
}
Call askCapability(int32_t net) {
    return {msg::kNetCapability, net};
}
Call askDescription(int32_t net) {
    return {msg::kNetDescription, net};
}
Call setStatus(int32_t net) {
    return {msg::kSetNetStatus, net};
}

TEST_F(DescriptionSetterTest, EmptyDescriptionSendsNothingAndKeepsTheLastPair) {
    nets.addNetwork(15);
    auto setter = makeSetter();
    setter->apply("abc", 64);
    host.sent.clear();
    setter->apply("", 67);
    EXPECT_TRUE(host.sent.empty());
    setter->apply("abc", 64); // still the last pair: suppressed
    EXPECT_EQ(nets.sets.size(), 1u);
}

TEST_F(DescriptionSetterTest, LongDescriptionIsCutOnNetwork15Only) {
    nets.addNetwork(15);
    nets.addNetwork(10);
    auto setter = makeSetter();
    const std::string text(300, 'x');
    setter->apply(text, 64);
    ASSERT_EQ(nets.sets.size(), 2u);
    EXPECT_EQ(nets.sets[0], (SetCall{15, 64, std::string(252, 'x') + "..."}));
    EXPECT_EQ(nets.sets[1], (SetCall{10, 64, text}));
}

// The setter formats into buffers it keeps from one apply to the next: each text sent is the one of
// its own apply, whatever longer or shorter one came before.
TEST_F(DescriptionSetterTest, EachApplySendsItsOwnTextWhateverCameBefore) {
    nets.addNetwork(15);
    nets.addNetwork(10);
    auto setter = makeSetter();
    speedTexts().emuleDown = "12.5";
    const std::string longText(300, 'x');
    const struct {
        std::string text;
        std::string on15; // empty: nothing sent to network 15 (an identical repeat)
        std::string on10;
    } steps[] = {
        {longText, std::string(252, 'x') + "...", longText},
        {"krótki", "krótki", "krótki"},
        {"D: {DownSpeed}", "D: 12.5", "D: 12.5"},
        {"D: {DownSpeed}", "", "D: 12.5"},
        {std::string(254, 'y') + "{DownSpeed}", std::string(252, 'y') + "...",
         std::string(254, 'y') + "12.5"},
        {"a", "a", "a"},
    };
    for (const auto& step : steps) {
        nets.sets.clear();
        setter->apply(step.text, 64);
        std::vector<SetCall> expected;
        if (!step.on15.empty()) expected.push_back(SetCall{15, 64, step.on15});
        expected.push_back(SetCall{10, 64, step.on10});
        EXPECT_EQ(nets.sets, expected) << step.text.substr(0, 20);
    }
}

// A host call that lets another apply run inside one (a message loop of the host's) leaves each apply
// its own text, also the one the host is still holding when the inner apply returns.
TEST_F(DescriptionSetterTest, AnApplyInsideAHostCallKeepsTheOuterText) {
    nets.addNetwork(15);
    nets.addNetwork(10);
    auto setter = makeSetter();
    const auto answer = host.responder;
    std::vector<std::string> heldAfterInner;
    bool inner = false;
    host.responder = [&](const MessageRecord& m, int target) {
        const int32_t result = answer(m, target);
        if (m.id == msg::kSetNetStatus && !inner) {
            inner = true;
            const int32_t text = m.p2;
            setter->apply(std::string(40, 'w'), 67);
            heldAfterInner.push_back(fromAddress<const char>(text));
        }
        return result;
    };
    const std::string outer(30, 'z');
    setter->apply(outer, 64);
    EXPECT_EQ(heldAfterInner, std::vector<std::string>{outer});
    EXPECT_EQ(nets.sets, (std::vector<SetCall>{{15, 64, outer},
                                               {15, 67, std::string(40, 'w')},
                                               {10, 67, std::string(40, 'w')},
                                               {10, 64, outer}}));
}

TEST_F(DescriptionSetterTest, FitToNetworkBoundaries) {
    EXPECT_EQ(DescriptionSetter::fitToNetwork(std::string(255, 'a'), 15, 0), std::string(255, 'a'));
    EXPECT_EQ(DescriptionSetter::fitToNetwork(std::string(256, 'a'), 15, 0), std::string(252, 'a') + "...");
    EXPECT_EQ(DescriptionSetter::fitToNetwork("", 15, 0), "");
}

TEST_F(DescriptionSetterTest, IdenticalRepeatsAreSuppressedOnNetwork15Only) {
    nets.addNetwork(15);
    nets.addNetwork(10);
    auto setter = makeSetter();
    setter->apply("same", 64);
    setter->apply("same", 64);
    setter->apply("same", 65); // another status is another pair
    std::vector<SetCall> expected{
        {15, 64, "same"}, {10, 64, "same"}, {10, 64, "same"}, {15, 65, "same"}, {10, 65, "same"}};
    EXPECT_EQ(nets.sets, expected);
}

TEST_F(DescriptionSetterTest, ApplyAsksTheHostInOrder) {
    nets.addNetwork(15);
    nets.addNetwork(10);
    auto setter = makeSetter();
    host.sent.clear();
    setter->apply("d", -1);
    const std::vector<int32_t> expected{msg::kNetStatus,     msg::kNetStatus, msg::kSetNetStatus,  // 15
                                        msg::kNetCapability, msg::kNetStatus, msg::kSetNetStatus}; // 10
    EXPECT_EQ(sentIds(), expected);
    EXPECT_EQ(int32_t{host.sent[2].message.type}, 2); // copies: the record is packed
    EXPECT_EQ(int32_t{host.sent[2].message.p1}, -1);
}

TEST_F(DescriptionSetterTest, HiddenNetworksAreLeftAloneButNetwork15RecordsThePair) {
    nets.addNetwork(15);
    nets.addNetwork(10);
    nets.networks[15] = {66, "old15", true, 1};
    nets.networks[10] = {66, "old10", true, 1};
    auto setter = makeSetter();
    setter->saveCurrent();
    EXPECT_EQ(setter->savedDescription(15), "");
    EXPECT_EQ(setter->savedDescription(10), "");
    setter->apply("new", 64);
    // Saved pairs of hidden networks are not put back either.
    setter->remember("x", 15);
    setter->remember("x", 10);
    setter->restoreAll();
    EXPECT_TRUE(nets.sets.empty());
    nets.networks[15].status = 64;
    setter->apply("new", 64); // recorded as applied while hidden
    EXPECT_TRUE(nets.sets.empty());
}

// A hidden status the setter sent itself does not lock it out: the next description and the restore
// reach the network. Once the network was seen shown again, a hidden status is the user's.
TEST_F(DescriptionSetterTest, TheHiddenStatusItSentItselfIsNotTheUsers) {
    nets.addNetwork(15);
    nets.addNetwork(10);
    nets.networks[15].description = "own15";
    nets.networks[10].description = "own10";
    auto setter = makeSetter();
    setter->saveCurrent();
    setter->apply("hiding", 66);
    setter->apply("next", 64);
    setter->apply("hiding again", 66);
    setter->saveCurrent(); // a switch: nothing new to save
    setter->restoreAll();
    EXPECT_EQ(nets.sets, (std::vector<SetCall>{{15, 66, "hiding"},
                                               {10, 66, "hiding"},
                                               {15, 64, "next"},
                                               {10, 64, "next"},
                                               {15, 66, "hiding again"},
                                               {10, 66, "hiding again"},
                                               {15, 64, "own15"},
                                               {10, 64, "own10"}}));
    // A hidden status the setter sent goes with the chain: the status at its start comes back.
    EXPECT_EQ(nets.networks[10].status, 64);

    nets.sets.clear();
    nets.networks[10].status = 64; // the user shows again on 10
    setter->apply("seen shown", -1);
    nets.networks[10].status = 66; // and hides
    setter->saveCurrent();
    setter->apply("not for a hidden user", 64);
    setter->restoreAll();
    EXPECT_EQ(nets.sets, (std::vector<SetCall>{{15, -1, "seen shown"},
                                               {10, -1, "seen shown"},
                                               {15, 64, "not for a hidden user"},
                                               {15, -1, "seen shown"}}));
}

TEST_F(DescriptionSetterTest, DisabledNetworkIsSavedButNeverChanged) {
    nets.addNetwork(15);
    nets.addNetwork(10);
    nets.networks[10].description = "mine";
    auto setter = makeSetter("15|1|10|0|");
    setter->saveCurrent();
    EXPECT_EQ(setter->savedDescription(10), "mine");
    setter->apply("x", 64);
    setter->restoreAll();
    for (const SetCall& c : nets.sets)
        EXPECT_NE(c.net, 10);
    EXPECT_EQ(nets.sets.size(), 2u); // network 15: apply and restore
}

// A save while saved descriptions are out (one activity replacing another) adds only networks not saved
// yet; once they were given back, the next save records afresh, one record per network.
TEST_F(DescriptionSetterTest, SaveCurrentKeepsOneRecordPerNetwork) {
    nets.addNetwork(15);
    nets.addNetwork(10);
    nets.networks[15].description = "a";
    nets.networks[10] = {66, "hidden", true, 1};
    auto setter = makeSetter();
    setter->saveCurrent();
    nets.networks[15].description = "set by an activity";
    nets.networks[10] = {64, "b", true, 1}; // shown again meanwhile
    setter->saveCurrent();
    setter->restoreAll();
    EXPECT_EQ(nets.sets, (std::vector<SetCall>{{15, -1, "a"}, {10, -1, "b"}}));

    // A new chain saves afresh: a network that has no description now is not saved, and what an earlier
    // chain saved for it does not come back.
    nets.sets.clear();
    nets.networks[10].description = "c";
    nets.networks[15].hasDescription = false;
    setter->saveCurrent();
    setter->saveCurrent();
    setter->restoreAll();
    EXPECT_EQ(nets.sets, (std::vector<SetCall>{{10, -1, "c"}}));
}

TEST_F(DescriptionSetterTest, RestoreAllSendsTheSavedTextUnsubstitutedAndRepeats) {
    nets.addNetwork(10);
    nets.networks[10].description = "up {UpSpeed} {DownSpeed}";
    speedTexts().emuleUp = "9";
    auto setter = makeSetter();
    setter->saveCurrent();
    setter->restoreAll();
    setter->restoreAll(); // the table is not emptied
    std::vector<SetCall> expected{{10, -1, "up {UpSpeed} {DownSpeed}"}, {10, -1, "up {UpSpeed} {DownSpeed}"}};
    EXPECT_EQ(nets.sets, expected);
}

TEST_F(DescriptionSetterTest, ExcludedAndHiddenNetworksAreNeverRestored) {
    nets.addNetwork(10);
    nets.addNetwork(11);
    auto setter = makeSetter();
    // Networks 20 and 83 never qualify; put them in the list as if they had, online and capable.
    nets.networks[20] = {64, "", true, 1};
    nets.networks[83] = {64, "", true, 1};
    setter->networkChoices().push_back({true, 20});
    setter->networkChoices().push_back({true, 83});
    nets.networks[11].status = 66; // hidden
    for (int32_t n : {10, 11, 20, 83})
        setter->remember("was " + std::to_string(n), n);
    for (int32_t n : {10, 11, 20, 83})
        setter->restore(n);
    EXPECT_EQ(nets.sets, (std::vector<SetCall>{{10, -1, "was 10"}}));
    setter->restoreAll();
    EXPECT_EQ(nets.sets, (std::vector<SetCall>{{10, -1, "was 10"}, {10, -1, "was 10"}}));
}

TEST_F(DescriptionSetterTest, Network15WithStatusZeroTakesTheGeneralPath) {
    nets.addNetwork(15);
    nets.networks[15] = {0, "", true, 1};
    auto setter = makeSetter();
    const std::string text(300, 'y');
    setter->apply(text, -1); // keeps the status at 0
    setter->apply(text, -1);
    ASSERT_EQ(nets.sets.size(), 2u); // no suppression, no cut
    EXPECT_EQ(nets.sets[1].text, text);
    nets.networks[15].capability = 0;
    setter->apply("z", -1);
    EXPECT_EQ(nets.sets.size(), 2u);
}

TEST_F(DescriptionSetterTest, NetworkListedTwiceIsVisitedTwice) {
    nets.addNetwork(10);
    nets.addNetwork(10, "second"); // two plug-ins serving one network
    auto setter = makeSetter("10|1|10|1|");
    setter->apply("t", 64);
    std::vector<SetCall> expected{{10, 64, "t"}, {10, 64, "t"}};
    EXPECT_EQ(nets.sets, expected);
}

TEST_F(DescriptionSetterTest, EmptyChoiceTextListsEveryQualifyingNetwork) {
    nets.addNetwork(15);
    nets.addNetwork(20);            // excluded
    nets.addNetwork(30, "x", 0x08); // not a network plug-in
    nets.addNetwork(83);            // excluded
    nets.addNetwork(31, "");        // no network name
    nets.addNetwork(10);
    auto setter = makeSetter();
    std::vector<NetworkChoice> expected{{true, 15}, {true, 10}};
    EXPECT_EQ(setter->networkChoices(), expected);
    EXPECT_EQ(setter->findNetworks(false), 2);
    EXPECT_EQ(setter->networkChoices().size(), 2u);
    // Index 0 (the host itself) is never asked for.
    for (const auto& s : host.sentWithId(msg::kPluginIdAt))
        EXPECT_GE(int32_t{s.message.p1}, 1);
}

TEST_F(DescriptionSetterTest, StoredChoicesLoadAndAreWrittenBackUnchanged) {
    nets.addNetwork(10);
    nets.addNetwork(15);
    {
        auto setter = makeSetter("15|1|10|0|");
        std::vector<NetworkChoice> expected{{true, 15}, {false, 10}};
        EXPECT_EQ(setter->networkChoices(), expected);
        host.texts[setting::kNetChange] = "";
    }
    EXPECT_EQ(host.texts[setting::kNetChange], "15|1|10|0|");
}

TEST_F(DescriptionSetterTest, ChangedPluginsAreReconciledWithTheStoredChoices) {
    struct Case {
        const char* stored;
        std::vector<NetworkChoice> expected;
    };
    // Plug-ins present: 10, 15, 12 in that order.
    const Case cases[] = {
        {"15|0|", {{true, 10}, {false, 15}, {true, 12}}},                // new ones switched on
        {"15|0|99|0|10|0|7|1|", {{false, 10}, {false, 15}, {true, 12}}}, // gone ones dropped
        {"12|0|10|1|15|0|", {{false, 12}, {true, 10}, {false, 15}}},     // same set: stored order
        {"12|0|10|1|99|0|", {{true, 10}, {true, 15}, {false, 12}}},      // same count, other set
        {"15|1|15|0|10|0|", {{false, 10}, {true, 15}, {true, 12}}},      // first of a twice-listed
    };
    for (const Case& c : cases) {
        FakeHost h;
        FakeNetworks n(h);
        n.addNetwork(10);
        n.addNetwork(15);
        n.addNetwork(12);
        h.texts[setting::kNetChange] = c.stored;
        SpeedDescriptionSetter setter(h.gateway(), setting::kNetChange);
        EXPECT_EQ(setter.networkChoices(), c.expected) << c.stored;
    }
    // Two plug-ins of one network: listed once when the list is rebuilt.
    FakeHost h;
    FakeNetworks n(h);
    n.addNetwork(10);
    n.addNetwork(15);
    n.addNetwork(10, "second");
    h.texts[setting::kNetChange] = "10|0|";
    SpeedDescriptionSetter setter(h.gateway(), setting::kNetChange);
    EXPECT_EQ(setter.networkChoices(), (std::vector<NetworkChoice>{{false, 10}, {true, 15}}));
}

TEST_F(DescriptionSetterTest, SpeedPlaceholdersAreFilledDownloadFirst) {
    nets.addNetwork(10);
    auto setter = makeSetter();
    struct Case {
        SpeedTexts speeds;
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {{"12.5", "3.1", "", ""}, "D: {DownSpeed} U: {UpSpeed}", "D: 12.5 U: 3.1"},
        {{"7", "", "", ""}, "{DownSpeed}{DownSpeed}", "77"},
        {{"", "0123456789", "", ""}, "{UpSpeed}/{UpSpeed}", "0123456789/0123456789"},
        {{}, "up {UpSpeed}", "up "},
        {{"1", "", "", ""}, "{downspeed} {DownSpeed { DownSpeed }", "{downspeed} {DownSpeed { DownSpeed }"},
        {{"e", "f", "a", "b"}, "{DownSpeed}{UpSpeed}", "ab"},
        {{"<{UpSpeed}>", "u", "", ""}, "{DownSpeed}", "<u>"},
        {{"d", "<{DownSpeed}>", "", ""}, "{UpSpeed}", "<{DownSpeed}>"},
        {{"{DownSpeed}{DownSpeed}", "", "", ""}, "{DownSpeed}", "{DownSpeed}{DownSpeed}"},
    };
    for (const Case& c : cases) {
        speedTexts() = c.speeds;
        EXPECT_EQ(setter->formatFor(c.text, 10), c.expected) << c.text;
    }
    // The empty test looks at the text before substitution: an only-placeholder text is still sent.
    speedTexts() = SpeedTexts{};
    setter->apply("{DownSpeed}", 64);
    ASSERT_EQ(nets.sets.size(), 1u);
    EXPECT_EQ(nets.sets[0].text, "");
}

// The speeds may add kLongestGrowth bytes to a description, and not one more; a text that is long
// already passes as it is.
TEST_F(DescriptionSetterTest, SpeedsThatWouldMakeTheDescriptionTooLongAreRefused) {
    nets.addNetwork(10);
    auto setter = makeSetter();
    constexpr size_t kGrowth = SpeedDescriptionSetter::kLongestGrowth;
    struct Case {
        const char* name;
        std::string text;
        std::string down, up;         // the speed texts
        std::optional<size_t> growth; // none: refused
    };
    const auto times = [](std::string_view part, size_t n) {
        std::string out;
        for (size_t i = 0; i < n; ++i)
            out += part;
        return out;
    };
    const std::string d(20, 'd'); // each "{DownSpeed}" grows by 9 bytes
    const Case cases[] = {
        {"download to the limit", "{DownSpeed}", std::string(kGrowth + 11, 'd'), "", kGrowth},
        {"download one past", "{DownSpeed}", std::string(kGrowth + 12, 'd'), "", std::nullopt},
        {"both to the limit", "{DownSpeed}{UpSpeed}", std::string(kGrowth / 2 + 11, 'd'),
         std::string(kGrowth / 2 + 9, 'u'), kGrowth},
        {"upload one past", "{DownSpeed}{UpSpeed}", std::string(kGrowth / 2 + 11, 'd'),
         std::string(kGrowth / 2 + 10, 'u'), std::nullopt},
        {"upload brought in by the download", "{DownSpeed}", "{UpSpeed}", std::string(kGrowth + 12, 'u'),
         std::nullopt},
        {"many placeholders to the limit", times("{DownSpeed}", kGrowth / 9), d, "", kGrowth / 9 * 9},
        {"one placeholder more", times("{DownSpeed}", kGrowth / 9 + 1), d, "", std::nullopt},
        {"long text without placeholders", std::string(4 * kGrowth, 'x'), d, d, 0},
    };
    for (const Case& c : cases) {
        speedTexts() = SpeedTexts{};
        speedTexts().emuleDown = c.down;
        speedTexts().emuleUp = c.up;
        if (c.growth) {
            EXPECT_EQ(setter->formatFor(c.text, 10).size(), c.text.size() + *c.growth) << c.name;
        } else {
            EXPECT_THROW(setter->formatFor(c.text, 10), DescriptionTooLong) << c.name;
            EXPECT_THROW(setter->apply(c.text, 64), std::length_error) << c.name;
        }
    }
    // A refused description goes to no network.
    EXPECT_EQ(nets.sets.size(), 0u);
}

// Restoring network 15: only online (neither 0 nor 66) does it take its own path, which asks for the
// status once and then looks only at the choice; offline or hidden it goes the general way, which asks
// for capability and status and leaves a hidden, switched-off or non-participating network alone.
TEST_F(DescriptionSetterTest, Network15RestoreWhileSwitchedOffOfflineOrHidden) {
    const std::string saved = "{DownSpeed} " + std::string(300, 's'); // sent as it is: no cut, no fill
    speedTexts().emuleDown = "5";
    struct Case {
        const char* name;
        bool enabled;
        int32_t status;
        int32_t capability;
        std::vector<Call> calls;
        bool sends;
    };
    const std::vector<Call> general{askStatus(15), askCapability(15), askStatus(15)};
    const std::vector<Call> generalSend{askStatus(15), askCapability(15), askStatus(15), setStatus(15)};
    const std::vector<Call> notTakingPart{askStatus(15), askCapability(15)};
    const Case cases[] = {
        {"on, online", true, 64, 1, {askStatus(15), setStatus(15)}, true},
        {"off, online", false, 64, 1, {askStatus(15)}, false},
        {"off, online, not taking part", false, 64, 0, {askStatus(15)}, false},
        {"on, offline", true, 0, 1, generalSend, true},
        {"off, offline", false, 0, 1, general, false},
        {"on, offline, not taking part", true, 0, 0, notTakingPart, false},
        {"on, hidden", true, 66, 1, general, false},
        {"off, hidden", false, 66, 1, general, false},
        {"on, hidden, not taking part", true, 66, 0, notTakingPart, false},
    };
    nets.addNetwork(15);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto setter = makeSetter(c.enabled ? "15|1|" : "15|0|");
        ASSERT_EQ(setter->isEnabled(15), c.enabled);
        nets.networks[15] = {c.status, "now", true, c.capability};
        setter->remember(saved, 15);
        nets.sets.clear();
        takeCalls();

        setter->restore(15);
        expectRestoreRecords();
        EXPECT_EQ(takeCalls(), c.calls) << "restore";
        setter->restoreAll();
        expectRestoreRecords();
        EXPECT_EQ(takeCalls(), c.calls) << "restoreAll";
        std::vector<SetCall> expected;
        if (c.sends) expected = {{15, -1, saved}, {15, -1, saved}};
        EXPECT_EQ(nets.sets, expected);
    }
}

// Network 15 offline (status 0) is saved and restored the general way; the saved text goes back whole.
TEST_F(DescriptionSetterTest, Network15OfflineIsSavedAndRestoredTheGeneralWay) {
    const std::string away(300, 'a');
    struct Case {
        const char* name;
        bool enabled;
        int32_t capability;
        std::vector<Call> saveCalls;
        std::string saved;
        std::vector<Call> restoreCalls;
        bool sends;
    };
    const Case cases[] = {
        {"on",
         true,
         1,
         {askStatus(15), askCapability(15), askStatus(15), askDescription(15)},
         away,
         {askStatus(15), askCapability(15), askStatus(15), setStatus(15)},
         true},
        {"off: saved all the same, not restored",
         false,
         1,
         {askStatus(15), askCapability(15), askStatus(15), askDescription(15)},
         away,
         {askStatus(15), askCapability(15), askStatus(15)},
         false},
        {"not taking part",
         true,
         0,
         {askStatus(15), askCapability(15)},
         "",
         {askStatus(15), askCapability(15)},
         false},
    };
    nets.addNetwork(15);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto setter = makeSetter(c.enabled ? "15|1|" : "15|0|");
        nets.networks[15] = {0, away, true, c.capability};
        nets.sets.clear();
        takeCalls();

        setter->saveCurrent();
        EXPECT_EQ(takeCalls(), c.saveCalls) << "saveCurrent";
        EXPECT_EQ(setter->savedDescription(15), c.saved);
        nets.networks[15].description = "changed meanwhile";

        setter->restoreAll();
        expectRestoreRecords();
        // With nothing saved there is nothing to restore, and the host is not asked at all.
        EXPECT_EQ(takeCalls(), c.saved.empty() ? std::vector<Call>{} : c.restoreCalls) << "restoreAll";
        setter->restore(15);
        expectRestoreRecords();
        EXPECT_EQ(takeCalls(), c.restoreCalls) << "restore";
        std::vector<SetCall> expected;
        if (c.sends) expected = {{15, -1, away}, {15, -1, away}};
        EXPECT_EQ(nets.sets, expected);
    }
}

// The way network 15 is restored is decided by its status at the time of the restore, not of the save.
TEST_F(DescriptionSetterTest, Network15PathIsChosenAgainAtRestore) {
    nets.addNetwork(15);
    auto setter = makeSetter();
    nets.networks[15] = {0, "saved offline", true, 1};
    setter->saveCurrent();
    nets.sets.clear();
    takeCalls();

    nets.networks[15].status = 64; // back online
    setter->restoreAll();
    EXPECT_EQ(takeCalls(), (std::vector<Call>{askStatus(15), setStatus(15)}));
    nets.networks[15].status = 66; // hidden now
    setter->restoreAll();
    EXPECT_EQ(takeCalls(), (std::vector<Call>{askStatus(15), askCapability(15), askStatus(15)}));
    nets.networks[15].status = 0; // offline again
    setter->restoreAll();
    EXPECT_EQ(takeCalls(),
              (std::vector<Call>{askStatus(15), askCapability(15), askStatus(15), setStatus(15)}));
    EXPECT_EQ(nets.sets, (std::vector<SetCall>{{15, -1, "saved offline"}, {15, -1, "saved offline"}}));
}

// Network by network in list order, every network whether switched on or not; the restore goes by the
// saved table, and a switched-off network is asked about but not changed.
TEST_F(DescriptionSetterTest, SaveAndRestoreAskTheHostInListOrder) {
    nets.addNetwork(15);
    nets.addNetwork(10);
    nets.addNetwork(12);
    nets.networks[15].description = "d15";
    nets.networks[10].description = "d10";
    nets.networks[12].description = "d12";
    auto setter = makeSetter("15|1|10|0|12|1|");
    takeCalls();

    setter->saveCurrent();
    EXPECT_EQ(takeCalls(), (std::vector<Call>{askStatus(15), askStatus(15), askDescription(15),        // 15
                                              askCapability(10), askStatus(10), askDescription(10),    // 10
                                              askCapability(12), askStatus(12), askDescription(12)})); // 12
    EXPECT_TRUE(nets.sets.empty());

    setter->restoreAll();
    expectRestoreRecords();
    EXPECT_EQ(takeCalls(), (std::vector<Call>{askStatus(15), setStatus(15),                       // 15
                                              askCapability(10), askStatus(10),                   // 10: off
                                              askCapability(12), askStatus(12), setStatus(12)})); // 12
    EXPECT_EQ(nets.sets, (std::vector<SetCall>{{15, -1, "d15"}, {12, -1, "d12"}}));
}

TEST_F(DescriptionSetterTest, SaveAndRestoreOrderWithNetwork15OfflineAndSwitchedOff) {
    nets.addNetwork(15);
    nets.addNetwork(10);
    nets.networks[15] = {0, "d15", true, 1};
    nets.networks[10].description = "d10";
    auto setter = makeSetter("15|0|10|1|");
    takeCalls();

    setter->saveCurrent();
    EXPECT_EQ(takeCalls(),
              (std::vector<Call>{askStatus(15), askCapability(15), askStatus(15), askDescription(15),
                                 askCapability(10), askStatus(10), askDescription(10)}));

    setter->restoreAll();
    expectRestoreRecords();
    EXPECT_EQ(takeCalls(), (std::vector<Call>{askStatus(15), askCapability(15), askStatus(15), // 15: off
                                              askCapability(10), askStatus(10), setStatus(10)}));
    EXPECT_EQ(nets.sets, (std::vector<SetCall>{{10, -1, "d10"}}));
}

// The saved table keeps the order in which networks were first saved, and restoreAll follows it even
// where the network list says otherwise.
TEST_F(DescriptionSetterTest, RestoreAllFollowsTheOrderNetworksWereFirstSaved) {
    nets.addNetwork(15);
    nets.addNetwork(10);
    nets.networks[15] = {66, "a15", true, 1};
    nets.networks[10].description = "a10";
    auto setter = makeSetter("15|1|10|1|");
    takeCalls();

    setter->saveCurrent(); // 15 hidden: not saved
    EXPECT_EQ(takeCalls(), (std::vector<Call>{askStatus(15), askStatus(15), askCapability(10), askStatus(10),
                                              askDescription(10)}));

    nets.networks[15] = {64, "b15", true, 1};
    nets.networks[10].description = "b10";
    setter->saveCurrent(); // 10 is saved already and not asked again
    EXPECT_EQ(takeCalls(), (std::vector<Call>{askStatus(15), askStatus(15), askDescription(15),
                                              askCapability(10), askStatus(10)}));

    setter->restoreAll();
    expectRestoreRecords();
    EXPECT_EQ(takeCalls(), (std::vector<Call>{askCapability(10), askStatus(10), setStatus(10), askStatus(15),
                                              setStatus(15)}));
    EXPECT_EQ(nets.sets, (std::vector<SetCall>{{10, -1, "a10"}, {15, -1, "b15"}}));
}

} // namespace
} // namespace brio
