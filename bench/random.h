// A small deterministic generator for the benchmarks, so that every run works on the same input.
#pragma once

#include <cstdint>

namespace brio::bench {

struct Random {
    uint32_t state;
    uint32_t next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
    uint32_t below(uint32_t bound) { return next() % bound; }
};

} // namespace brio::bench
