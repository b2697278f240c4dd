// What the user's actions do, driven through the entry point: the dispatch by id and code, the
// page hooks and their flags, the network check boxes, the "Lista" switch, "Dodaj" and "Zmień", the
// list view host's record, and records too short to carry what a case needs.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <new>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "plugin/actions.h"
#include "plugin/mode_controller.h"
#include "plugin_session.h"
#include "temp_folder.h"

namespace brio {
namespace {

using test::fieldAt;
using test::GuardedRecord;
using test::le16;
using test::le32;
using test::notificationBytes;
using test::PluginSession;
using test::SentRecord;

using Notification = std::pair<int32_t, int32_t>; // action id, code

const std::string kOneEntry = std::string("0\x0c") + "10\x0d" + "Hej\x0e";

// The short-form record with which an action's value or status is read or changed.
std::string changeBytes(int32_t id, int32_t parent, int32_t mask, int32_t type, int32_t statusMask,
                        int32_t textSize = 0) {
    return le16(74) + le32(id) + le32(parent) + le32(-2) + le32(0) + le32(0) + le32(0) + le32(0) +
           le32(mask) + le32(type) + le32(statusMask) + le32(0) + le32(0) + le32(0) /* text */ +
           le32(textSize) + le32(0) + le32(0) + le32(0) + le16(0) + le16(0);
}

std::string withoutText(std::string bytes) {
    if (bytes.size() >= 54) bytes.replace(50, 4, std::string(4, '\0'));
    return bytes;
}

class ActionsTest : public ::testing::Test {
protected:
    void SetUp() override {
        session.addNetwork(15, "GG", true);
        session.addNetwork(10, "Jabber", false);
        session.addNetwork(3, "IRC", true);
        session.addNetwork(7, "Tlen", false);
        // The check boxes as the page shows them: ticked as stored (a box always reads "0" or "1").
        session.values = {{445315, "1"}, {445310, "0"}, {445303, "1"}, {445307, "0"}};
        session.start(); // resets the desktop, observers included
        headless::onMessage([this](const headless::ShownMessage& m) { boxes.push_back(m); });
    }
    void TearDown() override { session.stop(); }

    // Sends the notifications; returns what reached the host meanwhile.
    std::vector<SentRecord> run(const std::vector<Notification>& notifications) {
        const size_t mark = session.host.sent.size();
        for (const auto& [id, code] : notifications)
            session.notify(id, code);
        return session.sentSince(mark);
    }

    size_t checkboxReads(const std::vector<Notification>& notifications) {
        size_t reads = 0;
        for (const SentRecord& s : run(notifications))
            if (s.id() == 10106 && fieldAt(s.p1Bytes, 6) == 445201) ++reads;
        return reads;
    }

