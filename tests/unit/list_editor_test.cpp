// The list editor on the headless list view: rows and icons, the list text in and out, picking and the
// page's fields, the context menu's commands, sorting, in-place edits and drag and drop.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "fake_host.h"
#include "formats/status_entry.h"
#include "list/list_editor.h"
#include "platform/headless/driver.h"
#include "plugin_session.h"

namespace brio {
namespace {

using test::FakeHost;

constexpr int32_t kImageList = 0x4242;

// The host's status image list holds the six statuses from index 10 on, in reverse position order,
// so that no position equals its own image index.
int32_t imageOfPosition(int32_t position) {
    return 15 - position;
}

class ListEditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        headless::reset();
        host.responder = [](const MessageRecord& m, int) -> int32_t {
            if (m.id == 10134) return kImageList;
            if (m.id != 10135) return 0;
            const int32_t statuses[] = {64, 67, 65, 33, 34, 66};
            for (int32_t position = 0; position < 6; ++position)
                if (m.p1 == 0x40000000 + statuses[position] * 16) return imageOfPosition(position);
            return -1;
        };
        editor = make();
        ASSERT_NE(editor, nullptr);
    }
    void TearDown() override {
        editor.reset();
        headless::reset();
    }

    std::unique_ptr<ListEditor> make() {
        return ListEditor::create(gateway, 0x1000, 220, nullptr, 10, 10, 33);
    }

    // Rows as "description|seconds|position", position told by the icon.
    std::vector<std::string> rows() const {
        std::vector<std::string> out;
        for (const auto& r : headless::listViewRows()) {
            int32_t position = -1;
            for (int32_t p = 0; p < 6; ++p)
                if (imageOfPosition(p) == r.image) position = p;
            out.push_back(r.description + "|" + r.seconds + "|" + std::to_string(position));
        }
        return out;
    }
    std::vector<std::string> descriptions() const {
        std::vector<std::string> out;
        for (const auto& r : headless::listViewRows())
            out.push_back(r.description);
        return out;
    }

    void appendAll(const std::vector<std::string>& names) {
        for (const std::string& name : names)
            editor->append({0, name, 10});
    }

    // The page's fields as the last setActionValue calls left them.
    std::vector<std::string> fieldWrites(size_t mark) const {
        std::vector<std::string> out;
        for (size_t i = mark; i < host.sent.size(); ++i)
            if (host.sent[i].id() == 10110) out.push_back(host.sent[i].p1Text);
        return out;
    }

    bool rightClick(int32_t row, int32_t choose) {
        std::vector<std::string> items;
        EXPECT_TRUE(headless::rightClickListRow(row, choose, items));
        return !items.empty();
    }

    FakeHost host;
    HostGateway gateway{&host};
    std::unique_ptr<ListEditor> editor;
};

TEST_F(ListEditorTest, CreationAsksForWidthsImagesAndIconsInThatOrder) {
    host.texts[445007] = "120|40";
    const size_t mark = host.sent.size();
    editor = make();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(headless::listViewColumnWidths(), (std::vector<int32_t>{120, 40}));
    std::vector<int32_t> ids;
    std::vector<int32_t> icons;
    for (size_t i = mark; i < host.sent.size(); ++i) {
        ids.push_back(host.sent[i].id());
        const int32_t p1 = host.sent[i].message.p1; // a copy: the packed field is not aligned
        if (host.sent[i].id() == 10135) icons.push_back(p1);
    }
    EXPECT_EQ(ids, (std::vector<int32_t>{10134, 10135, 10135, 10135, 10135, 10135, 10135}));
    const int32_t listFlag = host.sent[mark].message.p1;
    EXPECT_EQ(listFlag, 1);
    EXPECT_EQ(icons,
              (std::vector<int32_t>{0x40000400, 0x40000430, 0x40000410, 0x40000210, 0x40000220, 0x40000420}));
    // Widths that are too narrow fall back; a window needs a parent.
    editor.reset();
    host.texts[445007] = "10|5";
    editor = make();
    EXPECT_EQ(headless::listViewColumnWidths(), (std::vector<int32_t>{297, 55}));
    EXPECT_EQ(ListEditor::create(gateway, 0, 220, nullptr, 0, 0, 33), nullptr);
}

