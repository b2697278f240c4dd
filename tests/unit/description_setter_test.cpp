#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
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

    FakeHost host;
    FakeNetworks nets{host};
};

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
    nets.networks[15].description = "own15";
    nets.networks[10].description = "own10";
    auto setter = makeSetter();
    host.sent.clear();
    // What the setting holds as each write reaches the messenger.
    std::vector<std::string> storedAtWrite;
    const auto answer = host.responder;
    host.responder = [&](const MessageRecord& m, int target) {
        if (target == -1 && m.id == msg::kSetNetStatus)
            storedAtWrite.push_back(host.texts[setting::kKeptOwn]);
        return answer(m, target);
    };
    setter->apply("d", -1);
    // Which networks take it; what each shows before Brio's first write; then each write, and what the
    // network shows after it.
    const std::vector<int32_t> expected{msg::kNetStatus,      msg::kNetStatus,       // 15
                                        msg::kNetCapability,  msg::kNetStatus,       // 10
                                        msg::kNetDescription, msg::kNetDescription,  // before
                                        msg::kSetNetStatus,   msg::kNetDescription,  // 15
                                        msg::kSetNetStatus,   msg::kNetDescription}; // 10
    EXPECT_EQ(sentIds(), expected);
    EXPECT_EQ(int32_t{host.sent[6].message.type}, 2); // copies: the record is packed
    EXPECT_EQ(int32_t{host.sent[6].message.p1}, -1);
    // The user's own of both is stored before the first write, once.
    const std::string stored = "K1|15|64|0|5:own15|1:d|10|64|0|5:own10|1:d|";
    EXPECT_EQ(storedAtWrite, std::vector<std::string>(2, stored));
    const auto stores = [this] {
        return std::count_if(
            host.valueCalls.begin(), host.valueCalls.end(),
            [](const FakeHost::ValueCall& c) { return c.set && c.column == setting::kKeptOwn; });
    };
    EXPECT_EQ(stores(), 1);
    setter->apply("d", -1); // nothing changes: nothing is stored
    setter->apply("e", -1); // a new text: stored once, with the write on its way
    EXPECT_EQ(stores(), 2);
    EXPECT_EQ(host.texts[setting::kKeptOwn], "K2|15|64|0|1|5:own15|1:e|1:d|10|64|0|1|5:own10|1:e|1:d|");
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

