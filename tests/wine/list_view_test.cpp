// The Win32 list view, worked through its interface, with brio-host's Windows driver playing the user:
// the real "SysListView32" in a page window of the driver, the page's procedure replaced by the
// control's, the context menu loaded from Brio.dll, and the real clipboard.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/desktop/desktop_driver.h"
#include "platform/clipboard.h"
#include "platform/common_controls.h"
#include "platform/list_view.h"
#include "tests/list_view_scrolling.h"

namespace {

using brio::host::DesktopDriver;
using brio::host::DropPart;
using brio::host::ListRowSeen;
namespace platform = brio::platform;
using platform::Point;
using platform::RowPart;
using platform::RowState;

constexpr int32_t kControlId = 220;
constexpr uint32_t kGridAndFullRow = 33; // LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT

// What the control reported, in order, one line per event; and what the editor would do in reply.
class Recorder final : public platform::ListViewEvents {
public:
    void onClick() override {
        log.push_back("click");
        if (throwOnClick) throw std::runtime_error("editor failed");
    }
    void onRightClick() override {
        log.push_back("rightClick");
        if (showMenu && control) {
            cursorAtRightClick = control->cursorOnScreen();
            control->showContextMenu(cursorAtRightClick);
        }
    }
    void onColumnClick(int32_t column) override { log.push_back("column " + std::to_string(column)); }
    void onBeginLabelEdit(int32_t row, int32_t column) override {
        log.push_back("beginEdit " + std::to_string(row) + " " + std::to_string(column));
    }
    void onEndLabelEdit(int32_t row, int32_t column, const char* text) override {
        log.push_back("endEdit " + std::to_string(row) + " " + std::to_string(column));
        editedText = text ? std::optional<std::string>(text) : std::nullopt;
    }
    void onBeginDrag(Point listPoint) override {
        log.push_back("beginDrag");
        dragStart = listPoint;
        if (control) {
            std::vector<int32_t> selected;
            for (int32_t row = control->nextSelected(-1); row >= 0; row = control->nextSelected(row))
                selected.push_back(row);
            control->beginDrag(selected, listPoint);
            captureDuringDrag = GetCapture();
        }
    }
    void onPointerMove(Point parentPoint) override {
        log.push_back("move");
        moves.push_back(parentPoint);
        if (control) control->moveDrag(parentPoint);
    }
    void onButtonUp(Point parentPoint) override {
        log.push_back("buttonUp");
        release = parentPoint;
        if (control) control->endDrag();
    }
    void onMenuCommand(int32_t command) override { log.push_back("command " + std::to_string(command)); }

    platform::ListViewControl* control = nullptr;
    bool showMenu = true;
    bool throwOnClick = false;
    std::vector<std::string> log;
    Point cursorAtRightClick;
    std::optional<std::string> editedText;
    Point dragStart;
    std::vector<Point> moves;
    std::optional<Point> release;
    HWND captureDuringDrag = nullptr;
};

HWND asWindow(int32_t handle) {
    return reinterpret_cast<HWND>(static_cast<intptr_t>(handle));
}

RECT rowRect(HWND list, int32_t row, int part) {
    RECT r{};
    r.left = part;
    SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r));
    return r;
}

bool inside(const RECT& r, Point p) {
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

class ListViewWin32 : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const char* path = std::getenv("BRIO_DLL");
        module_ = LoadLibraryA(path && *path ? path : "Brio.dll");
        platform::initCommonControls();
    }
    static void TearDownTestSuite() {
        if (module_) FreeLibrary(module_);
        module_ = nullptr;
    }

    void SetUp() override {
        ASSERT_NE(module_, nullptr) << "Brio.dll (the context menu's module) did not load";
        driver_ = DesktopDriver::create(nullptr);
        page_ = driver_->openPageWindow();
        ASSERT_NE(page_, 0);
    }

    void TearDown() override {
        control_.reset();
        driver_->closePageWindow(page_);
    }

    platform::ListViewSetup setup(int32_t page) {
        platform::ListViewSetup s;
        s.parentWindow = page;
        s.controlId = kControlId;
        s.instance = module_;
        s.x = 10;
        s.y = 20;
        s.width = 410;
        s.height = 230;
        s.extendedStyle = kGridAndFullRow;
        s.hostImageList = driver_->statusImageList();
        s.columns = {{"Opis", 250}, {"Czas [s]", 80}};
        return s;
    }

    void create() {
        control_ = platform::createListView(setup(page_), events_);
        ASSERT_NE(control_, nullptr);
        events_.control = control_.get();
    }

    // Rows r0, r1, ... with seconds 10, 11, ...
    void fill(int32_t rows) {
        for (int32_t i = 0; i < rows; ++i) {
            const int32_t at = control_->insertRow(i, i % 6, "r" + std::to_string(i), RowState{});
            ASSERT_EQ(at, i);
            control_->setText(at, 1, std::to_string(10 + i));
        }
    }

    std::vector<std::string> descriptions() {
        std::vector<std::string> texts;
        for (const ListRowSeen& row : driver_->listViewRows())
            texts.push_back(row.description);
        return texts;
    }

    HWND list() const { return asWindow(control_->window()); }

    static inline HMODULE module_ = nullptr;
    std::unique_ptr<DesktopDriver> driver_;
    int32_t page_ = 0;
    Recorder events_;
    std::unique_ptr<platform::ListViewControl> control_;
};

