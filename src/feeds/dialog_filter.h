// The filter that a path entry's file dialog shows, put into the host's dialog structure.
#pragma once

#include <cstdint>

namespace brio {

// Points the filter of the OPENFILENAMEA at `openFileName` (an address from the host) at `filter`,
// a list that lives as long as the library. A null address, or a structure whose own size says it has
// no filter member, is left alone.
void setDialogFilter(int32_t openFileName, const char* filter);

} // namespace brio
