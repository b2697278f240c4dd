#include "host/desktop/picture_file.h"

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

namespace brio::host {

std::string encodePng(uint32_t width, uint32_t height, const std::vector<uint32_t>& pixels) {
    if (width == 0 || height == 0 || pixels.size() / width != height || pixels.size() % width != 0) return {};
    if (width > 0x7FFFFFFF / 3 || height > 0x7FFFFFFF) return {};
    std::vector<unsigned char> rgb;
    rgb.reserve(pixels.size() * 3);
    for (uint32_t p : pixels) {
        rgb.push_back(static_cast<unsigned char>(p >> 16));
        rgb.push_back(static_cast<unsigned char>(p >> 8));
        rgb.push_back(static_cast<unsigned char>(p));
    }
    std::string out;
    const auto append = [](void* to, void* bytes, int size) {
        static_cast<std::string*>(to)->append(static_cast<const char*>(bytes), static_cast<size_t>(size));
    };
    const int w = static_cast<int>(width), h = static_cast<int>(height);
    if (!stbi_write_png_to_func(append, &out, w, h, 3, rgb.data(), w * 3)) return {};
    return out;
}

} // namespace brio::host