// The list view is a child of the page's window: it goes when that window does, and only then.
TEST_F(ListEditorTest, TheListViewGoesWithItsParentWindow) {
    editor->append({1, "a", 10});
    headless::destroyChildWindowsOf(0x2000);
    EXPECT_NE(headless::listViewWindow(), 0);
    EXPECT_EQ(headless::listViewRows().size(), 1u);
    headless::destroyChildWindowsOf(0x1000);
    EXPECT_EQ(headless::listViewWindow(), 0);
    EXPECT_TRUE(headless::listViewRows().empty());
}

TEST_F(ListEditorTest, ListTextRoundTripsThroughTheRows) {
    const std::string text = std::string("1\x0c") + "45\x0d" + "abc\x0e" + "5\x0c" + "3600\x0d" +
                             "Zażółć\x0e" + "0\x0c" + "10\x0d" + "\x0e";
    editor->loadListText(text);
    EXPECT_EQ(rows(), (std::vector<std::string>{"abc|45|1", "Zażółć|3600|5", "|10|0"}));
    EXPECT_EQ(editor->saveListText(), text);
    // Loading appends after the rows there are; a stored time below 10 shows and is written as 10.
    editor->loadListText(std::string("4\x0c") + "3\x0d" + "x\x0e");
    EXPECT_EQ(rows().back(), "x|10|4");
    EXPECT_EQ(editor->saveListText(), text + "4\x0c" + "10\x0d" + "x\x0e");
}

TEST_F(ListEditorTest, RowsCarryTheirStatusAsTheIcon) {
    for (int32_t status : {0, 3, 4, 5, 6, -1, 66})
        editor->append({status, "s" + std::to_string(status), 10});
    // Positions outside 0-4 show the icon of position 5.
    EXPECT_EQ(rows(), (std::vector<std::string>{"s0|10|0", "s3|10|3", "s4|10|4", "s5|10|5", "s6|10|5",
                                                "s-1|10|5", "s66|10|5"}));
}

TEST_F(ListEditorTest, SavingCutsADescriptionAt1023Bytes) {
    editor->append({2, std::string(1500, 'd'), 45});
    editor->append({3, std::string(1023, 'e'), 10});
    EXPECT_EQ(editor->saveListText(), std::string("2\x0c") + "45\x0d" + std::string(1023, 'd') + "\x0e" +
                                          "3\x0c" + "10\x0d" + std::string(1023, 'e') + "\x0e");
}

TEST_F(ListEditorTest, ClickFillsThePageFieldsUnlessTheDescriptionIsEmpty) {
    editor->append({3, "abc", 45});
    editor->append({1, "", 20});
    size_t mark = host.sent.size();
    ASSERT_TRUE(headless::clickListRow(0));
    EXPECT_EQ(fieldWrites(mark), (std::vector<std::string>{"3", "abc", "45"}));
    std::vector<std::string> targets; // action id and parent page of each write
    for (size_t i = mark; i < host.sent.size(); ++i)
        targets.push_back(host.sent[i].p1Bytes.substr(2, 8));
    EXPECT_EQ(targets, (std::vector<std::string>{test::le32(445108) + test::le32(445203),
                                                 test::le32(445109) + test::le32(445203),
                                                 test::le32(445110) + test::le32(445203)}));
    mark = host.sent.size();
    ASSERT_TRUE(headless::clickListRow(1));
    EXPECT_TRUE(fieldWrites(mark).empty());
}

TEST_F(ListEditorTest, PickGivesTheFocusedRowOrTheDefaultEntry) {
    EXPECT_EQ(editor->pick(), (StatusEntry{0, "", 10}));
    editor->append({4, "a", 30});
    editor->append({2, "b", 40});
    EXPECT_EQ(editor->pick(), (StatusEntry{0, "", 10}));
    ASSERT_TRUE(headless::selectListRows({0, 1}));
    EXPECT_EQ(editor->pick(), (StatusEntry{2, "b", 40})); // the focus is on the last selected
}

TEST_F(ListEditorTest, ReplaceTakesThePickedRowOnlyWhileItIsThere) {
    appendAll({"a", "b", "c"});
    editor->replacePicked({1, "never", 10}); // nothing picked yet
    EXPECT_EQ(descriptions(), (std::vector<std::string>{"a", "b", "c"}));
    ASSERT_TRUE(headless::clickListRow(1));
    editor->replacePicked({5, "B", 77});
    EXPECT_EQ(rows(), (std::vector<std::string>{"a|10|0", "B|77|5", "c|10|0"}));
    // Once the picked row has gone, nothing is picked.
    ASSERT_TRUE(headless::clickListRow(2));
    ASSERT_TRUE(headless::selectListRows({1, 2}));
    editor->deleteSelected();
    editor->replacePicked({1, "gone", 10});
    EXPECT_EQ(descriptions(), (std::vector<std::string>{"a"}));
}

