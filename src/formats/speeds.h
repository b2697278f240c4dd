// A download and an upload speed as a file-sharing program writes them: bytes cut out of its file,
// never converted to numbers.
#pragma once

#include <string>

namespace brio {

struct Speeds {
    std::string down;
    std::string up;
    bool operator==(const Speeds&) const = default;
};

} // namespace brio
