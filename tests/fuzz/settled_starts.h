// What the feeds rely on to stop reading a file: once a start of it settles the speeds, every longer
// start does, and each gives the speeds of the whole file.
#pragma once

#include <string_view>

#include "formats/speeds.h"

inline bool settledStartsAgree(std::string_view text, const brio::Speeds& whole,
                               bool (*settled)(std::string_view), brio::Speeds (*parse)(std::string_view)) {
    if (!settled(text)) return true;
    // The shortest settled start, found by halving (a start stays settled as it grows), then one
    // between it and the whole.
    size_t settledAt = text.size();
    for (size_t low = 0; low < settledAt;) {
        const size_t middle = low + (settledAt - low) / 2;
        if (settled(text.substr(0, middle)))
            settledAt = middle;
        else
            low = middle + 1;
    }
    const size_t between = settledAt + (text.size() - settledAt) / 2;
    return (settledAt == 0 || !settled(text.substr(0, settledAt - 1))) && settled(text.substr(0, between)) &&
           parse(text.substr(0, settledAt)) == whole && parse(text.substr(0, between)) == whole;
}
