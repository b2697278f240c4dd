// The global operator new and delete of a program that measures the plug-in's heap (heap_meter.h):
// every block carries a small header with its size and the side whose code made it. Linked only into
// the programs that measure, never into brio_hostcore, so that other programs keep the usual ones.
// Blocks come from malloc, so a sanitizer's allocator still sees every one of them.
#include <cstdint>
#include <cstdlib>
#include <new>

#include "host/common/heap_meter.h"

namespace {

using brio::host::heap::Side;

// Just in front of every block. The block starts kFront bytes into what malloc gave, so that it keeps
// malloc's alignment.
struct Header {
    size_t size;   // asked for
    size_t offset; // from the start of what malloc gave to the block
    Side side;
};
constexpr size_t kFront = 16;
static_assert(sizeof(Header) <= kFront);

// Counting starts with the first block, before any constructor of the program has run.
void* make(size_t size, size_t alignment) noexcept {
    brio::host::heap::startCounting();
    const Side side = brio::host::heap::current();
    if (brio::host::heap::refused(side)) return nullptr;
    const size_t front = alignment > kFront ? alignment : kFront;
    if (size > SIZE_MAX - front) return nullptr;
    void* base = nullptr;
    if (alignment > alignof(std::max_align_t)) {
        if (posix_memalign(&base, alignment, front + size) != 0) base = nullptr;
    } else {
        base = std::malloc(front + size);
    }
    if (!base) return nullptr;
    char* block = static_cast<char*>(base) + front;
    Header* header = reinterpret_cast<Header*>(block) - 1;
    header->size = size;
    header->offset = front;
    header->side = side;
    brio::host::heap::made(header->side, size);
    return block;
}

void* makeOrThrow(size_t size, size_t alignment) {
    // As the library's operator new: a request for nothing still gives a block of its own.
    void* block = make(size == 0 ? 1 : size, alignment);
    if (!block) throw std::bad_alloc();
    return block;
}

void release(void* block) noexcept {
    if (!block) return;
    const Header* header = static_cast<const Header*>(block) - 1;
    brio::host::heap::freed(header->side, header->size);
    std::free(static_cast<char*>(block) - header->offset);
}

size_t alignmentOf(std::align_val_t a) {
    return static_cast<size_t>(a);
}

} // namespace

void* operator new(size_t size) {
    return makeOrThrow(size, 0);
}
void* operator new[](size_t size) {
    return makeOrThrow(size, 0);
}
void* operator new(size_t size, const std::nothrow_t&) noexcept {
    return make(size == 0 ? 1 : size, 0);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
    return make(size == 0 ? 1 : size, 0);
}
void* operator new(size_t size, std::align_val_t a) {
    return makeOrThrow(size, alignmentOf(a));
}
void* operator new[](size_t size, std::align_val_t a) {
    return makeOrThrow(size, alignmentOf(a));
}
void* operator new(size_t size, std::align_val_t a, const std::nothrow_t&) noexcept {
    return make(size == 0 ? 1 : size, alignmentOf(a));
}
void* operator new[](size_t size, std::align_val_t a, const std::nothrow_t&) noexcept {
    return make(size == 0 ? 1 : size, alignmentOf(a));
}

void operator delete(void* block) noexcept {
    release(block);
}
void operator delete[](void* block) noexcept {
    release(block);
}
void operator delete(void* block, size_t) noexcept {
    release(block);
}
void operator delete[](void* block, size_t) noexcept {
    release(block);
}
void operator delete(void* block, const std::nothrow_t&) noexcept {
    release(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
    release(block);
}
void operator delete(void* block, std::align_val_t) noexcept {
    release(block);
}
void operator delete[](void* block, std::align_val_t) noexcept {
    release(block);
}
void operator delete(void* block, size_t, std::align_val_t) noexcept {
    release(block);
}
void operator delete[](void* block, size_t, std::align_val_t) noexcept {
    release(block);
}
void operator delete(void* block, std::align_val_t, const std::nothrow_t&) noexcept {
    release(block);
}
void operator delete[](void* block, std::align_val_t, const std::nothrow_t&) noexcept {
    release(block);
}