// The give-back rule, one network (10, own "own" at 64) at a time: what Brio writes, what happens
// meanwhile, then a restore; what the network shows afterwards, and whether a record is still kept.
TEST_F(DescriptionSetterTest, GivesBackOnlyWhatStillShowsItsLastWrite) {
    struct Case {
        const char* name;
        int32_t status; // sent with "A"
        std::function<void(test::FakeNetwork&, DescriptionSetter&)> meanwhile;
        int32_t endStatus;
        std::string endText;
        bool kept;
        bool brioHid = false; // a kept network shows Brio's hidden status
    };
    const auto nothing = [](test::FakeNetwork&, DescriptionSetter&) {};
    // The user sets the status `shown` (0: none), the host refuses the `at`-th message `id` from then on
    // (0: none), and Brio writes `text` (null: nothing) with `status`.
    const auto then = [this](int32_t shown, int32_t id, int at, const char* text, int32_t status) {
        return [=, this](test::FakeNetwork& n, DescriptionSetter& s) {
            if (shown) n.status = shown;
            nets.refused = id;
            nets.refusedAt = at;
            if (text) s.apply(text, status);
        };
    };
    const Case cases[] = {
        {"shows Brio's text", -1, nothing, 64, "own", false},
        {"shows Brio's hidden status", 66, nothing, 64, "own", false},
        {"Brio's status other than hidden stays", 65, nothing, 65, "own", false},
        {"the user's text", -1, [](auto& n, auto&) { n.description = "mine"; }, 64, "mine", false},
        {"the user hid himself with his text over Brio's hidden", 66,
         [](auto& n, auto&) { n.description = "nie ma mnie"; }, 66, "nie ma mnie", false},
        {"the user showed himself over Brio's hidden", 66, [](auto& n, auto&) { n.status = 67; }, 67, "own",
         false},
        {"the user's status over Brio's text, then Brio's hidden", -1, then(65, 0, 0, "B", 66), 65, "own",
         false},
        {"Brio's status, then Brio's hidden", 65, then(0, 0, 0, "B", 66), 64, "own", false},
        {"a write refused over Brio's hidden", 66, then(0, msg::kSetNetStatus, 1, "B", 64), 64, "own", false},
        {"a status read refused over the user's hidden", -1, then(66, msg::kNetStatus, 1, "B", 64), 66, "A",
         true},
        {"a status read refused at the give-back", 66, then(0, msg::kNetStatus, 2, nullptr, 0), 64, "own",
         false},
        {"away", -1, [](auto& n, auto&) { n.capability = 0; }, 64, "A", true},
        {"hidden by the user", -1, [](auto& n, auto&) { n.status = 66; }, 66, "A", true},
        {"switched off", -1, [](auto&, auto& s) { s.setEnabled(0, false); }, 64, "own", false},
        {"switched off while away", 66,
         [](auto& n, auto& s) {
             n.capability = 0;
             s.setEnabled(0, false);
         },
         66, "A", true, true},
        {"the last entry kept", 66, [](auto&, auto& s) { s.keepShown(); }, 66, "A", false},
        {"the last entry kept while away", 66,
         [](auto& n, auto& s) {
             n.capability = 0;
             s.keepShown();
         },
         66, "A", true, true},
        {"the last entry kept while hidden by the user over an earlier one", -1,
         [](auto& n, auto& s) {
             n.status = 66;
             s.apply("B", 64);
             s.keepShown();
         },
         66, "A", true},
    };
    nets.addNetwork(10);
    // Hosts answer a write as they please: Brio's writes go on as with any answer, and a give-back the
    // host answers with 0 stays owed only until the next check finds the user's own shown.
    for (const int32_t answer : {1, 0})
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (answer ? "" : ", every write answered 0"));
            nets.setAnswer = answer;
            host.texts.clear();
            nets.networks[10] = {64, "own", true, 1};
            auto setter = makeSetter();
            setter->saveCurrent();
            setter->apply("A", c.status);
            c.meanwhile(nets.networks[10], *setter);
            setter->restoreAll();
            if (!answer) setter->restoreOwed();
            EXPECT_EQ(nets.networks[10].status, c.endStatus);
            EXPECT_EQ(nets.networks[10].description, c.endText);
            EXPECT_EQ(setter->keeping(), c.kept);
            // Kept at once where the next setter finds it; given back, nothing is left there.
            EXPECT_EQ(host.texts[setting::kKeptOwn].empty(), !c.kept);
            if (!c.kept) continue;
            // The network takes part again, shown and switched on or not: the next setter gives it back.
            setter.reset();
            nets.networks[10].capability = 1;
            if (!c.brioHid) nets.networks[10].status = 64; // the user who hid himself shows again
            auto next = makeSetter();
            next->restoreAll();
            if (!answer) next->restoreOwed();
            EXPECT_EQ(nets.networks[10].description, "own");
            EXPECT_EQ(nets.networks[10].status, 64);
            EXPECT_EQ(host.texts[setting::kKeptOwn], "");
        }
}

// A host that once leaves out an answer without a word (a store of the records, a description, a write):
// no write goes out without the record that gives the user's own back, an apply whose record did not
// land is made again in full, and after the messenger ends without a word the user's own comes back.
TEST_F(DescriptionSetterTest, OneAnswerLeftOutLosesNothing) {
    int32_t kind = 0;       // the message whose answer is left out; 0: a store of the records
    int left = 0, seen = 0; // which answer of that kind is left out, from 1 (0: none), and how many came
    host.dropStore = [&](int32_t column) {
        return kind == 0 && column == setting::kKeptOwn && ++seen == left;
    };
    const auto answer = host.responder;
    host.responder = [&](const MessageRecord& m, int target) {
        return target == -1 && kind != 0 && m.id == kind && ++seen == left ? 0 : answer(m, target);
    };
    nets.addNetwork(15);
    nets.addNetwork(10);
    for (const int32_t leftOut : {0, msg::kNetDescription, msg::kSetNetStatus}) {
        kind = leftOut;
        int answers = 0;
        for (left = 0; left <= answers; ++left) {
            SCOPED_TRACE(testing::Message() << "message " << kind << ", answer " << left);
            seen = 0;
            host.texts.clear();
            nets.networks[15] = {64, "own15", true, 1};
            nets.networks[10] = {64, "own10", true, 1};
            auto setter = makeSetter();
            int step = 0;
            for (const char* text : {"A", "A", "B"}) {
                setter->apply(text, -1);
                ++step;
                for (const auto& [n, own] : {std::pair{15, "own15"}, std::pair{10, "own10"}})
                    EXPECT_TRUE(nets.networks[n].description == own ||
                                host.texts[setting::kKeptOwn].find(std::string("5:") + own) !=
                                    std::string::npos)
                        << n << " after " << text;
                if (kind == 0 && step == 2) {
                    EXPECT_EQ(nets.networks[15].description, "A"); // the first may not have been written
                }
            }
            setter->detachHost();
            setter.reset();
            auto next = makeSetter();
            next->restoreAll();
            next->restoreAll(); // what one look could not tell or one write did not take, the next does
            EXPECT_EQ(nets.networks[15].description, "own15");
            EXPECT_EQ(nets.networks[10].description, "own10");
            if (left == 0) answers = seen;
        }
        EXPECT_GT(answers, 2);
    }
}