    PluginSession session;
    std::vector<headless::ShownMessage> boxes;
};

// --- Dispatch ---

TEST_F(ActionsTest, CodesAndIdsOutsideTheTableDoNothing) {
    const std::vector<Notification> ignored = {
        {445115, 0}, {445115, 220}, {445115, 221}, {445115, 201}, {445111, 220}, {445112, 221},
        {445111, 2}, {445104, 221}, {445104, 1},   {445108, 1},   {445109, 1},   {445110, 1},
        {445100, 1}, {445120, 1},   {445200, 1},   {445204, 1},   {445315, 1},   {445402, 1},
        {0, 1},      {-1, 220},     {445202, 1},   {445202, 220},
    };
    // The hooks' and path entries' other codes: HooksIgnoreOtherCodesWhereTheirOwnWouldAct and the
    // dialog filter tests, where those codes meet the state in which their own code would act.
    for (const auto& [id, code] : ignored) {
        EXPECT_TRUE(run({{id, code}}).empty()) << id << " code " << code;
    }
    EXPECT_TRUE(boxes.empty());
    EXPECT_FALSE(plugin().controller->cycling());
}

// --- Pages touched and networks shown ---

struct FlagCase {
    const char* name;
    std::vector<Notification> steps;
    size_t reads; // check boxes read back (four networks each time)
};
void PrintTo(const FlagCase& c, std::ostream* os) {
    *os << c.name;
}

class NetworkHooksTest : public ActionsTest, public ::testing::WithParamInterface<FlagCase> {};

TEST_P(NetworkHooksTest, ReadBackOnlyWhenTouchedAndShown) {
    EXPECT_EQ(checkboxReads(GetParam().steps), GetParam().reads);
}

INSTANTIATE_TEST_SUITE_P(
    Actions, NetworkHooksTest,
    ::testing::Values(
        FlagCase{"BrioPageTouched", {{445201, 1}, {445104, 220}, {445105, 221}}, 4},
        FlagCase{"ListPageTouchedAnyCode", {{445203, 220}, {445104, 220}, {445105, 221}}, 4},
        FlagCase{"OddCodeStillTouches", {{445201, 12345}, {445104, 220}, {445105, 221}}, 4},
        FlagCase{"TouchedAfterFilling", {{445104, 220}, {445203, 1}, {445105, 221}}, 4},
        FlagCase{"P2pPageDoesNotTouch", {{445202, 1}, {445104, 220}, {445105, 221}}, 0},
        FlagCase{"NeverTouched", {{445104, 220}, {445105, 221}}, 0},
        FlagCase{"NeverFilled", {{445201, 1}, {445105, 221}}, 0},
        FlagCase{"FlagsKeptWhenNothingRead", {{445201, 1}, {445105, 221}, {445104, 220}, {445105, 221}}, 4},
        FlagCase{"FlagsClearedAfterReading",
                 {{445201, 1}, {445104, 220}, {445105, 221}, {445104, 220}, {445105, 221}},
                 4},
        FlagCase{"WrongHookCodes", {{445201, 1}, {445104, 221}, {445105, 220}, {445105, 221}}, 0}),
    [](const auto& info) { return info.param.name; });

TEST_F(ActionsTest, PageStateDoesNotOutliveTheInterface) {
    run({{445201, 1}, {445104, 220}});
    session.send(22101);
    session.send(22000);
    EXPECT_EQ(checkboxReads({{445104, 220}, {445105, 221}}), 0u);
    // Nor a host that ends the plug-in without deinitialise and starts it again.
    run({{445201, 1}, {445104, 220}});
    session.send(20002);
    session.start();
    EXPECT_EQ(checkboxReads({{445105, 221}}), 0u);
}

// --- The network check boxes ---

TEST_F(ActionsTest, FillSwitchesOffOnlyTheNetworksSwitchedOff) {
    const std::vector<SentRecord> sent = run({{445104, 220}});
    ASSERT_EQ(sent.size(), 2u);
    const std::vector<int32_t> ids = {445310, 445307};
    for (size_t i = 0; i < ids.size(); ++i) {
        SCOPED_TRACE(ids[i]);
        EXPECT_EQ(sent[i].id(), 10110);
        EXPECT_EQ(withoutText(sent[i].p1Bytes), changeBytes(ids[i], 445201, 0x10040, 0, 0));
        EXPECT_TRUE(sent[i].p1HasText);
        EXPECT_EQ(sent[i].p1Text, "0");
    }
}

TEST_F(ActionsTest, ReadTakesEachBoxByTheIntegerRule) {
    session.values = {{445315, "0"}, {445310, " 12abc"}, {445303, "abc"}, {445307, "-1"}};
    const size_t mark = session.host.sent.size();
    run({{445201, 1}, {445104, 220}, {445105, 221}});
    const std::vector<SentRecord> reads = session.sentSince(mark, 10106);
    const std::vector<int32_t> ids = {445315, 445310, 445303, 445307};
    ASSERT_EQ(reads.size(), ids.size());
    for (size_t i = 0; i < ids.size(); ++i) {
        SCOPED_TRACE(ids[i]);
        EXPECT_EQ(withoutText(reads[i].p1Bytes), changeBytes(ids[i], 445201, 0x10040, 0, 0, 16));
        EXPECT_NE(fieldAt(reads[i].p1Bytes, 50), 0); // into a buffer of ours
    }
    session.send(22101); // the choices are stored as the controller goes
    EXPECT_EQ(session.host.texts[445002], "15|0|10|1|3|0|7|1|");
}

TEST_F(ActionsTest, ReadSurvivesAFullBufferAndMissingValues) {
    session.values = {{445315, std::string(16, '0')}, {445310, std::string(16, '7')}};
    run({{445201, 1}, {445104, 220}, {445105, 221}});
    session.send(22101);
    // 445303 and 445307 get no answer (a check box always reads "0" or "1"): their choices stay.
    EXPECT_EQ(session.host.texts[445002], "15|0|10|1|3|1|7|0|");
}

// A box the host could not tell once (no answer, or memory refused) is asked again; failing twice, its
// choice stays and the boxes after it are still read. The user ticked every box.
TEST_F(ActionsTest, ABoxThatCouldNotBeReadOnceIsReadAgain) {
    const auto answer = session.host.responder;
    int fails = 0;
    bool throws = false;
    session.host.responder = [&](const MessageRecord& m, int target) -> int32_t {
        int32_t box = 0;
        if (m.id == 10106) std::memcpy(&box, fromAddress<const char>(m.p1) + 2, 4);
        if (box == 445310 && fails > 0 && fails--) return throws ? throw std::bad_alloc() : 0;
        return answer(m, target);
    };
    for (const auto& [times, refused, stored] : {std::tuple{1, false, "15|1|10|1|3|1|7|1|"},
                                                 {1, true, "15|1|10|1|3|1|7|1|"},
                                                 {2, true, "15|1|10|0|3|1|7|1|"}}) {
        session.values = {{445315, "1"}, {445310, "1"}, {445303, "1"}, {445307, "1"}};
        std::tie(fails, throws) = std::pair{times, refused};
        run({{445201, 1}, {445104, 220}, {445105, 221}});
        session.stop();
        EXPECT_EQ(session.host.texts[445002], stored) << times << refused;
        session.start();
    }
}

// --- "Lista" in the popup ---

TEST_F(ActionsTest, CyclingSwitchLogsDecidesAndShowsTheItem) {
    session.host.texts[445006] = kOneEntry;
    const std::string logLine =
        "act.id = 445115, pCtrl = " + std::to_string(addressOf(plugin().controller.get()));
    for (int32_t expectedStatus : {4, 0, 4}) {
        SCOPED_TRACE(expectedStatus);
        session.host.log.clear();
        const std::vector<SentRecord> sent = run({{445115, 1}});
        ASSERT_FALSE(session.host.log.empty());
        EXPECT_EQ(session.host.log.front(), logLine);
        ASSERT_FALSE(sent.empty());
        EXPECT_EQ(sent.front().id(), 1); // logged before anything else is done
        ASSERT_EQ(sent.back().id(), 10108);
        EXPECT_EQ(sent.back().p1Bytes, changeBytes(445115, 445102, 1, expectedStatus, -1));
        EXPECT_EQ(plugin().controller->cycling(), expectedStatus == 4);
        EXPECT_EQ(headless::runningTimers(), expectedStatus == 4 ? 1u : 0u);
    }
}

TEST_F(ActionsTest, CyclingItemStaysOffWhenTheListHasNoEntries) {
    const std::vector<SentRecord> sent = run({{445115, 1}});
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.back().p1Bytes, changeBytes(445115, 445102, 1, 0, -1));
    EXPECT_FALSE(plugin().controller->cycling());
    EXPECT_EQ(headless::runningTimers(), 0u);
}

// --- "Dodaj" and "Zmień" ---

struct FieldsCase {
    const char* name;
    std::optional<std::string> status, description, seconds; // none: the host answers null
    bool warned;
};
void PrintTo(const FieldsCase& c, std::ostream* os) {
    *os << c.name;
}

class EntryFieldsTest : public ActionsTest, public ::testing::WithParamInterface<FieldsCase> {};

TEST_P(EntryFieldsTest, ReadsTheThreeFieldsAndRefusesAnEmptyDescription) {
    const FieldsCase& c = GetParam();
    const std::vector<std::pair<int32_t, std::optional<std::string>>> fields = {
        {445108, c.status}, {445109, c.description}, {445110, c.seconds}};
    for (const auto& [id, value] : fields)
        if (value) session.values[id] = *value;
    for (int32_t button : {445111, 445112}) {
        SCOPED_TRACE(button);
        boxes.clear();
        const std::vector<SentRecord> sent = run({{button, 1}});
        // A field answered with no text is asked once more.
        std::vector<std::string> asked;
        for (const auto& [id, value] : fields)
            for (int times = value ? 1 : 2; times > 0; --times)
                asked.push_back(changeBytes(id, 445203, 0x10040, 0, 0)); // no buffer
        ASSERT_EQ(sent.size(), asked.size());
        for (size_t i = 0; i < asked.size(); ++i) {
            EXPECT_EQ(sent[i].id(), 10106);
            EXPECT_EQ(sent[i].p1Bytes, asked[i]);
        }
        if (c.warned) {
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_EQ(boxes[0].text, "Musisz podać opis!");
            EXPECT_EQ(boxes[0].title, "Ostrzeżenie");
            EXPECT_EQ(boxes[0].icon, platform::MessageIcon::Warning);
        } else {
            EXPECT_TRUE(boxes.empty());
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Actions, EntryFieldsTest,
    ::testing::Values(FieldsCase{"EmptyDescription", "3", "", "45", true},
                      FieldsCase{"NullDescription", "3", std::nullopt, "45", true},
                      FieldsCase{"NothingAnswered", std::nullopt, std::nullopt, std::nullopt, true},
                      FieldsCase{"Description", "3", "Na obiedzie", "45", false},
                      FieldsCase{"ShortTime", "0", "x", "5", false},
                      FieldsCase{"NoStatusNoTime", std::nullopt, "x", std::nullopt, false}),
    [](const auto& info) { return info.param.name; });

struct EntryCase {
    const char* status;
    const char* description;
    const char* seconds;
    std::optional<StatusEntry> expected;
};

TEST(ActionsEntry, FieldsMakeAnEntryOfAtLeastTenSeconds) {
    const std::vector<EntryCase> cases = {
        {"3", "Opis", "5", StatusEntry{3, "Opis", 10}},
        {"3", "Opis", "abc", StatusEntry{3, "Opis", 10}},
        {"3", "Opis", "45", StatusEntry{3, "Opis", 45}},
        {"3", "Opis", "10", StatusEntry{3, "Opis", 10}},
        {"3", "Opis", "9", StatusEntry{3, "Opis", 10}},
        {"3", "Opis", "-20", StatusEntry{3, "Opis", 10}},
        {"3", "Opis", " 30s", StatusEntry{3, "Opis", 30}},
        {"3", "Opis", "", StatusEntry{3, "Opis", 10}},
        {"x", "Opis", "45", StatusEntry{0, "Opis", 45}},
        {"7", "Opis", "45", StatusEntry{7, "Opis", 45}}, // taken as it is
        {" 5 ", "Zażółć", "3600", StatusEntry{5, "Zażółć", 3600}},
        // Past the largest time the list holds: that largest, not a wrap-round.
        {"3", "Opis", "3000000000", StatusEntry{3, "Opis", 2147483647}},
        {"3", "Opis", "-99999999999", StatusEntry{3, "Opis", 10}},
        {"3", "", "45", std::nullopt},
    };
    for (const EntryCase& c : cases) {
        EXPECT_EQ(entryFromFields(c.status, c.description, c.seconds), c.expected)
            << c.status << " | " << c.description << " | " << c.seconds;
    }
}

// --- The list view host and the list editor ---

std::string controlBytes(uint16_t size, int32_t code, int32_t window, int32_t parentWindow, int32_t x,
                         int32_t y) {
    std::string b = le16(size) + le32(445107) + le32(0) + le32(0) + le32(code) + le32(0) + le16(0) +
                    le32(window) + le32(parentWindow) + le32(x) + le32(y);
    b.resize(size, '\x77');
    return b;
}

TEST_F(ActionsTest, ListViewHostMovesThePlacePastTheListView) {
    for (uint16_t size : {68, 80}) {
        SCOPED_TRACE(size);
        GuardedRecord record(controlBytes(size, 220, 0x5A5A5A5A, 99, 12, 34));
        ASSERT_TRUE(record.ok());
        session.notifyRecord(record.data());
        // The list view's window goes into the record; nothing else but the place changes.
        ASSERT_TRUE(headless::listViewExists());
        EXPECT_EQ(record.bytes(), controlBytes(size, 220, headless::listViewWindow(), 99, 422, 264));
    }
}

TEST_F(ActionsTest, ListViewHostLeavesOtherRecordsAlone) {
    const std::vector<std::string> untouched = {
        controlBytes(67, 220, 1, 99, 12, 34), // too short for the place
        controlBytes(68, 221, 1, 99, 12, 34), controlBytes(68, 1, 1, 99, 12, 34),
        controlBytes(68, 201, 1, 99, 12, 34)};
    for (const std::string& bytes : untouched) {
        GuardedRecord record(bytes);
        ASSERT_TRUE(record.ok());
        const size_t mark = session.host.sent.size();
        session.notifyRecord(record.data());
        EXPECT_EQ(record.bytes(), bytes);
        EXPECT_TRUE(session.sentSince(mark).empty());
    }
}

TEST_F(ActionsTest, WithoutAListEditorTheListIsLeftAlone) {
    session.host.texts[445006] = kOneEntry;
    size_t dialogs = 0;
    headless::onFileDialog([&](const platform::FileDialogRequest&) { ++dialogs; });
    EXPECT_TRUE(
        run({{445203, 1}, {445116, 220}, {445113, 1}, {445114, 1}, {445117, 221}, {445107, 221}}).empty());
    EXPECT_EQ(session.host.texts[445006], kOneEntry);
    EXPECT_EQ(dialogs, 0u); // "Wczytaj" and "Zapisz" ask for no file
    headless::onFileDialog(nullptr);
}

// Opens the list page as the host does: the page, then its window hosts in order.
std::string openListPage(PluginSession& session, int32_t parentWindow) {
    session.notify(445203, 220);
    GuardedRecord record(controlBytes(68, 220, 0, parentWindow, 10, 10));
    session.notifyRecord(record.data());
    session.notify(445116, 220);
    return record.bytes().substr(24, 4); // the window written back
}

// The hooks act on one code each; the other codes do nothing even where that code would act.
TEST_F(ActionsTest, HooksIgnoreOtherCodesWhereTheirOwnWouldAct) {
    // The network check boxes, touched and filled: only 221 reads them back.
    run({{445201, 1}, {445104, 220}});
    EXPECT_EQ(checkboxReads({{445105, 220}, {445105, 1}}), 0u);
    EXPECT_EQ(checkboxReads({{445105, 221}}), 4u);
    // The list page with its list view: only 220 fills it, only 221 stores it.
    session.host.texts[445006] = kOneEntry;
    openListPage(session, 99);
    ASSERT_EQ(headless::listViewRows().size(), 1u);
    const std::string twoEntries = kOneEntry + kOneEntry; // what a wrong fill would read
    session.host.texts[445006] = twoEntries;
    EXPECT_TRUE(run({{445116, 221}, {445116, 1}, {445117, 220}, {445117, 1}}).empty());
    EXPECT_EQ(headless::listViewRows().size(), 1u);
    EXPECT_EQ(session.host.texts[445006], twoEntries);
    session.notify(445117, 221);
    EXPECT_EQ(session.host.texts[445006], kOneEntry);
}

TEST_F(ActionsTest, ListPageLoadsTheListAndStoresItOnlyWhenTouched) {
    session.host.texts[445006] = kOneEntry;
    openListPage(session, 99);
    ASSERT_TRUE(headless::listViewExists());
    ASSERT_EQ(headless::listViewRows().size(), 1u);
    // "Dodaj" appends to the rows; nothing reaches the setting before the page closes.
    session.values = {{445108, "2"}, {445109, "Nowy"}, {445110, "5"}};
    session.notify(445111, 1);
    EXPECT_EQ(session.host.texts[445006], kOneEntry);
    session.notify(445117, 221);
    EXPECT_EQ(session.host.texts[445006], kOneEntry + "2\x0c" + "10\x0d" + "Nowy\x0e");
    // Without a notification on the pages the list is not stored.
    session.host.texts[445006] = kOneEntry;
    session.notify(445107, 221);
    EXPECT_FALSE(headless::listViewExists());
    EXPECT_EQ(session.host.texts[445007], "297|55");
    session.stop();
    session.start();
    GuardedRecord record(controlBytes(68, 220, 0, 99, 10, 10));
    session.notifyRecord(record.data());
    session.notify(445116, 220);
    session.notify(445111, 1);
    session.notify(445117, 221);
    EXPECT_EQ(session.host.texts[445006], kOneEntry);
}

// A store of the list that the host drops (`drops` times) does not lose the user's rows: the page
// shows them when it opens again, and they are stored at the next chance, at the latest at the end.
class DroppedListStoreTest : public ActionsTest,
                             public ::testing::WithParamInterface<std::pair<int, bool>> {};

TEST_P(DroppedListStoreTest, TheRowsOutliveAStoreTheHostDropped) {
    auto [drops, reopen] = GetParam();
    session.host.texts[445006] = kOneEntry;
    openListPage(session, 99);
    session.values = {{445108, "2"}, {445109, "Nowy"}, {445110, "5"}};
    session.notify(445111, 1);
    session.host.dropStore = [&drops](int32_t column) { return column == 445006 && drops > 0 && drops--; };
    for (int opened = 0; opened <= int(reopen); ++opened) {
        if (opened) openListPage(session, 99);
        EXPECT_EQ(headless::listViewRows().back().description, "Nowy");
        session.notify(445117, 221);
        session.notify(445107, 221);
    }
    session.stop();
    // A host that drops every store keeps what it had.
    EXPECT_EQ(session.host.texts[445006], drops ? kOneEntry : kOneEntry + "2\x0c" + "10\x0d" + "Nowy\x0e");
}

INSTANTIATE_TEST_SUITE_P(Actions, DroppedListStoreTest,
                         ::testing::Values(std::pair{0, false}, std::pair{1, false}, std::pair{1, true},
                                           std::pair{2, true}, std::pair{1000, true}));

// A list the host could not hand over when the page opened is not known to the editor: what the user
// does on the page then is not stored over the list he kept, even as the page closes touched.
TEST_F(ActionsTest, AListTheHostCouldNotHandOverIsNotStoredOver) {
    session.host.texts[445006] = kOneEntry;
    session.host.nullTexts.insert(445006);
    openListPage(session, 99);
    EXPECT_TRUE(headless::listViewRows().empty());
    session.values = {{445108, "2"}, {445109, "Nowy"}, {445110, "5"}};
    session.notify(445111, 1);
    session.notify(445117, 221);
    EXPECT_EQ(session.host.texts[445006], kOneEntry);
    // Nor is it saved to a file as if it were the list: "Zapisz" says so and asks for no file.
    std::vector<std::string> shown;
    headless::onMessage([&](const headless::ShownMessage& m) { shown.push_back(m.title); });
    size_t dialogs = 0;
    headless::onFileDialog([&](const platform::FileDialogRequest&) { ++dialogs; });
    session.notify(445114, 1);
    headless::onFileDialog(nullptr);
    headless::onMessage(nullptr);
    EXPECT_EQ(dialogs, 0u);
    EXPECT_EQ(shown, std::vector<std::string>{"Brio - Error"});
    // Once handed over, the next showing of the page stores what the user made of it.
    session.notify(445107, 221);
    session.host.nullTexts.clear();
    openListPage(session, 99);
    session.notify(445111, 1);
    session.notify(445117, 221);
    EXPECT_EQ(session.host.texts[445006], kOneEntry + "2\x0c" + "10\x0d" + "Nowy\x0e");
}

// "Zmień" puts the fields' entry in place of the row last clicked; before any click, or once that row
// is gone, it changes nothing.
TEST_F(ActionsTest, ChangeReplacesTheClickedRowWhileItIsThere) {
    session.host.texts[445006] = kOneEntry + "1\x0c" + "20\x0d" + "Drugi\x0e";
    openListPage(session, 99);
    session.values = {{445108, "4"}, {445109, "Nowy"}, {445110, "30"}};
    session.notify(445112, 1);
    ASSERT_EQ(headless::listViewRows().size(), 2u);
    EXPECT_EQ(headless::listViewRows()[0].description, "Hej");
    EXPECT_EQ(headless::listViewRows()[1].description, "Drugi");
    ASSERT_TRUE(headless::clickListRow(1));
    session.values = {{445108, "4"}, {445109, "Nowy"}, {445110, "30"}};
    session.notify(445112, 1);
    ASSERT_EQ(headless::listViewRows().size(), 2u);
    EXPECT_EQ(headless::listViewRows()[1].description, "Nowy");
    EXPECT_EQ(headless::listViewRows()[1].seconds, "30");
    EXPECT_EQ(headless::listViewRows()[0].description, "Hej");
    // The picked row deleted: nothing to replace.
    std::vector<std::string> items;
    ASSERT_TRUE(headless::rightClickListRow(1, 2, items)); // "Usuń"
    ASSERT_EQ(headless::listViewRows().size(), 1u);
    session.values = {{445108, "2"}, {445109, "Trzeci"}, {445110, "40"}};
    session.notify(445112, 1);
    ASSERT_EQ(headless::listViewRows().size(), 1u);
    EXPECT_EQ(headless::listViewRows()[0].description, "Hej");
}

// A page whose window is destroyed before it says it closes takes the list view's rows with it: the
// stored list and widths are not overwritten by the empty control left behind.
TEST_F(ActionsTest, AListViewGoneBeforeThePageClosesStoresNothing) {
    session.host.texts[445006] = kOneEntry;
    session.host.texts[445007] = "120|40";
    openListPage(session, 99);
    session.values = {{445108, "2"}, {445109, "Nowy"}, {445110, "5"}};
    session.notify(445111, 1);
    ASSERT_TRUE(headless::destroyListViewWindow());
    session.notify(445117, 221);
    session.notify(445107, 221);
    EXPECT_EQ(session.host.texts[445006], kOneEntry);
    EXPECT_EQ(session.host.texts[445007], "120|40");
    EXPECT_FALSE(headless::listViewExists());
}

// The file dialogs have no owner, so the page can close while one is up: "Zapisz" and "Wczytaj" then
// find no list editor to work on when the dialog returns, and touch no file.
TEST_F(ActionsTest, AListPageClosedWhileAFileDialogIsUpIsLeftAlone) {
    test::TempFolder folder;
    ASSERT_TRUE(folder.made());
    const std::string in = folder.write("in.sts", "status=1\r\ntime=20\r\ntext=x\r\n");
    const std::string out = folder.name("out.sts");
    for (const auto& [button, path] : {std::pair{445113, in}, std::pair{445114, out}}) {
        SCOPED_TRACE(button);
        openListPage(session, 99);
        headless::answerFileDialogs(platform::ChosenFile{path, 1});
        headless::onFileDialog([this](const platform::FileDialogRequest&) { session.notify(445107, 221); });
        session.notify(button, 1);
        headless::onFileDialog(nullptr);
        EXPECT_FALSE(headless::listViewExists());
    }
    EXPECT_FALSE(std::ifstream(out).good());
}

TEST_F(ActionsTest, CancelledFileDialogsChangeNothing) {
    session.host.texts[445006] = kOneEntry;
    openListPage(session, 99);
    const auto rowTexts = [] {
        std::vector<std::string> texts;
        for (const headless::ListViewRow& row : headless::listViewRows())
            texts.push_back(std::to_string(row.image) + "|" + row.description + "|" + row.seconds);
        return texts;
    };
    const std::vector<std::string> rows = rowTexts();
    ASSERT_EQ(rows.size(), 1u);
    size_t dialogs = 0;
    headless::onFileDialog([&](const platform::FileDialogRequest&) { ++dialogs; });
    headless::answerFileDialogs(std::nullopt);
    const size_t mark = session.host.sent.size();
    session.notify(445113, 1);
    session.notify(445114, 1);
    headless::onFileDialog(nullptr);
    EXPECT_EQ(dialogs, 2u);
    EXPECT_EQ(rowTexts(), rows);
    EXPECT_FALSE(headless::importDialogOpen());
    EXPECT_TRUE(session.sentSince(mark).empty());
}

TEST_F(ActionsTest, OneListViewAtATimeAndNoneAfterDeinitialise) {
    const std::string first = openListPage(session, 99);
    const std::string second = openListPage(session, 99);
    EXPECT_NE(first, second);
    EXPECT_EQ(test::le32(headless::listViewWindow()), second);
    session.notify(445107, 221);
    EXPECT_FALSE(headless::listViewExists());
    // Still open when the interface goes: the list view goes with it and leaves its widths.
    openListPage(session, 99);
    session.host.texts.erase(445007);
    session.send(22101);
    EXPECT_FALSE(headless::listViewExists());
    EXPECT_EQ(session.host.texts[445007], "297|55");
}

// --- Records too short for what they would carry ---

TEST_F(ActionsTest, ShortRecordsAreIgnoredAndReadOnlyTheirSize) {
    for (uint16_t size : {2, 5, 6, 10, 14, 17, 18, 22, 26, 29}) {
        for (int32_t id : {445115, 445111, 445201, 445104, 445107}) {
            SCOPED_TRACE(std::to_string(size) + " bytes, id " + std::to_string(id));
            const int32_t code = id == 445104 || id == 445107 ? 220 : 1;
            GuardedRecord record(notificationBytes(size, id, code));
            ASSERT_TRUE(record.ok());
            const std::string before = record.bytes();
            const size_t mark = session.host.sent.size();
            session.notifyRecord(record.data());
            EXPECT_TRUE(session.sentSince(mark).empty());
            EXPECT_EQ(record.bytes(), before);
        }
    }
    EXPECT_TRUE(boxes.empty());
    // The short page notifications did not count as the user on the page.
    EXPECT_EQ(checkboxReads({{445104, 220}, {445105, 221}}), 0u);
}

TEST_F(ActionsTest, ANotificationOfExactlyThirtyBytesIsHandled) {
    GuardedRecord record(notificationBytes(30, 445111, 1));
    ASSERT_TRUE(record.ok());
    session.values = {{445108, "0"}, {445109, ""}, {445110, "10"}}; // each field told at the first asking
    const size_t mark = session.host.sent.size();
    session.notifyRecord(record.data());
    EXPECT_EQ(session.sentSince(mark, 10106).size(), 3u);
    EXPECT_EQ(boxes.size(), 1u);
}

} // namespace
} // namespace brio
