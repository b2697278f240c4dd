// The calls brio-host puts in place of Brio.dll's imports: each calls the system (or the C runtime) as
// the library would have, and writes what was made or given back in the ledger. The timer and clock
// calls go to the host's clock instead (host/desktop/win32/host_clock.h).
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "host/common/heap_meter.h"
#include "host/desktop/win32/host_clock.h"
#include "host/messenger/win32/import_table.h"
#include "host/messenger/win32/object_ledger.h"

namespace brio::host::win32 {

namespace {

// A property's name: a text, or an atom in the low word of the pointer.
std::string propertyName(LPCSTR name) {
    if (reinterpret_cast<uintptr_t>(name) <= 0xFFFF)
        return "#" + std::to_string(reinterpret_cast<uintptr_t>(name));
    return name;
}
std::string propertyName(LPCWSTR name) {
    if (reinterpret_cast<uintptr_t>(name) <= 0xFFFF)
        return "#" + std::to_string(reinterpret_cast<uintptr_t>(name));
    std::string bytes;
    for (; *name; ++name)
        bytes += *name < 0x80 ? static_cast<char>(*name) : '?';
    return bytes;
}

template <typename H> H counted(Kind kind, H handle) {
    ledger().made(kind, reinterpret_cast<const void*>(handle));
    return handle;
}
template <typename H> void given(Kind kind, H handle) {
    ledger().gone(kind, reinterpret_cast<const void*>(handle));
}

// ---- windows, menus, properties --------------------------------------------------------------------
HWND WINAPI createWindowExA(DWORD exStyle, LPCSTR cls, LPCSTR name, DWORD style, int x, int y, int w, int h,
                            HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
    return counted(Kind::Windows,
                   CreateWindowExA(exStyle, cls, name, style, x, y, w, h, parent, menu, instance, param));
}
HWND WINAPI createWindowExW(DWORD exStyle, LPCWSTR cls, LPCWSTR name, DWORD style, int x, int y, int w, int h,
                            HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
    return counted(Kind::Windows,
                   CreateWindowExW(exStyle, cls, name, style, x, y, w, h, parent, menu, instance, param));
}
HWND WINAPI createDialogParamA(HINSTANCE instance, LPCSTR templ, HWND parent, DLGPROC proc, LPARAM param) {
    return counted(Kind::Windows, CreateDialogParamA(instance, templ, parent, proc, param));
}
HWND WINAPI createDialogParamW(HINSTANCE instance, LPCWSTR templ, HWND parent, DLGPROC proc, LPARAM param) {
    return counted(Kind::Windows, CreateDialogParamW(instance, templ, parent, proc, param));
}
BOOL WINAPI destroyWindow(HWND window) {
    const BOOL done = DestroyWindow(window);
    if (done) given(Kind::Windows, window);
    return done;
}
HMENU WINAPI createMenu() {
    return counted(Kind::Menus, CreateMenu());
}
HMENU WINAPI createPopupMenu() {
    return counted(Kind::Menus, CreatePopupMenu());
}
HMENU WINAPI loadMenuA(HINSTANCE instance, LPCSTR name) {
    return counted(Kind::Menus, LoadMenuA(instance, name));
}
HMENU WINAPI loadMenuW(HINSTANCE instance, LPCWSTR name) {
    return counted(Kind::Menus, LoadMenuW(instance, name));
}
BOOL WINAPI destroyMenu(HMENU menu) {
    const BOOL done = DestroyMenu(menu);
    if (done) given(Kind::Menus, menu);
    return done;
}
BOOL WINAPI setPropA(HWND window, LPCSTR name, HANDLE data) {
    const BOOL done = SetPropA(window, name, data);
    if (done) ledger().made(Kind::Properties, window, propertyName(name));
    return done;
}
BOOL WINAPI setPropW(HWND window, LPCWSTR name, HANDLE data) {
    const BOOL done = SetPropW(window, name, data);
    if (done) ledger().made(Kind::Properties, window, propertyName(name));
    return done;
}
HANDLE WINAPI removePropA(HWND window, LPCSTR name) {
    ledger().gone(Kind::Properties, window, propertyName(name));
    return RemovePropA(window, name);
}
HANDLE WINAPI removePropW(HWND window, LPCWSTR name) {
    ledger().gone(Kind::Properties, window, propertyName(name));
    return RemovePropW(window, name);
}

// ---- the drag image and image lists ---------------------------------------------------------------
// The list view makes the drag image at the plug-in's request (LVM_CREATEDRAGIMAGE) and hands it over:
// from then on it is the plug-in's image list to destroy, and counted as one it made.
LRESULT WINAPI sendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = SendMessageA(window, message, wParam, lParam);
    if (message == LVM_CREATEDRAGIMAGE && result) counted(Kind::ImageLists, result);
    return result;
}
LRESULT WINAPI sendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = SendMessageW(window, message, wParam, lParam);
    if (message == LVM_CREATEDRAGIMAGE && result) counted(Kind::ImageLists, result);
    return result;
}
LRESULT WINAPI sendDlgItemMessageA(HWND dialog, int item, UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = SendDlgItemMessageA(dialog, item, message, wParam, lParam);
    if (message == LVM_CREATEDRAGIMAGE && result) counted(Kind::ImageLists, result);
    return result;
}
LRESULT WINAPI sendDlgItemMessageW(HWND dialog, int item, UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = SendDlgItemMessageW(dialog, item, message, wParam, lParam);
    if (message == LVM_CREATEDRAGIMAGE && result) counted(Kind::ImageLists, result);
    return result;
}
HIMAGELIST WINAPI imageListCreate(int cx, int cy, UINT flags, int initial, int grow) {
    return counted(Kind::ImageLists, ImageList_Create(cx, cy, flags, initial, grow));
}
HIMAGELIST WINAPI imageListMerge(HIMAGELIST a, int i, HIMAGELIST b, int j, int dx, int dy) {
    return counted(Kind::ImageLists, ImageList_Merge(a, i, b, j, dx, dy));
}
HIMAGELIST WINAPI imageListDuplicate(HIMAGELIST list) {
    return counted(Kind::ImageLists, ImageList_Duplicate(list));
}
BOOL WINAPI imageListDestroy(HIMAGELIST list) {
    const BOOL done = ImageList_Destroy(list);
    if (done) given(Kind::ImageLists, list);
    return done;
}
// One drag at a time: the drag image is the list's copy, held from the start of the drag to its end.
BOOL WINAPI imageListBeginDrag(HIMAGELIST list, int image, int x, int y) {
    const BOOL done = ImageList_BeginDrag(list, image, x, y);
    if (done) counted(Kind::DragImages, reinterpret_cast<void*>(1));
    return done;
}
void WINAPI imageListEndDrag() {
    ImageList_EndDrag();
    given(Kind::DragImages, reinterpret_cast<void*>(1));
}
HICON WINAPI imageListGetIcon(HIMAGELIST list, int image, UINT flags) {
    return counted(Kind::Icons, ImageList_GetIcon(list, image, flags));
}