TEST_F(ListViewWin32, IsAReportViewInThePageWithTheGivenColumnsAndACopyOfTheStatusImages) {
    EXPECT_FALSE(driver_->listViewPresent());
    EXPECT_FALSE(driver_->clickRow(0));
    create();
    ASSERT_TRUE(driver_->listViewPresent());
    HWND view = list();
    EXPECT_EQ(GetParent(view), asWindow(page_));
    EXPECT_EQ(GetDlgCtrlID(view), kControlId);
    char className[32] = {};
    GetClassNameA(view, className, sizeof(className));
    EXPECT_STREQ(className, "SysListView32");
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(view, GWL_STYLE)) & 0xFFFF0FFFu, 0x50000201u);
    EXPECT_TRUE(GetWindowLongA(view, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_EQ(SendMessageA(view, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0), kGridAndFullRow);
    RECT placed{};
    GetWindowRect(view, &placed);
    EXPECT_EQ(placed.right - placed.left, 410);
    EXPECT_EQ(placed.bottom - placed.top, 230);
    EXPECT_EQ(control_->windowOrigin(), (Point{placed.left, placed.top}));
    EXPECT_EQ(control_->windowOrigin(), control_->parentToScreen({10, 20}));

    EXPECT_EQ(driver_->listViewColumnWidths(), (std::vector<int32_t>{250, 80}));
    EXPECT_EQ(control_->columnWidth(0), 250);
    EXPECT_EQ(control_->columnWidth(1), 80);
    EXPECT_EQ(control_->columnWidth(2), 0);
    const char* titles[] = {"Opis", "Czas [s]"};
    for (int column = 0; column < 2; ++column) {
        char title[32] = {};
        LVCOLUMNA read{};
        read.mask = LVCF_TEXT | LVCF_FMT;
        read.pszText = title;
        read.cchTextMax = sizeof(title);
        ASSERT_TRUE(SendMessageA(view, LVM_GETCOLUMNA, column, reinterpret_cast<LPARAM>(&read)));
        EXPECT_STREQ(title, titles[column]);
        EXPECT_EQ(read.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_LEFT);
    }

    const auto host = reinterpret_cast<HIMAGELIST>(static_cast<intptr_t>(driver_->statusImageList()));
    const auto own = reinterpret_cast<HIMAGELIST>(SendMessageA(view, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
    ASSERT_NE(own, nullptr);
    EXPECT_NE(own, host) << "the control keeps a copy of its own";
    EXPECT_EQ(ImageList_GetImageCount(own), 8);
    EXPECT_EQ(ImageList_GetImageCount(host), 8);
}

TEST_F(ListViewWin32, StatusImagesAreEightDistinctSmallImagesMadeOnce) {
    const int32_t first = driver_->statusImageList();
    ASSERT_NE(first, 0);
    EXPECT_EQ(driver_->statusImageList(), first);
    const auto images = reinterpret_cast<HIMAGELIST>(static_cast<intptr_t>(first));
    int width = 0, height = 0;
    ASSERT_TRUE(ImageList_GetIconSize(images, &width, &height));
    EXPECT_EQ(width, 16);
    EXPECT_EQ(height, 16);
    // The middle pixel of each image, drawn on a white square.
    HDC screen = GetDC(nullptr);
    HDC canvas = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 16, 16);
    HGDIOBJ old = SelectObject(canvas, bitmap);
    std::vector<COLORREF> middles;
    for (int i = 0; i < ImageList_GetImageCount(images); ++i) {
        RECT all{0, 0, 16, 16};
        FillRect(canvas, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        ImageList_Draw(images, i, canvas, 0, 0, ILD_NORMAL);
        middles.push_back(GetPixel(canvas, 8, 8));
    }
    SelectObject(canvas, old);
    DeleteObject(bitmap);
    DeleteDC(canvas);
    ReleaseDC(nullptr, screen);
    ASSERT_EQ(middles.size(), 8u);
    std::vector<COLORREF> distinct = middles;
    std::sort(distinct.begin(), distinct.end());
    EXPECT_EQ(std::unique(distinct.begin(), distinct.end()), distinct.end())
        << "every status has its own image";
}

TEST_F(ListViewWin32, WithoutAUsableHostImageListTheControlHasNone) {
    for (int32_t hostList : {0, 0x1234}) {
        auto s = setup(page_);
        s.hostImageList = hostList;
        auto made = platform::createListView(s, events_);
        ASSERT_NE(made, nullptr) << hostList;
        EXPECT_EQ(SendMessageA(asWindow(made->window()), LVM_GETIMAGELIST, LVSIL_SMALL, 0), 0) << hostList;
    }
}

TEST_F(ListViewWin32, RowsAreInsertedAppendedReadAndDeleted) {
    create();
    // Code page 1250 bytes: "Zaraz wracam, ż" with 0xBF for ż.
    const std::string polish = "Zaraz wracam, \xBF";
    EXPECT_EQ(control_->insertRow(0, 2, "first", RowState{}), 0);
    EXPECT_EQ(control_->insertRow(1000, 3, polish, RowState{true, false}), 1) << "past the end appends";
    EXPECT_EQ(control_->insertRow(0, 5, "top", RowState{false, true}), 0);
    EXPECT_EQ(control_->insertRow(-1, 1, "nowhere", RowState{}), -1);
    ASSERT_EQ(control_->rowCount(), 3);
    control_->setText(2, 1, "45");
    control_->setText(3, 1, "no such row");
    control_->setText(0, 2, "no such column");

    EXPECT_EQ(descriptions(), (std::vector<std::string>{"top", "first", polish}));
    const auto seen = driver_->listViewRows();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[2].seconds, "45");
    EXPECT_EQ(seen[0].seconds, "");

    const platform::RowRead top = control_->readRow(0, 1024);
    EXPECT_EQ(top.image, 5);
    EXPECT_EQ(top.state, (RowState{false, true}));
    EXPECT_EQ(top.text, "top");
    const platform::RowRead last = control_->readRow(2, 1024);
    EXPECT_EQ(last.image, 3);
    EXPECT_EQ(last.state, (RowState{true, false}));
    EXPECT_EQ(last.text, polish);
    const platform::RowRead missing = control_->readRow(3, 1024);
    EXPECT_EQ(missing.image, -1);
    EXPECT_EQ(missing.text, "");
    EXPECT_EQ(control_->text(2, 1, 2048), "45");
    EXPECT_EQ(control_->text(-1, 0, 2048), "");
    EXPECT_EQ(control_->text(0, 2, 2048), "");

    control_->deleteRow(1);
    control_->deleteRow(7); // not there: nothing happens
    EXPECT_EQ(descriptions(), (std::vector<std::string>{"top", polish}));
    EXPECT_EQ(control_->text(1, 1, 2048), "45") << "the later row moved up with its seconds";
    control_->deleteAllRows();
    EXPECT_EQ(control_->rowCount(), 0);
    EXPECT_TRUE(driver_->listViewRows().empty());
}

// The control widens a selected run over a row inserted inside it; the row still comes in with the
// state asked for, and the run's rows keep theirs.
TEST_F(ListViewWin32, ARowInsertedInsideASelectionHasTheStateAskedFor) {
    create();
    fill(3);
    ASSERT_TRUE(driver_->selectRows({0, 1}));
    EXPECT_EQ(control_->insertRow(1, 0, "copy", RowState{}), 1);
    EXPECT_EQ(control_->insertRow(3, 0, "chosen", RowState{true, false}), 3);
    std::vector<std::string> seen;
    for (const ListRowSeen& row : driver_->listViewRows())
        seen.push_back(row.description + (row.selected ? "+" : "") + (row.focused ? "*" : ""));
    EXPECT_EQ(seen, (std::vector<std::string>{"r0+", "copy", "r1+*", "chosen+", "r2"}));
}

// Deleting several rows hands the focus (on the last row selected) on as the control does row by row
// from the last: to the first row after it that stays, else to the last; the same table as headless.
TEST_F(ListViewWin32, DeletingRowsHandsTheFocusOnAsOneByOne) {
    create();
    struct Case {
        std::vector<int32_t> rows;
        std::vector<std::string> left;
        std::string focused;
    };
    const Case cases[] = {
        {{1, 3}, {"r0", "r2", "r4", "r5"}, "r4"},
        {{4, 5}, {"r0", "r1", "r2", "r3"}, "r3"},
        {{2, 5}, {"r0", "r1", "r3", "r4"}, "r4"},
        {{0, 1, 2, 3, 4, 5}, {}, ""},
    };
    for (const Case& c : cases) {
        control_->deleteAllRows();
        fill(6);
        ASSERT_TRUE(driver_->selectRows(c.rows));
        control_->deleteRows(c.rows);
        EXPECT_EQ(descriptions(), c.left);
        std::string focused;
        for (const ListRowSeen& row : driver_->listViewRows())
            if (row.focused) focused += row.description;
        EXPECT_EQ(focused, c.focused);
    }
}

// Many rows going at once are taken another way than one by one; the rows that stay (texts, icons,
// selection), the focus and the view end as deleting the rows one by one from the last leaves them.
TEST_F(ListViewWin32, DeletingManyRowsEndsAsDeletingThemOneByOne) {
    create();
    driver_->watchAlways(false); // no box or menu comes here, and the rows are many
    struct Case {
        int32_t rows;
        int32_t step; // every step-th row goes
        int32_t focus;
        int32_t shown; // shown last, from below
        int32_t mark;  // where a shift-click would start
    };
    const Case cases[] = {
        {300, 2, 0, 0, 4},   {300, 2, 151, 290, 298}, {300, 3, 297, 150, 299},
        {300, 3, 2, 40, -1}, {200, 1, 120, 100, 50},
    };
    auto seen = [this] {
        std::vector<std::string> rows;
        for (const ListRowSeen& r : driver_->listViewRows())
            rows.push_back(std::to_string(r.image) + (r.selected ? "s" : "-") + (r.focused ? "f " : "- ") +
                           r.description + "|" + r.seconds);
        rows.push_back("top " + std::to_string(SendMessageA(list(), LVM_GETTOPINDEX, 0, 0)) + ", mark " +
                       std::to_string(SendMessageA(list(), LVM_GETSELECTIONMARK, 0, 0)));
        return rows;
    };
    for (const Case& c : cases) {
        std::vector<std::string> oneByOne;
        for (const bool atOnce : {false, true}) {
            control_->deleteAllRows();
            fill(c.rows);
            control_->setText(7, 1, std::string(5000, 'x')); // longer than any buffer the editor reads with
            std::vector<int32_t> going, selected{1};
            for (int32_t row = 0; row < c.rows; row += c.step)
                going.push_back(row);
            selected.insert(selected.end(), going.begin(), going.end());
            std::sort(selected.begin(), selected.end());
            selected.erase(std::unique(selected.begin(), selected.end()), selected.end());
            ASSERT_TRUE(driver_->selectRows(selected));
            LVITEMA focus{};
            focus.stateMask = LVIS_FOCUSED;
            focus.state = LVIS_FOCUSED;
            SendMessageA(list(), LVM_SETITEMSTATE, static_cast<WPARAM>(c.focus),
                         reinterpret_cast<LPARAM>(&focus));
            SendMessageA(list(), LVM_SETSELECTIONMARK, 0, c.mark);
            SendMessageA(list(), LVM_ENSUREVISIBLE, static_cast<WPARAM>(c.rows - 1), FALSE);
            SendMessageA(list(), LVM_ENSUREVISIBLE, static_cast<WPARAM>(c.shown), FALSE);
            control_->setRedraw(false);
            if (atOnce)
                control_->deleteRows(going);
            else
                for (auto row = going.rbegin(); row != going.rend(); ++row)
                    control_->deleteRow(*row);
            control_->setRedraw(true);
            if (atOnce)
                EXPECT_EQ(seen(), oneByOne) << c.rows << " rows, every " << c.step << ", focus " << c.focus;
            else
                oneByOne = seen();
        }
    }
}

struct CutCase {
    size_t bufferSize;
    size_t expectedLength;
};

TEST_F(ListViewWin32, TextsAreCutToTheBufferLessItsTerminator) {
    create();
    std::string longText(3000, 'x');
    for (size_t i = 0; i < longText.size(); ++i)
        longText[i] = static_cast<char>('a' + i % 26);
    ASSERT_EQ(control_->insertRow(0, 0, longText, RowState{}), 0);
    control_->setText(0, 1, longText);
    ASSERT_EQ(driver_->listViewRows().at(0).description, longText) << "the control keeps the whole text";
    const CutCase cases[] = {{0, 0},       {1, 0},       {2, 1},       {1024, 1023},
                             {2048, 2047}, {3000, 2999}, {3001, 3000}, {10000, 3000}};
    for (const CutCase& c : cases) {
        const std::string expected = longText.substr(0, c.expectedLength);
        EXPECT_EQ(control_->text(0, 0, c.bufferSize), expected) << c.bufferSize;
        EXPECT_EQ(control_->text(0, 1, c.bufferSize), expected) << c.bufferSize;
        EXPECT_EQ(control_->readRow(0, c.bufferSize).text, expected) << c.bufferSize;
    }
}

TEST_F(ListViewWin32, ClicksAndSelectionsSetSelectionAndFocus) {
    create();
    fill(5);
    ASSERT_TRUE(driver_->clickRow(2));
    EXPECT_EQ(events_.log, std::vector<std::string>{"click"});
    EXPECT_EQ(control_->nextFocused(-1), 2);
    EXPECT_EQ(control_->nextSelected(-1), 2);
    EXPECT_EQ(control_->nextSelected(2), -1);
    EXPECT_EQ(control_->nextFocused(2), -1) << "nothing focused after the focused row";
    EXPECT_EQ(control_->nextFocused(3), -1) << "the focused row lies before the start";
    EXPECT_TRUE(control_->isSelected(2));
    EXPECT_FALSE(control_->isSelected(1));
    EXPECT_FALSE(control_->isSelected(5));

    events_.log.clear();
    ASSERT_TRUE(driver_->selectRows({0, 3, 4}));
    EXPECT_TRUE(events_.log.empty()) << "selecting alone notifies nothing";
    EXPECT_EQ(control_->nextSelected(-1), 0);
    EXPECT_EQ(control_->nextSelected(0), 3);
    EXPECT_EQ(control_->nextSelected(3), 4);
    EXPECT_EQ(control_->nextSelected(4), -1);
    EXPECT_EQ(control_->nextSelected(-7), 0) << "any start before the top is the top";
    EXPECT_EQ(control_->nextFocused(-1), 4);
    EXPECT_FALSE(control_->isSelected(2));
    const auto seen = driver_->listViewRows();
    EXPECT_TRUE(seen[0].selected && !seen[0].focused);
    EXPECT_TRUE(seen[4].selected && seen[4].focused);
    EXPECT_FALSE(driver_->selectRows({1, 5})) << "row 5 is not there";
    EXPECT_TRUE(control_->isSelected(0)) << "a refused selection changes nothing";

    ASSERT_TRUE(driver_->clickRow(-1));
    EXPECT_EQ(events_.log, std::vector<std::string>{"click"});
    EXPECT_EQ(control_->nextSelected(-1), -1);
    EXPECT_FALSE(driver_->clickRow(5));
    EXPECT_FALSE(driver_->clickRow(-2));
}

TEST_F(ListViewWin32, HitTestTellsTheRowAndItsPart) {
    create();
    fill(3);
    HWND view = list();
    const RECT label = rowRect(view, 1, LVIR_LABEL);
    const RECT icon = rowRect(view, 1, LVIR_ICON);
    ASSERT_LT(icon.right, label.right);
    const platform::HitTest onLabel =
        control_->hitTest({(label.left + label.right) / 2, (label.top + label.bottom) / 2});
    EXPECT_EQ(onLabel.row, 1);
    EXPECT_EQ(onLabel.part, RowPart::Label);
    const platform::HitTest onIcon =
        control_->hitTest({(icon.left + icon.right) / 2, (icon.top + icon.bottom) / 2});
    EXPECT_EQ(onIcon.row, 1);
    EXPECT_EQ(onIcon.part, RowPart::Icon);
    const RECT bounds = rowRect(view, 2, LVIR_BOUNDS);
    const platform::HitTest below = control_->hitTest({20, bounds.bottom + 20});
    EXPECT_EQ(below.row, -1);
    EXPECT_EQ(below.part, RowPart::Nowhere);
    const platform::HitTest outside = control_->hitTest({-50, -50});
    EXPECT_EQ(outside.row, -1);

    // The page's point, on the screen, then in the list: the list sits at (10, 20) in the page, inside
    // its 2-pixel client edge.
    const Point inPage{10 + 2 + 30, 20 + 2 + label.top + 1};
    const Point inList = control_->screenToList(control_->parentToScreen(inPage));
    EXPECT_EQ(inList, (Point{30, label.top + 1}));
    EXPECT_EQ(control_->hitTest(inList).row, 1);
}

// The facts the headless list view copies: where rows lie and how far the control scrolls.
class ListViewWin32Scrolling : public ListViewWin32 {
protected:
    brio::test::ScrollSubject subject() {
        HWND view = list();
        return {
            *driver_, *control_,
            [view](int32_t row) { SendMessageA(view, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE); },
            [view] { return static_cast<int32_t>(SendMessageA(view, LVM_GETTOPINDEX, 0, 0)); }};
    }
};

TEST_F(ListViewWin32Scrolling, RowsLieWhereTheHeadlessViewPutsThem) {
    create();
    brio::test::fillScrollRows(*control_);
    events_.showMenu = false;
    EXPECT_EQ(SendMessageA(list(), LVM_GETCOUNTPERPAGE, 0, 0), 12);
    brio::test::ScrollSubject s = subject();
    for (const brio::test::ScrollHitCase& c : brio::test::scrollHitCases()) {
        s.show(c.shown);
        const platform::HitTest hit = control_->hitTest(c.at);
        EXPECT_EQ(hit.row, c.row) << c.shown << ": " << c.at.x << "," << c.at.y;
        EXPECT_EQ(hit.part, c.part) << c.shown << ": " << c.at.x << "," << c.at.y;
    }
}

TEST_F(ListViewWin32Scrolling, RightClickPointerFindsItsRowWhereverTheViewIs) {
    create();
    brio::test::fillScrollRows(*control_);
    events_.showMenu = false;
    std::vector<std::string> menu;
    for (int32_t row : brio::test::scrollRightClickRows()) {
        ASSERT_TRUE(driver_->rightClickRow(row, -1, menu)) << row;
        const Point pointer = control_->cursorOnScreen();
        const Point corner = control_->windowOrigin();
        EXPECT_EQ(control_->hitTest({pointer.x - corner.x, pointer.y - corner.y}).row, row) << row;
    }
}

TEST_F(ListViewWin32Scrolling, TopRowFollowsTheFocusAsTheHeadlessViewMovesIt) {
    create();
    brio::test::fillScrollRows(*control_);
    events_.showMenu = false;
    brio::test::ScrollSubject s = subject();
    for (const brio::test::ScrollCase& c : brio::test::scrollCases()) {
        ASSERT_TRUE(brio::test::runScrollStep(c, s)) << c.what;
        EXPECT_EQ(s.top(), c.top) << c.what;
        EXPECT_EQ(control_->nextFocused(-1), c.focused) << c.what;
    }
}

TEST_F(ListViewWin32, SortGivesTheComparatorCurrentPositions) {
    create();
    // Enough rows in a scrambled order that a comparator reading stale positions would misorder them.
    std::vector<std::string> texts;
    for (int i = 0; i < 41; ++i) // 0, 5, ..., 200, each once
        texts.push_back(std::to_string((i * 37) % 41 * 5));
    texts.push_back("1001");
    texts.push_back("21");
    for (size_t i = 0; i < texts.size(); ++i) {
        // The last two rows: "1001" selected, "21" selected and focused.
        const RowState state{i + 2 >= texts.size(), i + 1 == texts.size()};
        control_->insertRow(static_cast<int32_t>(i), static_cast<int32_t>(i % 6), texts[i], state);
        control_->setText(static_cast<int32_t>(i), 1, "s" + texts[i]);
    }
    const int32_t count = control_->rowCount();
    bool inRange = true;
    const auto byText = [&](int direction) {
        return [&, direction](int32_t a, int32_t b) {
            inRange = inRange && a >= 0 && a < count && b >= 0 && b < count;
            const std::string x = control_->text(a, 0, 2048), y = control_->text(b, 0, 2048);
            return direction * (x < y ? -1 : x > y ? 1 : 0);
        };
    };
    control_->sortRows(byText(1));
    std::vector<std::string> ascending = texts;
    std::sort(ascending.begin(), ascending.end());
    EXPECT_TRUE(inRange);
    EXPECT_EQ(descriptions(), ascending);
    const auto rows = driver_->listViewRows();
    for (const ListRowSeen& row : rows) {
        EXPECT_EQ(row.seconds, "s" + row.description) << "a row moves whole";
        EXPECT_EQ(row.selected, row.description == "1001" || row.description == "21") << row.description;
        EXPECT_EQ(row.focused, row.description == "21") << row.description;
    }
    const std::vector<std::string> sorted = descriptions();
    const auto at100 = std::find(sorted.begin(), sorted.end(), "100");
    const auto at20 = std::find(sorted.begin(), sorted.end(), "20");
    ASSERT_NE(at20, sorted.end());
    EXPECT_LT(at100, at20) << "texts, not numbers";

    control_->sortRows(byText(-1));
    std::vector<std::string> descending(ascending.rbegin(), ascending.rend());
    EXPECT_EQ(descriptions(), descending);
    // A comparator that throws leaves the rows as they were; one that answers at random keeps them all.
    EXPECT_FALSE(control_->sortRows([](int32_t, int32_t) -> int { throw std::runtime_error("bad"); }));
    EXPECT_EQ(descriptions(), descending);
    unsigned seed = 1;
    control_->sortRows(
        [&](int32_t, int32_t) { return static_cast<int>((seed = seed * 1103515245 + 12345) >> 16) % 3 - 1; });
    std::vector<std::string> shuffled = descriptions();
    std::sort(shuffled.begin(), shuffled.end());
    EXPECT_EQ(shuffled, ascending);
}

TEST_F(ListViewWin32, ContextMenuCommandChosenByPositionReachesTheEvents) {
    create();
    fill(3);
    // Code page 1250 bytes, as the plug-in's own texts ("Usu\xF1").
    const std::vector<std::string> items{"Duplikuj", "Kopiuj", "Usuń", "Usuń wszystko"};
    ASSERT_EQ(items[2], "Usu\xF1");
    struct Choice {
        int32_t position;
        const char* command;
    };
    const Choice choices[] = {
        {1, "command 40006"}, {0, "command 40005"}, {3, "command 40008"}, {2, "command 40007"}};
    for (const Choice& choice : choices) {
        events_.log.clear();
        std::vector<std::string> seen{"stale"};
        ASSERT_TRUE(driver_->rightClickRow(1, choice.position, seen));
        EXPECT_EQ(events_.log, (std::vector<std::string>{"rightClick", choice.command})) << choice.position;
        EXPECT_EQ(seen, items);
    }
    // The pointer was on the row's label when the menu opened.
    const Point pointer = control_->screenToList(events_.cursorAtRightClick);
    EXPECT_EQ(control_->hitTest(pointer).row, 1);
    EXPECT_EQ(control_->hitTest(pointer).part, RowPart::Label);
    // The editor's way of finding the row: relative to the window's corner, client edge included.
    const Point origin = control_->windowOrigin();
    const Point fromCorner{events_.cursorAtRightClick.x - origin.x, events_.cursorAtRightClick.y - origin.y};
    EXPECT_EQ(control_->hitTest(fromCorner).row, 1);
}

TEST_F(ListViewWin32, DismissedOrMissingMenuGivesNoCommand) {
    create();
    fill(2);
    std::vector<std::string> seen;
    ASSERT_TRUE(driver_->rightClickRow(0, -1, seen));
    EXPECT_EQ(events_.log, std::vector<std::string>{"rightClick"});
    EXPECT_EQ(seen.size(), 4u) << "the menu was shown";
    events_.log.clear();
    ASSERT_TRUE(driver_->rightClickRow(0, 4, seen)) << "no fifth item: dismissed";
    EXPECT_EQ(events_.log, std::vector<std::string>{"rightClick"});

    events_.showMenu = false;
    events_.log.clear();
    ASSERT_TRUE(driver_->rightClickRow(-1, 0, seen));
    EXPECT_EQ(events_.log, std::vector<std::string>{"rightClick"});
    EXPECT_TRUE(seen.empty()) << "no menu shown";
    const Point pointer = control_->screenToList(control_->cursorOnScreen());
    EXPECT_EQ(control_->hitTest(pointer).row, -1) << "a right click below the rows";
    EXPECT_FALSE(driver_->rightClickRow(2, 0, seen));
    // Later messages still go their way: nothing is left waiting for a menu.
    events_.log.clear();
    ASSERT_TRUE(driver_->clickRow(0));
    EXPECT_EQ(events_.log, std::vector<std::string>{"click"});
}

TEST_F(ListViewWin32, RightClickFocusesTheRowAndKeepsASelectionItIsPartOf) {
    create();
    fill(4);
    events_.showMenu = false;
    std::vector<std::string> seen;
    const auto states = [&] {
        std::string s;
        for (const ListRowSeen& row : driver_->listViewRows())
            s += row.focused ? (row.selected ? 'F' : 'f') : (row.selected ? 's' : '.');
        return s;
    };
    ASSERT_TRUE(driver_->selectRows({0, 2}));
    ASSERT_EQ(states(), "s.F.");
    ASSERT_TRUE(driver_->rightClickRow(0, -1, seen));
    EXPECT_EQ(states(), "F.s.") << "a selected row: the selection stays, the focus moves";
    ASSERT_TRUE(driver_->rightClickRow(3, -1, seen));
    EXPECT_EQ(states(), "...F") << "an unselected row becomes the only selected one";
    ASSERT_TRUE(driver_->rightClickRow(-1, -1, seen));
    EXPECT_EQ(states(), "...f") << "below the rows: nothing selected, the focus stays";
    ASSERT_TRUE(driver_->selectRows({}));
    EXPECT_EQ(states(), "....");
    EXPECT_EQ(events_.log, (std::vector<std::string>{"rightClick", "rightClick", "rightClick"}));
}

TEST_F(ListViewWin32, OnlyTheMenusCommandsAreReported) {
    create();
    HWND page = asWindow(page_);
    for (WPARAM command : {40004u, 40005u, 40008u, 40009u})
        SendMessageA(page, WM_COMMAND, command, 0);
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(40006, BN_CLICKED), reinterpret_cast<LPARAM>(list()));
    EXPECT_EQ(events_.log, (std::vector<std::string>{"command 40005", "command 40008"}));
}

TEST_F(ListViewWin32, LabelEditEndsWithTheTypedTextOrCancelled) {
    create();
    fill(3);
    const std::string typed = "Nie przeszkadza\xE6 \xBF";
    ASSERT_TRUE(driver_->editLabel(1, typed));
    EXPECT_EQ(events_.log, (std::vector<std::string>{"beginEdit 1 0", "endEdit 1 0"}));
    EXPECT_EQ(events_.editedText, std::optional<std::string>(typed));
    EXPECT_EQ(control_->text(1, 0, 2048), "r1") << "the editor, not the control, writes the text";
    EXPECT_EQ(FindWindowExA(list(), nullptr, "Edit", nullptr), nullptr) << "the edit box is gone";

    events_.log.clear();
    events_.editedText = "left over";
    ASSERT_TRUE(driver_->editLabel(2, std::nullopt));
    EXPECT_EQ(events_.log, (std::vector<std::string>{"beginEdit 2 0", "endEdit 2 0"}));
    EXPECT_EQ(events_.editedText, std::nullopt);
    EXPECT_EQ(FindWindowExA(list(), nullptr, "Edit", nullptr), nullptr);
    EXPECT_FALSE(driver_->editLabel(3, "x"));
}

TEST_F(ListViewWin32, DragFromTheFirstSelectedRowEndsOnTheTargetsPart) {
    create();
    fill(5);
    HWND view = list();
    ASSERT_TRUE(driver_->selectRows({1, 2}));
    ASSERT_TRUE(driver_->dragOnto(4, DropPart::Label));
    EXPECT_EQ(events_.log, (std::vector<std::string>{"beginDrag", "move", "buttonUp"}));
    EXPECT_TRUE(inside(rowRect(view, 1, LVIR_LABEL), events_.dragStart));
    EXPECT_EQ(events_.captureDuringDrag, asWindow(page_)) << "the page holds the mouse while dragging";
    EXPECT_EQ(GetCapture(), nullptr) << "and lets it go at the drop";
    ASSERT_TRUE(events_.release);
    EXPECT_EQ(events_.moves, std::vector<Point>{*events_.release});
    const platform::HitTest dropped =
        control_->hitTest(control_->screenToList(control_->parentToScreen(*events_.release)));
    EXPECT_EQ(dropped.row, 4);
    EXPECT_EQ(dropped.part, RowPart::Label);
    EXPECT_EQ(control_->cursorOnScreen(), control_->parentToScreen(*events_.release));

    events_.log.clear();
    ASSERT_TRUE(driver_->dragOnto(0, DropPart::Icon));
    const platform::HitTest onIcon =
        control_->hitTest(control_->screenToList(control_->parentToScreen(*events_.release)));
    EXPECT_EQ(onIcon.row, 0);
    EXPECT_EQ(onIcon.part, RowPart::Icon);

    events_.log.clear();
    EXPECT_FALSE(driver_->dragOnto(0, DropPart::StateIcon)) << "the rows show no state icons";
    EXPECT_FALSE(driver_->dragOnto(5, DropPart::Label));
    ASSERT_TRUE(driver_->selectRows({}));
    EXPECT_FALSE(driver_->dragOnto(0, DropPart::Label)) << "nothing selected to drag";
    EXPECT_TRUE(events_.log.empty());
}

TEST_F(ListViewWin32, ColumnClicksAndWidths) {
    create();
    ASSERT_TRUE(driver_->clickColumn(1));
    ASSERT_TRUE(driver_->clickColumn(0));
    EXPECT_FALSE(driver_->clickColumn(2));
    EXPECT_FALSE(driver_->clickColumn(-1));
    EXPECT_EQ(events_.log, (std::vector<std::string>{"column 1", "column 0"}));
    ASSERT_TRUE(driver_->setColumnWidth(1, 123));
    EXPECT_EQ(control_->columnWidth(1), 123);
    ASSERT_TRUE(driver_->setColumnWidth(0, 0));
    EXPECT_EQ(control_->columnWidth(0), 0);
    EXPECT_FALSE(driver_->setColumnWidth(2, 50));
    EXPECT_FALSE(driver_->setColumnWidth(0, -5));
    EXPECT_EQ(driver_->listViewColumnWidths(), (std::vector<int32_t>{0, 123}));
}

TEST_F(ListViewWin32, ExceptionsFromTheEventsStayInTheWindowProcedure) {
    create();
    fill(1);
    events_.throwOnClick = true;
    EXPECT_TRUE(driver_->clickRow(0));
    EXPECT_EQ(events_.log, std::vector<std::string>{"click"});
    EXPECT_TRUE(IsWindow(asWindow(page_)));
}

TEST_F(ListViewWin32, DestroyedControlLeavesThePageAsItWas) {
    HWND page = asWindow(page_);
    const LONG pageProcedure = GetWindowLongA(page, GWL_WNDPROC);
    create();
    EXPECT_NE(GetWindowLongA(page, GWL_WNDPROC), pageProcedure) << "the page is subclassed";
    EXPECT_EQ(GetPropA(page, "LIST_POINTER"), control_.get());
    Recorder other;
    EXPECT_EQ(platform::createListView(setup(page_), other), nullptr) << "one control per page at a time";

    HWND first = list();
    control_.reset();
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(GetWindowLongA(page, GWL_WNDPROC), pageProcedure);
    EXPECT_EQ(GetPropA(page, "LIST_POINTER"), nullptr);
    EXPECT_FALSE(driver_->listViewPresent());
    // A notification that still names the old control reaches nobody.
    NMHDR late{first, kControlId, NM_CLICK};
    SendMessageA(page, WM_NOTIFY, kControlId, reinterpret_cast<LPARAM>(&late));
    SendMessageA(page, WM_COMMAND, 40006, 0);
    EXPECT_TRUE(events_.log.empty());

    // A second control in the same page subclasses it once more and hears its own rows.
    Recorder second;
    auto again = platform::createListView(setup(page_), second);
    ASSERT_NE(again, nullptr);
    second.control = again.get();
    ASSERT_EQ(again->insertRow(0, 0, "again", RowState{}), 0);
    ASSERT_TRUE(driver_->clickRow(0));
    EXPECT_EQ(second.log, std::vector<std::string>{"click"});
    EXPECT_TRUE(events_.log.empty());
    again.reset();
    EXPECT_EQ(GetWindowLongA(page, GWL_WNDPROC), pageProcedure);
}

// Someone subclasses the page after the control did: ours stays in the chain, passes everything on
// after the control is gone, and a later control uses it without subclassing the page twice.
WNDPROC outerPrevious = nullptr;
int outerCalls = 0;
LRESULT CALLBACK outerProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    ++outerCalls;
    return CallWindowProcA(outerPrevious, window, message, wParam, lParam);
}

