#include "host/desktop/win32/pictures.h"

#include <commctrl.h>

#include <fstream>
#include <vector>

#include "host/desktop/picture_file.h"
#include "host/model/action_tree.h"

namespace brio::host {

namespace {

template <typename Handle> Handle fromInt(int32_t value) {
    return reinterpret_cast<Handle>(static_cast<intptr_t>(value));
}

// The plug-in's texts are code page 1250 whatever the process's own code page is.
std::wstring wide(const std::string& text) {
    if (text.empty()) return {};
    const int length = MultiByteToWideChar(1250, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(std::max(length, 0)), L'\0');
    if (length > 0)
        MultiByteToWideChar(1250, 0, text.data(), static_cast<int>(text.size()), out.data(), length);
    return out;
}

// The pixels of `area` of the screen, or of the window `from` (the area's size from its corner).
PictureTaken save(const RECT& area, const std::string& path, HWND from = nullptr) {
    const int width = area.right - area.left, height = area.bottom - area.top;
    if (width <= 0 || height <= 0) return {"nothing to take a picture of", {}};
    HDC screen = from ? GetWindowDC(from) : GetDC(nullptr);
    if (!screen) return {"the pixels cannot be read", {}};
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memory = CreateCompatibleDC(screen);
    bool copied = false;
    if (bitmap && memory) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        copied = BitBlt(memory, 0, 0, width, height, screen, from ? 0 : area.left, from ? 0 : area.top,
                        SRCCOPY | CAPTUREBLT) != 0;
        GdiFlush();
        SelectObject(memory, old);
    }
    std::vector<uint32_t> pixels;
    if (copied) {
        const auto* read = static_cast<const uint32_t*>(bits);
        pixels.assign(read, read + static_cast<size_t>(width) * height);
        for (uint32_t& p : pixels)
            p &= 0xFFFFFF;
    }
    if (memory) DeleteDC(memory);
    if (bitmap) DeleteObject(bitmap);
    ReleaseDC(from, screen);
    if (!copied) return {"the pixels cannot be read", {}};
    const std::string png = encodePng(static_cast<uint32_t>(width), static_cast<uint32_t>(height), pixels);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out || !out.write(png.data(), static_cast<std::streamsize>(png.size())) || !out.flush())
        return {"cannot write " + path, {}};
    return {{}, {width, height}};
}

