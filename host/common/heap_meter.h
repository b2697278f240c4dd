// What the plug-in holds on the heap, told apart from what brio-host holds: a block made while the
// plug-in's code runs (a message to it, its timers, its window procedures) is the plug-in's wherever it
// is freed, and one made while the host answers a call of the plug-in is the host's. So the figures
// show the plug-in's own memory, not the growth of the host's transcript, histories or copy ledger.
// The blocks are counted by counting_new.cpp, which replaces the global operator new and is linked only
// into the programs that measure (brio-host on Linux, the allocation tests, the tick benchmark). On
// Windows the Brio.dll's own C runtime heap is counted instead, by the object ledger of brio-host
// (host/messenger/win32/object_ledger.h); elsewhere nothing is counted. The plug-in allocates only through
// operator new (its containers).
#pragma once

#include <cstddef>
#include <cstdint>

namespace brio::host::heap {

enum class Side : uint8_t { Host = 0, Plugin = 1 };

struct Figures {
    uint64_t allocations = 0; // blocks made, ever
    uint64_t bytesMade = 0;   // their bytes, ever
    int64_t blocksInUse = 0;  // blocks made and not freed yet
    int64_t bytesInUse = 0;
};

// Whether this program counts at all (counting_new.cpp is linked in).
bool counting();
// The plug-in's figures so far.
Figures plugin();

// Whose code runs from now until this goes: the plug-in's (a call into it) or the host's (a call of
// the plug-in into the host). They nest.
class Runs {
public:
    explicit Runs(Side side);
    ~Runs();
    Runs(const Runs&) = delete;
    Runs& operator=(const Runs&) = delete;

private:
    Side before_;
};
struct PluginRuns : Runs {
    PluginRuns() : Runs(Side::Plugin) {}
};
struct HostRuns : Runs {
    HostRuns() : Runs(Side::Host) {}
};

// For the failure sweeps: the plug-in's requests for memory are numbered from 1 as they come, and the
// one numbered `at` (with `onward`, every one from it on) gets none. `onRefused` runs once, at the
// first refusal, as the host's code. `at` 0 refuses nothing.
void refuse(uint64_t at, bool onward, void (*onRefused)());
// The plug-in's requests so far, granted or not.
uint64_t pluginRequests();

// For the counting allocator.
Side current();
// Counts a request of `side`'s; true when it is to get no memory.
bool refused(Side side);
void made(Side side, size_t bytes);
void freed(Side side, size_t bytes);
void startCounting();

} // namespace brio::host::heap
