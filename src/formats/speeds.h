// A download and an upload speed as a file-sharing program writes them: bytes cut out of its file,
// never converted to numbers.
#pragma once

#include <string>
#include <string_view>

namespace brio {

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