HWND child(HWND parent, const wchar_t* windowClass, const std::wstring& text, DWORD style, const Box& box,
           HFONT font, DWORD exStyle = 0) {
    HWND made = CreateWindowExW(exStyle, windowClass, text.c_str(),
                                WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, box.x, box.y, box.width,
                                box.height, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (made) SendMessageW(made, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return made;
}

} // namespace

PictureTaken pictureOfArea(const RECT& area, const std::string& path) {
    return save(area, path);
}

PictureTaken pictureOfWindow(HWND window, const std::string& path) {
    RECT place{};
    if (!IsWindow(window) || !GetWindowRect(window, &place)) return {"the window is gone", {}};
    return save(place, path, window);
}

PageOnShow::PageOnShow(const PageSeen& page, HICON otherIcon) : window_(fromInt<HWND>(page.window)) {
    HWND window = window_;
    if (!IsWindow(window)) {
        window_ = nullptr;
        return;
    }
    const HMODULE module = fromInt<HMODULE>(page.module);
    // The dialog font of the desktop (Tahoma 8 pt where "MS Shell Dlg" is substituted, as on Wine).
    font_ = CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"MS Shell Dlg");
    const MeasureText measure = [&](const std::string& text, int wrapWidth) {
        HDC dc = GetDC(window);
        HGDIOBJ old = SelectObject(dc, font_);
        RECT r{0, 0, wrapWidth ? wrapWidth : 10000, 0};
        const std::wstring w = wide(text.empty() ? std::string(" ") : text);
        DrawTextW(dc, w.c_str(), static_cast<int>(w.size()), &r,
                  DT_CALCRECT | DT_NOPREFIX | (wrapWidth ? DT_WORDBREAK : DT_SINGLELINE));
        SelectObject(dc, old);
        ReleaseDC(window, dc);
        return Size{static_cast<int>(r.right), static_cast<int>(r.bottom)};
    };
    std::vector<LaidControl> laid;
    for (const PageControlSeen& c : page.controls)
        laid.push_back(c.layout);
    const PageLayout layout = layoutPage(laid, measure);

    GetWindowRect(window, &place_);
    caption_.resize(256);
    caption_.resize(static_cast<size_t>(GetWindowTextW(window, caption_.data(), 256)));
    std::vector<HWND>& made = made_;
    std::vector<HICON>& icons = icons_;
    const auto iconOf = [&](int32_t resource, int size) -> HICON {
        if (!resource || !module) return otherIcon;
        HICON icon =
            static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(resource), IMAGE_ICON, size, size, 0));
        if (icon) icons.push_back(icon);
        return icon ? icon : otherIcon;
    };

    // The window takes the page's size and caption, at the screen's corner.
    const auto style = static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE));
    RECT outer{0, 0, layout.client.width, layout.client.height};
    AdjustWindowRectEx(&outer, style, FALSE, exStyle);
    SetWindowPos(window, HWND_TOP, 0, 0, outer.right - outer.left, outer.bottom - outer.top, SWP_SHOWWINDOW);
    SetWindowTextW(window, wide(page.caption).c_str());
    icon_ = reinterpret_cast<HICON>(SendMessageW(window, WM_SETICON, ICON_SMALL,
                                                 reinterpret_cast<LPARAM>(iconOf(page.iconResource, 16))));

    std::vector<HWND> groups;
    HWND focus = nullptr;
    for (size_t i = 0; i < page.controls.size(); ++i) {
        const PageControlSeen& c = page.controls[i];
        const Box& box = layout.boxes[i];
        if (box.width <= 0) continue;
        const std::wstring text = wide(c.text);
        HWND control = nullptr;
        switch (c.layout.kind) {
        case kind::kGroup:
            control = child(window, L"BUTTON", text, BS_GROUPBOX, box, font_);
            groups.push_back(control);
            break;
        case kind::kLabel:
            control = child(window, L"STATIC", text, SS_LEFTNOWORDWRAP | SS_NOPREFIX, box, font_);
            break;
        case kind::kText:
            control = child(window, L"STATIC", text, SS_LEFT | SS_NOPREFIX, box, font_);
            break;
        case kind::kCheck:
            control = child(window, L"BUTTON", text, BS_AUTOCHECKBOX, box, font_);
            if (control) SendMessageW(control, BM_SETCHECK, c.checked ? BST_CHECKED : BST_UNCHECKED, 0);
            break;
        case kind::kButton:
            control = child(window, L"BUTTON", text, BS_PUSHBUTTON, box, font_);
            break;
        case kind::kEntry:
            control = child(window, L"EDIT", text, ES_AUTOHSCROLL, box, font_, WS_EX_CLIENTEDGE);
            break;
        case kind::kTextArea: {
            std::wstring lines;
            for (wchar_t ch : text)
                lines += ch == L'\n' ? std::wstring(L"\r\n") : std::wstring(1, ch);
            control = child(window, L"EDIT", lines, ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL, box, font_,
                            WS_EX_CLIENTEDGE);
            break;
        }
        case kind::kNumber: {
            control = child(window, L"EDIT", text, ES_AUTOHSCROLL | ES_NUMBER, box, font_, WS_EX_CLIENTEDGE);
            HWND arrows = child(window, UPDOWN_CLASSW, L"", UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS,
                                Box{}, font_);
            if (arrows) {
                SendMessageW(arrows, UDM_SETBUDDY, reinterpret_cast<WPARAM>(control), 0);
                made.push_back(arrows);
            }
            break;
        }
        case kind::kPath: {
            constexpr int kBrowseWidth = 24;
            Box field = box, browse = box;
            field.width -= kBrowseWidth + 2;
            browse.x += field.width + 2;
            browse.width = kBrowseWidth;
            control = child(window, L"EDIT", text, ES_AUTOHSCROLL, field, font_, WS_EX_CLIENTEDGE);
            if (HWND button = child(window, L"BUTTON", L"...", BS_PUSHBUTTON, browse, font_))
                made.push_back(button);
            break;
        }
        case kind::kChoice: {
            Box dropped = box;
            dropped.height = 200; // with its list, when it opens
            control = child(window, L"COMBOBOX", L"", CBS_DROPDOWNLIST | WS_VSCROLL, dropped, font_);
            for (const std::string& line : c.lines)
                SendMessageW(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(line).c_str()));
            SendMessageW(control, CB_SETCURSEL, static_cast<WPARAM>(c.selected), 0);
            break;
        }
        case kind::kImage:
        case kind::kImageWithParams: {
            const int size = c.layout.kind == kind::kImage ? 16 : 32;
            control = child(window, L"STATIC", L"", SS_ICON | SS_CENTERIMAGE, box, font_);
            if (control)
                SendMessageW(control, STM_SETICON, reinterpret_cast<WPARAM>(iconOf(c.iconResource, size)), 0);
            break;
        }
        case kind::kWindowHost: {
            // The plug-in's own window moves to where the layout put its host, for the picture only.
            HWND own = fromInt<HWND>(c.window);
            RECT r{};
            if (!IsWindow(own) || !GetWindowRect(own, &r)) break;
            POINT at{r.left, r.top};
            ScreenToClient(window, &at);
            pluginWindows_.emplace_back(own, at);
            SetWindowPos(own, nullptr, box.x, box.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            wchar_t name[32] = {};
            GetClassNameW(own, name, 32);
            if (lstrcmpiW(name, WC_LISTVIEWW) == 0) focus = own;
            break;
        }
        default:
            break;
        }
        if (control) made.push_back(control);
    }
    // Group frames lie under what they hold.
    for (HWND group : groups)
        SetWindowPos(group, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    // Shown as the user sees it: the page in front, the list (with its selection) holding the focus.
    SetForegroundWindow(window);
    SetActiveWindow(window);
    SetFocus(focus ? focus : window);
    // Group frames draw no inside of their own: the page erases all of itself first, or what stood
    // there before (the plug-in's windows before they moved) would show through.
    SetWindowLongW(window, GWL_STYLE, static_cast<LONG>(style & ~WS_CLIPCHILDREN));
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    SetWindowLongW(window, GWL_STYLE, static_cast<LONG>(style));
    GdiFlush();
}

PageOnShow::~PageOnShow() {
    if (!window_) return;
    for (HWND control : made_)
        DestroyWindow(control);
    for (const auto& [own, at] : pluginWindows_)
        if (IsWindow(own))
            SetWindowPos(own, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
    for (HICON icon : icons_)
        DestroyIcon(icon);
    SetWindowTextW(window_, caption_.c_str());
    SetWindowPos(window_, nullptr, place_.left, place_.top, place_.right - place_.left,
                 place_.bottom - place_.top, SWP_NOZORDER | SWP_NOACTIVATE);
    DeleteObject(font_);
}

} // namespace brio::host
