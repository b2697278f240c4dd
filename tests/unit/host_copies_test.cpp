// The accounting of the texts the host hands out: what was never given back, or given back twice.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "host/messenger/host.h"

namespace brio::host {
namespace {

// Packed records: a field is read by value (gtest would bind a reference to a misaligned field).
int32_t cell(const ValueRecord& v) {
    return v.value;
}

TEST(HostCopies, LedgerTellsReleasesApart) {
    CopyLedger ledger;
    char* a = ledger.handOut("Ala", "contact 5 name");
    char* b = ledger.handOut(std::string("x\0y", 3), "contact 6 description");
    EXPECT_STREQ(a, "Ala");
    EXPECT_EQ(std::memcmp(b, "x\0y\0", 4), 0);
    EXPECT_EQ(ledger.lastNumber(), 2);
    ASSERT_EQ(ledger.outstanding().size(), 2u);
    EXPECT_EQ(ledger.outstanding()[0].label, "contact 5 name");

    CopyLedger::Copy copy{};
    EXPECT_EQ(ledger.release(a, copy), CopyLedger::Release::Ok);
    EXPECT_EQ(copy.number, 1);
    EXPECT_STREQ(a, "\xDD\xDD\xDD") << "a released text is not there to be read any more";
    EXPECT_EQ(ledger.release(a, copy), CopyLedger::Release::Twice);
    EXPECT_EQ(copy.number, 1);
    const char stray[] = "not ours";
    EXPECT_EQ(ledger.release(stray, copy), CopyLedger::Release::Unknown);

    ASSERT_EQ(ledger.outstanding().size(), 1u);
    EXPECT_EQ(ledger.outstanding()[0].number, 2);
    ledger.forget();
    EXPECT_TRUE(ledger.outstanding().empty());
}

ValueRecord textRequest() {
    return ValueRecord{1, 0, -1};
}

// A stale pointer given back after a newer copy of the same size was handed out: a released block is
// never reused, so the stale release is a second release and the newer copy stays outstanding.
TEST(HostCopies, AStaleReleaseIsNotTakenForANewerCopy) {
    CopyLedger ledger;
    CopyLedger::Copy copy{};
    for (int round = 0; round < 50; ++round) {
        char* first = ledger.handOut("opis", "contact 5 description");
        ASSERT_EQ(ledger.release(first, copy), CopyLedger::Release::Ok);
        char* second = ledger.handOut("opis", "contact 5 description");
        EXPECT_NE(second, first);
        EXPECT_EQ(ledger.release(first, copy), CopyLedger::Release::Twice);
        ASSERT_EQ(ledger.outstanding().size(), 1u);
        EXPECT_EQ(ledger.outstanding()[0].number, copy.number + 1);
        ASSERT_EQ(ledger.release(second, copy), CopyLedger::Release::Ok);
    }
}

TEST(HostCopies, ContactTextsAreFreshCopiesAndCounted) {
    Transcript transcript;
    Host host(transcript);
    Contact& ala = host.contacts().add(5);
    ala.name = "Ala";
    ala.status = 65;
    ala.description = "opis";

    ValueRecord name = textRequest();
    ValueRecord again = textRequest();
    host.getValue(1, 5, kContactName, &name);
    host.getValue(1, 5, kContactName, &again);
    ASSERT_NE(cell(name), 0);
    EXPECT_NE(cell(name), cell(again)); // every read is its own copy
    EXPECT_STREQ(fromAddress<char>(name.value), "Ala");
    ValueRecord status{0, 0, 0};
    host.getValue(1, 5, kContactStatus, &status);
    EXPECT_EQ(cell(status), 65);
    ValueRecord missing = textRequest();
    host.getValue(1, 6, kContactName, &missing);
    EXPECT_EQ(cell(missing), 0);
    EXPECT_EQ(host.copies().outstanding().size(), 2u);

    host.releaseString(fromAddress<char>(name.value));
    EXPECT_EQ(host.faults(), 0);
    host.releaseString(fromAddress<char>(name.value));
    EXPECT_EQ(host.faults(), 1);
    char stray[] = "stray";
    host.releaseString(stray);
    EXPECT_EQ(host.faults(), 2);
    host.releaseString(nullptr);
    EXPECT_EQ(host.faults(), 2);
    host.releaseString(fromAddress<char>(again.value));
    EXPECT_TRUE(host.copies().outstanding().empty());

    const auto& lines = transcript.lines();
    const std::vector<std::string> expected = {
        "getValue contact 5 name -> \"Ala\" (copy 1)",
        "getValue contact 5 name -> \"Ala\" (copy 2)",
        "getValue contact 5 status -> 65",
        "getValue contact 6 name -> 0 (no such contact)",
        "releaseString copy 1",
        "releaseString copy 1 again",
        "FAULT: copy 1 (contact 5 name) released twice",
        "releaseString of a text the host did not hand out",
        "FAULT: releaseString of a text that is not a copy from getValue",
        "releaseString null",
        "releaseString copy 2",
    };
    EXPECT_EQ(lines, expected);
}

// Copies still held when the plug-in stops are faults. Needs the plug-in (BRIO_PLUGIN, set by ctest).
TEST(HostCopies, CopiesNeverReleasedAreFaultsAtStop) {
    const char* plugin = std::getenv("BRIO_PLUGIN");
    if (!plugin) GTEST_SKIP() << "BRIO_PLUGIN is not set";
    Transcript transcript;
    Host host(transcript);
    host.setPluginPath(plugin);
    host.contacts().add(5).name = "Ala";
    std::string error;
    ASSERT_TRUE(host.start(error)) << error;
    ValueRecord name = textRequest();
    host.getValue(1, 5, kContactName, &name); // as the plug-in would, and then it forgets the copy
    host.stop();
    EXPECT_EQ(host.faults(), 1);
    EXPECT_EQ(transcript.lines().back(), "plug-in unloaded");
    const auto& lines = transcript.lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "FAULT: copy 1 (contact 5 name) never released"),
              lines.end());
    EXPECT_TRUE(host.copies().outstanding().empty());
}

} // namespace
} // namespace brio::host
