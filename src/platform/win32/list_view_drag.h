// The image that follows the pointer while rows of the list view are dragged: each selected row's
// image stacked below the one before, shown over the desktop, with the mouse captured for the page.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <vector>

#include "platform/list_view.h"

namespace brio::platform::win32 {

class DragImage {
public:
    DragImage() = default;
    ~DragImage() { end(); }
    DragImage(const DragImage&) = delete;
    DragImage& operator=(const DragImage&) = delete;

    // The rows' images (rows the control lacks are left out), shown at `listStart` of the list view;
    // nothing when no row gives an image.
    void begin(HWND list, HWND page, const std::vector<int32_t>& rows, Point listStart);
    void move(Point onScreen);
    void end();

private:
    HIMAGELIST image_ = nullptr; // while a drag runs
};

} // namespace brio::platform::win32
