#include "platform/win32/list_view_drag.h"

#include "platform/win32/list_view_rows.h"

namespace brio::platform::win32 {

void DragImage::begin(HWND list, HWND page, const std::vector<int32_t>& rows, Point listStart) {
    end();
    if (!list) return;
    const int32_t count = rowCountOf(list);
    HIMAGELIST image = nullptr;
    for (int32_t row : rows) {
        if (row < 0 || row >= count) continue;
        POINT origin{};
        auto rowImage = reinterpret_cast<HIMAGELIST>(SendMessageA(
            list, LVM_CREATEDRAGIMAGE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&origin)));
        if (!rowImage) continue;
        if (!image) {
            image = rowImage;
            continue;
        }
        // Each further row goes below what is stacked so far.
        IMAGEINFO info{};
        ImageList_GetImageInfo(image, 0, &info);
        HIMAGELIST merged = ImageList_Merge(image, 0, rowImage, 0, 0, info.rcImage.bottom);
        ImageList_Destroy(rowImage);
        if (merged) {
            ImageList_Destroy(image);
            image = merged;
        }
    }
    if (!image) return;
    if (!ImageList_BeginDrag(image, 0, 0, 0)) {
        ImageList_Destroy(image);
        return;
    }
    POINT start{listStart.x, listStart.y};
    ClientToScreen(list, &start);
    ImageList_DragEnter(GetDesktopWindow(), start.x, start.y);
    image_ = image;
    SetCapture(page);
}

void DragImage::move(Point onScreen) {
    if (image_) ImageList_DragMove(onScreen.x, onScreen.y);
}

void DragImage::end() {
    if (!image_) return;
    ImageList_DragLeave(GetDesktopWindow());
    ImageList_EndDrag();
    ImageList_Destroy(image_);
    image_ = nullptr;
    ReleaseCapture();
}

} // namespace brio::platform::win32
