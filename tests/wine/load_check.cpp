// Brio.dll as a host sees it: the entry point by its decorated name, the answers that need no host,
// the exported allocator hooks, and the resources the host and the list editor load from it.
#include <windows.h>

#include <commdlg.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "boundary/records.h"

// The host's file dialogs hand Brio their OPENFILENAMEA; the record Brio writes into must be that one.
static_assert(offsetof(OPENFILENAMEA, lStructSize) == offsetof(brio::OpenFileNameRecord, structSize));
static_assert(offsetof(OPENFILENAMEA, lpstrFilter) == offsetof(brio::OpenFileNameRecord, filter));
static_assert(offsetof(OPENFILENAMEA, Flags) == offsetof(brio::OpenFileNameRecord, flags));
static_assert(offsetof(OPENFILENAMEA, nFileOffset) == offsetof(brio::OpenFileNameRecord, fileOffset));
static_assert(offsetof(OPENFILENAMEA, lpTemplateName) == offsetof(brio::OpenFileNameRecord, templateName));
static_assert(offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR) == sizeof(brio::OpenFileNameRecord));

namespace {

using EntryPoint = int32_t(__stdcall*)(void*);

class BrioLibrary : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const char* path = std::getenv("BRIO_DLL");
        module_ = LoadLibraryA(path && *path ? path : "Brio.dll");
        if (module_)
            entry_ = reinterpret_cast<EntryPoint>(
                reinterpret_cast<void*>(GetProcAddress(module_, "_IMessageProc@4")));
    }
    static void TearDownTestSuite() {
        if (module_) FreeLibrary(module_);
        module_ = nullptr;
        entry_ = nullptr;
    }
    void SetUp() override {
        ASSERT_NE(module_, nullptr) << "Brio.dll did not load, error " << GetLastError();
        ASSERT_NE(entry_, nullptr) << "no _IMessageProc@4";
    }

    static int32_t send(int32_t id, uint16_t size = brio::kMessageRecordSize) {
        brio::MessageRecord record{};
        record.size = size;
        record.id = id;
        return entry_(&record);
    }

    static inline HMODULE module_ = nullptr;
    static inline EntryPoint entry_ = nullptr;
};

struct NumberAnswer {
    int32_t id;
    int32_t answer;
};

TEST_F(BrioLibrary, AnswersNumberQueriesWithoutAHost) {
    // clang-format off
    const NumberAnswer cases[] = {
        {30010, 445}, // network number
        {30011, 24},  // plug-in type
        {30017, 0},   // no network name
        {20020, 2},
        {22100, 1},   // initialise: registers the list view class
        {30014, 0},   // not handled, and no host to report it to
        {30015, 0},
        {12345, 0},
    };
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(send(c.id), c.answer) << "message " << c.id;
}

struct TextAnswer {
    int32_t id;
    const char* text;
};

TEST_F(BrioLibrary, AnswersTextQueriesWithOneLastingAddress) {
    const TextAnswer cases[] = {{30012, "0.7.0.0"}, {30013, "Br"}, {30016, "Brio"}};
    for (const auto& c : cases) {
        const int32_t first = send(c.id);
        ASSERT_NE(first, 0) << "message " << c.id;
        EXPECT_STREQ(reinterpret_cast<const char*>(first), c.text);
        EXPECT_EQ(send(c.id), first) << "message " << c.id << " answered from another address";
    }
}

TEST_F(BrioLibrary, ReadsTheMessageNumberFromAShortRecord) {
    EXPECT_EQ(send(30010, brio::kMessageHeaderSize), 445);
    EXPECT_STREQ(reinterpret_cast<const char*>(send(30016, brio::kMessageHeaderSize)), "Brio");
}

TEST_F(BrioLibrary, ExportsTheRuntimeAllocatorHooks) {
    using Allocate = void* (*)(size_t);
    using Release = void (*)(void*);
    auto* allocate = reinterpret_cast<Allocate*>(GetProcAddress(module_, "pcre_malloc"));
    auto* release = reinterpret_cast<Release*>(GetProcAddress(module_, "pcre_free"));
    ASSERT_NE(allocate, nullptr);
    ASSERT_NE(release, nullptr);
    ASSERT_NE(*allocate, nullptr);
    ASSERT_NE(*release, nullptr);
    void* block = (*allocate)(64);
    ASSERT_NE(block, nullptr);
    std::memset(block, 0x5A, 64);
    (*release)(block);
}

