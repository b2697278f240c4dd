// The command language: words and quoted texts, numbers, and lines that cannot be run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "boundary/messages.h"
#include "host/messenger/host.h"
#include "host/commands/interpreter.h"
#include "host/commands/script.h"

namespace brio::host {
namespace {

std::vector<Token> words(const char* line) {
    std::vector<Token> tokens;
    std::string error;
    EXPECT_TRUE(tokenize(line, tokens, error)) << line << ": " << error;
    return tokens;
}

std::string tokenError(const char* line) {
    std::vector<Token> tokens;
    std::string error;
    EXPECT_FALSE(tokenize(line, tokens, error)) << line;
    return error;
}

TEST(HostScript, SplitsWordsAndTexts) {
    EXPECT_TRUE(words("").empty());
    EXPECT_TRUE(words("   \t").empty());
    EXPECT_TRUE(words("# a comment \"unterminated").empty());
    EXPECT_TRUE(words("  # indented comment").empty());

    auto t = words("config Brio/list = \"a b\"");
    ASSERT_EQ(t.size(), 4u);
    EXPECT_EQ(t[0].text, "config");
    EXPECT_FALSE(t[0].quoted);
    EXPECT_EQ(t[3].text, "a b");
    EXPECT_TRUE(t[3].quoted);

    t = words("echo a#b  \"\"\r");
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[1].text, "a#b");
    EXPECT_EQ(t[2].text, "");
    EXPECT_TRUE(t[2].quoted);
}

TEST(HostScript, TextsBecomeCodePage1250) {
    const struct {
        const char* line; // UTF-8, as in a script file
        std::string bytes;
    } cases[] = {
        {"\"za\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87\"", "zażółć"},
        {"\"a\\\"b\"", "a\"b"},
        {"\"back\\\\slash\"", "back\\slash"},
        {"\"line\\nnext\\ttab\"", "line\nnext\ttab"},
        {"\"\\x1Amin=10\"", "\x1Amin=10"},
        {"\"\\xff\\x00!\"", std::string("\xFF\0!", 3)},
        {"\"\\xC4\\x99\"", "\xC4\x99"},  // \xNN is a byte as it is, not UTF-8
        {"Dost\xC4\x99pny", "Dostępny"}, // words too
    };
    for (const auto& c : cases) {
        const auto t = words(c.line);
        ASSERT_EQ(t.size(), 1u) << c.line;
        EXPECT_EQ(t[0].text, c.bytes) << c.line;
    }
}

TEST(HostScript, BadTextsSayWhy) {
    EXPECT_EQ(tokenError("echo \"abc"), "the text has no closing quote");
    EXPECT_EQ(tokenError("echo \"abc\\"), "the text has no closing quote");
    EXPECT_EQ(tokenError("echo \"a\\qb\""), "bad escape \\q (use \\\" \\\\ \\n \\r \\t or \\xNN)");
    EXPECT_EQ(tokenError("echo \"\\x4\""), "bad escape \\x (use \\\" \\\\ \\n \\r \\t or \\xNN)");
    EXPECT_EQ(tokenError("echo \"a\"b"), "a closing quote must end the word");
    EXPECT_EQ(tokenError("echo ab\"c\""), "a quote inside a word (put a space before the text)");
    EXPECT_EQ(tokenError("echo \"\xC3\xA8\""), "U+00E8 has no code page 1250 byte");
    EXPECT_EQ(tokenError("echo \"\xC3\""), "malformed UTF-8");
}

TEST(HostScript, Numbers) {
    const struct {
        const char* word;
        bool ok;
        int32_t value;
    } cases[] = {
        {"0", true, 0},
        {"445", true, 445},
        {"-1", true, -1},
        {"2147483647", true, 2147483647},
        {"-2147483648", true, INT32_MIN},
        {"2147483648", false, 0},
        {"0x20", true, 32},
        {"0XfF", true, 255},
        {"0xFFFFFFFF", true, -1},
        {"0x100000000", false, 0},
        {"0x", false, 0},
        {"", false, 0},
        {"-", false, 0},
        {"12a", false, 0},
        {"+5", false, 0},
        {"99999999999", false, 0},
    };
    for (const auto& c : cases) {
        int32_t v = 12345;
        EXPECT_EQ(parseNumber(c.word, v), c.ok) << c.word;
        if (c.ok) {
            EXPECT_EQ(v, c.value) << c.word;
        }
    }
}

TEST(HostScript, Durations) {
    const struct {
        const char* word;
        bool ok;
        uint64_t ms;
    } cases[] = {
        {"10ms", true, 10}, {"10s", true, 10000}, {"2m", true, 120000}, {"0s", true, 0},
        {"10", false, 0},   {"s", false, 0},      {"1h", false, 0},     {"1.5s", false, 0},
    };
    for (const auto& c : cases) {
        uint64_t ms = 7;
        EXPECT_EQ(parseDuration(c.word, ms), c.ok) << c.word;
        if (c.ok) {
            EXPECT_EQ(ms, c.ms) << c.word;
        }
    }
}

TEST(HostScript, HexBytes) {
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_TRUE(parseHexBytes(words("1600 214e 00"), bytes, error));
    EXPECT_EQ(bytes, (std::vector<uint8_t>{0x16, 0x00, 0x21, 0x4E, 0x00}));
    EXPECT_FALSE(parseHexBytes(words("160"), bytes, error));
    EXPECT_EQ(error, "\"160\" is not an even number of hexadecimal digits");
    EXPECT_FALSE(parseHexBytes(words("16zz"), bytes, error));
    EXPECT_EQ(error, "\"16zz\" is not hexadecimal");
    EXPECT_FALSE(parseHexBytes(words("\"16\""), bytes, error));
}

// Lines that cannot be run name the script and the line; failed expectations are counted instead.
TEST(HostScript, InterpreterReportsBadLines) {
    Transcript transcript;
    Host host(transcript);
    Interpreter in(host, "demo.brio");
    const struct {
        const char* line;
        const char* error;
    } cases[] = {
        {"frobnicate", "demo.brio:7: unknown command \"frobnicate\" (try help)"},
        {"send 30016", "demo.brio:7: no plug-in is loaded (use start or load)"},
        {"start", "demo.brio:7: no plug-in given (--plugin PATH)"},
        {"advance 5", "demo.brio:7: use: advance N(ms|s|m), e.g. advance 10s"},
        {"network 15 status 64", "demo.brio:7: no network 15 (add it with: network add)"},
        {"network add 15 \"GG\" colour 3",
         "demo.brio:7: unknown network property \"colour\" (status, description, capability, name, type)"},
        {"network add 15 \"GG\" status", "demo.brio:7: a number is missing after \"status\""},
        {"contact add 5 Ala", "demo.brio:7: \"Ala\" must be in double quotes"},
        {"expect answer x", "demo.brio:7: \"x\" is not a number"},
        {"expect nothing", "demo.brio:7: use: expect "
                           "answer|same-address|config|errors|calls|log|copies|heap|objects|network|action|row|rows|"
                           "clipboard|file|import-dialog ... "
                           "(try help)"},
        {"repeat 3", "demo.brio:7: repeat ... end is for scripts"},
        {"end", "demo.brio:7: end without repeat"},
        {"heap", "demo.brio:7: use: heap mark"},
        // This program has no counting allocator: brio-host on Linux has.
        {"heap mark", "demo.brio:7: the plug-in's heap is not measured in this build"},
        {"expect heap same", "demo.brio:7: the plug-in's heap is not measured in this build"},
        {"config Brio/list \"x\"", "demo.brio:7: use: config KEY or config KEY = VALUE"},
        {"echo \"open", "demo.brio:7: the text has no closing quote"},
        {"show page Lista", "demo.brio:7: no page \"Lista\""},
        {"expect calls messagebox 0", "demo.brio:7: no host call is named messagebox"},
        {"onbox", "demo.brio:7: use: onbox COMMAND... (run inside the next message box)"},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(in.run(c.line, 7)) << c.line;
        EXPECT_EQ(in.error(), c.error);
    }
    EXPECT_EQ(in.failures(), 0);
    EXPECT_TRUE(host.registry().plugins().empty()); // a bad network line adds nothing
}

// Blocks run their lines as often as they say, nested, with the round of the innermost one in $REPEAT;
// a block that does not close, or an end without a block, stops the script before anything runs.
TEST(HostScript, RepeatBlocks) {
    const struct {
        std::vector<std::string> lines;
        std::vector<std::string> echoed; // the lines echo appended, in order
        std::string error;
    } cases[] = {
        {{"repeat 2", "  echo a$REPEAT", "  repeat 3", "    echo b$REPEAT", "  end", "end", "echo $REPEAT"},
         {"a1", "b1", "b2", "b3", "a2", "b1", "b2", "b3", "$REPEAT"},
         ""},
        {{"repeat 0", "echo never", "end", "echo after"}, {"after"}, ""},
        {{"echo first", "repeat 2", "echo x"}, {}, "t.brio:2: repeat without end"},
        {{"echo first", "end"}, {}, "t.brio:2: end without repeat"},
        {{"repeat 2 times", "end"}, {}, "t.brio:1: use: repeat N ... end"},
        {{"repeat 2", "echo $REPEAT", "frobnicate", "end"},
         {"1"},
         "t.brio:3: unknown command \"frobnicate\" (try help)"},
    };
    for (const auto& c : cases) {
        Transcript transcript;
        Host host(transcript);
        Interpreter in(host, "t.brio");
        EXPECT_EQ(in.runScript(c.lines), c.error.empty()) << c.lines[0];
        EXPECT_EQ(in.error(), c.error);
        std::vector<std::string> echoed;
        for (const std::string& line : transcript.lines())
            if (line.rfind("$ ", 0) != 0) echoed.push_back(line);
        EXPECT_EQ(echoed, c.echoed) << c.lines[0];
    }
}

TEST(HostScript, ExpectationsCountFailures) {
    Transcript transcript;
    Host host(transcript);
    Interpreter in(host, "t.brio");
    const char* passing[] = {
        "network add 15 \"Gadu-Gadu\" status 65 description none capability 0",
        "expect network 15 status 65",
        "expect network 15 description none",
        "network 15 description \"w pracy\" status 64",
        "expect network 15 description \"w pracy\"",
        "expect network 15 status 64",
        "expect network 15 sends 0",
        "config Brio/format = \"x\"",
        "expect config Brio/format \"x\"",
        "expect errors 0",
        "expect copies 0",
        "echo done",
    };
    for (const char* line : passing)
        EXPECT_TRUE(in.run(line, 1)) << line << ": " << in.error();
    EXPECT_EQ(in.failures(), 0);
    EXPECT_TRUE(in.run("expect network 15 status 66", 20));
    EXPECT_TRUE(in.run("expect config Brio/format \"y\"", 21));
    EXPECT_TRUE(in.run("expect config Brio/none 1", 22));
    EXPECT_EQ(in.failures(), 3);
    const auto& lines = transcript.lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "FAIL t.brio:20: network 15 status is 64, expected 66"),
              lines.end());
    EXPECT_NE(
        std::find(lines.begin(), lines.end(), "FAIL t.brio:21: config Brio/format is \"x\", expected \"y\""),
        lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "done"), lines.end());
}

