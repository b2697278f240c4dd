// Pictures of brio-host's windows under Windows: a page drawn with real controls where its layout puts
// them, and what is on screen in a window's or an area's place, written as PNG files.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "host/desktop/desktop_driver.h"

namespace brio::host {

// What the screen shows in `area` (screen coordinates), written to `path`: a menu over a window
// included.
PictureTaken pictureOfArea(const RECT& area, const std::string& path);
// A window with its frame, as it drew itself.
PictureTaken pictureOfWindow(HWND window, const std::string& path);
// While it lives, the open page's window shows the page's controls where the layout puts them, the
// plug-in's windows moved into their places; then all is put back as it was. `otherIcon` stands for
// the images that are not the plug-in's (a network's icon).
class PageOnShow {
public:
    PageOnShow(const PageSeen& page, HICON otherIcon);
    ~PageOnShow();
    PageOnShow(const PageOnShow&) = delete;
    PageOnShow& operator=(const PageOnShow&) = delete;
    HWND window() const { return window_; } // none when the page has no window

private:
    HWND window_ = nullptr;
    HFONT font_ = nullptr;
    RECT place_{};
    std::wstring caption_;
    HICON icon_ = nullptr;
    std::vector<HWND> made_;
    std::vector<HICON> icons_;
    std::vector<std::pair<HWND, POINT>> pluginWindows_;
};

} // namespace brio::host
