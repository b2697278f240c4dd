#include "host/desktop/page_layout.h"

#include <algorithm>

#include "host/model/action_tree.h"

namespace brio::host {

namespace {

constexpr int kPageWidth = 450;
constexpr int kMargin = 10;
constexpr int kGroupPadding = 10;
constexpr int kGroupTitle = 20; // a titled group's contents start below its title
constexpr int kGap = 6;         // between controls on a line, and between lines
constexpr int kFitText = 65533; // a height of -3

// The host's choice for what the plug-in left at 0; `room` is what is left of the line.
Size sizeOf(const LaidControl& c, int room, const MeasureText& measure) {
    const auto chosen = [](int declared, int otherwise) { return declared ? declared : otherwise; };
    const auto textWidth = [&] { return measure(c.caption, 0).width; };
    switch (c.kind) {
    case kind::kLabel:
        return {chosen(c.width, textWidth() + 2), measure(c.caption, 0).height + 2};
    case kind::kCheck:
        return {chosen(c.width, textWidth() + 22), 17};
    case kind::kEntry:
    case kind::kPath:
        return {chosen(c.width, room), 21};
    case kind::kNumber:
        return {chosen(c.width, 70), 21};
    case kind::kChoice:
        return {chosen(c.width, 150), 21};
    case kind::kTextArea:
        return {chosen(c.width, room), chosen(c.height, 60)};
    case kind::kButton:
        return {chosen(c.width, std::max(75, textWidth() + 20)), 23};
    case kind::kText: {
        const int width = chosen(c.width, room);
        const bool fit = c.height == 0 || c.height == kFitText;
        return {width, fit ? measure(c.caption, width).height : c.height};
    }
    case kind::kImage:
        return {chosen(c.width, 16), chosen(c.height, 16)};
    case kind::kImageWithParams:
        return {chosen(c.width, 32), chosen(c.height, 32)};
    case kind::kWindowHost:
        return c.windowAdvance;
    default:
        return {};
    }
}

} // namespace

PageLayout layoutPage(const std::vector<LaidControl>& controls, const MeasureText& measure) {
    PageLayout out;
    out.boxes.resize(controls.size());
    int left = kMargin, right = kPageWidth - kMargin, x = left, y = kMargin, widest = kPageWidth - kMargin;
    std::vector<size_t> line;
    struct OpenGroup {
        size_t index;
        int top;
    };
    std::vector<OpenGroup> groups;

    // The controls of a line share its height, each centred in it (then moved by its own offset).
    const auto endLine = [&] {
        if (line.empty()) return;
        int height = 0;
        for (size_t i : line)
            height = std::max(height, out.boxes[i].height);
        for (size_t i : line) {
            out.boxes[i].y = y + (height - out.boxes[i].height) / 2 + controls[i].y;
            widest = std::max(widest, out.boxes[i].x + out.boxes[i].width);
        }
        y += height + kGap;
        line.clear();
        x = left;
    };
    const auto closeGroup = [&] {
        endLine();
        const OpenGroup g = groups.back();
        groups.pop_back();
        y += kGroupPadding - kGap;
        left -= kGroupPadding;
        right += kGroupPadding;
        out.boxes[g.index] = {left, g.top, right - left, y - g.top};
        x = left;
        y += kGap;
    };

    for (size_t i = 0; i < controls.size(); ++i) {
        const LaidControl& c = controls[i];
        if (c.kind == kind::kGroup) {
            endLine();
            groups.push_back({i, y});
            y += c.caption.empty() ? kGroupPadding : kGroupTitle;
            left += kGroupPadding;
            right -= kGroupPadding;
            x = left;
            continue;
        }
        if (c.kind == kind::kGroupEnd) {
            if (!groups.empty()) closeGroup();
            continue;
        }
        // A window host without a window of the plug-in shows nothing and takes no room.
        if (c.kind == kind::kWindowHost && !c.hasWindow) continue;
        const Size size = sizeOf(c, std::max(right - x - c.x, 20), measure);
        if (size.width <= 0 || size.height <= 0) continue;
        x += c.x;
        out.boxes[i] = {x, 0, size.width, size.height};
        line.push_back(i);
        x += size.width + kGap;
        if (!c.sameLine) endLine();
    }
    endLine();
    while (!groups.empty())
        closeGroup();
    out.client = {widest + kMargin, y - kGap + kMargin};
    return out;
}

} // namespace brio::host
