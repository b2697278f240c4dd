// Where brio-host puts a page's controls when it draws the page: in the order they were added, a
// control with the same-line flag followed by the next one on its line, groups as framed boxes around
// what they hold. Sizes the plug-in leaves at 0 are the host's choice, by kind; texts are measured by
// the caller, in the font the page is drawn with.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace brio::host {

struct Size {
    int width = 0;
    int height = 0;
};
struct Box {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// A control of the page as the layout sees it.
struct LaidControl {
    uint16_t kind = 0;
    bool sameLine = false; // the next control follows on this line
    std::string caption;   // what the control shows as its text (CP1250), for the sizes taken from it
    int width = 0;         // as declared; 0 lets the host choose
    int height = 0;        // as declared; 0 lets the host choose, 65533 fits the text
    int x = 0;             // offset from where the control would stand
    int y = 0;
    Size windowAdvance;     // a window host: how far the plug-in's window moved the position on
    bool hasWindow = false; // a window host holding a window of the plug-in
};

// A text's size in the page's font, wrapped at `wrapWidth` when that is not 0.
using MeasureText = std::function<Size(const std::string& text, int wrapWidth)>;

struct PageLayout {
    std::vector<Box> boxes; // one per control, in order; width 0 for what is not drawn
    Size client;            // the page's inside
};

PageLayout layoutPage(const std::vector<LaidControl>& controls, const MeasureText& measure);

} // namespace brio::host
