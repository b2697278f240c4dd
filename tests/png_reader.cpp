#include "png_reader.h"

#include <climits>

#define STBI_ONLY_PNG
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

namespace brio::test {

std::optional<Picture> readPng(const std::string& bytes, std::string& why) {
    if (bytes.size() > INT_MAX) {
        why = "too large";
        return std::nullopt;
    }
    int width = 0, height = 0, channels = 0;
    stbi_uc* rgb = stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(bytes.data()),
                                         static_cast<int>(bytes.size()), &width, &height, &channels, 3);
    if (!rgb) {
        why = stbi_failure_reason() ? stbi_failure_reason() : "not a PNG picture";
        return std::nullopt;
    }
    Picture picture{static_cast<uint32_t>(width), static_cast<uint32_t>(height), {}};
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    picture.pixels.reserve(count);
    for (size_t i = 0; i < count; ++i)
        picture.pixels.push_back(uint32_t{rgb[3 * i]} << 16 | uint32_t{rgb[3 * i + 1]} << 8 | rgb[3 * i + 2]);
    stbi_image_free(rgb);
    return picture;
}

} // namespace brio::test
