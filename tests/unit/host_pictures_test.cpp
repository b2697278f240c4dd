// brio-host's pictures: the PNG files it writes, where a page's controls go, what it gathers of an open
// page, and the pictures' command where there is nothing to draw with (the headless desktop).
#include <gtest/gtest.h>

#include <cstdlib>

#include "host/model/action_tree.h"
#include "host/messenger/host.h"
#include "host/commands/interpreter.h"
#include "host/desktop/page_layout.h"
#include "host/desktop/picture_file.h"
#include "png_reader.h"

namespace brio::host {
namespace {

// Whatever the pixels, reading the file gives them back.
TEST(HostPictures, PngReadsBackItsPixels) {
    const auto noise = [](uint32_t i) { return (i * 2654435761u) >> 8 & 0xFFFFFF; };
    const struct {
        const char* what;
        uint32_t width, height;
        uint32_t (*pixel)(uint32_t index);
    } cases[] = {
        {"one pixel", 1, 1, [](uint32_t) { return 0x123456u; }},
        {"one colour: long matches", 300, 200, [](uint32_t) { return 0xF0F0F0u; }},
        {"stripes: matches a row up", 97, 40, [](uint32_t i) { return i % 97 < 20 ? 0x0000FFu : 0xFFFFFFu; }},
        {"noise: literals", 37, 19, +noise},
        {"a long line", 5000, 1, [](uint32_t i) { return i / 7 % 2 ? 0xFF0000u : 0x00FF00u; }},
    };
    for (const auto& c : cases) {
        std::vector<uint32_t> pixels;
        for (uint32_t i = 0; i < c.width * c.height; ++i)
            pixels.push_back(c.pixel(i));
        const std::string png = encodePng(c.width, c.height, pixels);
        std::string why;
        const auto read = test::readPng(png, why);
        ASSERT_TRUE(read) << c.what << ": " << why;
        EXPECT_EQ(read->width, c.width) << c.what;
        EXPECT_EQ(read->height, c.height) << c.what;
        EXPECT_EQ(read->pixels, pixels) << c.what;
        EXPECT_EQ(encodePng(c.width, c.height, pixels), png) << c.what << ": the same pixels, the same bytes";
    }
    // One colour compresses to a small part of its 180,000 bytes of rows.
    EXPECT_LT(encodePng(300, 200, std::vector<uint32_t>(60000, 0xF0F0F0u)).size(), 300u * 200u * 3u / 50u);
}

TEST(HostPictures, PngRefusesSizesThatDoNotMatch) {
    EXPECT_EQ(encodePng(0, 5, {}), "");
    EXPECT_EQ(encodePng(2, 2, {1, 2, 3}), "");
    std::string png = encodePng(2, 1, {1, 2});
    png[1] ^= 1; // the signature no longer holds
    std::string why;
    EXPECT_FALSE(test::readPng(png, why));
    EXPECT_FALSE(test::readPng(encodePng(2, 1, {1, 2}).substr(0, 40), why)); // cut short
}

// 6 pixels a byte, 13 high; wrapped texts take as many lines as they need.
Size measure(const std::string& text, int wrapWidth) {
    const int width = static_cast<int>(text.size()) * 6;
    if (wrapWidth == 0 || width <= wrapWidth) return {width, 13};
    return {wrapWidth, 13 * ((width + wrapWidth - 1) / wrapWidth)};
}

LaidControl control(uint16_t kind, std::string caption = {}, bool sameLine = false, int width = 0) {
    LaidControl c;
    c.kind = kind;
    c.caption = std::move(caption);
    c.sameLine = sameLine;
    c.width = width;
    return c;
}

TEST(HostPictures, LayoutFollowsLinesAndGroups) {
    LaidControl list = control(kind::kWindowHost);
    list.hasWindow = true;
    list.windowAdvance = {410, 230};
    LaidControl shifted = control(kind::kImage);
    shifted.x = 20;
    const std::vector<LaidControl> controls = {
        control(kind::kGroup, "Lista"),              // 0
        list,                                        // 1
        control(kind::kWindowHost),                  // 2: a hook, no window
        control(kind::kLabel, "Status:", true, 130), // 3
        control(kind::kEntry),                       // 4: fills the rest of the line
        control(kind::kButton, "Dodaj"),             // 5: a line of its own
        control(kind::kGroupEnd),                    // 6
        control(kind::kCheck, "ICQ", true),          // 7
        shifted,                                     // 8
        control(kind::kText, std::string(100, 'x')), // 9: 600 pixels, wrapped
    };
    const PageLayout l = layoutPage(controls, measure);
    ASSERT_EQ(l.boxes.size(), controls.size());
    const auto& b = l.boxes;
    // The group holds its lines, below its title and inside its padding.
    EXPECT_EQ(b[0].x, 10);
    EXPECT_EQ(b[0].y, 10);
    EXPECT_EQ(b[1].x, 20);
    EXPECT_EQ(b[1].y, 30);
    EXPECT_EQ(b[1].width, 410);
    EXPECT_EQ(b[1].height, 230);
    EXPECT_EQ(b[2].width, 0);
    // Same line: side by side, centred on the tallest (the entry, 21); the entry takes what is left.
    EXPECT_EQ(b[3].y, b[1].y + 230 + 6 + (21 - 15) / 2);
    EXPECT_EQ(b[4].x, b[3].x + 130 + 6);
    EXPECT_EQ(b[4].x + b[4].width, 430);
    EXPECT_EQ(b[5].x, 20);
    EXPECT_EQ(b[5].y, b[4].y + 21 + 6);
    EXPECT_EQ(b[5].width, 75);
    EXPECT_EQ(b[0].y + b[0].height, b[5].y + 23 + 10);
    // After the group: back at the margin; the offset moves the image on; the text wraps at the line.
    EXPECT_EQ(b[7].x, 10);
    EXPECT_EQ(b[7].y, b[0].y + b[0].height + 6 + (17 - 17) / 2);
    EXPECT_EQ(b[8].x, b[7].x + 3 * 6 + 22 + 6 + 20);
    EXPECT_EQ(b[9].width, 430);
    EXPECT_EQ(b[9].height, 13 * 2);
    EXPECT_EQ(l.client.width, 450);
    EXPECT_EQ(l.client.height, b[9].y + 26 + 10);
}

// Scripts against the plug-in itself (BRIO_PLUGIN, set by ctest), on the headless desktop.
class HostPicturesWithPlugin : public ::testing::Test {
protected:
    void SetUp() override {
        const char* plugin = std::getenv("BRIO_PLUGIN");
        if (!plugin) GTEST_SKIP() << "BRIO_PLUGIN is not set";
        host.setPluginPath(plugin);
        for (const char* line :
             {"network add 10 \"Jabber\"", "config Brio/order = \"2\"", "start", "open page Lista"})
            ASSERT_TRUE(in.run(line, 1)) << line << ": " << in.error();
    }