// ---- icons and GDI objects ------------------------------------------------------------------------
HICON WINAPI createIconIndirect(PICONINFO info) {
    return counted(Kind::Icons, CreateIconIndirect(info));
}
HICON WINAPI createIconFromResourceEx(PBYTE bits, DWORD size, BOOL icon, DWORD version, int cx, int cy,
                                      UINT flags) {
    return counted(Kind::Icons, CreateIconFromResourceEx(bits, size, icon, version, cx, cy, flags));
}
HICON WINAPI copyIcon(HICON icon) {
    return counted(Kind::Icons, CopyIcon(icon));
}
BOOL WINAPI destroyIcon(HICON icon) {
    const BOOL done = DestroyIcon(icon);
    if (done) given(Kind::Icons, icon);
    return done;
}
BOOL WINAPI destroyCursor(HCURSOR cursor) {
    const BOOL done = DestroyCursor(cursor);
    if (done) given(Kind::Icons, cursor);
    return done;
}
// A shared image is the system's, never destroyed by whoever loaded it.
HANDLE WINAPI loadImageA(HINSTANCE instance, LPCSTR name, UINT type, int cx, int cy, UINT flags) {
    HANDLE image = LoadImageA(instance, name, type, cx, cy, flags);
    if (!(flags & LR_SHARED)) counted(type == IMAGE_BITMAP ? Kind::GdiObjects : Kind::Icons, image);
    return image;
}
HBRUSH WINAPI createSolidBrush(COLORREF colour) {
    return counted(Kind::GdiObjects, CreateSolidBrush(colour));
}
HPEN WINAPI createPen(int style, int width, COLORREF colour) {
    return counted(Kind::GdiObjects, CreatePen(style, width, colour));
}
HFONT WINAPI createFontIndirectA(const LOGFONTA* font) {
    return counted(Kind::GdiObjects, CreateFontIndirectA(font));
}
HFONT WINAPI createFontIndirectW(const LOGFONTW* font) {
    return counted(Kind::GdiObjects, CreateFontIndirectW(font));
}
HBITMAP WINAPI createBitmap(int cx, int cy, UINT planes, UINT bits, const void* data) {
    return counted(Kind::GdiObjects, CreateBitmap(cx, cy, planes, bits, data));
}
HBITMAP WINAPI createCompatibleBitmap(HDC dc, int cx, int cy) {
    return counted(Kind::GdiObjects, CreateCompatibleBitmap(dc, cx, cy));
}
HBITMAP WINAPI createDibSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section,
                                DWORD offset) {
    return counted(Kind::GdiObjects, CreateDIBSection(dc, info, usage, bits, section, offset));
}
HDC WINAPI createCompatibleDc(HDC dc) {
    return counted(Kind::GdiObjects, CreateCompatibleDC(dc));
}
HRGN WINAPI createRectRgn(int left, int top, int right, int bottom) {
    return counted(Kind::GdiObjects, CreateRectRgn(left, top, right, bottom));
}
BOOL WINAPI deleteObject(HGDIOBJ object) {
    const BOOL done = DeleteObject(object);
    if (done) given(Kind::GdiObjects, object);
    return done;
}
BOOL WINAPI deleteDc(HDC dc) {
    const BOOL done = DeleteDC(dc);
    if (done) given(Kind::GdiObjects, dc);
    return done;
}