TEST_F(ListViewWin32, LaterSubclassOfThePageKeepsWorking) {
    HWND page = asWindow(page_);
    create();
    outerPrevious = reinterpret_cast<WNDPROC>(
        SetWindowLongA(page, GWL_WNDPROC, static_cast<LONG>(reinterpret_cast<intptr_t>(outerProcedure))));
    fill(1);
    HWND first = list();
    control_.reset();
    EXPECT_EQ(GetWindowLongA(page, GWL_WNDPROC), reinterpret_cast<intptr_t>(outerProcedure)) << "left alone";
    outerCalls = 0;
    NMHDR late{first, kControlId, NM_CLICK};
    SendMessageA(page, WM_NOTIFY, kControlId, reinterpret_cast<LPARAM>(&late));
    EXPECT_EQ(outerCalls, 1);
    EXPECT_TRUE(events_.log.empty());

    Recorder second;
    auto again = platform::createListView(setup(page_), second);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(GetWindowLongA(page, GWL_WNDPROC), reinterpret_cast<intptr_t>(outerProcedure));
    again->insertRow(0, 0, "again", RowState{});
    ASSERT_TRUE(driver_->clickRow(0));
    EXPECT_EQ(second.log, std::vector<std::string>{"click"});
    again.reset();
    SetWindowLongA(page, GWL_WNDPROC, reinterpret_cast<intptr_t>(outerPrevious));
}