// "Zmień" writes over the row clicked last wherever it stands now; a "Duplikuj" or a "Kopiuj" of another
// row leaves it the one written. The rows are r0 to r4, with seconds that sort them the other way round.
TEST_F(ListEditorTest, ReplaceFollowsThePickedRow) {
    struct Case {
        const char* name;
        int32_t clicked;
        std::function<void()> then;
        std::vector<std::string> expected; // after "Zmień" to "X"
    };
    const auto menu = [this](int32_t row, int32_t choose) { return [=, this] { rightClick(row, choose); }; };
    const Case cases[] = {
        {"sorted", 1, [] { headless::clickListColumn(1); }, {"r4", "r3", "r2", "X", "r0"}},
        {"others dragged above",
         1,
         [] {
             headless::selectListRows({3, 4});
             headless::dragListRowsOnto(0, false);
         },
         {"r3", "r4", "r0", "X", "r2"}},
        {"itself dragged", 1, [] { headless::dragListRowsOnto(3, false); }, {"r0", "r2", "r3", "X", "r4"}},
        {"another duplicated", 3, menu(0, 0), {"r0", "r0", "r1", "r2", "X", "r4"}},
        {"itself duplicated", 1, menu(1, 0), {"r0", "X", "r1", "r2", "r3", "r4"}},
        {"another copied", 3, menu(0, 1), {"r0", "r1", "r2", "X", "r4"}},
        // "Usuń" of several rows around it: inside the selection, between its rows, after it.
        {"inside deleted rows",
         2,
         [menu] {
             headless::selectListRows({1, 2, 3});
             menu(3, 2)();
         },
         {"r0", "r4"}},
        {"between deleted rows",
         2,
         [menu] {
             headless::selectListRows({0, 1, 3, 4});
             menu(4, 2)();
         },
         {"X"}},
        {"after deleted rows",
         4,
         [menu] {
             headless::selectListRows({0, 2, 3});
             menu(3, 2)();
         },
         {"r1", "X"}},
        {"deleted above",
         3,
         [menu] {
             headless::selectListRows({0, 1});
             menu(1, 2)();
         },
         {"r2", "X", "r4"}},
        {"itself deleted",
         1,
         [menu] {
             headless::selectListRows({1, 2});
             menu(2, 2)();
         },
         {"r0", "r3", "r4"}},
        {"all deleted, rows added",
         1,
         [this, menu] {
             menu(0, 3)();
             appendAll({"a", "b"});
         },
         {"a", "b"}},
        {"rows added and loaded",
         4,
         [this] {
             editor->append({0, "a", 10});
             editor->loadListText(std::string("0\x0c") + "10\x0d" + "b\x0e");
         },
         {"r0", "r1", "r2", "r3", "X", "a", "b"}},
        {"replaced, then sorted",
         0,
         [this] {
             editor->replacePicked({0, "Y", 99});
             headless::clickListColumn(1);
         },
         {"r4", "r3", "r2", "r1", "X"}},
    };
    for (const Case& c : cases) {
        editor.reset();
        editor = make();
        for (int32_t i = 0; i < 5; ++i)
            editor->append({0, "r" + std::to_string(i), 50 - i});
        ASSERT_TRUE(headless::clickListRow(c.clicked));
        c.then();
        editor->replacePicked({0, "X", 10});
        EXPECT_EQ(descriptions(), c.expected) << c.name;
    }
}

TEST_F(ListEditorTest, ContextMenuOnlyOverARowWhileOneHasTheFocus) {
    EXPECT_FALSE(rightClick(-1, -1)); // no rows at all
    appendAll({"a", "b"});
    EXPECT_FALSE(rightClick(-1, -1)); // below the rows, nothing focused
    EXPECT_TRUE(rightClick(1, -1));
    ASSERT_TRUE(headless::clickListRow(0));
    EXPECT_FALSE(rightClick(-1, -1)); // a row has the focus, but the pointer is on none
}