// Scripts run against the plug-in itself (BRIO_PLUGIN, set by ctest).
class HostScriptWithPlugin : public ::testing::Test {
protected:
    void SetUp() override {
        const char* plugin = std::getenv("BRIO_PLUGIN");
        if (!plugin) GTEST_SKIP() << "BRIO_PLUGIN is not set";
        host.setPluginPath(plugin);
    }

    Transcript transcript;
    Host host{transcript};
    Interpreter in{host, "t.brio"};
};

// Checks that must not pass on what was there before the step they check: the first answer to a
// message compared with itself, an integer answer, a log line from an earlier step.
TEST_F(HostScriptWithPlugin, ExpectationsDoNotPassOnStaleState) {
    const struct {
        const char* line;
        bool holds;
    } steps[] = {
        {"network add 10 \"Jabber\"", true},
        {"config Brio/list = \"0\\x0C10\\x0Dcykl\\x0E\"", true},
        {"load", true},
        {"send 30016", true},
        {"expect same-address", false}, // asked once: nothing to compare with
        {"send 30016", true},
        {"expect same-address", true},
        {"send 30010", true},
        {"send 30010", true},
        {"expect same-address", false}, // 445 is no text
        {"unload", true},
        {"start", true},
        {"use 445115", true},
        {"expect log \"Prepare to change status\"", true},
        {"expect log \"Prepare to change status\"", false}, // nothing logged since
        {"stop", true},
    };
    int expectedFailures = 0;
    for (const auto& step : steps) {
        const int before = in.failures();
        ASSERT_TRUE(in.run(step.line, 1)) << step.line << ": " << in.error();
        EXPECT_EQ(in.failures() - before, step.holds ? 0 : 1) << step.line;
        expectedFailures += step.holds ? 0 : 1;
    }
    EXPECT_EQ(in.failures(), expectedFailures);
}

