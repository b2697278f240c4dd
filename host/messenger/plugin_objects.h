// What the plug-in holds of the desktop, kind by kind: on Windows the ledger of every Windows object and
// C runtime heap block Brio.dll makes and frees (win32/object_ledger.h), on Linux what the headless
// desktop holds for it (its windows and timers). A kind's count is what the plug-in made and has not
// given back yet; an object the system takes over (a clipboard block) or destroys with its owner (a
// window in a page that closes) counts as given back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace brio::host {

struct ObjectCount {
    std::string kind; // "windows", "timers", ...
    int64_t inUse = 0;
    uint64_t made = 0; // ever, where this build knows it
};

// Every kind this build counts, always in the same order, the timers among them.
std::vector<ObjectCount> pluginObjects();

} // namespace brio::host
