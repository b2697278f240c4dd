// A loaded module's imports, listed and pointed elsewhere: each slot of its import address table that
// names a redirected function is rewritten to the replacement, so the module's own calls reach
// brio-host first.
#pragma once

#include <windows.h>

#include <cstddef>
#include <span>
#include <string>
#include <vector>

namespace brio::host::win32 {

struct Redirect {
    const char* library;  // as the module names it, in any case: "user32.dll"
    const char* function; // the imported name
    void* replacement;
    void** original; // where the slot's address before the rewrite goes (may be null)
};

// Answers how many slots were rewritten.
size_t redirectImports(HMODULE module, std::span<const Redirect> redirects);

struct Import {
    std::string library;  // as the module names it: "USER32.dll"
    std::string function; // the imported name, or "#N" for an import by ordinal
};

// Every import of a loaded module, in the order of its import table.
std::vector<Import> importsOf(HMODULE module);

} // namespace brio::host::win32
