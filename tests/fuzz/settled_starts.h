// What the feeds rely on to stop reading a file: the shortest start of it that settles the speeds
// (found by halving: a start stays settled as it grows) gives the speeds of the whole file.
#pragma once

#include <string_view>

#include "formats/speeds.h"

inline bool settledStartsAgree(std::string_view text, const brio::Speeds& whole,
                               bool (*settled)(std::string_view), brio::Speeds (*parse)(std::string_view)) {
    if (!settled(text)) return true;
    size_t shortest = text.size();
    for (size_t low = 0; low < shortest;) {
        const size_t middle = low + (shortest - low) / 2;
        if (settled(text.substr(0, middle)))
            shortest = middle;
        else
            low = middle + 1;
    }
    return (shortest == 0 || !settled(text.substr(0, shortest - 1))) &&
           parse(text.substr(0, shortest)) == whole;
}
