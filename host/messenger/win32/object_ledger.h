// The ledger of what Brio.dll holds of Windows: every object it makes and gives back, by kind, and the
// blocks of its C runtime heap. brio-host points the library's imports of the calls that make and free
// them at its own (object_redirects.cpp) right after loading it; those call the system and write here.
// What the library made before that (its runtime's start) is not its doing and not counted.
#pragma once

#include <windows.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "host/messenger/plugin_objects.h"

namespace brio::host::win32 {

enum class Kind : uint8_t {
    Windows,
    Menus,
    ImageLists,
    DragImages, // the image being dragged (ImageList_BeginDrag to ImageList_EndDrag)
    Icons,      // icons and cursors
    GdiObjects,
    Properties,
    Timers,
    GlobalMemory,
    Files,
    Libraries, // references to a module (LoadLibrary to FreeLibrary)
    HeapBlocks,
};
constexpr size_t kKinds = static_cast<size_t>(Kind::HeapBlocks) + 1;

class ObjectLedger {
public:
    // A library was loaded: counting starts from nothing.
    void restart();

    // An object made (a handle of a kind, and for a property its name) and one given back. Giving back
    // what was never counted here changes nothing.
    void made(Kind kind, const void* handle, const std::string& name = {});
    void gone(Kind kind, const void* handle, const std::string& name = {});
    bool holds(Kind kind, const void* handle, const std::string& name = {}) const;

    void madeBlock(const void* block, size_t bytes);
    void goneBlock(uintptr_t block); // by address: it may be freed already

    // What is held now. A window the plug-in made is held until it is destroyed, by whomever: a
    // child window goes with the page it was made in.
    std::vector<ObjectCount> figures();

private:
    using Key = std::pair<uintptr_t, std::string>;
    std::array<std::set<Key>, kKinds> held_;
    std::array<uint64_t, kKinds> made_{};
    std::unordered_map<uintptr_t, size_t> blocks_;
};

ObjectLedger& ledger();

// The library's imports pointed at the ledger's calls; answers how many were.
size_t redirectToLedger(HMODULE library);

// The library's imports that the ledger does not count and that are not known to make nothing: calls
// that may make a Windows object behind its back, each as "USER32.dll GetDC".
std::vector<std::string> uncountedImports(HMODULE library);
// Whether an import is known to make nothing the library would have to give back (library names in any
// case).
bool makesNothing(const std::string& library, const std::string& function);

} // namespace brio::host::win32