TEST_F(BrioLibrary, HasEveryIconInBothSizesWithAlpha) {
    for (int id : {5, 102, 105, 106, 107}) {
        for (int size : {16, 32}) {
            HICON icon =
                static_cast<HICON>(LoadImageA(module_, MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0));
            ASSERT_NE(icon, nullptr) << "icon " << id << " at " << size;
            ICONINFO info{};
            ASSERT_TRUE(GetIconInfo(icon, &info));
            BITMAP colour{};
            ASSERT_NE(info.hbmColor, nullptr) << "icon " << id << " has no colour image";
            GetObjectA(info.hbmColor, sizeof(colour), &colour);
            EXPECT_EQ(colour.bmWidth, size) << "icon " << id;
            EXPECT_EQ(colour.bmHeight, size) << "icon " << id;
            EXPECT_EQ(colour.bmBitsPixel, 32) << "icon " << id;
            // 32 bits alone may be colour without alpha (every alpha byte 0): some pixels must show.
            BITMAPINFO format{};
            format.bmiHeader.biSize = sizeof(format.bmiHeader);
            format.bmiHeader.biWidth = size;
            format.bmiHeader.biHeight = -size;
            format.bmiHeader.biPlanes = 1;
            format.bmiHeader.biBitCount = 32;
            format.bmiHeader.biCompression = BI_RGB;
            std::vector<uint32_t> pixels(size_t(size) * size);
            HDC screen = GetDC(nullptr);
            EXPECT_EQ(GetDIBits(screen, info.hbmColor, 0, size, pixels.data(), &format, DIB_RGB_COLORS), size);
            ReleaseDC(nullptr, screen);
            size_t opaque = 0;
            for (uint32_t pixel : pixels)
                opaque += (pixel >> 24) != 0;
            EXPECT_GT(opaque, 0u) << "icon " << id << " at " << size << " has no alpha";
            DeleteObject(info.hbmColor);
            DeleteObject(info.hbmMask);
            DestroyIcon(icon);
        }
    }
}

std::wstring menuText(HMENU menu, UINT position) {
    wchar_t text[64] = {};
    GetMenuStringW(menu, position, text, 64, MF_BYPOSITION);
    return text;
}

TEST_F(BrioLibrary, HasTheListContextMenu) {
    HMENU menu = LoadMenuA(module_, MAKEINTRESOURCEA(101));
    ASSERT_NE(menu, nullptr);
    HMENU popup = GetSubMenu(menu, 0);
    ASSERT_NE(popup, nullptr);
    ASSERT_EQ(GetMenuItemCount(popup), 4);
    const std::pair<UINT, const wchar_t*> items[] = {
        {40005, L"Duplikuj"}, {40006, L"Kopiuj"}, {40007, L"Usu\u0144"}, {40008, L"Usu\u0144 wszystko"}};
    for (UINT i = 0; i < 4; ++i) {
        EXPECT_EQ(GetMenuItemID(popup, i), items[i].first);
        EXPECT_EQ(menuText(popup, i), items[i].second);
    }
    DestroyMenu(menu);
}

INT_PTR CALLBACK quietDialog(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

std::wstring windowTextW(HWND window) {
    wchar_t text[128] = {};
    GetWindowTextW(window, text, 128);
    return text;
}

TEST_F(BrioLibrary, HasTheImportOptionsDialog) {
    HWND dialog = CreateDialogParamW(module_, MAKEINTRESOURCEW(103), nullptr, quietDialog, 0);
    ASSERT_NE(dialog, nullptr) << "error " << GetLastError();
    EXPECT_EQ(windowTextW(dialog), L"Otwieranie pliku...");
    for (int id = 1001; id <= 1006; ++id) {
        HWND radio = GetDlgItem(dialog, id);
        ASSERT_NE(radio, nullptr) << "radio button " << id;
        const LONG style = GetWindowLongA(radio, GWL_STYLE);
        EXPECT_EQ(style & 0x0F, BS_AUTORADIOBUTTON) << "radio button " << id;
        EXPECT_TRUE(style & BS_ICON) << "radio button " << id;
        EXPECT_EQ((style & WS_GROUP) != 0, id == 1001) << "radio button " << id;
        EXPECT_EQ(IsDlgButtonChecked(dialog, id), BST_UNCHECKED);
    }
    HWND seconds = GetDlgItem(dialog, 1007);
    ASSERT_NE(seconds, nullptr);
    EXPECT_TRUE(GetWindowLongA(seconds, GWL_STYLE) & ES_NUMBER);
    EXPECT_EQ(windowTextW(GetDlgItem(dialog, IDOK)), L"OK");
    EXPECT_EQ(windowTextW(GetDlgItem(dialog, IDCANCEL)), L"Anuluj");
    EXPECT_EQ(windowTextW(GetDlgItem(dialog, -1)), L"Odst\u0119p czasu mi\u0119dzy kolejnymi opisami:");
    DestroyWindow(dialog);
}

TEST_F(BrioLibrary, CarriesItsVersion) {
    char path[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameA(module_, path, MAX_PATH), 0u);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00000007u); // 0.7
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000000u); // .0.0
}

} // namespace
