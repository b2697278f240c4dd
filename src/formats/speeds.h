// A download and an upload speed as a file-sharing program writes them: bytes cut out of its file,
// never converted to numbers.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace brio {

// The most of a speed a feed keeps: a speed is a figure and perhaps a unit, and anything longer is no
// speed, only a way to make every description it goes into long.
constexpr size_t kLongestSpeed = 64;

// The two speeds as views into the text they were cut from (valid while that text is).
struct SpeedViews {
    std::string_view down;
    std::string_view up;
};

struct Speeds {
    std::string down;
    std::string up;
    bool operator==(const Speeds&) const = default;
};

} // namespace brio
