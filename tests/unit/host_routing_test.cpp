// The host's side of the messages a plug-in sends, driven directly, without a plug-in loaded.
#include <gtest/gtest.h>

#include <cstring>

#include "boundary/messages.h"
#include "host/messenger/host.h"

namespace brio::host {
namespace {

// Packed records: a field is read by value (gtest would bind a reference to a misaligned field).
int32_t cell(const ValueRecord& v) {
    return v.value;
}

MessageRecord message(int32_t id, int32_t net = 0, int32_t type = 0, int32_t p1 = 0, int32_t p2 = 0) {
    MessageRecord m{};
    m.size = kMessageRecordSize;
    m.id = id;
    m.net = net;
    m.type = type;
    m.p1 = p1;
    m.p2 = p2;
    return m;
}

class HostRouting : public testing::Test {
protected:
    int32_t send(int32_t id, int32_t net = 0, int32_t type = 0, int32_t p1 = 0, int32_t p2 = 0) {
        MessageRecord m = message(id, net, type, p1, p2);
        return host.sendMessage(&m);
    }
    int32_t sendAction(int32_t id, ActionRecord& a) { return send(id, 0, 0, addressOf(&a)); }

    ActionRecord action(int32_t id, int32_t parent, int32_t type, const char* text, int32_t param = 0) {
        ActionRecord a{};
        a.size = kActionLongSize;
        a.id = id;
        a.parent = parent;
        a.reserved = -2;
        a.index = -1;
        a.mask = 863;
        a.type = type;
        a.statusMask = -1;
        a.text = addressOf(text);
        a.param = param;
        return a;
    }
    void registerColumn(int32_t id, const char* key, int32_t kind, int32_t defaultValue) {
        ColumnRecord c{};
        c.size = sizeof c;
        c.id = msg::kRegisterColumn;
        c.column = id;
        c.kind = kind;
        c.defaultValue = defaultValue;
        c.key = addressOf(key);
        EXPECT_EQ(host.sendMessage(reinterpret_cast<MessageRecord*>(&c)), 1);
    }
    std::string lastLine() const { return transcript.lines().empty() ? "" : transcript.lines().back(); }
    // The call's own line, before the fault line that follows it.
    std::string lineBeforeLast() const {
        const auto& lines = transcript.lines();
        return lines.size() < 2 ? "" : lines[lines.size() - 2];
    }

