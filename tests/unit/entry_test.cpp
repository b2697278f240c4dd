// The entry point as a host sees it: identity, errors, the start and stop sequence, short records.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "boundary/messages.h"
#include "boundary/settings.h"
#include "fake_networks.h"
#include "platform/headless/driver.h"
#include "plugin/plugin.h"

namespace brio {
namespace {

using test::FakeHost;

int32_t call(int32_t id, int32_t p1 = 0, int32_t p2 = 0) {
    MessageRecord m{};
    m.size = kMessageRecordSize;
    m.id = id;
    m.p1 = p1;
    m.p2 = p2;
    return dispatchMessage(&m);
}

// A record of `size` bytes taken from the front of a full message record, copied into a buffer of
// exactly that size so that a read past it is a read past the allocation.
int32_t callShort(int32_t id, uint16_t size, int32_t p1) {
    MessageRecord m{};
    m.size = size;
    m.id = id;
    m.p1 = p1;
    std::vector<uint8_t> bytes(size < 2 ? 2 : size);
    std::memcpy(bytes.data(), &m, bytes.size());
    return dispatchMessage(bytes.data());
}

class EntryTest : public ::testing::Test {
protected:
    void SetUp() override { headless::reset(); }
    void TearDown() override {
        call(msg::kDeinitialise);
        call(msg::kPluginEnd);
        headless::reset();
    }
    void start() { ASSERT_EQ(call(msg::kPluginStart, addressOf(static_cast<IHostControl*>(&host))), 1); }
    // The list cycling menu item activated, in a notification record of exactly 30 bytes.
    int32_t switchCycling() {
        ActionNotifyRecord n{};
        n.size = 30;
        n.id = 445115;
        n.code = 1;
        std::vector<uint8_t> bytes(30);
        std::memcpy(bytes.data(), &n, sizeof n);
        return call(msg::kActionNotify, addressOf(bytes.data()));
    }

