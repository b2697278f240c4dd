// Any list the user keeps, saved with "Zapisz" as a text list and as an AutoStatus file and loaded with
// "Wczytaj", comes back as it was: the same descriptions in the same order (in the text list, all with
// the status and time chosen in the import dialog), and in the AutoStatus file the same statuses and
// times too. Descriptions hold Polish letters, punctuation, blanks, empty rows and LF and CR bytes.
//
// What a format cannot hold is left out of the rows, as it was always lost:
// - a text list ends its lines with CR LF, so no description in it holds a CR LF;
// - an AutoStatus file ends its lines at LF, so no description in it holds an LF;
// - neither holds a NUL byte (the file ends there) or a description over 1023 bytes (the list keeps no
//   more);
// - code page 1250 bytes that read as something else are not made: the UTF-8 or UTF-16 marks at the
//   start ("ď»ż", "˙ţ", "ţ˙"), two or more bytes that are the UTF-8 of a code page 1250 character ("Ĺ‚"
//   is the UTF-8 of "ł"), and a list that is UTF-8 throughout whose characters beyond ASCII are neither
//   such nor made of Polish letters and signs ("â™Ą" alone, the UTF-8 of "♥"). None of these is made of
//   Polish letters, digits and punctuation only: such a list is kept as saved, even where its bytes are
//   valid UTF-8 ("PÓŁ", "Nie wiem, co się…”").
//
// Lists saved by Notepad in UTF-8, with its mark or without, read with the Polish letters and signs
// they hold and "?" for each character code page 1250 lacks.
//
// RC_PARAMS sets the seed and the number of cases (a fixed pair in `make test`, more in `make fuzz`).
#include <gtest/gtest.h>
#include <rapidcheck.h>
#include <rapidcheck/gtest.h>

#include <string>
#include <vector>

#include "boundary/host_gateway.h"
#include "fake_host.h"
#include "files/list_files.h"
#include "formats/list_text.h"
#include "formats/status_entry.h"
#include "list/list_editor.h"
#include "platform/headless/driver.h"
#include "temp_folder.h"

namespace brio {
namespace {

// Code page 1250 bytes: ASCII letters, digits and punctuation, the Polish letters, and „ ” – — … « ».
const std::string kAscii = " .,;:!?-()\"'/=#%&*+<>[]{}|~_@$^`\\abcdefghijklmnopqrstuvwxyzABCXYZ0123456789\r";
const std::string kPolish = "\xB9\xE6\xEA\xB3\xF1\xF3\x9C\x9F\xBF\xA5\xC6\xCA\xA3\xD1\xD3\x8C\x8F\xAF";
const std::string kPunctuation = "\x84\x94\x96\x97\x85\xAB\xBB";
// Polish letters that may begin a UTF-8 sequence (Ć Ę Ń Ó), and those and the punctuation that may
// continue one (ą ł ż Ą Ł Ż ś ź Ś Ź „ ” – — … « »): "PÓŁ" is 50 D3 A3, valid UTF-8. A list of nothing but
// ASCII and such pairs is valid UTF-8 as a whole.
const std::string kLeads = "\xC6\xCA\xD1\xD3";
const std::string kFollowers = "\xB9\xB3\xBF\xA5\xA3\xAF\x9C\x9F\x8C\x8F" + kPunctuation;

// Polish words and signs whose code page 1250 bytes hold valid UTF-8 (of characters code page 1250
// lacks), and some that do not.
const std::vector<std::string> kWords = {"PÓŁ",  "WSPÓŁ",   "Nie wiem, co się…”", "Ć…", "DÓŁ",
                                         "ŁÓDŹ", "„Cześć”", "ZAŻÓŁĆ GĘŚLĄ JAŹŃ",  "Ń—", "ęś",
                                         "ÓŚĆ",  "Ę«"};

// Descriptions of any of the bytes, or (`paired`) of ASCII, pairs that are valid UTF-8 and Polish words.
rc::Gen<std::string> genDescription(bool withLf, bool paired) {
    using namespace rc;
    const std::string ascii = withLf ? kAscii + '\n' : kAscii;
    const Gen<std::string> piece =
        paired ? gen::weightedOneOf<std::string>(
                     {{3, gen::map(gen::elementOf(ascii), [](char c) { return std::string(1, c); })},
                      {1, gen::apply(
                              [](char a, char b) {
                                  return std::string{a, b};
                              },
                              gen::elementOf(kLeads), gen::elementOf(kFollowers))},
                      {1, gen::elementOf(kWords)}})
               : gen::map(gen::elementOf(ascii + kPolish + kPunctuation),
                          [](char c) { return std::string(1, c); });
    const auto joined = [](const std::vector<std::string>& pieces) {
        std::string text;
        for (const std::string& p : pieces)
            text += p;
        return text.substr(0, kListFieldLimit);
    };
    return gen::weightedOneOf<std::string>({
        {12, gen::map(gen::container<std::vector<std::string>>(piece), joined)},
        {1, gen::just(std::string())},
        {1, gen::map(gen::container<std::vector<std::string>>(kListFieldLimit, piece), joined)},
    });
}

// A text list's description: CR LF is what ends its lines, so each one generated becomes LF CR.
std::string withoutCrLf(std::string text) {
    // A CR before the one replaced makes a CR LF again: the search goes on from there.
    for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at > 0 ? at - 1 : 0))
        text.replace(at, 2, "\n\r");
    return text;
}

