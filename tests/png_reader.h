// Reads a PNG file back into its pixels, through stb_image. For tests and the pictures' check.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace brio::test {

struct Picture {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint32_t> pixels; // 0x00RRGGBB
};

// None, with `why` said, when the bytes are no PNG picture.
std::optional<Picture> readPng(const std::string& bytes, std::string& why);

} // namespace brio::test
