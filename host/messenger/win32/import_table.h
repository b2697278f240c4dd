// A loaded module's imports, pointed elsewhere: each slot of its import address table that names a
// redirected function is rewritten to the replacement, so the module's own calls reach brio-host first.
#pragma once

#include <windows.h>

#include <cstddef>
#include <span>

namespace brio::host::win32 {

struct Redirect {
    const char* library;   // as the module names it, in any case: "user32.dll"
    const char* function;  // the imported name
    void* replacement;
    void** original;       // where the slot's address before the rewrite goes (may be null)
};

// Answers how many slots were rewritten.
size_t redirectImports(HMODULE module, std::span<const Redirect> redirects);

} // namespace brio::host::win32