// A network that changes the text on the way (network 15 cuts it) still shows Brio's write; one Brio
// never wrote to (an empty description sends nothing) gets nothing back.
TEST_F(DescriptionSetterTest, ComparesWithWhatTheNetworkShowsAfterTheWrite) {
    nets.addNetwork(15);
    nets.networks[15] = {64, "own15", true, 1};
    auto setter = makeSetter();
    setter->saveCurrent();
    setter->apply(std::string(300, 'x'), -1);
    setter->apply("", -1);
    setter->restoreAll();
    EXPECT_EQ(nets.networks[15].description, "own15");

    nets.sets.clear();
    setter->saveCurrent();
    setter->apply("", -1);
    nets.networks[15].description = "zebranie";
    setter->restoreAll();
    EXPECT_TRUE(nets.sets.empty());
    EXPECT_EQ(nets.networks[15].description, "zebranie");
}

// Memory refused on the way loses nothing: a give-back that fails keeps the record for the next check;
// a network switched off whose give-back fails is switched off all the same, and owed its own; a store
// of the choices refused once is made again.
TEST_F(DescriptionSetterTest, MemoryRefusedOnTheWayLosesNothing) {
    nets.addNetwork(10);
    nets.networks[10] = {64, "own", true, 1};
    auto setter = makeSetter();
    setter->apply("A", -1);
    nets.setsToFail = 1;
    EXPECT_THROW(setter->restoreAll(), std::bad_alloc);
    EXPECT_TRUE(setter->keeping());
    setter->restoreAll();
    EXPECT_EQ(nets.networks[10].description, "own");
    EXPECT_FALSE(setter->keeping());

    setter->apply("A", -1);
    nets.setsToFail = 1;
    EXPECT_THROW(setter->setEnabled(0, false), std::bad_alloc);
    EXPECT_TRUE(!setter->isEnabled(10) && setter->owing());
    host.writesToFail = 1;
    setter.reset();
    EXPECT_EQ(host.texts[setting::kNetChange], "10|0|");
}

// What the setting holds that Brio did not write, or not whole, gives nothing back and is left as it is.
TEST_F(DescriptionSetterTest, ForeignKeptRecordsGiveNothingBack) {
    nets.addNetwork(10);
    nets.networks[10] = {64, "A", true, 1};
    for (const char* text : {"K1|10|64|0|3:own|1:A", "15|1|10|0|", "K1|10|64|2|3:own|1:A|", "K2|"}) {
        host.texts[setting::kKeptOwn] = text;
        auto setter = makeSetter();
        setter->restoreAll();
        EXPECT_FALSE(setter->keeping()) << text;
        EXPECT_TRUE(nets.sets.empty()) << text;
        EXPECT_EQ(host.texts[setting::kKeptOwn], text);
    }
}

// Settings the host could not tell at creation are not written over. The network choices stay as
// stored (the networks the user unticked stay unticked for the next start); new kept records wait
// until the setting can be read, then join the earlier ones (network 10 still showed Brio's earlier
// write), and each network gets its own back.
TEST_F(DescriptionSetterTest, SettingsThatCouldNotBeReadAreNotWrittenOver) {
    nets.addNetwork(10);
    nets.addNetwork(12);
    host.texts[setting::kNetChange] = "10|1|12|0|";
    host.nullTexts.insert(setting::kNetChange);
    makeSetter().reset();
    EXPECT_EQ(host.texts[setting::kNetChange], "10|1|12|0|");
    host.nullTexts.erase(setting::kNetChange);
    host.texts.erase(setting::kNetChange);

    nets.networks[10] = {64, "A", true, 1};
    nets.networks[12] = {64, "own12", true, 1};
    const std::string earlier = "K1|10|64|0|5:own10|1:A|";
    host.texts[setting::kKeptOwn] = earlier;
    host.nullTexts.insert(setting::kKeptOwn);
    auto setter = makeSetter();
    setter->apply("A", -1);
    EXPECT_EQ(host.texts[setting::kKeptOwn], earlier);
    host.nullTexts.erase(setting::kKeptOwn);
    setter->apply("B", -1);
    EXPECT_NE(host.texts[setting::kKeptOwn].find("5:own12"), std::string::npos);
    EXPECT_NE(host.texts[setting::kKeptOwn].find("5:own10"), std::string::npos);
    setter->restoreAll();
    EXPECT_EQ(nets.networks[10].description, "own10");
    EXPECT_EQ(nets.networks[12].description, "own12");
    EXPECT_FALSE(setter->keeping());
}

} // namespace
} // namespace brio
