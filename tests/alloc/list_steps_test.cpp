// A step on the list page that runs out of memory happens whole or not at all: for every allocation the
// step makes, a run that refuses just that one ends with the rows as they were before the step or as
// the step leaves them when nothing is refused; no row is lost, doubled or left half-made.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>

#include "tick_session.h"

namespace brio::test {
namespace {

std::string pluginPath() {
    const char* plugin = std::getenv("BRIO_PLUGIN");
    return plugin ? plugin : "";
}

struct ListStep {
    const char* name;
    std::vector<std::string> before; // after the page opened with five rows
    std::string step;
};

const ListStep kSteps[] = {
    {"drag from above", {"list select 0 1"}, "list drag 3"},
    {"drag from below", {"list select 3 4"}, "list drag 1"},
    {"drag from both sides", {"list select 0 4"}, "list drag 2"},
    {"drag of a long description",
     {"list select 4", "set 445109 \"" + std::string(1500, 'L') + "\"", "press 445111", "list select 5"},
     "list drag 0"},
    {"replace the picked row",
     {"list click 2", "set 445109 \"nowy opis, dluzszy niz bufor w miejscu\""},
     "press 445112"},
    {"replace after a drag",
     {"list click 4", "list select 0 1", "list drag 3",
      "set 445109 \"nowy opis, dluzszy niz bufor w miejscu\""},
     "press 445112"},
    {"import a text file",
     {"file write \"rows.txt\" \"pierwszy wiersz z pliku tekstowego\\r\\ndrugi wiersz z pliku "
      "tekstowego\\r\\n"
      "trzeci wiersz z pliku tekstowego\"",
      "filedialog answer \"rows.txt\" filter 2", "press 445113"},
     "import status 1 time \"30\" ok"},
    {"load an AutoStatus file",
     {"file write \"rows.sts\" \"[AutoStatus]\\r\\n\\r\\nstatus=1\\r\\ntime=20\\r\\ntext=pierwszy wpis z "
      "pliku\\r\\n\\r\\n"
      "status=2\\r\\ntime=30\\r\\ntext=drugi wpis z pliku, dluzszy\\r\\n\"",
      "filedialog answer \"rows.sts\" filter 1"},
     "press 445113"},
    {"add a row", {"set 445109 \"dodany opis, dluzszy niz bufor w miejscu\""}, "press 445111"},
};

std::vector<std::string> rowsOf(TickSession& session) {
    std::vector<std::string> rows;
    for (const host::ListRowSeen& r : session.host().desktop().listViewRows())
        rows.push_back(std::to_string(r.image) + "|" + r.description + "|" + r.seconds +
                       (r.selected ? "|selected" : "") + (r.focused ? "|focused" : ""));
    return rows;
}

// The session at the step, and the number of the step's first request for memory.
std::unique_ptr<TickSession> sessionAtStep(const ListStep& s, uint64_t& firstRequest) {
    auto session = std::make_unique<TickSession>(pluginPath());
    std::vector<std::string> lines = {"config Brio/list = \"" + listText(5) + "\"", "start",
                                      "open page Lista"};
    lines.insert(lines.end(), s.before.begin(), s.before.end());
    for (const std::string& l : lines)
        if (!session->run({l})) {
            ADD_FAILURE() << l << ": " << session->error();
            return nullptr;
        }
    firstRequest = host::heap::pluginRequests() + 1;
    return session;
}

class ListStepWhole : public testing::TestWithParam<ListStep> {};

TEST_P(ListStepWhole, ARefusedAllocationLeavesTheRowsAsBeforeOrAsAfter) {
    if (pluginPath().empty()) GTEST_SKIP() << "BRIO_PLUGIN is not set";
    ASSERT_TRUE(host::heap::counting()) << "this program must count its blocks (counting_new.cpp)";
    const ListStep& s = GetParam();
    uint64_t first = 0;
    std::vector<std::string> before, after;
    uint64_t requests = 0;
    {
        auto session = sessionAtStep(s, first);
        ASSERT_TRUE(session);
        before = rowsOf(*session);
        ASSERT_TRUE(session->run({s.step})) << session->error();
        requests = host::heap::pluginRequests() + 1 - first;
        after = rowsOf(*session);
    }
    ASSERT_NE(before, after) << "the step changes nothing";
    ASSERT_GT(requests, 0u) << "the step asks for no memory: nothing to refuse";
    for (uint64_t k = 0; k < requests; ++k) {
        auto session = sessionAtStep(s, first);
        ASSERT_TRUE(session);
        host::heap::refuse(first + k, false, nullptr);
        EXPECT_NO_THROW(session->run({s.step}));
        host::heap::refuse(0, false, nullptr);
        const std::vector<std::string> now = rowsOf(*session);
        EXPECT_TRUE(now == before || now == after)
            << "request " << k + 1 << " of " << requests << " refused: " << testing::PrintToString(now);
        EXPECT_TRUE(session->run({"stop"})) << session->error();
        EXPECT_EQ(session->faults(), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(ListSteps, ListStepWhole, testing::ValuesIn(kSteps),
                         [](const testing::TestParamInfo<ListStep>& info) {
                             std::string name;
                             for (const char* c = info.param.name; *c; ++c)
                                 if (std::isalnum(static_cast<unsigned char>(*c))) name += *c;
                             return name;
                         });

} // namespace
} // namespace brio::test
