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
// - code page 1250 bytes that read as something else are not made: the UTF-8 or UTF-16 mark at the
//   start ("ďťż", "˙ţ"), and two or more bytes that are UTF-8 of code page 1250 characters ("Ĺ‚" is the
//   UTF-8 of "ł"). Polish letters and Polish punctuation never are.
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

// Descriptions of any of the bytes, or (`paired`) of ASCII and pairs that are valid UTF-8.
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
                              gen::elementOf(kLeads), gen::elementOf(kFollowers))}})
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

} // namespace
} // namespace brio
