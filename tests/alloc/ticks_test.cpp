// The ticks that run for as long as the messenger does allocate nothing they do not need: a steal tick
// that finds the description unchanged allocates nothing, a feed tick over an unchanged file at most its
// file's buffer (freed again), and a cycling step the same whatever the length of the list. Counted by
// this program's own operator new (host/counting_new.cpp), only while the plug-in's code runs: the
// host's copies and transcript are not the plug-in's.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tick_session.h"

namespace brio::test {
namespace {

std::string pluginPath() {
    const char* plugin = std::getenv("BRIO_PLUGIN");
    return plugin ? plugin : "";
}

// Three networks, one of them the one whose descriptions are cut and spared repeats.
const std::initializer_list<std::string> kNetworks = {
    "network add 15 \"Gadu-Gadu\" description \"moj wlasny opis\"",
    "network add 10 \"Jabber\" description \"w pracy\"",
    "network add 7 \"ICQ\" status 65 description \"zaraz wracam\"",
};

class TickAllocations : public testing::Test {
protected:
    void SetUp() override {
        if (pluginPath().empty()) GTEST_SKIP() << "BRIO_PLUGIN is not set";
        ASSERT_TRUE(host::heap::counting()) << "this program must count its blocks (counting_new.cpp)";
        session = std::make_unique<TickSession>(pluginPath());
        ASSERT_TRUE(session->run(kNetworks)) << session->error();
    }
    void TearDown() override {
        if (!session) return;
        EXPECT_TRUE(session->run({"stop"})) << session->error();
        EXPECT_EQ(session->faults(), 0);
        EXPECT_EQ(session->failures(), 0);
    }

    std::unique_ptr<TickSession> session;
};

TEST_F(TickAllocations, StealTickOfAnUnchangedDescriptionAllocatesNothing) {
    ASSERT_TRUE(session->run({"config Brio/cntIn = 1",
                              "contact add 5 \"Ala\" status 65 description \"opis dluzszy niz krotki bufor\"",
                              "start", "contact 5 use 445101"}))
        << session->error();
    session->advance(10'000); // the first tick after the start
    for (int tick = 0; tick < 3; ++tick) {
        const Allocated a = session->advance(10'000);
        EXPECT_EQ(a.blocks, 0u) << "tick " << tick;
        EXPECT_EQ(a.bytesLeft, 0) << "tick " << tick;
    }
    // The meter sees the plug-in: a longer description than any before takes more memory to keep.
    ASSERT_TRUE(session->run({"contact 5 description \"" + std::string(80, 'x') + "\""})) << session->error();
    EXPECT_GT(session->advance(10'000).blocks, 0u);
    EXPECT_EQ(session->advance(10'000).blocks, 0u);
    ASSERT_TRUE(session->run({"expect network 10 description \"" + std::string(80, 'x') + "\"",
                              "expect copies 0", "contact 5 use 445101"}))
        << session->error();
}

struct FeedCase {
    const char* name;
    const char* file;
    const char* pathKey;
    int32_t action;
    std::string bytes;
    const char* shown; // on network 10, with the format below
};

class FeedTickAllocations : public TickAllocations, public testing::WithParamInterface<FeedCase> {};

TEST_P(FeedTickAllocations, AnUnchangedFileCostsAtMostItsBuffer) {
    const FeedCase& c = GetParam();
    ASSERT_TRUE(writeFile(c.file, c.bytes));
    ASSERT_TRUE(session->run({"config Brio/format = \"Pobieranie {DownSpeed}, wysylanie {UpSpeed} (p2p)\"",
                              std::string("config ") + c.pathKey + " = \"" + c.file + "\"", "start",
                              "use " + std::to_string(c.action)}))
        << session->error();
    session->advance(10'000);
    for (int tick = 0; tick < 3; ++tick) {
        const Allocated a = session->advance(10'000);
        EXPECT_LE(a.blocks, 1u) << "tick " << tick;
        EXPECT_LE(a.bytes, c.bytes.size() + 1) << "tick " << tick;
        EXPECT_EQ(a.bytesLeft, 0) << "tick " << tick;
    }
    ASSERT_TRUE(session->run({std::string("expect network 10 description \"") + c.shown + "\"",
                              "use " + std::to_string(c.action)}))
        << session->error();
    std::remove(c.file);
}

INSTANTIATE_TEST_SUITE_P(
    Ticks, FeedTickAllocations,
    testing::Values(FeedCase{"Emule", "ticks_onlinesig.dat", "Brio/emulePath", 445103,
                             "1|eMule Server|176.9.40.12|4242\n1234.5 kB/s|456.7 kB/s|3\n",
                             "Pobieranie 1234.5 kB/s, wysylanie 456.7 kB/s (p2p)"},
                    FeedCase{"Azureus", "ticks_stats.xml", "Brio/azureusFile", 445119,
                             "<STATS><GLOBAL><DOWNLOAD_SPEED><TEXT>1234.5 kB/s</TEXT></DOWNLOAD_SPEED>"
                             "<UPLOAD_SPEED><TEXT>456.7 kB/s</TEXT></UPLOAD_SPEED></GLOBAL></STATS>",
                             "Pobieranie 1234.5, wysylanie 456.7 (p2p)"}),
    [](const testing::TestParamInfo<FeedCase>& info) { return info.param.name; });

// The allocations of five steps, each entry shown for ten seconds, after the cycle has warmed up.
Allocated cyclingSteps(TickSession& session, int entries) {
    EXPECT_TRUE(session.run({"config Brio/list = \"" + listText(entries) + "\"", "use 445115"}))
        << session.error();
    session.advance(30'000);
    const Allocated a = session.advance(50'000);
    EXPECT_TRUE(session.run({"use 445115"})) << session.error();
    return a;
}

TEST_F(TickAllocations, CyclingStepCostsTheSameWhateverTheListLength) {
    ASSERT_TRUE(session->run({"start"})) << session->error();
    const Allocated shortList = cyclingSteps(*session, 10);
    const Allocated longList = cyclingSteps(*session, 1000);
    EXPECT_EQ(shortList.blocks, longList.blocks);
    EXPECT_EQ(shortList.bytes, longList.bytes);
    EXPECT_EQ(shortList.bytesLeft, 0);
    EXPECT_EQ(longList.bytesLeft, 0);
}

} // namespace
} // namespace brio::test
