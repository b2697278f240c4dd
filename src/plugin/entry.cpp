// The library's exports: IMessageProc, and the two allocator hooks older hosts look for.
#include <cstdlib>

#include "plugin/plugin.h"

extern "C" {

BRIO_EXPORT void* (*pcre_malloc)(size_t) = std::malloc;
BRIO_EXPORT void (*pcre_free)(void*) = std::free;

BRIO_EXPORT int32_t __attribute__((stdcall)) IMessageProc(void* record) {
    return brio::dispatchMessage(record);
}
}
