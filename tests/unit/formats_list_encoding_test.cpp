// List files in UTF-8 and UTF-16 (as Notepad saves them) and in code page 1250 (as Brio writes them):
// the bytes are compared, as code page 1250 is what the list holds.
#include <gtest/gtest.h>

#include <string>

#include "formats/autostatus.h"
#include "formats/list_encoding.h"
#include "formats/text_list.h"

namespace brio {
namespace {

struct EncodingCase {
    const char* name;
    std::string file;
    std::string text; // code page 1250
};

class FormatsListEncoding : public testing::TestWithParam<EncodingCase> {};

TEST_P(FormatsListEncoding, TextInCodePage1250) {
    EXPECT_EQ(listFileText(GetParam().file), GetParam().text);
}

// "Zażółć gęślą jaźń" in UTF-8, and in code page 1250.
const std::string kUtf8 = "Za\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87 g\xC4\x99\xC5\x9Bl\xC4\x85 ja\xC5\xBA\xC5\x84";
const std::string kCp1250 = "Za\xBF\xF3\xB3\xE6 g\xEA\x9Cl\xB9 ja\x9F\xF1";

INSTANTIATE_TEST_SUITE_P(
    Formats, FormatsListEncoding,
    testing::Values(
        EncodingCase{"Utf8WithoutMark", kUtf8 + "\r\n", kCp1250 + "\r\n"},
        EncodingCase{"Utf8WithMark", "\xEF\xBB\xBF" + kUtf8, kCp1250},
        EncodingCase{"MarkOnly", "\xEF\xBB\xBF", ""},
        EncodingCase{"MarkBeforeAscii",
                     "\xEF\xBB\xBF"
                     "abc\r\n",
                     "abc\r\n"},
        // Brio's own files, and anything else that is not UTF-8, stay as they are.
        EncodingCase{"Cp1250", kCp1250 + "\r\n", kCp1250 + "\r\n"},
        EncodingCase{"Ascii", "status=1\r\ntext=abc", "status=1\r\ntext=abc"},
        // Brio's own "PÓŁ" and "DÓŁ": D3 A3 is valid UTF-8, of a letter code page 1250 lacks.
        EncodingCase{"Pol", "P\xD3\xA3\r\nD\xD3\xA3", "P\xD3\xA3\r\nD\xD3\xA3"},
        EncodingCase{"MostlyUtf8OneCp1250Byte", kUtf8 + "\xB9", kUtf8 + "\xB9"},
        EncodingCase{"CutSequenceAtTheEnd", "ab\xC5", "ab\xC5"},
        EncodingCase{"OverlongSlash", "a\xC0\xAF", "a\xC0\xAF"},
        EncodingCase{"Surrogate", "\xED\xA0\x80", "\xED\xA0\x80"},
        EncodingCase{"PastTheLastCharacter", "\xF4\x90\x80\x80", "\xF4\x90\x80\x80"},
        // Notepad's UTF-8 with characters code page 1250 lacks: one "?" each, beside Polish letters or
        // alone ("Zaraz wracam ♥", "Hello ♥ ★ 😀", "Cześć, Привет, я").
        EncodingCase{"HeartBesidePolish", "Zaraz wracam \xE2\x99\xA5\r\n" + kUtf8 + "\r\n",
                     "Zaraz wracam ?\r\n" + kCp1250 + "\r\n"},
        EncodingCase{"SymbolsAlone", "Hello \xE2\x99\xA5 \xE2\x98\x85 \xF0\x9F\x98\x80\r\n",
                     "Hello ? ? ?\r\n"},
        EncodingCase{"CyrillicBesidePolish",
                     "Cze\xC5\x9B\xC4\x87, \xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82, \xD1\x8F",
                     "Cze\x9C\xE6, ??????, ?"},
        EncodingCase{"Utf8WithAnN", kUtf8 + " \xC3\xB1", kCp1250 + " ?"},
        EncodingCase{"MarkInTheMiddle", "a\xEF\xBB\xBF", "a?"},
        // Brio's Polish in code page 1250 that is valid UTF-8 of characters it lacks: "WSPÓŁ", "Nie
        // wiem, co się…”", "Ć…", beside the bytes of a heart.
        EncodingCase{"PolishThatLooksLikeUtf8",
                     "WSP\xD3\xA3\r\nNie wiem, co si\xEA\x85\x94\r\n\xC6\x85 \xE2\x99\xA5",
                     "WSP\xD3\xA3\r\nNie wiem, co si\xEA\x85\x94\r\n\xC6\x85 \xE2\x99\xA5"},
        // The same alone: "ę…”" (EA 85 94) is valid UTF-8 of a character code page 1250 lacks, and
        // every one of its bytes is a Polish letter or sign.
        EncodingCase{"PolishEllipsisAndQuoteAlone", "co si\xEA\x85\x94\r\n", "co si\xEA\x85\x94\r\n"},
        // Letters of another alphabet alone whose bytes are Polish letters and signs stay as they are.
        EncodingCase{"CyrillicAlone", "\xD1\x8F \xD1\x85", "\xD1\x8F \xD1\x85"},
        // Notepad's Cyrillic alone ("Спасибо", "Сергей"), each sequence ending in a byte that is no
        // Polish letter: UTF-8, one "?" a letter.
        EncodingCase{"CyrillicWhoseLastBytesAreNotPolish",
                     "\xD0\xA1\xD0\xBF\xD0\xB0\xD1\x81\xD0\xB8\xD0\xB1\xD0\xBE "
                     "\xD0\xA1\xD0\xB5\xD1\x80\xD0\xB3\xD0\xB5\xD0\xB9",
                     "??????? ??????"},
        // After a mark, characters code page 1250 lacks become one "?" each.
        EncodingCase{"Missing",
                     "\xEF\xBB\xBF\xE2\x82\xAC \xE2\x84\xA2 \xC2\xA0 \xC3\xB1 \xE4\xB8\xAD \xF0\x9F\x98\x80",
                     "\x80 \x99 \xA0 ? ? ?"},
        EncodingCase{"EdgesOfTheTable", "\xCB\x99\xC2\xBB\xE2\x80\x9A", "\xFF\xBB\x82"},
        // After the mark the file is UTF-8 whatever follows: what is not becomes "?".
        EncodingCase{"MarkThenMalformed",
                     "\xEF\xBB\xBF"
                     "a\xB9"
                     "b\xE2\x82",
                     "a?b??"},
        EncodingCase{"UpToTheFirstZero", std::string("\xC5\x82\0\xFF", 4), "\xB3"},
        EncodingCase{"ZeroBeforeTheMark", std::string("\0\xEF\xBB\xBF", 4), ""},
        EncodingCase{"Empty", "", ""},
        // UTF-16 with its mark, in both byte orders, up to its first U+0000: "Zaż€" and a line
        // end, then a character code page 1250 lacks, one beyond U+FFFF, a lone surrogate.
        EncodingCase{"Utf16LittleEndian",
                     std::string("\xFF\xFEZ\0a\0\x7C\x01\xAC\x20\r\0\n\0\xF1\0"
                                 "\x3D\xD8\x00\xDE\x00\xD8x\0\0\0y\0",
                                 28),
                     "Za\xBF\x80\r\n??"
                     "?x"},
        EncodingCase{"Utf16BigEndian",
                     std::string("\xFE\xFF\0Z\0a\x01\x7C\x20\xAC\0\r\0\n\0\xF1"
                                 "\xD8\x3D\xDE\x00\xD8\x00\0x\0\0\0y",
                                 28),
                     "Za\xBF\x80\r\n??"
                     "?x"},
        EncodingCase{"Utf16MarkOnly", "\xFF\xFE", ""},
        EncodingCase{"Utf16OddLastByte", std::string("\xFE\xFF\0a\0", 5), "a?"},
        EncodingCase{"Utf16SurrogateAtTheEnd", "\xFF\xFE\x3D\xD8", "?"}),
    [](const testing::TestParamInfo<EncodingCase>& info) { return std::string(info.param.name); });

// Both kinds of list read from a UTF-8 or UTF-16 file give the rows the code page 1250 file gives, the
// mark not being part of the first line.
TEST(FormatsListEncoding, BothListTypesReadTheConvertedText) {
    EXPECT_EQ(readTextList(listFileText("\xEF\xBB\xBF" + kUtf8 + "\r\nb")),
              (std::vector<std::string>{kCp1250, "b"}));
    EXPECT_EQ(readAutoStatus(listFileText("\xEF\xBB\xBFtext=" + kUtf8 + "\r\n")),
              (std::vector<StatusEntry>{{0, kCp1250, 10}}));
    EXPECT_EQ(readAutoStatus(listFileText("status=2\ntext=" + kUtf8)),
              (std::vector<StatusEntry>{{2, kCp1250, 10}}));
    std::string utf16 = "\xFF\xFE";
    for (const char16_t c : u"text=\u017C\r\ntext=b")
        utf16 += {char(c & 0xFF), char(c >> 8)};
    EXPECT_EQ(readTextList(listFileText(utf16)), (std::vector<std::string>{"text=\xBF", "text=b"}));
    EXPECT_EQ(readAutoStatus(listFileText(utf16)), (std::vector<StatusEntry>{{0, "\xBF", 10}, {0, "b", 10}}));
}

} // namespace
} // namespace brio