// A user uses only what the plug-in put on screen: a menu item or button never added, or an item of
// another menu offered as a contact's, is refused as a script error instead of being notified.
TEST_F(HostScriptWithPlugin, OnlyAddedActionsCanBeUsed) {
    for (const char* line : {"contact add 5 \"Ala\"", "start", "use 445115", "contact 5 use 445101"})
        ASSERT_TRUE(in.run(line, 1)) << line << ": " << in.error();
    const int notified = host.answers(msg::kActionNotify);
    EXPECT_EQ(notified, 2);
    EXPECT_FALSE(in.run("use 445999", 1));
    EXPECT_EQ(in.error(), "t.brio:1: no action 445999 was added");
    EXPECT_FALSE(in.run("contact 5 use 445115", 1));
    EXPECT_EQ(in.error(), "t.brio:1: no action 445115 was added to the contact menu");
    EXPECT_EQ(host.answers(msg::kActionNotify), notified);
    ASSERT_TRUE(in.run("stop", 1)) << in.error();
}

// A page's controls exist while it is open: a user reaches them only then, and each opening makes them
// anew with the value they were added with.
TEST_F(HostScriptWithPlugin, PageControlsLiveWhileTheirPageIsOpen) {
    ASSERT_TRUE(in.run("start", 1)) << in.error();
    EXPECT_FALSE(in.run("set 445109 \"typed\"", 1));
    EXPECT_EQ(in.error(), "t.brio:1: the page of control 445109 is not open");
    EXPECT_FALSE(in.run("press 445111", 1));
    EXPECT_EQ(in.error(), "t.brio:1: the page of action 445111 is not open");
    for (const char* line : {"open page Lista", "set 445109 \"typed\"",
                             "expect action 445109 value \"typed\"", "close page Lista", "open page Lista",
                             "expect action 445109 value \"\"", "close page Lista", "stop"})
        ASSERT_TRUE(in.run(line, 1)) << line << ": " << in.error();
    EXPECT_EQ(in.failures(), 0);
    EXPECT_EQ(host.faults(), 0);
}