TEST_F(ListEditorTest, CopyPutsTheFocusedEntryOnTheClipboard) {
    editor->append({3, "abc", 45});
    editor->append({0, "Zażółć", 10});
    ASSERT_TRUE(headless::clickListRow(1));
    EXPECT_TRUE(rightClick(0, 1));
    EXPECT_EQ(headless::clipboardText(), std::string("3	abc	45"));
    // Held by another program: nothing changes.
    headless::holdClipboard(true);
    EXPECT_TRUE(rightClick(1, 1));
    headless::holdClipboard(false);
    EXPECT_EQ(headless::clipboardText(), std::string("3	abc	45"));
    // The copied row is not the one "Zmień" writes: the clicked one is.
    editor->replacePicked({5, "replaced", 10});
    EXPECT_EQ(descriptions(), (std::vector<std::string>{"abc", "replaced"}));
}

TEST_F(ListEditorTest, DuplicateAndDeleteCommands) {
    appendAll({"a", "b", "c", "d"});
    ASSERT_TRUE(headless::clickListRow(1));
    EXPECT_TRUE(rightClick(1, 0));
    EXPECT_EQ(descriptions(), (std::vector<std::string>{"a", "b", "b", "c", "d"}));
    ASSERT_TRUE(headless::selectListRows({2, 3}));
    EXPECT_TRUE(rightClick(3, 2));
    EXPECT_EQ(descriptions(), (std::vector<std::string>{"a", "b", "d"}));
    ASSERT_TRUE(headless::selectListRows({0, 2}));
    EXPECT_TRUE(rightClick(0, 2));
    EXPECT_EQ(descriptions(), (std::vector<std::string>{"b"}));
    EXPECT_TRUE(rightClick(0, 3));
    EXPECT_TRUE(descriptions().empty());
}

// "Usuń" deletes the selected rows in one go; the focus (on the last row selected) ends where deleting
// them one by one from the last would leave it: on the first row after it that stays, else on the last.
TEST_F(ListEditorTest, DeletingSelectedRowsHandsTheFocusOnAsOneByOne) {
    struct Case {
        std::vector<int32_t> selected;
        std::vector<std::string> left;
        std::string focused; // empty: no row has the focus
    };
    const Case cases[] = {
        {{1, 3}, {"a", "c", "e", "f"}, "e"}, {{4, 5}, {"a", "b", "c", "d"}, "d"},
        {{5, 2}, {"a", "b", "d", "e"}, "d"}, {{0, 1, 2}, {"d", "e", "f"}, "d"},
        {{0, 1, 2, 3, 4, 5}, {}, ""},
    };
    for (const Case& c : cases) {
        editor->deleteAll();
        appendAll({"a", "b", "c", "d", "e", "f"});
        ASSERT_TRUE(headless::selectListRows(c.selected));
        editor->deleteSelected();
        EXPECT_EQ(descriptions(), c.left);
        std::string focused;
        for (const auto& r : headless::listViewRows()) {
            EXPECT_FALSE(r.selected);
            if (r.focused) focused += r.description;
        }
        EXPECT_EQ(focused, c.focused) << "selected " << c.selected.front() << "...";
    }
}

TEST_F(ListEditorTest, ColumnClicksSortAscendingThenDescendingByBytes) {
    const std::vector<StatusEntry> entries = {{0, "b", 20}, {1, "ąz", 100}, {2, "B", 9999}, {3, "ba", 3}};
    for (const StatusEntry& e : entries)
        editor->append(e);
    ASSERT_TRUE(headless::clickListColumn(1));
    EXPECT_EQ(descriptions(), (std::vector<std::string>{"ąz", "b", "ba", "B"})); // "100" < "20" < "3"
    ASSERT_TRUE(headless::clickListColumn(0)); // the toggle is shared by both columns
    EXPECT_EQ(descriptions(), (std::vector<std::string>{"ąz", "ba", "b", "B"}));
    ASSERT_TRUE(headless::clickListColumn(0));
    EXPECT_EQ(descriptions(), (std::vector<std::string>{"B", "b", "ba", "ąz"}));
    EXPECT_EQ(rows()[0], "B|9999|2"); // rows move whole
}

