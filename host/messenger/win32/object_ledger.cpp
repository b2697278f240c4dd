#include "host/messenger/win32/object_ledger.h"

#include <iterator>

#include "host/common/heap_meter.h"

namespace brio::host::win32 {

namespace {

constexpr std::array<const char*, kKinds> kKindNames = {"windows",
                                                        "menus",
                                                        "image lists",
                                                        "drag images",
                                                        "icons",
                                                        "GDI objects",
                                                        "properties",
                                                        "timers",
                                                        "global memory blocks",
                                                        "files",
                                                        "library references",
                                                        "heap blocks"};

size_t index(Kind kind) {
    return static_cast<size_t>(kind);
}

uintptr_t value(const void* handle) {
    return reinterpret_cast<uintptr_t>(handle);
}

} // namespace

ObjectLedger& ledger() {
    static ObjectLedger& kept = *new ObjectLedger; // the library's last frees may come at exit
    return kept;
}

void ObjectLedger::restart() {
    for (auto& set : held_)
        set.clear();
    made_.fill(0);
    blocks_.clear();
}

void ObjectLedger::made(Kind kind, const void* handle, const std::string& name) {
    if (!handle) return;
    // A handle counted still was given back behind our back (a window destroyed with its parent) and is
    // now in use again: it is counted once.
    held_[index(kind)].insert({value(handle), name});
    ++made_[index(kind)];
}

void ObjectLedger::gone(Kind kind, const void* handle, const std::string& name) {
    held_[index(kind)].erase({value(handle), name});
}

bool ObjectLedger::holds(Kind kind, const void* handle, const std::string& name) const {
    return held_[index(kind)].contains({value(handle), name});
}

void ObjectLedger::madeBlock(const void* block, size_t bytes) {
    if (!block) return;
    heap::startCounting();
    blocks_[value(block)] = bytes;
    ++made_[index(Kind::HeapBlocks)];
    heap::made(heap::Side::Plugin, bytes);
}

void ObjectLedger::goneBlock(uintptr_t block) {
    const auto found = blocks_.find(block);
    if (found == blocks_.end()) return; // null, or made before counting started
    heap::freed(heap::Side::Plugin, found->second);
    blocks_.erase(found);
}

std::vector<ObjectCount> ObjectLedger::figures() {
    std::erase_if(held_[index(Kind::Windows)],
                  [](const Key& k) { return !IsWindow(reinterpret_cast<HWND>(k.first)); });
    std::vector<ObjectCount> counts;
    for (size_t i = 0; i < kKinds; ++i) {
        const auto inUse =
            static_cast<int64_t>(i == index(Kind::HeapBlocks) ? blocks_.size() : held_[i].size());
        counts.push_back({kKindNames[i], inUse, made_[i]});
    }
    return counts;
}

} // namespace brio::host::win32

namespace brio::host {

std::vector<ObjectCount> pluginObjects() {
    return win32::ledger().figures();
}

} // namespace brio::host
