#include "host/messenger/win32/import_table.h"

namespace brio::host::win32 {

namespace {

template <typename T> T* at(HMODULE module, DWORD offset) {
    return reinterpret_cast<T*>(reinterpret_cast<BYTE*>(module) + offset);
}

const Redirect* find(std::span<const Redirect> redirects, const char* library, const char* function) {
    for (const Redirect& r : redirects)
        if (lstrcmpiA(r.library, library) == 0 && lstrcmpA(r.function, function) == 0) return &r;
    return nullptr;
}

bool rewrite(IMAGE_THUNK_DATA* slot, void* replacement) {
    DWORD was = 0;
    if (!VirtualProtect(slot, sizeof(*slot), PAGE_READWRITE, &was)) return false;
    slot->u1.Function = reinterpret_cast<uintptr_t>(replacement);
    VirtualProtect(slot, sizeof(*slot), was, &was);
    return true;
}

// Calls `visit(library, name or null for an ordinal, ordinal, slot)` for every import of the module.
template <typename Visit> void forEachImport(HMODULE module, Visit visit) {
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(module);
    if (!module || dos->e_magic != IMAGE_DOS_SIGNATURE) return;
    const auto* nt = at<const IMAGE_NT_HEADERS>(module, static_cast<DWORD>(dos->e_lfanew));
    if (nt->Signature != IMAGE_NT_SIGNATURE) return;
    const IMAGE_DATA_DIRECTORY& table = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (table.VirtualAddress == 0) return;
    for (auto* d = at<const IMAGE_IMPORT_DESCRIPTOR>(module, table.VirtualAddress); d->Name; ++d) {
        const char* library = at<const char>(module, d->Name);
        // The names are in the original thunks; the bound addresses, which we rewrite, in the first ones.
        const DWORD names = d->OriginalFirstThunk ? d->OriginalFirstThunk : d->FirstThunk;
        auto* name = at<const IMAGE_THUNK_DATA>(module, names);
        auto* slot = at<IMAGE_THUNK_DATA>(module, d->FirstThunk);
        for (; name->u1.AddressOfData; ++name, ++slot) {
            if (IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal)) {
                visit(library, nullptr, IMAGE_ORDINAL(name->u1.Ordinal), slot);
                continue;
            }
            const auto* byName =
                at<const IMAGE_IMPORT_BY_NAME>(module, static_cast<DWORD>(name->u1.AddressOfData));
            visit(library, reinterpret_cast<const char*>(byName->Name), 0, slot);
        }
    }
}

} // namespace

size_t redirectImports(HMODULE module, std::span<const Redirect> redirects) {
    size_t rewritten = 0;
    forEachImport(module, [&](const char* library, const char* function, WORD, IMAGE_THUNK_DATA* slot) {
        if (!function) return;
        const Redirect* r = find(redirects, library, function);
        if (!r) return;
        void* before = reinterpret_cast<void*>(slot->u1.Function);
        if (!rewrite(slot, r->replacement)) return;
        if (r->original) *r->original = before;
        ++rewritten;
    });
    return rewritten;
}

std::vector<Import> importsOf(HMODULE module) {
    std::vector<Import> imports;
    forEachImport(module, [&](const char* library, const char* function, WORD ordinal, IMAGE_THUNK_DATA*) {
        imports.push_back({library, function ? std::string(function) : "#" + std::to_string(ordinal)});
    });
    return imports;
}

} // namespace brio::host::win32