// ---- timers and the clock ----------------------------------------------------------------------------
// Window-less timers run on the host's clock; a window's timers stay the system's (Brio makes none).
UINT_PTR WINAPI setTimer(HWND window, UINT_PTR id, UINT ms, TIMERPROC proc) {
    if (window) {
        const UINT_PTR made = SetTimer(window, id, ms, proc);
        if (made) ledger().made(Kind::Timers, window, std::to_string(id));
        return made;
    }
    hostClock().use();
    return counted(Kind::Timers, hostClock().setTimer(id, ms, proc));
}
BOOL WINAPI killTimer(HWND window, UINT_PTR id) {
    if (window) {
        ledger().gone(Kind::Timers, window, std::to_string(id));
        return KillTimer(window, id);
    }
    given(Kind::Timers, id);
    return hostClock().killTimer(id);
}
// The wall clock as the headless desktop shows it: 2026-01-01 00:00:00 UTC when brio-host starts, then
// the host's clock.
void WINAPI getSystemTimeAsFileTime(LPFILETIME time) {
    constexpr uint64_t kStart =
        1767225600ULL * 10'000'000 + 116'444'736'000'000'000ULL; // in 100 ns from 1601
    ULARGE_INTEGER ticks;
    ticks.QuadPart = kStart + hostClock().now() * 10'000;
    time->dwLowDateTime = ticks.LowPart;
    time->dwHighDateTime = ticks.HighPart;
}
DWORD WINAPI getTickCount() {
    return static_cast<DWORD>(hostClock().now());
}

// ---- global memory, files ------------------------------------------------------------------------------
HGLOBAL WINAPI globalAlloc(UINT flags, SIZE_T bytes) {
    return counted(Kind::GlobalMemory, GlobalAlloc(flags, bytes));
}
HGLOBAL WINAPI globalFree(HGLOBAL block) {
    const HGLOBAL failed = GlobalFree(block);
    if (!failed) given(Kind::GlobalMemory, block);
    return failed;
}
// Taken, the block is the clipboard's; refused, it stays the caller's.
HANDLE WINAPI setClipboardData(UINT format, HANDLE data) {
    const HANDLE taken = SetClipboardData(format, data);
    if (taken) given(Kind::GlobalMemory, data);
    return taken;
}
HANDLE WINAPI createFileA(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD how,
                          DWORD attributes, HANDLE templ) {
    const HANDLE file = CreateFileA(name, access, share, security, how, attributes, templ);
    if (file != INVALID_HANDLE_VALUE) counted(Kind::Files, file);
    return file;
}
HANDLE WINAPI createFileW(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD how,
                          DWORD attributes, HANDLE templ) {
    const HANDLE file = CreateFileW(name, access, share, security, how, attributes, templ);
    if (file != INVALID_HANDLE_VALUE) counted(Kind::Files, file);
    return file;
}
BOOL WINAPI closeHandle(HANDLE handle) {
    const BOOL done = CloseHandle(handle);
    if (done) given(Kind::Files, handle);
    return done;
}

// ---- library references ---------------------------------------------------------------------------
HMODULE WINAPI loadLibraryA(LPCSTR name) {
    return counted(Kind::Libraries, LoadLibraryA(name));
}
HMODULE WINAPI loadLibraryW(LPCWSTR name) {
    return counted(Kind::Libraries, LoadLibraryW(name));
}
BOOL WINAPI freeLibrary(HMODULE module) {
    const BOOL done = FreeLibrary(module);
    if (done) given(Kind::Libraries, module);
    return done;
}