// The page's own procedure, found under ours: which list view notifications reach it.
WNDPROC innerPrevious = nullptr;
std::vector<UINT> innerNotifications;
LRESULT CALLBACK innerProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY) innerNotifications.push_back(reinterpret_cast<const NMHDR*>(lParam)->code);
    return CallWindowProcA(innerPrevious, window, message, wParam, lParam);
}

TEST_F(ListViewWin32, LabelEditsAreKeptFromThePageAndTheRestPassedOn) {
    HWND page = asWindow(page_);
    innerPrevious = reinterpret_cast<WNDPROC>(
        SetWindowLongA(page, GWL_WNDPROC, static_cast<LONG>(reinterpret_cast<intptr_t>(innerProcedure))));
    create();
    fill(2);
    innerNotifications.clear();
    ASSERT_TRUE(driver_->editLabel(1, std::string("nowy")));
    ASSERT_TRUE(driver_->clickColumn(0));
    ASSERT_TRUE(driver_->clickRow(0));
    const auto seen = [](UINT code) {
        return std::find(innerNotifications.begin(), innerNotifications.end(), code) !=
               innerNotifications.end();
    };
    EXPECT_FALSE(seen(LVN_BEGINLABELEDITA));
    EXPECT_FALSE(seen(LVN_ENDLABELEDITA));
    EXPECT_TRUE(seen(LVN_COLUMNCLICK));
    EXPECT_TRUE(seen(NM_CLICK));
    control_.reset();
    SetWindowLongA(page, GWL_WNDPROC, reinterpret_cast<intptr_t>(innerPrevious));
}