// Past the size up to which the library's sort happens to keep equal elements in order.
TEST_F(ListEditorTest, SortingKeepsEqualRowsInTheirOrder) {
    std::vector<std::string> names;
    for (int32_t i = 0; i < 40; ++i)
        names.push_back("r" + std::to_string(i));
    appendAll(names);
    ASSERT_TRUE(headless::clickListColumn(1));
    EXPECT_EQ(descriptions(), names);
    ASSERT_TRUE(headless::clickListColumn(1));
    EXPECT_EQ(descriptions(), names);
}

TEST_F(ListEditorTest, LabelEditsKeepTheOldTextWhenEmptiedOrCancelled) {
    appendAll({"one", "two"});
    ASSERT_TRUE(headless::editListLabel(0, std::string()));
    ASSERT_TRUE(headless::editListLabel(1, std::nullopt));
    EXPECT_EQ(descriptions(), (std::vector<std::string>{"one", "two"}));
    ASSERT_TRUE(headless::editListLabel(1, std::string(3000, 'x')));
    EXPECT_EQ(descriptions()[1], std::string(2047, 'x'));
    ASSERT_TRUE(headless::editListLabel(0, std::string("jeden")));
    EXPECT_EQ(rows()[0], "jeden|10|0");
}

struct DragCase {
    const char* name;
    std::vector<int32_t> selected;
    int32_t target;
    bool onIcon;
    std::vector<std::string> expected;
};
void PrintTo(const DragCase& c, std::ostream* os) {
    *os << c.name;
}

class ListEditorDragTest : public ListEditorTest, public ::testing::WithParamInterface<DragCase> {};

TEST_P(ListEditorDragTest, SelectedRowsMoveNextToTheTarget) {
    const DragCase& c = GetParam();
    for (int32_t i = 0; i < 5; ++i)
        editor->append({i, "r" + std::to_string(i), 10 + i});
    ASSERT_TRUE(headless::selectListRows(c.selected));
    ASSERT_TRUE(headless::dragListRowsOnto(c.target, c.onIcon));
    EXPECT_EQ(descriptions(), c.expected);
    EXPECT_FALSE(headless::listViewDragging());
    // Each row keeps its icon and seconds; the moved rows are no longer selected.
    for (const auto& r : headless::listViewRows()) {
        const int32_t i = r.description[1] - '0';
        EXPECT_EQ(r.image, imageOfPosition(i));
        EXPECT_EQ(r.seconds, std::to_string(10 + i));
    }
    const bool moved = c.expected != std::vector<std::string>{"r0", "r1", "r2", "r3", "r4"};
    size_t selected = 0;
    for (const auto& r : headless::listViewRows())
        selected += r.selected;
    EXPECT_EQ(selected, moved ? 0 : c.selected.size());
}

INSTANTIATE_TEST_SUITE_P(
    ListEditor, ListEditorDragTest,
    ::testing::Values(DragCase{"FromAbove", {0, 1}, 3, false, {"r2", "r3", "r0", "r1", "r4"}},
                      DragCase{"FromBelow", {3, 4}, 1, false, {"r0", "r3", "r4", "r1", "r2"}},
                      DragCase{"FromBothSides", {0, 4}, 2, false, {"r1", "r2", "r4", "r0", "r3"}},
                      DragCase{"OntoTheLastRow", {1}, 4, false, {"r0", "r2", "r3", "r4", "r1"}},
                      DragCase{"OntoAnIcon", {0, 1}, 3, true, {"r0", "r1", "r2", "r3", "r4"}},
                      DragCase{"OntoASelectedRow", {0, 1}, 1, false, {"r0", "r1", "r2", "r3", "r4"}}),
    [](const auto& info) { return info.param.name; });

TEST_F(ListEditorTest, DragWithoutSelectionStartsNothingAndMovesCutLongDescriptions) {
    appendAll({"a", "b"});
    EXPECT_FALSE(headless::dragListRowsOnto(1, false)); // nothing selected: no drag to start
    editor->append({2, std::string(2100, 'L'), 55});
    ASSERT_TRUE(headless::selectListRows({2}));
    ASSERT_TRUE(headless::dragListRowsOnto(0, false));
    EXPECT_EQ(rows()[0], std::string(2047, 'L') + "|55|2");
}

TEST_F(ListEditorTest, ColumnWidthsAreStoredAsTheyStand) {
    ASSERT_TRUE(headless::setListViewColumnWidth(0, 180));
    editor->storeColumnWidths();
    EXPECT_EQ(host.texts[445007], "180|55");
}

} // namespace
} // namespace brio
