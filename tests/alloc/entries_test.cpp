// Every way the messenger enters the plug-in catches what the plug-in's code throws: memory is refused
// from the moment the entry is called (every allocation, to the end of the call), the call must come
// back to the host as from any other, and once memory is granted again the plug-in works and lets go
// of everything at its unload. The headless desktop enters as the Windows one does (window, dialog and
// timer procedures), so the same entries are named here as there.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>

#include "tick_session.h"

namespace brio::test {
namespace {

struct Entry {
    const char* name;
    std::vector<std::string> before; // brings the plug-in to where the entry can be used
    std::vector<std::string> enter;  // uses it (commands, or "advance" for the timers)
    std::vector<std::string> after;  // with memory again: the plug-in still takes the user's commands
};

std::string pluginPath() {
    const char* plugin = std::getenv("BRIO_PLUGIN");
    return plugin ? plugin : "";
}

const std::string kList = "config Brio/list = \"0\\x0C10\\x0Djeden\\x0E1\\x0C20\\x0Ddwa\\x0E\"";

const Entry kEntries[] = {
    {"IMessageProc: actionNotify", {kList, "start"}, {"use 445115"}, {"use 445115", "stop", "start"}},
    {"IMessageProc: buildInterface", {}, {"start"}, {"stop", "start"}},
    {"cycle timer callback", {kList, "start", "use 445115"}, {"advance 10s"}, {"advance 20s", "use 445115"}},
    {"steal timer callback",
     {"contact add 5 \"Ala\" description \"opis dluzszy niz krotki bufor tekstu\"", "start",
      "contact 5 use 445101"},
     {"contact 5 description \"inny opis, znacznie dluzszy niz ten pierwszy, wiec potrzebuje wiecej pamieci "
      "niz tamten\"",
      "advance 10s"},
     {"advance 10s", "contact 5 use 445101"}},
    {"eMule feed timer callback",
     {"file write \"entries.dat\" \"1|eMule Server|1.2.3.4|4242\\n12345678901234567890|81.5|6\\n\"",
      "config Brio/format = \"D:{DownSpeed}\"", "config Brio/emulePath = \"entries.dat\"", "start",
      "use 445103"},
     {"advance 10s"},
     {"advance 10s", "use 445103"}},
    {"Azureus feed timer callback",
     {"file write \"entries.xml\" \"<STATS><GLOBAL><DOWNLOAD_SPEED><TEXT>1234567890123456789 kB/s</TEXT>"
      "</DOWNLOAD_SPEED><UPLOAD_SPEED><TEXT>1 B/s</TEXT></UPLOAD_SPEED></GLOBAL></STATS>\"",
      "config Brio/format = \"D:{DownSpeed}\"", "config Brio/azureusFile = \"entries.xml\"", "start",
      "use 445119"},
     {"advance 10s"},
     {"advance 10s", "use 445119"}},
    {"list view window procedure",
     {kList, "start", "open page Lista"},
     {"list click 1", "list rightclick 0 choose 2", "list drag 0", "list column 1"},
     {"list show", "close page Lista", "open page Lista"}},
    {"import dialog procedure",
     {"file write \"entries.txt\" \"jeden\\r\\ndwa\"", "start", "open page Lista",
      "filedialog answer \"entries.txt\" filter 2", "press 445113"},
     {"import status 3 time \"45\" ok"},
     {"list show"}},
};

class EntryCatches : public testing::TestWithParam<Entry> {};

TEST_P(EntryCatches, NothingThrownReachesTheHost) {
    if (pluginPath().empty()) GTEST_SKIP() << "BRIO_PLUGIN is not set";
    ASSERT_TRUE(host::heap::counting()) << "this program must count its blocks (counting_new.cpp)";
    const Entry& e = GetParam();
    TickSession session(pluginPath());
    std::vector<std::string> lines = {"network add 10 \"Jabber\" description \"przed\""};
    lines.insert(lines.end(), e.before.begin(), e.before.end());
    for (const std::string& l : lines)
        ASSERT_TRUE(session.run({l})) << l << ": " << session.error();
    const uint64_t from = host::heap::pluginRequests() + 1;
    host::heap::refuse(from, true, nullptr);
    for (const std::string& l : e.enter) {
        if (l.rfind("advance ", 0) == 0) {
            EXPECT_NO_THROW(session.advance(10'000)) << e.name;
        } else {
            EXPECT_NO_THROW(session.run({l})) << e.name << ": " << l;
        }
    }
    host::heap::refuse(0, false, nullptr);
    EXPECT_GE(host::heap::pluginRequests(), from) << e.name << " asked for no memory: nothing was tried";
    for (const std::string& l : e.after)
        EXPECT_TRUE(session.run({l})) << l << ": " << session.error();
    EXPECT_TRUE(session.run({"stop"})) << session.error();
    EXPECT_EQ(session.faults(), 0) << e.name; // no leak, no object still held at the unload
}

INSTANTIATE_TEST_SUITE_P(Entries, EntryCatches, testing::ValuesIn(kEntries),
                         [](const testing::TestParamInfo<Entry>& info) {
                             std::string name;
                             for (const char* c = info.param.name; *c; ++c)
                                 if (std::isalnum(static_cast<unsigned char>(*c))) name += *c;
                             return name;
                         });

// A list page step that runs out of memory happens whole or not at all: refusing any one of its
// allocations leaves the rows as before the step or as the step leaves them with memory.
struct ListStep {
    const char* name;
    std::vector<std::string> before; // after the page opened with five rows
    std::string step;
};
const ListStep kListSteps[] = {
    {"DragFromBothSides", {"list select 0 4"}, "list drag 2"},
    {"ReplaceAfterDrag",
     {"list click 4", "list select 0 1", "list drag 3", "set 445109 \"opis dluzszy niz bufor w miejscu\""},
     "press 445112"},
    {"ImportText",
     {"file write \"rows.txt\" \"pierwszy wiersz z pliku\\r\\ndrugi wiersz z pliku, dluzszy\"",
      "filedialog answer \"rows.txt\" filter 2", "press 445113"},
     "import status 1 time \"30\" ok"},
};

class ListStepWhole : public testing::TestWithParam<ListStep> {};

TEST_P(ListStepWhole, ARefusedAllocationLeavesTheRowsAsBeforeOrAsAfter) {
    if (pluginPath().empty()) GTEST_SKIP() << "BRIO_PLUGIN is not set";
    std::vector<std::string> ends[2]; // before and after the step, with memory
    for (uint64_t refused = 0, requests = 1; refused < requests; ++refused) {
        TickSession session(pluginPath());
        ASSERT_TRUE(session.run({"config Brio/list = \"" + listText(5) + "\"", "start", "open page Lista"}));
        for (const std::string& l : GetParam().before)
            ASSERT_TRUE(session.run({l})) << l << ": " << session.error();
        const auto rows = [&session] {
            std::vector<std::string> out;
            for (const host::ListRowSeen& r : session.host().desktop().listViewRows())
                out.push_back(std::to_string(r.image) + "|" + r.description + "|" + r.seconds + "|" +
                              std::to_string(r.selected));
            return out;
        };
        const uint64_t first = host::heap::pluginRequests() + 1;
        if (refused == 0) ends[0] = rows();
        host::heap::refuse(refused ? first + refused - 1 : 0, false, nullptr);
        EXPECT_NO_THROW(session.run({GetParam().step}));
        host::heap::refuse(0, false, nullptr);
        if (refused == 0) requests = host::heap::pluginRequests() - first + 2, ends[1] = rows();
        ASSERT_NE(ends[0], ends[1]) << "the step changes nothing";
        EXPECT_TRUE(rows() == ends[0] || rows() == ends[1]) << "allocation " << refused << " refused";
    }
}

INSTANTIATE_TEST_SUITE_P(ListSteps, ListStepWhole, testing::ValuesIn(kListSteps),
                         [](const testing::TestParamInfo<ListStep>& info) { return info.param.name; });

} // namespace
} // namespace brio::test