TEST_F(ListViewWin32, ControlsInTwoPagesEachHearTheirOwn) {
    create();
    const int32_t otherPage = driver_->openPageWindow();
    Recorder other;
    auto second = platform::createListView(setup(otherPage), other);
    ASSERT_NE(second, nullptr);
    second->insertRow(0, 0, "other", RowState{});
    // The driver works the newest page's list.
    ASSERT_TRUE(driver_->clickRow(0));
    EXPECT_EQ(other.log, std::vector<std::string>{"click"});
    EXPECT_TRUE(events_.log.empty());
    second.reset();
    driver_->closePageWindow(otherPage);
    fill(1);
    ASSERT_TRUE(driver_->clickRow(0));
    EXPECT_EQ(events_.log, std::vector<std::string>{"click"});
}

TEST_F(ListViewWin32, PageClosedBeforeTheControlIsDestroyed) {
    create();
    fill(2);
    HWND view = list();
    driver_->closePageWindow(page_);
    EXPECT_FALSE(IsWindow(view));
    EXPECT_FALSE(driver_->listViewPresent());
    EXPECT_EQ(control_->rowCount(), 0);
    EXPECT_EQ(control_->insertRow(0, 0, "late", RowState{}), -1);
    EXPECT_EQ(control_->text(0, 0, 10), "");
    EXPECT_EQ(control_->window(), 0); // what tells the editor not to store the empty control
    control_.reset();                 // destroys its image list once, touches no window
}