    Transcript transcript;
    Host host{transcript};
    Interpreter in{host, "t.brio"};
};

TEST_F(HostPicturesWithPlugin, AnOpenPageShowsItsValuesAndThePluginsWindow) {
    const PageSeen page = host.pageSeen(445203);
    EXPECT_EQ(page.caption, "Lista");
    EXPECT_NE(page.window, 0);
    EXPECT_NE(page.iconResource, 0);
    bool orderSeen = false, listSeen = false;
    for (const PageControlSeen& c : page.controls) {
        if (c.layout.kind == kind::kChoice && c.lines.size() == 3 && c.lines[0] == "Po kolei") {
            orderSeen = true;
            EXPECT_EQ(c.selected, 2); // Brio/order
            EXPECT_EQ(c.text, "Losowo");
        }
        if (c.layout.kind == kind::kWindowHost && c.window) {
            listSeen = true;
            EXPECT_TRUE(c.layout.hasWindow);
            EXPECT_EQ(c.layout.windowAdvance.width, 410);
            EXPECT_EQ(c.layout.windowAdvance.height, 230);
        }
    }
    EXPECT_TRUE(orderSeen);
    EXPECT_TRUE(listSeen);
}

TEST_F(HostPicturesWithPlugin, CommandsSayWhatIsMissing) {
    const struct {
        const char* line;
        const char* error;
    } cases[] = {
        {"picture page Lista \"x.png\"", "pictures need the Windows build"},
        {"picture menu 0 \"x.png\"", "pictures need the Windows build"},
        {"picture dialog \"x.png\"", "pictures need the Windows build"},
        {"picture page Brio \"x.png\"", "the page is not open (open page Brio)"},
        {"picture page Nic \"x.png\"", "no page \"Nic\""},
        {"picture page Lista", "use: picture"},
        {"picture menu \"x.png\"", "use: picture"},
        {"picture menu none \"x.png\"", "\"none\" is not a number"},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(in.run(c.line, 7)) << c.line;
        EXPECT_NE(in.error().find(c.error), std::string::npos) << c.line << ": " << in.error();
    }
}

} // namespace
} // namespace brio::host
