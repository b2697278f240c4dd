// The configuration table and its file: escaping, defaults, and values that outlive the host.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "host/model/config_store.h"

namespace brio::host {
namespace {

std::string allBytes() {
    std::string s;
    for (int b = 0; b < 256; ++b)
        s += static_cast<char>(b);
    return s;
}

std::string tempPath(const char* name) {
    return testing::TempDir() + name;
}

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(HostConfigEscape, EveryByteRoundTrips) {
    for (int b = 0; b < 256; ++b) {
        const std::string one(1, static_cast<char>(b));
        const std::string written = escapeValue(one);
        EXPECT_EQ(written.find('\n'), std::string::npos) << b;
        std::string back, error;
        ASSERT_TRUE(unescapeValue(written, back, error)) << b << ": " << error;
        EXPECT_EQ(back, one) << b;
    }
    std::string back, error;
    ASSERT_TRUE(unescapeValue(escapeValue(allBytes()), back, error)) << error;
    EXPECT_EQ(back, allBytes());
}

TEST(HostConfigEscape, WritesReadableText) {
    const struct {
        std::string bytes;
        const char* written;
    } cases[] = {
        {"", ""},
        {"15|1|10|0|", "15|1|10|0|"},
        {"Zaraz wracam", "Zaraz wracam"},
        {"gęś", "g\xC4\x99\xC5\x9B"},
        {"C:\\eMule\\onlinesig.dat", "C:\\x5CeMule\\x5Conlinesig.dat"},
        {"0\x01opis\x01"
         "30\n",
         "0\\x01opis\\x0130\\x0A"},
        {"  two  ", "\\x20\\x20two\\x20\\x20"},
        {" ", "\\x20"},
        {"a = b", "a = b"},
        {"\x81", "\\x81"},
        {std::string("\0", 1), "\\x00"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(escapeValue(c.bytes), c.written) << c.written;
}

TEST(HostConfigEscape, BadTextIsRefused) {
    const char* bad[] = {"\\", "\\x", "\\x4", "\\x4G", "\\n", "\\\\", "\xC3\xA8", "\xC4"};
    for (const char* text : bad) {
        std::string bytes, error;
        EXPECT_FALSE(unescapeValue(text, bytes, error)) << text;
        EXPECT_FALSE(error.empty());
    }
    std::string bytes, error;
    EXPECT_TRUE(unescapeValue("\\x41\\x5a", bytes, error));
    EXPECT_EQ(bytes, "AZ");
}

TEST(HostConfigStore, DefaultsApplyUntilAValueIsStored) {
    ConfigStore store;
    store.registerColumn({445005, "Brio/emuleTimer", 0, 10, ""});
    store.registerColumn({445006, "Brio/list", 1, 0, ""});
    const Column& timer = *store.column(445005);
    const Column& list = *store.columnByKey("Brio/list");
    EXPECT_EQ(store.readInt(timer), 10);
    EXPECT_EQ(store.readText(timer), "10");
    EXPECT_EQ(store.readText(list), "");
    store.set("Brio/emuleTimer", "25");
    store.set("Brio/list", "x");
    EXPECT_EQ(store.readInt(timer), 25);
    EXPECT_EQ(store.readText(list), "x");
    // Registering again replaces the column, not the value.
    store.registerColumn({445005, "Brio/emuleTimer", 0, 30, ""});
    EXPECT_EQ(store.columns().size(), 2u);
    EXPECT_EQ(store.readInt(*store.column(445005)), 25);
    EXPECT_EQ(store.column(445008), nullptr);
}

TEST(HostConfigStore, ValuesOutliveTheStoreThroughItsFile) {
    const std::string path = tempPath("host_config_roundtrip.cfg");
    std::remove(path.c_str());
    {
        ConfigStore first;
        first.setPath(path);
        std::vector<std::string> problems;
        first.load(problems); // no file yet: no values, no problems
        EXPECT_TRUE(problems.empty());
        first.set("Brio/list", allBytes());
        first.set("Brio/format", "");
        first.set("Brio/emuleTimer", "25");
        std::string error;
        ASSERT_TRUE(first.save(error)) << error;
    }
    const std::string written = fileText(path);
    ConfigStore second;
    second.setPath(path);
    std::vector<std::string> problems;
    second.load(problems);
    EXPECT_TRUE(problems.empty());
    ASSERT_NE(second.stored("Brio/list"), nullptr);
    EXPECT_EQ(*second.stored("Brio/list"), allBytes());
    ASSERT_NE(second.stored("Brio/format"), nullptr);
    EXPECT_EQ(*second.stored("Brio/format"), "");
    EXPECT_EQ(*second.stored("Brio/emuleTimer"), "25");
    // Write, read, write: the same bytes.
    std::string error;
    ASSERT_TRUE(second.save(error));
    EXPECT_EQ(fileText(path), written);
    second.removeFile();
    EXPECT_EQ(fileText(path), "");
}

TEST(HostConfigStore, KeysOfAnyBytesOutliveTheStore) {
    const std::string path = tempPath("host_config_keys.cfg");
    const std::vector<std::string> keys = {"a=b", "#hash", "line\nbreak", " spaced ", "back\\slash",
                                           "Za\xBF\xF3\xB3\xE6", "x = y", "=", "mid#dle"};
    {
        ConfigStore first;
        first.setPath(path);
        for (size_t i = 0; i < keys.size(); ++i)
            first.set(keys[i], std::to_string(i));
        std::string error;
        ASSERT_TRUE(first.save(error)) << error;
    }
    const std::string written = fileText(path);
    EXPECT_NE(written.find("\na\\x3Db = 0\n"), std::string::npos) << written;
    EXPECT_NE(written.find("\n\\x23hash = 1\n"), std::string::npos) << written;
    EXPECT_NE(written.find("\nmid#dle = 8\n"), std::string::npos) << written;
    ConfigStore second;
    second.setPath(path);
    std::vector<std::string> problems;
    second.load(problems);
    EXPECT_TRUE(problems.empty()) << problems.front();
    EXPECT_EQ(second.values().size(), keys.size());
    for (size_t i = 0; i < keys.size(); ++i) {
        const std::string* value = second.stored(keys[i]);
        ASSERT_NE(value, nullptr) << keys[i];
        EXPECT_EQ(*value, std::to_string(i)) << keys[i];
    }
    second.removeFile();
}

TEST(HostConfigStore, BadLinesAreSkippedAndNamed) {
    const std::string path = tempPath("host_config_bad.cfg");
    {
        std::ofstream out(path, std::ios::binary);
        out << "# comment\n\nBrio/a = 1\nno equals sign\nBrio/b = bad \\q escape\n = 5\r\nBrio/c = ok\r\n";
    }
    ConfigStore store;
    store.setPath(path);
    std::vector<std::string> problems;
    store.load(problems);
    EXPECT_EQ(store.values().size(), 2u);
    EXPECT_EQ(*store.stored("Brio/a"), "1");
    EXPECT_EQ(*store.stored("Brio/c"), "ok");
    ASSERT_EQ(problems.size(), 3u);
    EXPECT_EQ(problems[0], "line 4: no \"=\"; line skipped");
    EXPECT_EQ(problems[1], "line 5: a backslash must start \\xNN; line skipped");
    EXPECT_EQ(problems[2], "line 6: no key before \"=\"; line skipped");
    store.removeFile();
}

TEST(HostConfigStore, IntegerReadingRule) {
    const struct {
        const char* text;
        int32_t value;
    } cases[] = {
        {"", 0},
        {"10", 10},
        {"  42x", 42},
        {"-7", -7},
        {"+8", 8},
        {"abc", 0},
        {"- 1", 0},
        {"\t\n 3", 3},
        {"2147483647", 2147483647},
        {"4294967295", -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(readInteger(c.text), c.value) << c.text;
}

} // namespace
} // namespace brio::host