TEST_F(ListViewWin32, DestroyedDuringADragEndsIt) {
    create();
    fill(2);
    control_->beginDrag({0, 1}, {5, 5});
    EXPECT_EQ(GetCapture(), asWindow(page_));
    control_.reset();
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST(ClipboardWin32, CopiedTextIsReadBackByteForByteAndRefusedWhileHeld) {
    auto driver = DesktopDriver::create(nullptr);
    std::string bytes = "3\tZaraz wracam \xBF\xB9\xEA\t45";
    for (int b = 0x80; b <= 0xFF; ++b)
        bytes.push_back(static_cast<char>(b));
    const std::string cases[] = {bytes, "", "a"};
    for (const std::string& text : cases) {
        ASSERT_TRUE(platform::copyTextToClipboard(text)) << text;
        EXPECT_EQ(driver->clipboardText(), std::optional<std::string>(text));
    }
    ASSERT_TRUE(platform::copyTextToClipboard("kept"));
    driver->holdClipboard(true);
    EXPECT_FALSE(platform::copyTextToClipboard("refused"));
    EXPECT_EQ(driver->clipboardText(), std::optional<std::string>("kept"));
    driver->holdClipboard(false);
    EXPECT_TRUE(platform::copyTextToClipboard("again"));
    EXPECT_EQ(driver->clipboardText(), std::optional<std::string>("again"));
    // Only the text before a NUL is the clipboard's text.
    EXPECT_TRUE(platform::copyTextToClipboard(std::string_view("cut\0off", 7)));
    EXPECT_EQ(driver->clipboardText(), std::optional<std::string>("cut"));
}

} // namespace
