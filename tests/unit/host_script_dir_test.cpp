// Files next to a script: $SCRIPTDIR in the texts of config and set, and transcripts that read the
// same wherever the script lies.
#include <gtest/gtest.h>

#include <string>

#include "host/messenger/host.h"
#include "host/commands/interpreter.h"
#include "host/commands/script.h"
#include "host/common/transcript.h"

namespace brio::host {
namespace {

TEST(HostScriptDir, ExpandsEveryOccurrence) {
    const struct {
        const char* text;
        const char* dir;
        const char* expanded;
    } cases[] = {
        {"$SCRIPTDIR/data/x.dat", "/t/s", "/t/s/data/x.dat"},
        {"$SCRIPTDIR$SCRIPTDIR", "Z:\\s", "Z:\\sZ:\\s"},
        {"a $SCRIPTDIR b", "", "a  b"},
        {"$SCRIPTDI", "/t", "$SCRIPTDI"},
        {"$scriptdir", "/t", "$scriptdir"},
        {"$$SCRIPTDIRR", "/t", "$/tR"},
        {"", "/t", ""},
        // The folder's own text is not looked at again.
        {"$SCRIPTDIR/x", "$SCRIPTDIR", "$SCRIPTDIR/x"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(expandScriptDir(c.text, c.dir), c.expanded) << c.text;
}

TEST(HostScriptDir, ConfigTextsTakeTheFolder) {
    Transcript transcript;
    Host host(transcript);
    Interpreter in(host, "t.brio");
    in.setScriptDir("/scenarios");
    ASSERT_TRUE(in.run("config Brio/emulePath = \"$SCRIPTDIR/data/onlinesig.dat\"", 1)) << in.error();
    ASSERT_NE(host.config().stored("Brio/emulePath"), nullptr);
    EXPECT_EQ(*host.config().stored("Brio/emulePath"), "/scenarios/data/onlinesig.dat");
    // The command line itself stays as written.
    EXPECT_EQ(transcript.lines().back(), "$ config Brio/emulePath = \"$SCRIPTDIR/data/onlinesig.dat\"");
}

TEST(HostScriptDir, TranscriptLinesShowTheAlias) {
    Transcript transcript;
    transcript.setAlias("Z:\\\\work\\\\tests", "$SCRIPTDIR");
    transcript.plain("getValue -> \"Z:\\\\work\\\\tests/data/a\" and \"Z:\\\\work\\\\tests\"");
    transcript.always("nothing to replace");
    transcript.setAlias("ab", "abab"); // a longer alias that holds the folder: replaced once each
    transcript.line("ab-ab");
    transcript.setAlias("", "x");
    transcript.plain("ab");
    EXPECT_EQ(transcript.lines(),
              (std::vector<std::string>{"getValue -> \"$SCRIPTDIR/data/a\" and \"$SCRIPTDIR\"",
                                        "nothing to replace", "abab-abab", "ab"}));
}

} // namespace
} // namespace brio::host