    Transcript transcript;
    Host host{transcript};
};

TEST_F(HostRouting, RegisterColumnAndReadBack) {
    static const char kEmpty[] = "";
    registerColumn(445005, "Brio/emuleTimer", 0, 10);
    registerColumn(445006, "Brio/list", 1, addressOf(kEmpty));
    EXPECT_EQ(lastLine(), "registerColumn 445006 \"Brio/list\" text default \"\" -> 1");
    ValueRecord number{0, 0, 0};
    host.getValue(0, 0, 445005, &number);
    EXPECT_EQ(cell(number), 10);

    std::string text = "0\x01opis\x01"
                       "30";
    ValueRecord write{1, addressOf(text.c_str()), 0};
    host.setValue(0, 0, 445006, &write);
    text = "changed after the call";
    ValueRecord read{1, 0, -1};
    host.getValue(0, 0, 445006, &read);
    EXPECT_STREQ(fromAddress<char>(read.value), "0\x01opis\x01"
                                                "30");

    ValueRecord unknown{0, 5, 0};
    host.getValue(0, 0, 445008, &unknown);
    EXPECT_EQ(cell(unknown), 0);
    EXPECT_EQ(lineBeforeLast(), "getValue config column 445008 (not registered) -> 0");
    EXPECT_EQ(lastLine(), "FAULT: getValue of config column 445008, which was never registered");
    EXPECT_EQ(host.faults(), 1);

    // A column record too short to hold the key is answered 0 and registers nothing.
    ColumnRecord cut{};
    cut.size = 35;
    cut.id = msg::kRegisterColumn;
    cut.column = 445001;
    EXPECT_EQ(host.sendMessage(reinterpret_cast<MessageRecord*>(&cut)), 0);
    EXPECT_EQ(host.config().column(445001), nullptr);
}

TEST_F(HostRouting, RegistryAndSimulatedPlugins) {
    SimulatedPlugin& gg = host.registry().add(15);
    gg.name = "Gadu-Gadu";
    SimulatedPlugin& calc = host.registry().add(0);
    calc.type = 0x08;
    EXPECT_EQ(send(msg::kPluginCount, 0, -1), 3); // the host and two, no plug-in under test loaded
    const int32_t ids[] = {kHostPluginId, gg.id, calc.id, 0, 0};
    for (int32_t i = 0; i < 5; ++i)
        EXPECT_EQ(send(msg::kPluginIdAt, 0, 0, i - (i == 4 ? 5 : 0)), ids[i]) << i;

    MessageRecord q = message(msg::kQueryType);
    EXPECT_EQ(host.sendMessageTo(gg.id, &q), 0x20);
    EXPECT_EQ(host.sendMessageTo(calc.id, &q), 0x08);
    q = message(msg::kQueryNet);
    EXPECT_EQ(host.sendMessageTo(gg.id, &q), 15);
    q = message(msg::kQueryNetName);
    EXPECT_STREQ(fromAddress<char>(host.sendMessageTo(gg.id, &q)), "Gadu-Gadu");
    EXPECT_EQ(host.sendMessageTo(calc.id, &q), 0);
    EXPECT_EQ(host.sendMessageTo(999, &q), 0);
    EXPECT_EQ(lastLine(), "sendMessageTo 999 queryNetName -> 0 (no such plug-in)");
    EXPECT_EQ(host.sendMessageTo(kTestedPluginId, &q), 0); // nothing loaded
}

TEST_F(HostRouting, Networks) {
    SimulatedPlugin& gg = host.registry().add(15);
    gg.name = "Gadu-Gadu";
    gg.description = "rano";
    EXPECT_EQ(send(msg::kNetStatus, 15, -1), 64);
    EXPECT_EQ(send(msg::kNetStatus, 16, -1), 0);
    EXPECT_EQ(send(msg::kNetCapability, 15, 2), 1);
    EXPECT_EQ(send(msg::kNetCapability, 16, 2), 0);
    EXPECT_STREQ(fromAddress<char>(send(msg::kNetDescription, 15, -1)), "rano");
    EXPECT_EQ(send(msg::kNetDescription, 16, -1), 0);
    EXPECT_STREQ(fromAddress<char>(send(msg::kQueryNetName, 15, -1)), "Gadu-Gadu");
    EXPECT_EQ(send(msg::kQueryNetName, 16, -1), 0);

    std::string text = "w pracy";
    EXPECT_EQ(send(msg::kSetNetStatus, 15, 2, -1, addressOf(text.c_str())), 1);
    text = "overwritten by the plug-in";
    EXPECT_EQ(gg.status, 64); // -1 keeps the status
    EXPECT_EQ(gg.description, "w pracy");
    EXPECT_EQ(send(msg::kSetNetStatus, 15, 2, 65, 0), 1);
    EXPECT_EQ(gg.status, 65);
    EXPECT_EQ(gg.description, "w pracy"); // no text keeps the description
    EXPECT_EQ(lastLine(), "setNetStatus net 15 status 65 null -> 1");
    ASSERT_EQ(gg.history.size(), 2u);
    EXPECT_EQ(gg.history[0].status, -1);
    EXPECT_EQ(gg.history[0].description, "w pracy");
    EXPECT_FALSE(gg.history[1].description);
    EXPECT_EQ(send(msg::kSetNetStatus, 16, 2, 65, 0), 0);

    gg.description.reset();
    EXPECT_EQ(send(msg::kNetDescription, 15, -1), 0);
}

TEST_F(HostRouting, ActionValuesIntoBuffersOfEverySize) {
    ActionRecord add = action(445109, 445203, 0xB0040, "abcdef");
    sendAction(msg::kAddAction, add);
    const struct {
        int32_t size;
        const char* written;
    } cases[] = {{1, ""}, {2, "a"}, {4, "abc"}, {6, "abcde"}, {7, "abcdef"}, {100, "abcdef"}};
    for (const auto& c : cases) {
        char buffer[128];
        std::memset(buffer, '#', sizeof buffer);
        ActionRecord get = action(445109, 445203, 0, buffer);
        get.size = kActionShortSize;
        get.mask = 0x10040;
        get.textSize = c.size;
        EXPECT_EQ(sendAction(msg::kGetActionValue, get), 1);
        EXPECT_STREQ(buffer, c.written) << c.size;
        EXPECT_EQ(buffer[std::strlen(c.written) + 1], '#') << c.size; // nothing past the terminating zero
    }
    char untouched[4] = {'#', '#', '#', '#'};
    ActionRecord none = action(445109, 445203, 0, untouched);
    none.textSize = 0;
    sendAction(msg::kGetActionValue, none);
    EXPECT_EQ(untouched[0], '#');

    ActionRecord copy = action(445109, 445203, 0, nullptr);
    EXPECT_STREQ(fromAddress<char>(sendAction(msg::kGetActionValue, copy)), "abcdef");
    ActionRecord missing = action(445999, 445203, 0, nullptr);
    EXPECT_EQ(sendAction(msg::kGetActionValue, missing), 0);
    EXPECT_EQ(host.faults(), 1);
}

// A control of a page that is not open is not there to be read or set.
TEST_F(HostRouting, ControlsOfAClosedPageAreNotThere) {
    ActionRecord page = action(445203, 445201, 0x04000000, "Lista");
    ActionRecord entry = action(445109, 445203, 0xB0040, "abc");
    sendAction(msg::kAddAction, page);
    sendAction(msg::kAddAction, entry);
    ActionRecord get = action(445109, 445203, 0, nullptr);
    EXPECT_EQ(sendAction(msg::kGetActionValue, get), 0);
    EXPECT_EQ(lastLine(), "FAULT: getActionValue of 445109 parent 445203 while its page is closed");
    ActionRecord set = action(445109, 445203, 0, "x");
    EXPECT_EQ(sendAction(msg::kSetActionValue, set), 0);
    EXPECT_EQ(lastLine(), "FAULT: setActionValue of 445109 parent 445203 while its page is closed");
    EXPECT_EQ(host.faults(), 2);
    EXPECT_EQ(host.controlValue(*host.actions().find(445109)), "abc");
}

// A host knows an action by its id under its parent: the same id under another parent is no action
// of its, and a plug-in asking for one is at fault.
TEST_F(HostRouting, ActionsAreFoundUnderTheirParentOnly) {
    ActionRecord add = action(445109, 445203, 0xB0040, "abcdef");
    sendAction(msg::kAddAction, add);
    for (int32_t message : {msg::kModifyAction, msg::kSetActionValue, msg::kGetActionValue}) {
        SCOPED_TRACE(message);
        const int before = host.faults();
        ActionRecord wrong = action(445109, 445201, 0, "x");
        wrong.mask = 0x40; // the caption, for modifyAction
        EXPECT_EQ(sendAction(message, wrong), 0);
        EXPECT_EQ(host.faults(), before + 1);
        EXPECT_NE(lastLine().find(": the plug-in never added that action"), std::string::npos) << lastLine();
    }
    EXPECT_EQ(host.controlValue(host.actions().all()[0]), "abcdef");
    EXPECT_EQ(*host.actions().all()[0].text, "abcdef");
}

TEST_F(HostRouting, ControlsKeepOrBindTheirValues) {
    registerColumn(445005, "Brio/emuleTimer", 0, 10);
    ActionRecord number = action(0, 445202, 0x1A0000, "\x1Amin=10\x1Amax=3600", 445005);
    ActionRecord check = action(445315, 445201, 0x60040, "Gadu-Gadu");
    ActionRecord choice = action(445108, 445203, 0x161040,
                                 "Dost\xEApny\x03"
                                 "1\x02"
                                 "0\nPogadam\x03"
                                 "2\x02"
                                 "1\n");
    sendAction(msg::kAddAction, number);
    sendAction(msg::kAddAction, check);
    sendAction(msg::kAddAction, choice);
    EXPECT_EQ(host.controlValue(host.actions().all()[0]), "10");
    EXPECT_EQ(host.controlValue(host.actions().all()[1]), "1");
    EXPECT_EQ(host.controlValue(host.actions().all()[2]), "0");

    ActionRecord set = action(445315, 445201, 0, "0");
    set.mask = 0x10040;
    sendAction(msg::kSetActionValue, set);
    EXPECT_EQ(host.controlValue(*host.actions().find(445315)), "0");
    host.setControlValue(host.actions().at(0), "25");
    EXPECT_EQ(host.config().readInt(*host.config().column(445005)), 25);

    ActionRecord status = action(445315, 445201, 4, nullptr);
    status.mask = 1;
    sendAction(msg::kModifyAction, status);
    EXPECT_EQ(host.actions().find(445315)->status, 4);
    ActionRecord caption = action(445315, 445201, 0, "GG");
    caption.mask = 0x40;
    sendAction(msg::kModifyAction, caption);
    EXPECT_EQ(host.actions().find(445315)->text, "GG");
    EXPECT_EQ(host.actions().find(445315)->status, 4);

    // A choice selects one of its lines: a value none of them stands for is refused.
    ActionRecord pick = action(445108, 445203, 0, "1");
    EXPECT_EQ(sendAction(msg::kSetActionValue, pick), 1);
    EXPECT_EQ(host.controlValue(*host.actions().find(445108)), "1");
    EXPECT_EQ(host.faults(), 0);
    ActionRecord hostNumber = action(445108, 445203, 0, "64");
    EXPECT_EQ(sendAction(msg::kSetActionValue, hostNumber), 0);
    EXPECT_EQ(host.controlValue(*host.actions().find(445108)), "1");
    EXPECT_EQ(host.faults(), 1);
    EXPECT_FALSE(host.setControlValue(*host.actions().find(445108), "2"));
}

TEST_F(HostRouting, VersionsAndDebugLines) {
    const struct {
        const char* text;
        int32_t number;
    } versions[] = {{"0.7.0.0", 0x00070000},
                    {"1.2.3.4", 0x01020304},
                    {"255.255.255.255", -1},
                    {"", 0},
                    {"3", 0x03000000}};
    for (const auto& v : versions) {
        EXPECT_EQ(versionNumber(v.text), v.number) << v.text;
        if (std::strlen(v.text) == 7 || std::strlen(v.text) == 15) {
            EXPECT_EQ(versionText(v.number), v.text);
        }
    }
    char buffer[20];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(send(msg::kFormatVersion, 0, 0, -1, addressOf(buffer)), 1);
    EXPECT_STREQ(buffer, "255.255.255.255"); // 16 bytes with its zero: the most the host writes
    EXPECT_EQ(buffer[16], '#');
    EXPECT_EQ(send(msg::kFormatVersion, 0, 0, 0x00070000, 0), 0);

    // A debug line is read no further than its buffer.
    char line[8] = {'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h'};
    send(msg::kLogText, 0, 0, addressOf(line), 4);
    EXPECT_EQ(host.lastLog(), "abcd");
    EXPECT_EQ(host.faults(), 1) << "a line that fills its buffer has no terminating zero";
    line[3] = '\0';
    send(msg::kLogText, 0, 0, addressOf(line), 4);
    EXPECT_EQ(host.lastLog(), "abc");
    EXPECT_EQ(host.faults(), 1);
    EXPECT_EQ(send(msg::kPluginMenuGroup, 0, -1), Host::kMenuGroup);

    // A record too short for its parameters, and a message nobody handles.
    MessageRecord cut = message(msg::kLogText, 0, 0, addressOf(line), 4);
    cut.size = 22;
    EXPECT_EQ(host.sendMessage(&cut), 0);
    EXPECT_EQ(lineBeforeLast(), "logText in a short record of 22 bytes -> 0");
    EXPECT_EQ(lastLine(), "FAULT: logText sent in a record of 22 bytes");
    EXPECT_EQ(send(4242, 0, 1), 0);
    EXPECT_EQ(lineBeforeLast(), "unhandled message 4242 net 0 type 1 -> 0");
    EXPECT_EQ(lastLine(), "FAULT: message 4242 is no message a host handles");
    EXPECT_EQ(host.calls("unhandled"), 1);
    EXPECT_EQ(host.faults(), 3);

    // A number where a text's address belongs, and a line without the size of its buffer.
    send(msg::kLogText, 0, 0, 5, 256);
    EXPECT_EQ(lastLine(), "logText \"\"");
    EXPECT_EQ(host.faults(), 4);
    send(msg::kLogText, 0, 0, addressOf("bounded"), 0);
    EXPECT_EQ(host.lastLog(), "bounded");
    EXPECT_EQ(host.faults(), 5);
    ValueRecord number{1, 1, 0};
    host.setValue(0, 0, 445006, &number);
    EXPECT_EQ(host.faults(), 7); // the column is not registered either

    // A message the host handles, sent to a network.
    send(msg::kPluginCount, 15, -1);
    EXPECT_EQ(lineBeforeLast(), "FAULT: pluginCount sent with net 15: the host handles it only with net 0");
    EXPECT_EQ(host.faults(), 8);
}

} // namespace
} // namespace brio::host