// ---- the C runtime heap ---------------------------------------------------------------------------------
void* heapMalloc(size_t bytes) {
    if (heap::refused(heap::Side::Plugin)) return nullptr;
    void* block = std::malloc(bytes);
    ledger().madeBlock(block, bytes);
    return block;
}
void* heapCalloc(size_t count, size_t size) {
    if (heap::refused(heap::Side::Plugin)) return nullptr;
    void* block = std::calloc(count, size);
    ledger().madeBlock(block, count * size);
    return block;
}
// Only the old block's address is looked up after the call, never what it held.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuse-after-free"
void* heapRealloc(void* block, size_t bytes) {
    if (bytes != 0 && heap::refused(heap::Side::Plugin)) return nullptr;
    void* moved = std::realloc(block, bytes);
    if (bytes == 0 || moved) ledger().goneBlock(reinterpret_cast<uintptr_t>(block)); // freed or moved
    if (moved) ledger().madeBlock(moved, bytes);
    return moved;
}
#pragma GCC diagnostic pop
void heapFree(void* block) {
    ledger().goneBlock(reinterpret_cast<uintptr_t>(block));
    std::free(block);
}
// A library that imports the operators from a shared C++ runtime: the runtime's own, counted.
void* (*runtimeNew)(size_t) = nullptr;
void* (*runtimeNewArray)(size_t) = nullptr;
void (*runtimeDelete)(void*) = nullptr;
void (*runtimeDeleteArray)(void*) = nullptr;
void (*runtimeDeleteSized)(void*, size_t) = nullptr;
void* operatorNew(size_t bytes) {
    void* block = runtimeNew(bytes);
    ledger().madeBlock(block, bytes);
    return block;
}
void* operatorNewArray(size_t bytes) {
    void* block = runtimeNewArray(bytes);
    ledger().madeBlock(block, bytes);
    return block;
}
void operatorDelete(void* block) {
    ledger().goneBlock(reinterpret_cast<uintptr_t>(block));
    runtimeDelete(block);
}
void operatorDeleteArray(void* block) {
    ledger().goneBlock(reinterpret_cast<uintptr_t>(block));
    runtimeDeleteArray(block);
}
void operatorDeleteSized(void* block, size_t bytes) {
    ledger().goneBlock(reinterpret_cast<uintptr_t>(block));
    runtimeDeleteSized(block, bytes);
}

template <typename F> void* address(F* function) {
    return reinterpret_cast<void*>(function);
}
template <typename F> void** slot(F** kept) {
    return reinterpret_cast<void**>(kept);
}

