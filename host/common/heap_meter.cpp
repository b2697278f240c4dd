#include "host/common/heap_meter.h"

namespace brio::host::heap {

namespace {

// Plain, constant-initialised state: the allocator uses it before any constructor has run.
constinit Side running = Side::Host;
constinit bool counted = false;
constinit Figures pluginFigures{};

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

void startCounting() {
    counted = true;
}

} // namespace brio::host::heap
