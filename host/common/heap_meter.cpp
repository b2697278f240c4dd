#include "host/common/heap_meter.h"

namespace brio::host::heap {

namespace {

// Plain, constant-initialised state: the allocator uses it before any constructor has run.
constinit Side running = Side::Host;
constinit bool counted = false;
constinit Figures pluginFigures{};
constinit uint64_t requests = 0;
constinit uint64_t refuseAt = 0;
constinit bool refuseOnward = false;
using Hook = void (*)();
constinit Hook refusedHook = nullptr;

} // namespace

bool counting() {
    return counted;
}

Figures plugin() {
    return pluginFigures;
}

Runs::Runs(Side side) : before_(running) {
    running = side;
}

Runs::~Runs() {
    running = before_;
}

Side current() {
    return running;
}

void made(Side side, size_t bytes) {
    if (side != Side::Plugin) return;
    ++pluginFigures.allocations;
    pluginFigures.bytesMade += bytes;
    ++pluginFigures.blocksInUse;
    pluginFigures.bytesInUse += static_cast<int64_t>(bytes);
}

void freed(Side side, size_t bytes) {
    if (side != Side::Plugin) return;
    --pluginFigures.blocksInUse;
    pluginFigures.bytesInUse -= static_cast<int64_t>(bytes);
}

void refuse(uint64_t at, bool onward, void (*onRefused)()) {
    refuseAt = at;
    refuseOnward = onward;
    refusedHook = onRefused;
}

uint64_t pluginRequests() {
    return requests;
}

bool refused(Side side) {
    if (side != Side::Plugin) return false;
    ++requests;
    if (refuseAt == 0 || requests < refuseAt || (requests > refuseAt && !refuseOnward)) return false;
    if (void (*hook)() = refusedHook) {
        refusedHook = nullptr;
        const HostRuns host; // what the hook allocates is the host's, and granted
        hook();
    }
    return true;
}

void startCounting() {
    counted = true;
}

} // namespace brio::host::heap