    FakeHost host;
};

TEST_F(EntryTest, IdentityAnswersNeedNoHostAndKeepTheirAddress) {
    const int32_t version = call(msg::kQueryVersion);
    EXPECT_STREQ(fromAddress<const char>(version), "0.7.0.0");
    EXPECT_STREQ(fromAddress<const char>(call(msg::kQuerySignature)), "Br");
    EXPECT_STREQ(fromAddress<const char>(call(msg::kQueryName)), "Brio");
    EXPECT_EQ(call(msg::kQueryNet), 445);
    EXPECT_EQ(call(msg::kQueryType), 24);
    start();
    EXPECT_EQ(call(msg::kQueryVersion), version);
    const int32_t name = call(msg::kQueryName);
    EXPECT_EQ(call(msg::kQueryName), name);
    EXPECT_EQ(call(msg::kQuerySignature), call(msg::kQuerySignature));
    EXPECT_EQ(call(msg::kPluginProbe), 2);
    EXPECT_TRUE(host.sent.empty());
    EXPECT_TRUE(host.errors.empty());
}

TEST_F(EntryTest, UnknownMessagesReportAnErrorOnlyWhileAHostIsHeld) {
    EXPECT_EQ(call(30014), 0); // no host yet: nothing to tell
    start();
    for (int32_t id : {30014, 30015, 12345, -1, 0})
        EXPECT_EQ(call(id), 0) << id;
    EXPECT_EQ(host.errors, (std::vector<int>{1, 1, 1, 1, 1}));
    EXPECT_EQ(call(msg::kQueryNetName), 0);
    EXPECT_EQ(host.errors.size(), 5u); // 30017 is known
    EXPECT_EQ(call(msg::kPluginEnd), 1);
    EXPECT_EQ(call(30014), 0);
    EXPECT_EQ(host.errors.size(), 5u);
    EXPECT_TRUE(host.sent.empty());
}

TEST_F(EntryTest, InitialiseRegistersTheListViewClass) {
    start();
    EXPECT_EQ(call(msg::kInitialise), 1);
    EXPECT_TRUE(headless::commonControlsReady());
}

TEST_F(EntryTest, RegisterSettingsSendsTheElevenColumns) {
    start();
    EXPECT_EQ(call(msg::kRegisterSettings), 1);
    struct Expected {
        int32_t column;
        const char* key;
        int32_t kind;
        int32_t defaultInt; // for integers
    };
    const Expected expected[] = {
        {445001, "Brio/cntIn", 0, 0},       {445002, "Brio/netChange", 1, 0},
        {445003, "Brio/emulePath", 1, 0},   {445004, "Brio/format", 1, 0},
        {445005, "Brio/emuleTimer", 0, 10}, {445006, "Brio/list", 1, 0},
        {445007, "Brio/colWidth", 1, 0},    {445010, "Brio/order", 0, 0},
        {445011, "Brio/onListEnd", 0, 0},   {445012, "Brio/azureusFile", 1, 0},
        {445013, "Brio/keptOwn", 1, 0},
    };
    ASSERT_EQ(host.sent.size(), 11u);
    for (size_t i = 0; i < 11; ++i) {
        const std::string& bytes = host.sent[i].bytes;
        ASSERT_EQ(bytes.size(), 39u);
        ColumnRecord c;
        std::memcpy(&c, bytes.data(), 39);
        EXPECT_EQ(uint16_t{c.size}, 39); // copies of packed fields throughout
        EXPECT_EQ(int32_t{c.id}, 1102);
        EXPECT_EQ(std::string(bytes.substr(6, 17)), std::string(17, '\0')) << "header and table";
        EXPECT_EQ(int32_t{c.column}, expected[i].column);
        EXPECT_EQ(int32_t{c.kind}, expected[i].kind);
        EXPECT_STREQ(fromAddress<const char>(c.key), expected[i].key);
        if (c.kind == 1)
            EXPECT_STREQ(fromAddress<const char>(c.defaultValue), "");
        else
            EXPECT_EQ(int32_t{c.defaultValue}, expected[i].defaultInt);
        EXPECT_EQ(host.sent[i].target, -1);
    }
}

TEST_F(EntryTest, DeinitialiseTwiceDoesNothingTheSecondTime) {
    start();
    call(msg::kRegisterSettings);
    EXPECT_EQ(call(msg::kBuildInterface), 1);
    host.texts[setting::kNetChange] = "changed behind the plug-in's back";
    EXPECT_EQ(call(msg::kDeinitialise), 1);
    EXPECT_EQ(host.texts[setting::kNetChange], ""); // the (empty) network choices were stored
    host.sent.clear();
    EXPECT_EQ(call(msg::kDeinitialise), 1);
    EXPECT_TRUE(host.sent.empty());
}

TEST_F(EntryTest, ChoicesRoundTripThroughBuildAndDeinitialise) {
    test::FakeNetworks nets(host);
    nets.addNetwork(15);
    nets.addNetwork(10);
    for (const char* stored : {"15|1|10|0|", ""}) {
        host.texts[setting::kNetChange] = stored;
        start();
        call(msg::kBuildInterface);
        call(msg::kDeinitialise);
        call(msg::kPluginEnd);
        EXPECT_EQ(host.texts[setting::kNetChange], *stored ? stored : "15|1|10|1|");
    }
}

TEST_F(EntryTest, ASecondBuildInterfaceEndsTheFirstAsDeinitialiseWould) {
    test::FakeNetworks nets(host);
    nets.addNetwork(15);
    nets.addNetwork(10);
    nets.networks[10].description = "before";
    host.texts[setting::kList] = "0\x0c"
                                 "10\x0d"
                                 "cycled\x0e";
    host.texts[setting::kNetChange] = "15|0|10|1|";
    start();
    call(msg::kBuildInterface);
    switchCycling();
    EXPECT_EQ(nets.networks[10].description, "cycled");
    host.texts[setting::kNetChange] = "changed behind the plug-in's back";
    call(msg::kBuildInterface);
    EXPECT_EQ(headless::runningTimers(), 0u);
    EXPECT_EQ(nets.networks[10].description, "before");
    // The first interface stored its choices before the second read them.
    EXPECT_EQ(host.texts[setting::kNetChange], "15|0|10|1|");
    EXPECT_EQ(switchCycling(), 0);
    EXPECT_EQ(nets.networks[10].description, "cycled");
    EXPECT_EQ(headless::runningTimers(), 1u);
    call(msg::kDeinitialise);
    EXPECT_EQ(host.texts[setting::kNetChange], "15|0|10|1|");
}

TEST_F(EntryTest, ShortRecordsCarryNoParameters) {
    // pluginStart without its parameter keeps no host.
    EXPECT_EQ(callShort(msg::kPluginStart, 29, addressOf(static_cast<IHostControl*>(&host))), 0);
    EXPECT_EQ(call(30014), 0);
    EXPECT_TRUE(host.errors.empty());
    start();
    // Records too short to hold even the id are unknown messages.
    for (uint16_t size : {0, 1, 2, 5})
        EXPECT_EQ(callShort(msg::kQueryNet, size, 0), 0);
    EXPECT_EQ(host.errors.size(), 4u);
    // The id alone is enough for what needs no parameter.
    EXPECT_EQ(callShort(msg::kQueryNet, 6, 0), 445);
    // An action notification one byte short of its parameter is not acted on, even where the whole
    // record would start cycling.
    test::FakeNetworks nets(host);
    nets.addNetwork(10);
    host.texts[setting::kList] = "0\x0c"
                                 "10\x0d"
                                 "cycled\x0e";
    call(msg::kBuildInterface);
    ActionNotifyRecord n{};
    n.size = 30;
    n.id = 445115;
    n.code = 1;
    EXPECT_EQ(callShort(msg::kActionNotify, 29, addressOf(&n)), 0);
    EXPECT_EQ(headless::runningTimers(), 0u);
    EXPECT_EQ(nets.networks[10].description, "");
    EXPECT_EQ(callShort(msg::kActionNotify, 30, addressOf(&n)), 0);
    EXPECT_EQ(nets.networks[10].description, "cycled");
    call(msg::kDeinitialise);
    EXPECT_EQ(callShort(msg::kPluginEnd, 6, 0), 1);
    EXPECT_EQ(call(30014), 0);
    EXPECT_EQ(host.errors.size(), 4u);
}

TEST_F(EntryTest, ActionNotifyBeforeBuildInterfaceIsIgnored) {
    start();
    EXPECT_EQ(switchCycling(), 0);
    EXPECT_TRUE(host.sent.empty());
}

TEST_F(EntryTest, DeinitialiseWhileCyclingRestoresAndStopsTheTimer) {
    test::FakeNetworks nets(host);
    nets.addNetwork(10);
    nets.networks[10].description = "before";
    host.texts[setting::kList] = "0\x0c"
                                 "10\x0d"
                                 "cycled\x0e";
    start();
    call(msg::kBuildInterface);
    switchCycling();
    EXPECT_EQ(nets.networks[10].description, "cycled");
    EXPECT_EQ(headless::runningTimers(), 1u);
    call(msg::kDeinitialise);
    EXPECT_EQ(headless::runningTimers(), 0u);
    EXPECT_EQ(plugin().controller, nullptr);
    EXPECT_EQ(nets.networks[10].description, "before");
    headless::advance(60000); // a tick would reach a controller that is gone
    EXPECT_EQ(nets.networks[10].description, "before");
}

// A host that ends the plug-in without deinitialise hears nothing more from it: no timer runs on.
TEST_F(EntryTest, PluginEndWhileCyclingStopsEveryTimerWithoutAWordToTheHost) {
    test::FakeNetworks nets(host);
    nets.addNetwork(10);
    host.texts[setting::kList] = "0\x0c"
                                 "10\x0d"
                                 "one\x0e"
                                 "0\x0c"
                                 "10\x0d"
                                 "two\x0e";
    start();
    call(msg::kBuildInterface);
    switchCycling();
    EXPECT_EQ(nets.networks[10].description, "one");
    host.sent.clear();
    host.texts[setting::kNetChange] = "kept";
    EXPECT_EQ(call(msg::kPluginEnd), 1);
    EXPECT_EQ(headless::runningTimers(), 0u);
    headless::advance(60000);
    EXPECT_TRUE(host.sent.empty());
    EXPECT_EQ(nets.networks[10].description, "one");
    EXPECT_EQ(host.texts[setting::kNetChange], "kept");
    EXPECT_EQ(call(msg::kDeinitialise), 1); // nothing left to end
    EXPECT_TRUE(host.sent.empty());
}

TEST_F(EntryTest, NoListTextStartsNoCycle) {
    test::FakeNetworks nets(host);
    nets.addNetwork(10);
    host.nullTexts.insert(setting::kList);
    start();
    call(msg::kBuildInterface);
    host.log.clear();
    switchCycling();
    ASSERT_EQ(host.log.size(), 2u);
    EXPECT_EQ(host.log[1], "txt = 0");
    EXPECT_TRUE(nets.sets.empty());
    EXPECT_EQ(headless::runningTimers(), 0u);
}

} // namespace
} // namespace brio
