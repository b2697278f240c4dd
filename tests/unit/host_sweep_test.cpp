// The failure sweeps' judgement: what the user keeps, read from the host, and a run's end against the
// runs without failures; the report a run sends back; the steps' text.
#include <gtest/gtest.h>

#include "host/commands/sweep.h"
#include "host/common/transcript.h"
#include "host/messenger/host.h"
#include "temp_folder.h"

namespace brio::host {
namespace {

TEST(HostSweepKept, NetworksEndWithTheirOwnWhereARecordGivesItBack) {
    const struct {
        const char* keptOwn;
        const char* shows; // what network 10 (or 20, where the setting names it) shows now
        int32_t status;    // ... and its status
        const char* expected;
    } cases[] = {
        // Still Brio's last write: the record gives the own description back, the status stays.
        {"K1|10|65|0|5:przed|4:cykl|", "cykl", 64, "status 64, description \"przed\""},
        // Hidden by Brio: the own status comes back with it; hidden by the user: his hidden status stays.
        {"K1|10|65|1|5:przed|4:cykl|", "cykl", 66, "status 65, description \"przed\""},
        {"K1|10|65|0|5:przed|4:cykl|", "cykl", 66, "status 66, description \"przed\""},
        // The user wrote over it: his latest stays, the record goes.
        {"K1|10|65|0|5:przed|4:cykl|", "mój", 64, "status 64, description \"mój\""},
        // A record of another network, none, and a text Brio never writes: what it shows.
        {"K1|15|65|0|5:przed|4:cykl|", "cykl", 64, "status 64, description \"cykl\""},
        {"", "cykl", 64, "status 64, description \"cykl\""},
        {"K1|10|65|0|99:przed|4:cykl|", "cykl", 64, "status 64, description \"cykl\""},
        // Network 20 is never given anything back, whatever the setting names.
        {"K1|20|65|0|5:przed|4:cykl|", "cykl", 64, "status 64, description \"cykl\""},
    };
    for (const auto& c : cases) {
        Transcript transcript;
        Host host(transcript);
        const int32_t net = std::string_view(c.keptOwn).starts_with("K1|20|") ? 20 : 10;
        SimulatedPlugin& network = host.registry().add(net);
        network.description = std::string(c.shows);
        network.status = c.status;
        SimulatedPlugin& other = host.registry().add(12);
        other.type = 0; // no network: nothing to show
        host.config().set("Brio/keptOwn", c.keptOwn);
        test::TempFolder folder;
        const Kept kept = keptState(host, folder.name(""));
        EXPECT_EQ(kept.at("shown " + std::to_string(net)), c.expected) << c.keptOwn << " / " << c.shows;
        EXPECT_EQ(kept.count("shown 12"), 0u);
    }
}

TEST(HostSweepKept, ChoicesByNetworkTheListAndTheFiles) {
    Transcript transcript;
    Host host(transcript);
    test::TempFolder folder;
    ASSERT_TRUE(folder.made());
    folder.write("a.sts", std::string("x\0y", 3));
    std::filesystem::create_directories(folder.name("sub"));
    folder.write("sub/b.txt", "");
    // The list as the plug-in reads it: a time under 10 s reads as 10 s.
    host.config().set("Brio/list", std::string("0\x0C") + "5\x0D" + "a\x0E");
    // Networks with a name, but 20 and those without one; one the choices do not name is switched on,
    // and one they name that the messenger no longer has is not judged.
    for (int32_t net : {15, 10, 12, 20, 7})
        host.registry().add(net).name = net == 7 ? std::nullopt : std::optional<std::string>("sieć");
    host.config().set("Brio/netChange", "15|0|10|1|3|0|");
    Kept kept = keptState(host, folder.name(""));
    EXPECT_EQ(kept, (Kept{{"choice 10", "1"},
                          {"choice 12", "1"},
                          {"choice 15", "0"},
                          {"config Brio/list", std::string("0\x0C") + "10\x0D" + "a\x0E"},
                          {"file a.sts", std::string("x\0y", 3)},
                          {"file sub/b.txt", ""},
                          {"shown 10", "status 64, description \"\""},
                          {"shown 12", "status 64, description \"\""},
                          {"shown 15", "status 64, description \"\""},
                          {"shown 20", "status 64, description \"\""},
                          {"shown 7", "status 64, description \"\""}}));
    // Nothing stored yet: every network is switched on.
    host.config().set("Brio/netChange", "");
    EXPECT_EQ(keptState(host, folder.name("sub")).at("choice 15"), "1");
    // Choices that are not whole pairs are judged as the bytes stored.
    for (const char* text : {"15|1|10", "|1|", "15|1|10|"}) {
        host.config().set("Brio/netChange", text);
        kept = keptState(host, folder.name("sub"));
        EXPECT_EQ(kept.at("config Brio/netChange"), text);
        EXPECT_EQ(kept.count("choice 15"), 0u) << text;
    }
}

TEST(HostSweepJudge, AnItemMustEndAsInOneReference) {
    const Kept whole = {{"config Brio/list", "W"}, {"file a", "1"}};
    const Kept leftOut = {{"config Brio/list", "L"}};
    const Kept stored = {{"config Brio/list", "S"}};
    const std::vector<Reference> references = {{&whole, "as without failures"},
                                               {&leftOut, "as without the failing step"},
                                               {&stored, "as stored", true}};
    const struct {
        Kept end;
        std::vector<std::string> lost; // the items named, in order
    } cases[] = {
        {{{"config Brio/list", "W"}, {"file a", "1"}}, {}},
        {{{"config Brio/list", "L"}}, {}},                  // the file as without the step
        {{{"config Brio/list", "S"}, {"file a", "1"}}, {}}, // as stored when it failed
        {{{"config Brio/list", "X"}, {"file a", "1"}}, {"config Brio/list"}},
        {{{"file a", "1"}}, {"config Brio/list"}},                                  // the list gone
        {{{"config Brio/list", "W"}, {"file a", "2"}}, {"file a"}},                 // a file written in part
        {{{"config Brio/list", "W"}, {"file a", "1"}, {"file b", ""}}, {"file b"}}, // a file left behind
        {{}, {"config Brio/list"}}, // the list gone; the file as without the failing step
    };
    for (const auto& c : cases) {
        const std::vector<std::string> lost = lostKept(c.end, references);
        ASSERT_EQ(lost.size(), c.lost.size()) << (lost.empty() ? "" : lost[0]);
        for (size_t i = 0; i < lost.size(); ++i)
            EXPECT_EQ(lost[i].rfind(c.lost[i] + " is ", 0), 0u) << lost[i];
    }
    // A network may end as the user last left it himself, and only so: his latest is not judged itself.
    const Kept shownWhole = {{"shown 15", "status 64, description \"own\""}};
    for (const auto& [shows, lost] : {std::pair{"status 66, description \"own\"", 0u},
                                      std::pair{"status 66, description \"Brio\"", 1u}}) {
        const Kept end = {{"shown 15", shows}, {"user's latest 15", "status 66, description \"own\""}};
        EXPECT_EQ(lostKept(end, {{&shownWhole, "as meant"}}).size(), lost) << shows;
    }
    // A partial reference judges only what it holds: a file gone is not as it "was" there.
    const Kept none;
    EXPECT_EQ(lostKept({}, {{&whole, "as meant"}, {&none, "as stored", true}}).size(), 2u);
    EXPECT_EQ(lostKept({}, {{&whole, "as meant"}, {&none, "as stored", false}}).size(), 0u);
}

TEST(HostSweepReport, TravelsWhole) {
    RunReport report;
    report.places = 123456789012ull;
    report.failureCame = true;
    report.failedStep = 17;
    report.notRun = {3, 18, 40};
    report.faults = {"FAULT: one", ""};
    report.atFailure = {{"file \n x", std::string("\0\n9 ", 4)}};
    report.atEnd = {{"config Brio/list", ""}, {"shown 10", "status 64"}};
    const std::string bytes = encodeReport(report);
    RunReport back;
    ASSERT_TRUE(decodeReport(bytes, back));
    EXPECT_EQ(back.places, report.places);
    EXPECT_EQ(back.failureCame, true);
    EXPECT_EQ(back.failedStep, 17u);
    EXPECT_EQ(back.notRun, report.notRun);
    EXPECT_EQ(back.faults, report.faults);
    EXPECT_EQ(back.atFailure, report.atFailure);
    EXPECT_EQ(back.atEnd, report.atEnd);
    // Cut anywhere (a run that ended while writing it), or with a field no run writes, it is refused.
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        RunReport part;
        EXPECT_FALSE(decodeReport(std::string_view(bytes).substr(0, cut), part)) << cut;
    }
    for (const char* bad : {"p 1\nx. 0\n", "p 0\n. 0\n", "s 2\n1a. 0\n", "u 3\n1,,. 0\n", "z 0\n. 0\n",
                            "e 1\nn. 0\n", ". 0\np 1\n1"}) {
        RunReport odd;
        EXPECT_FALSE(decodeReport(bad, odd)) << bad;
    }
}

TEST(HostSweepSteps, ReadAndWritten) {
    const struct {
        const char* text;
        std::optional<std::set<uint64_t>> steps;
    } cases[] = {
        {"", std::set<uint64_t>{}},
        {"3", std::set<uint64_t>{3}},
        {"12,3,7", std::set<uint64_t>{3, 7, 12}},
        {"18446744073709551615", std::nullopt}, // 20 digits
        {"3,", std::nullopt},
        {",3", std::nullopt},
        {"3,,7", std::nullopt},
        {"-1", std::nullopt},
        {"3 ", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parseSteps(c.text), c.steps) << c.text;
        if (c.steps) {
            EXPECT_EQ(parseSteps(stepsText(*c.steps)), c.steps) << c.text;
        }
    }
    EXPECT_EQ(stepsText({12, 3, 7}), "3,7,12");
}

} // namespace
} // namespace brio::host
