// The headless list view scrolls and places its rows as the desktop's list view does (the same tables
// hold the real control to it under Wine), and brio-host's headless driver scrolls before pointing.
#include <gtest/gtest.h>

#include "host/desktop/desktop_driver.h"
#include "platform/headless/driver.h"
#include "platform/list_view.h"
#include "tests/list_view_scrolling.h"

namespace brio {
namespace {

using platform::Point;

class Silent final : public platform::ListViewEvents {
public:
    void onClick() override {}
    void onRightClick() override {}
    void onColumnClick(int32_t) override {}
    void onBeginLabelEdit(int32_t, int32_t) override {}
    void onEndLabelEdit(int32_t, int32_t, const char*) override {}
    void onBeginDrag(Point) override {}
    void onPointerMove(Point) override {}
    void onButtonUp(Point) override {}
    void onMenuCommand(int32_t) override {}
};

class HeadlessListViewScrolling : public ::testing::Test {
protected:
    void SetUp() override {
        headless::reset();
        platform::ListViewSetup setup;
        setup.parentWindow = driver->openPageWindow();
        setup.x = 10;
        setup.y = 20;
        setup.width = 410;
        setup.height = 230;
        setup.columns = {{"Opis", 250}, {"Czas [s]", 80}};
        control = platform::createListView(setup, events);
        ASSERT_NE(control, nullptr);
        test::fillScrollRows(*control);
    }
    void TearDown() override {
        control.reset();
        headless::reset();
    }

    test::ScrollSubject subject() {
        return {*driver, *control, [](int32_t row) { headless::showListRow(row); },
                [] { return headless::listViewTopRow(); }};
    }

    std::unique_ptr<host::DesktopDriver> driver = host::DesktopDriver::create(nullptr);
    Silent events;
    std::unique_ptr<platform::ListViewControl> control;
};

TEST_F(HeadlessListViewScrolling, RowsLieWhereTheDesktopPutsThem) {
    test::ScrollSubject s = subject();
    for (const test::ScrollHitCase& c : test::scrollHitCases()) {
        s.show(c.shown);
        const platform::HitTest hit = control->hitTest(c.at);
        EXPECT_EQ(hit.row, c.row) << c.shown << ": " << c.at.x << "," << c.at.y;
        EXPECT_EQ(hit.part, c.part) << c.shown << ": " << c.at.x << "," << c.at.y;
    }
}

TEST_F(HeadlessListViewScrolling, TopRowFollowsTheFocusAsOnTheDesktop) {
    test::ScrollSubject s = subject();
    for (const test::ScrollCase& c : test::scrollCases()) {
        ASSERT_TRUE(test::runScrollStep(c, s)) << c.what;
        EXPECT_EQ(s.top(), c.top) << c.what;
        EXPECT_EQ(control->nextFocused(-1), c.focused) << c.what;
    }
}

TEST_F(HeadlessListViewScrolling, RightClickPointerFindsItsRowWhereverTheViewIs) {
    std::vector<std::string> menu;
    for (int32_t row : test::scrollRightClickRows()) {
        ASSERT_TRUE(driver->rightClickRow(row, -1, menu)) << row;
        const Point pointer = control->cursorOnScreen();
        const Point corner = control->windowOrigin();
        EXPECT_EQ(control->hitTest({pointer.x - corner.x, pointer.y - corner.y}).row, row) << row;
    }
}

} // namespace
} // namespace brio