// The "Lista" page's editor on the headless desktop, with "Zapisz" and "Wczytaj" answered by the test.
class Page {
public:
    Page() {
        headless::reset();
        host_.responder = [](const MessageRecord& m, int) -> int32_t {
            if (m.id == 10135) return (m.p1 - 0x40000000) / 16; // images are host status numbers
            if (m.id == 10136) return m.p1 + 1;                 // an icon handle per icon id
            return 0;
        };
        editor_ = ListEditor::create(gateway_, 0x1000, 220, nullptr, 0, 0, 33);
    }
    ~Page() {
        session_.reset();
        editor_.reset();
        headless::reset();
    }
    Page(const Page&) = delete;
    Page& operator=(const Page&) = delete;

    bool ready() const { return editor_ && folder_.made(); }
    void write(const std::string& name, const std::string& bytes) { folder_.write(name, bytes); }
    void append(const std::vector<StatusEntry>& rows) { editor_->appendAll(rows); }
    void save(const std::string& name, int32_t filter) {
        saveListFile(*editor_, {folder_.name(name), filter});
    }
    // Loads the file into a list emptied first; a text list with status 3 and 45 seconds for every line.
    std::vector<StatusEntry> load(const std::string& name, int32_t filter) {
        editor_->deleteAll();
        openListFile(*editor_, {folder_.name(name), filter}, gateway_, session_);
        if (session_) headless::answerImportDialog(3, "45", true);
        std::vector<StatusEntry> rows;
        for (int32_t row = 0; row < editor_->rowCount(); ++row)
            rows.push_back(editor_->entryAt(row));
        return rows;
    }

private:
    test::FakeHost host_;
    HostGateway gateway_{&host_};
    std::unique_ptr<ListEditor> editor_;
    std::unique_ptr<ImportSession> session_;
    test::TempFolder folder_;
};

RC_GTEST_PROP(ListRoundTrip, TextListReadsBackAsSaved, ()) {
    const bool paired = *rc::gen::arbitrary<bool>();
    const auto descriptions = *rc::gen::container<std::vector<std::string>>(
        rc::gen::map(genDescription(true, paired), [](std::string d) { return withoutCrLf(std::move(d)); }));
    Page page;
    RC_ASSERT(page.ready());
    std::vector<StatusEntry> rows;
    for (const std::string& d : descriptions)
        rows.push_back({int32_t(rows.size() % 6), d, 10 + int32_t(rows.size())});
    page.append(rows);
    page.save("lista.txt", 2);
    std::vector<StatusEntry> expected;
    for (const std::string& d : descriptions)
        expected.push_back({3, d, 45});
    RC_ASSERT(page.load("lista.txt", 2) == expected);
}

RC_GTEST_PROP(ListRoundTrip, AutoStatusReadsBackAsSaved, ()) {
    const bool paired = *rc::gen::arbitrary<bool>();
    const auto rows = *rc::gen::container<std::vector<StatusEntry>>(
        rc::gen::build<StatusEntry>(rc::gen::set(&StatusEntry::status, rc::gen::inRange(0, 6)),
                                    rc::gen::set(&StatusEntry::description, genDescription(false, paired)),
                                    rc::gen::set(&StatusEntry::seconds, rc::gen::inRange(10, 100000))));
    Page page;
    RC_ASSERT(page.ready());
    page.append(rows);
    page.save("lista.sts", 1);
    RC_ASSERT(page.load("lista.sts", 1) == rows);
}

// A character as Notepad saves it (UTF-8) and as the list holds it (code page 1250, "?" where it has none).
struct Character {
    std::string utf8;
    std::string cp1250;
};