// A library loaded again registers its columns again: none is left from the run before, so a plug-in that
// read a setting before registering it would be reading a column the host does not have.
TEST_F(HostScriptWithPlugin, ColumnsBelongToTheRunThatRegisteredThem) {
    for (const char* line : {"start", "stop"})
        ASSERT_TRUE(in.run(line, 1)) << line << ": " << in.error();
    EXPECT_EQ(host.config().columns().size(), 11u); // shown after the stop with their defaults
    ASSERT_TRUE(in.run("load", 1)) << in.error();
    EXPECT_TRUE(host.config().columns().empty());
    ASSERT_TRUE(in.run("unload", 1)) << in.error();
    EXPECT_EQ(host.faults(), 0);
}

// Commands queued with onbox run inside the next message box only: one that cannot be run there stops
// the script at the line that opened the box, naming the onbox line; the plug-in cannot be stopped from
// inside its own box; and commands that never met a box are reported at the end.
TEST_F(HostScriptWithPlugin, CommandsRunInsideTheNextMessageBox) {
    ASSERT_TRUE(in.run("start", 1)) << in.error();
    const struct {
        const char* queued;
        const char* error; // of the line that opens the box ("use 445103": no path, a warning box)
    } cases[] = {
        {"onbox config Brio/format = \"w pudle\"", nullptr},
        {"onbox frobnicate", "t.brio:2: unknown command \"frobnicate\" (try help)"},
        {"onbox stop", "t.brio:2: stop cannot be used inside a message box"},
    };
    const auto format = [&] { return host.config().readText(*host.config().columnByKey("Brio/format")); };
    for (const auto& c : cases) {
        const std::string before = format();
        ASSERT_TRUE(in.run(c.queued, 2)) << in.error();
        EXPECT_EQ(format(), before); // queued, not run
        EXPECT_EQ(in.run("use 445103", 3), c.error == nullptr) << c.queued;
        EXPECT_EQ(in.error(), c.error ? c.error : "");
        EXPECT_TRUE(host.loaded());
    }
    EXPECT_EQ(format(), "w pudle");
    EXPECT_TRUE(in.finish());
    ASSERT_TRUE(in.run("onbox echo nigdy", 4)) << in.error();
    EXPECT_FALSE(in.finish());
    EXPECT_EQ(in.error(), "t.brio:4: 1 onbox command(s) waited for a message box that never opened");
    ASSERT_TRUE(in.run("stop", 5)) << in.error();
}

} // namespace
} // namespace brio::host
