// AutoStatus files and plain-text lists, byte for byte both ways.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "formats/autostatus.h"
#include "formats/text_list.h"

namespace brio {
namespace {

const std::string kHeader = "# PowerGG - plik AutoStatusu\r\n"
                            "# Oficjalna strona programu: http://www.powergg.net\r\n"
                            "# Plik wygenerowany za pomocą Brio (Norvane)\r\n"
                            "# Strona projektu: https://brio.norvane.net/\r\n"
                            "\r\n";

TEST(AutoStatus, WritesTheHeaderAndOneRecordPerEntry) {
    EXPECT_EQ(writeAutoStatus({}), kHeader);
    EXPECT_EQ(kHeader[kHeader.find("pomoc") + 5], '\xB9'); // "ą" is one byte of code page 1250
    EXPECT_EQ(writeAutoStatus({{3, "abc", 30}, {0, "", 10}}),
              kHeader + "status=3\r\ntime=30\r\ntext=abc\r\n\r\nstatus=0\r\ntime=10\r\ntext=\r\n\r\n");
    // A record is written whole however long: a cut one would run into the next.
    const std::string longText(1023, 'x');
    EXPECT_EQ(writeAutoStatus({{5, longText, 3600}}),
              kHeader + "status=5\r\ntime=3600\r\ntext=" + longText + "\r\n\r\n");
}

struct ReadCase {
    const char* name;
    std::string file;
    std::vector<StatusEntry> expected;
};

TEST(AutoStatus, ReadsLineByLine) {
    const std::vector<ReadCase> cases = {
        {"header alone", kHeader, {}},
        {"CR LF", "status=3\r\ntime=30\r\ntext=abc\r\n\r\n", {{3, "abc", 30}}},
        {"LF only, last line without end", "status=3\ntime=30\ntext=abc", {{3, "abc", 30}}},
        {"short times",
         "time=5\ntext=a\ntime=-3\ntext=b\ntime=45s\ntext=c",
         {{0, "a", 10}, {0, "b", 10}, {0, "c", 45}}},
        // Times beyond the largest the list holds stay at it rather than wrap round.
        {"long times",
         "time=2147483647\ntext=a\ntime=2147483648\ntext=b\ntime=99999999999\ntext=c\n"
         "time=3000000000\ntext=d\ntime=-99999999999\ntext=e\ntime=4294967306\ntext=f",
         {{0, "a", 2147483647},
          {0, "b", 2147483647},
          {0, "c", 2147483647},
          {0, "d", 2147483647},
          {0, "e", 10},
          {0, "f", 2147483647}}},
        {"keys in any case, values with =",
         "TEXT=Hello\ntext=a=b\nText=",
         {{0, "Hello", 10}, {0, "a=b", 10}, {0, "", 10}}},
        {"status taken as it is", "status=9\ntext=x\nstatus=x\ntext=y", {{9, "x", 10}, {0, "y", 10}}},
        {"values carry over", "status=2\ntime=60\ntext=a\ntext=b", {{2, "a", 60}, {2, "b", 60}}},
        {"comments and strange lines",
         "#status=4\n;text=no\nno equals\nstatus =1\n status=1\nother=1\n\ntext=yes",
         {{0, "yes", 10}}},
        {"blanks kept in texts", "text=  a b  \r\n", {{0, "  a b  ", 10}}},
        {"a CR not before LF stays", "text=a\rb\r", {{0, "a\rb\r", 10}}},
        {"ends at NUL", std::string("text=a\0\ntext=b", 14), {{0, "a", 10}}},
        {"long text cut", "text=" + std::string(1500, 'L'), {{0, std::string(1023, 'L'), 10}}},
    };
    for (const ReadCase& c : cases)
        EXPECT_EQ(readAutoStatus(c.file), c.expected) << c.name;
}

// What holds no entry because it is an empty list, not because it is some other file.
TEST(AutoStatus, OnlyCommentsAndEmptyLinesAreAnEmptyList) {
    const std::pair<std::string, bool> cases[] = {
        {"", true},
        {kHeader, true},
        {"\r\n\n;x=1\n#text=a", true},
        {std::string("#a\0text=b", 9), true},
        {kHeader + "status=1\r\n", false},
        {"abc", false},
        {"# a\n b", false},
        {"\r", false}, // a last line of a CR alone is no empty line
    };
    for (const auto& [text, empty] : cases)
        EXPECT_EQ(onlyCommentsIn(text), empty) << text;
}

TEST(AutoStatus, WrittenEntriesReadBack) {
    const std::vector<StatusEntry> entries = {
        {3, "abc", 30}, {5, "Zażółć gęślą", 3600}, {0, "", 10}, {1, "a=b;#", 11}, {2, "long", 2147483647}};
    EXPECT_EQ(readAutoStatus(writeAutoStatus(entries)), entries);
}

TEST(TextList, WritesOneDescriptionPerLine) {
    EXPECT_EQ(writeTextList({}), "");
    EXPECT_EQ(writeTextList({"abc", ""}), "abc\r\n\r\n");
}

// Lines as Notepad, Unix editors and Brio end them. A file that holds a CR LF ends lines only there,
// so that a description holding an LF (as an import of LF CR LF lines gives) reads back as it was saved;
// one without any ends them at LF.
TEST(TextList, ReadsLinesAsEditorsEndThem) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"abc\r\n\r\nxyz\r\n", {"abc", "", "xyz"}},
        {"jeden\r\ndwa\r\ntrzy", {"jeden", "dwa", "trzy"}},
        {"a\nb\nc\n", {"a", "b", "c"}},
        {"a\nb", {"a", "b"}},
        {"a\n\r\nb\n\r\n", {"a\n", "b\n"}},
        {"a\nb\r\nc\n", {"a\nb", "c\n"}},
        {"\n\r\n\n", {"\n", "\n"}},
        {"\r\n", {""}},
        {"\n\n", {"", ""}},
        {"\r\n\r\nx", {"", "", "x"}},
        {"a\r\r\n", {"a\r"}},
        {"a\rb\r\n", {"a\rb"}},
        {"x\r", {"x\r"}},
        {"a\rb\nc\r", {"a\rb", "c\r"}},
        {std::string("a\r\nb\0c\r\n", 8), {"a", "b"}},
        {std::string("a\nb\0\r\n", 6), {"a", "b"}}, // the CR LF behind the NUL is no part of the text
        {std::string("\0a\r\n", 4), {}},
        {"", {}},
    };
    for (const auto& [file, lines] : cases)
        EXPECT_EQ(readTextList(file), lines) << file;
    const std::vector<std::string> lines = {"jeden", "", "dwa\r", " trzy ", "", "a\nb", "\n", "\r"};
    EXPECT_EQ(readTextList(writeTextList(lines)), lines);
}

} // namespace
} // namespace brio