// The calls the ledger counts.
const Redirect kRedirects[] = {
    {"user32.dll", "CreateWindowExA", address(createWindowExA), nullptr},
    {"user32.dll", "CreateWindowExW", address(createWindowExW), nullptr},
    {"user32.dll", "CreateDialogParamA", address(createDialogParamA), nullptr},
    {"user32.dll", "CreateDialogParamW", address(createDialogParamW), nullptr},
    {"user32.dll", "DestroyWindow", address(destroyWindow), nullptr},
    {"user32.dll", "CreateMenu", address(createMenu), nullptr},
    {"user32.dll", "CreatePopupMenu", address(createPopupMenu), nullptr},
    {"user32.dll", "LoadMenuA", address(loadMenuA), nullptr},
    {"user32.dll", "LoadMenuW", address(loadMenuW), nullptr},
    {"user32.dll", "DestroyMenu", address(destroyMenu), nullptr},
    {"user32.dll", "SetPropA", address(setPropA), nullptr},
    {"user32.dll", "SetPropW", address(setPropW), nullptr},
    {"user32.dll", "RemovePropA", address(removePropA), nullptr},
    {"user32.dll", "RemovePropW", address(removePropW), nullptr},
    {"user32.dll", "SendMessageA", address(sendMessageA), nullptr},
    {"user32.dll", "SendMessageW", address(sendMessageW), nullptr},
    {"user32.dll", "SendDlgItemMessageA", address(sendDlgItemMessageA), nullptr},
    {"user32.dll", "SendDlgItemMessageW", address(sendDlgItemMessageW), nullptr},
    {"user32.dll", "CreateIconIndirect", address(createIconIndirect), nullptr},
    {"user32.dll", "CreateIconFromResourceEx", address(createIconFromResourceEx), nullptr},
    {"user32.dll", "CopyIcon", address(copyIcon), nullptr},
    {"user32.dll", "DestroyIcon", address(destroyIcon), nullptr},
    {"user32.dll", "DestroyCursor", address(destroyCursor), nullptr},
    {"user32.dll", "LoadImageA", address(loadImageA), nullptr},
    {"user32.dll", "SetTimer", address(setTimer), nullptr},
    {"user32.dll", "KillTimer", address(killTimer), nullptr},
    {"user32.dll", "SetClipboardData", address(setClipboardData), nullptr},
    {"comctl32.dll", "ImageList_Create", address(imageListCreate), nullptr},
    {"comctl32.dll", "ImageList_Merge", address(imageListMerge), nullptr},
    {"comctl32.dll", "ImageList_Duplicate", address(imageListDuplicate), nullptr},
    {"comctl32.dll", "ImageList_Destroy", address(imageListDestroy), nullptr},
    {"comctl32.dll", "ImageList_BeginDrag", address(imageListBeginDrag), nullptr},
    {"comctl32.dll", "ImageList_EndDrag", address(imageListEndDrag), nullptr},
    {"comctl32.dll", "ImageList_GetIcon", address(imageListGetIcon), nullptr},
    {"gdi32.dll", "CreateSolidBrush", address(createSolidBrush), nullptr},
    {"gdi32.dll", "CreatePen", address(createPen), nullptr},
    {"gdi32.dll", "CreateFontIndirectA", address(createFontIndirectA), nullptr},
    {"gdi32.dll", "CreateFontIndirectW", address(createFontIndirectW), nullptr},
    {"gdi32.dll", "CreateBitmap", address(createBitmap), nullptr},
    {"gdi32.dll", "CreateCompatibleBitmap", address(createCompatibleBitmap), nullptr},
    {"gdi32.dll", "CreateDIBSection", address(createDibSection), nullptr},
    {"gdi32.dll", "CreateCompatibleDC", address(createCompatibleDc), nullptr},
    {"gdi32.dll", "CreateRectRgn", address(createRectRgn), nullptr},
    {"gdi32.dll", "DeleteObject", address(deleteObject), nullptr},
    {"gdi32.dll", "DeleteDC", address(deleteDc), nullptr},
    {"kernel32.dll", "GetSystemTimeAsFileTime", address(getSystemTimeAsFileTime), nullptr},
    {"kernel32.dll", "GetTickCount", address(getTickCount), nullptr},
    {"kernel32.dll", "GlobalAlloc", address(globalAlloc), nullptr},
    {"kernel32.dll", "GlobalFree", address(globalFree), nullptr},
    {"kernel32.dll", "CreateFileA", address(createFileA), nullptr},
    {"kernel32.dll", "CreateFileW", address(createFileW), nullptr},
    {"kernel32.dll", "CloseHandle", address(closeHandle), nullptr},
    {"kernel32.dll", "LoadLibraryA", address(loadLibraryA), nullptr},
    {"kernel32.dll", "LoadLibraryW", address(loadLibraryW), nullptr},
    {"kernel32.dll", "FreeLibrary", address(freeLibrary), nullptr},
    {"msvcrt.dll", "malloc", address(heapMalloc), nullptr},
    {"msvcrt.dll", "calloc", address(heapCalloc), nullptr},
    {"msvcrt.dll", "realloc", address(heapRealloc), nullptr},
    {"msvcrt.dll", "free", address(heapFree), nullptr},
    {"libstdc++-6.dll", "_Znwj", address(operatorNew), slot(&runtimeNew)},
    {"libstdc++-6.dll", "_Znaj", address(operatorNewArray), slot(&runtimeNewArray)},
    {"libstdc++-6.dll", "_ZdlPv", address(operatorDelete), slot(&runtimeDelete)},
    {"libstdc++-6.dll", "_ZdaPv", address(operatorDeleteArray), slot(&runtimeDeleteArray)},
    {"libstdc++-6.dll", "_ZdlPvj", address(operatorDeleteSized), slot(&runtimeDeleteSized)},
};

} // namespace

size_t redirectToLedger(HMODULE library) {
    return redirectImports(library, kRedirects);
}

std::vector<std::string> uncountedImports(HMODULE library) {
    std::vector<std::string> uncounted;
    for (const Import& i : importsOf(library)) {
        const auto named = [&](const auto& r) {
            return lstrcmpiA(r.library, i.library.c_str()) == 0 && i.function == r.function;
        };
        if (std::ranges::none_of(kRedirects, named) && !makesNothing(i.library, i.function))
            uncounted.push_back(i.library + " " + i.function);
    }
    return uncounted;
}

} // namespace brio::host::win32