Character ch(const char8_t* utf8, const char* cp1250) {
    return {reinterpret_cast<const char*>(utf8), cp1250};
}

void showValue(const Character& c, std::ostream& os) {
    os << c.utf8;
}

// Rows as "status seconds description", for a counterexample that can be read.
std::vector<std::string> shown(const std::vector<StatusEntry>& rows) {
    std::vector<std::string> out;
    for (const StatusEntry& r : rows)
        out.push_back(std::to_string(r.status) + " " + std::to_string(r.seconds) + " " + r.description);
    return out;
}

// ASCII, Polish letters and signs, symbols and Cyrillic letters, in UTF-8 and in code page 1250.
const std::vector<Character> kAsciiCharacters = {ch(u8"a", "a"),  ch(u8"Z", "Z"), ch(u8"7", "7"),
                                                 ch(u8" ", " "),  ch(u8",", ","), ch(u8"?", "?"),
                                                 ch(u8"\t", "\t")};
const std::vector<Character> kPolishCharacters = {
    ch(u8"ą", "ą"), ch(u8"ć", "ć"), ch(u8"ę", "ę"), ch(u8"ł", "ł"), ch(u8"ń", "ń"), ch(u8"ó", "ó"),
    ch(u8"ś", "ś"), ch(u8"ź", "ź"), ch(u8"ż", "ż"), ch(u8"Ą", "Ą"), ch(u8"Ć", "Ć"), ch(u8"Ę", "Ę"),
    ch(u8"Ł", "Ł"), ch(u8"Ń", "Ń"), ch(u8"Ó", "Ó"), ch(u8"Ś", "Ś"), ch(u8"Ź", "Ź"), ch(u8"Ż", "Ż"),
    ch(u8"„", "„"), ch(u8"”", "”"), ch(u8"–", "–"), ch(u8"—", "—"), ch(u8"…", "…"), ch(u8"«", "«"),
    ch(u8"»", "»"), ch(u8"€", "€")};
const std::vector<Character> kSymbols = {ch(u8"♥", "?"), ch(u8"★", "?"), ch(u8"😀", "?"),
                                         ch(u8"☺", "?"), ch(u8"✓", "?"), ch(u8"♪", "?")};
const std::vector<Character> kCyrillic = {ch(u8"я", "?"), ch(u8"т", "?"), ch(u8"П", "?"), ch(u8"ь", "?"),
                                          ch(u8"х", "?")};

// A list saved by Notepad: Polish beside symbols and Cyrillic, or symbols alone (with ASCII), each line
// ended by CR LF. A list of letters of another alphabet alone is not made: it may be taken for code page
// 1250, whose Polish bytes its UTF-8 can be.
RC_GTEST_PROP(ListRoundTrip, NotepadUtf8ReadsAsWritten, ()) {
    const bool mark = *rc::gen::arbitrary<bool>();
    const bool symbolsAlone = *rc::gen::arbitrary<bool>();
    const bool autoStatus = *rc::gen::arbitrary<bool>();
    std::vector<Character> pool = kAsciiCharacters;
    pool.insert(pool.end(), kSymbols.begin(), kSymbols.end());
    if (!symbolsAlone) {
        pool.insert(pool.end(), kPolishCharacters.begin(), kPolishCharacters.end());
        pool.insert(pool.end(), kCyrillic.begin(), kCyrillic.end());
    }
    auto lines = *rc::gen::container<std::vector<std::vector<Character>>>(
        rc::gen::container<std::vector<Character>>(rc::gen::elementOf(pool)));
    if (!symbolsAlone) lines.push_back({*rc::gen::elementOf(kPolishCharacters)});
    std::string file = mark ? "\xEF\xBB\xBF" : "";
    if (autoStatus) file += "status=2\r\ntime=30\r\n";
    std::vector<StatusEntry> expected;
    for (const auto& line : lines) {
        std::string utf8, cp1250;
        for (const Character& c : line) {
            utf8 += c.utf8;
            cp1250 += c.cp1250;
        }
        file += (autoStatus ? "text=" : "") + utf8 + "\r\n";
        expected.push_back(autoStatus ? StatusEntry{2, cp1250, 30} : StatusEntry{3, cp1250, 45});
    }
    Page page;
    RC_ASSERT(page.ready());
    const std::string name = autoStatus ? "notepad.sts" : "notepad.txt";
    page.write(name, file);
    RC_ASSERT(shown(page.load(name, autoStatus ? 1 : 2)) == shown(expected));
}

} // namespace
} // namespace brio
