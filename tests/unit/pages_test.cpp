// The interface Brio declares on buildInterface, compared byte for byte with the messages the host
// receives: icons, pages, controls, menus, and the queries in between.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "plugin/info_text.h"
#include "plugin/pages.h"
#include "plugin_session.h"

namespace brio {
namespace {

using test::fieldAt;
using test::le16;
using test::le32;
using test::PluginSession;
using test::SentRecord;

constexpr int32_t kFakeModule = 0x10000000; // FakeHost's instance handle

// One expected message of the build.
struct Step {
    enum Kind { Icon, Short, Long, Query } kind;
    int number; // the build step, for messages on failure
    int32_t parent = 0, id = 0, type = 0;
    std::optional<std::string> text; // none: the record's text is null
    int32_t param = 0;
    uint16_t width = 0, height = 0, x = 0, y = 0;
    int32_t index = -1;
    // Queries: message id, net, type, p1, and the target (-1 sendMessage, else sendMessageTo's id).
    int32_t net = 0, p1 = 0, target = -1;
    bool p2Buffer = false; // p2 carries a buffer's address
};

Step icon(int n, int32_t iconId, int32_t list, int32_t resource) {
    Step s{Step::Icon, n, 0, 0, 0, std::nullopt};
    s.id = iconId;
    s.parent = list;
    s.param = resource;
    return s;
}
Step shortStep(int n, int32_t parent, int32_t id, int32_t type, std::optional<std::string> text = {},
               uint16_t width = 0, int32_t param = 0, uint16_t height = 0) {
    Step s{Step::Short, n, parent, id, type, std::move(text), param, width, height};
    return s;
}
Step longStep(int n, int32_t parent, int32_t id, int32_t type, std::optional<std::string> text = {},
              uint16_t width = 0, int32_t param = 0, uint16_t height = 0, uint16_t x = 0, uint16_t y = 0) {
    Step s{Step::Long, n, parent, id, type, std::move(text), param, width, height, x, y};
    return s;
}
Step query(int n, int32_t id, int32_t net, int32_t type, int32_t p1 = 0, int32_t target = -1,
           bool p2Buffer = false) {
    Step s{Step::Query, n, 0, 0, 0, std::nullopt};
    s.id = id;
    s.net = net;
    s.type = type;
    s.p1 = p1;
    s.target = target;
    s.p2Buffer = p2Buffer;
    return s;
}

// Test texts write the parameter mark 0x1A as '^'.
std::string marked(std::string text) {
    std::replace(text.begin(), text.end(), '^', '\x1A');
    return text;
}

std::string choiceLine(const std::string& label, const std::string& iconId, const std::string& position) {
    return label + "\x03" + iconId + "\x02" + position + "\n";
}

const std::string kStatusChoice =
    choiceLine("Dostępny", "1073742848", "0") + choiceLine("Pogadam", "1073742896", "1") +
    choiceLine("Zaraz wracam", "1073742864", "2") + choiceLine("Nieosiągalny", "1073742352", "3") +
    choiceLine("Nie przeszkadzać", "1073742368", "4") + choiceLine("Ukryty", "1073742880", "5");

std::string imageText(const std::string& tip) {
    return marked("^imgurl=^imgurl=reg://IML32/445402.ICON^iconsize=32^tipRich=") + tip +
           marked("^tipWidth=300");
}

// The whole build; `networkRows` stand at step 16, `tip` is the information block's tool tip.
std::vector<Step> expectedBuild(const std::vector<Step>& networkRows, const std::string& tip,
                                int32_t menuGroup) {
    const uint16_t fitText = 65533, raised = 65516;
    std::vector<Step> steps = {
        icon(1, 445401, 1, 102),
        icon(2, 445402, 2, 5),
        icon(3, 445403, 1, 105),
        icon(4, 445404, 1, 106),
        icon(5, 445405, 1, 107),
        shortStep(6, 46, 445201, 0x4000010, "Brio", 0, 445403),
        shortStep(7, 445201, 445202, 0x4000010, "Programy p2p", 0, 445404),
        shortStep(8, 445201, 445203, 0x4000010, "Lista", 0, 445405),
        shortStep(9, 445201, 0, 0xF0000, ""),
        query(9, 30016, 0, 0, 0, 77),
        query(9, 245, 0, 0, 77),
        query(9, 26, 0, 0, 0x09080706, -1, true),
        shortStep(10, 445201, 0, 0x1C0040, imageText(tip), 40, 0, 40),
        longStep(11, 445201, 0, 0x180080,
                 "Brio służy do zabaway statusem. Dzięki tej wtyczce można zmieniać opis sekwencyjnie, "
                 "losowo lub kraść od innych.",
                 300, 0, fitText),
        shortStep(12, 445201, 0, 0x100000),
        longStep(13, 445201, 445105, 0x50000, {}, 0, 0, 0, 0, raised),
        longStep(14, 445203, 445117, 0x50000, {}, 0, 0, 0, 0, raised),
        longStep(15, 445201, 0, 0xF0000, "Wybierz sieci, na których ma działać wtyczka:"),
    };
    steps.insert(steps.end(), networkRows.begin(), networkRows.end());
    const std::vector<Step> rest = {
        longStep(17, 445201, 0, 0x50000),
        longStep(18, 445201, 0, 0x100000),
        longStep(19, 445201, 0, 0xF0000, "Formatowanie"),
        longStep(20, 445201, 0, 0xC0000, {}, 0, 445004),
        longStep(21, 445201, 0, 0x100000),
        longStep(22, 445202, 0, 0xF0000, "Ustawienia"),
        longStep(23, 445202, 0, 0x90040, "Interwał do sprawdzania [s]:"),
        longStep(24, 445202, 0, 0x1A0000, marked("^min=10^max=3600"), 0, 445005),
        longStep(25, 445202, 0, 0x100000),
        longStep(26, 445202, 0, 0xF0000, "Emule"),
        longStep(27, 445202, 0, 0x90000, "Podaj ścieżkę dostępu do pliku onlinesig.dat:"),
        longStep(28, 445202, 445106, 0x120000, {}, 0, 445003),
        longStep(29, 445202, 0, 0x100000),
        longStep(30, 445202, 0, 0xF0000, "Azureus"),
        longStep(31, 445202, 0, 0x90000, "Podaj ścieżkę dostępu do pliku xml statystyk:"),
        longStep(32, 445202, 445118, 0x120000, {}, 0, 445012),
        longStep(33, 445202, 0, 0x100000),
        longStep(35, 445203, 0, 0xF0000, "Ustawienia"),
        longStep(36, 445203, 0, 0x90040, "Kolejność wyświetlania:", 130),
        longStep(37, 445203, 0, 0x16D000, "Po kolei\nOd końca\nLosowo", 170, 445010),
        longStep(38, 445203, 0, 0x90040, "Po dojściu do końca listy:", 130),
        longStep(39, 445203, 0, 0x16D000, "Zacznij od początku\nUstaw ostatni opis z listy\nWyłącz", 170,
                 445011),
        longStep(40, 445203, 0, 0x100000),
        longStep(41, 445203, 0, 0xF0000, "Lista"),
        longStep(42, 445203, 445107, 0x50000),
        shortStep(43, 445203, 0, 0x90040, "Status:", 130),
        shortStep(44, 445203, 0, 0x90040, "Opis:", 220),
        shortStep(45, 445203, 0, 0x90000, "Czas [s]:", 50),
        longStep(46, 445203, 445108, 0x161040, kStatusChoice, 130),
        longStep(47, 445203, 445109, 0xB0040, "", 220),
        longStep(48, 445203, 445110, 0xB0000, marked("^tip=Czas w sekundach"), 50),
        longStep(49, 445203, 445111, 0xE0040, "Dodaj", 70),
        longStep(50, 445203, 445112, 0xE0040, "Zmień", 0),
        longStep(51, 445203, 445113, 0xE0040, "Wczytaj", 70),
        longStep(52, 445203, 445114, 0xE0000, "Zapisz", 70),
        longStep(53, 445203, 0, 0x100000),
        longStep(54, 445201, 445104, 0x50000),
        longStep(55, 445203, 445116, 0x50000),
        shortStep(56, 30, 445101, 0x60000, "Kradnij opis!"),
        query(57, 10119, 0, -1),
        shortStep(58, menuGroup, 445102, 0x10, "Brio"),
        shortStep(59, 445102, 445103, 0x60000, "Emule"),
        shortStep(60, 445102, 445119, 0x60000, "Azureus"),
        shortStep(61, 445102, 445115, 0x60000, "Lista"),
    };
    steps.insert(steps.end(), rest.begin(), rest.end());
    for (Step& s : steps)
        if (s.number == 58) s.index = 0;
    return steps;
}

// The 30-byte message carrying a record in p1, with p1 left out.
std::string messageBytes(int32_t id, int32_t net = 0, int32_t type = 0, int32_t p1 = 0, int32_t p2 = 0) {
    return le16(30) + le32(id) + le32(0) + le32(net) + le32(type) + le32(0) + le32(p1) + le32(p2);
}

std::string actionBytes(const Step& s) {
    std::string b = le16(s.kind == Step::Long ? 78 : 74) + le32(s.id) + le32(s.parent) + le32(-2) +
                    le32(s.index) + le32(0) + le32(0) + le32(0) + le32(863) + le32(s.type) + le32(-1) +
                    le32(0) + le32(0) + le32(0) /* text, compared on its own */ + le32(0) + le32(0) +
                    le32(s.param) + le32(0) + le16(s.width) + le16(s.height);
    if (s.kind == Step::Long) b += le16(s.x) + le16(s.y);
    return b;
}

std::string withoutField(std::string bytes, size_t offset) {
    if (offset + 4 <= bytes.size()) bytes.replace(offset, 4, std::string(4, '\0'));
    return bytes;
}

void expectStep(const Step& step, const SentRecord& got) {
    SCOPED_TRACE("step " + std::to_string(step.number));
    switch (step.kind) {
    case Step::Icon: {
        EXPECT_EQ(got.target, -1);
        EXPECT_EQ(withoutField(got.bytes, 22), messageBytes(10130));
        EXPECT_NE(fieldAt(got.bytes, 22), 0);
        ASSERT_EQ(got.p1Bytes.size(), 36u);
        // Bytes 2 and 3 are not part of the record's contract.
        const std::string expected = le16(36) + got.p1Bytes.substr(2, 2) + le32(step.id) + le32(step.parent) +
                                     le32(0) + le32(1) + le32(kFakeModule) + le32(step.param) + le32(0) +
                                     le32(0);
        EXPECT_EQ(got.p1Bytes, expected);
        break;
    }
    case Step::Short:
    case Step::Long:
        EXPECT_EQ(got.target, -1);
        EXPECT_EQ(withoutField(got.bytes, 22), messageBytes(10101));
        EXPECT_NE(fieldAt(got.bytes, 22), 0);
        EXPECT_EQ(withoutField(got.p1Bytes, 50), actionBytes(step));
        EXPECT_EQ(got.p1HasText, step.text.has_value());
        if (step.text) {
            EXPECT_EQ(got.p1Text, *step.text);
        }
        break;
    case Step::Query:
        EXPECT_EQ(got.target, step.target);
        if (step.p2Buffer) {
            EXPECT_EQ(withoutField(got.bytes, 26), messageBytes(step.id, step.net, step.type, step.p1));
            EXPECT_NE(fieldAt(got.bytes, 26), 0);
        } else {
            EXPECT_EQ(got.bytes, messageBytes(step.id, step.net, step.type, step.p1));
        }
        break;
    }
}

void expectBuild(const std::vector<Step>& expected, const std::vector<SentRecord>& got) {
    ASSERT_EQ(got.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        expectStep(expected[i], got[i]);
}

const std::string kTitleTip = "<b>Brio 9.8.7.6</b><br/>" + std::string(kInformationText);

class PagesTest : public ::testing::Test {
protected:
    void TearDown() override { session.stop(); }

    // The messages of the build itself, after the controller has found its networks.
    std::vector<SentRecord> build() {
        session.start();
        std::vector<SentRecord> all = session.sentSince(session.buildMark);
        auto firstIcon =
            std::find_if(all.begin(), all.end(), [](const SentRecord& s) { return s.id() == 10130; });
        return std::vector<SentRecord>(firstIcon, all.end());
    }

    PluginSession session;
};

TEST_F(PagesTest, WithoutNetworksStep17FollowsStep15) {
    expectBuild(expectedBuild({}, kTitleTip, session.menuGroup), build());
}

TEST_F(PagesTest, FourNetworksThreeToALine) {
    session.addNetwork(10, "Sieć dziesiąta");
    session.addNetwork(15, "GG", false);
    session.addNetwork(777, std::nullopt); // the host knows no name: no caption
    session.addNetwork(-5, "Ujemna");
    const std::vector<Step> rows = {
        query(16, 30017, 10, -1),
        longStep(16, 445201, 0, 0x110040, "reg://IML16/547356672.ICON"),
        longStep(16, 445201, 445310, 0x60040, "Sieć dziesiąta"),
        query(16, 30017, 15, -1),
        longStep(16, 445201, 0, 0x110040, "reg://IML16/552599552.ICON", 0, 0, 0, 20),
        longStep(16, 445201, 445315, 0x60040, "GG"),
        query(16, 30017, 777, -1),
        longStep(16, 445201, 0, 0x110040, "reg://IML16/546308096.ICON", 0, 0, 0, 40),
        longStep(16, 445201, 446077, 0x60000, std::nullopt),
        query(16, 30017, -5, -1),
        longStep(16, 445201, 0, 0x110040, "reg://IML16/800063488.ICON", 0, 0, 0, 0),
        longStep(16, 445201, 445295, 0x60040, "Ujemna"),
    };
    expectBuild(expectedBuild(rows, kTitleTip, session.menuGroup), build());
}

TEST_F(PagesTest, PopupHangsFromTheHostsMenuGroup) {
    session.menuGroup = -7;
    expectBuild(expectedBuild({}, kTitleTip, -7), build());
}

struct TitleCase {
    const char* name;
    int hostState;
    bool nameIsNull;
    std::string tipStart;
};
void PrintTo(const TitleCase& c, std::ostream* os) {
    *os << c.name;
}

class InformationTitleTest : public ::testing::TestWithParam<TitleCase> {
protected:
    void TearDown() override { session.stop(); }
    PluginSession session;
};

TEST_P(InformationTitleTest, TitleAndVersionMessages) {
    const TitleCase& c = GetParam();
    session.host.state = c.hostState;
    session.nameIsNull = c.nameIsNull;
    session.start();
    const std::vector<SentRecord> build = session.sentSince(session.buildMark);
    // Both version messages go out whatever the title becomes.
    EXPECT_EQ(session.sentSince(session.buildMark, 245).size(), 1u);
    EXPECT_EQ(session.sentSince(session.buildMark, 26).size(), 1u);
    const std::string tip = c.tipStart + kInformationText;
    bool found = false;
    for (const SentRecord& s : build) {
        if (s.id() != 10101 || fieldAt(s.p1Bytes, 34) != 0x1C0040) continue;
        found = true;
        EXPECT_EQ(s.p1Text, imageText(tip));
    }
    EXPECT_TRUE(found);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, InformationTitleTest,
    ::testing::Values(TitleCase{"NameAndVersion", 0, false, "<b>Brio 9.8.7.6</b><br/>"},
                      TitleCase{"OtherStateKeepsVersion", 2, false, "<b>Brio 9.8.7.6</b><br/>"},
                      TitleCase{"StateOneLeavesVersionOut", 1, false, "<b>Brio</b><br/>"},
                      TitleCase{"NoNameNoTitle", 1, true, ""},
                      TitleCase{"NoNameStillVersion", 0, true, "<b> 9.8.7.6</b><br/>"}),
    [](const auto& info) { return info.param.name; });

TEST_F(PagesTest, FormatVersionGetsAnEmptyBufferOfOurs) {
    std::string seen = "unset";
    const auto answers = session.host.responder;
    session.host.responder = [&](const MessageRecord& m, int target) {
        if (m.id == 26 && target == -1) seen = fromAddress<const char>(m.p2);
        return answers(m, target);
    };
    session.start();
    EXPECT_EQ(seen, "");
}

// A host that fills the whole 32-byte buffer without an end: the title takes 31 bytes of it, nothing past.
TEST_F(PagesTest, AVersionFillingItsWholeBufferIsCutInsideIt) {
    const auto answers = session.host.responder;
    session.host.responder = [&](const MessageRecord& m, int target) {
        if (m.id == 26 && target == -1) {
            std::memset(fromAddress<char>(m.p2), '9', 32);
            return 0;
        }
        return answers(m, target);
    };
    session.start();
    bool found = false;
    for (const SentRecord& s : session.sentSince(session.buildMark)) {
        if (s.id() != 10101 || fieldAt(s.p1Bytes, 34) != 0x1C0040) continue;
        found = true;
        EXPECT_EQ(s.p1Text, imageText("<b>Brio " + std::string(31, '9') + "</b><br/>" + kInformationText));
    }
    EXPECT_TRUE(found);
}

TEST(PagesInformation, CreditsAreAnHtmlFragment) {
    const std::string info = kInformationText;
    EXPECT_NE(info.find("Brio — zabawa statusem"), std::string::npos);
    EXPECT_NE(info.find("<a href=\"https://brio.norvane.net/\">"), std::string::npos);
    EXPECT_EQ(info.find('\x1A'), std::string::npos); // would end the tipRich parameter early
}

struct ParameterCase {
    const char* name;
    std::string reference;
    std::string tip;
    std::string expected;
};
void PrintTo(const ParameterCase& c, std::ostream* os) {
    *os << c.name;
}

class ImageParametersTest : public ::testing::TestWithParam<ParameterCase> {};

TEST_P(ImageParametersTest, Composition) {
    const ParameterCase& c = GetParam();
    EXPECT_EQ(imageParameters(c.reference, c.tip), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, ImageParametersTest,
    ::testing::Values(
        ParameterCase{"ReferenceWithItsOwnPrefix", marked("^imgurl=reg://IML32/1.ICON"), "t",
                      marked("^imgurl=^imgurl=reg://IML32/1.ICON^iconsize=32^tipRich=t^tipWidth=300")},
        ParameterCase{"IconSizeAlreadyGiven", marked("x^iconsize=16"), "",
                      marked("^imgurl=x^iconsize=16^tipRich=^tipWidth=300")},
        ParameterCase{"EmptyReference", "", "<b>a</b>",
                      marked("^imgurl=^iconsize=32^tipRich=<b>a</b>^tipWidth=300")}),
    [](const auto& info) { return info.param.name; });

TEST(PagesNetworkImage, IconIdFromTheLowByteOfTheNetwork) {
    const std::vector<std::pair<int32_t, std::string>> cases = {
        {10, "reg://IML16/547356672.ICON"},  {0, "reg://IML16/536870912.ICON"},
        {255, "reg://IML16/804257792.ICON"}, {256, "reg://IML16/536870912.ICON"},
        {-1, "reg://IML16/804257792.ICON"},  {0x7FFFFFFF, "reg://IML16/804257792.ICON"},
    };
    for (const auto& [network, address] : cases)
        EXPECT_EQ(networkImageAddress(network), address) << network;
}

} // namespace
} // namespace brio
