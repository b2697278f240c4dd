// Windows: comctl32's list view worked with the bare list view messages.
#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "bench/list_bench_desktop.h"

namespace brio::bench {

namespace {

template <typename Handle> Handle fromInt(int32_t value) {
    return reinterpret_cast<Handle>(static_cast<intptr_t>(value));
}

class Win32BareListView final : public BareListView {
public:
    Win32BareListView(HWND list, HIMAGELIST images) : list_(list), images_(images) {}
    ~Win32BareListView() override {
        SendMessageA(list_, LVM_SETIMAGELIST, LVSIL_SMALL, 0);
        DestroyWindow(list_);
        if (images_) ImageList_Destroy(images_);
    }

    int32_t rowCount() const override {
        return static_cast<int32_t>(SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0));
    }

    void insert(int32_t at, int32_t image, std::string_view description, std::string_view seconds) override {
        std::string text(description), time(seconds);
        LVITEMA item{};
        item.mask = LVIF_IMAGE | LVIF_TEXT;
        item.iItem = at;
        item.iImage = image;
        item.pszText = text.data();
        const auto row = SendMessageA(list_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        LVITEMA cell{};
        cell.iSubItem = 1;
        cell.pszText = time.data();
        SendMessageA(list_, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell));
    }

    size_t readAll() const override {
        size_t bytes = 0;
        char buffer[1024];
        for (int32_t row = 0, count = rowCount(); row < count; ++row) {
            LVITEMA item{};
            item.mask = LVIF_IMAGE | LVIF_TEXT;
            item.iItem = row;
            item.pszText = buffer;
            item.cchTextMax = sizeof buffer;
            SendMessageA(list_, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
            bytes += strnlen(item.pszText, sizeof buffer - 1) + static_cast<size_t>(item.iImage);
            LVITEMA cell{};
            cell.iSubItem = 1;
            cell.pszText = buffer;
            cell.cchTextMax = sizeof buffer;
            SendMessageA(list_, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell));
            bytes += strnlen(cell.pszText, sizeof buffer - 1);
        }
        return bytes;
    }

    void sortByDescription() override {
        const int32_t count = rowCount();
        std::vector<std::string> keys(static_cast<size_t>(count));
        char buffer[2048];
        for (int32_t row = 0; row < count; ++row) {
            LVITEMA cell{};
            cell.pszText = buffer;
            cell.cchTextMax = sizeof buffer;
            SendMessageA(list_, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell));
            keys[static_cast<size_t>(row)] =
                std::string(cell.pszText, strnlen(cell.pszText, sizeof buffer - 1));
        }
        // Each row carries its key's address; the control compares them.
        for (int32_t row = 0; row < count; ++row) {
            LVITEMA item{};
            item.mask = LVIF_PARAM;
            item.iItem = row;
            item.lParam = reinterpret_cast<LPARAM>(&keys[static_cast<size_t>(row)]);
            SendMessageA(list_, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        }
        SendMessageA(list_, LVM_SORTITEMS, 0, reinterpret_cast<LPARAM>(byKey));
    }

    void selectEveryOther() override {
        for (int32_t row = 0, count = rowCount(); row < count; row += 2) {
            LVITEMA item{};
            item.stateMask = LVIS_SELECTED;
            item.state = LVIS_SELECTED;
            SendMessageA(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
        }
    }

    void deleteSelected() override {
        for (int32_t row = rowCount() - 1; row >= 0; --row)
            if (SendMessageA(list_, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED) &
                LVIS_SELECTED)
                SendMessageA(list_, LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
    }

    void deleteAll() override { SendMessageA(list_, LVM_DELETEALLITEMS, 0, 0); }

private:
    static int CALLBACK byKey(LPARAM first, LPARAM second, LPARAM) {
        return reinterpret_cast<const std::string*>(first)->compare(
            *reinterpret_cast<const std::string*>(second));
    }

    HWND list_;
    HIMAGELIST images_;
};

} // namespace

const char* desktopName() {
    return "Windows (comctl32 under Wine)";
}

const char* clockName() {
    return "wall time";
}

// Wall time: Wine's processor time of a process moves in steps of 10 ms, coarser than many figures here,
// and part of the list view's work is done by Wine's server process. The fastest of several runs leaves
// out what the machine's other programs took.
double clockSeconds() {
    static const double frequency = [] {
        LARGE_INTEGER f{};
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / frequency;
}

// A run of every size takes the list view under Wine about a minute.
int runsByDefault() {
    return 5;
}

void* resourceModule() {
    static HMODULE module = LoadLibraryA("Brio.dll");
    return module;
}

std::unique_ptr<BareListView> BareListView::create(int32_t pageWindow, int32_t hostImageList) {
    HWND page = fromInt<HWND>(pageWindow);
    HWND list = CreateWindowExA(WS_EX_CLIENTEDGE, "SysListView32", "", 0x50000201, 0, 0, 410, 230, page,
                                reinterpret_cast<HMENU>(221), GetModuleHandleA(nullptr), nullptr);
    if (!list) return nullptr;
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, ~0u, 33);
    // The least the control can do: it never redraws or scrolls for a row that comes or goes.
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    const char* titles[] = {"Opis", "Czas [s]"};
    const int widths[] = {297, 55};
    for (int column = 0; column < 2; ++column) {
        std::string title = titles[column];
        LVCOLUMNA entry{};
        entry.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        entry.fmt = LVCFMT_LEFT;
        entry.cx = widths[column];
        entry.pszText = title.data();
        entry.iSubItem = column;
        SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&entry));
    }
    HIMAGELIST images = ImageList_Duplicate(fromInt<HIMAGELIST>(hostImageList));
    if (images) SendMessageA(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));
    return std::make_unique<Win32BareListView>(list, images);
}

} // namespace brio::bench
