// A plug-in that keeps what it should give back, for the checks of brio-host's ledger
// (check_ledger.sh): message 1 makes one object of every kind the ledger counts and keeps it, after
// making and giving back one of each; message 2 makes one more brush, as a page that keeps one GDI
// object each time it opens would. Every other message is answered 0. It also imports a call that makes
// a GDI object the ledger does not count, which brio-host reports as it loads it.
#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {}

// One of each, given back at once: none of them may show in the ledger.
void makeAndGiveBack() {
    DeleteObject(CreateSolidBrush(RGB(1, 2, 3)));
    std::free(std::malloc(32));
    HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    SetPropA(window, "leaky", window);
    RemovePropA(window, "leaky");
    DestroyWindow(window);
    KillTimer(nullptr, SetTimer(nullptr, 0, 1000, tick));
    GlobalFree(GlobalAlloc(GMEM_MOVEABLE, 8));
    DestroyMenu(CreatePopupMenu());
    ImageList_Destroy(ImageList_Create(16, 16, ILC_COLOR32, 1, 0));
    // A call the ledger does not count: brio-host reports its import when it loads the library.
    DeleteObject(CreateHatchBrush(HS_CROSS, RGB(1, 2, 3)));
}

} // namespace

// Exported, so that the compiler keeps the block it points to.
extern "C" {
__declspec(dllexport) void* leakyKeptBlock = nullptr;
}

namespace {

void makeAndKeep() {
    CreateSolidBrush(RGB(4, 5, 6));
    leakyKeptBlock = std::malloc(48);
    HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    SetPropA(window, "leaky", window);
    SetTimer(nullptr, 0, 1000, tick);
    GlobalAlloc(GMEM_MOVEABLE, 8);
    CreatePopupMenu();
    ImageList_Create(16, 16, ILC_COLOR32, 1, 0);
}

} // namespace

// The message record's id is at offset 2 (after the 16-bit size).
extern "C" int32_t __stdcall IMessageProc(void* record) {
    int32_t id = 0;
    std::memcpy(&id, static_cast<const char*>(record) + 2, sizeof(id));
    if (id == 1) {
        makeAndGiveBack();
        makeAndKeep();
    }
    if (id == 2) CreateSolidBrush(RGB(7, 8, 9));
    return 0;
}
